#include "JournalTestDb.h"

#include "ledger/journal/JournalBook.h"
#include "platform/db/DbError.h"

#include <gtest/gtest.h>

using namespace nv;
using nvtest::Balances;
using nvtest::JournalTestDb;
using nvtest::LineSpec;

namespace {

class BothSides : public ::testing::TestWithParam<JournalSide> {};

// The worked example: carry-forward, price times quantity (half to even), a
// payment beside a price, a January line, a line without 品名 that is kept.
void AddWorkedExample(JournalTestDb& t)
{
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 120000});
    t.AddLine(7, {2005, 4, 12, "ボルト", 36, 250});
    t.AddLine(7, {2005, 4, 30, "支払", {}, {}, {}, 50000});
    t.AddLine(7, {2005, 5, 10, "ナット", 2, 1250.25});
    t.AddLine(7, {2005, 5, 31, "座金", 2, 1500, {}, 400});
    t.AddLine(7, {2006, 1, 20, "鋼材", {}, {}, 15000, 5000});
    t.AddLine(7, {2006, 3, 31, nullptr, {}, {}, {}, 10000});
    t.AddLine(8, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 999});
}

const std::vector<int64_t> kWorkedBalances{120000, 129000, 79000, 81500, 84100, 94100, 84100};

} // namespace

TEST_P(BothSides, OpenPassBalancesTheWorkedExampleAndASecondPassWritesNothing)
{
    JournalTestDb t(GetParam());
    AddWorkedExample(t);
    nvtest::StatusLog status;
    JournalBook book(t.db, t.Entry(7, 120000), &status);
    EXPECT_EQ(book.OpenPass(), "");
    EXPECT_EQ(Balances(book), kWorkedBalances);
    EXPECT_EQ(book.Lines()[1].Amount, 9000);
    EXPECT_EQ(book.Lines()[3].Amount, 2500);
    EXPECT_EQ(book.Lines()[4].Amount, 3000);
    EXPECT_EQ(t.StoredBalances(7), kWorkedBalances);
    EXPECT_EQ(t.StoredBalances(8), (std::vector<int64_t>{999}));
    EXPECT_EQ(status.texts, (std::vector<std::string>{kStatusWorking, kStatusSearchDone, kStatusWorking,
                                                      kStatusWorkDone}));
    ASSERT_TRUE(book.NewLine());
    EXPECT_EQ(book.NewLine()->Month, 3);
    EXPECT_EQ(book.NewLine()->Year, 2006);

    auto before = t.Dump();
    JournalBook again(t.db, t.Entry(7, 120000));
    again.OpenPass();
    EXPECT_EQ(Balances(again), kWorkedBalances);
    EXPECT_EQ(again.CalcRunningBalance(), "");
    EXPECT_FALSE(again.Dirty());
    EXPECT_EQ(t.Dump(), before);   // same row ids: nothing was written
}

TEST_P(BothSides, RecomputeAddsTheCarryForwardBeforeARealFirstLine)
{
    JournalTestDb t(GetParam());
    t.AddLine(9, {2005, 4, 5, "仕入", {}, {}, 5000, {}, 0});
    JournalBook book(t.db, t.Entry(9, 30000));
    book.OpenPass();
    EXPECT_EQ(Balances(book), (std::vector<int64_t>{0}));   // the opening pass leaves the first line
    book.CalcRunningBalance();
    ASSERT_EQ(book.Lines().size(), 2u);
    EXPECT_EQ(book.Lines()[0].Item, "繰越金額");
    EXPECT_EQ(book.Lines()[0].Day, 1);
    EXPECT_EQ(book.Lines()[1].Day, 5);
    EXPECT_EQ(book.Lines()[1].Amount, 5000);
    EXPECT_EQ(t.StoredBalances(9), (std::vector<int64_t>{30000, 35000}));

    // A carry-forward line of balance 0 takes the party's amount instead.
    t.AddLine(10, {2005, 4, 2, "繰越金額"});
    t.AddLine(10, {2005, 4, 5, "仕入", {}, {}, 100});
    JournalBook other(t.db, t.Entry(10, 700));
    other.OpenPass();
    other.CalcRunningBalance();
    EXPECT_EQ(t.StoredBalances(10), (std::vector<int64_t>{700, 800}));
    EXPECT_EQ(other.Lines()[0].Item, "繰越金額");
    EXPECT_EQ(other.Lines()[0].Day, 1);
}

