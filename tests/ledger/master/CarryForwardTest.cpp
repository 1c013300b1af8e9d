#include "ledger/common/LedgerSchema.h"
#include "ledger/master/CarryForward.h"
#include "platform/db/DbError.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>

using namespace nv;

namespace {

constexpr JournalSide P = JournalSide::Purchases;
constexpr JournalSide S = JournalSide::Sales;
const DbValue N = DbNull;

DbValue I(int64_t v)
{
    return v;
}

struct RecordingBar : StatusBarPanels {
    std::vector<std::string> texts;
    void SetPanelText(int panel, const std::string& text) override
    {
        EXPECT_EQ(panel, 1);
        texts.push_back(text);
    }
};

// データ数, 年, 月, 日, 品名, amount, settlement, 差引残高
using Line = std::vector<DbValue>;
using Rows = std::map<int64_t, std::vector<DbValue>>;   // by row id
using Snapshot = std::map<std::string, Rows>;

Line L(int64_t dataNo, int64_t y, int64_t m, int64_t d, const char* item, DbValue amount, DbValue settle,
       DbValue balance = DbNull)
{
    return {dataNo, y, m, d, std::string(item), amount, settle, balance};
}

Line Carry(int64_t dataNo, int64_t y, int64_t m, int64_t d, int64_t balance)
{
    return L(dataNo, y, m, d, kCarryLineName, N, N, balance);
}

struct CarryForward : ::testing::Test {
    nvtest::TempDir dir;
    std::string path = dir.file("補助簿DB.MDB");
    Database db;
    CompanySettings settings;
    RecordingBar bar;

    void SetUp() override
    {
        CreateEmptyLedgerDatabase(path);
        db = OpenLedgerDatabase(path);
        db.Execute("PRAGMA synchronous = OFF");   // test speed only
        SetYear(2005, 4, 1, 2006, 3, 31);
        settings.PurchaseClosingDay = "末日";
        settings.SalesClosingDay = "２０日";
    }

    void SetYear(float sy, float sm, float sd, float ey, float em, float ed)
    {
        settings.StartYear = sy, settings.StartMonth = sm, settings.StartDay = sd;
        settings.EndYear = ey, settings.EndMonth = em, settings.EndDay = ed;
    }

    static std::string Q(const char* name) { return std::string("\"") + name + "\""; }

    void Party(JournalSide side, int64_t no, const char* name, DbValue carry, const char* closing = "２５日")
    {
        const SideWords& w = WordsOf(side);
        db.Execute("INSERT INTO " + Q(w.PartyTable) + " (" + Q(w.PartyNo) + ", " + Q(w.PartyName) +
                       ", \"繰越金額\", \"〆切期日\", \"住所\") VALUES (?, ?, ?, ?, '東京都')",
                   {no, std::string(name), carry, std::string(closing)});
    }

    int64_t Add(JournalSide side, int64_t party, const Line& l)
    {
        const SideWords& w = WordsOf(side);
        std::vector<DbValue> params{party};
        params.insert(params.end(), l.begin(), l.end());
        db.Execute("INSERT INTO " + Q(w.LineTable) + " (" + Q(w.PartyNo) +
                       ", \"データ数\", \"年\", \"月\", \"日\", \"品名\", " + Q(w.Amount) + ", " + Q(w.Settlement) +
                       ", \"差引残高\", \"単価\", \"借貸\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 1.5, '貸')",
                   params);
        return db.LastInsertRowId();
    }

    // A party's lines from the given date on, in journal order.
    std::vector<Line> LinesFrom(JournalSide side, int64_t party, int64_t y, int64_t m, int64_t d)
    {
        const SideWords& w = WordsOf(side);
        return db.Query("SELECT \"データ数\", \"年\", \"月\", \"日\", \"品名\", " + Q(w.Amount) + ", " +
                            Q(w.Settlement) + ", \"差引残高\" FROM " + Q(w.LineTable) + " WHERE " + Q(w.PartyNo) +
                            " = ? AND (\"年\", \"月\", \"日\") >= (?, ?, ?) ORDER BY " + kJournalOrderSql,
                        {party, y, m, d});
    }

