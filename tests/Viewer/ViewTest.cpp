#include "ViewerFixture.h"

#include <QLabel>
#include <QStatusBar>

#include <cstdlib>
#include <malloc.h>
#include <QScrollBar>
#include <QTreeView>

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/TreePane.h"
#include "Viewer/ZoomBox.h"

using namespace nv::viewer;
using nv::samples::SquareOf;

namespace {

class PageView : public nvtest::ViewerFixture {
protected:
    void OpenFive(int w = 600, int h = 800)
    {
        ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
        ASSERT_NE(View(), nullptr);
        SizeViewport(w, h);
    }

    QImage Grab()
    {
        View()->viewport()->repaint();
        return View()->viewport()->grab().toImage();
    }

    // The centre of page n's square on screen.
    QPoint SquareCentre(int page)
    {
        const auto s = SquareOf(page);
        const nv::UnitScaler sc(96, 96, View()->Zoom());
        const QPoint origin = View()->SheetOffset() -
                              QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value());
        return origin + QPoint(sc.DocToDeviceX(s.left + s.side / 2), sc.DocToDeviceY(s.top + s.side / 2));
    }
};

struct FitCase {
    int w, h;
    int command;
    int zoom;
};

TEST_F(PageView, FitZoomsFromTheViewportWithoutScrollBars)
{
    OpenFive();
    const FitCase cases[] = {
        {600, 800, cmd::kFitPage, 67}, {600, 800, cmd::kFitWidth, 70}, {600, 800, cmd::kFitHeight, 67},
        {800, 600, cmd::kFitPage, 50}, {800, 600, cmd::kFitWidth, 96}, {800, 600, cmd::kFitHeight, 50},
        {20, 20, cmd::kFitPage, 10},   {20, 20, cmd::kFitWidth, 10},   {20, 20, cmd::kFitHeight, 10},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << c.command);
        SizeViewport(c.w, c.h);
        Trigger(c.command);
        EXPECT_EQ(View()->Zoom(), c.zoom);
        EXPECT_EQ(View()->ZoomMode(), 0);
        EXPECT_TRUE(Frame().Action(c.command)->isChecked());
    }
}

// A ledger's balance is its rightmost column: a first page wider than the
// window opens at the width that shows it whole, a narrower one at 100 %.
TEST_F(PageView, AFirstPageWiderThanTheWindowOpensAtItsWidth)
{
    const struct { QSize frame; nv::samples::SampleSpec spec; bool fits; } cases[] = {
        {{1024, 768}, {.paperId = 8, .widthTenths = 2970, .lengthTenths = 4200, .orientation = 2}, true},
        {{640, 480}, {}, true},
        {{1024, 768}, {.paperId = 11, .widthTenths = 1480, .lengthTenths = 2100}, false},
    };
    ASSERT_EQ(Start({}), PagelookApp::kContinue);
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.frame.width()) + (c.fits ? "-wide.tvd" : "-narrow.tvd");
        SCOPED_TRACE(name);
        for (QMdiSubWindow* w : Frame().MdiArea()->subWindowList()) delete w;
        Frame().resize(c.frame);
        QCoreApplication::processEvents();
        ASSERT_TRUE(Frame().OpenDocument(Sample(name, c.spec)));
        QCoreApplication::processEvents();
        EXPECT_EQ(Frame().Action(cmd::kFitWidth)->isChecked(), c.fits);
        EXPECT_EQ(View()->Zoom() == 100, !c.fits);
        EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 0); // the right edge in view
        EXPECT_EQ(Frame().Zoom()->currentText(), QStringLiteral("%1%").arg(View()->Zoom()));
    }
}

TEST_F(PageView, SheetIsCentredAtFitAndKeepsFiveMillimetresWhenLarger)
{
    OpenFive();
    Trigger(cmd::kFitPage);
    EXPECT_EQ(View()->SheetSize(), QSize(531, 752));
    EXPECT_EQ(View()->SheetOffset(), QPoint(34, 24));
    EXPECT_EQ(View()->ScrollSize(), QSize(599, 800));
    View()->SetZoom(200);
    QCoreApplication::processEvents();
    EXPECT_EQ(View()->ZoomMode(), 1);
    EXPECT_FALSE(Frame().Action(cmd::kFitPage)->isChecked());
    EXPECT_EQ(View()->SheetOffset(), QPoint(37, 37));
    EXPECT_EQ(View()->ScrollSize(), QSize(1661, 2319));
    EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 1661 - View()->viewport()->width());
    EXPECT_EQ(View()->verticalScrollBar()->maximum(), 2319 - View()->viewport()->height());
}