TEST_P(BothSides, OnlyWhollyEmptyLinesAreDropped)
{
    JournalTestDb t(GetParam());
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 100});
    t.AddLine(7, {2005, 4, 2});
    t.AddLine(7, {2005, 4, 3, nullptr, 2, 10});
    t.AddLine(7, {2005, 4, 4});
    JournalBook book(t.db, t.Entry(7, 100));
    book.OpenPass();
    EXPECT_EQ(t.StoredBalances(7), (std::vector<int64_t>{100, 120}));
}

TEST_P(BothSides, NoLineShowsTheMessageWritesNothingAndOffersALine)
{
    JournalTestDb t(GetParam());
    t.AddLine(7, {2005, 3, 31, "前期", {}, {}, {}, {}, 5});
    auto before = t.Dump();
    nvtest::StatusLog status;
    JournalBook book(t.db, t.Entry(7, 0), &status);
    EXPECT_EQ(book.OpenPass(), kNoCarryForwardMessage);
    std::vector<std::string> shown{kStatusWorking, kStatusSearchDone, kStatusWorking, kStatusWorkDone};
    if (GetParam() == JournalSide::Sales) shown.erase(shown.begin() + 2);
    EXPECT_EQ(status.texts, shown);
    EXPECT_EQ(book.CalcRunningBalance(), kNoCarryForwardMessage);
    EXPECT_EQ(t.Dump(), before);
    ASSERT_TRUE(book.NewLine());
    EXPECT_EQ(book.NewLine()->PartyNo, 7);
    EXPECT_EQ(book.NewLine()->Year, 2005);
    EXPECT_EQ(book.NewLine()->Month, 4);
    EXPECT_EQ(book.NewLine()->Day, 1);
    EXPECT_EQ(book.NewLine()->DataNo, 1);
}

TEST_P(BothSides, NewLinesTakePartyDateAndTheNextDataNoAndYearsFollowMonths)
{
    JournalTestDb t(GetParam());
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 100, 12});
    t.AddLine(7, {2005, 12, 20, "a", {}, {}, 10, {}, {}, 3});
    JournalBook book(t.db, t.Entry(7, 100));
    book.OpenPass();
    ASSERT_TRUE(book.NewLine());
    EXPECT_EQ(book.NewLine()->DataNo, 13);
    EXPECT_EQ(book.NewLine()->Month, 12);
    EXPECT_EQ(book.NewLine()->Day, 20);
    EXPECT_EQ(book.Lines().size(), 2u);   // offered, not a line yet
    EXPECT_FALSE(book.Dirty());

    size_t i = book.NewLineIndex();
    book.SetCell(i, JournalColumn::Month, "１");
    EXPECT_EQ(book.Lines().size(), 3u);
    EXPECT_FALSE(book.NewLine());
    EXPECT_EQ(book.Lines()[i].Year, 2006);
    EXPECT_EQ(book.Lines()[i].PartyNo, 7);
    book.SetCell(i, JournalColumn::Item, "一月分");
    book.SetCell(i, JournalColumn::Amount, "2,000");
    EXPECT_FALSE(book.EnterOnBalanceCell(0));
    EXPECT_FALSE(book.NewLine());
    EXPECT_TRUE(book.EnterOnBalanceCell(i));
    ASSERT_TRUE(book.NewLine());
    EXPECT_EQ(book.NewLine()->Month, 1);
    EXPECT_EQ(book.NewLine()->DataNo, 14);
    EXPECT_TRUE(book.Save());

    // Dropped without any closing step, then opened again: the January line is
    // in the period with its year.
    JournalBook reopened(t.db, t.Entry(7, 100));
    reopened.OpenPass();
    ASSERT_EQ(reopened.Lines().size(), 3u);
    EXPECT_EQ(reopened.Lines()[2].Item, "一月分");
    EXPECT_EQ(reopened.Lines()[2].Year, 2006);
    EXPECT_EQ(Balances(reopened), (std::vector<int64_t>{100, 110, 2110}));
}

