#pragma once
// Version values of the programs, fixed when they are built.
#include <string>
#include <string_view>

namespace nv {

// The product version the build carries ("7.1.0").
const char* BuildVersion();

class VersionInfo {
public:
    // The value of a version key ("FileVersion", "ProductVersion",
    // "ProductName", "CompanyName", "FileDescription", "LegalCopyright",
    // "InternalName", "OriginalFilename") for a module ("Inkplate",
    // "Pagelook", ...); empty for a key that is not known.
    static std::string GetValue(std::string_view module, std::string_view key);
};

// No system libraries carry such versions here: always 0.
int GetDllVersion(std::string_view library, unsigned* major, unsigned* minor);
// The platform family the engine adapts to; always the NT family.
int IsWindowsNT();

} // namespace nv
