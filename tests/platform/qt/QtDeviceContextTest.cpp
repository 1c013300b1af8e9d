#include "support/TestApp.h"
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>

#include "support/CountingPaintDevice.h"
#include "support/TempDir.h"

#include "platform/gdi/GdiRules.h"
#include "platform/qt/FontFaceTable.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nvtest;

namespace {

void EnsureApp() { nvtest::EnsureGuiApp(); }

// A white 96-dpi canvas with a device context on it.
struct Canvas {
    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<QtDeviceContext> dc;
    explicit Canvas(int w = 64, int h = 64)
    {
        EnsureApp();
        image = QImage(w, h, QImage::Format_ARGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        painter = std::make_unique<QPainter>(&image);
        dc = std::make_unique<QtDeviceContext>(*painter);
        dc->SetTextAntialiasing(false);
    }
    void Finish()
    {
        dc.reset();
        painter->end();
    }
    ColorRef At(int x, int y) const { return ArgbToColorRef(image.pixel(x, y)); }
    void UseGothic20() { UseGothic20(*dc); }
    // A 20-pixel gothic face, transparent, anchored at the cell's bottom left.
    static void UseGothic20(DeviceContext& dc)
    {
        DcFont f;
        f.height = -20;
        f.faceName = "ＭＳ ゴシック";
        dc.SelectFont(f);
        dc.SetBkMode(BkMode::Transparent);
        dc.SetTextAlign(kTaBottom | kTaLeft);
    }
    int Count(ColorRef c) const
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += At(x, y) == c;
        return n;
    }
};

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;

} // namespace

TEST(QtDeviceContext, ResolvesAt96Dpi)
{
    Canvas c;
    EXPECT_EQ(c.dc->LogPixelsX(), 96);
    EXPECT_EQ(c.dc->LogPixelsY(), 96);
    EXPECT_EQ(c.dc->DeviceSize(), (DcSize{64, 64}));
}

TEST(QtDeviceContext, FilledRectangleWithoutPenLeavesOutRightAndBottomEdges)
{
    Canvas c;
    c.dc->SelectPen({PenStyle::Null, 0, 0});
    c.dc->SelectBrush(DcBrush::Solid(kRed));
    c.dc->Rectangle({10, 10, 20, 20});
    c.Finish();
    EXPECT_EQ(c.At(10, 10), kRed);
    EXPECT_EQ(c.At(18, 18), kRed);
    EXPECT_EQ(c.At(19, 15), kWhite);
    EXPECT_EQ(c.At(15, 19), kWhite);
    EXPECT_EQ(c.At(9, 15), kWhite);
    EXPECT_EQ(c.Count(kRed), 81);
}

TEST(QtDeviceContext, OutlinedRectangleCoversItsBoundsExclusive)
{
    Canvas c;
    c.dc->SelectPen({PenStyle::Solid, 1, kBlack});
    c.dc->SelectBrush(DcBrush::Solid(kRed));
    c.dc->Rectangle({10, 10, 20, 20});
    c.Finish();
    EXPECT_EQ(c.At(10, 10), kBlack);
    EXPECT_EQ(c.At(19, 19), kBlack);
    EXPECT_EQ(c.At(19, 15), kBlack);
    EXPECT_EQ(c.At(20, 15), kWhite);
    EXPECT_EQ(c.At(15, 20), kWhite);
    EXPECT_EQ(c.At(11, 11), kRed);
    EXPECT_EQ(c.At(18, 18), kRed);
    EXPECT_EQ(c.Count(kBlack), 36);
    EXPECT_EQ(c.Count(kRed), 64);
}

TEST(QtDeviceContext, LineLeavesOutItsEndPoint)
{
    Canvas c;
    c.dc->SelectPen({PenStyle::Solid, 1, kBlack});
    c.dc->MoveTo(5, 5);
    c.dc->LineTo(15, 5);
    c.Finish();
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(14, 5), kBlack);
    EXPECT_EQ(c.At(15, 5), kWhite);
    EXPECT_EQ(c.Count(kBlack), 10);
}

TEST(QtDeviceContext, DashedLineUsesFixedDashLengthsAndOpaqueGaps)
{
    Canvas c(80, 20);
    c.dc->SelectPen({PenStyle::Dash, 1, kBlack});
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    c.dc->MoveTo(0, 5);
    c.dc->LineTo(48, 5);
    c.dc->SetBkMode(BkMode::Transparent);
    c.dc->MoveTo(0, 10);
    c.dc->LineTo(48, 10);
    c.Finish();
    for (int x = 0; x < 18; ++x) EXPECT_EQ(c.At(x, 5), kBlack) << x;
    for (int x = 18; x < 24; ++x) EXPECT_EQ(c.At(x, 5), kRed) << x;
    for (int x = 24; x < 42; ++x) EXPECT_EQ(c.At(x, 5), kBlack) << x;
    for (int x = 18; x < 24; ++x) EXPECT_EQ(c.At(x, 10), kWhite) << x;
    EXPECT_EQ(c.At(17, 10), kBlack);
}

