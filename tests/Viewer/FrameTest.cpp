#include "ViewerFixture.h"

#include <QComboBox>

#include <cstdlib>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QToolBar>
#include <QTreeWidget>

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/TreePane.h"
#include "Viewer/ZoomBox.h"

using namespace nv::viewer;

namespace {

class Bars : public nvtest::ViewerFixture {
protected:
    void OpenFive(int w = 600, int h = 800)
    {
        ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
        ASSERT_NE(View(), nullptr);
        SizeViewport(w, h);
    }

    void Type(const QString& text, bool repeat = false)
    {
        // As a person does: click into the box, then type to whatever has the focus.
        ZoomBox* box = Frame().Zoom();
        Frame().activateWindow();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        ASSERT_TRUE(focus == box || focus == box->lineEdit());
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_Backspace);
        QTest::keyClicks(focus, text);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString("\r"), repeat);
        QApplication::sendEvent(focus, &enter);
        QCoreApplication::processEvents();
    }

    QStringList Items()
    {
        QStringList out;
        for (int i = 0; i < Frame().Zoom()->count(); ++i) out << Frame().Zoom()->itemText(i);
        return out;
    }

    static QStringList Ids(const QList<QAction*>& actions)
    {
        QStringList out;
        for (QAction* a : actions) out << (a->isSeparator() ? QString("0") : a->objectName().mid(3));
        return out;
    }

    QStringList MenuTitles()
    {
        QStringList out;
        for (QAction* a : Frame().menuBar()->actions()) out << a->text();
        return out;
    }

    QString IniPath() { return ViewerOptions::OpenSettings()->fileName(); }

    void Restart()
    {
        Frame().close();
        app.reset();
        ASSERT_EQ(Start(), PagelookApp::kContinue);
        QCoreApplication::processEvents();
    }
};

TEST_F(Bars, BarsHoldTheirCommandsInOrderOnOneRow)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    const std::pair<int, QStringList> bars[] = {
        {cmd::kMainBar, {"57601", "57602", "0", "32771", "57607", "57606"}},
        {cmd::kScaleBar, {"32773", "0", "32795", "32796", "32797"}},
        {cmd::kPageBar, {"32782", "32783", "32784", "32785"}},
        {cmd::kHelpBar, {"57670", "57667", "57664"}},
    };
    int x = -1;
    for (const auto& [id, ids] : bars) {
        QToolBar* bar = Frame().Bar(id);
        ASSERT_NE(bar, nullptr) << id;
        EXPECT_EQ(Ids(bar->actions()), ids) << id;
        EXPECT_EQ(Frame().toolBarArea(bar), Qt::TopToolBarArea);
        EXPECT_FALSE(Frame().toolBarBreak(bar));
        EXPECT_GT(bar->x(), x) << id;
        EXPECT_EQ(bar->y(), Frame().Bar(cmd::kMainBar)->y());
        x = bar->x();
    }
    EXPECT_EQ(Frame().Bar(cmd::kMainBar)->windowTitle(), "メイン");
    EXPECT_EQ(Frame().Bar(cmd::kHelpBar)->windowTitle(), "ヘルプ");
    // A menu item and its button are one action with one picture.
    QAction* open = Frame().Action(cmd::kFileOpen);
    EXPECT_TRUE(Frame().menuBar()->actions().first()->menu()->actions().contains(open));
    EXPECT_TRUE(Frame().Bar(cmd::kMainBar)->actions().contains(open));
    EXPECT_FALSE(open->icon().isNull());
    EXPECT_EQ(open->shortcut(), QKeySequence("Ctrl+O"));
    // Each bar's command shows it or hides it, checked while it shows.
    Frame().Action(cmd::kPageBar)->trigger();
    EXPECT_FALSE(Frame().Bar(cmd::kPageBar)->isVisible());
    EXPECT_FALSE(Frame().Action(cmd::kPageBar)->isChecked());
    Frame().Action(cmd::kStatusBar)->trigger();
    EXPECT_FALSE(Frame().statusBar()->isVisible());
    EXPECT_EQ(Frame().PaperPane()->width(), 160);
    EXPECT_EQ(Frame().PagePane()->width(), 100);
    // Every button has its prompt, and pane 0 shows it while pointed at.
    Frame().Action(cmd::kStatusBar)->trigger();
    for (const auto& [id, ids] : bars) {
        for (QAction* a : Frame().Bar(id)->actions()) {
            if (a->isSeparator() || a->objectName() == QStringLiteral("cmd%1").arg(cmd::kZoomBox)) continue;
            EXPECT_FALSE(a->statusTip().isEmpty()) << a->objectName().toStdString();
        }
    }
    open->showStatusText(&Frame());
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "既存のドキュメントを開きます");
    // A button's tip names its command without the menu's mnemonic.
    const std::pair<int, const char*> tips[] = {{cmd::kFileOpen, "開く"}, {cmd::kFileClose, "閉じる"},
                                                {cmd::kPrint, "印刷"}, {cmd::kPrintSetup, "プリンタの設定"},
                                                {cmd::kPageSetup, "ページ設定"}, {cmd::kHelpContents, "目次"},
                                                {cmd::kHelpSearch, "検索"}, {cmd::kFitPage, "画面サイズにあわせる"}};
    for (auto [id, tip] : tips) EXPECT_EQ(Frame().Action(id)->toolTip(), QString::fromUtf8(tip)) << id;
    for (const auto& [id, ids] : bars)
        for (QAction* a : Frame().Bar(id)->actions())
            EXPECT_FALSE(a->toolTip().contains(QRegularExpression(QStringLiteral("[(（][A-Z][)）]|&|\\.\\.\\."))))
                << a->toolTip().toStdString();
}

