// The balance passes keep what the user typed: lines that hold a value, typed
// amounts, a carry-forward fixed by hand; one pass is stable.
#include "JournalTestDb.h"

#include "ledger/common/Money.h"
#include "ledger/journal/JournalBook.h"

#include <gtest/gtest.h>

#include <random>

using namespace nv;
using nvtest::Balances;
using nvtest::JournalTestDb;
using nvtest::LineSpec;

namespace {

std::vector<std::string> Items(const JournalBook& b)
{
    std::vector<std::string> out;
    for (const JournalLine& l : b.Lines()) out.push_back(l.Item.value_or("<null>"));
    return out;
}

// A line stored as the database may hold it, Null データ数 included.
void AddRaw(JournalTestDb& t, int64_t party, std::optional<int64_t> dataNo, LineDate d, const char* item,
            std::optional<int64_t> amount, std::optional<int64_t> balance)
{
    auto opt = [](auto v) { return v ? DbValue(*v) : DbNull; };
    t.db.Execute("INSERT INTO \"" + std::string(t.Words().LineTable) + "\" (\"" + t.Words().PartyNo +
                     "\", \"データ数\", \"年\", \"月\", \"日\", \"品名\", \"" + t.Words().Amount +
                     "\", \"差引残高\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                 {party, opt(dataNo), int64_t{d.year}, int64_t{d.month}, int64_t{d.day},
                  item ? DbValue(std::string(item)) : DbNull, opt(amount), opt(balance)});
}

} // namespace

TEST(BalanceRules, ALineHoldingOnlyABalanceIsKeptAndTheFirstLineIsNeverDropped)
{
    JournalTestDb t;
    t.AddLine(7, {2005, 4, 1, nullptr, {}, {}, {}, {}, 120000});   // 品名 cleared
    t.AddLine(7, {2005, 4, 5, "材料", {}, {}, 1000});
    t.AddLine(7, {2005, 4, 6, nullptr});                           // nothing at all
    t.AddLine(7, {2005, 4, 7, nullptr, {}, {}, {}, {}, 5});         // a balance only
    JournalBook book(t.db, t.Entry(7, 0));
    book.OpenPass();
    EXPECT_EQ(Balances(book), (std::vector<int64_t>{120000, 121000, 121000}));
    EXPECT_EQ(t.StoredBalances(7), (std::vector<int64_t>{120000, 121000, 121000}));

    JournalTestDb empty;
    empty.AddLine(3, {2005, 4, 1, nullptr});
    empty.AddLine(3, {2005, 4, 2, nullptr});
    JournalBook first(empty.db, empty.Entry(3, 0));
    first.OpenPass();
    EXPECT_EQ(Items(first), (std::vector<std::string>{"<null>"}));
    EXPECT_EQ(empty.Dump().size(), 1u);
}

TEST(BalanceRules, ATypedAmountStandsAtTheNextOpeningAndAnEmptyOneTakesTheProduct)
{
    JournalTestDb t;
    t.AddLine(7, {2005, 4, 1, "繰越金額", {}, {}, {}, {}, 10000});
    t.AddLine(7, {2005, 4, 9, "釘", 2, 250.5});   // no amount stored
    JournalBook book(t.db, t.Entry(7, 10000));
    book.OpenPass();
    EXPECT_EQ(book.Lines()[1].Amount, 501);   // 501.0 to the yen
    const size_t row = book.NewLineIndex();
    book.SetCell(row, JournalColumn::Item, "板");
    book.SetCell(row, JournalColumn::Quantity, "3");
    book.SetCell(row, JournalColumn::UnitPrice, "1000");
    EXPECT_EQ(book.Lines()[2].Amount, 3000);
    book.SetCell(row, JournalColumn::Amount, "2900");   // a discount
    book.CalcRunningBalance();
    EXPECT_EQ(Balances(book), (std::vector<int64_t>{10000, 10501, 13401}));
    EXPECT_EQ(t.StoredBalances(7), (std::vector<int64_t>{10000, 10501, 13401}));
    const auto stored = t.Dump();

    JournalBook reopened(t.db, t.Entry(7, 10000));
    reopened.OpenPass();
    EXPECT_EQ(reopened.Lines()[2].Amount, 2900);
    EXPECT_EQ(Balances(reopened), (std::vector<int64_t>{10000, 10501, 13401}));
    EXPECT_EQ(t.Dump(), stored);
}

