#include "ViewerFixture.h"

#include <QMdiArea>

#include "Viewer/OptionKeys.h"
#include "Viewer/ViewerOptions.h"

using namespace nv::viewer;

namespace {

class Options : public nvtest::ViewerFixture {
protected:
    void Write(const char* key, const QVariant& v)
    {
        auto s = ViewerOptions::OpenSettings();
        s->setValue(QString(keys::kGroup) + "/" + key, v);
    }
};

TEST_F(Options, DefaultsWhenNothingIsStored)
{
    const ViewerOptions o = ViewerOptions::Load(*ViewerOptions::OpenSettings());
    EXPECT_EQ(o.printMode, 0);
    EXPECT_EQ(o.wakusen, 0);
    EXPECT_EQ(o.headOffSet, 0);
    EXPECT_EQ(o.logPath, "");
    EXPECT_EQ(o.logMode, 0);
    EXPECT_EQ(o.mainViewMax, 0);
    EXPECT_EQ(o.childViewMax, 0);
}

TEST_F(Options, SavedValuesComeBackUnderTheirExactKeys)
{
    ViewerOptions o{3, 1, 1, "/var/log/pl", 2, 1, 1};
    {
        auto s = ViewerOptions::OpenSettings();
        o.Save(*s);
        s->sync();
        // The file is the organisation's path and the program's name.
        EXPECT_TRUE(s->fileName().endsWith("Ardel/Tavelo/7.0/Pagelook.ini")) << s->fileName().toStdString();
        EXPECT_TRUE(s->contains("Option/ChildVIewMax"));
        EXPECT_FALSE(s->contains("Option/ChildViewMax"));
    }
    const ViewerOptions back = ViewerOptions::Load(*ViewerOptions::OpenSettings());
    EXPECT_EQ(back.printMode, 3);
    EXPECT_EQ(back.wakusen, 1);
    EXPECT_EQ(back.headOffSet, 1);
    EXPECT_EQ(back.logPath, "/var/log/pl");
    EXPECT_EQ(back.logMode, 2);
    EXPECT_EQ(back.mainViewMax, 1);
    EXPECT_EQ(back.childViewMax, 1);
}

TEST_F(Options, PaperModeOutsideItsRangeReadsAsZero)
{
    for (auto v : {QVariant(7), QVariant(-1), QVariant("x"), QVariant(3)}) {
        Write(keys::kPrintMode, v);
        EXPECT_EQ(ViewerOptions::Load(*ViewerOptions::OpenSettings()).printMode, v == QVariant(3) ? 3 : 0)
            << v.toString().toStdString();
    }
}

TEST_F(Options, MaximiseOptionsMaximiseMainAndChildWindows)
{
    Write(keys::kMainViewMax, 1);
    Write(keys::kChildViewMax, 1);
    const QString doc = Sample("five.tvd");
    ASSERT_EQ(Start({doc}), PagelookApp::kContinue);
    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_TRUE(Frame().MdiArea()->activeSubWindow()->isMaximized());
}

TEST_F(Options, WakusenOutlinesThePagesOwnPaperInRed)
{
    for (int wakusen : {0, 1}) {
        SCOPED_TRACE(wakusen);
        Write(keys::kWakusen, wakusen);
        ASSERT_EQ(Start({Sample("a3.tvd", {.pages = 1, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200,
                                           .orientation = 2})}),
                  PagelookApp::kContinue);
        SizeViewport(600, 800);
        View()->SetZoom(30);
        QCoreApplication::processEvents();
        // Landscape: the outline is the paper's length wide.
        ASSERT_EQ(View()->SheetSize(), QSize(476, 336));
        View()->viewport()->repaint();
        const QImage img = View()->viewport()->grab().toImage();
        const QPoint o = View()->SheetOffset();
        const QColor edge = wakusen ? QColor(255, 0, 0) : QColor(Qt::white);
        EXPECT_EQ(img.pixelColor(o + QPoint(0, 100)), edge);
        EXPECT_EQ(img.pixelColor(o + QPoint(475, 100)), edge);
        EXPECT_EQ(img.pixelColor(o + QPoint(300, 335)), edge);
        EXPECT_EQ(img.pixelColor(o + QPoint(1, 100)), QColor(Qt::white));
        EXPECT_EQ(img.pixelColor(o + QPoint(476, 100)), QColor(128, 128, 128));
    }
}

TEST_F(Options, NotMaximisedByDefault)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    EXPECT_FALSE(Frame().isMaximized());
    EXPECT_FALSE(Frame().MdiArea()->activeSubWindow()->isMaximized());
}

} // namespace
