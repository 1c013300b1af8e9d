#include "platform/gdi/GdiRules.h"

#include <iconv.h>

#include <cmath>
#include <mutex>
#include <numbers>

#include "platform/core/Cp932.h"

namespace nv {

const std::vector<int32_t>& DashPattern(PenStyle style)
{
    static const std::vector<int32_t> none;
    static const std::vector<int32_t> dash{18, 6};
    static const std::vector<int32_t> dot{3, 3};
    static const std::vector<int32_t> dashDot{9, 6, 3, 6};
    static const std::vector<int32_t> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PenStyle::Dash: return dash;
    case PenStyle::Dot: return dot;
    case PenStyle::DashDot: return dashDot;
    case PenStyle::DashDotDot: return dashDotDot;
    default: return none;
    }
}

DcRect InsideFrameBox(const DcRect& box, const DcPen& pen)
{
    if (pen.style != PenStyle::InsideFrame || pen.width <= 1 || box.IsEmpty()) return box;
    const int64_t w = pen.width;
    const int64_t half = w / 2, rest = (w - 1) / 2;
    // A box narrower than the pen keeps one line through its middle.
    const auto shrink = [&](int32_t lo, int32_t hi, int32_t& outLo, int32_t& outHi) {
        const int64_t extent = int64_t(hi) - lo;
        if (extent > half + rest) {
            outLo = int32_t(lo + half);
            outHi = int32_t(hi - rest);
        } else {
            outLo = int32_t(lo + extent / 2);
            outHi = outLo + 1;
        }
    };
    DcRect r = box;
    shrink(box.left, box.right, r.left, r.right);
    shrink(box.top, box.bottom, r.top, r.bottom);
    return r;
}

const std::array<uint8_t, 8>& HatchBits(HatchStyle style)
{
    static const std::array<std::array<uint8_t, 8>, 6> bits{{
        {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}, // horizontal
        {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // vertical
        {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // top-left to bottom-right
        {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // bottom-left to top-right
        {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08}, // cross
        {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // diagonal cross
    }};
    int32_t i = int32_t(style);
    if (i < 0 || i > 5) i = 0;
    return bits[size_t(i)];
}

namespace {

double ParametricAngle(const DcRect& box, DcPoint p)
{
    double cx = (box.left + box.right) / 2.0;
    double cy = (box.top + box.bottom) / 2.0;
    double a = std::abs(box.right - box.left) / 2.0;
    double b = std::abs(box.bottom - box.top) / 2.0;
    double dx = p.x - cx;
    double dy = cy - p.y; // upwards positive: counterclockwise on the screen
    if (a <= 0 || b <= 0 || (dx == 0 && dy == 0)) return 0.0;
    double deg = std::atan2(dy / b, dx / a) * 180.0 / std::numbers::pi;
    return deg < 0 ? deg + 360.0 : deg;
}

} // namespace

void ArcParametricAngles(const DcRect& box, DcPoint start, DcPoint end, double* startDeg, double* sweepDeg)
{
    double s = ParametricAngle(box, start);
    double e = ParametricAngle(box, end);
    double sweep = e - s;
    while (sweep <= 1e-9) sweep += 360.0;
    if (sweep > 360.0) sweep = 360.0;
    *startDeg = s;
    *sweepDeg = sweep;
}

void EllipsePoint(const DcRect& box, double deg, double* x, double* y)
{
    double cx = (box.left + box.right) / 2.0;
    double cy = (box.top + box.bottom) / 2.0;
    double a = (box.right - box.left) / 2.0;
    double b = (box.bottom - box.top) / 2.0;
    double r = deg * std::numbers::pi / 180.0;
    *x = cx + a * std::cos(r);
    *y = cy - b * std::sin(r);
}

namespace {

struct Cp932Table {
    std::array<char16_t, 65536> dbcs{};
    std::array<char16_t, 256> sbcs{};
    Cp932Table()
    {
        dbcs.fill(0xFFFD);
        sbcs.fill(0xFFFD);
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        auto decode = [&](const char* in, size_t n) -> char16_t {
            if (cd == iconv_t(-1)) return 0xFFFD;
            char out[8];
            char* ip = const_cast<char*>(in);
            char* op = out;
            size_t il = n, ol = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0 || op - out != 2) return 0xFFFD;
            return char16_t(uint8_t(out[0]) | (uint8_t(out[1]) << 8));
        };
        for (int b = 0; b < 256; ++b) {
            if (IsCp932LeadByte(uint8_t(b))) continue;
            char c = char(b);
            sbcs[size_t(b)] = b < 0x80 ? char16_t(b) : decode(&c, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsCp932LeadByte(uint8_t(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                char in[2] = {char(lead), char(trail)};
                dbcs[size_t(lead << 8 | trail)] = decode(in, 2);
            }
        }
        if (cd != iconv_t(-1)) iconv_close(cd);
    }
};

const Cp932Table& Table()
{
    static const Cp932Table table;
    return table;
}

} // namespace

char16_t Cp932CharToUtf16(uint8_t lead, uint8_t trail) { return Table().dbcs[size_t(lead << 8 | trail)]; }
char16_t Cp932ByteToUtf16(uint8_t b) { return Table().sbcs[b]; }

std::u16string Cp932ToUtf16(std::string_view s, const int32_t* dx, std::vector<int32_t>* dxOut)
{
    const Cp932Table& t = Table();
    std::u16string out;
    out.reserve(s.size());
    if (dxOut) dxOut->clear();
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = uint8_t(s[i]);
        if (IsCp932LeadByte(b) && i + 1 < s.size()) {
            out.push_back(t.dbcs[size_t(b << 8 | uint8_t(s[i + 1]))]);
            if (dx && dxOut) dxOut->push_back(dx[i] + dx[i + 1]);
            i += 2;
        } else {
            out.push_back(IsCp932LeadByte(b) ? char16_t(0xFFFD) : t.sbcs[b]);
            if (dx && dxOut) dxOut->push_back(dx[i]);
            ++i;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size() * 3);
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(s[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = uint8_t(s[i]);
        uint32_t c = 0xFFFD;
        size_t n = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            n = 2;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4;
        }
        if (n > 1) {
            if (i + n > s.size()) {
                n = 1;
            } else {
                c = b & (0x7F >> n);
                for (size_t k = 1; k < n; ++k) {
                    uint8_t t = uint8_t(s[i + k]);
                    if ((t & 0xC0) != 0x80) {
                        c = 0xFFFD;
                        n = k;
                        break;
                    }
                    c = (c << 6) | (t & 0x3F);
                }
            }
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(c > 0x10FFFF ? char16_t(0xFFFD) : char16_t(c));
        }
        i += n;
    }
    return out;
}

bool IsHalfWidthChar(char16_t c)
{
    return c < 0x0100 || (c >= 0xFF61 && c <= 0xFF9F) || c == 0x203E || c == 0x00A5;
}

} // namespace nv
