#include "Viewer/TreePane.h"

#include "Viewer/CommandIds.h"

#include <QApplication>
#include <QHeaderView>
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
        // The page greyed, as the style greys a disabled icon.
        const QIcon page = s->standardIcon(QStyle::SP_FileIcon);
        QIcon grey;
        for (int side : {16, 32}) grey.addPixmap(page.pixmap(side, side, QIcon::Disabled));
        return grey;
    }
    default: return s->standardIcon(QStyle::SP_FileIcon);
    }
}

TreePane::TreePane(QWidget* parent) : QDockWidget(QStringLiteral("ツリービュー"), parent), m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("bar%1").arg(cmd::kTreePane));
    m_tree->setObjectName(QStringLiteral("tree11002"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    setWidget(m_tree);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
    // Clicking the current item of a background document chooses it again.
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i, int) { OnCurrentChanged(i); });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* i) { i->setIcon(0, Image(1)); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* i) { i->setIcon(0, Image(0)); });
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
    m_selecting = true;
    m_tree->addTopLevelItem(doc);
    m_selecting = false;
    return doc;
}

void TreePane::RemoveDocument(QTreeWidgetItem* item)
{
    m_selecting = true;
    delete item;
    m_selecting = false;
}

void TreePane::SelectPage(QTreeWidgetItem* document, int page)
{
    if (!document || page < 1 || page > document->childCount()) return;
    m_selecting = true;
    m_tree->setCurrentItem(document->child(page - 1));
    m_selecting = false;
}

void TreePane::ShowPrintFlags(QTreeWidgetItem* document, const std::vector<int>& flags)
{
    if (!document) return;
    const QIcon printed = Image(2), skipped = Image(3);
    for (int i = 0; i < document->childCount(); ++i) {
        const bool on = i < int(flags.size()) && flags[size_t(i)] == 1;
        QTreeWidgetItem* page = document->child(i);
        page->setText(0, QStringLiteral("%1ページ ").arg(i + 1));
        page->setIcon(0, on ? printed : skipped);
        page->setData(0, kImageRole, on ? 2 : 3);
    }
}

void TreePane::OnCurrentChanged(QTreeWidgetItem* current)
{
    if (m_selecting || !current || !current->parent()) return;
    emit PageChosen(current->parent(), current->data(0, kPageRole).toInt());
}

} // namespace nv::viewer
