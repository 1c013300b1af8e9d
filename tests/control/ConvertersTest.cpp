#include "control/ControlErrors.h"
#include "control/Converters.h"
#include "control/TypeLibrary.h"
#include "control/typelib/TvlEnums.h"

#include <climits>
#include <gtest/gtest.h>

using namespace nv;

TEST(Converters, EveryPairRoundTripsOverItsEnumeration)
{
    ASSERT_EQ(ConverterPairs().size(), 12u);
    for (const ConverterPair* p : ConverterPairs()) {
        SCOPED_TRACE(p->type);
        const EnumInfo* e = FindEnumeration(p->type);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(p->rows.size(), e->members.size());
        for (const EnumMember& m : e->members) {
            int32_t engine = p->ToEngine(m.value);
            EXPECT_NE(engine, kNotInRow) << m.name;
            EXPECT_EQ(p->FromEngine(engine), m.value) << m.name;
        }
        EXPECT_EQ(p->ToEngine(99), kNotInRow);
        EXPECT_EQ(p->ToEngine(-999), kNotInRow);
        if (!p->fromEngineRule) {
            EXPECT_EQ(p->FromEngine(-12345), p->fromEngineDefault);
        }
    }
}

TEST(Converters, WorkedExamples)
{
    EXPECT_EQ(kFillPatternConverter.ToEngine(tvlFillHorizontal), 8);
    EXPECT_EQ(kFillPatternConverter.FromEngine(8), tvlFillHorizontal);
    EXPECT_EQ(kFillPatternConverter.FromEngine(14), tvlFillNone);
    EXPECT_EQ(kDecorateLineConverter.ToEngine(tvlDecorateLineDouble), 7);
    EXPECT_EQ(kDecorateLineConverter.ToEngine(tvlDecorateLineBold), 6);
    EXPECT_EQ(kDecorateLineConverter.FromEngine(7), tvlDecorateLineDouble);
    EXPECT_EQ(kUnitConverter.ToEngine(tvlUnitMm100), 3);
    EXPECT_EQ(kUnitConverter.FromEngine(3), tvlUnitMm100);
    EXPECT_EQ(kUnitConverter.FromEngine(14), tvlUnitMm100);
    EXPECT_EQ(kUnitConverter.ToEngine(7), kNotInRow);
    EXPECT_EQ(kPolyTypeConverter.ToEngine(tvlPolyPoly), 2);
    EXPECT_EQ(kPolyTypeConverter.FromEngine(3), tvlPolyPoly);
    EXPECT_EQ(kBarcodeTypeConverter.ToEngine(tvlBarcodeNw7), 5);
}

TEST(Converters, RefusalsRaiseByWhereTheyHappen)
{
    try {
        ToEngineOrThrow(kUnitConverter, 7, ConvertSite::PropertySetter);
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A017C));
        EXPECT_EQ(e.Description(), "値が不正です。(Unit)");
        EXPECT_EQ(e.HelpContext(), 20011);
    }
    try {
        ToEngineOrThrow(kLineStyleConverter, 6, ConvertSite::FormMethod);
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A0005));
        EXPECT_EQ(e.HelpContext(), 20014);
    }
    EXPECT_EQ(ToEngineOrThrow(kArcTypeConverter, tvlArcPie, ConvertSite::FormMethod), 3);
}

TEST(Converters, AnglesGoToTheNearestQuarterTurn)
{
    const std::pair<int32_t, int32_t> rows[] = {
        {0, tvlAngle0},         {4400, tvlAngle0},     {4500, tvlAngle90},     {9000, tvlAngle90},
        {13500, tvlAngle180},   {27000, tvlAngle270},  {31500, tvlAngle0},     {36000, tvlAngle0},
        {-9000, tvlAngle270},   {-4500, tvlAngle270},  {-18000, tvlAngle180},  {INT32_MIN, tvlAngle270},
        {INT32_MAX, tvlAngle90},
    };
    for (auto [engine, angle] : rows) EXPECT_EQ(kAngleConverter.FromEngine(engine), angle) << engine;
    EXPECT_EQ(kAngleConverter.ToEngine(tvlAngle270), 27000);
}

TEST(Converters, ReadersAndThePaperTable)
{
    EXPECT_EQ(LayerModeFromEngine(1), tvlLayerModeAP);
    EXPECT_EQ(LayerModeFromEngine(2), tvlLayerModeLP);
    EXPECT_EQ(LayerModeFromEngine(0), tvlLayerModeAP);
    EXPECT_EQ(OrientationFromDevMode(2), tvlOrientHorizontal);
    EXPECT_EQ(OrientationFromDevMode(1), tvlOrientVertical);
    EXPECT_EQ(OrientationFromDevMode(0), tvlOrientVertical);
    const std::pair<int32_t, int32_t> papers[] = {{0, 8}, {1, 12}, {2, 9},     {3, 13},  {4, 11},
                                                  {5, 43}, {6, 256}, {256, 256}, {-1, 256}};
    for (auto [number, code] : papers) EXPECT_EQ(FormPaperCode(number), code) << number;
    EXPECT_EQ(FormPaperTable()[2].width, 11905511);
    EXPECT_EQ(FormPaperTable()[2].length, 16837795);
    const std::pair<int32_t, int32_t> types[] = {{1, tvlLabel},  {2, tvlLine},     {3, tvlBox},  {4, tvlCircle},
                                                 {5, tvlArc},    {6, tvlPolygon},  {7, tvlPicture}, {8, tvlData},
                                                 {9, tvlBarcode}, {10, tvlList},   {11, tvlText}, {12, tvlImage},
                                                 {13, tvlOle},   {14, tvlLabel},   {0, tvlLabel}};
    for (auto [code, type] : types) EXPECT_EQ(ObjectTypeFromEngine(code), type) << code;
}