TEST_F(PageView, PaintsGreyAroundWhitePaperAndTheCurrentPage)
{
    OpenFive();
    Trigger(cmd::kFitPage);
    QImage img = Grab();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(34 + 5, 24 + 5), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(34 + 530, 24 + 751), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(34 + 531, 24 + 300), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(SquareCentre(1)), QColor(Qt::black));
    Trigger(cmd::kNextPage);
    Trigger(cmd::kNextPage);
    img = Grab();
    EXPECT_EQ(View()->CurrentPage(), 3);
    EXPECT_EQ(img.pixelColor(SquareCentre(3)), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(SquareCentre(2)), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(SquareCentre(1)), QColor(Qt::white));
    EXPECT_EQ(Frame().PagePane()->text(), " 3/ 5ページ");
    EXPECT_EQ(Frame().PaperPane()->text(), "A4：縦");
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "");
    if (std::getenv("NV_KEEP_IMAGES")) img.save("/tmp/viewer-page3.png");
}

TEST_F(PageView, FitFollowsAResizeAndAFixedZoomDoesNot)
{
    OpenFive();
    Trigger(cmd::kFitPage);
    SizeViewport(800, 600);
    EXPECT_EQ(View()->Zoom(), 50);
    View()->SetZoom(120);
    SizeViewport(600, 800);
    EXPECT_EQ(View()->Zoom(), 120);
    for (int z : {0, 1000, -5}) {
        View()->SetZoom(z);
        EXPECT_EQ(View()->Zoom(), z < 1 ? 1 : 999);
    }
}

TEST_F(PageView, PagingStopsAtBothEndsAndEnablesItsCommands)
{
    OpenFive();
    const int paging[] = {cmd::kFirstPage, cmd::kPrevPage, cmd::kNextPage, cmd::kLastPage};
    auto enabled = [&] {
        std::vector<bool> out;
        for (int id : paging) out.push_back(Frame().Action(id)->isEnabled());
        return out;
    };
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, true}));
    Trigger(cmd::kLastPage);
    EXPECT_EQ(View()->CurrentPage(), 5);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, false}));
    Trigger(cmd::kPrevPage);
    Trigger(cmd::kPrevPage);
    Trigger(cmd::kPrevPage);
    EXPECT_EQ(View()->CurrentPage(), 2);
    Trigger(cmd::kPrevPage);
    EXPECT_EQ(View()->CurrentPage(), 1);
    EXPECT_TRUE(Frame().Action(cmd::kJumpPage)->isEnabled());
    View()->SetPage(99);
    EXPECT_EQ(View()->CurrentPage(), 5);
    View()->SetPage(-3);
    EXPECT_EQ(View()->CurrentPage(), 1);
}

TEST_F(PageView, OnePageDisablesEveryPagingCommand)
{
    ASSERT_EQ(Start({Sample("one.tvd", {.pages = 1})}), PagelookApp::kContinue);
    for (int id : {cmd::kFirstPage, cmd::kPrevPage, cmd::kNextPage, cmd::kLastPage, cmd::kJumpPage})
        EXPECT_FALSE(Frame().Action(id)->isEnabled()) << id;
}

TEST_F(PageView, NoViewNoCommandsAndEmptyPanes)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    EXPECT_EQ(View(), nullptr);
    EXPECT_TRUE(Frame().MdiArea()->subWindowList().isEmpty());
    for (int id : {cmd::kFirstPage, cmd::kNextPage, cmd::kFitPage, cmd::kAnyZoom, cmd::kJumpPage})
        EXPECT_FALSE(Frame().Action(id)->isEnabled()) << id;
    EXPECT_EQ(Frame().PagePane()->text(), "");
    EXPECT_EQ(Frame().PaperPane()->text(), "");
    // One action per command id, named after it; those without a handler yet
    // stay disabled.
    for (int id : {cmd::kPageSetup, cmd::kDocumentInfo, cmd::kOptions, cmd::kFind, cmd::kFirstPage, cmd::kPrevPage,
                   cmd::kNextPage, cmd::kLastPage, cmd::kAnyZoom, cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage,
                   cmd::kJumpPage, cmd::kTreePane, cmd::kFileOpen, cmd::kPrint, cmd::kAbout}) {
        ASSERT_NE(Frame().Action(id), nullptr) << id;
        EXPECT_EQ(Frame().Action(id)->objectName(), QString("cmd%1").arg(id));
        EXPECT_EQ(Frame().findChild<QAction*>(QString("cmd%1").arg(id)), Frame().Action(id));
    }
    EXPECT_FALSE(Frame().Action(cmd::kPrint)->isEnabled());
    EXPECT_TRUE(Frame().Action(cmd::kFileOpen)->isEnabled());
}

