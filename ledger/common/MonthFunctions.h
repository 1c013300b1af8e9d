#pragma once
// Fiscal-month arithmetic of the month totals. Pure functions of the fiscal
// bounds; errors are thrown as PeriodError.
#include "ledger/common/CompanySettings.h"

#include <cstdint>
#include <stdexcept>

namespace nv {

class Recordset;

// A fiscal-period setting as a whole number; otherwise throws
// PeriodError whose text names the setting `what`.
int FiscalSettingNumber(float value, const char* what);

struct FiscalBounds {
    int StartYear = 0;
    int StartMonth = 1;
    int EndYear = 0;
    int EndMonth = 12;
    int StartDay = 1;
    int EndDay = 31;   // past the month's end: its last day

    static FiscalBounds From(const CompanySettings& s);
};

// A journal line's date (its 年, 月, 日).
struct LineDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool operator==(const LineDate&) const = default;
};

// The date of the recordset's current journal line; throws
// PeriodError when 年, 月 or 日 is Null or not a whole number.
LineDate LineDateOf(const Recordset& rs);

// Days since 1970-01-01 of a Gregorian date (years 100-9999).
int64_t DaysFromCivil(int year, int month, int day);

// Number of days of the month; a month 13-24 counts as month - 12.
int gfTsuki(int month, int year);

// The calendar month that names fiscal month 1-12: the start month + k - 1,
// less 12 above 12.
int CalendarMonthOf(int startMonth, int fiscalMonth);

// Fiscal month k (1-12) is the k-th calendar month from the start month. It
// closes on the party's closing day (1-31, 31 = the month's end) of that
// month; the year's end month closes only at its end, and the twelfth month
// never closes, so a later line stays in it.
// The fiscal month 1-12 of a line, measured on the line's own date, its 年
// included: a year longer than twelve months keeps its last days in the
// twelfth. Throws PeriodError for a closing day outside 1-31 or a
// line that is no day of the fiscal year.
int FiscalMonthOf(const FiscalBounds& fiscal, int closingDay, const LineDate& line);

} // namespace nv
