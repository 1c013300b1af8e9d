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
    : QMainWindow(parent), m_options(options),
      m_printer(AppPrinter::FromCatalog(DefaultPrinterCatalog())), m_dpi(dpi),
      m_settings(ViewerOptions::OpenSettings()),
      m_mdi(new QMdiArea(this)), m_tree(new TreePane(this)), m_paperPane(new QLabel(this)),
      m_pagePane(new QLabel(this))
{
    setWindowTitle(QStringLiteral("TaveloViewer"));
    setCentralWidget(m_mdi);
    setAcceptDrops(true);
    m_mdi->viewport()->installEventFilter(this);
    BuildActions();
    BuildBars();
    m_tree->setObjectName(QStringLiteral("treePane"));
    m_tree->setAllowedAreas(Qt::LeftDockWidgetArea);
    m_tree->installEventFilter(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_tree);
    m_tree->Tree()->setMinimumWidth(0);
    m_tree->setMinimumWidth(kMinTreeWidth);
    m_paperPane->setObjectName("panePaper");
    m_pagePane->setObjectName("panePage");
    m_paperPane->setFixedWidth(160);
    m_pagePane->setFixedWidth(100);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addPermanentWidget(m_paperPane);
    statusBar()->addPermanentWidget(m_pagePane);
    BuildMenus();
    BuildContextMenus();
    RestoreBarState();
    RestoreGeometry();
    LoadRecentFiles();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainFrame::OnSubWindowActivated);
    connect(m_tree, &TreePane::PageChosen, this, &MainFrame::OnPageChosen);
    UpdateCommands();
    UpdateStatusPanes();
}

MainFrame::~MainFrame()
{
    // Views leave the tree as they go; the tree must still be there.
    disconnect(m_mdi, nullptr, this, nullptr);
    m_destroying = true;
    // A window closed but not yet deleted is no longer listed: it goes too,
    // while its view's handlers can still reach this frame.
    QList<QPointer<QMdiSubWindow>> windows;
    for (QMdiSubWindow* w : m_mdi->findChildren<QMdiSubWindow*>()) windows << w;
    for (const QPointer<QMdiSubWindow>& w : windows) delete w.data();
}

void MainFrame::RestoreBarState()
{
    const int stored = m_settings->value(kTreeWidth, kDefaultTreeWidth).toInt();
    // A pane closed while hidden once stored 0: a sliver helps nobody.
    m_treeWidth = stored > 0 ? stored : kDefaultTreeWidth;
    resizeDocks({m_tree}, {m_treeWidth}, Qt::Horizontal);
    restoreState(m_settings->value(kBarState).toByteArray());
}

void MainFrame::SaveBarState()
{
    m_settings->setValue(kBarState, saveState());
    if (m_tree->isVisible() && m_tree->width() > 0) m_treeWidth = m_tree->width();
    m_settings->setValue(kTreeWidth, m_treeWidth);
    m_settings->setValue(kMainGeometry, saveGeometry());
    m_settings->sync();
}

void MainFrame::RestoreGeometry()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!restoreGeometry(m_settings->value(kMainGeometry).toByteArray())) {
        resize(avail.width() * 9 / 10, avail.height() * 9 / 10);
        move(avail.center() - rect().center());
    }
    // A window kept from a larger screen is brought back onto this one,
    // title bar and all.
    ui::FitIntoWorkArea(this);
}

void MainFrame::PlaceChild(QMdiSubWindow* window)
{
    if (m_options.childViewMax == 1) {
        window->showMaximized();
        return;
    }
    const QSize area = m_mdi->viewport()->size();
    const QSize kept = m_settings->value(kChildSize).toSize();
    int others = 0;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
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
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (w->property(kFills).toBool() && !w->isMaximized() && !w->isMinimized()) w->setGeometry(QRect({}, area));
}

void MainFrame::RememberChildSize(QMdiSubWindow* window)
{
    if (window->isMinimized() || window->isMaximized() || window->property(kFills).toBool())
        m_settings->remove(kChildSize);
    else m_settings->setValue(kChildSize, window->size());
    m_settings->sync();
}

void MainFrame::closeEvent(QCloseEvent* e)
{
    SaveBarState();
    QMainWindow::closeEvent(e);
}

void MainFrame::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // The frame's real size is known from now on.
    if (!m_shownOnce) ui::FitIntoWorkArea(this);
    // Dock sizes given before the first layout do not always hold.
    if (!m_shownOnce && m_tree->isVisible()) resizeDocks({m_tree}, {m_treeWidth}, Qt::Horizontal);
    m_shownOnce = true;
}

