#include "engine/render/EmfPlayer.h"

#include "EmfWriter.h"
#include "platform/gdi/RecordingDc.h"
#include "platform/qt/QtDeviceContext.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace nv;
using nvtest::EmfWriter;
using namespace nvtest;

namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

// A 100 x 100 pixel canvas; the writers below use a 100 mm frame on a
// reference device of one pixel per millimetre, so logical units are pixels.
class Canvas {
public:
    Canvas() : image_(100, 100, QImage::Format_ARGB32)
    {
        image_.fill(Qt::white);
        image_.setDotsPerMeterX(3780);
        image_.setDotsPerMeterY(3780);
        painter_ = std::make_unique<QPainter>(&image_);
        dc_ = std::make_unique<QtDeviceContext>(*painter_);
    }
    EmfPlayer::Result Play(const std::string& emf, DcRect dst = {0, 0, 100, 100})
    {
        return EmfPlayer::Play(*dc_, emf, dst);
    }
    // 0x00RRGGBB of a pixel.
    uint32_t At(int x, int y)
    {
        painter_->end();
        uint32_t p = image_.pixel(x, y) & 0xFFFFFF;
        painter_->begin(&image_);
        return p;
    }
    DeviceContext& dc() { return *dc_; }

private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtDeviceContext> dc_;
};

uint32_t Rgb(ColorRef c) { return (ColorRefRed(c) << 16) | (ColorRefGreen(c) << 8) | ColorRefBlue(c); }

EmfWriter Writer() { return EmfWriter(10000, 10000); }

// Brush in handle 1 selected, pen: none.
EmfWriter& SolidBrush(EmfWriter& w, uint32_t handle, ColorRef colour)
{
    w.Rec(kEmrCreateBrush, {handle, 0, colour, 0});
    return w.Rec(kEmrSelectObject, {handle});
}

EmfWriter& NoPen(EmfWriter& w) { return w.Rec(kEmrSelectObject, {0x80000008}); }

int EnsureApp()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
    return 0;
}

// An offscreen surface on a QImage, as a host would supply one.
class QtSurface : public RasterSurface {
public:
    QtSurface(int w, int h) : image_(w, h, QImage::Format_ARGB32)
    {
        image_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&image_);
        dc_ = std::make_unique<QtDeviceContext>(*painter_, false, 96, 96);
    }
    DeviceContext& Dc() override { return *dc_; }
    DcImage Snapshot() override { return FromQImage(image_); }

private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtDeviceContext> dc_;
};

class EmfPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

} // namespace

TEST_F(EmfPlayerTest, RectangleEllipseAndStockObjects)
{
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kRed);
    w.Rec(kEmrRectangle, {10, 10, 50, 40});
    SolidBrush(w, 2, kBlue);
    w.Rec(kEmrEllipse, {55, 55, 95, 95});
    w.Rec(kEmrSelectObject, {0x80000004});  // BLACK_BRUSH
    w.Rec(kEmrRectangle, {80, 5, 90, 15});
    Canvas c;
    EXPECT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(20, 20), Rgb(kRed));
    EXPECT_EQ(c.At(48, 38), Rgb(kRed));
    EXPECT_EQ(c.At(49, 39), 0xFFFFFFu);  // without a pen the right and bottom edges stay out
    EXPECT_EQ(c.At(75, 75), Rgb(kBlue));
    EXPECT_EQ(c.At(57, 57), 0xFFFFFFu);  // outside the ellipse, inside its box
    EXPECT_EQ(c.At(85, 10), 0u);
}

TEST_F(EmfPlayerTest, ArcRunsCounterclockwise)
{
    EmfWriter w = Writer();
    w.Rec(kEmrCreatePen, {1, 0, 3, 0, 0});  // solid, width 3, black
    w.Rec(kEmrSelectObject, {1});
    // from three o'clock to twelve o'clock on the circle in (10, 10, 90, 90)
    w.Rec(kEmrArc, {10, 10, 90, 90, 90, 50, 50, 10});
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    auto darkNear = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (c.At(x + dx, y + dy) == 0) return true;
        return false;
    };
    EXPECT_TRUE(darkNear(78, 22));   // upper right quarter
    EXPECT_FALSE(darkNear(22, 78));  // lower left quarter
    EXPECT_FALSE(darkNear(22, 22));
}

