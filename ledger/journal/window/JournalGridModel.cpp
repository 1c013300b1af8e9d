#include "ledger/journal/window/JournalGridModel.h"

#include "ledger/common/EntryValue.h"
#include "ledger/common/Money.h"

#include <QLocale>

#include <cmath>
#include <stdexcept>
#include <unordered_set>

namespace nv {

namespace {

QString Whole(const std::optional<int64_t>& v)
{
    return v ? QString::number(*v) : QString();
}

QString Plain(const std::optional<double>& v)
{
    return v ? QString::number(*v, 'g', 15) : QString();
}

QString Yen(const std::optional<double>& v, bool forEdit)
{
    if (!v) return {};
    return forEdit ? Plain(v) : YenText(*v);
}

std::optional<double> Real(const std::optional<int64_t>& v)
{
    return v ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
}

// The whole-number field a column shows; none for 取引先番号, which is never
// empty, and for the text and fraction columns.
std::optional<int64_t> JournalLine::*WholeField(JournalColumn column)
{
    switch (column) {
    case JournalColumn::DataNo: return &JournalLine::DataNo;
    case JournalColumn::Year: return &JournalLine::Year;
    case JournalColumn::Month: return &JournalLine::Month;
    case JournalColumn::Day: return &JournalLine::Day;
    case JournalColumn::Amount: return &JournalLine::Amount;
    case JournalColumn::Settlement: return &JournalLine::Settlement;
    case JournalColumn::Balance: return &JournalLine::Balance;
    default: return nullptr;
    }
}

// The lines of the smallest and the largest value seen, the first of equals.
template <typename T>
struct Extremes {
    const JournalLine*& low;
    const JournalLine*& high;
    T lowValue{}, highValue{};
    void operator()(const JournalLine& l, T v)
    {
        if (!low || v < lowValue) low = &l, lowValue = v;
        if (!high || v > highValue) high = &l, highValue = v;
    }
};

} // namespace

QString YenText(double value)
{
    static const QLocale c = [] {
        QLocale l(QLocale::C);
        l.setNumberOptions(QLocale::DefaultNumberOptions);   // with thousands commas
        return l;
    }();
    double magnitude = std::fabs(value);
    bool whole = magnitude == std::floor(magnitude);
    QString digits = c.toString(magnitude, 'f', whole ? 0 : 2);
    if (!whole) {
        while (digits.endsWith('0')) digits.chop(1);
        if (digits.endsWith('.')) digits.chop(1);
    }
    return (value < 0 ? QStringLiteral("-￥") : QStringLiteral("￥")) + digits;
}

bool IsNumberColumn(JournalColumn column)
{
    switch (column) {
    case JournalColumn::Item:
    case JournalColumn::DebitCredit:
        return false;
    default:
        return true;
    }
}

void JournalGridModel::SetBook(JournalBook* book)
{
    beginResetModel();
    book_ = book;
    endResetModel();
}

void JournalGridModel::Reload()
{
    beginResetModel();
    endResetModel();
}

bool JournalGridModel::IsNewLineRow(int row) const
{
    return book_ && book_->NewLine() && row == static_cast<int>(book_->NewLineIndex());
}

const JournalLine* JournalGridModel::LineOf(int row) const
{
    if (!book_ || row < 0) return nullptr;
    size_t r = static_cast<size_t>(row);
    if (r < book_->Lines().size()) return &book_->Lines()[r];
    if (r == book_->NewLineIndex() && book_->NewLine()) return &*book_->NewLine();
    return nullptr;
}

QString JournalGridModel::CellText(const JournalLine& l, JournalColumn column, bool forEdit) const
{
    switch (column) {
    case JournalColumn::PartyNo: return QString::number(l.PartyNo);
    case JournalColumn::DataNo: return Whole(l.DataNo);
    case JournalColumn::Year: return Whole(l.Year);
    case JournalColumn::Month: return Whole(l.Month);
    case JournalColumn::Day: return Whole(l.Day);
    case JournalColumn::Item: return l.Item ? QString::fromStdString(*l.Item) : QString();
    case JournalColumn::Quantity: return Plain(l.Quantity);
    case JournalColumn::UnitPrice: return Yen(l.UnitPrice, forEdit);
    case JournalColumn::Amount: return Yen(Real(l.Amount), forEdit);
    case JournalColumn::Settlement: return Yen(Real(l.Settlement), forEdit);
    case JournalColumn::DebitCredit: return l.DebitCredit ? QString::fromStdString(*l.DebitCredit) : QString();
    case JournalColumn::Balance: return Yen(Real(l.Balance), forEdit);
    }
    return {};
}

bool JournalGridModel::HoldsFractions(JournalColumn column)
{
    return column == JournalColumn::Quantity || column == JournalColumn::UnitPrice;
}

QString JournalGridModel::LongestFigure(JournalColumn column) const
{
    // A whole value's text grows with its size on each side of zero, so the
    // longest whole value is the smallest or the largest. A column that may
    // hold fractions is read the same way for its whole values (below 1e15,
    // past which 数量 turns to an exponent); each of its other values is
    // formatted once, however many lines hold it.
    QString longest;
    auto keep = [&](const JournalLine& l) {
        QString t = CellText(l, column, false);
        if (t.size() > longest.size()) longest = std::move(t);
    };
    if (!book_) return longest;
    // Each line is read once, for the one field, with the extremes' values
    // kept beside them: a long list is read at memory speed.
    auto eachLine = [this](auto take) {
        for (const JournalLine& l : book_->Lines()) take(l);
        if (book_->NewLine()) take(*book_->NewLine());
    };
    const JournalLine* low = nullptr;
    const JournalLine* high = nullptr;
    if (HoldsFractions(column)) {
        const auto field = column == JournalColumn::Quantity ? &JournalLine::Quantity : &JournalLine::UnitPrice;
        Extremes<double> extreme{low, high};
        std::unordered_set<double> others;
        eachLine([&](const JournalLine& l) {
            const std::optional<double>& v = l.*field;
            if (!v) return;
            if (*v == std::floor(*v) && std::fabs(*v) < 1e15 && !(*v == 0 && std::signbit(*v)))
                extreme(l, *v);
            else if (others.insert(*v).second)
                keep(l);
        });
    } else {
        Extremes<int64_t> extreme{low, high};
        if (column == JournalColumn::PartyNo) {
            eachLine([&](const JournalLine& l) { extreme(l, l.PartyNo); });
        } else if (const auto field = WholeField(column)) {
            eachLine([&](const JournalLine& l) {
                if (const std::optional<int64_t>& v = l.*field) extreme(l, *v);
            });
        }
    }
    for (const JournalLine* l : {low, high})
        if (l) keep(*l);
    return longest;
}

int JournalGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !book_) return 0;
    return static_cast<int>(book_->Lines().size()) + (book_->NewLine() ? 1 : 0);
}

int JournalGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kJournalColumnCount;
}

QVariant JournalGridModel::data(const QModelIndex& index, int role) const
{
    const JournalLine* l = LineOf(index.row());
    if (!l) return {};
    auto column = static_cast<JournalColumn>(index.column());
    if (role == Qt::DisplayRole || role == Qt::EditRole) return CellText(*l, column, role == Qt::EditRole);
    if (role == Qt::TextAlignmentRole) {
        bool text = column == JournalColumn::Item || column == JournalColumn::DebitCredit;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    if (role == Qt::ToolTipRole && column == JournalColumn::Amount && l->HasPriceAndQuantity()) {
        // A typed amount stands in every balance pass; the cell says so.
        std::optional<int64_t> product;
        try {
            product = YenAmount(*l->UnitPrice, *l->Quantity);
        } catch (const std::range_error&) {
            // A product past the range is none: the tip then says the
            // amount stands as typed, which is the whole of the news.
        }
        if (l->Amount != product) return QString::fromUtf8(kTypedAmountTip);
    }
    return {};
}

QVariant JournalGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return IsNewLineRow(section) ? QStringLiteral("*") : QString();
    if (!book_ || section < 0 || section >= kJournalColumnCount) return {};
    auto column = static_cast<JournalColumn>(section);
    if (column == JournalColumn::DebitCredit) return QStringLiteral("貸借");
    return QString::fromUtf8(ColumnName(book_->Words(), column));
}

Qt::ItemFlags JournalGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    auto column = static_cast<JournalColumn>(index.column());
    if (!readOnly_ && column != JournalColumn::PartyNo && column != JournalColumn::Year) f |= Qt::ItemIsEditable;
    return f;
}

bool JournalGridModel::SetCellText(int row, JournalColumn column, const QString& text)
{
    if (!book_ || readOnly_ || row < 0 || row >= rowCount()) return false;
    const std::string typed = text.toStdString();
    if (IsNumberColumn(column) && !IsBlankText(typed) && !ParseNumberText(typed)) {
        if (refusal_) refusal_(column, kNumberMessage);
        return false;
    }
    try {
        book_->SetCell(static_cast<size_t>(row), column, text.toStdString());
    } catch (const JournalError& e) {
        if (refusal_) refusal_(column, e.what());
        return false;
    }
    emit dataChanged(index(row, 0), index(row, kJournalColumnCount - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
    return true;
}

bool JournalGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid()) return false;
    if (value.toString() == data(index, Qt::EditRole).toString()) return true;
    return SetCellText(index.row(), static_cast<JournalColumn>(index.column()), value.toString());
}

} // namespace nv
