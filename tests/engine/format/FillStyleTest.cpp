#include "engine/format/FillStyle.h"

#include "engine/core/AppException.h"

#include <gtest/gtest.h>

#include <bitset>

namespace nv {
namespace {

int ZeroBits(const std::array<uint8_t, 16>& bits)
{
    int zeros = 0;
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(bits[row * 2 + 1], 0) << "scanline padding of row " << row;
        zeros += 8 - static_cast<int>(std::bitset<8>(bits[row * 2]).count());
    }
    return zeros;
}

TEST(FillStyle, BrushOfEveryStyle)
{
    const uint32_t colour = 0x00336699;
    EXPECT_EQ(CreateFillBrush(1, colour), (FillBrush{FillBrushKind::Solid, colour, 0, HatchKind::Horizontal}));
    for (int16_t style = 2; style <= 7; ++style) {
        FillBrush b = CreateFillBrush(style, colour);
        EXPECT_EQ(b.kind, FillBrushKind::Pattern);
        EXPECT_EQ(b.pattern, style - 1);
    }
    const HatchKind hatches[] = {HatchKind::Horizontal, HatchKind::Vertical, HatchKind::FDiagonal,
                                 HatchKind::BDiagonal,  HatchKind::Cross,    HatchKind::DiagCross};
    for (int16_t style = 8; style <= 13; ++style) {
        FillBrush b = CreateFillBrush(style, colour);
        EXPECT_EQ(b.kind, FillBrushKind::Hatch);
        EXPECT_EQ(b.colour, colour);
        EXPECT_EQ(b.hatch, hatches[style - 8]);
        EXPECT_EQ(static_cast<int>(b.hatch), style - 8); // the platform's HS_ values
    }
    for (int16_t style : {int16_t(0), int16_t(14), int16_t(-1), int16_t(-32768), int16_t(32767)})
        EXPECT_EQ(CreateFillBrush(style, colour).kind, FillBrushKind::Null) << style;
}

TEST(FillStyle, Names)
{
    EXPECT_EQ(GetFillStyleName(1), "\x91O\x8Ci\x90" "F\x82\xC5\x93h\x92\xD7\x82\xB5");
    EXPECT_EQ(GetFillStyleName(2), "\x93h\x92\xD7\x82\xB5(\x94Z)");
    EXPECT_EQ(GetFillStyleName(7), "\x94w\x8Ci\x90" "F\x82\xC5\x93h\x92\xD7\x82\xB5");
    EXPECT_EQ(GetFillStyleName(10), "\x8E\xCE\x90\xFC(\x8D\xB6\x8F\xE3-\x89" "E\x89\xBA)");
    EXPECT_EQ(GetFillStyleName(13), "\x96\xD4\x8A|\x82\xAF");
    const std::string none = "\x93h\x92\xD7\x82\xB5\x96\xB3\x82\xB5";
    EXPECT_EQ(GetFillStyleName(0), none);
    EXPECT_EQ(GetFillStyleName(14), none);
    EXPECT_EQ(GetFillStyleName(-5), none);
}

TEST(FillStyle, PatternsGetLighter)
{
    const int expectedZeros[6] = {32, 16, 8, 4, 2, 0};
    for (int p = 1; p <= 6; ++p) EXPECT_EQ(ZeroBits(FillPatternBits(p)), expectedZeros[p - 1]) << p;
    // Pattern 1 is a checkerboard.
    const auto& check = FillPatternBits(1);
    for (int row = 0; row < 8; ++row) EXPECT_EQ(check[row * 2], row % 2 ? 0x55 : 0xAA);
    EXPECT_THROW(FillPatternBits(0), CAppException);
    EXPECT_THROW(FillPatternBits(7), CAppException);
}

} // namespace
} // namespace nv
