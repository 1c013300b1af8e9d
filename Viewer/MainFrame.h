#pragma once
// The viewer's main window: documents in child windows, the four bars, the
// tree pane, the status panes, and one action per command id.
#include <QHash>
#include <QMainWindow>

#include <initializer_list>
#include <memory>

#include "Viewer/PaperSetup.h"
#include "Viewer/ViewerOptions.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;
class QToolBar;

namespace nv::viewer {

class PagelookView;
class TreePane;
class ZoomBox;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kRecentCount = 4;
    static constexpr int kDefaultTreeWidth = 150;
    static constexpr int kMinTreeWidth = 33;

    MainFrame(const ViewerOptions& options, int dpi, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Opens a document in a child window, or activates the window that shows
    // it already. False, after saying why, when it cannot be opened.
    bool OpenDocument(const QString& path);

    PagelookView* ActiveView() const;
    QList<PagelookView*> Views() const;
    QAction* Action(int id) const { return actions_.value(id); }
    QMdiArea* MdiArea() const { return mdi_; }
    TreePane* Tree() const { return tree_; }
    QLabel* PaperPane() const { return paperPane_; }
    QLabel* PagePane() const { return pagePane_; }
    ZoomBox* Zoom() const { return zoomBox_; }
    QToolBar* Bar(int id) const { return bars_.value(id); }
    // Context menus: 0 the main window, 1 a document, 2 the tree.
    QMenu* ContextMenu(int which) const;
    const QStringList& RecentFiles() const { return recent_; }
    const ViewerOptions& Options() const { return options_; }
    const AppPrinter& Printer() const { return printer_; }

    // Print setup (57606): a new printer, paper or orientation refreshes
    // every view.
    void PrintSetup();
    // Page setting (32771) of the active view.
    void PageSetting();

    // Re-reads the paper of every view and repaints, the active one last.
    void RefreshAllViews();
    // Enables and checks the commands for the active view.
    void UpdateCommands();

    QMenu* createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QAction* AddAction(int id, const QString& text, const QKeySequence& key = {});
    void BuildActions();
    void BuildViewCommands();
    void BuildBars();
    QToolBar* BuildBar(int id, const QString& caption, std::initializer_list<int> ids);
    void BuildMenus();
    void BuildContextMenus();
    void SwitchMenus(bool documentOpen);
    // The ｳｨﾝﾄﾞｳ menu lists the open documents below its commands.
    void ListWindows(QMenu* menu);
    void RestoreBarState();
    void RestoreGeometry();
    void PlaceChild(QMdiSubWindow* window);
    void KeepFilling(const QSize& area);
    void RememberChildSize(QMdiSubWindow* window);
    void SaveBarState();
    void LoadRecentFiles();
    void AddRecentFile(const QString& path);
    void UpdateRecentActions();
    void Tile(Qt::Orientation orientation);
    void ArrangeIcons();
    void ShowOptions();
    void ShowAbout();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void OnPageChosen(int document, int page);
    void OnViewClosed();
    void UpdateStatusPanes();
    void ChooseAndOpen();
    template <class F>
    void OnView(int id, F f);

    ViewerOptions options_;
    AppPrinter printer_;
    int dpi_;
    std::unique_ptr<QSettings> settings_;
    QMdiArea* mdi_;
    TreePane* tree_;
    QLabel* paperPane_;
    QLabel* pagePane_;
    ZoomBox* zoomBox_ = nullptr;
    QHash<int, QAction*> actions_;
    QHash<int, QToolBar*> bars_;
    QList<QMenu*> plainMenus_;
    QList<QMenu*> documentMenus_;
    QMenu* documentContext_ = nullptr;
    QMenu* treeContext_ = nullptr;
    int menuState_ = -1;
    int treeWidth_ = kDefaultTreeWidth;
    // Set while the frame destroys its children: their windows are half gone.
    bool destroying_ = false;
    bool shownOnce_ = false;
    QStringList recent_;
};

} // namespace nv::viewer
