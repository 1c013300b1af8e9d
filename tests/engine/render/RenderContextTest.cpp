#include <gtest/gtest.h>

#include <functional>

#include "engine/core/AppException.h"
#include "engine/model/TvArc.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvData.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvPolygon.h"
#include "engine/model/TvText.h"
#include "engine/render/RenderContext.h"
#include "platform/core/Cp932.h"
#include "platform/gdi/RecordingDc.h"

using namespace nv;

namespace {

constexpr int32_t kInch = 1440000;

struct Pass {
    DcTextMeasurer measurer{std::make_unique<RecordingDc>()};
    RecordingDc dc{96, 96};
    TvFedObject form;
    RenderContext rc;
    explicit Pass(bool rethrow = false) : rc(rethrow, &measurer) { rc.Begin(dc, &form, 100); }
};

std::unique_ptr<TvText> Label(const Rect& r, const char* utf8)
{
    auto t = std::make_unique<TvText>(r, *Utf8ToCp932(utf8));
    t->m_nZenHeight = 1000; // 10 points
    t->m_nHanHeight = 1000;
    return t;
}

} // namespace

TEST(RenderContext, PenRequestsFollowTheDrawingRules)
{
    EXPECT_EQ(RenderContext::PenFor(1, 0, 0).width, 1);
    EXPECT_EQ(RenderContext::PenFor(2, 5, 0), (DcPen{PenStyle::Dash, 1, 0}));
    EXPECT_EQ(RenderContext::PenFor(6, 1, 0), (DcPen{PenStyle::Solid, 2, 0}));
    EXPECT_EQ(RenderContext::PenFor(0, 3, 0).style, PenStyle::Null);
    EXPECT_EQ(RenderContext::BrushFor(1, 0xFF).style, BrushStyle::Solid);
    EXPECT_EQ(RenderContext::BrushFor(8, 0xFF).style, BrushStyle::Hatch);
    EXPECT_EQ(RenderContext::BrushFor(2, 0xFF).style, BrushStyle::Pattern);
    EXPECT_EQ(RenderContext::BrushFor(0, 0xFF).style, BrushStyle::Null);
    EXPECT_EQ(RenderContext::BrushFor(14, 0xFF).style, BrushStyle::Null);
}

TEST(RenderContext, BoxIsConvertedAndFilled)
{
    Pass p;
    TvBox box(Rect{kInch, kInch, 2 * kInch, 3 * kInch}, 0, 1, nullptr);
    box.m_nFillStyle = 1;
    box.m_crFillColor = 0x00FF00;
    box.m_nLineWidth = 0;
    p.rc.DrawObject(box);
    auto calls = p.dc.CallsOf("Rectangle");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<int32_t>{96, 96, 192, 288}));
    EXPECT_EQ(calls[0].state.brush, DcBrush::Solid(0x00FF00));
    EXPECT_EQ(calls[0].state.pen.style, PenStyle::Solid);
    // A second box of the same fill keeps the brush that is selected.
    TvBox box2(Rect{0, 0, kInch, kInch}, kInch / 4, 0, &box);
    box2.m_nFillStyle = 1;
    box2.m_crFillColor = 0x00FF00;
    p.rc.DrawObject(box2);
    auto rr = p.dc.CallsOf("RoundRect");
    ASSERT_EQ(rr.size(), 1u);
    EXPECT_EQ(rr[0].args[4], 48);
    EXPECT_EQ(rr[0].state.pen.style, PenStyle::Null);
}

TEST(RenderContext, BrushOriginFollowsTheViewport)
{
    Pass p;
    p.dc.SetViewportOrg({-3, 13});
    p.rc.SelectBrush(8, 0);
    EXPECT_EQ(p.dc.State().brushOrg, (DcPoint{5, 5}));
}

