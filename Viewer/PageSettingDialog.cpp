#include "Viewer/PageSettingDialog.h"

#include "Viewer/TreePane.h"
#include "Viewer/ViewerDialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace nv::viewer {
namespace {

constexpr int kPrintedRole = Qt::UserRole;

QTreeWidgetItem* Row(int index, bool printed)
{
    auto* row = new QTreeWidgetItem(QStringList{QStringLiteral("%1ページ ").arg(index + 1)});
    TreePane::ShowPrinted(row, printed);
    row->setData(0, kPrintedRole, printed ? 1 : 0);
    return row;
}

} // namespace

PageSettingDialog::PageSettingDialog(const QString& caption, int mode, const std::vector<int>& flags, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)), m_toggle(new QPushButton(QStringLiteral("表示／非表示"), this)),
      m_printer(new QPushButton(QStringLiteral("プリンタ設定"), this)), m_modes(new QButtonGroup(this))
{
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    heading->addWidget(new QLabel(QStringLiteral("ページ"), this));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    heading->addWidget(line, 1);
    layout->addLayout(heading);

    m_list->setObjectName(QStringLiteral("list1050"));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels({QStringLiteral("ページ番号")});
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    // "300ページ " in full, however the font is.
    m_list->header()->setMinimumSectionSize(kColumnWidth);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < flags.size(); ++i) rows << Row(int(i), flags[i] == 1);
    m_list->addTopLevelItems(rows);
    layout->addWidget(m_list, 1);
    m_toggle->setObjectName(QStringLiteral("button1077"));
    layout->addWidget(m_toggle, 0, Qt::AlignRight);

    auto* group = new QGroupBox(QStringLiteral("用紙サイズ"), this);
    auto* radios = new QVBoxLayout(group);
    const char* texts[] = {"ドキュメント設定値", "プリンタ設定値（等倍）", "プリンタ設定値（自動拡大縮小）",
                           "プリンタ設定値（自動調整）"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(texts[i]), group);
        r->setObjectName(QStringLiteral("radio%1").arg(1023 + i));
        m_modes->addButton(r, i);
        radios->addWidget(r);
    }
    if (QAbstractButton* b = m_modes->button(mode)) b->setChecked(true);
    layout->addWidget(group);

    auto* bottom = new QHBoxLayout;
    m_printer->setObjectName(QStringLiteral("button4"));
    bottom->addWidget(m_printer);
    bottom->addStretch(1);
    bottom->addWidget(DialogButtons(this, QStringLiteral("ｷｬﾝｾﾙ")));
    layout->addLayout(bottom);

    connect(m_toggle, &QPushButton::clicked, this, &PageSettingDialog::Toggle);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { Toggle(); });
    connect(m_printer, &QPushButton::clicked, this, [this] {
        if (printerSetup) printerSetup();
    });
}

int PageSettingDialog::Mode() const { return m_modes->checkedId(); }

void PageSettingDialog::Toggle()
{
    std::vector<int> selected;
    for (QTreeWidgetItem* row : m_list->selectedItems()) selected.push_back(m_list->indexOfTopLevelItem(row));
    std::sort(selected.begin(), selected.end());
    // A new row in the old one's place: it comes unselected.
    for (int k : selected) {
        const bool printed = m_list->topLevelItem(k)->data(0, kPrintedRole).toInt() == 1;
        m_list->insertTopLevelItem(k + 1, Row(k, !printed));
        delete m_list->takeTopLevelItem(k);
    }
}

void PageSettingDialog::accept()
{
    m_flags.assign(static_cast<size_t>(m_list->topLevelItemCount()), 0);
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_flags[size_t(i)] = m_list->topLevelItem(i)->data(0, kPrintedRole).toInt() == 1 ? 1 : 0;
    QDialog::accept();
}

} // namespace nv::viewer
