#pragma once
// The fiscal year as whole dates, and the one condition that picks the
// journal lines inside it. Journals, registers and the carry-forward all use
// this, so a line is in the period for every one of them or for none.
#include "ledger/common/CompanySettings.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/MonthFunctions.h"
#include "platform/db/Database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// A real calendar date (years 100-9999): no month 13, no 2/30.
bool IsCalendarDate(const LineDate& date);
// Days since 1970-01-01 of a line date.
inline int64_t DayNumberOf(const LineDate& date) { return DaysFromCivil(date.year, date.month, date.day); }

struct FiscalPeriod {
    LineDate Start;   // first day
    LineDate End;     // last day

    // From StartYear/StartMonth/StartDay to EndYear/EndMonth/EndDay; an end
    // day past its month's end means the month's last day, and the end an
    // earlier version gave a mid-month start is the one its start makes
    // (MendOldFiscalEnd). Throws
    // PeriodError naming the setting for anything else that is not
    // a date, or an end before the start.
    static FiscalPeriod From(const CompanySettings& s);
    static FiscalPeriod Of(const LineDate& start, const LineDate& end);

    bool Contains(const LineDate& date) const;
    // The year of a line by its month and day: from the start's month and day
    // on the start year, before them the end year.
    int YearOf(int month, int day) const;
    // The bounds the month arithmetic takes.
    FiscalBounds Bounds() const;
};

// A piece of WHERE text with its bound values.
struct SqlCondition {
    std::string Sql;
    std::vector<DbValue> Params;
};

// Lines dated within the period, whole dates compared; qualifier (a table
// name) is put before the date columns when not empty. Lines with a Null
// date part never match.
SqlCondition PeriodCondition(const FiscalPeriod& period, const std::string& qualifier = "");

// Journal order: date, then データ数, then insertion.
inline constexpr const char* kJournalOrderSql = "\"年\", \"月\", \"日\", \"データ数\", _rowid_";

// One party's lines of the period in journal order.
RecordSource PeriodLinesSource(const SideWords& words, int64_t partyNo, const FiscalPeriod& period);

} // namespace nv