TEST(RenderContext, FontsTurnWithDirectionAndAngle)
{
    Pass p;
    auto t = Label({0, 0, kInch, kInch}, "A");
    t->m_nDirection = 4;
    t->m_nAngle = 9000;
    p.rc.CreateTextFonts(*t, 0);
    p.rc.SelectFontKind(0);
    EXPECT_EQ(p.dc.State().font.escapement, 1800);
    t->m_nDirection = 1;
    t->m_nAngle = -9000;
    p.rc.CreateTextFonts(*t, 1);
    p.rc.SelectFontKind(1);
    EXPECT_EQ(p.dc.State().font.escapement, 2700);
    // 10 points at 96 dpi: an em of 13 pixels.
    EXPECT_EQ(p.dc.State().font.height, -13);
}

TEST(RenderContext, SmallTextStaysSmallAtLowZoom)
{
    // 7 points at 10 % on 96 dpi is under one pixel; a font of height 0
    // would be drawn at the device's default size instead.
    DcTextMeasurer measurer{std::make_unique<RecordingDc>()};
    RecordingDc dc{96, 96};
    TvFedObject form;
    RenderContext rc(false, &measurer);
    rc.Begin(dc, &form, 10);
    auto t = Label({0, 0, kInch, kInch}, "A");
    t->m_nZenHeight = t->m_nHanHeight = 700;
    rc.CreateTextFonts(*t, 1);
    rc.SelectFontKind(1);
    EXPECT_EQ(dc.State().font.height, -1);
}

TEST(RenderContext, FaceIndexesLookUpTheFontLists)
{
    Pass p;
    p.form.m_fonts.push_back(std::make_unique<TvFontDesc>(1, *Utf8ToCp932("ＭＳ ゴシック"), 128, 0x31, 0, 0));
    auto t = Label({0, 0, kInch, kInch}, "A");
    t->m_nZenFont = 0;
    t->m_nHanFont = 5; // out of range
    p.rc.CreateTextFonts(*t, 0);
    p.rc.CreateTextFonts(*t, 1);
    p.rc.SelectFontKind(0);
    EXPECT_EQ(p.dc.State().font.faceName, "ＭＳ ゴシック");
    p.rc.SelectFontKind(1);
    EXPECT_EQ(p.dc.State().font.faceName, "ＭＳ 明朝");
    EXPECT_EQ(p.dc.State().font.charSet, 128);
    // A negative index is an id in the document font list.
    TvFontDesc doc(-7, "Arial", 0, 0x22, 0, 0);
    std::vector<const TvFontDesc*> docFonts{&doc};
    p.rc.SetDocumentFonts(&docFonts);
    t->m_nHanFont = -7;
    p.rc.CreateTextFonts(*t, 1);
    p.rc.SelectFontKind(1);
    EXPECT_EQ(p.dc.State().font.faceName, "Arial");
}

