#include "ledger/common/FiscalPeriod.h"

#include "ledger/common/LedgerErrors.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace nv {

namespace {

bool Before(const LineDate& a, const LineDate& b)
{
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day < b.day;
}

} // namespace

bool IsCalendarDate(const LineDate& d)
{
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    return d.day <= gfTsuki(d.month, d.year);
}

FiscalPeriod FiscalPeriod::From(const CompanySettings& settings)
{
    CompanySettings s = settings;
    MendOldFiscalEnd(s);
    LineDate start{FiscalSettingNumber(s.StartYear, "開始年"), FiscalSettingNumber(s.StartMonth, "開始月"),
                   FiscalSettingNumber(s.StartDay, "開始日")};
    LineDate end{FiscalSettingNumber(s.EndYear, "終了年"), FiscalSettingNumber(s.EndMonth, "終了月"),
                 FiscalSettingNumber(s.EndDay, "終了日")};
    if (end.year >= 100 && end.year <= 9999 && end.month >= 1 && end.month <= 12 && end.day > 28)
        end.day = std::min(end.day, gfTsuki(end.month, end.year));
    if (!IsCalendarDate(start)) throw PeriodError("会計期間の開始日が正しくありません");
    if (!IsCalendarDate(end)) throw PeriodError("会計期間の終了日が正しくありません");
    return Of(start, end);
}

FiscalPeriod FiscalPeriod::Of(const LineDate& start, const LineDate& end)
{
    if (!IsCalendarDate(start) || !IsCalendarDate(end) || Before(end, start))
        throw PeriodError("会計期間が正しくありません");
    return {start, end};
}

bool FiscalPeriod::Contains(const LineDate& d) const
{
    return IsCalendarDate(d) && !Before(d, Start) && !Before(End, d);
}

int FiscalPeriod::YearOf(int month, int day) const
{
    if (month > Start.month || (month == Start.month && day >= Start.day)) return Start.year;
    return End.year;
}

FiscalBounds FiscalPeriod::Bounds() const
{
    return {Start.year, Start.month, End.year, End.month, Start.day, End.day};
}

namespace {

std::string DateColumns(const std::string& qualifier)
{
    std::string q = qualifier.empty() ? std::string() : "\"" + qualifier + "\".";
    std::string y = q + "\"年\"", m = q + "\"月\"", d = q + "\"日\"";
    // A row comparison decided before a Null part would let the Null through.
    return "(" + y + ", " + m + ", " + d + ") BETWEEN (?, ?, ?) AND (?, ?, ?) AND " + m + " IS NOT NULL AND " + d +
           " IS NOT NULL";
}

void AppendBounds(std::vector<DbValue>& params, const FiscalPeriod& p)
{
    for (const LineDate* d : {&p.Start, &p.End})
        for (int v : {d->year, d->month, d->day}) params.emplace_back(std::in_place_type<int64_t>, v);
}

} // namespace

SqlCondition PeriodCondition(const FiscalPeriod& p, const std::string& qualifier)
{
    SqlCondition c;
    c.Sql = DateColumns(qualifier);
    AppendBounds(c.Params, p);
    return c;
}

RecordSource PeriodLinesSource(const SideWords& words, int64_t partyNo, const FiscalPeriod& period)
{
    RecordSource src;
    src.table = words.LineTable;
    src.where = std::string("\"") + words.PartyNo + "\" = ? AND " + DateColumns("");
    src.params.emplace_back(std::in_place_type<int64_t>, partyNo);
    AppendBounds(src.params, period);
    src.orderBy = kJournalOrderSql;
    return src;
}

} // namespace nv
