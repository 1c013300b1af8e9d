#pragma once
// The viewer's main window: documents in child windows, the tree pane, the
// status panes, and one action per command id.
#include <QHash>
#include <QMainWindow>

#include "Viewer/ViewerOptions.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidgetItem;

namespace nv::viewer {

class PagelookView;
class TreePane;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    MainFrame(const ViewerOptions& options, int dpi, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Opens a document in a child window, or activates the window that shows
    // it already. False, after saying why, when it cannot be opened.
    bool OpenDocument(const QString& path);

    PagelookView* ActiveView() const;
    QList<PagelookView*> Views() const;
    QAction* Action(int id) const { return m_actions.value(id); }
    QMdiArea* MdiArea() const { return m_mdi; }
    TreePane* Tree() const { return m_tree; }
    QLabel* PaperPane() const { return m_paperPane; }
    QLabel* PagePane() const { return m_pagePane; }
    const ViewerOptions& Options() const { return m_options; }

    // Re-reads the paper of every view and repaints, the active one last.
    void RefreshAllViews();
    // Enables and checks the commands for the active view.
    void UpdateCommands();

private:
    QAction* AddAction(int id, const QString& text, const QKeySequence& key = {});
    void BuildActions();
    void BuildMenus();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void OnPageChosen(QTreeWidgetItem* document, int page);
    void UpdateStatusPanes();
    void ChooseAndOpen();
    template <class F>
    void OnView(int id, F f);

    ViewerOptions m_options;
    int m_dpi;
    QMdiArea* m_mdi;
    TreePane* m_tree;
    QLabel* m_paperPane;
    QLabel* m_pagePane;
    QHash<int, QAction*> m_actions;
};

} // namespace nv::viewer