// Pictures by the desktop theme's names; a desktop without them gets the
// program's own set, one picture per command.
TEST_F(Bars, ButtonsShowThemePicturesOrTheProgramsOwn)
{
    const QString theme = QIcon::themeName();
    QIcon::setThemeName("nv-no-such-theme");
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    const std::pair<int, const char*> pictures[] = {
        {cmd::kFileOpen, "document-open"},   {cmd::kFileClose, "window-close"}, {cmd::kPageSetup, "document-page-setup"},
        {cmd::kPrint, "document-print"},     {cmd::kPrintSetup, "printer"},     {cmd::kFitHeight, "zoom-fit-height"},
        {cmd::kFitWidth, "zoom-fit-width"},  {cmd::kFitPage, "zoom-fit-best"},  {cmd::kFirstPage, "go-first"},
        {cmd::kPrevPage, "go-previous"},     {cmd::kNextPage, "go-next"},       {cmd::kLastPage, "go-last"},
        {cmd::kHelpContents, "help-contents"}, {cmd::kHelpSearch, "system-search"}, {cmd::kAbout, "help-about"}};
    QSet<qint64> seen;
    for (auto [id, name] : pictures) {
        const QImage own(QStringLiteral(":/pagelook/icons/%1.png").arg(name));
        ASSERT_FALSE(own.isNull()) << name;
        const QImage shown = Frame().Action(id)->icon().pixmap(own.size()).toImage();
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        EXPECT_EQ(shown.convertToFormat(premultiplied), own.convertToFormat(premultiplied)) << name;
        seen.insert(own.cacheKey());
    }
    EXPECT_EQ(seen.size(), 15);
    QIcon::setThemeName(theme);
}