TEST(BalanceRules, PriceTimesQuantityIsOneRuleWhenTypedAndAtTheOpening)
{
    // Where the product becomes the amount, typed over an amount of 999 and
    // at the opening of a line stored without one; else the amount stays.
    struct Case {
        std::optional<double> quantity, price;
        std::optional<int64_t> amount;   // nothing: the amount stays
    } cases[] = {
        {2, 250.5, 501},
        {3, 0, 0},   // given free
        {0, 100, {}},
        {3, {}, {}},
    };
    auto text = [](std::optional<double> v) { return v ? std::to_string(*v) : std::string(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.quantity) + " x " + text(c.price));
        JournalTestDb t;
        t.AddLine(7, {2005, 4, 1, "繰越金額", {}, {}, {}, {}, 100});
        t.AddLine(7, {2005, 4, 9, "釘", c.quantity, c.price});
        JournalBook book(t.db, t.Entry(7, 100));
        book.OpenPass();
        EXPECT_EQ(book.Lines()[1].Amount, c.amount);
        book.SetCell(1, JournalColumn::Amount, "999");
        book.SetCell(1, JournalColumn::Quantity, text(c.quantity));
        book.SetCell(1, JournalColumn::UnitPrice, text(c.price));
        EXPECT_EQ(book.Lines()[1].Amount, c.amount.value_or(999));
    }
}

