#pragma once
// Text in the model stays in the CP932 bytes it is stored in; these convert
// only where text meets people or the file system.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// Fixed CP932 lead-byte ranges (0x81-0x9F, 0xE0-0xFC), independent of locale.
constexpr bool IsCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character starting at pos: 2 for a lead byte followed by a
// trail byte, else 1 (a lone lead byte at the end counts as one).
size_t Cp932CharLength(std::string_view s, size_t pos);

// Number of characters (not bytes).
size_t Cp932CharCount(std::string_view s);

// Decodes CP932; bytes that do not decode become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// Encodes to CP932; nullopt when a character has no CP932 form. Characters
// that Linux input methods produce for CP932's symbols (wave dash, minus,
// double vertical line, cent, pound, not, em dash) map to their CP932 twins.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// Encodes, replacing what CP932 lacks with '?': for messages and logs only,
// never for stored data.
std::string Utf8ToCp932Lossy(std::string_view utf8);

// The file-system path (UTF-8, "/" separators) for a name stored in CP932
// with Windows separators; nullopt when a byte does not decode or the name
// holds a NUL, so that no file is ever looked for under a mangled name.
std::optional<std::string> Cp932ToPath(std::string_view cp932);

} // namespace nv
