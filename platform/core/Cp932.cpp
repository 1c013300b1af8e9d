#include "platform/core/Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace nv {
namespace {

// iconv descriptors are not thread-safe; one per direction and thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one run; returns false at the first byte that cannot be
    // converted, leaving in/inLeft pointing at it.
    bool Run(const char*& in, size_t& inLeft, std::string& out)
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[1024];
        while (inLeft > 0) {
            char* op = buf;
            size_t opLeft = sizeof buf;
            char* ip = const_cast<char*>(in);
            size_t r = iconv(cd_, &ip, &inLeft, &op, &opLeft);
            out.append(buf, static_cast<size_t>(op - buf));
            in = ip;
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter& Decoder()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& Encoder()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

// Both encodings keep the 128 ASCII characters as they are: text made only
// of them needs no conversion (most names and every figure).
bool IsAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

constexpr bool IsCp932TrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

size_t Utf8SeqLength(unsigned char b)
{
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

} // namespace

size_t Cp932CharLength(std::string_view s, size_t pos)
{
    if (pos >= s.size()) return 0;
    if (IsCp932LeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) return 2;
    return 1;
}

size_t Cp932CharCount(std::string_view s)
{
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += Cp932CharLength(s, i)) ++n;
    return n;
}

std::string Cp932ToUtf8(std::string_view cp932)
{
    if (IsAscii(cp932)) return std::string(cp932);
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    const char* in = cp932.data();
    size_t left = cp932.size();
    while (left > 0) {
        if (Decoder().Run(in, left, out)) break;
        // Skip one undecodable character: both bytes of a broken pair, but
        // only the lead byte when what follows cannot be a second byte (it
        // is a character of its own and stays).
        size_t skip = Cp932CharLength(std::string_view(in, left), 0);
        if (skip == 2 && !IsCp932TrailByte(static_cast<unsigned char>(in[1]))) skip = 1;
        if (skip == 0) skip = 1;
        in += skip;
        left -= skip;
        out += "\xEF\xBF\xBD";
    }
    return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    const char* in = utf8.data();
    size_t left = utf8.size();
    if (!Encoder().Run(in, left, out)) return std::nullopt;
    return out;
}

std::string Utf8ToCp932Lossy(std::string_view utf8)
{
    std::string out;
    const char* in = utf8.data();
    size_t left = utf8.size();
    while (left > 0) {
        if (Encoder().Run(in, left, out)) break;
        size_t skip = Utf8SeqLength(static_cast<unsigned char>(*in));
        if (skip > left) skip = left;
        in += skip;
        left -= skip;
        out += '?';
    }
    return out;
}

std::optional<std::string> Cp932ToPath(std::string_view cp932)
{
    if (cp932.find('\0') != std::string_view::npos) return std::nullopt;
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    const char* in = cp932.data();
    size_t left = cp932.size();
    if (!Decoder().Run(in, left, out)) return std::nullopt;
    // Decoded text has no byte of a double-byte character left: every
    // backslash now is a separator.
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

} // namespace nv
