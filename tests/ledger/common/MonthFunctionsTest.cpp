#include "ledger/common/MonthFunctions.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

const FiscalBounds kApril2005{2005, 4, 2006, 3};

TEST(MonthFunctions, MonthLengthsWithGregorianLeapYears)
{
    struct Case {
        int month, year, days;
    } cases[] = {
        {2, 2000, 29}, {2, 2004, 29}, {2, 1900, 28}, {2, 2100, 28}, {2, 2005, 28}, {14, 2005, 28},
        {14, 2004, 29}, {12, 2005, 31}, {1, 2005, 31}, {4, 2005, 30}, {24, 2005, 31},
    };
    for (const Case& c : cases) EXPECT_EQ(gfTsuki(c.month, c.year), c.days) << c.month << "/" << c.year;
    EXPECT_THROW(gfTsuki(0, 2005), std::invalid_argument);
    EXPECT_THROW(gfTsuki(25, 2005), std::invalid_argument);
    EXPECT_THROW(gfTsuki(2, 10000), std::invalid_argument);
}

TEST(MonthFunctions, DaysFromTheFiscalStart)
{
    EXPECT_EQ(gfSumsuki(kApril2005, 4), 0);
    EXPECT_EQ(gfSumsuki(kApril2005, 5), 30);
    EXPECT_EQ(gfSumsuki(kApril2005, 1), 275);
    EXPECT_EQ(gfSumsuki(kApril2005, 3), 334);
    EXPECT_EQ(gfSumsuki2(kApril2005, 15), 334);
    EXPECT_EQ(gfSumsuki2(kApril2005, 13), 275);
    EXPECT_EQ(gfSumsuki2(kApril2005, 12), 244);

    const FiscalBounds january2004{2004, 1, 2004, 12};   // leap year
    EXPECT_EQ(gfSumsuki(january2004, 3), 60);
    EXPECT_EQ(gfSumsuki(january2004, 12), 335);
    const FiscalBounds october2003{2003, 10, 2004, 9};   // February 2004 inside
    EXPECT_EQ(gfSumsuki(october2003, 3), 152);
    EXPECT_EQ(gfSumsuki(october2003, 2), 123);
    EXPECT_EQ(gfSumsuki2(october2003, 15), 152);

    EXPECT_THROW(gfSumsuki(kApril2005, 13), std::invalid_argument);
    EXPECT_THROW(gfSumsuki(kApril2005, 0), std::invalid_argument);
    EXPECT_THROW(gfSumsuki2(kApril2005, 25), std::invalid_argument);
}

// The month counter after each line of a journal run in date order.
std::vector<int> CountersAfter(const FiscalBounds& f, int closingDay, std::vector<LineDate> lines)
{
    int counter = 0;
    MonthFlags flags{};
    std::array<int64_t, 37> totals{};
    std::vector<int> out;
    for (const LineDate& l : lines) {
        gfGetmm2(f, counter, closingDay, flags, l, totals);
        out.push_back(counter);
    }
    return out;
}

int After(const FiscalBounds& f, int closingDay, LineDate line)
{
    return CountersAfter(f, closingDay, {line}).back();
}

TEST(MonthFunctions, ClosingDays)
{
    struct Case {
        int closing;
        LineDate line;
        int counter;
    } cases[] = {
        {5, {2005, 4, 5}, 0},   {5, {2005, 4, 6}, 1},   {5, {2005, 5, 5}, 1},   {5, {2005, 5, 6}, 2},
        {20, {2005, 4, 20}, 0}, {20, {2005, 4, 25}, 1}, {20, {2005, 5, 21}, 2}, {20, {2006, 1, 21}, 10},
        {31, {2005, 4, 30}, 0}, {31, {2005, 5, 1}, 1},  {31, {2005, 6, 30}, 2}, {31, {2005, 7, 1}, 3},
        {31, {2006, 2, 28}, 10}, {31, {2006, 3, 1}, 11},
    };
    for (const Case& c : cases)
        EXPECT_EQ(After(kApril2005, c.closing, c.line), c.counter)
            << "closing " << c.closing << " line " << c.line.month << "/" << c.line.day;
}

