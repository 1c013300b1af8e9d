#pragma once
// Text crossing from a host into the engine (CP932 bytes), and the index
// rule the four collections share.
#include "platform/automation/Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace nv {

// The value as CP932 bytes; a character CP932 lacks raises 0x800A017C with a
// description naming the member and the character, never a silent '?'.
std::string ToEngineText(const Variant& value, std::string_view member);
std::string ToEngineText(std::string_view utf8, std::string_view member);

// Collection index: a name when the type has bit 3 set (strings, and types
// 9-15, by-reference strings) and its text is empty or not only digits;
// otherwise a position from 0.
struct CollectionIndex {
    bool byName = false;
    std::string name;       // CP932, when byName
    int32_t position = -1;  // when not byName
};
// Raises 0x800A017D / 20027 for a position beyond 32 bits, the coercion's
// own error for anything else that is neither a name nor a number.
CollectionIndex ReadCollectionIndex(const Variant& index);

// Byte-wise equality of CP932 text; with ignoreCase, single-byte letters
// compare without regard to case (double-byte characters exactly).
bool Cp932Equal(std::string_view a, std::string_view b, bool ignoreCase);
// The name as Cp932Equal compares it: names are equal when their keys are.
std::string Cp932NameKey(std::string_view name, bool ignoreCase);

} // namespace nv