// Alt and a drag move a button, and so do Ctrl+Alt and Shift+Alt, which
// window managers that take Alt and a drag leave alone; where it lands
// decides what happens.
TEST_F(Bars, AltDragRearrangesButtonsWithinAndBetweenBars)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    QCoreApplication::processEvents();
    QToolBar* page = Frame().Bar(cmd::kPageBar);
    QToolBar* help = Frame().Bar(cmd::kHelpBar);
    // Each drag takes the next way of holding the keys.
    const Qt::KeyboardModifiers holds[] = {Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier,
                                           Qt::ShiftModifier | Qt::AltModifier};
    int drags = 0;
    // side: -1 the left half of `onto`'s button, +1 its right half.
    auto drag = [&](QToolBar* from, int id, QWidget* onto, QPoint at, bool escape = false) {
        const Qt::KeyboardModifiers held = holds[drags++ % 3];
        QAction* a = Frame().Action(id);
        QWidget* button = from->widgetForAction(a);
        ASSERT_NE(button, nullptr) << id;
        QTest::mousePress(button, Qt::LeftButton, held, button->rect().center());
        QTest::mouseMove(button, button->mapFromGlobal(onto->mapToGlobal(at)));
        if (escape) QTest::keyClick(button, Qt::Key_Escape);
        QTest::mouseRelease(button, Qt::LeftButton, held, button->mapFromGlobal(onto->mapToGlobal(at)));
        QCoreApplication::processEvents();
    };
    auto half = [this](QToolBar* bar, int id, int side) {
        const QRect r = bar->actionGeometry(Frame().Action(id));
        return QPoint(r.center().x() + side * r.width() / 4, r.center().y());
    };
    drag(page, cmd::kLastPage, page, half(page, cmd::kFirstPage, -1));
    EXPECT_EQ(Ids(page->actions()), QStringList({"32785", "32782", "32783", "32784"}));
    drag(page, cmd::kPrevPage, page, half(page, cmd::kPrevPage, +1));
    EXPECT_EQ(Ids(page->actions()), QStringList({"32785", "32782", "0", "32783", "32784"}));
    drag(page, cmd::kPrevPage, page, half(page, cmd::kPrevPage, -1));
    EXPECT_EQ(Ids(page->actions()), QStringList({"32785", "32782", "32783", "32784"}));
    drag(page, cmd::kNextPage, help, half(help, cmd::kAbout, -1));
    EXPECT_EQ(Ids(page->actions()), QStringList({"32785", "32782", "32783"}));
    EXPECT_EQ(Ids(help->actions()), QStringList({"57670", "57667", "32784", "57664"}));
    // Escape leaves everything where it was; off every bar removes the button.
    drag(help, cmd::kAbout, Frame().MdiArea(), Frame().MdiArea()->rect().center(), true);
    EXPECT_EQ(Ids(help->actions()), QStringList({"57670", "57667", "32784", "57664"}));
    drag(help, cmd::kAbout, Frame().MdiArea(), Frame().MdiArea()->rect().center());
    EXPECT_EQ(Ids(help->actions()), QStringList({"57670", "57667", "32784"}));
    // Without Alt a button is only pressed.
    QTest::mouseClick(page->widgetForAction(Frame().Action(cmd::kFirstPage)), Qt::LeftButton);
    EXPECT_EQ(Ids(page->actions()), QStringList({"32785", "32782", "32783"}));
}

TEST_F(Bars, ZoomBoxAppliesTypedValuesAndFollowsTheView)
{
    OpenFive(1100, 1500);
    ZoomBox* box = Frame().Zoom();
    EXPECT_EQ(box->currentText(), "100%");
    Type("120");
    EXPECT_EQ(View()->Zoom(), 120);
    EXPECT_EQ(View()->ZoomMode(), 1);
    EXPECT_EQ(Items(), QStringList({"120%", "25%", "50%", "75%", "100%", "150%", "200%", "400%"}));
    View()->viewport()->repaint();
    const QImage img = View()->viewport()->grab().toImage();
    const int left = View()->SheetOffset().x();
    EXPECT_EQ(View()->SheetSize().width(), 952);
    EXPECT_EQ(img.pixelColor(left, 300), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(left + 951, 300), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(left + 952, 300), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(left - 1, 300), QColor(128, 128, 128));
    // Values off the list apply as typed.
    for (int typed : {250, 333, 130}) {
        Type(QString::number(typed));
        EXPECT_EQ(View()->Zoom(), typed);
    }
    EXPECT_EQ(box->count(), 8);
    EXPECT_EQ(box->itemText(0), "130%");
    EXPECT_EQ(box->itemText(1), "25%");
    for (const char* bad : {"0", "abc", ""}) {
        Type(bad);
        EXPECT_EQ(View()->Zoom(), 130) << bad;
        EXPECT_EQ(box->currentText(), "130%") << bad;
    }
    // A held key repeats Enter: nothing happens.
    Type("150", true);
    EXPECT_EQ(View()->Zoom(), 130);
    Type("5");
    EXPECT_EQ(View()->Zoom(), 5);
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "100%");
    EXPECT_EQ(box->lineEdit()->text(), "100%");
    Type("100%");
    EXPECT_EQ(View()->Zoom(), 100);
    EXPECT_EQ(box->itemText(0), "5%");
    // Choosing from the list applies the item.
    box->setCurrentIndex(box->findText("200%"));
    emit box->activated(box->currentIndex());
    EXPECT_EQ(View()->Zoom(), 200);
    SizeViewport(600, 800);
    Trigger(cmd::kFitWidth);
    EXPECT_EQ(box->currentText(), "70%");
    if (std::getenv("NV_KEEP_IMAGES")) Frame().grab().save("/tmp/viewer-frame.png");
    // A second child with its own zoom; switching shows each one's.
    PagelookView* first = View();
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3})));
    Type("150");
    EXPECT_EQ(View()->Zoom(), 150);
    EXPECT_EQ(first->Zoom(), 70);
    Trigger(cmd::kNextWindow);
    EXPECT_EQ(View(), first);
    EXPECT_EQ(box->currentText(), "70%");
    Trigger(cmd::kPrevWindow);
    EXPECT_EQ(box->currentText(), "150%");
}

