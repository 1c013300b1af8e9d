// The main window's commands, bars and menus.
#include "Viewer/BarCustomizer.h"
#include "Viewer/CommandIds.h"
#include "Viewer/PrintCommands.h"
#include "Viewer/MainFrame.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PagelookView.h"
#include "Viewer/TreePane.h"
#include "Viewer/ViewerDialogs.h"
#include "Viewer/ViewerSheets.h"
#include "Viewer/ZoomBox.h"
#include "engine/core/VersionInfo.h"

#include <QAction>
#include <QActionGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace nv::viewer {

namespace {
constexpr const char* kRecentGroup = "Recent File List";
// Marks the ｳｨﾝﾄﾞｳ menu's entries of open documents.
constexpr const char* kWindowEntry = "nvWindowEntry";
// As many documents as the menu lists, each with its digit.
constexpr int kListedWindows = 9;

// What a tool tip shows: the command's words without its menu mnemonic,
// ellipsis or key ("開く(&O)...\tCtrl+O" gives "開く").
QString ToolTipText(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    static const QRegularExpression mnemonic(QStringLiteral("[(（]&[^)）][)）]"));
    text.remove(mnemonic);
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text.remove(QLatin1Char('&')).trimmed();
}

// The bars' pictures: the desktop's icon theme, else the program's own.
QIcon Picture(const char* name)
{
    const QString n = QString::fromLatin1(name);
    return QIcon::fromTheme(n, QIcon(QStringLiteral(":/pagelook/icons/%1.png").arg(n)));
}
} // namespace

QAction* MainFrame::AddAction(int id, const QString& text, const QKeySequence& key)
{
    auto* a = new QAction(text, this);
    a->setObjectName(QStringLiteral("cmd%1").arg(id));
    a->setData(id);
    a->setToolTip(ToolTipText(text));
    if (!key.isEmpty()) a->setShortcut(key);
    actions_.insert(id, a);
    return a;
}

template <class F>
void MainFrame::OnView(int id, F f)
{
    connect(actions_.value(id), &QAction::triggered, this, [this, f] {
        if (PagelookView* v = ActiveView()) f(*v);
    });
}