TEST(RenderContext, LabelTextIsDrawnRunByRunAndTheStateComesBack)
{
    Pass p;
    auto t = Label({kInch, kInch, 3 * kInch, 2 * kInch}, "Aあ");
    t->m_crText = 0x0000FF;
    p.rc.DrawObject(*t);
    auto texts = p.dc.CallsOf("Text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"A");
    EXPECT_EQ(texts[1].text, u"\u3042");
    // 10 points: the line's bottom is 200000 units (13.33 px) below the top.
    EXPECT_EQ(texts[0].args, (std::vector<int32_t>{96, 96 + 13}));
    EXPECT_EQ(texts[1].args[0], 96 + 6);
    EXPECT_EQ(texts[0].state.textColour, 0x0000FFu);
    EXPECT_EQ(texts[0].state.textAlign, kTaBottom | kTaLeft);
    ASSERT_TRUE(texts[0].state.clip.has_value());
    EXPECT_EQ(texts[0].state.clip->Bounds(), (DcRect{96, 96, 288, 192}));
    EXPECT_FALSE(p.dc.State().clip.has_value());
    EXPECT_EQ(p.dc.State().textAlign, kTaBottom | kTaLeft);
    EXPECT_EQ(p.dc.SaveDepth(), 0);
}

namespace {

// Counts the characters the layout measures.
struct CountingMeasurer : TextMeasurer {
    DcTextMeasurer inner{std::make_unique<RecordingDc>()};
    int measured = 0;
    DcSize Measure(const MeasureFont& font, std::string_view ch) override
    {
        ++measured;
        return inner.Measure(font, ch);
    }
};

} // namespace

TEST(RenderContext, TextLayoutsAreKeptWhileTheirTextFontsAndBoxStay)
{
    struct Row {
        const char* what;
        std::function<void(TvText&)> change;
        int zoom;
        bool measuredAgain;
    };
    const Row rows[] = {
        {"drawn again", [](TvText&) {}, 100, false},
        {"another colour", [](TvText& t) { t.m_crText = 0xFF; }, 100, false},
        {"another zoom", [](TvText&) {}, 200, false},
        {"another text", [](TvText& t) { t.m_strText = *Utf8ToCp932("Bい"); }, 100, true},
        {"another size", [](TvText& t) { t.m_nZenHeight = 1200; }, 100, true},
        {"a narrower box", [](TvText& t) { t.SetRect({kInch, kInch, 2 * kInch, 2 * kInch}); }, 100, true},
        {"bold", [](TvText& t) { t.m_bBold = 1; }, 100, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CountingMeasurer measurer;
        TvFedObject form;
        auto t = Label({kInch, kInch, 3 * kInch, 2 * kInch}, "Aあ");
        const auto draw = [&](const TvText& text, int zoom) {
            RecordingDc dc{96, 96};
            RenderContext rc(false, &measurer);
            rc.Begin(dc, &form, zoom);
            rc.DrawObject(text);
            std::vector<std::pair<std::u16string, std::vector<int32_t>>> texts;
            for (const DcCall& c : dc.CallsOf("Text")) texts.emplace_back(c.text, c.args);
            return std::make_pair(texts, dc.CallsOf("Text").front().state.textColour);
        };
        draw(*t, 100);
        ASSERT_GT(measurer.measured, 0);
        r.change(*t);
        measurer.measured = 0;
        const auto kept = draw(*t, r.zoom);
        EXPECT_EQ(measurer.measured > 0, r.measuredAgain);
        EXPECT_EQ(kept.second, t->m_crText);
        // What the kept layout draws is what a fresh object of the same
        // values draws.
        auto fresh = Label({0, 0, 1, 1}, "");
        fresh->CopyTextAttributes(*t);
        EXPECT_EQ(kept.first, draw(*fresh, r.zoom).first);
    }
}

// A page goes to the screen and to a PDF in turn: a text keeps its calls for
// the last few scales it was drawn at, and draws at each as a fresh object.
TEST(RenderContext, TextCallsAreKeptForTheLastScalesTheTextWasDrawnAt)
{
    struct Row {
        int dpi, zoom;
        bool kept;
    };
    const Row rows[] = {
        {96, 100, false}, {600, 100, false}, {96, 100, true},  {600, 100, true}, {96, 150, false},
        {96, 200, false}, {96, 300, false},  {600, 100, true}, {96, 100, false}, {96, 300, true},
    };
    CountingMeasurer measurer;
    TvFedObject form;
    auto t = Label({kInch, kInch, 3 * kInch, 2 * kInch}, "Aあ");
    const auto draw = [&](const TvText& text, int dpi, int zoom) {
        RecordingDc dc{dpi, dpi};
        RenderContext rc(false, &measurer);
        rc.Begin(dc, &form, zoom);
        rc.DrawObject(text);
        std::vector<std::pair<std::u16string, std::vector<int32_t>>> texts;
        for (const DcCall& c : dc.CallsOf("Text")) texts.emplace_back(c.text, c.args);
        return texts;
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dpi << " dpi, " << r.zoom << " %");
        const auto before = t->m_drawCache;
        const auto texts = draw(*t, r.dpi, r.zoom);
        EXPECT_EQ(t->m_drawCache == before, r.kept);
        auto fresh = Label({0, 0, 1, 1}, "");
        fresh->CopyTextAttributes(*t);
        EXPECT_EQ(texts, draw(*fresh, r.dpi, r.zoom));
    }
}

TEST(RenderContext, RectanglesWithNeitherFrameNorFillAreNotDrawn)
{
    struct Row {
        int32_t frame, fillStyle;
        size_t rectangles;
    };
    for (const Row& r : {Row{0, 0, 0}, Row{1, 0, 1}, Row{0, 1, 1}, Row{1, 8, 1}}) {
        SCOPED_TRACE(testing::Message() << "frame " << r.frame << ", fill " << r.fillStyle);
        Pass p;
        auto t = Label({kInch, kInch, 3 * kInch, 2 * kInch}, "A");
        t->m_bFrame = r.frame;
        t->m_nFillStyle = r.fillStyle;
        TvText templ(Rect{0, 0, 0, 0});
        templ.m_bFrame = r.frame;
        templ.m_nFillStyle = r.fillStyle;
        TvList list(Rect{0, 0, kInch, kInch}, 2, 2, templ);
        list.m_bFrame = r.frame;
        list.m_nFillStyle = r.fillStyle;
        p.rc.DrawObject(*t);
        p.rc.DrawObject(list);
        EXPECT_EQ(p.dc.CallsOf("Rectangle").size(), 2 * r.rectangles);
        EXPECT_EQ(p.dc.TextLog(), "A");
    }
}

TEST(RenderContext, MarginsThatFillTheBoxLeaveNothingVisible)
{
    Pass p;
    auto t = Label({0, 0, kInch, kInch}, "A");
    t->m_nMarginLeft = kInch / 2;
    t->m_nMarginRight = kInch / 2;
    p.rc.DrawObject(*t);
    for (const DcCall& c : p.dc.CallsOf("Text")) {
        ASSERT_TRUE(c.state.clip.has_value());
        EXPECT_TRUE(c.state.clip->IsEmpty());
    }
}

TEST(RenderContext, DataFieldsShowTheirFormattedValue)
{
    Pass p;
    TvData d(Rect{0, 0, 3 * kInch, kInch});
    d.m_nZenHeight = d.m_nHanHeight = 1000;
    d.m_strPicture = "999999";
    d.m_strValue = "12345";
    p.rc.DrawObject(d);
    EXPECT_EQ(p.dc.TextLog(), "012345");
    EXPECT_EQ(p.dc.CallsOf("Text")[0].dx.size(), 6u);
}

TEST(RenderContext, UnknownTypesDrawNothing)
{
    Pass p;
    struct Odd : TvObject {
        int32_t type;
        explicit Odd(int32_t t) : type(t) {}
        int32_t GetType() const override { return type; }
    };
    p.rc.DrawObject(Odd(0));
    p.rc.DrawObject(Odd(14));
    EXPECT_TRUE(p.dc.Calls().empty());
}

TEST(RenderContext, ShapesReachTheDeviceContext)
{
    Pass p;
    TvLine line(Rect{0, 0, kInch, 0});
    line.m_nLineStyle = 2;
    line.m_nLineWidth = 100000;
    p.rc.DrawObject(line);
    auto pl = p.dc.CallsOf("Polyline");
    ASSERT_EQ(pl.size(), 1u);
    EXPECT_EQ(pl[0].state.pen, (DcPen{PenStyle::Dash, 1, 0}));

    TvArc arc(Rect{0, 0, kInch, kInch}, 1, TvArc::kPie, nullptr);
    arc.m_nStartAngle = 0;
    arc.m_nEndAngle = 9000;
    p.rc.DrawObject(arc);
    EXPECT_EQ(p.dc.CallsOf("Pie").size(), 1u);

    TvPolygon poly(Point{0, 0}, 1, nullptr);
    poly.AddPoint({0, 0});
    poly.AddPoint({kInch, 0});
    poly.AddPoint({kInch, kInch});
    poly.AddPoint({0, kInch});
    poly.m_nPolyType = TvPolygon::kBezier;
    p.rc.DrawObject(poly);
    EXPECT_EQ(p.dc.CallsOf("Path").size(), 1u);
    TvPolygon empty(Point{0, 0}, 1, nullptr);
    p.rc.DrawObject(empty);
    EXPECT_EQ(p.dc.CallsOf("Polygons").size(), 0u);
}

TEST(RenderContext, ListDrawsGridAndCells)
{
    Pass p;
    TvText templ(Rect{0, 0, 0, 0});
    templ.m_nZenHeight = templ.m_nHanHeight = 1000;
    templ.m_bFrame = 1;
    TvList list(Rect{0, 0, 3 * kInch, 2 * kInch}, 3, 2, templ);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r) {
            if (!list.GetCell(c, r)) list.SetCell(c, r);
            TvData* cell = list.GetCell(c, r);
            ASSERT_NE(cell, nullptr);
            cell->m_strValue = std::string(1, char('a' + c + 3 * r));
        }
    p.rc.DrawObject(list);
    EXPECT_EQ(p.dc.CallsOf("Polyline").size(), 3u); // 2 vertical + 1 horizontal
    EXPECT_EQ(p.dc.TextLog(), "a|d|b|e|c|f");
    EXPECT_EQ(p.dc.CallsOf("Text").size(), 6u);
    EXPECT_EQ(p.dc.SaveDepth(), 0);
}

