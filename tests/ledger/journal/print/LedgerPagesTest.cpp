// The ledger's pages as a pure function of the balanced lines.
#include "ledger/journal/print/LedgerPages.h"

#include "PrintFixture.h"

using namespace nv;
using namespace nvtest;

namespace {

PartyRecord Party7()
{
    PartyRecord p;
    p.PartyNo = 7;
    p.Name = FixedText("山田商店", 50);
    p.ClosingDay = FixedText("末日", 10);
    return p;
}

LedgerReport Ledger(const std::vector<JournalLine>& lines, JournalSide side = JournalSide::Purchases)
{
    return BuildLedgerReport(WordsOf(side), FixedText("山田", 20), Party7(), lines);
}

} // namespace

TEST(LedgerPages, PageCountsFollowThirtyOneThenThirtyLines)
{
    const struct { size_t lines; int pages; } cases[] = {
        {0, 0}, {1, 1}, {31, 1}, {32, 2}, {61, 2}, {62, 3}, {91, 3}, {92, 4}, {3001, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LedgerPageCount(c.lines), c.pages) << c.lines;
        if (c.lines == 0) continue;
        std::vector<JournalLine> lines = PurchaseLines(static_cast<int>(c.lines) - 1);
        LedgerReport r = Ledger(lines);
        ASSERT_EQ(static_cast<int>(r.Pages.size()), c.pages) << c.lines;
        EXPECT_EQ(At(Texts(r.Pages.back()), "ページ"), std::to_string(c.pages));
    }
}

TEST(LedgerPages, ThreePagesOfTheWorkedExample)
{
    LedgerReport r = Ledger(PurchaseLines(61));
    ASSERT_EQ(r.Pages.size(), 3u);
    std::map<std::string, std::string> header;
    for (const FieldWrite& w : r.Header) header[w.Name] = w.Value.ToString();
    EXPECT_EQ(header["nen"], "2005");
    EXPECT_EQ(header["ＮＯ"], "7");
    EXPECT_EQ(header["売上金額"], "仕 入 金 額");
    EXPECT_EQ(header["受入金額"], "支 払 金 額");
    EXPECT_EQ(header["印刷名"], FixedText("山田", 20));

    auto p1 = Texts(r.Pages[0]), p2 = Texts(r.Pages[1]), p3 = Texts(r.Pages[2]);
    const struct { std::map<std::string, std::string>* page; const char* name; const char* text; } expected[] = {
        {&p1, "zandaka1", " 100000"}, {&p1, "hinmei1", "前期繰越金額"}, {&p1, "tsuki1", "4"}, {&p1, "tsuki2", "4"},
        {&p1, "tsuki3", ""}, {&p1, "zandaka31", " 130000"}, {&p1, "hinmei32", "次葉へ繰り越し"},
        {&p1, "uriage32", "30000"}, {&p1, "zandaka32", "130000"}, {&p1, "ページ", "1"},
        {&p2, "hinmei1", "前葉ヨリ繰越し"}, {&p2, "uriage1", "30000"}, {&p2, "zandaka1", "130000"},
        {&p2, "tsuki1", ""}, {&p2, "hi1", ""}, {&p2, "suuryou1", ""}, {&p2, "tanka1", ""}, {&p2, "kashi1", ""},
        {&p2, "tsuki2", "4"}, {&p2, "tsuki3", ""}, {&p2, "tsuki11", ""}, {&p2, "tsuki12", "5"}, {&p2, "tsuki13", ""},
        {&p2, "uriage32", "60000"}, {&p2, "zandaka32", "160000"}, {&p2, "ページ", "2"},
        {&p3, "zandaka1", "160000"}, {&p3, "zandaka2", " 161000"}, {&p3, "tsuki2", "5"}, {&p3, "hinmei3", ""},
        {&p3, "zandaka3", ""}, {&p3, "uriage31", ""}, {&p3, "hinmei32", "次葉へ繰り越し"},
        {&p3, "uriage32", "61000"}, {&p3, "zandaka32", "161000"}, {&p3, "ページ", "3"},
    };
    for (const auto& e : expected) EXPECT_EQ(At(*e.page, e.name), e.text) << e.name;
}