TEST_F(Bars, MenusSwitchWithTheFirstAndLastDocument)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    EXPECT_EQ(MenuTitles(), QStringList({"ﾌｧｲﾙ(&F)", "表示(&V)", "ﾂｰﾙ(&T)", "ﾍﾙﾌﾟ(&H)"}));
    QMenu* file = Frame().menuBar()->actions().at(0)->menu();
    EXPECT_EQ(Ids(file->actions()), QStringList({"57601", "0", "57606", "0", "57616", "57617", "57618", "57619", "0",
                                                 "57665"}));
    EXPECT_TRUE(Frame().Action(cmd::kPrintSetup)->isEnabled()); // print setup needs no document
    EXPECT_FALSE(Frame().Zoom()->isEnabled());
    EXPECT_FALSE(Frame().Action(cmd::kPrint)->isEnabled());
    EXPECT_EQ(Frame().Action(cmd::kExit)->text(), "TaveloViewerの終了(&X)");
    QMenu* view = Frame().menuBar()->actions().at(1)->menu();
    EXPECT_EQ(view->actions().at(0)->text(), "ツールバー(&T)");
    EXPECT_EQ(Ids(view->actions().at(0)->menu()->actions()), QStringList({"165", "150", "151", "168"}));
    EXPECT_EQ(Ids(view->actions().mid(1)), QStringList({"11001", "59393"}));

    ASSERT_TRUE(Frame().OpenDocument(Sample("five.tvd")));
    EXPECT_TRUE(Frame().Zoom()->isEnabled());
    EXPECT_EQ(MenuTitles(), QStringList({"ﾌｧｲﾙ(&F)", "表示(&V)", "移動(&G)", "ﾂｰﾙ(&T)", "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
    QMenu* go = Frame().menuBar()->actions().at(2)->menu();
    QStringList goTexts;
    for (QAction* a : go->actions()) goTexts << a->text();
    EXPECT_EQ(goTexts, QStringList({"指定ページ", "", "開始ページ", "前ページ", "次ページ", "最終ページ"}));
    QMenu* window = Frame().menuBar()->actions().at(4)->menu();
    EXPECT_EQ(Ids(window->actions()), QStringList({"57650", "57651", "57652", "57649"}));
    EXPECT_EQ(window->actions().at(1)->text(), "上下に並べて表示(&H)");
    // Below its commands it lists the open documents, the active one
    // checked; choosing one brings it to the front.
    PagelookView* five = View();
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3})));
    PagelookView* three = View();
    Frame().MdiArea()->activeSubWindow()->showMinimized();
    for (int round = 0; round < 2; ++round) {
        emit window->aboutToShow();
        QStringList texts;
        for (QAction* a : window->actions()) texts << (a->isSeparator() ? QString("-") : a->text());
        EXPECT_EQ(texts.mid(4), QStringList({"-", "&1 five.tvd", "&2 three.tvd"}));
        ASSERT_EQ(window->actions().size(), 7);
        EXPECT_EQ(window->actions().at(5)->isChecked(), View() == five);
        EXPECT_EQ(window->actions().at(6)->isChecked(), View() == three);
        window->actions().at(round == 0 ? 6 : 5)->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(View(), round == 0 ? three : five);
    }
    EXPECT_FALSE(Frame().MdiArea()->subWindowList().at(1)->isMinimized());
    Trigger(cmd::kFileClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QMenu* docView = Frame().menuBar()->actions().at(1)->menu();
    EXPECT_EQ(Ids(docView->actions().mid(0, 5)), QStringList({"32794", "32795", "32796", "32797", "0"}));
    EXPECT_EQ(Frame().Action(cmd::kFitWidth)->text(), "画面（横）にあわせる");

    Trigger(cmd::kFileClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(MenuTitles(), QStringList({"ﾌｧｲﾙ(&F)", "表示(&V)", "ﾂｰﾙ(&T)", "ﾍﾙﾌﾟ(&H)"}));
}

TEST_F(Bars, ContextMenusAndWindowKeys)
{
    OpenFive();
    // The document's menu pages the view.
    QContextMenuEvent ask(QContextMenuEvent::Mouse, QPoint(50, 50), View()->viewport()->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(View()->viewport(), &ask);
    QMenu* doc = Frame().ContextMenu(1);
    EXPECT_TRUE(doc->isVisible());
    EXPECT_EQ(Ids(doc->actions()),
              QStringList({"32794", "32795", "32796", "32797", "0", "32782", "32783", "32784", "32785"}));
    doc->actions().at(7)->trigger();
    doc->hide();
    EXPECT_EQ(View()->CurrentPage(), 2);
    EXPECT_EQ(Ids(Frame().ContextMenu(2)->actions()), QStringList({"32794", "32795", "32796", "32797"}));
    std::unique_ptr<QMenu> main(Frame().ContextMenu(0));
    EXPECT_EQ(Ids(main->actions()), QStringList({"165", "150", "151", "168", "0", "11001", "59393"}));

    PagelookView* first = View();
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3})));
    PagelookView* second = View();
    EXPECT_EQ(Frame().Action(cmd::kNextWindow)->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(Frame().Action(cmd::kPrevWindow)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    Trigger(cmd::kNextWindow);
    EXPECT_EQ(View(), first);
    Trigger(cmd::kNextWindow);
    EXPECT_EQ(View(), second);
    // Side by side: two windows share the width.
    Trigger(cmd::kTileVertical);
    const auto windows = Frame().MdiArea()->subWindowList();
    EXPECT_EQ(windows.at(0)->y(), windows.at(1)->y());
    EXPECT_NE(windows.at(0)->x(), windows.at(1)->x());
    Trigger(cmd::kTileHorizontal);
    EXPECT_EQ(windows.at(0)->x(), windows.at(1)->x());
    EXPECT_NE(windows.at(0)->y(), windows.at(1)->y());
    // The frame's menu over the status bar and the empty document area too.
    Frame().MdiArea()->activeSubWindow()->showMinimized();
    for (QWidget* w : {static_cast<QWidget*>(Frame().statusBar()), Frame().MdiArea()->viewport()}) {
        const QPoint at = w == Frame().statusBar() ? QPoint(10, 5) : QPoint(w->width() / 2, 5);
        QContextMenuEvent over(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &over);
        QMenu* shown = nullptr;
        for (QMenu* m : Frame().findChildren<QMenu*>("context0"))
            if (m->isVisible()) shown = m;
        ASSERT_NE(shown, nullptr) << w->metaObject()->className();
        EXPECT_EQ(Ids(shown->actions()), QStringList({"165", "150", "151", "168", "0", "11001", "59393"}));
        shown->close();
    }
}

TEST_F(Bars, DocumentsFillTheAreaAndWindowSizesAreKept)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    QCoreApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(Frame().frameGeometry())) << Frame().frameGeometry().width();
    QMdiSubWindow* child = Frame().MdiArea()->activeSubWindow();
    EXPECT_EQ(child->geometry(), Frame().MdiArea()->viewport()->rect());
    EXPECT_FALSE(child->isMaximized()); // ChildVIewMax keeps that
    // The only document follows the frame's size.
    Frame().resize(Frame().size() - QSize(60, 40));
    QCoreApplication::processEvents();
    EXPECT_EQ(child->geometry(), Frame().MdiArea()->viewport()->rect());
    // A size set by hand is the next document's; the frame keeps its place.
    child->setGeometry(10, 10, 300, 250);
    Frame().move(screen.topLeft() + QPoint(20, 30));
    const QRect frame = Frame().geometry();
    child->close();
    Restart();
    EXPECT_EQ(Frame().geometry(), frame);
    ASSERT_TRUE(Frame().OpenDocument(Sample("five.tvd")));
    EXPECT_EQ(Frame().MdiArea()->activeSubWindow()->size(), QSize(300, 250));
}

