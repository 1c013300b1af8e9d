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
