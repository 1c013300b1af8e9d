#include "ledger/common/FiscalPeriod.h"
#include "ledger/common/JournalSide.h"
#include "ledger/common/LedgerSchema.h"
#include "platform/db/Recordset.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

CompanySettings Fiscal(float sy, float sm, float sd, float ey, float em, float ed)
{
    CompanySettings s;
    s.StartYear = sy, s.StartMonth = sm, s.StartDay = sd;
    s.EndYear = ey, s.EndMonth = em, s.EndDay = ed;
    return s;
}

struct PeriodLines : ::testing::Test {
    nvtest::TempDir dir;
    Database db;

    void SetUp() override
    {
        std::string path = dir.file("補助簿DB.MDB");
        CreateEmptyLedgerDatabase(path);
        db = OpenLedgerDatabase(path);
    }

    void Add(const SideWords& w, int64_t party, int y, int m, int d)
    {
        db.Execute(std::string("INSERT INTO \"") + w.LineTable + "\" (\"" + w.PartyNo +
                       "\", \"年\", \"月\", \"日\", \"品名\") VALUES (?, ?, ?, ?, 'x')",
                   {party, int64_t{y}, int64_t{m}, int64_t{d}});
    }

    std::vector<LineDate> Dates(const SideWords& w, int64_t party, const FiscalPeriod& p)
    {
        Recordset rs = db.OpenRecordset(PeriodLinesSource(w, party, p));
        std::vector<LineDate> out;
        for (; !rs.IsEOF(); rs.MoveNext()) out.push_back(LineDateOf(rs));
        return out;
    }
};

} // namespace

TEST(JournalSide, WordsOfBothSides)
{
    const SideWords& p = WordsOf(JournalSide::Purchases);
    const SideWords& s = WordsOf(JournalSide::Sales);
    EXPECT_STREQ(p.LineTable, kTablePurchases);
    EXPECT_STREQ(s.LineTable, kTableSales);
    EXPECT_STREQ(p.PartyTable, kTableSuppliers);
    EXPECT_STREQ(s.PartyTable, kTableCustomers);
    EXPECT_STREQ(s.PartyNo, "売上先No");
    EXPECT_STREQ(s.Settlement, "受入金額");
    EXPECT_STREQ(s.NumberFormat, "currency");
    EXPECT_EQ(SideOfMenuMode(1), JournalSide::Purchases);
    EXPECT_EQ(SideOfMenuMode(2), JournalSide::Sales);
    EXPECT_FALSE(SideOfMenuMode(3));
    EXPECT_FALSE(SideOfMenuMode(0));
}

TEST(FiscalPeriod, FromSettings)
{
    FiscalPeriod p = FiscalPeriod::From(Fiscal(2005, 4, 1, 2006, 3, 31));
    EXPECT_EQ(p.Start, (LineDate{2005, 4, 1}));
    EXPECT_EQ(p.End, (LineDate{2006, 3, 31}));
    // An end day past the month's end is the month's last day.
    EXPECT_EQ(FiscalPeriod::From(Fiscal(2005, 3, 1, 2006, 2, 31)).End, (LineDate{2006, 2, 28}));
    EXPECT_EQ(FiscalPeriod::From(Fiscal(2003, 3, 1, 2004, 2, 30)).End, (LineDate{2004, 2, 29}));
    // The end an earlier version gave a mid-month start is the one its start makes.
    EXPECT_EQ(FiscalPeriod::From(Fiscal(2026, 1, 16, 2026, 12, 31)).End, (LineDate{2027, 1, 15}));
    const CompanySettings bad[] = {
        Fiscal(2005, 13, 1, 2006, 3, 31), Fiscal(2005, 4, 0, 2006, 3, 31), Fiscal(2005, 2, 30, 2006, 1, 31),
        Fiscal(2005, 4, 1.5f, 2006, 3, 31), Fiscal(2006, 4, 1, 2005, 3, 31), Fiscal(0, 0, 0, 0, 0, 0),
        Fiscal(2005, 4, 1, 2006, 3, 0),
    };
    for (const CompanySettings& s : bad) EXPECT_THROW(FiscalPeriod::From(s), std::invalid_argument);
}

TEST(FiscalPeriod, WholeDatesAndYears)
{
    FiscalPeriod p = FiscalPeriod::From(Fiscal(2005, 4, 16, 2006, 4, 15));
    struct {
        LineDate d;
        bool in;
    } rows[] = {
        {{2005, 4, 15}, false}, {{2005, 4, 16}, true}, {{2005, 5, 3}, true},  {{2006, 3, 20}, true},
        {{2006, 4, 10}, true},  {{2006, 4, 15}, true}, {{2006, 4, 16}, false}, {{2006, 2, 30}, false},
        {{2005, 4, 10}, false}, {{2006, 4, 20}, false},
    };
    for (auto& r : rows) EXPECT_EQ(p.Contains(r.d), r.in) << r.d.year << "/" << r.d.month << "/" << r.d.day;
    EXPECT_EQ(p.YearOf(4, 16), 2005);
    EXPECT_EQ(p.YearOf(4, 10), 2006);
    EXPECT_EQ(p.YearOf(12, 1), 2005);
    EXPECT_EQ(p.YearOf(1, 20), 2006);
    FiscalPeriod calendar = FiscalPeriod::From(Fiscal(2005, 1, 1, 2005, 12, 31));
    EXPECT_EQ(calendar.YearOf(1, 1), 2005);
    EXPECT_EQ(calendar.YearOf(12, 31), 2005);
}