TEST_F(PageView, OpenAsksForAFileThroughThePrompt)
{
    const QString five = Sample("five.tvd");
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    prompts->Then(std::optional<QString>()).Then(std::optional<QString>(five));
    Trigger(cmd::kFileOpen);
    EXPECT_EQ(View(), nullptr);
    Trigger(cmd::kFileOpen);
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(View()->Document().Path(), five);
    ASSERT_EQ(prompts->AllAsked().size(), 2u);
    EXPECT_EQ(prompts->AllAsked()[0].kind, nv::ui::ScriptedPrompt::Kind::File);
    EXPECT_EQ(prompts->AllAsked()[0].text, "開く");
}

TEST_F(PageView, DragWithTheLeftButtonAloneScrolls)
{
    OpenFive();
    View()->SetZoom(200);
    QCoreApplication::processEvents();
    QScrollBar* h = View()->horizontalScrollBar();
    QScrollBar* v = View()->verticalScrollBar();
    h->setValue(300);
    v->setValue(400);
    QWidget* vp = View()->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(200, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(170, 250), vp->mapToGlobal(QPointF(170, 250)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(vp, &move);
    EXPECT_EQ(h->value(), 330);
    EXPECT_EQ(v->value(), 350);
    // Moving far past the edge stops at it.
    QMouseEvent far(QEvent::MouseMove, QPointF(-5000, 5000), vp->mapToGlobal(QPointF(-5000, 5000)), Qt::NoButton,
                    Qt::LeftButton, {});
    QCoreApplication::sendEvent(vp, &far);
    EXPECT_EQ(h->value(), h->maximum());
    EXPECT_EQ(v->value(), 0);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(-5000, 5000));

    h->setValue(300);
    v->setValue(400);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(200, 200));
    QMouseEvent both(QEvent::MouseMove, QPointF(150, 150), vp->mapToGlobal(QPointF(150, 150)), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, {});
    QCoreApplication::sendEvent(vp, &both);
    EXPECT_EQ(h->value(), 300);
    EXPECT_EQ(v->value(), 400);
}

TEST_F(PageView, EachPageOnItsOwnPaperAndOrientation)
{
    ASSERT_EQ(Start({Sample("mixed.tvd", {.pages = 4, .alternate = true})}), PagelookApp::kContinue);
    SizeViewport(600, 800);
    View()->SetZoom(100);
    EXPECT_EQ(View()->SheetSize(), QSize(793, 1122));
    EXPECT_EQ(Frame().PaperPane()->text(), "A4：縦");
    Trigger(cmd::kNextPage);
    EXPECT_EQ(View()->SheetSize(), QSize(1122, 793));
    EXPECT_EQ(Frame().PaperPane()->text(), "A4：横");
    Trigger(cmd::kNextPage);
    EXPECT_EQ(View()->SheetSize(), QSize(793, 1122));

    ASSERT_TRUE(Frame().OpenDocument(
        Sample("a3.tvd", {.pages = 1, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200, .orientation = 2})));
    View()->SetZoom(100);
    EXPECT_EQ(View()->SheetSize(), QSize(1587, 1122));
    EXPECT_EQ(Frame().PaperPane()->text(), "A3：横");
}

TEST_F(PageView, PaperWithoutASizeTakesItsStandardSizeElseA4)
{
    ASSERT_EQ(Start({Sample("zero.tvd", {.pages = 1, .paperId = 8, .widthTenths = 0, .lengthTenths = 0})}),
              PagelookApp::kContinue);
    SizeViewport(600, 800);
    Trigger(cmd::kFitPage);
    View()->SetZoom(100);
    EXPECT_EQ(View()->SheetSize(), QSize(1122, 1587));
    ASSERT_TRUE(Frame().OpenDocument(
        Sample("custom.tvd", {.pages = 1, .paperId = 256, .widthTenths = 0, .lengthTenths = 0})));
    Trigger(cmd::kFitPage);
    EXPECT_GE(View()->Zoom(), 10);
    View()->SetZoom(100);
    EXPECT_EQ(View()->SheetSize(), QSize(793, 1122));
}