TEST_F(EmfPlayerTest, TextWithAdvancesScales)
{
    EmfWriter w(20000, 10000);  // 200 x 100 px frame played into 100 x 50: half size
    w.Raw(kEmrCreateFont, EmfWriter::FontBody(1, -20, u"Arial"));
    w.Rec(kEmrSelectObject, {1});
    w.Raw(kEmrTextW, EmfWriter::TextBody(10, 20, u"ABC", {10, 21, 30}));
    RecordingDc dc;
    EXPECT_EQ(EmfPlayer::Play(dc, w.Finish(), DcRect{0, 0, 100, 50}), EmfPlayer::Result::Complete);
    auto texts = dc.CallsOf("Text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"ABC");
    ASSERT_EQ(texts[0].dx.size(), 3u);
    // cumulative 10, 31, 61 -> 5, 15.5, 30.5 -> rounded 5, 16, 31
    EXPECT_EQ(texts[0].dx[0], 5);
    EXPECT_EQ(texts[0].dx[1], 11);
    EXPECT_EQ(texts[0].dx[2], 15);
    EXPECT_EQ(texts[0].args[0], 5);
    EXPECT_EQ(texts[0].args[1], 10);
    EXPECT_EQ(texts[0].state.font.height, -10);
    EXPECT_EQ(texts[0].state.font.faceName, "Arial");
}

TEST_F(EmfPlayerTest, StretchedBitmap)
{
    EmfWriter w = Writer();
    w.Raw(kEmrStretchDibits,
          EmfWriter::StretchDibBody(20, 20, 60, 40, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000}));
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(25, 25), 0xFF0000u);  // top left source pixel
    EXPECT_EQ(c.At(75, 25), 0x00FF00u);
    EXPECT_EQ(c.At(25, 55), 0x0000FFu);
    EXPECT_EQ(c.At(75, 55), 0x000000u);
    EXPECT_EQ(c.At(10, 10), 0xFFFFFFu);
    EXPECT_EQ(c.At(85, 65), 0xFFFFFFu);
}

TEST_F(EmfPlayerTest, ClippingAndNestedSaveRestore)
{
    EmfWriter w = Writer();
    NoPen(w);
    w.Rec(kEmrSaveDc, {});
    SolidBrush(w, 1, kRed);
    w.Rec(kEmrSaveDc, {});
    SolidBrush(w, 2, kBlue);
    w.Rec(kEmrIntersectClipRect, {0, 0, 50, 100});
    w.Rec(kEmrRectangle, {0, 0, 100, 20});   // blue, left half only
    w.Rec(kEmrRestoreDc, {-1});
    w.Rec(kEmrRectangle, {0, 30, 100, 50});  // red again, no clip
    w.Rec(kEmrRestoreDc, {-1});
    w.Rec(kEmrRectangle, {0, 60, 100, 80});  // the default white brush, no pen
    w.Rec(kEmrRestoreDc, {-5});              // nothing saved that deep: ignored
    SolidBrush(w, 3, kGreen);
    w.Rec(kEmrRectangle, {0, 85, 100, 95});
    Canvas c;
    // the caller's own state is untouched by the metafile
    c.dc().SetTextColor(0x123456);
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(25, 10), Rgb(kBlue));
    EXPECT_EQ(c.At(75, 10), 0xFFFFFFu);
    EXPECT_EQ(c.At(75, 40), Rgb(kRed));
    EXPECT_EQ(c.At(25, 40), Rgb(kRed));
    EXPECT_EQ(c.At(50, 70), 0xFFFFFFu);
    EXPECT_EQ(c.At(50, 90), Rgb(kGreen));
    EXPECT_EQ(c.dc().State().textColour, 0x123456u);
    EXPECT_EQ(c.dc().SaveDepth(), 0);
}

TEST_F(EmfPlayerTest, AnisotropicMappingWithYUp)
{
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kRed);
    w.Rec(kEmrSetMapMode, {8});
    w.Rec(kEmrSetWindowExtEx, {1000, 1000});
    w.Rec(kEmrSetViewportExtEx, {100, -100});
    w.Rec(kEmrSetViewportOrgEx, {0, 100});
    w.Rec(kEmrRectangle, {0, 0, 500, 500});  // lower left quarter
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(25, 75), Rgb(kRed));
    EXPECT_EQ(c.At(25, 25), 0xFFFFFFu);
    EXPECT_EQ(c.At(75, 75), 0xFFFFFFu);
}

