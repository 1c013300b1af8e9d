#pragma once
// The docked tree of open documents and their pages.
#include <QDockWidget>
#include <QIcon>

#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace nv::viewer {

class TreePane : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kPageRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1; // the image's index

    explicit TreePane(QWidget* parent = nullptr);

    // 0 a closed and 1 an open document, 2 a page, 3 a page not printed.
    static QIcon Image(int index);
    // A page row as printed or skipped: a skipped page is crossed out and greyed.
    static void ShowPrinted(QTreeWidgetItem* row, bool printed);

    QTreeWidget* Tree() const { return tree_; }
    // A root item with one child per page ("1ページ ", ...).
    QTreeWidgetItem* AddDocument(const QString& name, int pageCount);
    void RemoveDocument(QTreeWidgetItem* item);
    // Makes the page's item current without reporting it as a choice.
    void SelectPage(QTreeWidgetItem* document, int page);
    // Page items take image 2 when their flag is 1, else 3.
    void ShowPrintFlags(QTreeWidgetItem* document, const std::vector<int>& flags);

signals:
    // The person chose a page item.
    void PageChosen(QTreeWidgetItem* document, int page);

private:
    void OnCurrentChanged(QTreeWidgetItem* current);

    QTreeWidget* tree_;
    bool selecting_ = false;
};

} // namespace nv::viewer