TEST(QtDeviceContext, PatternBrushPaintsZeroBitsInTextColourAndOnesInBackground)
{
    Canvas c(32, 32);
    c.dc->SelectPen({PenStyle::Null, 0, 0});
    c.dc->SetTextColor(kBlue);
    c.dc->SetBkColor(kRed);
    std::array<uint8_t, 8> rows{0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F};
    c.dc->SelectBrush(DcBrush::Patterned(rows));
    c.dc->Rectangle({0, 0, 17, 17});
    c.Finish();
    EXPECT_EQ(c.At(0, 0), kRed);   // 1 bit
    EXPECT_EQ(c.At(4, 0), kBlue);  // 0 bit
    EXPECT_EQ(c.At(0, 4), kBlue);
    EXPECT_EQ(c.At(4, 4), kRed);
    EXPECT_EQ(c.At(8, 8), kRed);   // repeats every 8 pixels
    EXPECT_EQ(c.At(12, 8), kBlue);
}

TEST(QtDeviceContext, HatchBrushFollowsBrushOriginAndBackgroundMode)
{
    Canvas c(32, 32);
    c.dc->SelectPen({PenStyle::Null, 0, 0});
    c.dc->SetBkMode(BkMode::Transparent);
    c.dc->SelectBrush(DcBrush::Hatched(HatchStyle::Horizontal, kBlack));
    c.dc->Rectangle({0, 0, 17, 9});
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    c.dc->SetBrushOrg({0, 2});
    c.dc->Rectangle({0, 16, 17, 25});
    c.Finish();
    EXPECT_EQ(c.At(0, 3), kBlack);
    EXPECT_EQ(c.At(0, 2), kWhite);
    EXPECT_EQ(c.At(0, 16 + 5), kBlack); // row 3 of the pattern moved down by 2
    EXPECT_EQ(c.At(0, 16 + 3), kRed);
}

TEST(QtDeviceContext, ArcFromRadialPointsRunsCounterclockwise)
{
    Canvas c(64, 64);
    c.dc->SelectPen({PenStyle::Null, 0, 0});
    c.dc->SelectBrush(DcBrush::Solid(kBlack));
    // Pie from three o'clock to twelve o'clock: the upper right quarter.
    c.dc->Pie({0, 0, 61, 61}, {60, 30}, {30, 0});
    c.Finish();
    EXPECT_EQ(c.At(45, 15), kBlack);
    EXPECT_EQ(c.At(15, 15), kWhite);
    EXPECT_EQ(c.At(45, 45), kWhite);
    EXPECT_EQ(c.At(15, 45), kWhite);
}

TEST(QtDeviceContext, WidePenHasRoundCaps)
{
    Canvas c(64, 64);
    c.dc->SelectPen({PenStyle::Solid, 9, kBlack});
    c.dc->MoveTo(20, 30);
    c.dc->LineTo(40, 30);
    c.Finish();
    EXPECT_EQ(c.At(17, 30), kBlack); // the cap runs past the end points
    EXPECT_EQ(c.At(43, 30), kBlack);
    EXPECT_EQ(c.At(16, 26), kWhite); // but rounds off at the corners
    EXPECT_EQ(c.At(44, 34), kWhite);
    EXPECT_EQ(c.At(16, 30), kBlack);
}

