#include <gtest/gtest.h>

#include "platform/gdi/GdiRules.h"
#include "platform/gdi/RecordingDc.h"

using namespace nv;

TEST(DeviceContext, RestoreBringsBackTheWholeStateByValue)
{
    RecordingDc dc;
    dc.SelectPen({PenStyle::Dash, 1, 0x0000FF});
    dc.SetTextColor(0x123456);
    int level = dc.SaveDC();
    EXPECT_EQ(level, 1);
    dc.SelectPen({PenStyle::Solid, 5, 0x00FF00});
    dc.SetTextColor(0xFFFFFF);
    dc.OffsetViewportOrg(10, 20);
    dc.IntersectClipRect({0, 0, 5, 5});
    dc.SaveDC();
    dc.SelectBrush(DcBrush::Hatched(HatchStyle::Cross, 0xFF));
    EXPECT_TRUE(dc.RestoreDC(1));
    EXPECT_EQ(dc.State().pen, (DcPen{PenStyle::Dash, 1, 0x0000FF}));
    EXPECT_EQ(dc.State().textColour, 0x123456u);
    EXPECT_EQ(dc.State().viewportOrg, (DcPoint{0, 0}));
    EXPECT_FALSE(dc.State().clip.has_value());
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(0));
}

TEST(DeviceContext, ViewportOriginMapsToDevicePixels)
{
    RecordingDc dc;
    dc.SetViewportOrg({100, 50});
    dc.Rectangle({10, 20, 0, 0}); // normalised
    dc.MoveTo(1, 2);
    dc.LineTo(3, 4);
    ASSERT_EQ(dc.Calls().size(), 2u);
    EXPECT_EQ(dc.Calls()[0].args, (std::vector<int32_t>{100, 50, 110, 70}));
    EXPECT_EQ(dc.Calls()[1].args, (std::vector<int32_t>{101, 52, 103, 54}));
}

TEST(DeviceContext, ClipRectsAreKeptInDevicePixels)
{
    RecordingDc dc(96, 96, {200, 100});
    dc.SetViewportOrg({10, 10});
    dc.IntersectClipRect({0, 0, 50, 50});
    dc.IntersectClipRect({20, 20, 100, 100});
    DcRect box;
    ASSERT_TRUE(dc.GetClipBox(&box));
    EXPECT_EQ(box, (DcRect{20, 20, 50, 50}));
    dc.ExcludeClipRect({20, 20, 50, 30});
    EXPECT_TRUE(dc.State().clip->Contains(35, 45));
    EXPECT_FALSE(dc.State().clip->Contains(35, 35));
    dc.IntersectClipRect({0, 0, 1, 1});
    EXPECT_FALSE(dc.GetClipBox(&box));
}

TEST(DeviceContext, Cp932TextConvertsWithPerByteAdvances)
{
    RecordingDc dc;
    const std::string text = "A\x82\xA0" "B"; // A, HIRAGANA A, B
    const int32_t dx[] = {5, 6, 7, 8};
    dc.ExtTextOutA(0, 0, 0, nullptr, text, dx);
    ASSERT_EQ(dc.Calls().size(), 1u);
    EXPECT_EQ(dc.Calls()[0].text, u"A\u3042B");
    EXPECT_EQ(dc.Calls()[0].dx, (std::vector<int32_t>{5, 13, 8}));
    // A lone lead byte at the end is one replacement character, nothing more.
    std::vector<int32_t> adv;
    const int32_t dx2[] = {1, 2};
    EXPECT_EQ(Cp932ToUtf16(std::string("A\x82", 2), dx2, &adv), u"A\uFFFD");
    EXPECT_EQ(adv, (std::vector<int32_t>{1, 2}));
    // A trail byte 0x5C is part of its character.
    EXPECT_EQ(Cp932ToUtf16("\x95\x5C"), u"\u8868");
}

TEST(DeviceContext, UpdateCpTextAdvancesTheCurrentPosition)
{
    RecordingDc dc;
    dc.SelectFont(DcFont{-20});
    dc.SetTextAlign(kTaUpdateCp);
    dc.MoveTo(10, 10);
    dc.TextOut(0, 0, u"ab\u3042");
    EXPECT_EQ(dc.State().currentPosition.x, 10 + 10 + 10 + 20);
    EXPECT_EQ(dc.Calls()[0].args[0], 10);
}

TEST(DeviceContext, PolyDrawBuildsLinesAndCurves)
{
    RecordingDc dc;
    const DcPoint pts[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}};
    const uint8_t types[] = {kPtMoveTo, kPtLineTo, kPtBezierTo, kPtBezierTo, kPtBezierTo | kPtCloseFigure};
    dc.PolyDraw(pts, types, 5);
    ASSERT_EQ(dc.CallsOf("Path").size(), 1u);
    const std::vector<int32_t> a = dc.CallsOf("Path")[0].args;
    // MoveTo, LineTo, BezierTo, Close
    EXPECT_EQ(a.front(), int32_t(DcPath::Op::MoveTo));
    EXPECT_EQ(a.back(), int32_t(DcPath::Op::Close));
    // A broken Bézier run draws what came before and stops.
    const uint8_t broken[] = {kPtMoveTo, kPtBezierTo, kPtLineTo};
    dc.PolyDraw(pts, broken, 3);
    EXPECT_EQ(dc.CallsOf("Path").size(), 2u);
}

TEST(GdiRules, ArcAnglesFromRadialPointsRunCounterclockwise)
{
    double s = 0, w = 0;
    // From three o'clock to twelve o'clock: a quarter turn.
    ArcParametricAngles({0, 0, 100, 100}, {100, 50}, {50, 0}, &s, &w);
    EXPECT_NEAR(s, 0.0, 1e-9);
    EXPECT_NEAR(w, 90.0, 1e-9);
    // The other way round is three quarters.
    ArcParametricAngles({0, 0, 100, 100}, {50, 0}, {100, 50}, &s, &w);
    EXPECT_NEAR(s, 90.0, 1e-9);
    EXPECT_NEAR(w, 270.0, 1e-9);
    // On a flat ellipse the radial line through the corner is parametric 45 degrees.
    ArcParametricAngles({0, 0, 200, 100}, {200, 0}, {200, 0}, &s, &w);
    EXPECT_NEAR(s, 45.0, 1e-9);
    EXPECT_NEAR(w, 360.0, 1e-9);
}

TEST(GdiRules, DashLengthsAndHatches)
{
    EXPECT_EQ(DashPattern(PenStyle::Dash), (std::vector<int32_t>{18, 6}));
    EXPECT_EQ(DashPattern(PenStyle::Dot), (std::vector<int32_t>{3, 3}));
    EXPECT_TRUE(DashPattern(PenStyle::Solid).empty());
    EXPECT_EQ(HatchBits(HatchStyle::Horizontal)[3], 0xFF);
    EXPECT_EQ(HatchBits(HatchStyle(99)), HatchBits(HatchStyle::Horizontal));
}

TEST(GdiRules, Utf8AndUtf16RoundTrip)
{
    const std::string s = "a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81"), u"\uFFFD\uFFFD"); // truncated sequence: each byte replaced
}