bool MainFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_mdi->viewport() && e->type() == QEvent::Resize) {
        KeepFilling(static_cast<QResizeEvent*>(e)->size());
        return QMainWindow::eventFilter(watched, e);
    }
    if (auto* w = qobject_cast<QMdiSubWindow*>(watched)) {
        // Moved or sized by hand, it stops following the area.
        if ((e->type() == QEvent::Resize || e->type() == QEvent::Move) && w->property(kFills).toBool() &&
            w->isVisible() && !w->isMaximized() && w->geometry() != QRect({}, m_mdi->viewport()->size()))
            w->setProperty(kFills, false);
        if (e->type() == QEvent::Close) RememberChildSize(w);
        return QMainWindow::eventFilter(watched, e);
    }
    if (watched == m_tree && e->type() == QEvent::Resize && m_shownOnce && m_tree->isVisible() &&
        m_tree->width() > 0 && !m_tree->isFloating())
        m_treeWidth = m_tree->width();
    return QMainWindow::eventFilter(watched, e);
}

void MainFrame::contextMenuEvent(QContextMenuEvent* e)
{
    // Anywhere on the frame: bars, status bar, the empty document area.
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
    r.filters = QStringList{QStringLiteral("ﾀﾍﾞﾛ ﾄﾞｷｭﾒﾝﾄ ﾌｧｲﾙ (*.tvd)")};
    r.parent = this;
    if (auto path = ui::prompt().chooseFile(r)) OpenDocument(*path);
}

bool MainFrame::OpenDocument(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        auto* v = qobject_cast<PagelookView*>(w->widget());
        if (v && !canonical.isEmpty() && QFileInfo(v->Document().Path()).canonicalFilePath() == canonical) {
            m_mdi->setActiveSubWindow(w);
            AddRecentFile(v->Document().Path());
            return true;
        }
    }
    auto doc = PagelookDoc::Open(QFileInfo(path).absoluteFilePath());
    if (!doc) return false;
    const QString title = doc->Title();
    auto* view = new PagelookView(std::move(doc), m_dpi, m_options, m_printer);
    view->SetTreeItem(m_tree->AddDocument(view->Document().DisplayName(), view->PageCount()));
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        m_documentContext->popup(view->viewport()->mapToGlobal(at));
    });
    QMdiSubWindow* window = m_mdi->addSubWindow(view);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    connect(view, &PagelookView::StateChanged, this, [this, view] {
        m_tree->SelectPage(view->TreeItem(), view->CurrentPage());
        if (view == ActiveView()) {
            // A page that fails again says so again when it is painted.
            statusBar()->clearMessage();
            UpdateCommands();
            UpdateStatusPanes();
        }
    });
    connect(view, &PagelookView::DrawFailed, this, [this](int page) {
        statusBar()->showMessage(QStringLiteral("%1ページを描画できませんでした。").arg(page));
    });
    connect(view, &QObject::destroyed, this, [this, item = view->TreeItem()] {
        m_tree->RemoveDocument(item);
        if (!m_destroying) OnViewClosed();
    });
    m_tree->SelectPage(view->TreeItem(), 1);
    SwitchMenus(true);
    window->installEventFilter(this);
    PlaceChild(window);
    m_mdi->setActiveSubWindow(window);
    AddRecentFile(view->Document().Path());
    UpdateCommands();
    UpdateStatusPanes();
    return true;
}

void MainFrame::OnViewClosed()
{
    // The window list still holds the closing child.
    int open = 0;
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
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
    QMdiSubWindow* w = m_mdi->activeSubWindow();
    return w ? qobject_cast<PagelookView*>(w->widget()) : nullptr;
}

QList<PagelookView*> MainFrame::Views() const
{
    QList<PagelookView*> out;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
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
    if (v) m_tree->SelectPage(v->TreeItem(), v->CurrentPage());
    // The active document's title follows the program's, as the caption style asks.
    setWindowTitle(v ? QStringLiteral("TaveloViewer - %1").arg(v->Document().Title()) : QStringLiteral("TaveloViewer"));
    UpdateCommands();
    UpdateStatusPanes();
}

void MainFrame::OnPageChosen(int document, int page)
{
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        auto* v = qobject_cast<PagelookView*>(w->widget());
        if (!v || v->TreeItem() != document) continue;
        m_mdi->setActiveSubWindow(w);
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
    // The box goes with the view's commands.
    m_zoomBox->setEnabled(v != nullptr);
    if (v) m_zoomBox->Follow(v->Zoom());
}

void MainFrame::UpdateStatusPanes()
{
    PagelookView* v = ActiveView();
    m_paperPane->setText(v ? v->PaperPaneText() : QString());
    m_pagePane->setText(v ? v->PagePaneText() : QString());
}

} // namespace nv::viewer
