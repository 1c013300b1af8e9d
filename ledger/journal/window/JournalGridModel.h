#pragma once
// The journal grid's table: the book's lines, then the new line when one is
// offered. Cells show stored values (amounts in yen); edits go through the
// book's cell rules, and a refused cell is reported, not taken.
#include "ledger/journal/JournalBook.h"

#include <QAbstractTableModel>

#include <functional>

namespace nv {

inline constexpr int kJournalColumnCount = 12;
inline constexpr const char* kNumberMessage = "数値を入力していください。";
// The amount cell of a line whose amount is not 単価 x 数量.
inline constexpr const char* kTypedAmountTip =
    "単価×数量と異なる金額です。入力された金額のまま残高を計算します。";

// "￥1,234", "-￥50"; a fraction keeps up to two places.
QString YenText(double value);
// Number columns take the number check; 年 and the party number are shown only.
bool IsNumberColumn(JournalColumn column);

class JournalGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Called with the column and the book's message when a cell is refused.
    using Refusal = std::function<void(JournalColumn, const std::string&)>;

    explicit JournalGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetBook(JournalBook* book);
    JournalBook* Book() const { return book_; }
    void SetRefusal(Refusal r) { refusal_ = std::move(r); }
    // A read-only book shows its lines and takes no typing.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The book changed under the table: every row is shown again.
    void Reload();
    // Runs f, which may reorder the book's lines but not change their number.
    template <class F>
    void Relayout(F&& f)
    {
        emit layoutAboutToBeChanged();
        struct Done {
            JournalGridModel* m;
            ~Done() { emit m->layoutChanged(); }
        } done{this};
        f();
    }

    // Takes a typed cell; false (after the refusal) when the book refused it.
    bool SetCellText(int row, JournalColumn column, const QString& text);
    bool IsNewLineRow(int row) const;
    // The longest text among a number column's cells; with digits of one
    // width, as every desktop font has them, the widest too. Whole values
    // are read at their smallest and largest only; a value with a fraction
    // (数量, 単価) is formatted once whatever the lines holding it.
    QString LongestFigure(JournalColumn column) const;
    static bool HoldsFractions(JournalColumn column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    const JournalLine* LineOf(int row) const;
    QString CellText(const JournalLine& line, JournalColumn column, bool forEdit) const;

    JournalBook* book_ = nullptr;
    Refusal refusal_;
    bool readOnly_ = false;
};

} // namespace nv