TEST(MonthFunctions, FiscalYearsStartingInJanuaryAndOctober)
{
    const FiscalBounds january2004{2004, 1, 2004, 12};
    EXPECT_EQ(After(january2004, 31, {2004, 1, 31}), 0);
    EXPECT_EQ(After(january2004, 31, {2004, 2, 29}), 1);   // leap February still open
    EXPECT_EQ(After(january2004, 31, {2004, 3, 1}), 2);
    EXPECT_EQ(After(january2004, 20, {2004, 12, 31}), 11);   // the end month never closes

    const FiscalBounds october2004{2004, 10, 2005, 9};
    EXPECT_EQ(After(october2004, 31, {2005, 1, 1}), 3);
    EXPECT_EQ(After(october2004, 20, {2004, 12, 21}), 3);
    EXPECT_EQ(After(october2004, 31, {2005, 9, 30}), 11);
}

TEST(MonthFunctions, LeapFebruaryIsMeasuredInItsOwnYear)
{
    const FiscalBounds april2003{2003, 4, 2004, 3};
    EXPECT_EQ(After(april2003, 31, {2004, 2, 29}), 10);
    EXPECT_EQ(After(april2003, 31, {2004, 3, 1}), 11);
    // A line whose year field is stale still closes February on its own length.
    EXPECT_EQ(After(april2003, 31, {2003, 2, 29}), 10);
}

TEST(MonthFunctions, EndMonthLineAfterJanuaryLandsInMarch)
{
    // January, then 1 March: February must close as well.
    EXPECT_EQ(CountersAfter(kApril2005, 31, {{2006, 1, 15}, {2006, 3, 1}}), (std::vector<int>{9, 11}));
    EXPECT_EQ(CountersAfter(kApril2005, 20, {{2006, 1, 15}, {2006, 3, 1}}), (std::vector<int>{9, 11}));
    EXPECT_EQ(CountersAfter(kApril2005, 20, {{2006, 3, 31}}), (std::vector<int>{11}));
}

TEST(MonthFunctions, ShortFiscalYearsCloseOnlyTheirOwnMonths)
{
    // A first year that starts in July and ends in December of the same year:
    // the months after December are not part of it and never close.
    const FiscalBounds july2005{2005, 7, 2005, 12};
    EXPECT_EQ(After(july2005, 31, {2005, 7, 1}), 0);
    EXPECT_EQ(After(july2005, 20, {2005, 7, 21}), 1);
    EXPECT_EQ(CountersAfter(july2005, 20, {{2005, 7, 1}, {2005, 11, 30}, {2005, 12, 25}}),
              (std::vector<int>{0, 5, 5}));   // December never closes before its end
    EXPECT_EQ(After(july2005, 31, {2005, 12, 31}), 5);

    // Crossing the new year: March is the last month, fiscal month 9.
    const FiscalBounds july2005to2006{2005, 7, 2006, 3};
    EXPECT_EQ(After(july2005to2006, 20, {2006, 3, 25}), 8);
    EXPECT_EQ(After(july2005to2006, 31, {2006, 3, 1}), 8);

    // A year from the 21st of a month to the 20th twelve months later still
    // has its twelve months.
    const FiscalBounds april21{2005, 4, 2006, 4};
    EXPECT_EQ(After(april21, 31, {2006, 3, 31}), 11);
}

TEST(MonthFunctions, ClosingCarriesTheBalanceForward)
{
    int counter = 0;
    MonthFlags flags{};
    std::array<int64_t, 37> totals{};
    totals[3] = 1500;
    gfGetmm2(kApril2005, counter, 31, flags, {2005, 6, 1}, totals);
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(totals[6], 1500);
    EXPECT_EQ(totals[9], 1500);
    EXPECT_EQ(flags[1], 1);
    EXPECT_EQ(flags[2], 1);
    EXPECT_EQ(flags[3], 0);
}

TEST(MonthFunctions, ClosingBeyondTheTotalsIsAnErrorThatChangesNothing)
{
    int counter = 11;
    MonthFlags flags{};
    std::array<int32_t, 37> totals{};
    totals[33] = 7;
    EXPECT_THROW(gfGetmm2(kApril2005, counter, 31, flags, {2005, 5, 1}, totals), std::out_of_range);
    EXPECT_EQ(counter, 11);
    EXPECT_EQ(flags[1], 0);
    EXPECT_EQ(totals[33], 7);
    EXPECT_THROW(gfGetmm2(kApril2005, counter, 0, flags, {2005, 5, 1}, totals), std::invalid_argument);
    EXPECT_THROW(gfGetmm2(kApril2005, counter, 20, flags, {2005, 13, 1}, totals), std::invalid_argument);
}