TEST(RenderContext, ListCellsAreDrawnInsideTheirGridCells)
{
    TvText templ(Rect{0, 0, 0, 0});
    templ.m_nZenHeight = templ.m_nHanHeight = 1000;
    auto make = [&] {
        auto list = std::make_unique<TvList>(Rect{0, 0, 3 * kInch, kInch}, 3, 1, templ);
        for (int c = 0; c < 3; ++c) {
            if (!list->GetCell(c, 0)) list->SetCell(c, 0);
            list->GetCell(c, 0)->m_strValue = std::string(1, char('a' + c));
        }
        return list;
    };
    auto clips = [](const RecordingDc& dc) {
        std::vector<DcRect> out;
        for (const DcCall& c : dc.CallsOf("Text")) out.push_back(c.state.clip ? c.state.clip->Bounds() : DcRect{});
        return out;
    };
    const std::vector<DcRect> grid{{0, 0, 96, 96}, {96, 0, 192, 96}, {192, 0, 288, 96}};
    {
        // Vertical writing in the cells: each column of text stands in its
        // own cell, at the cell's right edge.
        Pass p;
        auto list = make();
        list->SetAllCells(TvList::cellDirection, 2);
        p.rc.DrawObject(*list);
        EXPECT_EQ(clips(p.dc), grid);
        auto texts = p.dc.CallsOf("Text");
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[1].args[0], 178); // one em (13.3 px) in from 192
        EXPECT_EQ(texts[1].args[1], 0);
    }
    {
        // A page that moves the list moves its cells with it.
        Pass p;
        auto list = make();
        TvPropertyMap move;
        move.SetLong(4, kInch);
        move.SetLong(5, kInch);
        list->SetProperties(move, nullptr);
        p.rc.DrawObject(*list);
        std::vector<DcRect> moved;
        for (const DcRect& r : grid) moved.push_back(r.Offset(96, 96));
        EXPECT_EQ(clips(p.dc), moved);
        EXPECT_EQ(p.dc.CallsOf("Text")[0].args, (std::vector<int32_t>{96, 96 + 13}));
    }
}

