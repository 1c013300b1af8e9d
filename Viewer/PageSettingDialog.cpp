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
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace nv::viewer {

// One row per page over the flags: only what is shown is made.
class PageRowsModel : public QAbstractListModel {
public:
    PageRowsModel(const std::vector<int>& flags, QObject* parent) : QAbstractListModel(parent)
    {
        flags_.reserve(flags.size());
        for (int f : flags) flags_.push_back(f == 1 ? 1 : 0);
    }

    const std::vector<int>& Flags() const { return flags_; }

    void Flip(const QModelIndexList& rows)
    {
        for (const QModelIndex& i : rows) {
            int& f = flags_[size_t(i.row())];
            f = f == 1 ? 0 : 1;
            emit dataChanged(i, i);
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(flags_.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        const bool printed = flags_[size_t(index.row())] == 1;
        if (role == PageSettingDialog::kPrintedRole) return printed ? 1 : 0;
        return TreePane::PageRowData(index.row() + 1, printed, role);
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (section == 0 && o == Qt::Horizontal && role == Qt::DisplayRole) return QStringLiteral("ページ番号");
        return {};
    }

private:
    std::vector<int> flags_;
};

PageSettingDialog::PageSettingDialog(const QString& caption, int mode, const std::vector<int>& flags, QWidget* parent)
    : QDialog(parent), list_(new QTreeView(this)), rows_(new PageRowsModel(flags, this)),
      toggle_(new QPushButton(QStringLiteral("表示／非表示"), this)),
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
    list_->setUniformRowHeights(true);
    list_->setModel(rows_);
    list_->header()->setSectionsClickable(false);
    list_->header()->setStretchLastSection(false);
    // The last page's row in full ("300ページ " at the least), however the
    // font is: the widths of rows not yet shown are not measured.
    const int last = std::max(int(flags.size()), 300);
    const int widest = list_->fontMetrics().horizontalAdvance(QStringLiteral("%1ページ ").arg(last)) +
                       list_->iconSize().width() + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 8;
    list_->header()->setMinimumSectionSize(std::max(kColumnWidth, widest));
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
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
    connect(list_, &QAbstractItemView::doubleClicked, this, [this] { Toggle(); });
    connect(printer_, &QPushButton::clicked, this, [this] {
        if (printerSetup) printerSetup();
    });
}

int PageSettingDialog::Mode() const { return modes_->checkedId(); }

void PageSettingDialog::Toggle()
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    list_->clearSelection();
    rows_->Flip(rows);
}

void PageSettingDialog::accept()
{
    flags_ = rows_->Flags();
    QDialog::accept();
}

} // namespace nv::viewer
