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

TEST(SummaryPages, MonthCaptionsNameTheClosingPeriodsOfTheSide)
{
    CompanySettings s;
    s.StartYear = 2005, s.StartMonth = 4, s.StartDay = 16;
    s.EndYear = 2006, s.EndMonth = 4, s.EndDay = 15;
    s.PurchaseClosingDay = "１５日";
    s.SalesClosingDay = "末日";
    auto captions = [&](JournalSide side) {
        std::string months;
        auto pages = BuildPortraitSummary(WordsOf(side), SummaryHeadingOf(s, WordsOf(side)), Parties(1));
        for (int i = 1; i <= 12; ++i) months += At(Texts(pages[0]), "tsuki" + std::to_string(i)) + ",";
        return months;
    };
    EXPECT_EQ(captions(JournalSide::Purchases), "5,6,7,8,9,10,11,12,1,2,3,4,");   // 4/16-5/15 is May's
    EXPECT_EQ(captions(JournalSide::Sales), "4,5,6,7,8,9,10,11,12,1,2,3,");
}
