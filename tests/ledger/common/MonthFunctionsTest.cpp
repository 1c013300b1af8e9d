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

// The fiscal month of each line, as the month totals place it.
std::vector<int> MonthsOf(const FiscalBounds& f, int closingDay, const std::vector<LineDate>& lines)
{
    std::vector<int> out;
    for (const LineDate& l : lines) out.push_back(FiscalMonthOf(f, closingDay, l));
    return out;
}

int MonthOf(const FiscalBounds& f, int closingDay, LineDate line)
{
    return FiscalMonthOf(f, closingDay, line);
}

TEST(MonthFunctions, ClosingDays)
{
    struct Case {
        int closing;
        LineDate line;
        int month;
    } cases[] = {
        {5, {2005, 4, 5}, 1},   {5, {2005, 4, 6}, 2},   {5, {2005, 5, 5}, 2},   {5, {2005, 5, 6}, 3},
        {20, {2005, 4, 20}, 1}, {20, {2005, 4, 25}, 2}, {20, {2005, 5, 21}, 3}, {20, {2006, 1, 21}, 11},
        {31, {2005, 4, 30}, 1}, {31, {2005, 5, 1}, 2},  {31, {2005, 6, 30}, 3}, {31, {2005, 7, 1}, 4},
        {31, {2006, 2, 28}, 11}, {31, {2006, 3, 1}, 12},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MonthOf(kApril2005, c.closing, c.line), c.month)
            << "closing " << c.closing << " line " << c.line.month << "/" << c.line.day;
}

TEST(MonthFunctions, FiscalYearsStartingInJanuaryAndOctober)
{
    const FiscalBounds january2004{2004, 1, 2004, 12};
    EXPECT_EQ(MonthOf(january2004, 31, {2004, 1, 31}), 1);
    EXPECT_EQ(MonthOf(january2004, 31, {2004, 2, 29}), 2);   // leap February still open
    EXPECT_EQ(MonthOf(january2004, 31, {2004, 3, 1}), 3);
    EXPECT_EQ(MonthOf(january2004, 20, {2004, 12, 31}), 12);   // the end month never closes

    const FiscalBounds october2004{2004, 10, 2005, 9};
    EXPECT_EQ(MonthOf(october2004, 31, {2005, 1, 1}), 4);
    EXPECT_EQ(MonthOf(october2004, 20, {2004, 12, 21}), 4);
    EXPECT_EQ(MonthOf(october2004, 31, {2005, 9, 30}), 12);
}

TEST(MonthFunctions, LeapFebruaryIsMeasuredInItsOwnYear)
{
    const FiscalBounds april2003{2003, 4, 2004, 3};
    EXPECT_EQ(MonthOf(april2003, 31, {2004, 2, 29}), 11);
    EXPECT_EQ(MonthOf(april2003, 31, {2004, 3, 1}), 12);
    // The line's own 年 decides: February 2003 has no 29th, and is no month
    // of this year anyway.
    EXPECT_THROW(MonthOf(april2003, 31, {2003, 2, 29}), std::invalid_argument);
    EXPECT_THROW(MonthOf(april2003, 31, {2003, 2, 28}), std::invalid_argument);
}

TEST(MonthFunctions, EndMonthLineAfterJanuaryLandsInMarch)
{
    // January, then 1 March: February must close as well.
    EXPECT_EQ(MonthsOf(kApril2005, 31, {{2006, 1, 15}, {2006, 3, 1}}),
              (std::vector<int>{10, 12}));
    EXPECT_EQ(MonthsOf(kApril2005, 20, {{2006, 1, 15}, {2006, 3, 1}}),
              (std::vector<int>{10, 12}));
    EXPECT_EQ(MonthsOf(kApril2005, 20, {{2006, 3, 31}}),
              (std::vector<int>{12}));
}

TEST(MonthFunctions, ShortFiscalYearsCloseOnlyTheirOwnMonths)
{
    // A first year that starts in July and ends in December of the same year:
    // the months after December are not part of it and never close.
    const FiscalBounds july2005{2005, 7, 2005, 12};
    EXPECT_EQ(MonthOf(july2005, 31, {2005, 7, 1}), 1);
    EXPECT_EQ(MonthOf(july2005, 20, {2005, 7, 21}), 2);
    EXPECT_EQ(MonthsOf(july2005, 20, {{2005, 7, 1}, {2005, 11, 30}, {2005, 12, 25}}),
              (std::vector<int>{1, 6, 6}));   // December never closes before its end
    EXPECT_EQ(MonthOf(july2005, 31, {2005, 12, 31}), 6);

    // Crossing the new year: March is the last month, fiscal month 9.
    const FiscalBounds july2005to2006{2005, 7, 2006, 3};
    EXPECT_EQ(MonthOf(july2005to2006, 20, {2006, 3, 25}), 9);
    EXPECT_EQ(MonthOf(july2005to2006, 31, {2006, 3, 1}), 9);

    // A year from the 21st of a month to the 20th twelve months later still
    // has its twelve months.
    const FiscalBounds april21{2005, 4, 2006, 4};
    EXPECT_EQ(MonthOf(april21, 31, {2006, 3, 31}), 12);
}

