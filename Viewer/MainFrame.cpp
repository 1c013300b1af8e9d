#include "Viewer/MainFrame.h"

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PagelookView.h"
#include "Viewer/TreePane.h"
#include "Viewer/ZoomBox.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WorkArea.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTreeView>

#include <algorithm>

namespace nv::viewer {

namespace {
constexpr const char* kBarState = "ToolBarState/State";
constexpr const char* kTreeWidth = "ToolBarState-TreeView/Width";
constexpr const char* kMainGeometry = "MainFrame/Geometry";
constexpr const char* kChildSize = "ChildFrame/Size";
// A child that fills the document area keeps filling it as the area changes.
constexpr const char* kFills = "nvFillsArea";
} // namespace

MainFrame::MainFrame(const ViewerOptions& options, int dpi, QWidget* parent)
    : QMainWindow(parent), options_(options),
      printer_(AppPrinter::FromCatalog(DefaultPrinterCatalog())), dpi_(dpi),
      settings_(ViewerOptions::OpenSettings()),
      mdi_(new QMdiArea(this)), tree_(new TreePane(this)), paperPane_(new QLabel(this)),
      pagePane_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("TaveloViewer"));
    setCentralWidget(mdi_);
    setAcceptDrops(true);
    mdi_->viewport()->installEventFilter(this);
    BuildActions();
    BuildBars();
    tree_->setObjectName(QStringLiteral("treePane"));
    tree_->setAllowedAreas(Qt::LeftDockWidgetArea);
    tree_->installEventFilter(this);
    addDockWidget(Qt::LeftDockWidgetArea, tree_);
    tree_->Tree()->setMinimumWidth(0);
    tree_->setMinimumWidth(kMinTreeWidth);
    paperPane_->setObjectName("panePaper");
    pagePane_->setObjectName("panePage");
    paperPane_->setFixedWidth(160);
    pagePane_->setFixedWidth(100);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addPermanentWidget(paperPane_);
    statusBar()->addPermanentWidget(pagePane_);
    BuildMenus();
    BuildContextMenus();
    RestoreBarState();
    RestoreGeometry();
    LoadRecentFiles();
    connect(mdi_, &QMdiArea::subWindowActivated, this, &MainFrame::OnSubWindowActivated);
    connect(tree_, &TreePane::PageChosen, this, &MainFrame::OnPageChosen);
    UpdateCommands();
    UpdateStatusPanes();
}

MainFrame::~MainFrame()
{
    // Views leave the tree as they go; the tree must still be there.
    disconnect(mdi_, nullptr, this, nullptr);
    destroying_ = true;
    // A window closed but not yet deleted is no longer listed: it goes too,
    // while its view's handlers can still reach this frame.
    QList<QPointer<QMdiSubWindow>> windows;
    for (QMdiSubWindow* w : mdi_->findChildren<QMdiSubWindow*>()) windows << w;
    for (const QPointer<QMdiSubWindow>& w : windows) delete w.data();
}

void MainFrame::RestoreBarState()
{
    const int stored = settings_->value(kTreeWidth, kDefaultTreeWidth).toInt();
    // A tree pane closed while hidden can have stored a width of 0, which
    // would reopen as a sliver: the default width is used instead.
    treeWidth_ = stored > 0 ? stored : kDefaultTreeWidth;
    resizeDocks({tree_}, {treeWidth_}, Qt::Horizontal);
    restoreState(settings_->value(kBarState).toByteArray());
}

void MainFrame::SaveBarState()
{
    settings_->setValue(kBarState, saveState());
    if (tree_->isVisible() && tree_->width() > 0) treeWidth_ = tree_->width();
    settings_->setValue(kTreeWidth, treeWidth_);
    settings_->setValue(kMainGeometry, saveGeometry());
    settings_->sync();
}

void MainFrame::RestoreGeometry()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!restoreGeometry(settings_->value(kMainGeometry).toByteArray())) {
        resize(avail.width() * 9 / 10, avail.height() * 9 / 10);
        move(avail.center() - rect().center());
    }
    // A window kept from a larger screen is brought back onto this one,
    // title bar and all.
    ui::FitIntoWorkArea(this);
}