TEST(RenderContext, FailingObjectsAreReportedAndRethrownOnRequest)
{
    {
        Pass p(true);
        TvImage img(Rect{0, 0, kInch, kInch}, "/no/such/picture.bmp");
        EXPECT_THROW(p.rc.DrawObject(img), CAppException);
        EXPECT_EQ(p.rc.FailedObjects(), 1);
        EXPECT_TRUE(p.dc.Failed());
    }
    {
        Pass p(false);
        TvImage img(Rect{0, 0, kInch, kInch}, "/no/such/picture.bmp");
        EXPECT_NO_THROW(p.rc.DrawObject(img));
        EXPECT_FALSE(p.dc.CallsOf("Image").empty()); // the "no picture" image
    }
}

TEST(RenderContext, ArcsRunFromTheStartAngleToTheEndAngle)
{
    Pass p;
    TvArc arc(Rect{0, 0, kInch, kInch}, 1, TvArc::kPie, nullptr);
    arc.m_nStartAngle = 0;
    arc.m_nEndAngle = 9000;
    p.rc.DrawObject(arc);
    auto pie = p.dc.CallsOf("Pie");
    ASSERT_EQ(pie.size(), 1u);
    EXPECT_EQ(pie[0].args, (std::vector<int32_t>{0, 0, 96, 96, 96, 48, 48, 96}));
}

