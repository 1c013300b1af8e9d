#pragma once
// The docked tree of open documents and their pages. The pages are rows a
// model makes as they are shown, so a document of 100,000 pages costs no
// more to list than one of ten.
#include <QDockWidget>
#include <QIcon>

#include <vector>

class QTreeView;

namespace nv::viewer {

class DocTreeModel;

class TreePane : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kPageRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1; // the image's index
    // A document's place in the tree; 0 is none.
    using DocumentId = int;

    explicit TreePane(QWidget* parent = nullptr);
    ~TreePane() override;

    // 0 a closed and 1 an open document, 2 a page, 3 a page not printed.
    static QIcon Image(int index);
    // What a page row shows in `role` (display, decoration, font, foreground,
    // kPageRole, kImageRole): a skipped page is crossed out and greyed. The
    // page setup's list shows its rows so too.
    static QVariant PageRowData(int page, bool printed, int role);

    QTreeView* Tree() const { return tree_; }
    // A root row with one row per page ("1ページ ", ...).
    DocumentId AddDocument(const QString& name, int pageCount);
    void RemoveDocument(DocumentId document);
    // The document's row, or of its page `page` (1-based; none outside it).
    QModelIndex IndexOf(DocumentId document, int page = 0) const;
    // Makes the page's row current without reporting it as a choice.
    void SelectPage(DocumentId document, int page);
    // Page rows take image 2 when their flag is 1, else 3.
    void ShowPrintFlags(DocumentId document, const std::vector<int>& flags);

signals:
    // The person chose a page row.
    void PageChosen(nv::viewer::TreePane::DocumentId document, int page);

private:
    void OnCurrentChanged(const QModelIndex& current);

    QTreeView* tree_;
    DocTreeModel* model_;
    bool selecting_ = false;
};

} // namespace nv::viewer