TEST_F(Bars, TheProgramsIconOnItsWindowsNotQts)
{
    const QIcon before = QApplication::windowIcon();
    PagelookApp::NameProgram();
    ASSERT_EQ(Start({Sample("five.tvd")}), PagelookApp::kContinue);
    ASSERT_TRUE(Frame().OpenDocument(Sample("three.tvd", {.pages = 3})));
    const QImage own = QImage(QStringLiteral(":/pagelook/images/pagelook-32.png"));
    ASSERT_FALSE(own.isNull());
    const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
    auto shown = [&](const QIcon& icon) { return icon.pixmap(32).toImage().convertToFormat(premultiplied); };
    EXPECT_EQ(shown(Frame().windowIcon()), own.convertToFormat(premultiplied));
    // The document windows too: no stock logo in their corners.
    for (QMdiSubWindow* w : Frame().MdiArea()->subWindowList())
        EXPECT_EQ(shown(w->windowIcon()), own.convertToFormat(premultiplied)) << w->windowTitle().toStdString();
    QApplication::setWindowIcon(before);
}

TEST_F(Bars, AWindowKeptFromALargerScreenComesBackWithItsTitleBarOnThisOne)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    QCoreApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_FALSE(Frame().frameGeometry() == Frame().geometry()) << "a frame to fit";
    const QRect kept[] = {QRect(screen.topLeft(), screen.size() * 3 / 2), QRect(screen.topLeft() - QPoint(0, 40), screen.size()),
                          QRect(screen.center(), screen.size() / 2)};
    for (const QRect& g : kept) {
        SCOPED_TRACE(g.x());
        Frame().setGeometry(g);
        QCoreApplication::processEvents();
        Restart();
        EXPECT_TRUE(screen.contains(Frame().frameGeometry()))
            << Frame().frameGeometry().x() << "," << Frame().frameGeometry().y() << " "
            << Frame().frameGeometry().width() << "x" << Frame().frameGeometry().height();
    }
}

