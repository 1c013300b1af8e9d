#pragma once
// Fill styles (a shape's 16-bit fill style) as plain brush descriptions. The
// device-context layer turns a FillBrush into a real brush.
#include "platform/gdi/DcTypes.h"

#include <array>
#include <cstdint>
#include <string>

namespace nv {

// A fill style paints with no brush, the colour, an 8x8 monochrome pattern
// (0 bits in the text colour, 1 bits in the background colour) or hatch
// lines of the colour: the device layer's brush styles and hatch kinds.
using FillBrushKind = BrushStyle;
using HatchKind = HatchStyle;

struct FillBrush {
    FillBrushKind kind = FillBrushKind::Null;
    uint32_t colour = 0; // RGB as stored (0x00BBGGRR)
    int32_t pattern = 0; // 1-6 for Pattern
    HatchKind hatch = HatchKind::Horizontal;
    friend bool operator==(const FillBrush&, const FillBrush&) = default;
};

// The brush of a fill style (read as signed 16 bits); styles outside 1-13
// paint nothing.
FillBrush CreateFillBrush(int16_t fillStyle, uint32_t colour);

// The style's display name (CP932).
std::string GetFillStyleName(int16_t fillStyle);

// Pattern 1-6 as a monochrome bitmap of 8 rows of 2 bytes (the pattern byte,
// then 0 for the word-aligned scanline). Throws CAppException otherwise.
const std::array<uint8_t, 16>& FillPatternBits(int32_t pattern);

} // namespace nv