TEST(QtDeviceContext, TextIsAnchoredAtTheBottomOfItsCellAndTurnsCounterclockwise)
{
    Canvas c(120, 120);
    DcFont f;
    f.height = -20;
    f.faceName = "ＭＳ ゴシック";
    c.dc->SelectFont(f);
    c.dc->SetBkMode(BkMode::Transparent);
    c.dc->SetTextAlign(kTaBottom | kTaLeft);
    c.dc->TextOut(10, 40, u"\u25A0"); // a full black square
    f.escapement = 900;
    c.dc->SelectFont(f);
    c.dc->TextOut(60, 100, u"\u25A0");
    c.Finish();
    // Upright: ink lies between the cell top (y 20) and the bottom (y 40).
    int minY = 999, maxY = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            if (c.At(x, y) == kBlack) {
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GE(minY, 20);
    EXPECT_LT(maxY, 40);
    EXPECT_GT(maxY, 30);
    // Turned 90 degrees counterclockwise, the text runs upwards from the
    // anchor and the glyph's top faces left: ink lies left of the anchor.
    int minX = 999, maxX = -1;
    minY = 999;
    maxY = -1;
    for (int y = 60; y < 120; ++y)
        for (int x = 50; x < 120; ++x)
            if (c.At(x, y) == kBlack) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GE(minX, 40);
    EXPECT_LT(maxX, 60);
    EXPECT_GT(maxX, 50);
    EXPECT_LT(maxY, 100);
    EXPECT_GE(minY, 80);
}

TEST(QtDeviceContext, OpaqueTextFillsItsCell)
{
    Canvas c(80, 40);
    DcFont f;
    f.height = -16;
    c.dc->SelectFont(f);
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    c.dc->SetTextAlign(kTaTop);
    c.dc->TextOut(0, 0, u"  ");
    c.Finish();
    EXPECT_EQ(c.At(0, 0), kRed);
    EXPECT_EQ(c.At(15, 15), kRed);
    EXPECT_EQ(c.At(16, 0), kWhite);
    EXPECT_EQ(c.At(0, 16), kWhite);
}

TEST(QtDeviceContext, ClipRegionAndRestore)
{
    Canvas c(40, 40);
    c.dc->SelectPen({PenStyle::Null, 0, 0});
    c.dc->SelectBrush(DcBrush::Solid(kRed));
    c.dc->SaveDC();
    c.dc->IntersectClipRect({0, 0, 10, 10});
    c.dc->Rectangle({0, 0, 31, 31});
    c.dc->RestoreDC(-1);
    c.dc->SelectBrush(DcBrush::Solid(kBlue));
    c.dc->Rectangle({20, 20, 31, 31});
    c.Finish();
    EXPECT_EQ(c.At(9, 9), kRed);
    EXPECT_EQ(c.At(10, 10), kWhite);
    EXPECT_EQ(c.At(25, 25), kBlue);
}

TEST(QtDeviceContext, TextIsClippedOnlyWhereItWouldLeaveItsClip)
{
    struct Row {
        const char* what;
        DcRect clip;
        bool painterClips;
    };
    const Row rows[] = {
        {"room all round", {0, 0, 80, 40}, false},
        {"the cell exactly", {10, 15, 50, 35}, false},
        {"the bottom cut off", {0, 0, 80, 30}, true},
        {"the second square cut off", {0, 0, 30, 40}, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Canvas c(80, 40);
        c.UseGothic20();
        c.dc->SaveDC();
        c.dc->IntersectClipRect(r.clip);
        c.dc->TextOut(10, 35, u"\u25A0\u25A0"); // two full black squares
        c.dc->RestoreDC(-1);
        c.Finish();
        int inside = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x) {
                if (c.At(x, y) == kWhite) continue;
                EXPECT_TRUE(x >= r.clip.left && x < r.clip.right && y >= r.clip.top && y < r.clip.bottom) << x << "," << y;
                ++inside;
            }
        EXPECT_GT(inside, 200);
        // Whether the toolkit was asked to clip, shown on a device that counts.
        CountingPaintDevice device(80, 40, 96);
        {
            QPainter painter(&device);
            QtDeviceContext dc(painter);
            Canvas::UseGothic20(dc);
            dc.IntersectClipRect(r.clip);
            dc.TextOut(10, 35, u"\u25A0\u25A0");
        }
        EXPECT_EQ(device.Engine().texts, 1);
        EXPECT_EQ(device.Engine().clippedTexts, r.painterClips ? 1 : 0);
    }
}

// Texts cut by their cells wait to be drawn with the texts around them: the
// pixels are those of each text drawn out at once, where texts meet and in
// any colour.
TEST(QtDeviceContext, TextsHeldTogetherDrawAsEachAtOnce)
{
    struct Cell {
        DcRect clip;
        DcPoint at;
        ColorRef colour;
    };
    const struct {
        const char* what;
        std::vector<Cell> cells;
    } rows[] = {
        {"cut cells in a column", {{{0, 0, 30, 20}, {5, 20}, kBlack}, {{0, 20, 30, 40}, {5, 40}, kBlack}}},
        {"a whole text over a cut one", {{{0, 0, 30, 40}, {5, 30}, kBlack}, {{0, 0, 80, 40}, {15, 35}, kBlack}}},
        {"a cut text over a whole one", {{{0, 0, 80, 40}, {15, 35}, kBlack}, {{0, 0, 30, 40}, {5, 30}, kBlack}}},
        {"two colours",
         {{{0, 0, 30, 40}, {5, 30}, kRed}, {{0, 0, 80, 40}, {15, 35}, kBlue}, {{40, 0, 60, 30}, {45, 35}, kBlack}}},
        {"cut cells side by side", {{{0, 0, 20, 40}, {5, 30}, kBlack}, {{50, 0, 70, 40}, {55, 30}, kBlack}}},
        {"cut cells reaching into each other", {{{0, 0, 80, 15}, {5, 20}, kBlack}, {{0, 15, 30, 40}, {5, 38}, kBlack}}},
    };
    for (const auto& r : rows)
        for (const bool smooth : {false, true}) {
            SCOPED_TRACE(std::string(r.what) + (smooth ? ", smoothed" : ""));
            Canvas held(80, 40), each(80, 40);
            for (Canvas* c : {&held, &each}) {
                c->dc->SetTextAntialiasing(smooth);
                c->UseGothic20();
                for (const Cell& cell : r.cells) {
                    c->dc->SaveDC();
                    c->dc->IntersectClipRect(cell.clip);
                    c->dc->SetTextColor(cell.colour);
                    c->dc->TextOut(cell.at.x, cell.at.y, u"\u25A0\u25CF");
                    c->dc->RestoreDC(-1);
                    if (c == &each) c->dc->Flush();
                }
                c->Finish();
            }
            EXPECT_EQ(held.image, each.image);
            EXPECT_GT(held.Count(kWhite), 0);
            EXPECT_LT(held.Count(kWhite), 80 * 40);
        }
}

// Texts cut by cells side by side go out as one clipped text; texts whose
// glyphs reach into each other's cells go out one by one.
TEST(QtDeviceContext, CutTextsSideBySideGoOutTogether)
{
    EnsureApp();
    const struct {
        const char* what;
        std::vector<DcRect> cells;
        std::vector<DcPoint> at;
        int texts;
    } rows[] = {
        {"side by side", {{0, 0, 20, 40}, {50, 0, 70, 40}}, {{5, 30}, {55, 30}}, 1},
        {"one above the other", {{0, 0, 80, 15}, {0, 15, 30, 40}}, {{5, 20}, {5, 38}}, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        CountingPaintDevice device(80, 40, 96);
        {
            QPainter painter(&device);
            QtDeviceContext dc(painter);
            Canvas::UseGothic20(dc);
            for (size_t i = 0; i < r.cells.size(); ++i) {
                dc.SaveDC();
                dc.IntersectClipRect(r.cells[i]);
                dc.TextOut(r.at[i].x, r.at[i].y, u"\u25A0\u25CF");
                dc.RestoreDC(-1);
            }
        }
        EXPECT_EQ(device.Engine().texts, r.texts);
        EXPECT_EQ(device.Engine().clippedTexts, r.texts);
    }
}

TEST(QtDeviceContext, ImagesStretchWithoutSmoothing)
{
    Canvas c(20, 20);
    DcImage img(2, 1);
    img.SetPixel(0, 0, 0xFF000000);
    img.SetPixel(1, 0, 0xFFFF0000);
    c.dc->DrawImage({0, 0, 10, 10}, img);
    c.Finish();
    EXPECT_EQ(c.At(4, 4), kBlack);
    EXPECT_EQ(c.At(5, 4), kRed);
    EXPECT_EQ(c.At(10, 4), kWhite);
}

TEST(FontFaceTable, EveryMappedFamilyIsInstalled)
{
    EnsureApp();
    auto missing = FontFaceTable::MissingFamilies();
    std::string list;
    for (const auto& m : missing) list += m + " ";
    EXPECT_TRUE(missing.empty()) << "fonts not installed (fonts-ipafont, fonts-liberation2): " << list;
    EXPECT_EQ(FontFaceTable::WindowsFaceNames().front(), "ＭＳ 明朝");
    EXPECT_EQ(FontFaceTable::Lookup("ＭＳ Ｐゴシック").family, "IPAPGothic");
    EXPECT_EQ(FontFaceTable::Lookup("Arial").family, "Liberation Sans");
    EXPECT_EQ(FontFaceTable::Lookup("no such face").family, "IPAMincho");
}

TEST(FontFaceTable, JapaneseFacesMeasureHalfAndFullEm)
{
    Canvas c;
    DcFont f;
    f.height = -24;
    f.faceName = "ＭＳ 明朝";
    c.dc->SelectFont(f);
    EXPECT_EQ(c.dc->GetTextExtent(u"A").cx, 12);
    EXPECT_EQ(c.dc->GetTextExtent(u"\u3042").cx, 24);
    EXPECT_EQ(c.dc->GetTextMetrics().height, 24); // the cell is one em
    // A width of a third of an em squeezes the text to two thirds.
    f.width = 8;
    c.dc->SelectFont(f);
    EXPECT_EQ(c.dc->GetTextExtent(u"\u3042\u3042\u3042").cx, 48);
    // A positive height is the cell height, the em for these faces.
    f.width = 0;
    f.height = 24;
    c.dc->SelectFont(f);
    EXPECT_EQ(c.dc->GetTextExtent(u"\u3042").cx, 24);
    f.faceName = "Arial";
    f.height = -20;
    c.dc->SelectFont(f);
    EXPECT_EQ(c.dc->GetTextMetrics().height, 22);
}

TEST(QtDeviceContext, AnUnwritablePdfIsReportedNotIgnored)
{
    EnsureApp();
    QtPdfDc dc("/nonexistent-folder/x.pdf", 100, 100, 96);
    EXPECT_TRUE(dc.Failed());
    EXPECT_FALSE(dc.Finish());
}

TEST(QtDeviceContext, PrinterContextsKnowTheirOffset)
{
    EnsureApp();
    TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("p.pdf")));
    printer.setResolution(300);
    printer.setPageMargins(QMarginsF(10, 20, 10, 10), QPageLayout::Millimeter);
    QPainter painter(&printer);
    auto dc = MakePrinterDc(painter, printer);
    EXPECT_TRUE(dc->IsPrinting());
    EXPECT_EQ(dc->LogPixelsX(), 300);
    EXPECT_NEAR(dc->PhysicalOffset().x, 118, 3); // 10 mm at 300 dpi (margins are kept in points)
    EXPECT_NEAR(dc->PhysicalOffset().y, 236, 3);
    painter.end();
}

