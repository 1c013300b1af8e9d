// The summary tables' pages as a pure function of the parties' figures.
#include "ledger/journal/print/SummaryPages.h"

#include "PrintFixture.h"
#include "ledger/journal/JournalTestDb.h"

using namespace nv;
using namespace nvtest;

namespace {

SummaryHeading Heading(int startMonth = 1)
{
    return {FixedText("山田", 20), 2005.0f, startMonth};
}

std::vector<std::map<std::string, std::string>> Portrait(const SummaryData& d, JournalSide side = JournalSide::Purchases,
                                                         int startMonth = 1)
{
    std::vector<std::map<std::string, std::string>> out;
    for (const ReportPage& p : BuildPortraitSummary(WordsOf(side), Heading(startMonth), d)) out.push_back(Texts(p));
    return out;
}

std::vector<std::map<std::string, std::string>> Landscape(const SummaryData& d, int startMonth = 1)
{
    std::vector<std::map<std::string, std::string>> out;
    for (const ReportPage& p : BuildLandscapeSummary(PurchaseWords(), Heading(startMonth), d)) out.push_back(Texts(p));
    return out;
}

void ExpectCaptions(const std::map<std::string, std::string>& page, int lastHead, const char* title,
                    const char* amount, const char* settlement)
{
    EXPECT_EQ(At(page, "印刷名"), FixedText("山田", 20));
    EXPECT_EQ(At(page, "集計表"), title);
    EXPECT_EQ(At(page, "年"), "2005");
    EXPECT_EQ(At(page, "head0"), "前月残高");
    EXPECT_EQ(At(page, "head1"), amount);
    EXPECT_EQ(At(page, "head2"), settlement);
    EXPECT_EQ(At(page, "head" + std::to_string(lastHead)), "次月繰越");
}

} // namespace

TEST(SummaryPages, SevenPartiesPortraitTwoPagesTotalsInThirdColumn)
{
    SummaryData d = Parties(7);
    auto pages = Portrait(d);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(At(pages[0], "hito1"), "取引先1");
    EXPECT_EQ(At(pages[0], "hito5"), "取引先5");
    EXPECT_EQ(At(pages[0], "e36"), " 5036");
    EXPECT_EQ(At(pages[0], "ページ"), "1");
    EXPECT_EQ(At(pages[1], "hito1"), "取引先6");
    EXPECT_EQ(At(pages[1], "hito3"), "年合計");
    EXPECT_EQ(At(pages[1], "c0"), " 28000");      // 1000 + ... + 7000
    EXPECT_EQ(At(pages[1], "c36"), " 28252");     // + 7 x 36
    EXPECT_EQ(At(pages[1], "d0"), "<unset>");
    EXPECT_EQ(At(pages[1], "ページ"), "2");
    ExpectCaptions(pages[1], 36, "買 掛 金 集 計 表", "当月仕入", "当月支払");
}

TEST(SummaryPages, FivePartiesLeaveTheTotalAloneWithItsCaptions)
{
    auto pages = Portrait(Parties(5));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(At(pages[1], "hito1"), "年合計");
    EXPECT_EQ(At(pages[1], "a0"), " 15000");
    EXPECT_EQ(At(pages[1], "hito2"), "<unset>");
    EXPECT_EQ(At(pages[1], "b0"), "<unset>");
    EXPECT_EQ(At(pages[1], "tsuki1"), "1");
    EXPECT_EQ(At(pages[1], "tsuki12"), "12");
    ExpectCaptions(pages[1], 36, "買 掛 金 集 計 表", "当月仕入", "当月支払");
}

TEST(SummaryPages, SalesWriteTheirOwnTitleAndCaptions)
{
    auto pages = Portrait(Parties(2), JournalSide::Sales);
    ASSERT_EQ(pages.size(), 1u);
    ExpectCaptions(pages[0], 36, "売 掛 金 集 計 表", "当月売上", "当月入金");
    std::vector<std::map<std::string, std::string>> wide;
    for (const ReportPage& p : BuildLandscapeSummary(SalesWords(), Heading(), Parties(2))) wide.push_back(Texts(p));
    ASSERT_EQ(wide.size(), 3u);
    for (const auto& p : wide) ExpectCaptions(p, 12, "売 掛 金 集 計 表", "当月売上", "当月入金");
}