TEST_F(EmfPlayerTest, WorldTransformAndPaths)
{
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kRed);
    // scale by 2 through the world transform (floats 2.0, 0, 0, 2.0, 0, 0)
    w.Rec(kEmrModifyWorldTransform, {0x40000000, 0, 0, 0x40000000, 0, 0, 4});
    w.Rec(kEmrBeginPath, {});
    w.Rec(kEmrRectangle, {5, 5, 20, 20});
    w.Rec(kEmrEndPath, {});
    w.Rec(kEmrFillPath, {0, 0, 0, 0});
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(30, 30), Rgb(kRed));
    EXPECT_EQ(c.At(45, 45), 0xFFFFFFu);
}

TEST_F(EmfPlayerTest, BadRecordsEndPlaybackKeepingWhatWasDrawn)
{
    auto start = [] {
        EmfWriter w = Writer();
        NoPen(w);
        SolidBrush(w, 1, kRed);
        w.Rec(kEmrRectangle, {0, 0, 50, 50});
        return w;
    };
    auto after = [](EmfWriter& w) { w.Rec(kEmrRectangle, {50, 50, 100, 100}); };

    std::vector<EmfWriter> cases;
    {   // a rectangle record too short for its rectangle
        EmfWriter w = start();
        w.Rec(kEmrRectangle, {1, 2});
        after(w);
        cases.push_back(w);
    }
    {   // a handle index past the table
        EmfWriter w = start();
        w.Rec(kEmrSelectObject, {200});
        after(w);
        cases.push_back(w);
    }
    {   // a point count larger than the record
        EmfWriter w = start();
        w.Rec(kEmrPolyline16, {0, 0, 0, 0, 1000000, 0});
        after(w);
        cases.push_back(w);
    }
    {   // a size that runs past the file
        EmfWriter w = start();
        w.Lying(kEmrRectangle, 4000, std::string(16, '\0'));
        cases.push_back(w);
    }
    {   // a bitmap whose offsets leave the record
        EmfWriter w = start();
        std::string body = EmfWriter::StretchDibBody(0, 0, 10, 10, 1, 1, {0});
        body[40] = '\x7f';  // offBmi
        w.Raw(kEmrStretchDibits, body);
        after(w);
        cases.push_back(w);
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        Canvas c;
        EXPECT_EQ(c.Play(cases[i].Finish()), EmfPlayer::Result::BadRecord) << i;
        EXPECT_EQ(c.At(25, 25), Rgb(kRed)) << i;
        EXPECT_EQ(c.At(75, 75), 0xFFFFFFu) << i;
    }

    Canvas c;
    EXPECT_EQ(c.Play("not a metafile"), EmfPlayer::Result::NotMetafile);
    EXPECT_EQ(c.Play(std::string()), EmfPlayer::Result::NotMetafile);
}

TEST_F(EmfPlayerTest, EveryTruncationPlaysSafely)
{
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kRed);
    w.Rec(kEmrRectangle, {0, 0, 50, 50});
    w.Raw(kEmrCreateFont, EmfWriter::FontBody(2, -12, u"Arial"));
    w.Rec(kEmrSelectObject, {2});
    w.Raw(kEmrTextW, EmfWriter::TextBody(10, 20, u"AB", {5, 5}));
    w.Raw(kEmrStretchDibits, EmfWriter::StretchDibBody(0, 0, 10, 10, 1, 1, {0}));
    w.Rec(kEmrGdiComment, {4, 0});
    const std::string full = w.Finish();
    for (size_t n = 0; n < full.size(); n += 3) {
        RecordingDc dc;
        const auto r = EmfPlayer::Play(dc, reinterpret_cast<const uint8_t*>(full.data()), n, DcRect{0, 0, 100, 100});
        EXPECT_NE(r, EmfPlayer::Result::Complete) << n;
        EXPECT_EQ(dc.SaveDepth(), 0);
    }
    RecordingDc dc;
    EXPECT_EQ(EmfPlayer::Play(dc, full, DcRect{0, 0, 100, 100}), EmfPlayer::Result::Complete);
}