TEST_P(BothSides, TypedCellsAreCheckedAndNamed)
{
    JournalTestDb t(GetParam());
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 100});
    t.AddLine(7, {2005, 4, 2, "a", 3, 100, 300});
    JournalBook book(t.db, t.Entry(7, 100));
    book.OpenPass();
    const std::string amount = t.Words().Amount;
    struct {
        JournalColumn column;
        const char* text;
        const char* named;
    } refused[] = {
        {JournalColumn::Quantity, "abc", "数量"},
        {JournalColumn::Quantity, "1e400", "数量"},
        {JournalColumn::UnitPrice, "1e20", "単価"},
        {JournalColumn::Amount, "1e400", amount.c_str()},
        {JournalColumn::Amount, "9e18", amount.c_str()},
        {JournalColumn::Day, "31", "日"},
        {JournalColumn::Month, "13", "月"},
        {JournalColumn::Year, "2006", "年"},
        {JournalColumn::Day, "", "日"},
        {JournalColumn::Item, "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一",
         "品名"},
        {JournalColumn::Item, "\xF0\x9F\x98\x80", "品名"},
        {JournalColumn::PartyNo, "8", t.Words().PartyNo},
    };
    const JournalLine kept = book.Lines()[1];
    for (auto& r : refused) {
        try {
            book.SetCell(1, r.column, r.text);
            ADD_FAILURE() << r.text;
        } catch (const JournalError& e) {
            EXPECT_NE(std::string(e.what()).find(r.named), std::string::npos) << e.what();
        }
        EXPECT_EQ(book.Lines()[1].Amount, kept.Amount);
        EXPECT_EQ(book.Lines()[1].Quantity, kept.Quantity);
        EXPECT_EQ(book.Lines()[1].Day, kept.Day);
        EXPECT_EQ(book.Lines()[1].Item, kept.Item);
    }
    book.SetCell(1, JournalColumn::Month, "2");
    EXPECT_THROW(book.SetCell(1, JournalColumn::Day, "30"), JournalError);   // 2/30
    book.SetCell(1, JournalColumn::Day, "28");
    EXPECT_EQ(book.Lines()[1].Year, 2006);
    book.SetCell(1, JournalColumn::Quantity, "１２３");
    EXPECT_EQ(book.Lines()[1].Quantity, 123.0);
    EXPECT_EQ(book.Lines()[1].Amount, 12300);
    book.SetCell(1, JournalColumn::Quantity, "0");
    EXPECT_EQ(book.Lines()[1].Amount, 12300);   // quantity 0 keeps the typed amount
    book.SetCell(1, JournalColumn::Amount, "");
    EXPECT_FALSE(book.Lines()[1].Amount);
    book.SetCell(1, JournalColumn::UnitPrice, " ");
    EXPECT_FALSE(book.Lines()[1].UnitPrice);
    // 50 characters is the width, taken whole.
    std::string fifty;
    for (int k = 0; k < 50; ++k) fifty += "品";
    book.SetCell(1, JournalColumn::Item, fifty);
    EXPECT_EQ(book.Lines()[1].Item, fifty);
    book.SetCell(1, JournalColumn::Item, "'); DROP TABLE 仕入れデータ;--");
    EXPECT_TRUE(book.Save());
    EXPECT_EQ(t.db.QueryValue(std::string("SELECT \"品名\" FROM \"") + t.Words().LineTable + "\" WHERE \"日\" = 28"),
              DbValue(std::string("'); DROP TABLE 仕入れデータ;--")));
}

