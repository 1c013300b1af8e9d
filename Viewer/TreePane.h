#pragma once
// The docked tree of open documents and their pages.
#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace nv::viewer {

class TreePane : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kPageRole = Qt::UserRole;

    explicit TreePane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    // A root item with one child per page ("1ページ ", ...).
    QTreeWidgetItem* AddDocument(const QString& name, int pageCount);
    void RemoveDocument(QTreeWidgetItem* item);
    // Makes the page's item current without reporting it as a choice.
    void SelectPage(QTreeWidgetItem* document, int page);

signals:
    // The person chose a page item.
    void PageChosen(QTreeWidgetItem* document, int page);

private:
    void OnCurrentChanged(QTreeWidgetItem* current);

    QTreeWidget* m_tree;
    bool m_selecting = false;
};

} // namespace nv::viewer