TEST_F(PageView, TreeListsDocumentsAndPagesAndChoosesThem)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    PagelookView* first = View();
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3, .nameUtf8 = "売上元帳"})));
    PagelookView* second = View();
    ASSERT_NE(first, second);
    QTreeView* tree = Frame().Tree()->Tree();
    const QAbstractItemModel* m = tree->model();
    ASSERT_EQ(m->rowCount(), 2);
    const QModelIndex a = m->index(0, 0), b = m->index(1, 0);
    const auto text = [](const QModelIndex& i) { return i.data().toString(); };
    EXPECT_EQ(text(a), "five");
    EXPECT_EQ(text(b), "売上元帳");
    ASSERT_EQ(m->rowCount(a), 5);
    ASSERT_EQ(m->rowCount(b), 3);
    EXPECT_EQ(text(m->index(0, 0, a)), "1ページ ");
    EXPECT_EQ(text(m->index(4, 0, a)), "5ページ ");
    EXPECT_EQ(m->index(2, 0, b).data(TreePane::kPageRole).toInt(), 3);
    EXPECT_EQ(tree->currentIndex(), m->index(0, 0, b));
    EXPECT_EQ(Frame().windowTitle(), "TaveloViewer - three.tvd");

    // Clicking page 4 of the background document brings it forward there.
    tree->scrollTo(m->index(3, 0, a));
    const QRect row = tree->visualRect(m->index(3, 0, a));
    ASSERT_TRUE(row.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(View(), first);
    EXPECT_EQ(first->CurrentPage(), 4);
    EXPECT_EQ(Frame().PagePane()->text(), " 4/ 5ページ");
    // Paging moves the tree's caret; a document row changes nothing.
    Trigger(cmd::kNextPage);
    EXPECT_EQ(tree->currentIndex(), m->index(4, 0, a));
    tree->setCurrentIndex(b);
    EXPECT_EQ(View(), first);
    EXPECT_EQ(first->CurrentPage(), 5);

    // Closing a window removes its document from the tree.
    Frame().MdiArea()->setActiveSubWindow(Frame().MdiArea()->subWindowList().at(1));
    EXPECT_EQ(View(), second);
    delete Frame().MdiArea()->activeSubWindow();
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(text(m->index(0, 0)), "five");
    EXPECT_EQ(m->rowCount(m->index(0, 0)), 5);
}

TEST_F(PageView, TheSameFileAgainActivatesItsWindow)
{
    const QString five = Sample("five.tvd");
    ASSERT_EQ(Start({five}), PagelookApp::kContinue);
    PagelookView* first = View();
    ASSERT_TRUE(Frame().OpenDocument(Sample("other.tvd")));
    EXPECT_NE(View(), first);
    ASSERT_TRUE(Frame().OpenDocument(QString::fromStdString(dir.path().string()) + "/./five.tvd"));
    EXPECT_EQ(View(), first);
    EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(Frame().Tree()->Tree()->model()->rowCount(), 2);
}

// What the process holds on the heap, mapped blocks included.
size_t HeapInUse()
{
    const struct mallinfo2 m = ::mallinfo2();
    return m.uordblks + m.hblkhd;
}

TEST_F(PageView, ManyPagesFillTheTreeWithLittleMemoryAndTheCaretFollows)
{
    constexpr int kPages = 20000;
    const QString one = Sample("one.tvd", {.pages = 1}), many = Sample("many.tvd", {.pages = kPages});
    ASSERT_EQ(Start({}), PagelookApp::kContinue);
    // A window of one page, then one of many: what the pages add.
    const size_t before = HeapInUse();
    ASSERT_TRUE(Frame().OpenDocument(one));
    const size_t window = HeapInUse() - before;
    ASSERT_TRUE(Frame().OpenDocument(many));
    const size_t manyWindow = HeapInUse() - before - window;
    EXPECT_LT(double(manyWindow) - double(window), 200.0 * kPages) << window << " " << manyWindow;

    const QAbstractItemModel* m = Frame().Tree()->Tree()->model();
    const QModelIndex doc = m->index(1, 0);
    ASSERT_EQ(m->rowCount(doc), kPages);
    EXPECT_EQ(m->index(kPages - 1, 0, doc).data().toString(), QStringLiteral("%1ページ ").arg(kPages));
    EXPECT_EQ(Frame().Tree()->Tree()->currentIndex(), m->index(0, 0, doc));
    Trigger(cmd::kLastPage);
    EXPECT_EQ(Frame().Tree()->Tree()->currentIndex(), m->index(kPages - 1, 0, doc));
    EXPECT_EQ(Frame().PagePane()->text(), QStringLiteral(" %1/ %1ページ").arg(kPages));
}

} // namespace
