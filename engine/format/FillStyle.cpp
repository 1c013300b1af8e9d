#include "engine/format/FillStyle.h"

#include "engine/core/AppException.h"
#include "platform/core/Cp932.h"

namespace nv {

namespace {

constexpr std::array<uint8_t, 16> Rows(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e, uint8_t f, uint8_t g,
                                       uint8_t h)
{
    return {a, 0, b, 0, c, 0, d, 0, e, 0, f, 0, g, 0, h, 0};
}

const std::array<uint8_t, 16> kPatterns[6] = {
    Rows(0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55),
    Rows(0x55, 0xFF, 0xAA, 0xFF, 0x55, 0xFF, 0xAA, 0xFF),
    Rows(0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF),
    Rows(0xEF, 0xFF, 0xFE, 0xFF, 0xEF, 0xFF, 0xFE, 0xFF),
    Rows(0xEF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF),
    Rows(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF),
};

// CP932 names of styles 1-13, then the name of every other style.
const char* const kNames[14] = {
    "\x91O\x8Ci\x90" "F\x82\xC5\x93h\x92\xD7\x82\xB5",        // solid in the foreground colour
    "\x93h\x92\xD7\x82\xB5(\x94Z)",                           // dark
    "\x93h\x92\xD7\x82\xB5(\x92\x86\x94Z)",                   // medium dark
    "\x93h\x92\xD7\x82\xB5(\x92\x86)",                        // medium
    "\x93h\x92\xD7\x82\xB5(\x92\x86\x94\x96)",                // medium light
    "\x93h\x92\xD7\x82\xB5(\x94\x96)",                        // light
    "\x94w\x8Ci\x90" "F\x82\xC5\x93h\x92\xD7\x82\xB5",        // background colour
    "\x89\xA1\x90\xFC",                                       // horizontal lines
    "\x8F" "c\x90\xFC",                                       // vertical lines
    "\x8E\xCE\x90\xFC(\x8D\xB6\x8F\xE3-\x89" "E\x89\xBA)",    // diagonal, top left to bottom right
    "\x8E\xCE\x90\xFC(\x8D\xB6\x89\xBA-\x89" "E\x8F\xE3)",    // diagonal, bottom left to top right
    "\x83N\x83\x8D\x83X",                                     // cross
    "\x96\xD4\x8A|\x82\xAF",                                  // diagonal cross
    "\x93h\x92\xD7\x82\xB5\x96\xB3\x82\xB5",                  // no fill
};

} // namespace

FillBrush CreateFillBrush(int16_t fillStyle, uint32_t colour)
{
    FillBrush b;
    if (fillStyle == 1) {
        b.kind = FillBrushKind::Solid;
        b.colour = colour;
    } else if (fillStyle >= 2 && fillStyle <= 7) {
        b.kind = FillBrushKind::Pattern;
        b.colour = colour;
        b.pattern = fillStyle - 1;
    } else if (fillStyle >= 8 && fillStyle <= 13) {
        b.kind = FillBrushKind::Hatch;
        b.colour = colour;
        b.hatch = static_cast<HatchKind>(fillStyle - 8);
    }
    return b;
}

std::string GetFillStyleName(int16_t fillStyle)
{
    if (fillStyle >= 1 && fillStyle <= 13) return kNames[fillStyle - 1];
    return kNames[13];
}

const std::array<uint8_t, 16>& FillPatternBits(int32_t pattern)
{
    if (pattern < 1 || pattern > 6) ThrowAppExceptionText(Utf8ToCp932Lossy("塗りつぶしの模様 %d はありません。"), pattern);
    return kPatterns[pattern - 1];
}

} // namespace nv