TEST(RenderContext, BarcodesArePlaceholdersOnScreenAndBarsWhenPrinted)
{
    TvBarcode code;
    code.m_nX = kInch;
    code.m_nY = kInch;
    code.m_nWidth = 2 * kInch;
    code.m_nHeight = kInch / 2;
    code.m_crBarColor = 0x0000FF;
    code.m_strText = "ABC123";
    {
        Pass p;
        p.rc.DrawObject(code);
        auto r = p.dc.CallsOf("Rectangle");
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r[0].args, (std::vector<int32_t>{96, 96, 97, 144})); // a thin strip at the start
        EXPECT_EQ(r[0].state.brush, DcBrush::Solid(0x0000FF));
    }
    {
        Pass p;
        p.rc.SetBarcodeResolution(96, 96);
        p.rc.DrawObject(code);
        auto r = p.dc.CallsOf("Rectangle");
        ASSERT_GT(r.size(), 20u);
        // Bars start at the anchor and stand in the barcode's height.
        EXPECT_EQ(r[0].args[0], 96);
        for (const DcCall& c : r) {
            EXPECT_EQ(c.args[1], 96);
            EXPECT_EQ(c.args[3], 144);
        }
    }
    {
        Pass p;
        p.rc.SetBarcodeResolution(96, 96);
        code.m_strText = "abc"; // not a Code 39 character: nothing drawn, nothing thrown
        p.rc.DrawObject(code);
        EXPECT_TRUE(p.dc.CallsOf("Rectangle").empty());
    }
}

TEST(RenderContext, BarcodesKeepTheirPhysicalSizeOnEveryDevice)
{
    TvBarcode code;
    code.m_nX = kInch;
    code.m_nY = kInch;
    code.m_nWidth = 3 * kInch;
    code.m_nHeight = kInch / 2;
    code.m_strText = "NIVALO42";

    // The same bars, worked out at the layer's 300 dpi, drawn on devices of
    // 300 and 600 dpi: every edge lands at the same place in inches.
    auto bars = [&](int32_t deviceDpi) {
        DcTextMeasurer measurer{std::make_unique<RecordingDc>()};
        RecordingDc dc{deviceDpi, deviceDpi};
        TvFedObject form;
        RenderContext rc(false, &measurer);
        rc.Begin(dc, &form, 100);
        rc.SetBarcodeResolution(300, 300);
        rc.DrawObject(code);
        return dc.CallsOf("Rectangle");
    };
    auto at300 = bars(300);
    auto at600 = bars(600);
    ASSERT_GT(at300.size(), 20u);
    ASSERT_EQ(at300.size(), at600.size());
    EXPECT_EQ(at300.front().args[0], 300); // the anchor, one inch in
    for (size_t i = 0; i < at300.size(); ++i)
        for (size_t k = 0; k < 4; ++k) EXPECT_EQ(at600[i].args[k], 2 * at300[i].args[k]) << i << ":" << k;
}