TEST_F(EmfPlayerTest, RasterOperationsCombineOnAnOffscreenSurface)
{
    // red and blue bars, then a bitmap ANDed over the red and XORed over the blue
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kRed);
    w.Rec(kEmrRectangle, {0, 0, 101, 51});
    SolidBrush(w, 2, kBlue);
    w.Rec(kEmrRectangle, {0, 50, 101, 101});
    // left column white, right column black
    w.Raw(kEmrStretchDibits, EmfWriter::StretchDibBody(0, 0, 100, 50, 2, 1, {0xFFFFFF, 0x000000}, 0x008800C6));
    w.Raw(kEmrStretchDibits, EmfWriter::StretchDibBody(0, 50, 100, 50, 2, 1, {0xFFFFFF, 0x000000}, 0x00660046));
    const std::string emf = w.Finish();
    EXPECT_TRUE(EmfPlayer::NeedsRasterSurface(reinterpret_cast<const uint8_t*>(emf.data()), emf.size()));

    RasterSurfaceFactory factory = [](int32_t cw, int32_t ch) { return std::make_unique<QtSurface>(cw, ch); };
    Canvas c;
    ASSERT_EQ(EmfPlayer::Play(c.dc(), emf, DcRect{0, 0, 100, 100}, &factory), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(25, 25), 0xFF0000u);  // red AND white
    EXPECT_EQ(c.At(75, 25), 0x000000u);  // red AND black
    EXPECT_EQ(c.At(25, 75), 0xFFFF00u);  // blue XOR white
    EXPECT_EQ(c.At(75, 75), 0x0000FFu);  // blue XOR black

    // Without a surface, the neutral colour of the source is left out.
    Canvas plain;
    ASSERT_EQ(plain.Play(emf), EmfPlayer::Result::Complete);
    EXPECT_EQ(plain.At(25, 25), 0xFF0000u);
    EXPECT_EQ(plain.At(75, 25), 0x000000u);
    EXPECT_EQ(plain.At(25, 75), 0xFFFFFFu);  // white XORed: shown as the source
    EXPECT_EQ(plain.At(75, 75), 0x0000FFu);
}

TEST_F(EmfPlayerTest, AlphaBlendAndTransparentCopy)
{
    EmfWriter w = Writer();
    NoPen(w);
    SolidBrush(w, 1, kBlue);
    w.Rec(kEmrRectangle, {0, 0, 101, 101});
    // green is the key colour: only the red half lands
    w.Raw(kEmrTransparentBlt, EmfWriter::BlendBody(0, 0, 100, 50, 0x0000FF00, 2, 1, {0x00FF0000, 0x0000FF00}));
    // per-pixel alpha: opaque black on the left, half-covered white-premultiplied (128,128,128,128) on the right
    w.Raw(kEmrAlphaBlend,
          EmfWriter::BlendBody(0, 50, 100, 50, 0x01FF0000, 2, 1, {0xFF000000, 0x80808080}));
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(25, 25), 0xFF0000u);
    EXPECT_EQ(c.At(75, 25), 0x0000FFu);
    EXPECT_EQ(c.At(25, 75), 0x000000u);
    const uint32_t mixed = c.At(75, 75);  // half white over blue
    EXPECT_NEAR(double(mixed >> 16), 128.0, 3.0);
    EXPECT_NEAR(double(mixed & 0xFF), 255.0, 3.0);
}

TEST_F(EmfPlayerTest, CompactTextRecord)
{
    EmfWriter w = Writer();
    std::string small;  // 8-bit characters, no clip rectangle
    for (uint32_t v : {12u, 34u, 2u, 0x300u, 1u, 0u, 0u}) EmfWriter::Put32(small, v);
    small += "Hi";
    std::string wide;  // 16-bit characters with a clip rectangle
    for (uint32_t v : {5u, 6u, 1u, 0u, 1u, 0u, 0u, 0u, 0u, 50u, 50u}) EmfWriter::Put32(wide, v);
    EmfWriter::Put16(wide, 0x65E5);
    w.Raw(108, small);
    w.Raw(108, wide);
    RecordingDc dc;
    ASSERT_EQ(EmfPlayer::Play(dc, w.Finish(), DcRect{0, 0, 100, 100}), EmfPlayer::Result::Complete);
    auto texts = dc.CallsOf("Text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"Hi");
    EXPECT_EQ(texts[0].args[0], 12);
    EXPECT_EQ(texts[0].args[1], 34);
    EXPECT_EQ(texts[1].text, u"\u65e5");
}

namespace {
constexpr uint32_t kEmrStrokePath = 64;
} // namespace

TEST_F(EmfPlayerTest, ArcsRunTheSameWayOnThePageInAndOutOfPaths)
{
    // y runs up: logical (50, 90) is twelve o'clock on the page.
    for (bool inPath : {false, true}) {
        EmfWriter w = Writer();
        w.Rec(kEmrCreatePen, {1, 0, 3, 0, 0});
        w.Rec(kEmrSelectObject, {1});
        w.Rec(kEmrSetMapMode, {8});
        w.Rec(kEmrSetWindowExtEx, {100, 100});
        w.Rec(kEmrSetViewportExtEx, {100, -100});
        w.Rec(kEmrSetViewportOrgEx, {0, 100});
        if (inPath) w.Rec(kEmrBeginPath, {});
        w.Rec(kEmrArc, {10, 10, 90, 90, 90, 50, 50, 90});
        if (inPath) {
            w.Rec(kEmrEndPath, {});
            w.Rec(kEmrStrokePath, {0, 0, 0, 0});
        }
        Canvas c;
        ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete) << inPath;
        auto darkNear = [&](int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (c.At(x + dx, y + dy) == 0) return true;
            return false;
        };
        EXPECT_TRUE(darkNear(78, 22)) << inPath;   // upper right quarter of the page
        EXPECT_FALSE(darkNear(22, 78)) << inPath;  // lower left
        EXPECT_FALSE(darkNear(22, 22)) << inPath;  // upper left
        EXPECT_FALSE(darkNear(78, 78)) << inPath;  // lower right
    }
}

