#include "control/EngineText.h"
#include "control/ControlErrors.h"
#include "platform/core/Cp932.h"

#include <cstdio>

namespace nv {

namespace {

// The first character of utf8 that CP932 cannot hold.
std::string FirstRefusedCharacter(std::string_view utf8)
{
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::string_view ch = utf8.substr(i, n);
        if (!Utf8ToCp932(ch)) return std::string(ch);
        i += n;
    }
    return {};
}

bool AllDigits(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string ToEngineText(const Variant& value, std::string_view member)
{
    return ToEngineText(std::string_view(value.ToString()), member);
}

std::string ToEngineText(std::string_view utf8, std::string_view member)
{
    if (std::optional<std::string> cp932 = Utf8ToCp932(utf8)) return std::move(*cp932);
    throw AutomationError(kErrInvalidProperty, std::string(member) + ": 文字「" + FirstRefusedCharacter(utf8)
                                                   + "」は帳票に書き込めません");
}

CollectionIndex ReadCollectionIndex(const Variant& index)
{
    CollectionIndex r;
    if (index.Vt() & 8) {
        std::string text = index.ToString();
        if (text.empty() || !AllDigits(text)) {
            r.byName = true;
            r.name = ToEngineText(std::string_view(text), "Item");
            return r;
        }
    }
    try {
        r.position = index.ToLong();
    } catch (const AutomationError& e) {
        if (e.Scode() == DISP_E_OVERFLOW) ThrowControlError(kErrInvalidIndex, kTextIndexOutOfRange);
        throw;
    }
    return r;
}

std::string Cp932NameKey(std::string_view name, bool ignoreCase)
{
    std::string key(name);
    if (!ignoreCase) return key;
    for (size_t i = 0; i < key.size();) {
        const size_t n = Cp932CharLength(key, i);
        if (n == 1 && key[i] >= 'A' && key[i] <= 'Z') key[i] = char(key[i] - 'A' + 'a');
        i += n;
    }
    return key;
}

bool Cp932Equal(std::string_view a, std::string_view b, bool ignoreCase)
{
    // Folding never touches a lead byte, so equal keys split into the same
    // characters.
    return a.size() == b.size() && (ignoreCase ? Cp932NameKey(a, true) == Cp932NameKey(b, true) : a == b);
}

} // namespace nv