TEST(SummaryPages, LandscapeThirtyPartiesSixPagesSectionsCarryTheBalance)
{
    auto pages = Landscape(Parties(30));
    ASSERT_EQ(pages.size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(At(pages[i], "ページ"), std::to_string(i + 1));
    EXPECT_EQ(At(pages[0], "x12"), " 24012");
    EXPECT_EQ(At(pages[1], "hito7"), "年合計");
    EXPECT_EQ(At(pages[1], "g0"), " 465000");
    EXPECT_EQ(At(pages[2], "a0"), At(pages[0], "a12"));
    EXPECT_EQ(At(pages[4], "a0"), At(pages[2], "a12"));
    EXPECT_EQ(At(pages[4], "a12"), " 1036");
    EXPECT_EQ(At(pages[0], "a13"), "<unset>");
    EXPECT_EQ(At(pages[0], "head12"), "次月繰越");
    EXPECT_EQ(At(pages[0], "head13"), "<unset>");
}

TEST(SummaryPages, MonthCaptionsFollowTheFiscalStart)
{
    auto tall = Portrait(Parties(1), JournalSide::Purchases, 4);
    std::string months;
    for (int i = 1; i <= 12; ++i) months += At(tall[0], "tsuki" + std::to_string(i)) + ",";
    EXPECT_EQ(months, "4,5,6,7,8,9,10,11,12,1,2,3,");
    auto wide = Landscape(Parties(1), 4);
    ASSERT_EQ(wide.size(), 3u);
    std::string sections;
    for (const auto& p : wide) {
        for (int i = 1; i <= 4; ++i) sections += At(p, "tsuki" + std::to_string(i)) + ",";
        sections += "|";
    }
    EXPECT_EQ(sections, "4,5,6,7,|8,9,10,11,|12,1,2,3,|");
}

TEST(SummaryPages, NoPartyGivesAPageOfZeroTotals)
{
    auto tall = Portrait(SummaryData{});
    ASSERT_EQ(tall.size(), 1u);
    EXPECT_EQ(At(tall[0], "hito1"), "年合計");
    EXPECT_EQ(At(tall[0], "a0"), " 0");
    EXPECT_EQ(At(tall[0], "a36"), " 0");
    EXPECT_EQ(At(tall[0], "集計表"), "買 掛 金 集 計 表");
    EXPECT_EQ(Landscape(SummaryData{}).size(), 3u);
}

// Figures from the database: numbering gaps, 64-bit totals, parties without
// lines, a negative opening.
TEST(SummaryPages, FiguresFromTheLedgerDatabase)
{
    JournalTestDb t;
    for (int64_t no : {1, 2, 5, 40000}) t.AddParty(no, "取引先" + std::to_string(no), 0);
    t.AddParty(40001, "空", 0);   // no lines at all
    t.AddLine(1, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, -5000});
    for (int64_t no : {2, 5, 40000}) {
        t.AddLine(no, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 0});
        t.AddLine(no, {2005, 4, 20, "大口", {}, {}, 1'500'000'000, {}, 1'500'000'000});
    }
    SummaryData d = BuildSummaryData(t.db, t.Words(), FiscalPeriod::From(t.settings));
    auto pages = Portrait(d, JournalSide::Purchases, 4);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(At(pages[0], "hito1"), "取引先1");
    EXPECT_EQ(At(pages[0], "hito4"), "取引先40000");
    EXPECT_EQ(At(pages[0], "hito5"), "空");
    EXPECT_EQ(At(pages[0], "a0"), "-5000");
    EXPECT_EQ(At(pages[0], "a36"), "-5000");
    EXPECT_EQ(At(pages[0], "b1"), " 1500000000");
    for (int s = 0; s <= 36; ++s) EXPECT_EQ(At(pages[0], "e" + std::to_string(s)), " 0") << s;
    EXPECT_EQ(At(pages[1], "hito1"), "年合計");
    EXPECT_EQ(At(pages[1], "a1"), " 4500000000");
    EXPECT_EQ(At(pages[1], "a36"), " 4499995000");
}

namespace {

// A party's expected column: the opening, then per month its amounts,
// settlements and closing balance.
struct Column {
    int64_t no;
    const char* name;
    const char* closing;
    std::vector<LineSpec> lines;
    int64_t opening;
    std::array<std::array<int64_t, 3>, 12> months;
};

std::array<int64_t, 37> Slots(const Column& c)
{
    std::array<int64_t, 37> s{};
    s[0] = c.opening;
    for (size_t k = 1; k <= 12; ++k)
        for (size_t j = 0; j < 3; ++j) s[3 * k - 2 + j] = c.months[k - 1][j];
    return s;
}

} // namespace