void MainFrame::PlaceChild(QMdiSubWindow* window)
{
    if (options_.childViewMax == 1) {
        window->showMaximized();
        return;
    }
    const QSize area = mdi_->viewport()->size();
    const QSize kept = settings_->value(kChildSize).toSize();
    int others = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w != window && !w->isMinimized()) ++others;
    if (kept.isValid() && others > 0) {
        const QPoint at(24 * others % std::max(1, area.width() / 2), 24 * others % std::max(1, area.height() / 2));
        window->setGeometry(QRect(at, kept.boundedTo(area - QSize(at.x(), at.y()))));
        window->show();
        return;
    }
    if (kept.isValid() && (kept.width() < area.width() || kept.height() < area.height())) {
        window->setGeometry(QRect(QPoint(), kept.boundedTo(area)));
        window->show();
        return;
    }
    window->setGeometry(QRect(QPoint(), area));
    window->setProperty(kFills, true);
    window->show();
}

void MainFrame::KeepFilling(const QSize& area)
{
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->property(kFills).toBool() && !w->isMaximized() && !w->isMinimized()) w->setGeometry(QRect({}, area));
}

void MainFrame::RememberChildSize(QMdiSubWindow* window)
{
    if (window->isMinimized() || window->isMaximized() || window->property(kFills).toBool())
        settings_->remove(kChildSize);
    else settings_->setValue(kChildSize, window->size());
    settings_->sync();
}

void MainFrame::closeEvent(QCloseEvent* e)
{
    SaveBarState();
    QMainWindow::closeEvent(e);
}

void MainFrame::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // Fitting onto the screen waits for the first show, as only then is the
    // frame's real size, title bar included, known.
    if (!shownOnce_) ui::FitIntoWorkArea(this);
    // Dock sizes given before the first layout do not always hold.
    if (!shownOnce_ && tree_->isVisible()) resizeDocks({tree_}, {treeWidth_}, Qt::Horizontal);
    shownOnce_ = true;
}

bool MainFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == mdi_->viewport() && e->type() == QEvent::Resize) {
        KeepFilling(static_cast<QResizeEvent*>(e)->size());
        return QMainWindow::eventFilter(watched, e);
    }
    if (auto* w = qobject_cast<QMdiSubWindow*>(watched)) {
        // Moved or sized by hand, it stops following the area.
        if ((e->type() == QEvent::Resize || e->type() == QEvent::Move) && w->property(kFills).toBool() &&
            w->isVisible() && !w->isMaximized() && w->geometry() != QRect({}, mdi_->viewport()->size()))
            w->setProperty(kFills, false);
        if (e->type() == QEvent::Close) RememberChildSize(w);
        return QMainWindow::eventFilter(watched, e);
    }
    if (watched == tree_ && e->type() == QEvent::Resize && shownOnce_ && tree_->isVisible() &&
        tree_->width() > 0 && !tree_->isFloating())
        treeWidth_ = tree_->width();
    return QMainWindow::eventFilter(watched, e);
}

void MainFrame::contextMenuEvent(QContextMenuEvent* e)
{
    // A right click outside a document and the tree (on the bars, the status
    // bar, the empty document area) offers the menu that shows the bars.
    QMenu* menu = createPopupMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
    e->accept();
}

void MainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* e)
{
    const QList<QUrl> urls = e->mimeData()->urls();
    e->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile()) OpenDocument(url.toLocalFile());
}

void MainFrame::ChooseAndOpen()
{
    ui::FileRequest r;
    r.mode = ui::FileMode::Open;
    r.title = QStringLiteral("開く");
    r.filters = QStringList{QStringLiteral("ﾀﾍﾞﾛ ﾄﾞｷｭﾒﾝﾄ ﾌｧｲﾙ (*.tvd)")};
    r.parent = this;
    if (auto path = ui::CurrentPrompt().ChooseFile(r)) OpenDocument(*path);
}