TEST(LedgerPages, CarriedRowDoesNotRepeatTheFirstLineOfThePageBefore)
{
    std::vector<JournalLine> lines = PurchaseLines(40);
    lines.front().Quantity = 3;
    lines.front().UnitPrice = 7;
    lines.front().DebitCredit = "貸";
    LedgerReport r = Ledger(lines);
    ASSERT_EQ(r.Pages.size(), 2u);
    auto p1 = Texts(r.Pages[0]), p2 = Texts(r.Pages[1]);
    EXPECT_EQ(At(p1, "suuryou1"), "3");
    EXPECT_EQ(At(p1, "kashi1"), "貸");
    // The driver never clears fields between ledger pages, so the row is cleared here.
    EXPECT_EQ(At(p2, "suuryou1"), "");
    EXPECT_EQ(At(p2, "tanka1"), "");
    EXPECT_EQ(At(p2, "kashi1"), "");
}

TEST(LedgerPages, BalancesInStrFormTotalsAsNumbersPast32BitsAsText)
{
    std::vector<JournalLine> lines = PurchaseLines(0, -500);
    JournalLine big = lines.front();
    big.Item = "大口";
    big.Amount = 3'000'000'000;
    big.Balance = 2'999'999'500;
    lines.push_back(big);
    JournalLine zero = big;
    zero.Amount.reset();
    zero.Settlement = 2'999'999'500;
    zero.Balance = 0;
    lines.push_back(zero);
    LedgerReport r = Ledger(lines);
    auto p = Texts(r.Pages[0]);
    EXPECT_EQ(At(p, "zandaka1"), "-500");
    EXPECT_EQ(At(p, "zandaka2"), " 2999999500");
    EXPECT_EQ(At(p, "zandaka3"), " 0");
    EXPECT_EQ(At(p, "uriage2"), "3000000000");
    EXPECT_EQ(At(p, "uriage32"), "3000000000");
    EXPECT_EQ(At(p, "ukeire32"), "2999999500");
    EXPECT_EQ(At(p, "zandaka32"), "0");
    // Kinds as the control receives them: a Long that fits, digits that do not.
    for (const FieldWrite& w : r.Pages[0].Writes) {
        if (w.Name == "uriage32") { EXPECT_EQ(w.Value.Vt(), VT_BSTR); }
        if (w.Name == "ukeire32") { EXPECT_EQ(w.Value.Vt(), VT_BSTR); }
        if (w.Name == "zandaka32") { EXPECT_EQ(w.Value.Vt(), VT_I4); }
    }
}

TEST(LedgerPages, NullFiguresLeaveTheirObjectsEmpty)
{
    std::vector<JournalLine> lines = PurchaseLines(1);
    lines[1].Item.reset();
    lines[1].Quantity.reset();
    lines[1].DebitCredit = "";
    auto p = Texts(Ledger(lines).Pages[0]);
    EXPECT_EQ(At(p, "hinmei2"), "");
    EXPECT_EQ(At(p, "suuryou2"), "");
    EXPECT_EQ(At(p, "kashi2"), "");
    EXPECT_EQ(At(p, "tanka2"), "1000");
}

TEST(LedgerPages, SalesHeadings)
{
    LedgerReport r = Ledger(PurchaseLines(1), JournalSide::Sales);
    std::map<std::string, std::string> header;
    for (const FieldWrite& w : r.Header) header[w.Name] = w.Value.ToString();
    EXPECT_EQ(header["売上金額"], "売 上 金 額");
    EXPECT_EQ(header["受入金額"], "受 入 金 額");
    EXPECT_EQ(header["氏名"], FixedText("山田商店", 50));
}

TEST(LedgerPages, NoLinesNoPages)
{
    LedgerReport r = Ledger({});
    EXPECT_TRUE(r.Pages.empty());
    EXPECT_TRUE(r.Header.empty());
}
