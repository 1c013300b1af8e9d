#include "ledger/master/ItemNameForm.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/CompanySettings.h"
#include "ledger/common/ImeHint.h"
#include "ledger/common/ShownFailure.h"
#include "ledger/master/CloseUnsaved.h"
#include "platform/core/Cp932.h"
#include "platform/ui/DesignUnits.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WidgetHandle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace nv {

namespace {

constexpr size_t kItemNameWidth = 50;

// A name fit to store, or the reason it is not.
std::optional<QString> RefuseName(const QString& name)
{
    for (QChar c : name)
        if (c.isSurrogate() || !Utf8ToCp932(QString(c).toStdString()))
            return QString("品名に使えない文字があります: ") + c;
    if (Utf8CharCount(name.toStdString()) > kItemNameWidth)
        return QString("品名は%1文字以内で入力してください。").arg(kItemNameWidth);
    return std::nullopt;
}

} // namespace

void ItemNameGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (leaving_) return;
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::SubmitModelCache)
        emit advance();
}

void ItemNameGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    const bool left = previous.isValid() && current.row() != previous.row();
    // The view commits and closes the editor of the line being left.
    leaving_ = left;
    QTableWidget::currentChanged(current, previous);
    leaving_ = false;
    if (left) emit rowLeft(previous.row());
}

void ItemNameGrid::CommitOpenEditor()
{
    if (state() != EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        leaving_ = true;
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        leaving_ = false;
    }
}

void ItemNameGrid::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (state() != EditingState && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab)) {
        emit advance();
        return;
    }
    QTableWidget::keyPressEvent(e);
}

ItemNameForm::ItemNameForm(Database& db, QWidget* parent) : QDialog(parent), db_(db)
{
    setObjectName("f2_品名登録");
    setWindowTitle("品名登録");
    auto* top = new QVBoxLayout(this);
    grid_ = new ItemNameGrid(0, 1, this);
    grid_->setObjectName("Grid");
    grid_->setHorizontalHeaderLabels({"品名"});
    grid_->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setColumnWidth(0, ui::HeaderFitWidth(grid_->horizontalHeader(), "品名", ui::DesignPixels(grid_, 3000)));
    grid_->verticalHeader()->setDefaultSectionSize(
        std::max(grid_->verticalHeader()->defaultSectionSize(), grid_->fontMetrics().height() + 6));
    // The column and its line numbers in sight, without a sideways scroll.
    grid_->setMinimumSize(grid_->columnWidth(0) + grid_->verticalHeader()->fontMetrics().horizontalAdvance("0000") +
                              2 * grid_->frameWidth() +
                              grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_) + 16,
                          ui::DesignPixels(grid_, 3000));
    grid_->setTabKeyNavigation(false);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    top->addWidget(grid_, 1);
    auto* label = new QLabel("Enterでデータが追加されます。", this);
    label->setObjectName("Label4");
    top->addWidget(label);
    cmdDelete_ = new QPushButton("削除(&D)", this);
    cmdDelete_->setObjectName("cmdDelete");
    cmdClose_ = new QPushButton("閉じる(&C)", this);
    cmdClose_->setObjectName("cmdClose");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdDelete_, cmdClose_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(std::max(ui::DesignPixels(b, 1092), b->sizeHint().width()));
        buttons->addWidget(b);
    }
    buttons->insertStretch(1, 1);
    // The data control's caption: the line the cursor is on.
    navigator_ = new QLabel("ﾚｺｰﾄﾞ: ", this);
    navigator_->setObjectName("Data1");
    navigator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    navigator_->setMinimumHeight(navigator_->fontMetrics().height() + 2 * navigator_->frameWidth() + 2);
    navigator_->setMinimumWidth(ui::DesignPixels(navigator_, 1800));
    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row) { navigator_->setText(row < 0 ? QString("ﾚｺｰﾄﾞ: ") : QString("ﾚｺｰﾄﾞ: %1").arg(row + 1)); });
    top->addWidget(navigator_, 0, Qt::AlignLeft);
    top->addLayout(buttons);
    connect(grid_, &ItemNameGrid::advance, this, &ItemNameForm::Advance);
    connect(grid_, &ItemNameGrid::rowLeft, this, &ItemNameForm::RowLeft);
    connect(cmdDelete_, &QPushButton::clicked, this, &ItemNameForm::DeleteCurrent);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::accept);
}