TEST_F(Bars, TheTitleNamesTheProgramOnce)
{
    const QString before = QCoreApplication::applicationName();
    PagelookApp::NameProgram();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "TaveloViewer");
    // Display name not set of its own: the platform adds nothing to titles.
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    PagelookApp::NameProgram();
    ASSERT_EQ(Start({Sample("仕入元帳.tvd")}), PagelookApp::kContinue);
    EXPECT_EQ(Frame().windowTitle(), "TaveloViewer - 仕入元帳.tvd");
    QCoreApplication::setApplicationName(before);
}

TEST_F(Bars, TreeWidthAndBarLayoutSurviveARestart)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    QCoreApplication::processEvents();
    EXPECT_EQ(Frame().Tree()->width(), 150);
    Frame().resizeDocks({Frame().Tree()}, {220}, Qt::Horizontal);
    Frame().Bar(cmd::kHelpBar)->hide();
    QCoreApplication::processEvents();
    Restart();
    EXPECT_EQ(Frame().Tree()->width(), 220);
    EXPECT_FALSE(Frame().Bar(cmd::kHelpBar)->isVisible());
    EXPECT_TRUE(Frame().Bar(cmd::kPageBar)->isVisible());

    // Hidden at close: the last width it had.
    Frame().Tree()->hide();
    QCoreApplication::processEvents();
    Frame().close();
    EXPECT_EQ(QSettings(IniPath(), QSettings::IniFormat).value("ToolBarState-TreeView/Width").toInt(), 220);
    app.reset();

    // A stored 0 and no layout: the default width.
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        ini.remove("ToolBarState");
        ini.setValue("ToolBarState-TreeView/Width", 0);
    }
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Frame().Tree()->isVisible());
    EXPECT_EQ(Frame().Tree()->width(), 150);
}

TEST_F(Bars, DroppedFilesOpenAndTheLastFourAreRemembered)
{
    ASSERT_EQ(Start(), PagelookApp::kContinue);
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(Sample("dropped.tvd"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    delete mime;
    ASSERT_EQ(Frame().Views().size(), 1);
    EXPECT_EQ(View()->Document().Title(), "dropped.tvd");

    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths << Sample("r" + std::to_string(i) + ".tvd", {.pages = 1});
        ASSERT_TRUE(Frame().OpenDocument(paths.last()));
    }
    QSettings ini(IniPath(), QSettings::IniFormat);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(ini.value(QString("Recent File List/File%1").arg(i)).toString(), paths[5 - i]);
    EXPECT_FALSE(ini.contains("Recent File List/File5"));
    EXPECT_EQ(Frame().Action(cmd::kRecentFile1)->text(), "&1 " + paths[4]);
    // The remembered list opens again after a restart.
    Restart();
    EXPECT_EQ(Frame().RecentFiles().size(), 4);
    Frame().Action(cmd::kRecentFile1 + 1)->trigger();
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(View()->Document().Path(), paths[3]);
}

} // namespace