TEST_P(BothSides, DatesOutsideAShortYearAreRefused)
{
    JournalTestDb t(GetParam());
    t.SetFiscal(2005, 7, 1, 2005, 12, 31);
    t.AddLine(7, {2005, 7, 1, "前期繰越金額", {}, {}, {}, {}, 100});
    JournalBook book(t.db, t.Entry(7, 100));
    book.OpenPass();
    try {
        book.SetCell(0, JournalColumn::Month, "3");
        ADD_FAILURE();
    } catch (const JournalError& e) {
        EXPECT_STREQ(e.what(), "月: 会計期間 (2005/7/1～2005/12/31) の外の日付です (2005/3/1)");   // which year
    }
    EXPECT_EQ(book.Lines()[0].Month, 7);
    // A year from the 16th in a file of an earlier version keeps 10/1-10/15.
    t.SetFiscal(2025, 10, 16, 2026, 9, 31);
    JournalBook mid(t.db, t.Entry(7, 100));
    mid.OpenPass();
    mid.SetCell(mid.NewLineIndex(), JournalColumn::Day, "10");
    EXPECT_EQ(mid.Lines().back().Year, 2026);
    EXPECT_TRUE(mid.Save());
}

TEST_P(BothSides, AFailedSaveWritesNothingAndKeepsTheEdits)
{
    // A save that deletes, updates and inserts, refused at each of its
    // writes in turn: what was written before the refusal goes back too.
    for (const char* refused : {"DELETE", "UPDATE", "INSERT"}) {
        SCOPED_TRACE(refused);
        JournalTestDb t(GetParam());
        AddWorkedExample(t);
        auto before = t.Dump();
        JournalBook book(t.db, t.Entry(7, 120000));
        book.SearchPeriod();
        book.DeleteLine(3);
        book.SetCell(2, JournalColumn::Item, "直した行");
        book.AppendNewLine();
        book.SetCell(book.NewLineIndex(), JournalColumn::Item, "新しい行");
        t.db.Execute(std::string("CREATE TRIGGER refuse BEFORE ") + refused + " ON \"" + t.Words().LineTable +
                     "\" BEGIN SELECT RAISE(ABORT, 'refused'); END");
        EXPECT_THROW(book.Save(), JournalError);
        EXPECT_EQ(t.Dump(), before);
        EXPECT_EQ(book.Lines()[2].Item, "直した行");
        EXPECT_EQ(book.Lines().back().Item, "新しい行");
        EXPECT_EQ(book.Lines().back().RowId, 0);
        EXPECT_TRUE(book.Dirty());
        t.db.Execute("DROP TRIGGER refuse");
        EXPECT_TRUE(book.Save());
        EXPECT_NE(t.Dump(), before);
    }
    JournalTestDb t(GetParam());
    AddWorkedExample(t);
    auto before = t.Dump();
    JournalBook book(t.db, t.Entry(7, 120000));
    book.SearchPeriod();
    book.SetCell(2, JournalColumn::Item, "待たされる行");

    // Another connection holds the write lock: busy, then a retry succeeds.
    t.db.SetBusyTimeout(20);
    Database other = Database::Open(t.path);
    other.BeginTrans();
    try {
        book.Save();
        ADD_FAILURE();
    } catch (const JournalError& e) {
        EXPECT_STREQ(e.what(), kBusyMessage);
    }
    other.Rollback();
    EXPECT_EQ(t.Dump(), before);
    EXPECT_TRUE(book.Save());
    EXPECT_FALSE(book.Dirty());
    EXPECT_EQ(t.db.QueryValue(std::string("SELECT count(*) FROM \"") + t.Words().LineTable + "\""),
              DbValue(int64_t{8}));

    // A row changed elsewhere since loading refuses a save that writes it.
    book.SetCell(1, JournalColumn::Item, "x");
    other.Execute(std::string("UPDATE \"") + t.Words().LineTable + "\" SET \"差引残高\" = 1 WHERE \"日\" = 12");
    auto changed = t.Dump();
    try {
        book.Save();
        ADD_FAILURE();
    } catch (const JournalError& e) {
        EXPECT_STREQ(e.what(), kChangedElsewhereMessage);
    }
    EXPECT_EQ(t.Dump(), changed);
}