TEST(MonthFunctions, ImpossibleClosingDaysAndLinesAreRefused)
{
    const struct {
        int closing;
        LineDate line;
    } refused[] = {
        {0, {2005, 5, 1}}, {32, {2005, 5, 1}}, {20, {2005, 13, 1}}, {20, {2005, 0, 1}}, {20, {2005, 4, 0}},
        {20, {2005, 3, 31}},   // the day before the year starts
        {20, {2006, 4, 1}},    // the day after it ends
    };
    for (const auto& r : refused)
        EXPECT_THROW(MonthOf(kApril2005, r.closing, r.line), std::invalid_argument)
            << r.closing << " " << r.line.year << "/" << r.line.month << "/" << r.line.day;
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

// A company.w1 of this start with the end the screen gives it, or the end an earlier version wrote.
FiscalBounds FromStart(float y, float m, float d, std::array<float, 3> oldEnd = {})
{
    CompanySettings s;
    s.StartYear = y, s.StartMonth = m, s.StartDay = d;
    DeriveFiscalEnd(s);
    if (oldEnd[0] != 0) s.EndYear = oldEnd[0], s.EndMonth = oldEnd[1], s.EndDay = oldEnd[2];
    return FiscalBounds::From(s);
}

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
        std::vector<int> months;
    } cases[] = {
        {"start 16th, closing 15th: April closes before the year starts", {2026, 4, 2027, 3, 16, 31}, 15,
         {{2026, 4, 16}, {2026, 5, 15}, {2026, 5, 16}, {2027, 2, 15}, {2027, 2, 16}, {2027, 3, 31}},
         {2, 2, 3, 11, 12, 12}},
        {"start 21st, closing 20th, month end", {2026, 4, 2027, 3, 21, 31}, 31,
         {{2026, 4, 21}, {2026, 4, 30}, {2026, 5, 1}, {2027, 3, 31}}, {1, 1, 2, 12}},
        {"start 21st, closing 20th", {2026, 4, 2027, 3, 21, 31}, 20,
         {{2026, 4, 21}, {2026, 5, 20}, {2026, 5, 21}, {2027, 2, 21}, {2027, 3, 31}}, {2, 2, 3, 12, 12}},
        // The end month's first days belong to it, not to the month before
        // it, also when that month has had no line since its closing.
        {"calendar year, month end: 12/1 after 11/10", {2005, 1, 2005, 12}, 31, {{2005, 11, 10}, {2005, 12, 1}},
         {11, 12}},
        {"April year, month end: 3/1 after 2/10", {2005, 4, 2006, 3}, 31, {{2006, 2, 10}, {2006, 3, 1}}, {11, 12}},
        {"April year, closing 20th: 3/3 after 2/10", {2005, 4, 2006, 3}, 20, {{2006, 2, 10}, {2006, 3, 3}},
         {11, 12}},
        // No closing past the twelfth month: a year of twelve months and a
        // half keeps its last days in the twelfth.
        {"2005/4/16-2006/4/15, closing 15th", {2005, 4, 2006, 4, 16, 15}, 15,
         {{2005, 4, 16}, {2006, 3, 15}, {2006, 3, 16}, {2006, 4, 15}}, {2, 12, 12, 12}},
        {"2005/4/16-2006/4/15, month end", {2005, 4, 2006, 4, 16, 15}, 31,
         {{2005, 4, 30}, {2005, 5, 1}, {2006, 4, 1}, {2006, 4, 15}}, {1, 2, 12, 12}},
        // A year of thirteen months (a hand-made company.w1): the lines of
        // its thirteenth month are measured in their own year and stay in
        // the twelfth, never in the first.
        {"2026/4/1-2027/4/30, month end", {2026, 4, 2027, 4, 1, 30}, 31,
         {{2026, 4, 1}, {2026, 4, 30}, {2027, 3, 1}, {2027, 4, 1}, {2027, 4, 30}}, {1, 1, 12, 12, 12}},
        {"2026/4/1-2027/4/30, closing 20th", {2026, 4, 2027, 4, 1, 30}, 20,
         {{2026, 4, 20}, {2026, 4, 21}, {2027, 4, 15}}, {1, 2, 12}},
        // A year that starts mid-month ends the day before its next start:
        // the first half of the start month is its twelfth month's end.
        {"from 2025/10/16, closing 20th", FromStart(2025, 10, 16), 20,
         {{2025, 10, 16}, {2025, 10, 21}, {2026, 9, 21}, {2026, 10, 10}, {2026, 10, 15}}, {1, 2, 12, 12, 12}},
        {"from 2025/10/16 in an older file ending 2026/9/31", FromStart(2025, 10, 16, {2026, 9, 31}), 20,
         {{2026, 10, 10}, {2026, 10, 15}}, {12, 12}},
        {"from 2026/4/1 as before", FromStart(2026, 4, 1), 20, {{2026, 4, 20}, {2027, 3, 31}}, {1, 12}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MonthsOf(c.fiscal, c.closing, c.lines), c.months) << c.what;
    // Not a day of its month in the year the line falls in.
    EXPECT_THROW(MonthOf(kApril2005, 31, {2006, 2, 29}), std::invalid_argument);
    // Every day once: the next year takes over the day after.
    EXPECT_THROW(MonthOf(FromStart(2025, 10, 16), 20, {2026, 10, 16}), std::invalid_argument);
    EXPECT_EQ(MonthOf(FromStart(2026, 10, 16), 20, {2026, 10, 16}), 1);
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
