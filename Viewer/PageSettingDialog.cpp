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
        m_flags.reserve(flags.size());
        for (int f : flags) m_flags.push_back(f == 1 ? 1 : 0);
    }

    const std::vector<int>& Flags() const { return m_flags; }

    void Flip(const QModelIndexList& rows)
    {
        for (const QModelIndex& i : rows) {
            int& f = m_flags[size_t(i.row())];
            f = f == 1 ? 0 : 1;
            emit dataChanged(i, i);
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_flags.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        const bool printed = m_flags[size_t(index.row())] == 1;
        if (role == PageSettingDialog::kPrintedRole) return printed ? 1 : 0;
        return TreePane::PageRowData(index.row() + 1, printed, role);
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (section == 0 && o == Qt::Horizontal && role == Qt::DisplayRole) return QStringLiteral("ページ番号");
        return {};
    }

private:
    std::vector<int> m_flags;
};

PageSettingDialog::PageSettingDialog(const QString& caption, int mode, const std::vector<int>& flags, QWidget* parent)
    : QDialog(parent), m_list(new QTreeView(this)), m_rows(new PageRowsModel(flags, this)),
      m_toggle(new QPushButton(QStringLiteral("表示／非表示"), this)),
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
    m_list->setUniformRowHeights(true);
    m_list->setModel(m_rows);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    // The last page's row in full ("300ページ " at the least), however the
    // font is: the widths of rows not yet shown are not measured.
    const int last = std::max(int(flags.size()), 300);
    const int widest = m_list->fontMetrics().horizontalAdvance(QStringLiteral("%1ページ ").arg(last)) +
                       m_list->iconSize().width() + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 8;
    m_list->header()->setMinimumSectionSize(std::max(kColumnWidth, widest));
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
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
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { Toggle(); });
    connect(m_printer, &QPushButton::clicked, this, [this] {
        if (printerSetup) printerSetup();
    });
}

int PageSettingDialog::Mode() const { return m_modes->checkedId(); }

void PageSettingDialog::Toggle()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    m_list->clearSelection();
    m_rows->Flip(rows);
}

void PageSettingDialog::accept()
{
    m_flags = m_rows->Flags();
    QDialog::accept();
}

} // namespace nv::viewer
