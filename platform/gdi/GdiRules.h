#pragma once
// The platform's drawing rules that other toolkits do not share, kept in one
// place for every device-context implementation and for the metafile player.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/DcTypes.h"

namespace nv {

// On/off run lengths in pixels of a dashed cosmetic pen; empty for solid and
// null styles.
const std::vector<int32_t>& DashPattern(PenStyle style);

// The box a figure is drawn in: a pen of style InsideFrame wider than one
// pixel shrinks it so that the whole outline lies inside the given box;
// other pens leave it as it is.
DcRect InsideFrameBox(const DcRect& box, const DcPen& pen);

// 8x8 hatch pattern rows, most significant bit leftmost; 1 bits are the lines.
const std::array<uint8_t, 8>& HatchBits(HatchStyle style);

// Arcs, chords and pies run counterclockwise (on the screen) from the radial
// line through `start` to the radial line through `end`, on the ellipse
// inscribed in `box`. Gives the parametric start angle and the positive sweep
// in degrees (counterclockwise, 0 at three o'clock), as toolkits that take
// parametric angles want them. Equal radial lines give a full turn.
void ArcParametricAngles(const DcRect& box, DcPoint start, DcPoint end, double* startDeg, double* sweepDeg);

// The point at parametric angle `deg` (counterclockwise) on the ellipse
// inscribed in the box, as doubles.
void EllipsePoint(const DcRect& box, double deg, double* x, double* y);

// CP932 to UTF-16, one character at a time through a table built once.
// A lone lead byte or an undefined code gives U+FFFD.
char16_t Cp932CharToUtf16(uint8_t lead, uint8_t trail);
char16_t Cp932ByteToUtf16(uint8_t b);

// Decodes a CP932 text. With `dx` (one advance per byte, as the byte-string
// text calls take them), `dxOut` receives one advance per UTF-16 unit: a
// double-byte character advances by the sum of its two entries.
std::u16string Cp932ToUtf16(std::string_view cp932, const int32_t* dx = nullptr,
                            std::vector<int32_t>* dxOut = nullptr);

std::string Utf16ToUtf8(std::u16string_view s);
std::u16string Utf8ToUtf16(std::string_view s);

// Half-width characters (ASCII, half-width katakana and the like) take half
// an em in the Japanese fixed-pitch faces; every other character a full em.
bool IsHalfWidthChar(char16_t c);

} // namespace nv