TEST_F(EmfPlayerTest, InsideFramePenKeepsItsOutlineInsideTheBox)
{
    EmfWriter w = Writer();
    w.Rec(kEmrCreatePen, {1, 6, 9, 0, 0});  // PS_INSIDEFRAME, width 9, black
    w.Rec(kEmrSelectObject, {1});
    SolidBrush(w, 2, kRed);
    w.Rec(kEmrRectangle, {20, 20, 80, 80});
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(19, 50), 0xFFFFFFu);
    EXPECT_EQ(c.At(80, 50), 0xFFFFFFu);
    EXPECT_EQ(c.At(50, 16), 0xFFFFFFu);
    EXPECT_EQ(c.At(20, 50), 0u);
    EXPECT_EQ(c.At(79, 50), 0u);
    EXPECT_EQ(c.At(50, 50), Rgb(kRed));
}

TEST_F(EmfPlayerTest, BrushOriginMovesHatches)
{
    EmfWriter w = Writer();
    NoPen(w);
    w.Rec(kEmrCreateBrush, {1, 2, 0, 1});  // BS_HATCHED, black, HS_VERTICAL
    w.Rec(kEmrSelectObject, {1});
    w.Rec(kEmrSetBkMode, {1});
    w.Rec(13, {3, 0});  // EMR_SETBRUSHORGEX
    w.Rec(kEmrRectangle, {0, 0, 41, 41});
    Canvas c;
    ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete);
    EXPECT_EQ(c.At(4 + 3, 10), 0u);
    EXPECT_EQ(c.At(4 + 3 + 8, 10), 0u);
    EXPECT_EQ(c.At(4, 10), 0xFFFFFFu);
}

TEST_F(EmfPlayerTest, MonochromeBrushBitsPaintTextAndBackgroundColours)
{
    // A 1-bit 8x8 checkerboard, with and without a colour table, and with a
    // table of palette indexes: the bits alone decide, 0 in the text colour
    // and 1 in the background colour.
    for (uint32_t tableBytes : {0u, 4u, 8u}) {
        std::string body;
        EmfWriter::Put32(body, 1);                      // handle
        EmfWriter::Put32(body, tableBytes == 4 ? 1 : 2); // usage: palette indexes, or mono
        const uint32_t offBmi = 8 + 24, cbBmi = 40 + tableBytes;
        EmfWriter::Put32(body, offBmi);
        EmfWriter::Put32(body, cbBmi);
        EmfWriter::Put32(body, offBmi + cbBmi);
        EmfWriter::Put32(body, 32);
        for (uint32_t v : {40u, 8u, 8u}) EmfWriter::Put32(body, v);
        EmfWriter::Put16(body, 1);
        EmfWriter::Put16(body, 1);
        for (int i = 0; i < 6; ++i) EmfWriter::Put32(body, 0);
        if (tableBytes == 8) {
            EmfWriter::Put32(body, 0x000000);
            EmfWriter::Put32(body, 0xFFFFFF);
        } else if (tableBytes == 4) {
            EmfWriter::Put16(body, 0);
            EmfWriter::Put16(body, 1);
        }
        // bottom-up: the last row stored is the top one
        for (int row = 0; row < 8; ++row) EmfWriter::Put32(body, row % 2 ? 0xAA : 0x55);
        EmfWriter w = Writer();
        NoPen(w);
        w.Raw(93, body);  // EMR_CREATEMONOBRUSH
        w.Rec(kEmrSelectObject, {1});
        w.Rec(kEmrSetTextColor, {kRed});
        w.Rec(25, {kBlue});  // EMR_SETBKCOLOR
        w.Rec(kEmrRectangle, {0, 0, 17, 17});
        Canvas c;
        ASSERT_EQ(c.Play(w.Finish()), EmfPlayer::Result::Complete) << tableBytes;
        EXPECT_EQ(c.At(0, 0), Rgb(kBlue)) << tableBytes;  // 1 bit
        EXPECT_EQ(c.At(1, 0), Rgb(kRed)) << tableBytes;   // 0 bit
        EXPECT_EQ(c.At(0, 1), Rgb(kRed)) << tableBytes;
        EXPECT_EQ(c.At(9, 1), Rgb(kBlue)) << tableBytes;
    }
}