// One heading row from the fiscal start, right for every party whatever its
// closing day; the figures of the years as 自社登録 writes them, both sides.
TEST(SummaryPages, MonthsAreTheMonthsFromTheFiscalStartForEveryParty)
{
    struct Year {
        const char* what;
        int startDay;
        const char* sideClosing;   // the settings' closing day
        std::vector<Column> columns;
    };
    const Year years[] = {
        {"2026/4/21-2027/3/31, ２０日",
         21,
         "２０日",
         {{1,
           "末日商店",
           "末日",
           {{2026, 4, 21, "繰越金額", {}, {}, {}, {}, 10000},
            {2026, 4, 25, "a", {}, {}, 1000},
            {2026, 4, 30, "b", {}, {}, 2000},
            {2026, 5, 1, "c", {}, {}, 4000},
            {2026, 5, 31, "d", {}, {}, {}, 3000},
            {2027, 2, 10, "e", {}, {}, 300},
            {2027, 3, 1, "f", {}, {}, 500},
            {2027, 3, 31, "g", {}, {}, 600}},
           10000,
           {{{3000, 0, 13000}, {4000, 3000, 14000}, {0, 0, 14000}, {0, 0, 14000}, {0, 0, 14000}, {0, 0, 14000},
             {0, 0, 14000}, {0, 0, 14000}, {0, 0, 14000}, {0, 0, 14000}, {300, 0, 14300}, {1100, 0, 15400}}}},
          {2,
           "二十日商店",
           "２０日",
           {{2026, 4, 21, "繰越金額", {}, {}, {}, {}, 20000},
            {2026, 4, 21, "a", {}, {}, 100},
            {2026, 5, 20, "b", {}, {}, 200},
            {2026, 5, 21, "c", {}, {}, 300},
            {2027, 2, 21, "d", {}, {}, 400},
            {2027, 3, 25, "e", {}, {}, 500}},
           20000,
           {{{0, 0, 20000}, {300, 0, 20300}, {300, 0, 20600}, {0, 0, 20600}, {0, 0, 20600}, {0, 0, 20600},
             {0, 0, 20600}, {0, 0, 20600}, {0, 0, 20600}, {0, 0, 20600}, {0, 0, 20600}, {900, 0, 21500}}}}}},
        {"2026/4/16-2027/3/31, １５日",
         16,
         "１５日",
         {{3,
           "十五日商店",
           "１５日",
           {{2026, 4, 16, "繰越金額", {}, {}, {}, {}, 5000},
            {2026, 4, 16, "a", {}, {}, 1000},
            {2026, 5, 15, "b", {}, {}, 2000},
            {2026, 5, 16, "c", {}, {}, 3000},
            {2027, 3, 15, "d", {}, {}, {}, 700},
            {2027, 3, 16, "e", {}, {}, 4000},
            {2027, 3, 31, "f", {}, {}, 800}},
           5000,
           {{{0, 0, 5000}, {3000, 0, 8000}, {3000, 0, 11000}, {0, 0, 11000}, {0, 0, 11000}, {0, 0, 11000},
             {0, 0, 11000}, {0, 0, 11000}, {0, 0, 11000}, {0, 0, 11000}, {0, 0, 11000}, {4800, 700, 15100}}}}}},
    };
    for (JournalSide side : {JournalSide::Purchases, JournalSide::Sales}) {
        for (const Year& y : years) {
            SCOPED_TRACE(std::string(y.what) + (side == JournalSide::Sales ? " sales" : " purchases"));
            JournalTestDb t(side);
            t.SetFiscal(2026, 4, static_cast<float>(y.startDay), 2027, 3, 31);
            t.settings.PurchaseClosingDay = t.settings.SalesClosingDay = y.sideClosing;
            std::array<int64_t, 37> total{};
            for (const Column& c : y.columns) {
                t.AddParty(c.no, c.name, c.opening, c.closing);
                for (const LineSpec& l : c.lines) t.AddLine(c.no, l);
                for (size_t s = 0; s < 37; ++s) total[s] += Slots(c)[s];
            }
            const SummaryData data = BuildSummaryData(t.db, t.Words(), FiscalPeriod::From(t.settings));
            auto pages = BuildPortraitSummary(t.Words(), SummaryHeadingOf(t.settings), data);
            ASSERT_EQ(pages.size(), 1u);
            const auto page = Texts(pages[0]);
            std::string months;
            for (int i = 1; i <= 12; ++i) months += At(page, "tsuki" + std::to_string(i)) + ",";
            EXPECT_EQ(months, "4,5,6,7,8,9,10,11,12,1,2,3,");
            for (size_t i = 0; i <= y.columns.size(); ++i) {
                const bool last = i == y.columns.size();
                const std::string letter(1, "abcde"[i]);
                EXPECT_EQ(At(page, "hito" + std::to_string(i + 1)), last ? "年合計" : y.columns[i].name);
                const std::array<int64_t, 37> want = last ? total : Slots(y.columns[i]);
                for (size_t s = 0; s < 37; ++s)
                    EXPECT_EQ(At(page, letter + std::to_string(s)), StrForm(want[s])) << letter << s;
            }
        }
    }
}
