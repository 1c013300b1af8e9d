#include "Viewer/MainFrame.h"

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PagelookView.h"
#include "Viewer/PrintCommands.h"
#include "Viewer/TreePane.h"
#include "platform/ui/Prompt.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeWidget>

namespace nv::viewer {

MainFrame::MainFrame(const ViewerOptions& options, int dpi, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_dpi(dpi), m_mdi(new QMdiArea(this)), m_tree(new TreePane(this)),
      m_paperPane(new QLabel(this)), m_pagePane(new QLabel(this))
{
    setWindowTitle(QStringLiteral("TaveloViewer"));
    setCentralWidget(m_mdi);
    addDockWidget(Qt::LeftDockWidgetArea, m_tree);
    resizeDocks({m_tree}, {150}, Qt::Horizontal);
    m_paperPane->setObjectName("panePaper");
    m_pagePane->setObjectName("panePage");
    statusBar()->addPermanentWidget(m_paperPane);
    statusBar()->addPermanentWidget(m_pagePane);
    BuildActions();
    BuildMenus();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainFrame::OnSubWindowActivated);
    connect(m_tree, &TreePane::PageChosen, this, &MainFrame::OnPageChosen);
    UpdateCommands();
    UpdateStatusPanes();
}

MainFrame::~MainFrame()
{
    // Views leave the tree as they go; the tree must still be there.
    disconnect(m_mdi, nullptr, this, nullptr);
    qDeleteAll(m_mdi->subWindowList());
}

QAction* MainFrame::AddAction(int id, const QString& text, const QKeySequence& key)
{
    auto* a = new QAction(text, this);
    a->setObjectName(QStringLiteral("cmd%1").arg(id));
    a->setData(id);
    if (!key.isEmpty()) a->setShortcut(key);
    m_actions.insert(id, a);
    return a;
}

template <class F>
void MainFrame::OnView(int id, F f)
{
    connect(m_actions.value(id), &QAction::triggered, this, [this, f] {
        if (PagelookView* v = ActiveView()) f(*v);
    });
}

void MainFrame::BuildActions()
{
    AddAction(cmd::kFileOpen, QStringLiteral("開く(&O)..."), QKeySequence::Open);
    AddAction(cmd::kFileClose, QStringLiteral("閉じる(&C)"));
    AddAction(cmd::kExit, QStringLiteral("終了(&X)"));
    AddAction(cmd::kFirstPage, QStringLiteral("先頭ページ(&F)"), Qt::Key_Home);
    AddAction(cmd::kPrevPage, QStringLiteral("前ページ(&P)"), Qt::Key_PageUp);
    AddAction(cmd::kNextPage, QStringLiteral("次ページ(&N)"), Qt::Key_PageDown);
    AddAction(cmd::kLastPage, QStringLiteral("最終ページ(&L)"), Qt::Key_End);
    AddAction(cmd::kJumpPage, QStringLiteral("ページ指定(&J)..."));
    AddAction(cmd::kAnyZoom, QStringLiteral("任意倍率(&Z)..."));
    auto* fits = new QActionGroup(this);
    fits->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (auto [id, text] : {std::pair{cmd::kFitHeight, "高さに合わせる(&H)"}, std::pair{cmd::kFitWidth, "幅に合わせる(&W)"},
                            std::pair{cmd::kFitPage, "ページに合わせる(&A)"}}) {
        QAction* a = AddAction(id, QString::fromUtf8(text));
        a->setCheckable(true);
        fits->addAction(a);
        OnView(id, [id](PagelookView& v) { v.Fit(id); });
    }
    // Commands whose screens come later: there from the start, disabled
    // until something handles them.
    for (int id : {cmd::kPageSetup, cmd::kZoomBox, cmd::kDocumentInfo, cmd::kOptions, cmd::kFind, cmd::kPrintSetup,
                   cmd::kPrint, cmd::kPrintDirect, cmd::kAbout})
        AddAction(id, {})->setEnabled(false);
    QAction* tree = m_tree->toggleViewAction();
    tree->setObjectName(QStringLiteral("cmd%1").arg(cmd::kTreePane));
    tree->setText(QStringLiteral("ツリービュー(&T)"));
    m_actions.insert(cmd::kTreePane, tree);

    connect(Action(cmd::kFileOpen), &QAction::triggered, this, &MainFrame::ChooseAndOpen);
    connect(Action(cmd::kFileClose), &QAction::triggered, this, [this] { m_mdi->closeActiveSubWindow(); });
    connect(Action(cmd::kExit), &QAction::triggered, this, &QWidget::close);
    OnView(cmd::kFirstPage, [](PagelookView& v) { v.FirstPage(); });
    OnView(cmd::kPrevPage, [](PagelookView& v) { v.PrevPage(); });
    OnView(cmd::kNextPage, [](PagelookView& v) { v.NextPage(); });
    OnView(cmd::kLastPage, [](PagelookView& v) { v.LastPage(); });
    OnView(cmd::kPrint, [](PagelookView& v) { PrintView(v, false); });
    OnView(cmd::kPrintDirect, [](PagelookView& v) { PrintView(v, true); });
    for (QAction* a : std::as_const(m_actions)) addAction(a);
}

void MainFrame::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(Action(cmd::kFileOpen));
    file->addAction(Action(cmd::kFileClose));
    file->addSeparator();
    file->addAction(Action(cmd::kExit));
    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(Action(cmd::kTreePane));
    view->addSeparator();
    for (int id : {cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage, cmd::kAnyZoom}) view->addAction(Action(id));
    QMenu* page = menuBar()->addMenu(QStringLiteral("ページ(&P)"));
    for (int id : {cmd::kFirstPage, cmd::kPrevPage, cmd::kNextPage, cmd::kLastPage, cmd::kJumpPage})
        page->addAction(Action(id));
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
            return true;
        }
    }
    auto doc = PagelookDoc::Open(QFileInfo(path).absoluteFilePath());
    if (!doc) return false;
    const QString title = doc->Title();
    auto* view = new PagelookView(std::move(doc), m_dpi, m_options);
    view->SetTreeItem(m_tree->AddDocument(view->Document().DisplayName(), view->PageCount()));
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
        UpdateCommands();
        UpdateStatusPanes();
    });
    m_tree->SelectPage(view->TreeItem(), 1);
    if (m_options.childViewMax == 1) window->showMaximized();
    else window->show();
    m_mdi->setActiveSubWindow(window);
    UpdateCommands();
    UpdateStatusPanes();
    return true;
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

void MainFrame::OnPageChosen(QTreeWidgetItem* document, int page)
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
    Action(cmd::kAnyZoom)->setEnabled(v != nullptr);
    Action(cmd::kFileClose)->setEnabled(v != nullptr);
    Action(cmd::kPrint)->setEnabled(v != nullptr);
    Action(cmd::kPrintDirect)->setEnabled(v != nullptr);
    for (int id : {cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage}) {
        QAction* a = Action(id);
        a->setEnabled(v != nullptr);
        a->setChecked(v && v->ZoomMode() == 0 && v->FitMode() == id);
    }
}

void MainFrame::UpdateStatusPanes()
{
    PagelookView* v = ActiveView();
    m_paperPane->setText(v ? v->PaperPaneText() : QString());
    m_pagePane->setText(v ? v->PagePaneText() : QString());
}

} // namespace nv::viewer