// ---- more of the platform's drawing rules on the painter ----------------

namespace {

// Pixels of the canvas that differ between two images of the same size.
int Differences(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Leftmost and rightmost columns holding a pixel of colour c, or -1.
std::pair<int, int> InkColumns(const Canvas& c, ColorRef colour)
{
    int lo = -1, hi = -1;
    for (int x = 0; x < c.image.width(); ++x)
        for (int y = 0; y < c.image.height(); ++y)
            if (c.At(x, y) == colour) {
                if (lo < 0) lo = x;
                hi = x;
                break;
            }
    return {lo, hi};
}

} // namespace

TEST(QtDeviceContext, TextAdvancesAreWholePixelsAndAddUp)
{
    // At 13 pixels a half-width character of a Japanese face is 6.5 pixels
    // wide in the outline; the device advances by whole pixels, so a run is
    // exactly as long as its characters measured one by one.
    for (const char* face : {"ＭＳ 明朝", "Arial", "Times New Roman"}) {
        Canvas whole(200, 30), split(200, 30);
        DcFont f;
        f.height = -13;
        f.faceName = face;
        const std::u16string text = u"AAAAAAAAAAiiiiiWWWW1234";
        std::vector<int32_t> dx;
        int32_t sum = 0;
        for (Canvas* c : {&whole, &split}) {
            c->dc->SelectFont(f);
            c->dc->SetBkMode(BkMode::Transparent);
        }
        for (char16_t ch : text) {
            dx.push_back(split.dc->GetTextExtent(std::u16string(1, ch)).cx);
            sum += dx.back();
        }
        EXPECT_EQ(whole.dc->GetTextExtent(text).cx, sum) << face;
        whole.dc->TextOut(2, 2, text);
        split.dc->ExtTextOut(2, 2, 0, nullptr, text, dx.data());
        whole.Finish();
        split.Finish();
        EXPECT_EQ(Differences(whole.image, split.image), 0) << face;
    }
}

TEST(QtDeviceContext, InsideFramePenStaysInsideTheBox)
{
    Canvas c(64, 64);
    c.dc->SelectPen({PenStyle::InsideFrame, 7, kBlack});
    c.dc->SelectBrush(DcBrush::Solid(kRed));
    c.dc->Rectangle({10, 10, 40, 40});
    c.dc->Ellipse({10, 45, 40, 60});
    c.Finish();
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            bool inside = x >= 10 && x < 40 && ((y >= 10 && y < 40) || (y >= 45 && y < 60));
            if (!inside) {
                EXPECT_EQ(c.At(x, y), kWhite) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(c.At(10, 25), kBlack); // the outer edge of the pen is the box
    EXPECT_EQ(c.At(39, 25), kBlack);
    EXPECT_EQ(c.At(25, 39), kBlack);
    EXPECT_EQ(c.At(16, 25), kBlack); // seven pixels wide
    EXPECT_EQ(c.At(17, 25), kRed);
}

TEST(QtDeviceContext, FillRectHatchFollowsBrushOriginAndBackground)
{
    Canvas c(32, 32);
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    c.dc->SetBrushOrg({3, 0});
    c.dc->FillRect({0, 0, 16, 16}, DcBrush::Hatched(HatchStyle::Vertical, kBlack));
    c.Finish();
    EXPECT_EQ(c.At(4 + 3, 5), kBlack);
    EXPECT_EQ(c.At(4 + 3 + 8, 5), kBlack);
    EXPECT_EQ(c.At(4, 5), kRed);
    EXPECT_EQ(c.At(16, 5), kWhite);
}

TEST(QtDeviceContext, OtherDashStylesUseTheirFixedLengths)
{
    Canvas c(64, 20);
    c.dc->SetBkMode(BkMode::Transparent);
    c.dc->SelectPen({PenStyle::Dot, 1, kBlack});
    c.dc->MoveTo(0, 2);
    c.dc->LineTo(60, 2);
    c.dc->SelectPen({PenStyle::DashDot, 1, kBlack});
    c.dc->MoveTo(0, 6);
    c.dc->LineTo(60, 6);
    c.dc->SelectPen({PenStyle::DashDotDot, 1, kBlack});
    c.dc->MoveTo(0, 10);
    c.dc->LineTo(60, 10);
    c.Finish();
    auto row = [&](int y) {
        std::string s;
        for (int x = 0; x < 30; ++x) s += c.At(x, y) == kBlack ? '#' : '.';
        return s;
    };
    EXPECT_EQ(row(2), "###...###...###...###...###...");
    EXPECT_EQ(row(6), "#########......###......######");
    EXPECT_EQ(row(10), "#########...###...###...######");
}

TEST(QtDeviceContext, ClippedTextAfterARestoreIsNotClippedByTheOldRegion)
{
    Canvas c(80, 40);
    DcFont f;
    f.height = -20;
    f.faceName = "ＭＳ ゴシック";
    c.dc->SelectFont(f);
    c.dc->SetBkMode(BkMode::Transparent);
    c.dc->SaveDC();
    c.dc->IntersectClipRect({0, 0, 5, 5});
    c.dc->SetPixel(1, 1, kRed);
    c.dc->RestoreDC(-1);
    DcRect r{40, 0, 80, 40};
    c.dc->ExtTextOut(45, 5, kEtoClipped, &r, u"\u25A0");
    c.Finish();
    EXPECT_EQ(c.At(1, 1), kRed);
    auto [lo, hi] = InkColumns(c, kBlack);
    EXPECT_GE(lo, 45);
    EXPECT_GT(hi, 55);
}

TEST(QtDeviceContext, BoldAndItalicJapaneseFacesChangeTheGlyphs)
{
    // The substitute faces have no bold or italic of their own.
    auto ink = [](int weight, bool italic) {
        Canvas c(60, 40);
        DcFont f;
        f.height = -30;
        f.weight = weight;
        f.italic = italic;
        f.faceName = "ＭＳ 明朝";
        c.dc->SelectFont(f);
        c.dc->SetBkMode(BkMode::Transparent);
        c.dc->TextOut(5, 5, u"\u6F22");
        c.Finish();
        return c.image.copy();
    };
    QImage plain = ink(400, false), bold = ink(700, false), italic = ink(400, true);
    int plainInk = 0, boldInk = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            plainInk += plain.pixel(x, y) != 0xFFFFFFFF;
            boldInk += bold.pixel(x, y) != 0xFFFFFFFF;
        }
    EXPECT_GT(boldInk, plainInk + plainInk / 10);
    EXPECT_GT(Differences(plain, italic), 20);
}

TEST(FontFaceTable, FaceNamesMatchWithoutRegardToCase)
{
    EnsureApp();
    EXPECT_EQ(FontFaceTable::Lookup("arial").family, "Liberation Sans");
    EXPECT_EQ(FontFaceTable::Lookup("TIMES NEW ROMAN").family, "Liberation Serif");
    EXPECT_EQ(FontFaceTable::Lookup("courier new").family, "Liberation Mono");
}

TEST(QtDeviceContext, LinesInEveryDirectionLeaveOutTheirEndPoint)
{
    for (int dx = -14; dx <= 14; ++dx)
        for (int dy = -14; dy <= 14; ++dy) {
            if (dx == 0 && dy == 0) continue;
            Canvas c(40, 40);
            c.dc->SelectPen({PenStyle::Solid, 1, kBlack});
            c.dc->MoveTo(20, 20);
            c.dc->LineTo(20 + dx, 20 + dy);
            c.Finish();
            EXPECT_EQ(c.At(20, 20), kBlack) << dx << "," << dy;
            EXPECT_EQ(c.At(20 + dx, 20 + dy), kWhite) << dx << "," << dy;
            EXPECT_EQ(c.Count(kBlack), std::max(std::abs(dx), std::abs(dy))) << dx << "," << dy;
        }
}

TEST(QtDeviceContext, SolidThinRulesAlongRowsAndColumnsAreFilledAsRectangles)
{
    EnsureApp();
    struct Row {
        const char* what;
        DcPen pen;
        DcPoint from, to;
        int rects, paths;
    };
    const Row rows[] = {
        {"right", {PenStyle::Solid, 1, kBlack}, {5, 5}, {40, 5}, 1, 0},
        {"left", {PenStyle::Solid, 0, kRed}, {40, 5}, {5, 5}, 1, 0},
        {"down", {PenStyle::InsideFrame, 1, kBlack}, {5, 5}, {5, 40}, 1, 0},
        {"up", {PenStyle::Solid, 1, kBlack}, {5, 40}, {5, 5}, 1, 0},
        {"no length", {PenStyle::Solid, 1, kBlack}, {5, 5}, {5, 5}, 0, 0},
        {"slanted", {PenStyle::Solid, 1, kBlack}, {5, 5}, {40, 6}, 0, 1},
        {"dashed", {PenStyle::Dash, 1, kBlack}, {5, 5}, {40, 5}, 0, 1},
        {"wide", {PenStyle::Solid, 3, kBlack}, {5, 5}, {40, 5}, 0, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CountingPaintDevice device(64, 64, 96);
        QPainter painter(&device);
        QtDeviceContext dc(painter);
        dc.SetBkMode(BkMode::Transparent); // dashes without their gaps
        dc.SelectPen(r.pen);
        dc.MoveTo(r.from.x, r.from.y);
        dc.LineTo(r.to.x, r.to.y);
        EXPECT_EQ(device.Engine().rects, r.rects);
        EXPECT_EQ(device.Engine().paths, r.paths);
    }
}

TEST(QtDeviceContext, PolylinesDrawTheirFirstPointAndLeaveOutTheirLast)
{
    Canvas c(40, 40);
    c.dc->SelectPen({PenStyle::Solid, 1, kBlack});
    const DcPoint up[] = {{12, 12}, {12, 2}, {2, 2}, {2, 12}};
    c.dc->Polyline(up, 4);
    const DcPoint zigzag[] = {{20, 20}, {26, 26}, {20, 32}, {32, 32}, {38, 21}};
    c.dc->Polyline(zigzag, 5);
    c.Finish();
    EXPECT_EQ(c.At(12, 12), kBlack);
    EXPECT_EQ(c.At(12, 2), kBlack);
    EXPECT_EQ(c.At(2, 12), kWhite);
    EXPECT_EQ(c.Count(kBlack), 30 + 6 + 6 + 12 + 11);
    EXPECT_EQ(c.At(20, 32), kBlack);
    EXPECT_EQ(c.At(32, 32), kBlack);
    EXPECT_EQ(c.At(38, 21), kWhite);
}

TEST(QtDeviceContext, DashesStartAtTheFirstPointOfALineRunningLeft)
{
    Canvas c(80, 20);
    c.dc->SelectPen({PenStyle::Dash, 1, kBlack});
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    c.dc->MoveTo(48, 5);
    c.dc->LineTo(0, 5);
    c.Finish();
    for (int x = 48; x > 30; --x) EXPECT_EQ(c.At(x, 5), kBlack) << x;
    for (int x = 30; x > 24; --x) EXPECT_EQ(c.At(x, 5), kRed) << x;
    for (int x = 24; x > 6; --x) EXPECT_EQ(c.At(x, 5), kBlack) << x;
    for (int x = 6; x > 0; --x) EXPECT_EQ(c.At(x, 5), kRed) << x;
    EXPECT_EQ(c.At(0, 5), kWhite);
    EXPECT_EQ(c.At(49, 5), kWhite);
}

TEST(QtDeviceContext, DashesRunOnAcrossTheSegmentsOfAPolyline)
{
    // Every pixel a thin line steps counts once towards the dash pattern,
    // along straight, diagonal and backward segments alike.
    Canvas c(80, 80);
    c.dc->SelectPen({PenStyle::Dash, 1, kBlack});
    c.dc->SetBkMode(BkMode::Opaque);
    c.dc->SetBkColor(kRed);
    const DcPoint pts[] = {{10, 10}, {20, 10}, {40, 30}, {40, 50}, {10, 50}};
    c.dc->Polyline(pts, 5);
    c.Finish();
    // Pixels in drawing order: 10 along the top, 20 down the diagonal, 20 down
    // the right side, 30 back along the bottom.
    std::vector<DcPoint> order;
    for (int i = 0; i < 10; ++i) order.push_back({10 + i, 10});
    for (int i = 0; i < 20; ++i) order.push_back({20 + i, 10 + i});
    for (int i = 0; i < 20; ++i) order.push_back({40, 30 + i});
    for (int i = 0; i < 30; ++i) order.push_back({40 - i, 50});
    for (size_t k = 0; k < order.size(); ++k) {
        const ColorRef want = k % 24 < 18 ? kBlack : kRed;
        EXPECT_EQ(c.At(order[k].x, order[k].y), want) << k << " at " << order[k].x << "," << order[k].y;
    }
    EXPECT_EQ(c.At(10, 50), kWhite);
}

TEST(QtDeviceContext, PolygonOutlinesDrawEveryCorner)
{
    const std::vector<std::vector<DcPoint>> shapes = {
        {{20, 20}, {32, 32}, {38, 21}},
        {{5, 30}, {30, 5}, {38, 38}},
        {{10, 10}, {30, 12}, {25, 35}, {3, 28}},
        {{20, 2}, {38, 20}, {20, 38}, {2, 20}},
        {{4, 4}, {36, 9}, {8, 36}, {30, 30}},
    };
    for (size_t k = 0; k < shapes.size(); ++k) {
        Canvas c(40, 40);
        c.dc->SelectPen({PenStyle::Solid, 1, kBlack});
        c.dc->SelectBrush(DcBrush::Null());
        c.dc->Polygon(shapes[k].data(), shapes[k].size());
        c.Finish();
        for (const DcPoint& p : shapes[k]) EXPECT_EQ(c.At(p.x, p.y), kBlack) << k << ": " << p.x << "," << p.y;
    }
}

TEST(QtDeviceContext, TextSmoothingTurnsOffAlsoAfterAClear)
{
    EnsureApp();
    QtImageDc dc(60, 40);
    dc.SetTextAntialiasing(false);
    dc.IntersectClipRect({0, 0, 1, 1});
    dc.SetPixel(0, 0, kRed);
    dc.Clear();
    DcFont f;
    f.height = -24;
    dc.SelectFont(f);
    dc.SetBkMode(BkMode::Transparent);
    // A face character, and two the face lacks (drawn through fallback).
    dc.TextOut(5, 5, u"\u6F22\u05D0\u05D1");
    dc.SetPixel(50, 30, kRed);
    const QImage& image = dc.Finish();
    int ink = 0, grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const ColorRef c = ArgbToColorRef(image.pixel(x, y));
            if (c == kBlack) ++ink;
            else if (c != kWhite && c != kRed) ++grey;
        }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(grey, 0); // no smoothing: every pixel is ink or paper
    EXPECT_EQ(ArgbToColorRef(image.pixel(0, 0)), kWhite);
    EXPECT_EQ(ArgbToColorRef(image.pixel(50, 30)), kRed);
}

// Contexts made one after another share their fonts: each still smooths its
// text as it was told, whatever the one before it did with the same font.
TEST(QtDeviceContext, EachContextSmoothsTextAsItsOwnSettingSays)
{
    EnsureApp();
    for (const bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smoothed after not" : "not smoothed after smoothed");
        int grey = 0;
        for (const bool now : {!smooth, smooth}) {
            Canvas c(60, 40);
            c.dc->SetTextAntialiasing(now);
            c.UseGothic20();
            c.dc->TextOut(5, 30, u"\u6F22\u5B57");
            c.Finish();
            grey = c.image.width() * c.image.height() - c.Count(kWhite) - c.Count(kBlack);
            EXPECT_GT(c.Count(kBlack), 20);
        }
        if (smooth) EXPECT_GT(grey, 0);
        else EXPECT_EQ(grey, 0);
    }
}

TEST(QtDeviceContext, RoundFiguresKeepToTheBoxLikeRectangles)
{
    // With a pen the figure covers its box, right and bottom edges excluded;
    // without one the fill leaves out one more column and row.
    const DcRect boxes[] = {{10, 12, 50, 44}, {5, 5, 16, 9}, {3, 7, 60, 58}, {20, 20, 24, 25}};
    for (const DcRect& box : boxes)
        for (bool pen : {true, false})
            for (int kind = 0; kind < 4; ++kind) {
                Canvas c(64, 64);
                c.dc->SelectPen(pen ? DcPen{PenStyle::Solid, 1, kBlack} : DcPen{PenStyle::Null, 0, 0});
                c.dc->SelectBrush(DcBrush::Solid(kRed));
                const int32_t cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
                switch (kind) {
                case 0: c.dc->Ellipse(box); break;
                case 1: c.dc->RoundRect(box, 6, 6); break;
                case 2: c.dc->Pie(box, {cx, box.top}, {cx, box.bottom}); break;     // the left half
                case 3: c.dc->Chord(box, {box.right, cy}, {box.left, cy}); break;  // the upper half
                }
                c.Finish();
                const std::string what = std::to_string(box.left) + "," + std::to_string(box.top) + " pen " +
                                         std::to_string(pen) + " kind " + std::to_string(kind);
                int minX = 99, maxX = -1, minY = 99, maxY = -1;
                for (int y = 0; y < 64; ++y)
                    for (int x = 0; x < 64; ++x)
                        if (c.At(x, y) != kWhite) {
                            minX = std::min(minX, x);
                            maxX = std::max(maxX, x);
                            minY = std::min(minY, y);
                            maxY = std::max(maxY, y);
                        }
                // No paper shows between the outline and the fill.
                for (int y = minY; y <= maxY; ++y) {
                    int first = -1, end = -1;
                    for (int x = 0; x < 64; ++x)
                        if (c.At(x, y) != kWhite) {
                            if (first < 0) first = x;
                            end = x;
                        }
                    for (int x = first; x >= 0 && x <= end; ++x)
                        EXPECT_NE(c.At(x, y), kWhite) << what << " at " << x << "," << y;
                }
                const int last = pen ? 1 : 2;
                EXPECT_EQ(minX, box.left) << what;
                EXPECT_EQ(minY, box.top) << what;
                if (kind != 2) {
                    EXPECT_EQ(maxX, box.right - last) << what;
                }
                if (kind != 3) {
                    EXPECT_EQ(maxY, box.bottom - last) << what;
                }
            }
}
