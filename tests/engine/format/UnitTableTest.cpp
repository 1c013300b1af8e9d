#include "engine/format/UnitTable.h"

#include "engine/core/AppException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>

namespace nv {
namespace {

struct UnitCase {
    int32_t id;
    int32_t decimals;
    double factor;
    bool multiply;
    int32_t oneToInternal;  // UnitToInternal(1, id)
    int32_t tenToInternal;  // UnitToInternal(10, id)
    int32_t inchToUnit;     // InternalToUnit(1440000, id)
};

// Every row of the table: the reference values are worked out by hand from
// the unit's definition (truncation into multiply units, rounding elsewhere).
const UnitCase kCases[] = {
    {UNIT_MM, 2, 1440000.0 / 25.4, true, 56692, 566929, 25},
    {UNIT_INCH, 3, 1440000.0, true, 1440000, 14400000, 1},
    {UNIT_POINT, 2, 20000.0, true, 20000, 200000, 72},
    {UNIT_CENTIMM, 0, 14400.0 / 25.4, true, 566, 5669, 2540},
    {UNIT_TWIPS, 0, 1000.0, true, 1000, 10000, 1440},
    {UNIT_LPI, 2, 1440000.0, false, 1440000, 144000, 1},
    {UNIT_CPI, 2, 1440000.0, false, 1440000, 144000, 1},
    {UNIT_DECIMM, 0, 144000.0 / 25.4, true, 5669, 56692, 254},
    {UNIT_DECIPOINT, 0, 2000.0, true, 2000, 20000, 720},
    {UNIT_CENTIINCH, 0, 14400.0, true, 14400, 144000, 100},
    {UNIT_DECICPI, 2, 14400000.0, false, 14400000, 1440000, 10},
    {UNIT_DECILPI, 2, 14400000.0, false, 14400000, 1440000, 10},
    {UNIT_CENTIPOINT, 0, 200.0, true, 200, 2000, 7200},
    {UNIT_PIXEL, 0, 1.0, true, 1, 10, 1440000},
    {UNIT_NONE, 0, 1.0, true, 1, 10, 1440000},
    {UNIT_MICROMM, 0, 1440.0 / 25.4, true, 56, 566, 25400},
};

TEST(UnitTable, EveryRowConvertsBothWays)
{
    ASSERT_EQ(std::size(kCases), static_cast<size_t>(kUnitCount));
    for (int i = 0; i < kUnitCount; ++i) {
        const UnitCase& c = kCases[i];
        SCOPED_TRACE(c.id);
        const UnitRow* row = FindUnit(c.id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row, &UnitRows()[i]); // search order of the table
        EXPECT_EQ(row->decimals, c.decimals);
        EXPECT_NEAR(row->factor, c.factor, 1e-9);
        EXPECT_EQ(row->multiply != 0, c.multiply);
        EXPECT_EQ(UnitToInternal(1, c.id, true), c.oneToInternal);
        EXPECT_EQ(UnitToInternal(10, c.id, true), c.tenToInternal);
        EXPECT_EQ(InternalToUnit(1440000, c.id, true), c.inchToUnit);
        EXPECT_EQ(UnitToInternal(0, c.id, true), 0);
        EXPECT_EQ(InternalToUnit(0, c.id, true), 0);
        EXPECT_EQ(ConvertUnit(c.id, 0, c.id, true), 0);
        // Through document units and back, a whole inch survives every unit.
        EXPECT_EQ(ConvertUnit(c.id, 1, UNIT_INCH, true), c.inchToUnit);
    }
}

TEST(UnitTable, NamesAreCp932)
{
    EXPECT_STREQ(FindUnit(UNIT_MM)->name, "\x83~\x83\x8A");
    EXPECT_STREQ(FindUnit(UNIT_TWIPS)->name, "TWIPS");
    EXPECT_STREQ(FindUnit(UNIT_NONE)->name, "\x95\xCF\x8A\xB7\x96\xB3\x82\xB5");
    EXPECT_STREQ(FindUnit(UNIT_MICROMM)->name, "1/1000\x83~\x83\x8A");
}

TEST(UnitTable, RoundingEdges)
{
    // Into a multiply unit truncates, out of it rounds half away from zero.
    EXPECT_EQ(UnitToInternal(1, UNIT_MM, true), 56692);
    EXPECT_EQ(UnitToInternal(-1, UNIT_MM, true), -56692);
    EXPECT_EQ(InternalToUnit(56692, UNIT_MM, true), 1);
    EXPECT_EQ(InternalToUnit(-56692, UNIT_MM, true), -1);
    EXPECT_EQ(InternalToUnit(500, UNIT_TWIPS, true), 1);   // half: away from zero
    EXPECT_EQ(InternalToUnit(499, UNIT_TWIPS, true), 0);
    EXPECT_EQ(InternalToUnit(-500, UNIT_TWIPS, true), -1);
    EXPECT_EQ(InternalToUnit(-499, UNIT_TWIPS, true), 0);
    EXPECT_EQ(InternalToUnit(100, UNIT_CENTIPOINT, true), 1);
    // Reciprocal units round both ways.
    EXPECT_EQ(UnitToInternal(10, UNIT_CPI, true), 144000);
    EXPECT_EQ(InternalToUnit(144000, UNIT_CPI, true), 10);
    EXPECT_EQ(UnitToInternal(7, UNIT_CPI, true), 205714);     // 205714.28
    EXPECT_EQ(UnitToInternal(11, UNIT_LPI, true), 130909);    // 130909.09
    EXPECT_EQ(UnitToInternal(64, UNIT_LPI, true), 22500);
    EXPECT_EQ(InternalToUnit(2880000, UNIT_CPI, true), 1);    // 0.5 rounds up
    EXPECT_EQ(InternalToUnit(2880001, UNIT_CPI, true), 0);
    EXPECT_EQ(UnitToInternal(-10, UNIT_CPI, true), -144000);
    // ConvertUnit works on the unrounded document value.
    EXPECT_EQ(ConvertUnit(UNIT_DECICPI, 10, UNIT_CPI, true), 100);
    EXPECT_EQ(ConvertUnit(UNIT_CPI, 100, UNIT_DECICPI, true), 10);
    EXPECT_EQ(ConvertUnit(UNIT_CENTIMM, 1, UNIT_MM, true), 100);
    EXPECT_EQ(ConvertUnit(UNIT_POINT, 1, UNIT_INCH, true), 72);
    EXPECT_EQ(ConvertUnit(UNIT_CPI, 1, UNIT_INCH, true), 1);
    EXPECT_EQ(ConvertUnit(UNIT_MM, 1, UNIT_CPI, true), 25);    // 25.4
    EXPECT_EQ(ConvertUnit(UNIT_MM, 2, UNIT_CPI, true), 13);    // 12.7
}

TEST(UnitTable, OverflowRaises30008OnlyWhenChecked)
{
    try {
        UnitToInternal(2000, UNIT_INCH, true);
        FAIL() << "no exception";
    } catch (const CAppException& e) {
        EXPECT_EQ(e.MessageId(), static_cast<uint32_t>(IDS_UNIT_OVERFLOW));
    }
    EXPECT_NO_THROW(UnitToInternal(2000, UNIT_INCH, false));
    EXPECT_EQ(UnitToInternal(2000, UNIT_INCH, false), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(UnitToInternal(-2000, UNIT_INCH, false), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(UnitToInternal(1491, UNIT_INCH, true), 2147040000);
    EXPECT_THROW(UnitToInternal(1492, UNIT_INCH, true), CAppException);
    EXPECT_THROW(ConvertUnit(UNIT_PIXEL, 1492, UNIT_INCH, true), CAppException);
}

TEST(UnitTable, CheckRangeBounds)
{
    EXPECT_EQ(CheckRange(2147483647.0, true), 2147483647.0);
    EXPECT_EQ(CheckRange(-2147483648.0, true), -2147483648.0);
    EXPECT_THROW(CheckRange(2147483648.0, true), CAppException);
    EXPECT_THROW(CheckRange(-2147483649.0, true), CAppException);
    EXPECT_THROW(CheckRange(std::numeric_limits<double>::quiet_NaN(), true), CAppException);
    EXPECT_NO_THROW(CheckRange(1e300, false));
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt32(-2.5), -3);
    EXPECT_EQ(RoundToInt32(2.5), 3);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_EQ(RoundToInt32(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundToInt32(-3e9), std::numeric_limits<int32_t>::min());
}

TEST(UnitTable, UnknownIdIsRefused)
{
    EXPECT_EQ(FindUnit(0), nullptr);
    EXPECT_EQ(FindUnit(1), nullptr);
    EXPECT_EQ(FindUnit(18), nullptr);
    EXPECT_THROW(UnitToInternal(1, 1, true), CAppException);
    EXPECT_THROW(InternalToUnit(1, 18, true), CAppException);
    EXPECT_THROW(ConvertUnit(UNIT_MM, 1, -1, true), CAppException);
    EXPECT_THROW(ConvertUnit(99, 1, UNIT_MM, true), CAppException);
}

TEST(UnitTable, SnapToGrid)
{
    int32_t count = -7;
    EXPECT_EQ(SnapToGrid(250, 100, 0, &count), 300);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(SnapToGrid(-250, 100, 0, &count), -200);
    EXPECT_EQ(count, -2);
    EXPECT_EQ(SnapToGrid(250, 100, -1), 200);
    EXPECT_EQ(SnapToGrid(-250, 100, -1), -300);
    EXPECT_EQ(SnapToGrid(201, 100, 1), 300);
    EXPECT_EQ(SnapToGrid(201, 100, 7), 300);
    EXPECT_EQ(SnapToGrid(-201, 100, 1), -200);
    EXPECT_EQ(SnapToGrid(300, 100, 1, &count), 300);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(SnapToGrid(249, 100, 0), 200);
    EXPECT_EQ(SnapToGrid(1234, 0, 0, &count), 1234);
    EXPECT_EQ(count, 0);
}

TEST(UnitTable, FixedConversions)
{
    EXPECT_EQ(DivRound(7, 2), 4);
    EXPECT_EQ(DivRound(-7, 2), -4);
    EXPECT_EQ(DivRound(5, 3), 2);
    EXPECT_EQ(DivRound(5, 0), 0);
    EXPECT_EQ(DocToPoints(39999), 1);
    EXPECT_EQ(DocToPoints(-39999), -1);
    EXPECT_EQ(DocToCentiPoints(100), 1);   // 0.5 away from zero
    EXPECT_EQ(DocToCentiPoints(-100), -1);
    EXPECT_EQ(DocToCentiPoints(99), 0);
    EXPECT_EQ(DocToPointsRounded(30000), 2);
    EXPECT_EQ(DocToPointsRounded(29999), 1);
    EXPECT_DOUBLE_EQ(DocToPointsRounded(30000.0), 2.0);
    EXPECT_EQ(InchesToDoc(2), 2880000);
    EXPECT_DOUBLE_EQ(InchesToDoc(0.5), 720000.0);
    EXPECT_DOUBLE_EQ(InchesToDoc(1.0 / 3.0), 480000.0);
    EXPECT_EQ(InchesToDoc(3000), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TwipsToDoc(1440), 1440000);
    EXPECT_EQ(PixelsToDoc(96, 96), 1440000);
    EXPECT_EQ(PixelsToDoc(1, 300), 4800);
    EXPECT_EQ(PixelsToDoc(1, 7), 205714);
    EXPECT_EQ(PixelsToDoc(1, 0), 0);
    EXPECT_EQ(DocToHimetric(1440000), 2540);
    EXPECT_EQ(DocToHimetric(566), 0);
    EXPECT_EQ(DocToHimetric(-1440000), -2540);
    EXPECT_DOUBLE_EQ(DocToHimetric(1440000.0), 2540.0);
    EXPECT_EQ(TimesFifth(9), 1);
    EXPECT_EQ(TimesFifth(-9), -1);
    EXPECT_EQ(TimesFive(0.3), 2);   // 1.5
    EXPECT_EQ(TimesFive(-0.3), -2);
}

} // namespace
} // namespace nv
