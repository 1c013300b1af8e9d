#include "Viewer/TreePane.h"

#include "Viewer/CommandIds.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QTreeWidget>

namespace nv::viewer {

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

void TreePane::ShowPrinted(QTreeWidgetItem* row, bool printed)
{
    row->setIcon(0, Image(printed ? 2 : 3));
    row->setData(0, kImageRole, printed ? 2 : 3);
    QFont f = row->font(0);
    f.setStrikeOut(!printed);
    row->setFont(0, f);
    if (printed) row->setData(0, Qt::ForegroundRole, QVariant());
    else row->setForeground(0, QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
}

TreePane::TreePane(QWidget* parent) : QDockWidget(QStringLiteral("ツリービュー"), parent), tree_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("bar%1").arg(cmd::kTreePane));
    tree_->setObjectName(QStringLiteral("tree11002"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    setWidget(tree_);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
    // Clicking the current item of a background document chooses it again.
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i, int) { OnCurrentChanged(i); });
    connect(tree_, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* i) { i->setIcon(0, Image(1)); });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* i) { i->setIcon(0, Image(0)); });
}

QTreeWidgetItem* TreePane::AddDocument(const QString& name, int pageCount)
{
    auto* doc = new QTreeWidgetItem(QStringList{name});
    doc->setIcon(0, Image(0));
    doc->setData(0, kPageRole, 0);
    const QIcon page = Image(2);
    QList<QTreeWidgetItem*> pages;
    pages.reserve(pageCount);
    for (int p = 1; p <= pageCount; ++p) {
        auto* item = new QTreeWidgetItem(QStringList{QStringLiteral("%1ページ ").arg(p)});
        item->setIcon(0, page);
        item->setData(0, kImageRole, 2);
        item->setData(0, kPageRole, p);
        pages << item;
    }
    doc->addChildren(pages);
    selecting_ = true;
    tree_->addTopLevelItem(doc);
    selecting_ = false;
    return doc;
}

void TreePane::RemoveDocument(QTreeWidgetItem* item)
{
    selecting_ = true;
    delete item;
    selecting_ = false;
}

void TreePane::SelectPage(QTreeWidgetItem* document, int page)
{
    if (!document || page < 1 || page > document->childCount()) return;
    selecting_ = true;
    tree_->setCurrentItem(document->child(page - 1));
    selecting_ = false;
}

void TreePane::ShowPrintFlags(QTreeWidgetItem* document, const std::vector<int>& flags)
{
    if (!document) return;
    for (int i = 0; i < document->childCount(); ++i) {
        QTreeWidgetItem* page = document->child(i);
        page->setText(0, QStringLiteral("%1ページ ").arg(i + 1));
        ShowPrinted(page, i < int(flags.size()) && flags[size_t(i)] == 1);
    }
}

void TreePane::OnCurrentChanged(QTreeWidgetItem* current)
{
    if (selecting_ || !current || !current->parent()) return;
    emit PageChosen(current->parent(), current->data(0, kPageRole).toInt());
}

} // namespace nv::viewer