void MainFrame::BuildActions()
{
    AddAction(cmd::kFileOpen, QStringLiteral("開く(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    AddAction(cmd::kFileClose, QStringLiteral("閉じる(&C)"));
    AddAction(cmd::kExit, QStringLiteral("TaveloViewerの終了(&X)"));
    AddAction(cmd::kPageSetup, QStringLiteral("ページ設定"));
    AddAction(cmd::kPrint, QStringLiteral("印刷(&P)..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    AddAction(cmd::kPrintSetup, QStringLiteral("プリンタの設定(&R)..."));
    AddAction(cmd::kPrintDirect, QStringLiteral("印刷"));
    AddAction(cmd::kFirstPage, QStringLiteral("開始ページ"), Qt::Key_Home);
    AddAction(cmd::kPrevPage, QStringLiteral("前ページ"), Qt::Key_PageUp);
    AddAction(cmd::kNextPage, QStringLiteral("次ページ"), Qt::Key_PageDown);
    AddAction(cmd::kLastPage, QStringLiteral("最終ページ"), Qt::Key_End);
    AddAction(cmd::kJumpPage, QStringLiteral("指定ページ"));
    AddAction(cmd::kAnyZoom, QStringLiteral("任意倍率"));
    AddAction(cmd::kOptions, QStringLiteral("環境設定"));
    AddAction(cmd::kDocumentInfo, QStringLiteral("ドキュメント情報"));
    AddAction(cmd::kFind, QStringLiteral("検索"));
    AddAction(cmd::kAbout, QStringLiteral("バージョン情報"));
    AddAction(cmd::kHelpContents, QStringLiteral("目次(&C)"), Qt::Key_F1);
    AddAction(cmd::kHelpSearch, QStringLiteral("検索(&S)"));
    AddAction(cmd::kContextHelp, QStringLiteral("ヘルプ"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    AddAction(cmd::kCascade, QStringLiteral("重ねて表示(&C)"));
    AddAction(cmd::kTileHorizontal, QStringLiteral("上下に並べて表示(&H)"));
    AddAction(cmd::kTileVertical, QStringLiteral("左右に並べて表示(&T)"));
    AddAction(cmd::kArrangeIcons, QStringLiteral("アイコンの整列(&A)"));
    AddAction(cmd::kNextWindow, QStringLiteral("次のウィンドウ"), Qt::Key_F6);
    AddAction(cmd::kPrevWindow, QStringLiteral("前のウィンドウ"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* a = AddAction(cmd::kRecentFile1 + i, {});
        connect(a, &QAction::triggered, this, [this, i] {
            if (i >= recent_.size()) return;
            const QString path = recent_.at(i);
            if (OpenDocument(path)) return;
            recent_.removeAt(i);
            AddRecentFile({});
        });
    }
    auto* fits = new QActionGroup(this);
    fits->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (auto fit : {std::pair{cmd::kFitHeight, "画面（縦）にあわせる"}, std::pair{cmd::kFitWidth, "画面（横）にあわせる"},
                     std::pair{cmd::kFitPage, "画面サイズにあわせる"}}) {
        // Not a structured binding: clang before 16 cannot capture one.
        const int id = fit.first;
        QAction* a = AddAction(id, QString::fromUtf8(fit.second));
        a->setCheckable(true);
        fits->addAction(a);
        OnView(id, [id](PagelookView& v) { v.Fit(id); });
    }
    // Help has no screens here: there, and disabled.
    for (int id : {cmd::kHelpContents, cmd::kHelpSearch, cmd::kContextHelp})
        Action(id)->setEnabled(false);
    const std::pair<int, const char*> pictures[] = {
        {cmd::kFileOpen, "document-open"},        {cmd::kFileClose, "window-close"},
        {cmd::kPageSetup, "document-page-setup"}, {cmd::kPrint, "document-print"},
        {cmd::kPrintSetup, "printer"},           {cmd::kFitHeight, "zoom-fit-height"},
        {cmd::kFitWidth, "zoom-fit-width"},       {cmd::kFitPage, "zoom-fit-best"},
        {cmd::kFirstPage, "go-first"},            {cmd::kPrevPage, "go-previous"},
        {cmd::kNextPage, "go-next"},              {cmd::kLastPage, "go-last"},
        {cmd::kHelpContents, "help-contents"},    {cmd::kHelpSearch, "system-search"},
        {cmd::kAbout, "help-about"}};
    for (auto [id, name] : pictures) Action(id)->setIcon(Picture(name));

    QAction* tree = tree_->toggleViewAction();
    tree->setObjectName(QStringLiteral("cmd%1").arg(cmd::kTreePane));
    tree->setText(QStringLiteral("ツリービュー"));
    actions_.insert(cmd::kTreePane, tree);
    QAction* status = AddAction(cmd::kStatusBar, QStringLiteral("ステータスバー(&S)"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    connect(Action(cmd::kFileOpen), &QAction::triggered, this, &MainFrame::ChooseAndOpen);
    connect(Action(cmd::kFileClose), &QAction::triggered, this, [this] { mdi_->closeActiveSubWindow(); });
    connect(Action(cmd::kExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(cmd::kOptions), &QAction::triggered, this, &MainFrame::ShowOptions);
    connect(Action(cmd::kAbout), &QAction::triggered, this, &MainFrame::ShowAbout);
    connect(Action(cmd::kCascade), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(Action(cmd::kTileHorizontal), &QAction::triggered, this, [this] { Tile(Qt::Vertical); });
    connect(Action(cmd::kTileVertical), &QAction::triggered, this, [this] { Tile(Qt::Horizontal); });
    connect(Action(cmd::kArrangeIcons), &QAction::triggered, this, &MainFrame::ArrangeIcons);
    connect(Action(cmd::kNextWindow), &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    connect(Action(cmd::kPrevWindow), &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    BuildViewCommands();
    // What pane 0 says while a command is under the pointer.
    const std::pair<int, const char*> prompts[] = {
        {cmd::kFileOpen, "既存のドキュメントを開きます"},
        {cmd::kFileClose, "作業中のドキュメントを閉じます"},
        {cmd::kExit, "アプリケーションを終了します"},
        {cmd::kPageSetup, "印刷するページと用紙の扱いを設定します"},
        {cmd::kPrint, "作業中のドキュメントを印刷します"},
        {cmd::kPrintSetup, "プリンタと印刷オプションを変更します"},
        {cmd::kPrintDirect, "作業中のドキュメントをそのまま印刷します"},
        {cmd::kFirstPage, "最初のページを表示します"},
        {cmd::kPrevPage, "前のページを表示します"},
        {cmd::kNextPage, "次のページを表示します"},
        {cmd::kLastPage, "最後のページを表示します"},
        {cmd::kJumpPage, "指定したページを表示します"},
        {cmd::kAnyZoom, "表示倍率を指定します"},
        {cmd::kFitHeight, "ページの高さを画面に合わせます"},
        {cmd::kFitWidth, "ページの幅を画面に合わせます"},
        {cmd::kFitPage, "ページ全体を画面に合わせます"},
        {cmd::kOptions, "表示の設定を変更します"},
        {cmd::kDocumentInfo, "ドキュメントの情報を表示します"},
        {cmd::kFind, "文字列を検索します"},
        {cmd::kAbout, "プログラム情報、バージョン、著作権を表示します"},
        {cmd::kHelpContents, "ヘルプの目次を表示します"},
        {cmd::kHelpSearch, "ヘルプのトピックを検索します"},
        {cmd::kContextHelp, "クリックしたボタン、メニュー、ウィンドウのヘルプを表示します"},
        {cmd::kCascade, "ウィンドウを重ねて表示します"},
        {cmd::kTileHorizontal, "ウィンドウを上下に並べて表示します"},
        {cmd::kTileVertical, "ウィンドウを左右に並べて表示します"},
        {cmd::kArrangeIcons, "ウィンドウのアイコンを整列します"},
        {cmd::kNextWindow, "次のウィンドウに切り替えます"},
        {cmd::kPrevWindow, "前のウィンドウに切り替えます"},
    };
    for (const auto& [id, text] : prompts)
        if (QAction* a = Action(id)) a->setStatusTip(QString::fromUtf8(text));
}

void MainFrame::BuildViewCommands()
{
    OnView(cmd::kFirstPage, [](PagelookView& v) { v.FirstPage(); });
    OnView(cmd::kPrevPage, [](PagelookView& v) { v.PrevPage(); });
    OnView(cmd::kNextPage, [](PagelookView& v) { v.NextPage(); });
    OnView(cmd::kLastPage, [](PagelookView& v) { v.LastPage(); });
    OnView(cmd::kPrint, [this](PagelookView& v) { PrintView(v, false, printer_); });
    OnView(cmd::kPrintDirect, [this](PagelookView& v) { PrintView(v, true, printer_); });
    OnView(cmd::kPageSetup, [this](PagelookView&) { PageSetting(); });
    connect(Action(cmd::kPrintSetup), &QAction::triggered, this, [this] { PrintSetup(); });
    OnView(cmd::kAnyZoom, [this](PagelookView& v) {
        ZoomDialog d(v.Zoom(), this);
        if (d.exec() == QDialog::Accepted && d.Value() != v.Zoom()) v.SetZoom(d.Value());
    });
    OnView(cmd::kJumpPage, [this](PagelookView& v) {
        PageJumpDialog d(v.CurrentPage(), v.PageCount(), this);
        if (d.exec() == QDialog::Accepted) v.SetPage(d.Value());
    });
    OnView(cmd::kFind, [this](PagelookView&) {
        FindTextDialog d(this);
        d.exec();
    });
    OnView(cmd::kDocumentInfo, [this](PagelookView& v) {
        const TvDocHeader& h = v.Document().Report().Store().Header();
        DocumentFacts f;
        f.path = v.Document().Path();
        f.name = v.Document().StoredName();
        f.version = h.m_nVersion;
        f.created = (uint64_t(h.m_nTimeHigh) << 32) | h.m_nTimeLow;
        f.packed = h.m_bPacked;
        f.secret = h.m_nSecondFlag;
        f.pageCount = v.PageCount();
        f.currentPage = v.CurrentPage();
        DocumentInfoSheet d(f, this);
        d.exec();
    });
}

QToolBar* MainFrame::BuildBar(int id, const QString& caption, std::initializer_list<int> ids)
{
    auto* bar = new QToolBar(caption, this);
    bar->setObjectName(QStringLiteral("bar%1").arg(id));
    for (int command : ids) {
        if (command == 0) bar->addSeparator();
        else if (command == cmd::kZoomBox) {
            QAction* box = bar->addWidget(zoomBox_);
            box->setObjectName(QStringLiteral("cmd%1").arg(command));
            actions_.insert(command, box);
        } else bar->addAction(Action(command));
    }
    QAction* toggle = bar->toggleViewAction();
    toggle->setObjectName(QStringLiteral("cmd%1").arg(id));
    actions_.insert(id, toggle);
    bars_.insert(id, bar);
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

void MainFrame::BuildBars()
{
    zoomBox_ = new ZoomBox(this);
    connect(zoomBox_, &ZoomBox::ZoomRequested, this, [this](int zoom) {
        if (PagelookView* v = ActiveView()) v->SetZoom(zoom);
    });
    BuildBar(cmd::kMainBar, QStringLiteral("メイン"),
             {cmd::kFileOpen, cmd::kFileClose, 0, cmd::kPageSetup, cmd::kPrint, cmd::kPrintSetup});
    BuildBar(cmd::kScaleBar, QStringLiteral("スケール"),
             {cmd::kZoomBox, 0, cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage});
    BuildBar(cmd::kPageBar, QStringLiteral("ページ"), {cmd::kFirstPage, cmd::kPrevPage, cmd::kNextPage, cmd::kLastPage});
    BuildBar(cmd::kHelpBar, QStringLiteral("ヘルプ"), {cmd::kHelpContents, cmd::kHelpSearch, cmd::kAbout});
    new BarCustomizer(bars_.values(), this);
    // Shortcuts work wherever the focus is; the box is a widget of its bar only.
    for (QAction* a : std::as_const(actions_))
        if (a != Action(cmd::kZoomBox)) addAction(a);
}

void MainFrame::BuildMenus()
{
    auto fill = [this](QMenu* m, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0) m->addSeparator();
            else if (id == cmd::kRecentFile1)
                for (int i = 0; i < kRecentCount; ++i) m->addAction(Action(cmd::kRecentFile1 + i));
            else m->addAction(Action(id));
        }
    };
    auto menu = [this](const char* title) { return new QMenu(QString::fromUtf8(title), this); };
    auto viewTail = [&](QMenu* view) {
        QMenu* bars = view->addMenu(QStringLiteral("ツールバー(&T)"));
        for (int id : {cmd::kMainBar, cmd::kScaleBar, cmd::kPageBar, cmd::kHelpBar}) bars->addAction(Action(id));
        fill(view, {cmd::kTreePane, cmd::kStatusBar});
    };
    QMenu* tools = menu("ﾂｰﾙ(&T)");
    fill(tools, {cmd::kOptions});
    QMenu* help = menu("ﾍﾙﾌﾟ(&H)");
    fill(help, {cmd::kHelpContents, cmd::kHelpSearch, 0, cmd::kAbout});

    QMenu* file = menu("ﾌｧｲﾙ(&F)");
    fill(file, {cmd::kFileOpen, 0, cmd::kPrintSetup, 0, cmd::kRecentFile1, 0, cmd::kExit});
    QMenu* view = menu("表示(&V)");
    viewTail(view);
    plainMenus_ = {file, view, tools, help};

    QMenu* docFile = menu("ﾌｧｲﾙ(&F)");
    fill(docFile, {cmd::kFileOpen, cmd::kFileClose, 0, cmd::kPageSetup, cmd::kPrint, cmd::kPrintSetup, 0,
                   cmd::kRecentFile1, 0, cmd::kExit});
    QMenu* docView = menu("表示(&V)");
    fill(docView, {cmd::kAnyZoom, cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage, 0});
    viewTail(docView);
    QMenu* go = menu("移動(&G)");
    fill(go, {cmd::kJumpPage, 0, cmd::kFirstPage, cmd::kPrevPage, cmd::kNextPage, cmd::kLastPage});
    QMenu* window = menu("ｳｨﾝﾄﾞｳ(&W)");
    fill(window, {cmd::kCascade, cmd::kTileHorizontal, cmd::kTileVertical, cmd::kArrangeIcons});
    connect(window, &QMenu::aboutToShow, this, [this, window] { ListWindows(window); });
    documentMenus_ = {docFile, docView, go, tools, window, help};
    SwitchMenus(false);
}

void MainFrame::ListWindows(QMenu* menu)
{
    // The list of the last showing goes; the commands above it stay.
    for (QAction* a : menu->actions())
        if (a->property(kWindowEntry).toBool()) delete a;
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    menu->addSeparator()->setProperty(kWindowEntry, true);
    for (int i = 0; i < windows.size() && i < kListedWindows; ++i) {
        QMdiSubWindow* w = windows.at(i);
        QString title = w->windowTitle();
        QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setProperty(kWindowEntry, true);
        a->setObjectName(QStringLiteral("window%1").arg(i + 1));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, window = QPointer<QMdiSubWindow>(w)] {
            if (!window) return;
            if (window->isMinimized()) window->showNormal();
            mdi_->setActiveSubWindow(window);
        });
    }
}

void MainFrame::SwitchMenus(bool documentOpen)
{
    if (menuState_ == int(documentOpen)) return;
    menuState_ = int(documentOpen);
    menuBar()->clear();
    for (QMenu* m : documentOpen ? documentMenus_ : plainMenus_) menuBar()->addMenu(m);
}

void MainFrame::BuildContextMenus()
{
    documentContext_ = new QMenu(QStringLiteral("ドキュメント上"), this);
    documentContext_->setObjectName(QStringLiteral("context1"));
    for (int id : {cmd::kAnyZoom, cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage, 0, cmd::kFirstPage, cmd::kPrevPage,
                   cmd::kNextPage, cmd::kLastPage}) {
        if (id == 0) documentContext_->addSeparator();
        else documentContext_->addAction(Action(id));
    }
    treeContext_ = new QMenu(QStringLiteral("ツリーバー上"), this);
    treeContext_->setObjectName(QStringLiteral("context2"));
    for (int id : {cmd::kAnyZoom, cmd::kFitHeight, cmd::kFitWidth, cmd::kFitPage}) treeContext_->addAction(Action(id));
    tree_->Tree()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_->Tree(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { treeContext_->popup(tree_->Tree()->viewport()->mapToGlobal(at)); });
}

QMenu* MainFrame::ContextMenu(int which) const
{
    if (which == 1) return documentContext_;
    if (which == 2) return treeContext_;
    return const_cast<MainFrame*>(this)->createPopupMenu();
}

QMenu* MainFrame::createPopupMenu()
{
    auto* m = new QMenu(QStringLiteral("メニュー画面上"), this);
    m->setObjectName(QStringLiteral("context0"));
    for (int id : {cmd::kMainBar, cmd::kScaleBar, cmd::kPageBar, cmd::kHelpBar}) m->addAction(Action(id));
    m->addSeparator();
    m->addAction(Action(cmd::kTreePane));
    m->addAction(Action(cmd::kStatusBar));
    return m;
}

void MainFrame::LoadRecentFiles()
{
    settings_->beginGroup(kRecentGroup);
    for (int i = 1; i <= kRecentCount; ++i) {
        const QString path = settings_->value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty()) recent_ << path;
    }
    settings_->endGroup();
    UpdateRecentActions();
}

void MainFrame::AddRecentFile(const QString& path)
{
    if (!path.isEmpty()) {
        recent_.removeAll(path);
        recent_.prepend(path);
    }
    while (recent_.size() > kRecentCount) recent_.removeLast();
    settings_->remove(kRecentGroup);
    settings_->beginGroup(kRecentGroup);
    for (int i = 0; i < recent_.size(); ++i) settings_->setValue(QStringLiteral("File%1").arg(i + 1), recent_.at(i));
    settings_->endGroup();
    settings_->sync();
    UpdateRecentActions();
}

void MainFrame::UpdateRecentActions()
{
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* a = Action(cmd::kRecentFile1 + i);
        if (i < recent_.size()) {
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(recent_.at(i))));
            a->setEnabled(true);
            a->setVisible(true);
        } else {
            // An empty list shows one greyed line.
            a->setText(QStringLiteral("最近使ったファイル"));
            a->setEnabled(false);
            a->setVisible(i == 0 && recent_.isEmpty());
        }
    }
}

void MainFrame::Tile(Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (!w->isMinimized()) windows << w;
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = windows.at(i);
        if (w->isMaximized()) w->showNormal();
        if (orientation == Qt::Vertical)
            w->setGeometry(0, area.height() * i / n, area.width(), area.height() * (i + 1) / n - area.height() * i / n);
        else w->setGeometry(area.width() * i / n, 0, area.width() * (i + 1) / n - area.width() * i / n, area.height());
    }
}

void MainFrame::ArrangeIcons()
{
    int x = 0;
    const int bottom = mdi_->viewport()->height();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

void MainFrame::ShowOptions()
{
    OptionSheet sheet(options_, this);
    if (sheet.exec() != QDialog::Accepted) return;
    options_ = sheet.Result();
    options_.Save(*settings_);
    settings_->sync();
    RefreshAllViews();
}

void MainFrame::ShowAbout()
{
    QDialog d(this);
    d.setWindowTitle(QStringLiteral("バージョン情報"));
    KeepTitleWhole(&d);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(new QLabel(QStringLiteral("TaveloViewer"), &d));
    const QString v = QString::fromStdString(VersionInfo::GetValue("Pagelook", "FileVersion"));
    auto* version = new QLabel(v.isEmpty() ? QString() : QStringLiteral("(%1)").arg(v), &d);
    version->setObjectName(QStringLiteral("version"));
    layout->addWidget(version);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &d);
    connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    layout->addWidget(buttons);
    d.exec();
}

} // namespace nv::viewer
