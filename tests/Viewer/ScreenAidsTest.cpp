#include "FakePrinterCatalog.h"

#include <QProcess>
#include <QScrollBar>

#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "engine/format/UnitScaler.h"
#include "platform/qt/PrinterByName.h"

using namespace nv::viewer;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(200, 255, 200);

class ScreenAids : public nvtest::FakePrinterFixture {
protected:
    void StartWith(const QString& doc, std::initializer_list<std::pair<const char*, int>> options, int page = 1)
    {
        {
            QSettings ini(ViewerOptions::OpenSettings()->fileName(), QSettings::IniFormat);
            for (auto [key, value] : options) ini.setValue(QString("Option/") + key, value);
        }
        ASSERT_EQ(Start({doc}), PagelookApp::kContinue);
        SizeViewport(1800, 1200);
        View()->SetZoom(100);
        View()->SetPage(page);
    }

    QImage Grab()
    {
        View()->viewport()->repaint();
        return View()->viewport()->grab().toImage();
    }

    QPoint Origin()
    {
        return View()->SheetOffset() -
               QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value());
    }
};

// The dark pixels' bounds within `area`.
QRect DarkBounds(const QImage& img, const QRect& area)
{
    QRect box;
    for (int y = std::max(0, area.top()); y <= std::min(img.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(img.width() - 1, area.right()); ++x)
            if (qGray(img.pixel(x, y)) < 64) box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(ScreenAids, WakusenOutlinesALandscapePageUnclipped)
{
    // Mode 1 puts the landscape page on the portrait A4 printer sheet, so
    // the outline runs past the sheet.
    StartWith(Sample("mixed.tvd", {.pages = 4, .alternate = true}), {{"Wakusen", 1}, {"PrintMode", 1}}, 2);
    ASSERT_EQ(View()->Layout().page.orientation, 2);
    ASSERT_LT(View()->Paper().width, View()->Paper().height);
    const nv::UnitScaler at100(96, 96, 100);
    const int w = at100.DocToDeviceX(View()->Layout().page.width);
    const int h = at100.DocToDeviceY(View()->Layout().page.height);
    EXPECT_GT(w, h);
    const QImage img = Grab();
    const QPoint o = Origin();
    const int sheetWidth = View()->SheetSize().width();
    for (QPoint p : {QPoint(o.x() + w / 2, o.y()), QPoint(o.x() + w - 1, o.y() + h / 2), QPoint(o.x(), o.y() + h / 2),
                     QPoint(o.x() + w / 2, o.y() + h - 1), QPoint(o.x() + sheetWidth + 20, o.y())})
        EXPECT_EQ(img.pixelColor(p), kRed) << p.x() << "," << p.y();
    EXPECT_NE(img.pixelColor(o.x() + w + 2, o.y() + h / 2), kRed);
}

TEST_F(ScreenAids, HeadOffSetShadesTheFiveMillimetreMargin)
{
    StartWith(Sample("five.tvd"), {{"HeadOffSet", 1}});
    const QImage img = Grab();
    const QPoint o = Origin();
    const QSize sheet = View()->SheetSize();
    const int midY = o.y() + sheet.height() / 2;
    int band = 0;
    while (img.pixelColor(o.x() + band, midY) == kGreen) ++band;
    EXPECT_EQ(band, 18);
    EXPECT_EQ(img.pixelColor(o.x() + 18, midY), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(o.x() + sheet.width() / 2, o.y() + 17), kGreen);
    EXPECT_EQ(img.pixelColor(o.x() + sheet.width() / 2, o.y() + 18), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(o.x() + sheet.width() - 1, midY), kGreen);
    EXPECT_EQ(img.pixelColor(o.x() + sheet.width() / 2, o.y() + sheet.height() - 1), kGreen);
}

TEST_F(ScreenAids, PrintedSquareSitsWhereTheScreenShowsIt)
{
    catalog.defaultPrinter.clear();
    StartWith(Sample("mixed.tvd", {.pages = 4, .alternate = true}), {}, 2);
    const auto s = nv::samples::SquareOf(2);
    const nv::UnitScaler at100(96, 96, 100);
    const QRect expected(at100.DocToDeviceX(s.left), at100.DocToDeviceY(s.top), at100.DocToDeviceX(s.side),
                         at100.DocToDeviceY(s.side));
    const QRect around = expected.adjusted(-6, -6, 6, 6);
    const QRect onScreen = DarkBounds(Grab(), around.translated(Origin())).translated(-Origin());
    ASSERT_FALSE(onScreen.isEmpty());

    const QString pdf = QString::fromStdString(dir.file("square.pdf"));
    ASSERT_TRUE(PrintLoop(View()->Document()).Run({.printer = nv::PdfPrinterName(pdf), .pages = {2}}).printed);
    const QString png = QString::fromStdString(dir.file("square"));
    QProcess p;
    p.start("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, png});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QImage printed(png + ".png");
    ASSERT_FALSE(printed.isNull());
    EXPECT_GT(printed.width(), printed.height());
    const QRect onPaper = DarkBounds(printed, around);
    ASSERT_FALSE(onPaper.isEmpty());
    EXPECT_LE(std::abs(onPaper.left() - onScreen.left()), 1);
    EXPECT_LE(std::abs(onPaper.top() - onScreen.top()), 1);
    EXPECT_LE(std::abs(onPaper.right() - onScreen.right()), 1);
    EXPECT_LE(std::abs(onPaper.bottom() - onScreen.bottom()), 1);
}

} // namespace
