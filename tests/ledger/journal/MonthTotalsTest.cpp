#include "JournalTestDb.h"

#include "ledger/journal/MonthTotals.h"

#include <gtest/gtest.h>

using namespace nv;
using nvtest::JournalTestDb;

namespace {

class MonthTotalsBothSides : public ::testing::TestWithParam<JournalSide> {};

FiscalPeriod Period(const JournalTestDb& t)
{
    return FiscalPeriod::From(t.settings);
}

// Fiscal month of a single line with the given closing day.
int MonthOfLine(const FiscalPeriod& p, const char* closing, LineDate d)
{
    MonthTotals m = ComputeMonthTotals({{d, 1, {}, {}}}, ClosingDayOf(closing), p);
    for (int k = 1; k <= 12; ++k)
        if (m[static_cast<size_t>(3 * k - 2)] == 1) return k;
    return 0;
}

} // namespace

TEST(MonthTotals, ClosingDays)
{
    struct {
        const char* text;
        int day;
    } rows[] = {
        {"随時", 31}, {"末日", 31},     {"月末", 31}, {"２５日", 25}, {"２０日", 20},   {"１５日", 15},
        {"１０日", 10}, {"５日", 5},     {"２０日    ", 20}, {"２０日　", 20}, {"20日", 31}, {"", 31},
        {" ２０日", 31},
    };
    for (auto& r : rows) EXPECT_EQ(ClosingDayOf(r.text), r.day) << r.text;
}

TEST(MonthTotals, MonthsFollowTheClosingDayAndWholeDates)
{
    FiscalPeriod year = FiscalPeriod::Of({2005, 4, 1}, {2006, 3, 31});
    EXPECT_EQ(MonthOfLine(year, "２０日", {2005, 4, 20}), 1);
    EXPECT_EQ(MonthOfLine(year, "２０日", {2005, 4, 21}), 2);
    EXPECT_EQ(MonthOfLine(year, "２０日", {2006, 3, 25}), 12);
    EXPECT_EQ(MonthOfLine(year, "末日", {2006, 3, 1}), 12);
    FiscalPeriod mid = FiscalPeriod::Of({2005, 4, 16}, {2006, 4, 15});
    EXPECT_EQ(MonthOfLine(mid, "２０日", {2006, 3, 25}), 12);
    EXPECT_EQ(MonthOfLine(mid, "２０日", {2006, 4, 10}), 12);
    EXPECT_EQ(MonthOfLine(mid, "末日", {2005, 4, 30}), 1);
    EXPECT_EQ(MonthOfLine(mid, "末日", {2005, 5, 1}), 2);
}

TEST(MonthTotals, OpeningAndBalancesCarryFromMonthToMonth)
{
    FiscalPeriod year = FiscalPeriod::Of({2005, 4, 1}, {2006, 3, 31});
    MonthTotals alone = ComputeMonthTotals({{{2005, 4, 1}, {}, {}, -5000}}, 31, year);
    for (size_t k = 0; k <= 12; ++k) EXPECT_EQ(alone[3 * k], -5000) << k;
    MonthTotals both = ComputeMonthTotals({{{2005, 4, 1}, 10000, 4000, 50000}}, 31, year);
    EXPECT_EQ(both[0], 44000);
    EXPECT_EQ(both[1], 10000);
    EXPECT_EQ(both[2], 4000);
    EXPECT_EQ(both[36], 50000);
    EXPECT_EQ(ComputeMonthTotals({}, 31, year), MonthTotals{});
    EXPECT_THROW(ComputeMonthTotals({{{2005, 4, 1}, INT64_MAX, {}, 1}, {{2005, 4, 2}, 1, {}, {}}}, 31, year),
                 std::range_error);
}

TEST_P(MonthTotalsBothSides, WorkedExampleClosingAtMonthEnd)
{
    JournalTestDb t(GetParam());
    t.AddParty(7, "山田商店", 120000, "末日");
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 120000});
    t.AddLine(7, {2005, 4, 30, "a", {}, {}, 10000, {}, 130000});
    t.AddLine(7, {2005, 5, 1, "b", {}, {}, {}, 30000, 100000});
    t.AddLine(7, {2006, 1, 15, "c", {}, {}, 20000, {}, 120000});
    t.AddLine(7, {2006, 3, 2, "d", {}, {}, 8000, {}, 128000});
    t.AddLine(7, {2006, 4, 1, "outside", {}, {}, 1, {}, 1});
    t.AddLine(8, {2005, 4, 2, "other party", {}, {}, 7, {}, 7});
    PartyMonthTotals r = BuildMonthTotals(t.db, t.Words(), 7, Period(t));
    EXPECT_FALSE(r.NoDataFlag);
    MonthTotals want{};
    want[0] = 120000;
    want[1] = 10000;
    want[3] = 130000;
    want[5] = 30000;
    for (size_t k = 2; k <= 9; ++k) want[3 * k] = 100000;
    want[28] = 20000;
    want[30] = want[33] = 120000;
    want[34] = 8000;
    want[36] = 128000;
    EXPECT_EQ(r.Totals, want);

    PartyMonthTotals missing = BuildMonthTotals(t.db, t.Words(), 99, Period(t));
    EXPECT_TRUE(missing.NoDataFlag);
    EXPECT_EQ(missing.Totals, MonthTotals{});
    t.AddParty(11, "行なし", 0);
    EXPECT_TRUE(BuildMonthTotals(t.db, t.Words(), 11, Period(t)).NoDataFlag);
}

TEST_P(MonthTotalsBothSides, SummaryListsEveryPartyAndSumsInSixtyFourBits)
{
    JournalTestDb t(GetParam());
    for (int64_t no : {5, 40000, -3, 1, 2}) t.AddParty(no, "取引先" + std::to_string(no), 0);
    for (int64_t no : {1, 2, 5}) t.AddLine(no, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 1500000000});
    t.AddLine(40000, {2005, 6, 1, "x", {}, {}, 100, {}, 100});
    SummaryData s = BuildSummaryData(t.db, t.Words(), Period(t));
    std::vector<int64_t> order;
    for (const SummaryRow& r : s.Rows) order.push_back(r.PartyNo);
    EXPECT_EQ(order, (std::vector<int64_t>{-3, 1, 2, 5, 40000}));
    EXPECT_EQ(s.Rows[0].Name, "取引先-3");
    EXPECT_TRUE(s.Rows[0].Figures.NoDataFlag);
    EXPECT_EQ(s.YearTotals[0], 4500000000 + 0);
    EXPECT_EQ(s.YearTotals[36], 4500000100);
    EXPECT_EQ(s.YearTotals[7], 100);
    EXPECT_EQ(s.Rows[4].Figures.Totals[6], 0);
    EXPECT_EQ(s.Rows[4].Figures.Totals[9], 100);
}

INSTANTIATE_TEST_SUITE_P(Journal, MonthTotalsBothSides,
                         ::testing::Values(JournalSide::Purchases, JournalSide::Sales),
                         [](const auto& info) { return info.param == JournalSide::Sales ? "Sales" : "Purchases"; });