namespace {

// EMR_STRETCHDIBITS of a side x side RLE8 bitmap whose bits only move down
// to the top row and end: tiny in the file, huge once decoded.
std::string HugeRleRecordBody(int32_t side)
{
    std::string bits;
    for (int32_t row = 0; row < side; row += 255) bits += std::string("\x00\x02\x00\xff", 4);
    bits += std::string("\x00\x01", 2);
    std::string bmi;
    for (uint32_t v : {40u, uint32_t(side), uint32_t(side)}) EmfWriter::Put32(bmi, v);
    EmfWriter::Put16(bmi, 1);
    EmfWriter::Put16(bmi, 8);
    for (uint32_t v : {1u, uint32_t(bits.size()), 0u, 0u, 2u, 0u}) EmfWriter::Put32(bmi, v); // RLE8, two colours
    EmfWriter::Put32(bmi, 0x000000);
    EmfWriter::Put32(bmi, 0xFFFFFF);
    std::string b;
    for (int i = 0; i < 4; ++i) EmfWriter::Put32(b, 0);
    for (int32_t v : {0, 0, 0, 0, side, side}) EmfWriter::Put32(b, static_cast<uint32_t>(v));
    const uint32_t offBmi = 8 + 72;
    for (uint32_t v : {offBmi, uint32_t(bmi.size()), offBmi + uint32_t(bmi.size()), uint32_t(bits.size()), 0u,
                       0x00CC0020u, 10u, 10u})
        EmfWriter::Put32(b, v);
    return b + bmi + bits;
}

} // namespace

TEST_F(EmfPlayerTest, ManyHugeBitmapsStopAtThePlayBudget)
{
    EmfWriter w = Writer();
    const std::string body = HugeRleRecordBody(4096);
    for (int i = 0; i < 200; ++i) w.Raw(kEmrStretchDibits, body);
    w.Rec(kEmrRectangle, {10, 10, 50, 40}); // records after the budget still play
    const std::string emf = w.Finish();
    ASSERT_LT(emf.size(), 48u * 1024);
    RecordingDc dc;
    EmfPlayer::Stats stats;
    EXPECT_EQ(EmfPlayer::Play(dc, emf, DcRect{0, 0, 100, 100}, nullptr, &stats), EmfPlayer::Result::BudgetSpent);
    EXPECT_LE(stats.decodedPixels, EmfPlayer::kMaxPlayPixels);
    EXPECT_EQ(stats.decodedPixels, 2u * 4096 * 4096);
    EXPECT_EQ(stats.skippedBitmaps, 198u);
    bool rectangle = false;
    for (const auto& c : dc.Calls()) rectangle = rectangle || c.op == "Rectangle";
    EXPECT_TRUE(rectangle);

    // One such record alone decodes in full.
    EmfWriter one = Writer();
    one.Raw(kEmrStretchDibits, body);
    EmfPlayer::Stats single;
    EXPECT_EQ(EmfPlayer::Play(dc, one.Finish(), DcRect{0, 0, 100, 100}, nullptr, &single),
              EmfPlayer::Result::Complete);
    EXPECT_EQ(single.decodedPixels, 4096u * 4096);
    EXPECT_EQ(single.skippedBitmaps, 0u);
}
