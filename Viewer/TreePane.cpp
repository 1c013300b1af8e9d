#include "Viewer/TreePane.h"

#include "Viewer/CommandIds.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <array>

namespace nv::viewer {

// Documents at the root, their pages below. A page row is its document's
// id (in the index's internal id) and its row: nothing is kept per page but
// the flags of pages left out of the print.
class DocTreeModel : public QAbstractItemModel {
public:
    struct Document {
        TreePane::DocumentId id;
        QString name;
        int pages;
        bool expanded = false;
        std::vector<bool> skipped; // empty: every page printed
    };

    explicit DocTreeModel(QObject* parent) : QAbstractItemModel(parent)
    {
        for (int i = 0; i < 2; ++i) images_[size_t(i)] = TreePane::Image(i);
    }

    TreePane::DocumentId Add(const QString& name, int pages)
    {
        const int row = int(docs_.size());
        beginInsertRows(QModelIndex(), row, row);
        docs_.push_back(Document{++lastId_, name, std::max(pages, 0), false, {}});
        endInsertRows();
        return lastId_;
    }

    void Remove(TreePane::DocumentId id)
    {
        const int row = RowOf(id);
        if (row < 0) return;
        beginRemoveRows(QModelIndex(), row, row);
        docs_.erase(docs_.begin() + row);
        endRemoveRows();
    }

    QModelIndex IndexOf(TreePane::DocumentId id, int page) const
    {
        const int row = RowOf(id);
        if (row < 0) return {};
        if (page == 0) return createIndex(row, 0, quintptr(0));
        if (page < 1 || page > docs_[size_t(row)].pages) return {};
        return createIndex(page - 1, 0, quintptr(id));
    }

    void SetExpanded(const QModelIndex& index, bool expanded)
    {
        if (!index.isValid() || index.internalId() != 0) return;
        docs_[size_t(index.row())].expanded = expanded;
        emit dataChanged(index, index, {Qt::DecorationRole, TreePane::kImageRole});
    }

    void SetPrintFlags(TreePane::DocumentId id, const std::vector<int>& flags)
    {
        const int row = RowOf(id);
        if (row < 0) return;
        Document& d = docs_[size_t(row)];
        d.skipped.assign(size_t(d.pages), false);
        for (int p = 0; p < d.pages; ++p) d.skipped[size_t(p)] = !(size_t(p) < flags.size() && flags[size_t(p)] == 1);
        if (d.pages > 0) emit dataChanged(createIndex(0, 0, quintptr(id)), createIndex(d.pages - 1, 0, quintptr(id)));
    }

    // The document a row belongs to (its own for a document row).
    TreePane::DocumentId DocumentOf(const QModelIndex& index) const
    {
        if (!index.isValid()) return 0;
        return index.internalId() == 0 ? docs_[size_t(index.row())].id : TreePane::DocumentId(index.internalId());
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        if (column != 0 || row < 0) return {};
        if (!parent.isValid()) return row < int(docs_.size()) ? createIndex(row, 0, quintptr(0)) : QModelIndex();
        if (parent.internalId() != 0) return {};
        const Document& d = docs_[size_t(parent.row())];
        return row < d.pages ? createIndex(row, 0, quintptr(d.id)) : QModelIndex();
    }

    QModelIndex parent(const QModelIndex& child) const override
    {
        if (!child.isValid() || child.internalId() == 0) return {};
        const int row = RowOf(TreePane::DocumentId(child.internalId()));
        return row < 0 ? QModelIndex() : createIndex(row, 0, quintptr(0));
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        if (!parent.isValid()) return int(docs_.size());
        return parent.internalId() == 0 ? docs_[size_t(parent.row())].pages : 0;
    }

    int columnCount(const QModelIndex& = {}) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        if (index.internalId() == 0) {
            const Document& d = docs_[size_t(index.row())];
            switch (role) {
            case Qt::DisplayRole: return d.name;
            case Qt::DecorationRole: return images_[d.expanded ? 1 : 0];
            case TreePane::kPageRole: return 0;
            case TreePane::kImageRole: return d.expanded ? 1 : 0;
            default: return {};
            }
        }
        const int row = RowOf(TreePane::DocumentId(index.internalId()));
        if (row < 0) return {};
        const Document& d = docs_[size_t(row)];
        return TreePane::PageRowData(index.row() + 1, d.skipped.empty() || !d.skipped[size_t(index.row())], role);
    }

private:
    int RowOf(TreePane::DocumentId id) const
    {
        for (size_t i = 0; i < docs_.size(); ++i)
            if (docs_[i].id == id) return int(i);
        return -1;
    }

