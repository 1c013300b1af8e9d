#include "ledger/journal/MonthTotals.h"

#include "ledger/common/CompanySettings.h"
#include "ledger/common/LedgerErrors.h"
#include "platform/db/Recordset.h"

#include <stdexcept>

namespace nv {

namespace {

int64_t Add(int64_t a, int64_t b)
{
    int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) throw AmountOverflow("集計額が大きすぎます");
    return r;
}

int64_t Sub(int64_t a, int64_t b)
{
    int64_t r = 0;
    if (__builtin_sub_overflow(a, b, &r)) throw AmountOverflow("集計額が大きすぎます");
    return r;
}

} // namespace

MonthTotals ComputeMonthTotals(const std::vector<LineFigures>& lines, int closingDay, const FiscalPeriod& period)
{
    MonthTotals t{};
    if (lines.empty()) return t;
    const LineFigures& first = lines.front();
    t[0] = Add(Sub(first.Balance.value_or(0), first.Amount.value_or(0)), first.Settlement.value_or(0));
    FiscalBounds bounds = period.Bounds();
    for (const LineFigures& l : lines) {
        size_t k = static_cast<size_t>(FiscalMonthOf(bounds, closingDay, l.Date));
        if (l.Amount) t[3 * k - 2] = Add(t[3 * k - 2], *l.Amount);
        if (l.Settlement) t[3 * k - 1] = Add(t[3 * k - 1], *l.Settlement);
    }
    for (size_t k = 1; k <= 12; ++k) t[3 * k] = Sub(Add(t[3 * k - 3], t[3 * k - 2]), t[3 * k - 1]);
    return t;
}

namespace {

PartyMonthTotals TotalsOfLines(Database& db, const SideWords& words, int64_t partyNo, int closingDay,
                               const FiscalPeriod& period)
{
    Recordset rs = db.OpenRecordset(PeriodLinesSource(words, partyNo, period));
    std::vector<LineFigures> lines;
    for (; !rs.IsEOF(); rs.MoveNext())
        lines.push_back({LineDateOf(rs), IntegerOf(rs.Fields(words.Amount)), IntegerOf(rs.Fields(words.Settlement)),
                         IntegerOf(rs.Fields(kColBalance))});
    PartyMonthTotals r;
    r.NoDataFlag = lines.empty();
    r.Totals = ComputeMonthTotals(lines, closingDay, period);
    return r;
}

std::string PartySelect(const SideWords& w)
{
    return std::string("SELECT \"") + w.PartyNo + "\", \"" + w.PartyName + "\", \"" + kColClosingDay + "\" FROM \"" +
           w.PartyTable + "\"";
}

// The party a refused total belongs to, as the register lists it.
std::string PartyLabel(const SideWords& words, const SummaryRow& r)
{
    std::string name = r.Name;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return std::string(words.PartyNo) + " " + std::to_string(r.PartyNo) + " " + name;
}

constexpr const char* kYearTotalWord = "年合計";

} // namespace

PartyMonthTotals BuildMonthTotals(Database& db, const SideWords& words, int64_t partyNo, const FiscalPeriod& period)
{
    auto rows = db.Query(PartySelect(words) + " WHERE \"" + words.PartyNo + "\" = ?", {partyNo});
    if (rows.empty()) return {true, {}};
    return TotalsOfLines(db, words, partyNo, ClosingDayNumber(TextOf(rows[0][2]).value_or("")), period);
}

SummaryData BuildSummaryData(Database& db, const SideWords& words, const FiscalPeriod& period)
{
    SummaryData s;
    for (const auto& row : db.Query(PartySelect(words) + " ORDER BY \"" + words.PartyNo + "\"")) {
        SummaryRow r;
        r.PartyNo = IntegerOf(row[0]).value_or(0);
        r.Name = TextOf(row[1]).value_or("");
        try {
            r.Figures = TotalsOfLines(db, words, r.PartyNo, ClosingDayNumber(TextOf(row[2]).value_or("")), period);
        } catch (const std::range_error& e) {
            throw AmountOverflow(std::string(e.what()) + ": " + PartyLabel(words, r));
        }
        try {
            for (size_t i = 0; i < s.YearTotals.size(); ++i)
                s.YearTotals[i] = Add(s.YearTotals[i], r.Figures.Totals[i]);
        } catch (const std::range_error& e) {
            throw AmountOverflow(std::string(e.what()) + " (" + kYearTotalWord + "): " + PartyLabel(words, r));
        }
        s.Rows.push_back(std::move(r));
    }
    return s;
}

} // namespace nv