bool ItemNameForm::Load()
{
    quiet_ = true;
    try {
        const auto rows = db_.Query("SELECT _rowid_, \"品名\" FROM \"品名\" ORDER BY _rowid_");
        grid_->setRowCount(0);
        ids_.clear();
        stored_.clear();
        for (const auto& row : rows) {
            const int r = grid_->rowCount();
            grid_->insertRow(r);
            const auto* text = std::get_if<std::string>(&row[1]);
            const QString name = text ? QString::fromStdString(*text) : QString();
            grid_->setItem(r, 0, new QTableWidgetItem(name));
            ids_.push_back(std::get<int64_t>(row[0]));
            stored_.push_back(name);
        }
    } catch (const std::exception& e) {
        quiet_ = false;
        ui::Error(QString("ｴﾗｰが発生しました:") + QString::fromStdString(ShownFailure("ItemName", e)), this);
        return false;
    }
    AppendBlankLine();
    Land(grid_->rowCount() - 1);
    quiet_ = false;
    if (const std::string why = HintImeMode(ui::WidgetHandle(grid_), Variant(true), 9); !why.empty())
        LogLine("ItemName", "NvZzIME.ChangeIMEModeEX: " + why);
    return true;
}

void ItemNameForm::AppendBlankLine()
{
    const int r = grid_->rowCount();
    grid_->insertRow(r);
    grid_->setItem(r, 0, new QTableWidgetItem);
    ids_.push_back(std::nullopt);
    stored_.emplace_back();
}

void ItemNameForm::Land(int row)
{
    if (row < 0 || row >= grid_->rowCount()) return;
    grid_->setCurrentCell(row, 0);
    grid_->setFocus();
}

bool ItemNameForm::Commit(int r, bool quiet)
{
    if (r < 0 || r >= grid_->rowCount()) return true;
    QTableWidgetItem* item = grid_->item(r, 0);
    const QString name = item ? item->text().trimmed() : QString();
    const bool appending = !ids_[r];
    if (appending ? name.isEmpty() : name == stored_[r]) return true;
    auto fail = [&](const QString& text) {
        if (!quiet) ui::Error(text, this);
        return false;
    };
    if (auto refused = RefuseName(name)) return fail(*refused);
    if (!appending && name.isEmpty()) return fail("品名を入力してください。削除は削除ボタンで行います。");
    try {
        if (appending) {
            db_.Execute("INSERT INTO \"品名\" (\"品名\") VALUES (?)", {name.toStdString()});
            ids_[r] = db_.LastInsertRowId();
        } else {
            db_.Execute("UPDATE \"品名\" SET \"品名\" = ? WHERE _rowid_ = ?", {name.toStdString(), *ids_[r]});
        }
    } catch (const std::exception& e) {
        return fail(QString("ｴﾗｰが発生しました:") + QString::fromStdString(ShownFailure("ItemName", e)) + "\nﾚｺｰﾄﾞ: " + name);
    }
    stored_[r] = name;
    if (item) item->setText(name);
    if (appending) AppendBlankLine();
    return true;
}

bool ItemNameForm::Pending() const
{
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const QTableWidgetItem* item = grid_->item(r, 0);
        const QString name = item ? item->text().trimmed() : QString();
        if (ids_[static_cast<size_t>(r)] ? name != stored_[static_cast<size_t>(r)] : !name.isEmpty()) return true;
    }
    return false;
}

void ItemNameForm::Advance()
{
    const int r = grid_->currentRow();
    if (r < 0) return;
    // A blank line being appended is never stored, and Enter stays on it.
    const QTableWidgetItem* item = grid_->item(r, 0);
    if (!ids_[r] && (!item || item->text().trimmed().isEmpty())) return;
    if (!Commit(r)) return;
    Land(r + 1);
}

void ItemNameForm::RowLeft(int row)
{
    if (quiet_ || Commit(row)) return;
    // The line that could not be written keeps its text and the cursor.
    QTimer::singleShot(0, this, [this, row] { Land(row); });
}

void ItemNameForm::done(int result)
{
    grid_->CommitOpenEditor();
    Commit(grid_->currentRow(), true);
    if (Pending() && !MayCloseWithoutSaving(QStringLiteral("品名を保存できませんでした。保存せずに閉じますか？"),
                                            QStringLiteral("品名を保存できませんでした。"), this))
        return;
    QDialog::done(result);
}

void ItemNameForm::DeleteCurrent()
{
    const int r = grid_->currentRow();
    if (r < 0) return;
    if (!ids_[r]) {
        if (QTableWidgetItem* item = grid_->item(r, 0)) item->setText(QString());
        Land(r);
        return;
    }
    try {
        db_.Execute("DELETE FROM \"品名\" WHERE _rowid_ = ?", {*ids_[r]});
    } catch (const std::exception& e) {
        ui::Error(QString("ｴﾗｰが発生しました:") + QString::fromStdString(ShownFailure("ItemName", e)), this);
        return;
    }
    quiet_ = true;
    grid_->removeRow(r);
    quiet_ = false;
    ids_.erase(ids_.begin() + r);
    stored_.erase(stored_.begin() + r);
    Land(r > 0 ? r - 1 : 0);
}

} // namespace nv