bool MainFrame::OpenDocument(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto* v = qobject_cast<PagelookView*>(w->widget());
        if (v && !canonical.isEmpty() && QFileInfo(v->Document().Path()).canonicalFilePath() == canonical) {
            mdi_->setActiveSubWindow(w);
            AddRecentFile(v->Document().Path());
            return true;
        }
    }
    auto doc = PagelookDoc::Open(QFileInfo(path).absoluteFilePath());
    if (!doc) return false;
    const QString title = doc->Title();
    auto* view = new PagelookView(std::move(doc), dpi_, options_, printer_);
    view->SetTreeItem(tree_->AddDocument(view->Document().DisplayName(), view->PageCount()));
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        documentContext_->popup(view->viewport()->mapToGlobal(at));
    });
    QMdiSubWindow* window = mdi_->addSubWindow(view);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    connect(view, &PagelookView::StateChanged, this, [this, view] {
        tree_->SelectPage(view->TreeItem(), view->CurrentPage());
        if (view == ActiveView()) {
            // A page that fails again says so again when it is painted.
            statusBar()->clearMessage();
            UpdateCommands();
            UpdateStatusPanes();
        }
    });
    connect(view, &PagelookView::ZoomFollowedSize, this, [this, view] {
        if (view == ActiveView()) {
            UpdateCommands();
            UpdateStatusPanes();
        }
    });
    connect(view, &PagelookView::DrawFailed, this, [this](int page) {
        statusBar()->showMessage(QStringLiteral("%1ページを描画できませんでした。").arg(page));
    });
    connect(view, &QObject::destroyed, this, [this, item = view->TreeItem()] {
        tree_->RemoveDocument(item);
        if (!destroying_) OnViewClosed();
    });
    tree_->SelectPage(view->TreeItem(), 1);
    SwitchMenus(true);
    window->installEventFilter(this);
    PlaceChild(window);
    mdi_->setActiveSubWindow(window);
    AddRecentFile(view->Document().Path());
    UpdateCommands();
    UpdateStatusPanes();
    return true;
}

void MainFrame::OnViewClosed()
{
    // The window list still holds the closing child.
    int open = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        // The closing child is already past its own destructor: ask it as an object.
        auto* window = qobject_cast<QMdiSubWindow*>(static_cast<QObject*>(w));
        if (window && qobject_cast<PagelookView*>(window->widget())) ++open;
    }
    if (open == 0) SwitchMenus(false);
    UpdateCommands();
    UpdateStatusPanes();
}

PagelookView* MainFrame::ActiveView() const
{
    QMdiSubWindow* w = mdi_->activeSubWindow();
    return w ? qobject_cast<PagelookView*>(w->widget()) : nullptr;
}

QList<PagelookView*> MainFrame::Views() const
{
    QList<PagelookView*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* v = qobject_cast<PagelookView*>(w->widget())) out << v;
    return out;
}

void MainFrame::RefreshAllViews()
{
    PagelookView* active = ActiveView();
    if (!active) return;
    for (PagelookView* v : Views())
        if (v != active) v->Refresh(true);
    active->Refresh(true);
}

void MainFrame::OnSubWindowActivated(QMdiSubWindow* window)
{
    auto* v = window ? qobject_cast<PagelookView*>(window->widget()) : nullptr;
    if (v) tree_->SelectPage(v->TreeItem(), v->CurrentPage());
    // The active document's title follows the program's, as the caption style asks.
    setWindowTitle(v ? QStringLiteral("TaveloViewer - %1").arg(v->Document().Title()) : QStringLiteral("TaveloViewer"));
    UpdateCommands();
    UpdateStatusPanes();
}

void MainFrame::OnPageChosen(int document, int page)
{
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto* v = qobject_cast<PagelookView*>(w->widget());
        if (!v || v->TreeItem() != document) continue;
        mdi_->setActiveSubWindow(w);
        v->SetPage(page);
        return;
    }
}

void MainFrame::UpdateCommands()
{
    PagelookView* v = ActiveView();
    const int page = v ? v->CurrentPage() : 0;
    const int count = v ? v->PageCount() : 0;
    Action(cmd::kFirstPage)->setEnabled(v && page >= 2 && count >= 2);
    Action(cmd::kPrevPage)->setEnabled(v && page >= 2 && count >= 2);
    Action(cmd::kNextPage)->setEnabled(v && page < count);
    Action(cmd::kLastPage)->setEnabled(v && page < count);
    Action(cmd::kJumpPage)->setEnabled(v && count != 1);
    for (int id : {cmd::kAnyZoom, cmd::kFileClose, cmd::kDocumentInfo, cmd::kFind, cmd::kPrint, cmd::kPrintDirect,
                   cmd::kPageSetup})
        Action(id)->setEnabled(v != nullptr);
    for (int id : {cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage}) {
        QAction* a = Action(id);
        a->setEnabled(v != nullptr);
        a->setChecked(v && v->ZoomMode() == 0 && v->FitMode() == id);
    }
    // The zoom box acts on the active view, so it is enabled with the view's
    // commands.
    zoomBox_->setEnabled(v != nullptr);
    if (v) zoomBox_->Follow(v->Zoom());
}

void MainFrame::UpdateStatusPanes()
{
    PagelookView* v = ActiveView();
    paperPane_->setText(v ? v->PaperPaneText() : QString());
    pagePane_->setText(v ? v->PagePaneText() : QString());
}

} // namespace nv::viewer