TEST(BalanceRules, AFirstLineOfBalanceZeroTakesTheCarryForwardWhateverItsName)
{
    // The register wrote the opening line of a party registered with 0; its
    // 繰越金額 is set to 50,000 later.
    struct Case {
        const char* item;
        int64_t balance;
        std::vector<std::string> items;
        std::vector<int64_t> opened, updated;
    } cases[] = {
        {"前期繰越金額", 0, {"繰越金額", "材料", "鋼材"}, {0, 1000, 3500}, {50000, 51000, 53500}},
        {"繰越金額", 0, {"繰越金額", "材料", "鋼材"}, {0, 1000, 3500}, {50000, 51000, 53500}},
        // A carry-forward fixed by hand stays.
        {"前期繰越金額", 7000, {"前期繰越金額", "材料", "鋼材"}, {7000, 8000, 10500}, {7000, 8000, 10500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " " + std::to_string(c.balance));
        JournalTestDb t;
        t.AddParty(7, "山田商店", 50000);
        t.AddLine(7, {2005, 4, 1, c.item, {}, {}, {}, {}, c.balance, 0});
        t.AddLine(7, {2005, 4, 5, "材料", {}, {}, 1000});
        t.AddLine(7, {2005, 4, 8, "鋼材", {}, {}, 2500});
        JournalBook book(t.db, t.Entry(7, 50000));
        book.OpenPass();
        EXPECT_EQ(Balances(book), c.opened);   // the opening never writes the carry-forward
        book.CalcRunningBalance();
        EXPECT_EQ(Items(book), c.items);
        EXPECT_EQ(Balances(book), c.updated);
        EXPECT_EQ(t.StoredBalances(7), c.updated);
    }
}

TEST(BalanceRules, TheCarryLineGoesFirstEvenBeforeALineWithoutDataNoAndOnePassIsStable)
{
    JournalTestDb t;
    AddRaw(t, 7, std::nullopt, {2005, 4, 1}, "材料", 1000, 0);
    AddRaw(t, 7, 1, {2005, 4, 5}, "釘", 500, 0);
    JournalBook book(t.db, t.Entry(7, 30000));
    book.SearchPeriod();
    book.CalcRunningBalance();
    EXPECT_EQ(Items(book), (std::vector<std::string>{"繰越金額", "材料", "釘"}));
    EXPECT_EQ(Balances(book), (std::vector<int64_t>{30000, 31000, 31500}));
    const auto stored = t.Dump();

    JournalBook again(t.db, t.Entry(7, 30000));
    again.SearchPeriod();
    EXPECT_EQ(Items(again), (std::vector<std::string>{"繰越金額", "材料", "釘"}));   // as the ledger prints them
    again.CalcRunningBalance();
    EXPECT_EQ(Balances(again), (std::vector<int64_t>{30000, 31000, 31500}));
    EXPECT_EQ(t.Dump(), stored);
}

namespace {

// A random journal of one party: every kind of line, Null fields included.
std::vector<JournalLine> RandomJournal(std::mt19937& rng, int64_t party)
{
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* items[] = {nullptr, "材料", "繰越金額", "前期繰越金額", "支払"};
    std::vector<JournalLine> lines(static_cast<size_t>(1 + pick(8)));
    for (JournalLine& l : lines) {
        l.PartyNo = party;
        const int day = 1 + pick(4);
        l.Year = 2005, l.Month = 4, l.Day = day;
        if (pick(4)) l.DataNo = pick(5);
        const int kind = pick(6);
        if (kind == 0) continue;   // nothing stored
        if (kind == 1) {           // a balance only
            l.Balance = pick(3) * 1000;
            continue;
        }
        if (const char* item = items[pick(5)]) l.Item = item;
        if (pick(2)) l.Quantity = pick(4) * 1.5;
        if (pick(2)) l.UnitPrice = pick(3) * 1000.0;
        if (pick(2)) l.Amount = pick(5) * 700;
        if (pick(3) == 0) l.Settlement = pick(4) * 300;
        if (pick(3) == 0) l.Balance = pick(3) * 100;
    }
    return lines;
}

void Store(JournalTestDb& t, const std::vector<JournalLine>& lines)
{
    std::string cols;
    for (const std::string& n : LineColumnNames(t.Words())) cols += (cols.empty() ? "\"" : ", \"") + n + "\"";
    for (const JournalLine& l : lines)
        t.db.Execute("INSERT INTO \"" + std::string(t.Words().LineTable) + "\" (" + cols +
                         ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     LineValues(l));
}

// What the user typed, without the balance a pass works out; the opening
// pass fills an empty amount of a line with 単価 and 数量 (fill).
std::vector<DbValue> Typed(JournalLine l, bool fill)
{
    l.RowId = 0;
    l.Balance.reset();
    if (fill && !l.Amount && l.HasPriceAndQuantity()) l.Amount = YenAmount(*l.UnitPrice, *l.Quantity);
    return LineValues(l);
}

void ExpectBalancesRecomputed(const JournalBook& book)
{
    const auto& lines = book.Lines();
    int64_t b = lines.front().Balance.value_or(0);
    for (size_t i = 1; i < lines.size(); ++i) {
        b += lines[i].Amount.value_or(0) - lines[i].Settlement.value_or(0);
        EXPECT_EQ(lines[i].Balance, b) << "line " << i + 1;
    }
}

} // namespace

TEST(BalanceRules, PropertyPassesKeepEveryValueAreStableAndAddUp)
{
    std::mt19937 rng(20051);
    for (int run = 0; run < 300; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const bool button = run % 2 == 1;
        JournalTestDb t;
        std::vector<JournalLine> original = RandomJournal(rng, 7);
        Store(t, original);
        const int64_t carry = 25000;
        JournalBook book(t.db, t.Entry(7, carry));
        book.SearchPeriod();
        const std::vector<JournalLine> loaded = book.Lines();
        button ? book.CalcRunningBalance() : book.OpenPass();
        const std::vector<JournalLine>& after = book.Lines();

        // The first line: kept as it was, except that the button gives a first
        // balance of 0 the carry-forward, whatever the line's name.
        const JournalLine& first = loaded.front();
        const bool carried = button && first.Balance.value_or(0) == 0;
        if (!carried) {
            EXPECT_EQ(LineValues(after.front()), LineValues(first));
        } else {
            EXPECT_EQ(after.front().Item, kCarryForwardItem);
            EXPECT_EQ(after.front().Balance, carry);
            if (!first.IsCarryForward()) {
                ASSERT_GE(after.size(), 2u);
                EXPECT_EQ(Typed(after[1], false), Typed(first, false));
            }
        }
        // Every later line holding a value is there, with what the user typed.
        std::vector<std::vector<DbValue>> want, got;
        for (size_t i = 1; i < loaded.size(); ++i)
            if (!loaded[i].IsWhollyEmpty()) want.push_back(Typed(loaded[i], !button));
        const size_t from = carried && !first.IsCarryForward() ? 2 : 1;
        for (size_t i = from; i < after.size(); ++i) got.push_back(Typed(after[i], false));
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want);
        ExpectBalancesRecomputed(book);

        // A second pass of the same kind writes nothing, and the lines load
        // back in the order the pass left them.
        const auto stored = t.Dump();
        JournalBook again(t.db, t.Entry(7, carry));
        again.SearchPeriod();
        button ? again.CalcRunningBalance() : again.OpenPass();
        EXPECT_EQ(t.Dump(), stored);
        ASSERT_EQ(again.Lines().size(), after.size());
        for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(LineValues(again.Lines()[i]), LineValues(after[i]));
    }
}
