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
    MonthTotals m = ComputeMonthTotals({{d, 1, {}, {}}}, ClosingDayNumber(closing), p);
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
        {" ２０日", 31}, {"２０日 　", 20},
    };
    for (auto& r : rows) EXPECT_EQ(ClosingDayNumber(r.text), r.day) << r.text;
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

namespace {

struct PeriodCase {
    const char* what;
    LineDate start, end;
    const char* closing;
    std::vector<LineFigures> lines;
    std::vector<std::pair<size_t, int64_t>> slots;   // every other slot 0
};

} // namespace

TEST(MonthTotals, FiscalMonthsAreTheMonthsFromTheStart)
{
    const PeriodCase cases[] = {
        {"start 16th, closing 15th: April is empty, March runs from 2/16 to the year's end",
         {2005, 4, 16},
         {2006, 4, 15},
         "１５日",
         {{{2005, 4, 16}, {}, {}, 10000},
          {{2005, 4, 16}, 1000, {}, {}},
          {{2005, 5, 15}, 2000, {}, {}},
          {{2005, 5, 16}, 3000, {}, {}},
          {{2006, 3, 15}, 700, {}, {}},
          {{2006, 3, 16}, 4000, {}, {}},
          {{2006, 4, 15}, {}, 500, {}}},
         {{0, 10000}, {3, 10000}, {4, 3000}, {6, 13000}, {7, 3000}, {9, 16000}, {12, 16000}, {15, 16000},
          {18, 16000}, {21, 16000}, {24, 16000}, {27, 16000}, {30, 16000}, {33, 16000}, {34, 4700}, {35, 500},
          {36, 20200}}},
        {"start 21st, closing 20th",
         {2005, 4, 21},
         {2006, 4, 20},
         "２０日",
         {{{2005, 4, 21}, {}, {}, 0},
          {{2005, 4, 21}, 1000, {}, {}},
          {{2005, 5, 20}, 100, {}, {}},
          {{2005, 5, 21}, 200, {}, {}},
          {{2006, 2, 21}, 300, {}, {}},
          {{2006, 3, 20}, 400, {}, {}},
          {{2006, 3, 21}, 500, {}, {}},
          {{2006, 4, 20}, 600, {}, {}}},
         {{4, 1100}, {6, 1100}, {7, 200}, {9, 1300}, {12, 1300}, {15, 1300}, {18, 1300}, {21, 1300}, {24, 1300},
          {27, 1300}, {30, 1300}, {33, 1300}, {34, 1800}, {36, 3100}}},
        {"start 1st, closing 20th: 4/20 in month 1, 4/25 in month 2, the last month to 3/31",
         {2005, 4, 1},
         {2006, 3, 31},
         "２０日",
         {{{2005, 4, 1}, {}, {}, 500},
          {{2005, 4, 20}, 10, {}, {}},
          {{2005, 4, 25}, 20, {}, {}},
          {{2006, 2, 21}, 30, {}, {}},
          {{2006, 3, 31}, 40, {}, {}}},
         {{0, 500}, {1, 10}, {3, 510}, {4, 20}, {6, 530}, {9, 530}, {12, 530}, {15, 530}, {18, 530}, {21, 530},
          {24, 530}, {27, 530}, {30, 530}, {33, 530}, {34, 70}, {36, 600}}},
        {"start 1st, month end: the last line in month 5 carries to the year's end",
         {2005, 4, 1},
         {2006, 3, 31},
         "末日",
         {{{2005, 4, 1}, {}, {}, 100}, {{2005, 8, 31}, 50, {}, {}}},
         {{0, 100}, {3, 100}, {6, 100}, {9, 100}, {12, 100}, {13, 50}, {15, 150}, {18, 150}, {21, 150}, {24, 150},
          {27, 150}, {30, 150}, {33, 150}, {36, 150}}},
        {"only the carry-forward line, of 0: every balance 0", {2005, 4, 1}, {2006, 3, 31}, "末日",
         {{{2005, 4, 1}, {}, {}, 0}}, {}},
        {"a hand-made year of thirteen months: its last April in the twelfth month, not the first",
         {2026, 4, 1},
         {2027, 4, 30},
         "末日",
         {{{2026, 4, 1}, {}, {}, 1000},
          {{2026, 4, 10}, 100, {}, {}},
          {{2027, 3, 5}, 200, {}, {}},
          {{2027, 4, 15}, 300, {}, {}}},
         {{0, 1000}, {1, 100}, {3, 1100}, {6, 1100}, {9, 1100}, {12, 1100}, {15, 1100}, {18, 1100}, {21, 1100},
          {24, 1100}, {27, 1100}, {30, 1100}, {33, 1100}, {34, 500}, {36, 1600}}},
    };
    for (const PeriodCase& c : cases) {
        SCOPED_TRACE(c.what);
        const FiscalPeriod period = FiscalPeriod::Of(c.start, c.end);
        MonthTotals want{};
        for (auto [slot, value] : c.slots) want[slot] = value;
        EXPECT_EQ(ComputeMonthTotals(c.lines, ClosingDayNumber(c.closing), period), want);
    }
}

TEST_P(MonthTotalsBothSides, ATotalTooLargeNamesItsParty)
{
    JournalTestDb t(GetParam());
    const std::string no = t.Words().PartyNo;
    auto message = [&] {
        try {
            BuildSummaryData(t.db, t.Words(), Period(t));
        } catch (const std::range_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    t.AddParty(1, "山田商店", 0);
    t.AddLine(1, {2005, 6, 1, "大口", {}, {}, 5000000000000000000, {}, 0});
    t.AddParty(2, "丸山商店", 0);
    t.AddLine(2, {2005, 6, 1, "大口", {}, {}, 5000000000000000000, {}, 0});
    EXPECT_EQ(message(), "集計額が大きすぎます (年合計): " + no + " 2 丸山商店");
    t.AddParty(8, "伊藤屋", 0);
    t.AddLine(8, {2005, 6, 1, "大口", {}, {}, 5000000000000000000, {}, 0});
    t.AddLine(8, {2005, 6, 2, "大口", {}, {}, 5000000000000000000, {}, 0});
    t.db.Execute("DELETE FROM \"" + std::string(t.Words().LineTable) + "\" WHERE \"" + no + "\" = 2");
    EXPECT_EQ(message(), "集計額が大きすぎます: " + no + " 8 伊藤屋");
}