TEST_F(PeriodLines, PicksThePartysLinesOfTheWholeDatesInJournalOrder)
{
    for (const SideWords* w : {&PurchaseWords(), &SalesWords()}) {
        Add(*w, 7, 2006, 4, 1);
        Add(*w, 7, 2006, 3, 31);
        Add(*w, 7, 2005, 12, 31);
        Add(*w, 7, 2005, 3, 31);
        Add(*w, 7, 2006, 1, 1);
        Add(*w, 7, 2005, 4, 1);
        Add(*w, 8, 2005, 5, 1);
        Add(*w, 7, 2005, 5, 3);
        Add(*w, 7, 2005, 4, 10);
        Add(*w, 7, 2006, 4, 20);
        Add(*w, 7, 2006, 3, 20);
        FiscalPeriod year = FiscalPeriod::From(Fiscal(2005, 4, 1, 2006, 3, 31));
        EXPECT_EQ(Dates(*w, 7, year),
                  (std::vector<LineDate>{{2005, 4, 1}, {2005, 4, 10}, {2005, 5, 3}, {2005, 12, 31}, {2006, 1, 1},
                                         {2006, 3, 20}, {2006, 3, 31}}));
        FiscalPeriod mid = FiscalPeriod::From(Fiscal(2005, 4, 16, 2006, 4, 15));
        EXPECT_EQ(Dates(*w, 7, mid), (std::vector<LineDate>{{2005, 5, 3}, {2005, 12, 31}, {2006, 1, 1},
                                                             {2006, 3, 20}, {2006, 3, 31}, {2006, 4, 1}}));
        EXPECT_EQ(Dates(*w, 8, year).size(), 1u);
        EXPECT_TRUE(Dates(*w, 9, year).empty());
    }
}

TEST_F(PeriodLines, NullDatePartsNeverMatchAndTheQualifierIsUsed)
{
    db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"年\", \"月\", \"日\") VALUES (1, NULL, 5, 1)");
    db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"年\", \"月\", \"日\") VALUES (1, 2005, 5, NULL)");
    FiscalPeriod year = FiscalPeriod::From(Fiscal(2005, 4, 1, 2006, 3, 31));
    EXPECT_TRUE(Dates(PurchaseWords(), 1, year).empty());
    Add(PurchaseWords(), 1, 2005, 5, 2);
    SqlCondition c = PeriodCondition(year, "仕入れデータ");
    EXPECT_EQ(db.QueryValue("SELECT count(*) FROM \"仕入れデータ\" WHERE " + c.Sql, c.Params), DbValue(int64_t{1}));
}

TEST(EntryValues, NumbersTextsAndFailures)
{
    struct {
        const char* text;
        std::optional<double> value;
    } rows[] = {
        {"123", 123}, {"１２３", 123}, {" 1,500 ", 1500}, {"－５", -5}, {"1250.25", 1250.25}, {"　７　", 7},
        {"abc", std::nullopt}, {"1e400", std::nullopt}, {"", std::nullopt}, {"  ", std::nullopt},
        {"12a", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt}, {"0x10", std::nullopt},
    };
    for (auto& r : rows) EXPECT_EQ(ParseNumberText(r.text), r.value) << r.text;

    EntryArray a{int64_t{40000}, std::string("abc"), 7.5, std::monostate{}, std::string("１２"), 1e20};
    EXPECT_EQ(EntryWholeAt(a, 0, "A", "番号"), 40000);
    EXPECT_EQ(EntryWholeAt(a, 4, "A", "番号"), 12);
    EXPECT_EQ(EntryWholeAt(a, 3, "A", "番号"), 0);
    EXPECT_EQ(EntryYenAt(a, 2, "A", "金額"), 8);
    EXPECT_EQ(EntryTextAt(a, 2, "A", "名"), "7.5");
    struct {
        size_t i;
        bool whole;
    } bad[] = {{1, true}, {2, true}, {5, true}, {6, true}, {1, false}, {5, false}, {9, false}};
    for (auto& b : bad) {
        try {
            if (b.whole) EntryWholeAt(a, b.i, "A", "番号");
            else EntryYenAt(a, b.i, "A", "金額");
            ADD_FAILURE() << b.i;
        } catch (const EntryError& e) {
            EXPECT_EQ(e.Index(), b.i);
            EXPECT_NE(std::string(e.what()).find(b.whole ? "番号" : "金額"), std::string::npos) << e.what();
        }
    }
}

TEST(EntryValues, SettingsArrayReportsMissingAndMistypedElements)
{
    CompanySettings s;
    s.StartYear = 2005;
    SettingsArray full = MakeSettingsArray(s);
    EntryArray e;
    for (const SettingsValue& v : full) {
        if (auto f = std::get_if<float>(&v)) e.emplace_back(static_cast<double>(*f));
        else if (auto t = std::get_if<std::string>(&v)) e.emplace_back(*t);
        else e.emplace_back(std::monostate{});
    }
    e[9] = std::string("４");
    CompanySettings t;
    UnpackSettingsArray(e, t);
    EXPECT_EQ(t.StartYear, 2005.0f);
    EXPECT_EQ(t.StartMonth, 4.0f);

    CompanySettings kept = t;
    EntryArray mistyped = e;
    mistyped[11] = std::string("二〇〇六");
    try {
        UnpackSettingsArray(mistyped, t);
        ADD_FAILURE();
    } catch (const EntryError& err) {
        EXPECT_EQ(err.Index(), 11u);
        EXPECT_NE(std::string(err.what()).find("Var_自社登録(11)"), std::string::npos);
    }
    EXPECT_EQ(t, kept);
    EntryArray shorter(e.begin(), e.begin() + 21);
    EXPECT_THROW(UnpackSettingsArray(shorter, t), EntryError);
    mistyped = e;
    mistyped[8] = 1e300;
    EXPECT_THROW(UnpackSettingsArray(mistyped, t), EntryError);
    EXPECT_EQ(t, kept);
}
