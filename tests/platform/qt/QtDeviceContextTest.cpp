#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>

#include "support/TempDir.h"

#include "platform/gdi/GdiRules.h"
#include "platform/qt/FontFaceTable.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtSurfaces.h"

using namespace nv;
using namespace nvtest;

namespace {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the application object must outlive every font and
    // image, static ones included.
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
}

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