    DbValue PartyValue(JournalSide side, int64_t no, const char* column)
    {
        const SideWords& w = WordsOf(side);
        return db.QueryValue("SELECT " + Q(column) + " FROM " + Q(w.PartyTable) + " WHERE " + Q(w.PartyNo) + " = ?",
                             {no});
    }

    Snapshot Snap()
    {
        Snapshot s;
        for (const char* t : {kTableSuppliers, kTableCustomers, kTablePurchases, kTableSales}) {
            if (IsNull(db.QueryValue("SELECT name FROM sqlite_master WHERE name = ?", {std::string(t)}))) continue;
            for (auto& row : db.Query(std::string("SELECT _rowid_, * FROM ") + Q(t))) {
                int64_t id = *IntegerOf(row[0]);
                row.erase(row.begin());
                s[t][id] = row;
            }
        }
        return s;
    }

    // The worked example: a short first year 2004/10/1-2005/3/31, run for
    // the year from 2005/4/1.
    void BuildExample()
    {
        Transaction t(db);
        BuildExampleRows();
        t.Commit();
    }

    void BuildExampleRows()
    {
        Party(P, 1, "山田商店", I(120000));
        Add(P, 1, L(0, 2004, 10, 1, "前期繰越金額", N, N, I(120000)));
        Add(P, 1, L(1, 2004, 11, 5, "鋼材", I(35000), N, I(155000)));
        Add(P, 1, L(2, 2004, 12, 10, "振込", N, I(50000), I(105000)));
        Add(P, 1, L(3, 2005, 3, 31, "鋼材", I(8400), N, I(113400)));
        Add(P, 1, L(0, 2005, 4, 1, "ボルト", I(10000), N, I(10000)));
        Party(P, 2, "丸山商店", I(0));
        Add(P, 2, L(0, 2004, 10, 1, "前期繰越金額", N, N, I(0)));
        Add(P, 2, L(1, 2005, 1, 20, "板", I(200000), N, I(200000)));
        Add(P, 2, L(2, 2005, 2, 28, "振込", N, I(150000), I(50000)));
        Add(P, 2, L(3, 2005, 3, 15, "釘", I(12345), N, I(62345)));
        Add(P, 2, L(4, 2005, 3, 25, "相殺", I(5000), I(5000), I(62345)));
        Party(P, 7, "上田物産", I(30000));
        Party(P, 12, "北村工業", I(50000));
        Add(P, 12, L(0, 2004, 10, 1, "前期繰越金額", N, N, I(50000)));
        Add(P, 12, L(1, 2005, 2, 1, "部品", I(25000), N, I(75000)));
        Add(P, 12, L(0, 2005, 4, 1, "前期繰越金額", N, N, I(99999)));
        Party(S, 1, "青木商会", I(80000), "末日");
        Add(S, 1, L(0, 2004, 10, 1, "前期繰越金額", N, N, I(80000)));
        Add(S, 1, L(1, 2004, 10, 20, "製品", I(46200), N, I(126200)));
        Add(S, 1, L(2, 2004, 10, 21, "入金", N, I(80000), I(46200)));
        Add(S, 1, L(3, 2005, 3, 20, "製品", I(33000), N, I(79200)));
        Add(S, 1, L(4, 2005, 3, 21, "送料", I(1650), N, I(80850)));
        Add(S, 1, Carry(0, 2005, 4, 1, 0));
        Add(S, 1, L(1, 2005, 4, 10, "製品", I(5000), N, I(5000)));
        Party(S, 3, "佐藤販売", I(10000), "末日");
        Add(S, 3, L(9, 2004, 3, 31, "入金", N, I(999), I(-999)));
        Add(S, 3, L(0, 2004, 10, 1, "前期繰越金額", N, N, I(10000)));
        Add(S, 3, L(1, 2005, 1, 31, "入金", N, I(25000), I(-15000)));
    }

    // Runs as the own-company screen does: both in the caller's transaction.
    void RunBoth()
    {
        Transaction t(db);
        sCarryForward(db, settings, bar);
        gsShimebiSet(db, settings, bar);
        t.Commit();
    }