TEST_P(BothSides, AFailedSearchShowsNothing)
{
    JournalTestDb t(GetParam());
    AddWorkedExample(t);
    nvtest::StatusLog status;
    JournalBook book(t.db, t.Entry(7, 120000), &status);
    book.SearchPeriod();
    EXPECT_EQ(book.Lines().size(), 7u);
    t.db.Execute(std::string("ALTER TABLE \"") + t.Words().LineTable + "\" RENAME TO gone");
    EXPECT_THROW(book.OpenPass(), JournalError);
    EXPECT_TRUE(book.Lines().empty());
    EXPECT_EQ(status.texts.back(), kStatusSearchFailed);
}

INSTANTIATE_TEST_SUITE_P(Journal, BothSides, ::testing::Values(JournalSide::Purchases, JournalSide::Sales),
                         [](const auto& info) { return info.param == JournalSide::Sales ? "Sales" : "Purchases"; });

TEST(JournalYears, StaleYearsFollowTheirMonthAndLongYearsKeepTheirLines)
{
    JournalTestDb t;
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 100});
    t.AddLine(7, {2005, 12, 1, "a", {}, {}, 1});
    JournalBook book(t.db, t.Entry(7, 100));
    book.OpenPass();
    size_t i = book.NewLineIndex();
    book.SetCell(i, JournalColumn::Item, "b");
    book.FixLineYears();
    EXPECT_EQ(book.Lines()[2].Year, 2005);

    // Thirteen months: 2006/4/20 is inside as it stands and keeps its year.
    JournalTestDb longYear;
    longYear.SetFiscal(2005, 4, 1, 2006, 4, 30);
    longYear.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 100});
    longYear.AddLine(7, {2006, 4, 20, "a", {}, {}, 1});
    JournalBook lb(longYear.db, longYear.Entry(7, 100));
    lb.OpenPass();
    lb.CalcRunningBalance();
    EXPECT_EQ(lb.Lines()[1].Year, 2006);
    EXPECT_EQ(longYear.StoredBalances(7), (std::vector<int64_t>{100, 101}));
}

TEST(JournalOverflow, StoredFiguresBeyondALineAreRefusedNotWrapped)
{
    JournalTestDb t;
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, INT64_MAX - 5});
    t.AddLine(7, {2005, 4, 2, "a", {}, {}, 10});
    t.AddLine(8, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 0});
    t.AddLine(8, {2005, 4, 2, "a", 1e20, 5});
    auto before = t.Dump();
    JournalBook book(t.db, t.Entry(7, 0));
    EXPECT_THROW(book.OpenPass(), JournalError);
    JournalBook big(t.db, t.Entry(8, 0));
    EXPECT_THROW(big.OpenPass(), JournalError);
    EXPECT_EQ(t.Dump(), before);

    // A balance the year end could not carry into 繰越金額 is refused at the
    // balance passes in the carry-forward's words, and nothing is written.
    struct {
        int64_t carry;
        const char* amount;
        const char* refusal;   // nullptr: balanced and saved
    } range[] = {
        {1400, "9999999999", "差引残高 10000001399 が範囲 (-2147483648 から 2147483647) を超えています (2行目)"},
        {1400, "2147482247", nullptr},
        {-1400, "-2147482249", "差引残高 -2147483649 が範囲 (-2147483648 から 2147483647) を超えています (2行目)"},
    };
    for (const auto& r : range) {
        JournalTestDb one;
        one.AddLine(9, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, r.carry});
        one.AddLine(9, {2005, 4, 2, "a", {}, {}, 0, {}, r.carry});
        JournalBook book(one.db, one.Entry(9, 0));
        book.OpenPass();
        const auto stored = one.Dump();
        book.SetCell(1, JournalColumn::Amount, r.amount);
        try {
            book.CalcRunningBalance();
            EXPECT_EQ(one.StoredBalances(9), (std::vector<int64_t>{r.carry, 2147483647}));
            EXPECT_FALSE(r.refusal);
        } catch (const JournalError& e) {
            EXPECT_STREQ(e.what(), r.refusal ? r.refusal : "balanced");
            EXPECT_EQ(one.Dump(), stored);
        }
    }
}
