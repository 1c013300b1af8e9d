#include "ledger/journal/JournalLine.h"

#include <limits>
#include <tuple>

namespace nv {

const char* ColumnName(const SideWords& w, JournalColumn c)
{
    switch (c) {
    case JournalColumn::PartyNo: return w.PartyNo;
    case JournalColumn::DataNo: return kColDataNo;
    case JournalColumn::Year: return kColYear;
    case JournalColumn::Month: return kColMonth;
    case JournalColumn::Day: return kColDay;
    case JournalColumn::Item: return kColItem;
    case JournalColumn::Quantity: return kColQuantity;
    case JournalColumn::UnitPrice: return kColUnitPrice;
    case JournalColumn::Amount: return w.Amount;
    case JournalColumn::Settlement: return w.Settlement;
    case JournalColumn::DebitCredit: return kColDebitCredit;
    case JournalColumn::Balance: return kColBalance;
    }
    return "";
}

bool JournalLine::IsWhollyEmpty() const
{
    return !Item && !Quantity && !UnitPrice && !Amount && !Settlement && !DebitCredit && !Balance;
}

bool JournalLine::IsCarryForward() const
{
    bool named = Item && (*Item == kCarryForwardItem || *Item == kOpeningCarryForwardItem);
    return named && Amount.value_or(0) == 0 && Settlement.value_or(0) == 0;
}

bool JournalLine::HasPriceAndQuantity() const
{
    // A price of 0 is a price: 3 given free are worth 0, not the amount of
    // the price typed before it.
    return Quantity && UnitPrice && *Quantity != 0;
}

namespace {

template <class T>
DbValue Opt(const std::optional<T>& v)
{
    if (!v) return DbNull;
    return DbValue(std::in_place_type<T>, *v);
}

std::optional<int64_t> Whole(const DbValue& v, int column)
{
    if (IsNull(v)) return std::nullopt;
    if (auto i = std::get_if<int64_t>(&v)) return *i;
    throw JournalError("行の値が整数ではありません (列 " + std::to_string(column) + ")");
}

std::optional<double> Real(const DbValue& v, int column)
{
    if (IsNull(v)) return std::nullopt;
    if (auto n = NumberOf(v)) return *n;
    throw JournalError("行の値が数値ではありません (列 " + std::to_string(column) + ")");
}

std::optional<std::string> Text(const DbValue& v, int column)
{
    if (IsNull(v)) return std::nullopt;
    if (auto s = std::get_if<std::string>(&v)) return *s;
    throw JournalError("行の値が文字列ではありません (列 " + std::to_string(column) + ")");
}

} // namespace

std::vector<DbValue> LineValues(const JournalLine& l)
{
    std::vector<DbValue> v;
    v.reserve(12);
    v.emplace_back(std::in_place_type<int64_t>, l.PartyNo);
    v.push_back(Opt(l.DataNo));
    v.push_back(Opt(l.Year));
    v.push_back(Opt(l.Month));
    v.push_back(Opt(l.Day));
    v.push_back(Opt(l.Item));
    v.push_back(Opt(l.Quantity));
    v.push_back(Opt(l.UnitPrice));
    v.push_back(Opt(l.Amount));
    v.push_back(Opt(l.Settlement));
    v.push_back(Opt(l.DebitCredit));
    v.push_back(Opt(l.Balance));
    return v;
}

JournalLine LineFromValues(std::span<const DbValue> v, int64_t rowId)
{
    if (v.size() != 12) throw JournalError("行の列の数が違います");
    JournalLine l;
    l.RowId = rowId;
    std::optional<int64_t> party = Whole(v[0], 0);
    if (!party) throw JournalError("行の取引先番号がありません");
    l.PartyNo = *party;
    l.DataNo = Whole(v[1], 1);
    l.Year = Whole(v[2], 2);
    l.Month = Whole(v[3], 3);
    l.Day = Whole(v[4], 4);
    l.Item = Text(v[5], 5);
    l.Quantity = Real(v[6], 6);
    l.UnitPrice = Real(v[7], 7);
    l.Amount = Whole(v[8], 8);
    l.Settlement = Whole(v[9], 9);
    l.DebitCredit = Text(v[10], 10);
    l.Balance = Whole(v[11], 11);
    return l;
}

std::vector<std::string> LineColumnNames(const SideWords& words)
{
    std::vector<std::string> names;
    for (int c = 0; c <= 11; ++c) names.emplace_back(ColumnName(words, static_cast<JournalColumn>(c)));
    return names;
}

namespace {

int64_t RowRank(const JournalLine& l)
{
    if (l.RowId != 0) return l.RowId;
    return l.IsCarryForward() ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

} // namespace

bool JournalOrderLess(const JournalLine& a, const JournalLine& b)
{
    // std::optional orders an empty value first, as the database orders Null.
    const auto ka = std::tie(a.Year, a.Month, a.Day, a.DataNo), kb = std::tie(b.Year, b.Month, b.Day, b.DataNo);
    if (ka != kb) return ka < kb;
    return RowRank(a) < RowRank(b);
}

bool SameJournalPlace(const JournalLine& a, const JournalLine& b)
{
    return std::tie(a.Year, a.Month, a.Day, a.DataNo) == std::tie(b.Year, b.Month, b.Day, b.DataNo);
}

} // namespace nv