    CarryForwardError Failure(const std::function<void()>& run)
    {
        try {
            run();
        } catch (const CarryForwardError& e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return CarryForwardError("", "");
    }
};

TEST_F(CarryForward, WorkedExampleShortFirstYear)
{
    BuildExample();
    Snapshot before = Snap();
    sCarryForward(db, settings, bar);

    struct Want {
        JournalSide side;
        int64_t no;
        int64_t carry;
        std::vector<Line> newYear;
    } wants[] = {
        {P, 1, 113400, {L(0, 2005, 4, 1, "ボルト", I(10000), N, I(10000))}},
        {P, 2, 62345, {Carry(0, 2005, 4, 1, 62345)}},
        {P, 7, 30000, {Carry(0, 2005, 4, 1, 30000)}},
        {P, 12, 75000, {L(0, 2005, 4, 1, "前期繰越金額", N, N, I(99999))}},
        {S, 1, 80850, {Carry(0, 2005, 4, 1, 80850), L(1, 2005, 4, 10, "製品", I(5000), N, I(5000))}},
        {S, 3, -15000, {Carry(0, 2005, 4, 1, -15000)}},
    };
    for (const Want& w : wants) {
        SCOPED_TRACE(std::to_string(static_cast<int>(w.side)) + "/" + std::to_string(w.no));
        EXPECT_EQ(PartyValue(w.side, w.no, "繰越金額"), I(w.carry));
        EXPECT_EQ(LinesFrom(w.side, w.no, 2005, 4, 1), w.newYear);
    }

    // Every other value is as it was: only 繰越金額 and customer 1's carry
    // line changed, and three lines were added (years without lines).
    Snapshot after = Snap();
    size_t added = 0;
    for (auto& [table, rows] : after) {
        for (auto& [id, row] : rows) {
            auto old = before[table].find(id);
            if (old == before[table].end()) {
                ++added;
                continue;
            }
            std::vector<DbValue> expect = old->second;
            if (table == kTableSuppliers || table == kTableCustomers) expect[11] = row[11];
            if (table == kTableSales && expect[0] == I(1) && expect[5] == DbValue{std::string(kCarryLineName)})
                expect[11] = I(80850);
            EXPECT_EQ(row, expect) << table << " row " << id;
        }
    }
    EXPECT_EQ(added, 3u);
    EXPECT_EQ(PartyValue(P, 12, "〆切期日"), DbValue{std::string("２５日")});

    // Each party: the previous year's query, then the new year's.
    ASSERT_EQ(bar.texts.size(), 6u * 4u);
    for (size_t i = 0; i < bar.texts.size(); i += 2) {
        EXPECT_EQ(bar.texts[i], "データ処理中");
        EXPECT_EQ(bar.texts[i + 1], "検索終了");
    }

    sCarryForward(db, settings, bar);
    EXPECT_EQ(Snap(), after) << "a second run changed something";
    EXPECT_EQ(db.TransactionDepth(), 0);
}

TEST_F(CarryForward, ClosingDaysCopiedAsExactTexts)
{
    BuildExample();
    Snapshot before = Snap();
    gsShimebiSet(db, settings, bar);
    for (int64_t no : {1, 2, 7, 12}) EXPECT_EQ(PartyValue(P, no, "〆切期日"), DbValue{std::string("末日")}) << no;
    for (int64_t no : {1, 3}) EXPECT_EQ(PartyValue(S, no, "〆切期日"), DbValue{std::string("２０日")}) << no;
    Snapshot after = Snap();
    for (const char* t : {kTablePurchases, kTableSales}) EXPECT_EQ(after[t], before[t]);
    for (const char* t : {kTableSuppliers, kTableCustomers})
        for (auto& [id, row] : after[t]) {
            std::vector<DbValue> expect = before[t][id];
            expect[8] = row[8];
            EXPECT_EQ(row, expect);
        }
    EXPECT_TRUE(bar.texts.empty());
}

TEST_F(CarryForward, PreviousYearIsTheYearBeforeTheStart)
{
    struct Case {
        LineDate start, from, to;
    } cases[] = {
        {{2005, 4, 1}, {2004, 4, 1}, {2005, 3, 31}},
        {{2005, 1, 1}, {2004, 1, 1}, {2004, 12, 31}},
        {{2005, 4, 16}, {2004, 4, 16}, {2005, 4, 15}},
        {{2008, 2, 29}, {2007, 3, 1}, {2008, 2, 28}},
        {{2009, 3, 1}, {2008, 3, 1}, {2009, 2, 28}},
        {{2004, 3, 1}, {2003, 3, 1}, {2004, 2, 29}},
    };
    for (const Case& c : cases) {
        FiscalPeriod p = PreviousFiscalYear(c.start);
        EXPECT_EQ(std::tie(p.Start.year, p.Start.month, p.Start.day), std::tie(c.from.year, c.from.month, c.from.day));
        EXPECT_EQ(std::tie(p.End.year, p.End.month, p.End.day), std::tie(c.to.year, c.to.month, c.to.day));
    }
}

TEST_F(CarryForward, WholeDatesForALateStartDayAndACalendarYear)
{
    // Start day 16: 2004/5/3 and 2005/4/10 belong to the year before.
    SetYear(2005, 4, 16, 2006, 3, 31);
    Party(P, 5, "中村", I(1000));
    Add(P, 5, L(0, 2004, 4, 15, "前年", I(77), N, I(77)));
    Add(P, 5, L(0, 2004, 4, 16, "前期繰越金額", N, N, I(1000)));
    Add(P, 5, L(1, 2004, 5, 3, "鋼材", I(2000), N, I(3000)));
    Add(P, 5, L(2, 2005, 4, 10, "鋼材", I(500), N, I(3500)));
    sCarryForward(db, settings, bar);
    EXPECT_EQ(PartyValue(P, 5, "繰越金額"), I(3500));
    EXPECT_EQ(LinesFrom(P, 5, 2005, 4, 16), std::vector<Line>{Carry(0, 2005, 4, 16, 3500)});

    // January to December takes the whole previous calendar year.
    SetYear(2005, 1, 1, 2005, 12, 31);
    Party(S, 9, "森", I(100));
    Add(S, 9, L(0, 2003, 12, 31, "前年", I(9), N, I(9)));
    Add(S, 9, L(0, 2004, 1, 1, "前期繰越金額", N, N, I(100)));
    Add(S, 9, L(1, 2004, 6, 30, "製品", I(20), N, I(120)));
    Add(S, 9, L(2, 2004, 12, 31, "入金", N, I(5), I(115)));
    sCarryForward(db, settings, bar);
    EXPECT_EQ(PartyValue(S, 9, "繰越金額"), I(115));
    EXPECT_EQ(LinesFrom(S, 9, 2005, 1, 1), std::vector<Line>{Carry(0, 2005, 1, 1, 115)});
}

TEST_F(CarryForward, AYearWithLinesKeepsThemAndOnlyItsCarryLineTakesTheBalance)
{
    const std::vector<Line> cases[] = {
        {L(0, 2005, 4, 10, "鋼材", I(1), N)},
        {L(3, 2005, 4, 1, "鋼材", I(1), N), L(5, 2005, 4, 1, "鋼材", I(1), N)},
        {L(-4, 2005, 4, 1, "鋼材", I(1), N), L(2, 2005, 4, 1, "鋼材", I(1), N)},
        {L(0, 2005, 4, 1, "前期繰越金額", N, N, I(0)), L(1, 2005, 4, 2, "鋼材", I(1), N)},
        {L(0, 2005, 4, 1, "繰越金額 ", N, N, I(1)), L(1, 2005, 4, 2, "鋼材", I(1), N)},
    };
    int64_t no = 100;
    for (const std::vector<Line>& newYear : cases) {
        Party(P, ++no, "", I(0));
        Add(P, no, L(0, 2004, 5, 1, "前期繰越金額", N, N, I(700)));
        for (const Line& l : newYear) Add(P, no, l);
    }
    sCarryForward(db, settings, bar);
    no = 100;
    for (const std::vector<Line>& newYear : cases) {
        std::vector<Line> want = newYear;
        if (TextOf(want[0][4]) == "繰越金額 ") want[0][7] = I(700);
        EXPECT_EQ(LinesFrom(P, ++no, 2005, 4, 1), want) << no;
        EXPECT_EQ(PartyValue(P, no, "繰越金額"), I(700));
    }
}

TEST_F(CarryForward, EmptySupplierTableStillCarriesCustomersInNumberOrder)
{
    for (int64_t no : {70000, 0, 32768}) {
        Party(S, no, "", I(no));
        Add(S, no, L(0, 2005, 1, 1, "前期繰越金額", N, N, I(no + 1)));
    }
    sCarryForward(db, settings, bar);
    auto added = db.Query("SELECT \"売上先No\", \"差引残高\" FROM \"売上げデータ\" WHERE \"年\" = 2005 AND \"月\" = 4 "
                          "ORDER BY _rowid_");
    EXPECT_EQ(added, (std::vector<std::vector<DbValue>>{{I(0), I(1)}, {I(32768), I(32769)}, {I(70000), I(70001)}}));
    gsShimebiSet(db, settings, bar);
    EXPECT_EQ(PartyValue(S, 70000, "〆切期日"), DbValue{std::string("２０日")});
}

TEST_F(CarryForward, BalancesWithinTheLongRange)
{
    struct Case {
        int64_t opening, amount, settle;
        bool fits;
    } cases[] = {
        {2147483000, 647, 0, true},
        {2147483000, 648, 0, false},
        {-2147483000, 0, 648, true},
        {-2147483000, 0, 649, false},
        {2147483647, 1000000, 1000000, true},   // beyond a Long only half way
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string p = dir.file("range" + std::to_string(++n) + ".db");
        CreateEmptyLedgerDatabase(p);
        db = OpenLedgerDatabase(p);
        db.Execute("PRAGMA synchronous = OFF");
        Party(P, 4, "大口", I(0));
        Add(P, 4, L(0, 2004, 4, 1, "前期繰越金額", N, N, I(c.opening)));
        Add(P, 4, L(1, 2004, 5, 1, "品", I(c.amount), I(c.settle)));
        if (c.fits) {
            sCarryForward(db, settings, bar);
            EXPECT_EQ(PartyValue(P, 4, "繰越金額"), I(c.opening + c.amount - c.settle));
        } else {
            CarryForwardError e = Failure([&] { sCarryForward(db, settings, bar); });
            EXPECT_EQ(e.Step(), kZandakaCalcError);
            ASSERT_TRUE(e.Party());
            EXPECT_EQ(e.Party()->Number, 4);
            EXPECT_EQ(PartyValue(P, 4, "繰越金額"), I(0));
        }
    }
}

TEST_F(CarryForward, AFailureAnywhereLeavesEverythingAsItWas)
{
    struct Case {
        const char* what;
        std::string trigger;   // SQL run before
        bool both;             // with the closing days in the caller's transaction
        std::string step;
        JournalSide side;
        int64_t party;
    } cases[] = {
        {"carry of the last customer", "CREATE TRIGGER t BEFORE UPDATE ON \"売上げ先\" WHEN OLD.\"売上先No\" = 3 "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END",
         true, "繰越金額の書き込み", S, 3},
        {"carry alone", "CREATE TRIGGER t BEFORE UPDATE ON \"売上げ先\" WHEN OLD.\"売上先No\" = 3 "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END",
         false, "繰越金額の書き込み", S, 3},
        {"closing day of the last customer",
         "CREATE TRIGGER t BEFORE UPDATE OF \"〆切期日\" ON \"売上げ先\" WHEN OLD.\"売上先No\" = 3 "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END",
         true, "〆切期日の書き込み", S, 3},
        {"carry line of a new year", "CREATE TRIGGER t BEFORE INSERT ON \"売上げデータ\" WHEN NEW.\"売上先No\" = 3 "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END",
         true, "繰越金額行の書き込み", S, 3},
        {"null first balance", "UPDATE \"仕入れデータ\" SET \"差引残高\" = NULL WHERE \"仕入先No\" = 2 AND \"月\" = 10",
         false, kZandakaCalcError, P, 2},
        {"previous-year query", "DROP TABLE \"売上げデータ\"", true, "前期データの検索", S, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        std::filesystem::remove(path);
        SetUp();
        BuildExample();
        db.Execute(c.trigger);
        Snapshot before = Snap();
        bar.texts.clear();
        CarryForwardError e = Failure([&] { c.both ? RunBoth() : sCarryForward(db, settings, bar); });
        EXPECT_EQ(e.Step(), c.step) << e.what();
        ASSERT_TRUE(e.Party()) << e.what();
        EXPECT_EQ(e.Party()->Side, c.side);
        EXPECT_EQ(e.Party()->Number, c.party);
        EXPECT_NE(std::string(e.what()).find(std::string(c.side == S ? "売上先 " : "仕入先 ") + std::to_string(c.party)),
                  std::string::npos)
            << e.what();
        EXPECT_EQ(Snap(), before);
        EXPECT_EQ(db.TransactionDepth(), 0);
    }
    EXPECT_EQ(bar.texts.back(), "検索失敗");
}

TEST_F(CarryForward, ReadOnlyAndLockedDatabasesChangeNothing)
{
    BuildExample();
    Snapshot before = Snap();
    {
        Database ro = Database::Open(path, OpenMode::ReadOnly);
        CarryForwardError e = Failure([&] { sCarryForward(ro, settings, bar); });
        EXPECT_NE(std::string(e.what()).find("書き込めません"), std::string::npos) << e.what();
        Failure([&] { gsShimebiSet(ro, settings, bar); });
    }
    Database other = Database::Open(path);
    other.BeginTrans();
    other.Execute("UPDATE \"品名\" SET \"品名\" = 'x'");
    db.SetBusyTimeout(100);
    for (auto run : {sCarryForward, gsShimebiSet}) {
        auto t0 = std::chrono::steady_clock::now();
        CarryForwardError e = Failure([&] { run(db, settings, bar); });
        auto waited = std::chrono::steady_clock::now() - t0;
        EXPECT_EQ(e.Step(), "書き込みの開始");
        EXPECT_NE(e.Cause().find("使用中"), std::string::npos) << e.what();
        EXPECT_LT(waited, std::chrono::seconds(5));   // a hang guard, not a timing
    }
    other.Rollback();
    EXPECT_EQ(Snap(), before);
}

TEST_F(CarryForward, SettingsThatAreNotADateAreRefused)
{
    BuildExample();
    Snapshot before = Snap();
    SetYear(2005, 13, 1, 2006, 3, 31);
    CarryForwardError e = Failure([&] { sCarryForward(db, settings, bar); });
    EXPECT_EQ(e.Step(), "会計期間の確認");
    EXPECT_FALSE(e.Party());
    EXPECT_EQ(Snap(), before);
}

TEST_F(CarryForward, RunsInsideTheCallersTransaction)
{
    BuildExample();
    Snapshot before = Snap();
    db.BeginTrans();
    sCarryForward(db, settings, bar);
    gsShimebiSet(db, settings, bar);
    EXPECT_EQ(db.TransactionDepth(), 1);
    EXPECT_EQ(PartyValue(P, 1, "繰越金額"), I(113400));
    db.Rollback();
    EXPECT_EQ(Snap(), before);
}

TEST_F(CarryForward, ZenkiDataAndZandakaCalcAlone)
{
    BuildExample();
    Recordset rs = gsOpenZenkiData(db, settings, bar, S, 3);
    EXPECT_EQ(rs.RecordCount(), 2);   // the line of 2004/3/31 is outside
    EXPECT_EQ(gsZandakaCalc(S, rs), -15000);
    Recordset none = gsOpenZenkiData(db, settings, bar, P, 7);
    CarryForwardError e = Failure([&] { gsZandakaCalc(P, none); });
    EXPECT_EQ(e.Step(), kZandakaCalcError);
    EXPECT_EQ(std::vector<std::string>(bar.texts.begin(), bar.texts.begin() + 2),
              (std::vector<std::string>{"データ処理中", "検索終了"}));
}

} // namespace