    std::vector<Document> docs_;
    TreePane::DocumentId lastId_ = 0;
    std::array<QIcon, 2> images_;
};

QIcon TreePane::Image(int index)
{
    const QStyle* s = QApplication::style();
    switch (index) {
    case 0: return s->standardIcon(QStyle::SP_DirClosedIcon);
    case 1: return s->standardIcon(QStyle::SP_DirOpenIcon);
    case 3: {
        // The page greyed, as the style greys a disabled icon, and struck
        // through in red so it reads as left out at a glance.
        const QIcon page = s->standardIcon(QStyle::SP_FileIcon);
        QIcon skipped;
        for (int side : {16, 32}) {
            QPixmap pm = page.pixmap(side, side, QIcon::Disabled);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(200, 0, 0), side / 8.0));
            p.drawLine(QPointF(side * 0.2, side * 0.2), QPointF(side * 0.8, side * 0.8));
            p.drawLine(QPointF(side * 0.8, side * 0.2), QPointF(side * 0.2, side * 0.8));
            p.end();
            skipped.addPixmap(pm);
        }
        return skipped;
    }
    default: return s->standardIcon(QStyle::SP_FileIcon);
    }
}

QVariant TreePane::PageRowData(int page, bool printed, int role)
{
    // Made once and never destroyed: images must not outlive the application.
    static const auto* pages = new std::array<QIcon, 2>{Image(2), Image(3)};
    switch (role) {
    case Qt::DisplayRole: return QStringLiteral("%1ページ ").arg(page);
    case Qt::DecorationRole: return (*pages)[printed ? 0 : 1];
    case Qt::FontRole: {
        if (printed) return {};
        QFont struck; // only the strike-out: the rest is the list's own font
        struck.setStrikeOut(true);
        return struck;
    }
    case Qt::ForegroundRole:
        return printed ? QVariant() : QVariant(QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
    case kPageRole: return page;
    case kImageRole: return printed ? 2 : 3;
    default: return {};
    }
}

TreePane::TreePane(QWidget* parent)
    : QDockWidget(QStringLiteral("ツリービュー"), parent), tree_(new QTreeView(this)), model_(new DocTreeModel(this))
{
    setObjectName(QStringLiteral("bar%1").arg(cmd::kTreePane));
    tree_->setObjectName(QStringLiteral("tree11002"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setModel(model_);
    setWidget(tree_);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { OnCurrentChanged(current); });
    // Clicking the current row of a background document chooses it again.
    connect(tree_, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { OnCurrentChanged(i); });
    connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& i) { model_->SetExpanded(i, true); });
    connect(tree_, &QTreeView::collapsed, this, [this](const QModelIndex& i) { model_->SetExpanded(i, false); });
}

TreePane::~TreePane() = default;

TreePane::DocumentId TreePane::AddDocument(const QString& name, int pageCount)
{
    selecting_ = true;
    const DocumentId id = model_->Add(name, pageCount);
    selecting_ = false;
    return id;
}

void TreePane::RemoveDocument(DocumentId document)
{
    selecting_ = true;
    model_->Remove(document);
    selecting_ = false;
}

QModelIndex TreePane::IndexOf(DocumentId document, int page) const { return model_->IndexOf(document, page); }

void TreePane::SelectPage(DocumentId document, int page)
{
    if (page < 1) return;
    const QModelIndex index = model_->IndexOf(document, page);
    if (!index.isValid()) return;
    selecting_ = true;
    tree_->setCurrentIndex(index);
    selecting_ = false;
}

void TreePane::ShowPrintFlags(DocumentId document, const std::vector<int>& flags)
{
    model_->SetPrintFlags(document, flags);
}

void TreePane::OnCurrentChanged(const QModelIndex& current)
{
    if (selecting_ || !current.isValid() || current.internalId() == 0) return;
    emit PageChosen(model_->DocumentOf(current), current.data(kPageRole).toInt());
}

} // namespace nv::viewer