TEST(MonthFunctions, BoundsFromSettings)
{
    CompanySettings s;
    s.StartYear = 2005, s.StartMonth = 4, s.EndYear = 2006, s.EndMonth = 3;
    FiscalBounds f = FiscalBounds::From(s);
    EXPECT_EQ(f.StartMonth, 4);
    EXPECT_EQ(f.EndYear, 2006);
    s.StartMonth = 4.5f;
    EXPECT_THROW(FiscalBounds::From(s), std::invalid_argument);
    s.StartMonth = 13;
    EXPECT_THROW(FiscalBounds::From(s), std::invalid_argument);
}

} // namespace

namespace {

TEST(MonthFunctions, FiscalMonthsAreTheMonthsFromTheStartClosedOnThePartysDay)
{
    // Month k is the k-th month from the start month, closed on the closing
    // day of that month; a year that starts after the closing day leaves its
    // first month empty.
    struct Case {
        const char* what;
        FiscalBounds fiscal;
        int closing;
        std::vector<LineDate> lines;
        std::vector<int> counters;
    } cases[] = {
        {"start 16th, closing 15th: April closes before the year starts", {2026, 4, 2027, 3, 16, 31}, 15,
         {{2026, 4, 16}, {2026, 5, 15}, {2026, 5, 16}, {2027, 2, 15}, {2027, 2, 16}, {2027, 3, 31}},
         {1, 1, 2, 10, 11, 11}},
        {"start 21st, closing 20th, month end", {2026, 4, 2027, 3, 21, 31}, 31,
         {{2026, 4, 21}, {2026, 4, 30}, {2026, 5, 1}, {2027, 3, 31}}, {0, 0, 1, 11}},
        {"start 21st, closing 20th", {2026, 4, 2027, 3, 21, 31}, 20,
         {{2026, 4, 21}, {2026, 5, 20}, {2026, 5, 21}, {2027, 2, 21}, {2027, 3, 31}}, {1, 1, 2, 11, 11}},
        // The end month's first days belong to it, not to the month before
        // it, also when that month has had no line since its closing.
        {"calendar year, month end: 12/1 after 11/10", {2005, 1, 2005, 12}, 31, {{2005, 11, 10}, {2005, 12, 1}},
         {10, 11}},
        {"April year, month end: 3/1 after 2/10", {2005, 4, 2006, 3}, 31, {{2006, 2, 10}, {2006, 3, 1}}, {10, 11}},
        {"April year, closing 20th: 3/3 after 2/10", {2005, 4, 2006, 3}, 20, {{2006, 2, 10}, {2006, 3, 3}},
         {10, 11}},
        // No closing past the twelfth month: a year of twelve months and a
        // half keeps its last days in the twelfth.
        {"2005/4/16-2006/4/15, closing 15th", {2005, 4, 2006, 4, 16, 15}, 15,
         {{2005, 4, 16}, {2006, 3, 15}, {2006, 3, 16}, {2006, 4, 15}}, {1, 11, 11, 11}},
        {"2005/4/16-2006/4/15, month end", {2005, 4, 2006, 4, 16, 15}, 31,
         {{2005, 4, 30}, {2005, 5, 1}, {2006, 4, 1}, {2006, 4, 15}}, {0, 1, 11, 11}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountersAfter(c.fiscal, c.closing, c.lines), c.counters) << c.what;
    // Not a day of its month in the year the line falls in.
    EXPECT_THROW(After(kApril2005, 31, {2006, 2, 29}), std::invalid_argument);
}

TEST(MonthFunctions, HeadingMonthsCountFromTheStartMonth)
{
    std::string months;
    for (int start : {1, 4, 12}) {
        for (int k = 1; k <= 12; ++k) months += std::to_string(CalendarMonthOf(start, k)) + ",";
        months += "|";
    }
    EXPECT_EQ(months, "1,2,3,4,5,6,7,8,9,10,11,12,|4,5,6,7,8,9,10,11,12,1,2,3,|12,1,2,3,4,5,6,7,8,9,10,11,|");
    EXPECT_THROW(CalendarMonthOf(4, 13), std::invalid_argument);
    EXPECT_THROW(CalendarMonthOf(0, 1), std::invalid_argument);
}

} // namespace
