#include "engine/core/VersionInfo.h"

#ifndef NV_VERSION_STRING
#define NV_VERSION_STRING "7.1.0"
#endif

namespace nv {

const char* BuildVersion()
{
    return NV_VERSION_STRING;
}

std::string VersionInfo::GetValue(std::string_view module, std::string_view key)
{
    if (key == "FileVersion" || key == "ProductVersion") return NV_VERSION_STRING;
    if (key == "ProductName") return "Tavelo";
    if (key == "CompanyName") return "Ardel Systems";
    if (key == "InternalName") return std::string(module);
    if (key == "OriginalFilename") return std::string(module);
    if (key == "FileDescription") return std::string(module);
    if (key == "LegalCopyright") return "Ardel Systems";
    return {};
}

int GetDllVersion(std::string_view, unsigned*, unsigned*)
{
    return 0;
}

int IsWindowsNT()
{
    return 1;
}

} // namespace nv
