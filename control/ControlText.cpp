#include "control/ControlText.h"

#include "control/ControlError.h"
#include "platform/core/Cp932.h"

namespace nv {

namespace {

// The first character CP932 cannot hold, as UTF-8.
std::string FirstUnmappable(std::string_view utf8)
{
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        const std::string_view ch = utf8.substr(i, len);
        if (!Utf8ToCp932(ch)) return std::string(ch);
        i += len;
    }
    return {};
}

} // namespace

std::string HostTextToEngine(std::string_view utf8, std::string_view member)
{
    if (auto cp = Utf8ToCp932(utf8)) return *cp;
    RaiseTvlError(kTvlInvalidValue, 0,
                  std::string(member) + ": \"" + FirstUnmappable(utf8) + "\" cannot be printed (not in Shift_JIS)");
}

std::string EngineTextToHost(std::string_view cp932) { return Cp932ToUtf8(cp932); }

std::optional<std::string> HostPathToEngine(std::string_view utf8)
{
    return Utf8ToCp932(utf8);
}

} // namespace nv
