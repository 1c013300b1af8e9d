#include "control/ControlText.h"

#include "control/EngineText.h"
#include "platform/core/Cp932.h"
#include <algorithm>

namespace nv {

std::string HostTextToEngine(std::string_view utf8, std::string_view member)
{
    return ToEngineText(utf8, member);
}

std::string EngineTextToHost(std::string_view cp932) { return Cp932ToUtf8(cp932); }

std::optional<std::string> HostPathToEngine(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string HostPath(std::string_view utf8)
{
    std::string path(utf8);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace nv
