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
    : QDialog(parent), list_(new QTreeWidget(this)), toggle_(new QPushButton(QStringLiteral("表示／非表示"), this)),
      printer_(new QPushButton(QStringLiteral("プリンタ設定"), this)), modes_(new QButtonGroup(this))
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

    list_->setObjectName(QStringLiteral("list1050"));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({QStringLiteral("ページ番号")});
    list_->header()->setSectionsClickable(false);
    list_->header()->setStretchLastSection(false);
    // "300ページ " in full, however the font is.
    list_->header()->setMinimumSectionSize(kColumnWidth);
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < flags.size(); ++i) rows << Row(int(i), flags[i] == 1);
    list_->addTopLevelItems(rows);
    layout->addWidget(list_, 1);
    toggle_->setObjectName(QStringLiteral("button1077"));
    layout->addWidget(toggle_, 0, Qt::AlignRight);

    auto* group = new QGroupBox(QStringLiteral("用紙サイズ"), this);
    auto* radios = new QVBoxLayout(group);
    const char* texts[] = {"ドキュメント設定値", "プリンタ設定値（等倍）", "プリンタ設定値（自動拡大縮小）",
                           "プリンタ設定値（自動調整）"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(texts[i]), group);
        r->setObjectName(QStringLiteral("radio%1").arg(1023 + i));
        modes_->addButton(r, i);
        radios->addWidget(r);
    }
    if (QAbstractButton* b = modes_->button(mode)) b->setChecked(true);
    layout->addWidget(group);

    auto* bottom = new QHBoxLayout;
    printer_->setObjectName(QStringLiteral("button4"));
    bottom->addWidget(printer_);
    bottom->addStretch(1);
    bottom->addWidget(DialogButtons(this, QStringLiteral("ｷｬﾝｾﾙ")));
    layout->addLayout(bottom);

    connect(toggle_, &QPushButton::clicked, this, &PageSettingDialog::Toggle);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Toggle(); });
    connect(printer_, &QPushButton::clicked, this, [this] {
        if (printerSetup) printerSetup();
    });
}

int PageSettingDialog::Mode() const { return modes_->checkedId(); }

void PageSettingDialog::Toggle()
{
    std::vector<int> selected;
    for (QTreeWidgetItem* row : list_->selectedItems()) selected.push_back(list_->indexOfTopLevelItem(row));
    std::sort(selected.begin(), selected.end());
    // A new row in the old one's place: it comes unselected.
    for (int k : selected) {
        const bool printed = list_->topLevelItem(k)->data(0, kPrintedRole).toInt() == 1;
        list_->insertTopLevelItem(k + 1, Row(k, !printed));
        delete list_->takeTopLevelItem(k);
    }
}

void PageSettingDialog::accept()
{
    flags_.assign(static_cast<size_t>(list_->topLevelItemCount()), 0);
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        flags_[size_t(i)] = list_->topLevelItem(i)->data(0, kPrintedRole).toInt() == 1 ? 1 : 0;
    QDialog::accept();
}

} // namespace nv::viewer
