#pragma once
// Fiscal-month arithmetic of the month totals. Pure functions of the fiscal
// bounds; errors are thrown (std::invalid_argument, std::out_of_range).
#include "ledger/common/CompanySettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace nv {

class Recordset;

// A fiscal-period setting as a whole number; otherwise throws
// std::invalid_argument whose text names the setting `what`.
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
// std::invalid_argument when 年, 月 or 日 is Null or not a whole number.
LineDate LineDateOf(const Recordset& rs);

// Flags of the twelve fiscal months, indexes 1-12 used: 0 open, 1 closed.
using MonthFlags = std::array<int, 13>;

// Days since 1970-01-01 of a Gregorian date (years 100-9999).
int64_t DaysFromCivil(int year, int month, int day);

// Number of days of the month; a month 13-24 counts as month - 12.
int gfTsuki(int month, int year);
// Days from the first day of the fiscal start month to the first day of the
// calendar month 1-12 (in the start year from the start month on, else in
// the end year).
int gfSumsuki(const FiscalBounds& fiscal, int month);
// The same for a fiscal month number 1-24 counted on past 12.
int gfSumsuki2(const FiscalBounds& fiscal, int month);

// The calendar month that names fiscal month 1-12: the start month + k - 1,
// less 12 above 12.
int CalendarMonthOf(int startMonth, int fiscalMonth);

// Fiscal month k (1-12) is the k-th calendar month from the start month. It
// closes on the party's closing day (1-31, 31 = the month's end) of that
// month; the year's end month closes only at its end, and the twelfth month
// never closes, so a later line stays in it.
// The fiscal months 1-12 that close before the line's day, given the closing
// day and the flags; validated, nothing changed. The line's year follows from
// its month and day.
std::array<bool, 13> MonthsClosedBefore(const FiscalBounds& fiscal, int closingDay, const MonthFlags& flags,
                                        const LineDate& line);

// The fiscal month 1-12 of a line, closing on closingDay.
int FiscalMonthOf(const FiscalBounds& fiscal, int closingDay, const LineDate& line);

// Advances the month counter over the months that closed before the line:
// for each, counter += 1, totals[3 * counter + 3] = totals[3 * counter] (the
// balance carried into the next month) and its flag set. A closing that
// would index past the totals throws before anything changes.
template <class Total, size_t N>
void gfGetmm2(const FiscalBounds& fiscal, int& counter, int closingDay, MonthFlags& flags, const LineDate& line,
              std::array<Total, N>& totals)
{
    std::array<bool, 13> close = MonthsClosedBefore(fiscal, closingDay, flags, line);
    int closings = 0;
    for (int i = 1; i <= 12; ++i) closings += close[static_cast<size_t>(i)] ? 1 : 0;
    if (closings == 0) return;
    if (counter < 0 || 3 * static_cast<size_t>(counter + closings) + 3 >= N)
        throw std::out_of_range("gfGetmm2: 月の締めが集計表の月数を超えています (月 " +
                                std::to_string(counter + closings) + ")");
    for (int i = 1; i <= 12; ++i) {
        if (!close[static_cast<size_t>(i)]) continue;
        ++counter;
        size_t c = static_cast<size_t>(counter);
        totals[3 * c + 3] = totals[3 * c];
        flags[static_cast<size_t>(i)] = 1;
    }
}

// The same for the current line of a journal recordset.
template <class Total, size_t N>
void gfGetmm2(const FiscalBounds& fiscal, int& counter, int closingDay, MonthFlags& flags, const Recordset& rs,
              std::array<Total, N>& totals)
{
    gfGetmm2(fiscal, counter, closingDay, flags, LineDateOf(rs), totals);
}

} // namespace nv
