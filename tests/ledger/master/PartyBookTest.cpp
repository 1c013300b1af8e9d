#include "PartyTestDb.h"

#include "ledger/master/HandOffArrays.h"
#include "ledger/master/PartyBook.h"
#include "platform/db/DbError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace nv;

namespace {

struct NullBar : StatusBarPanels {
    std::vector<std::string> texts;
    void SetPanelText(int, const std::string& t) override { texts.push_back(t); }
};

PartyTexts Texts(const std::string& no, const std::string& name, const std::string& amount)
{
    PartyTexts t;
    t[kPartyNo] = no;
    t[kName] = name;
    t[kCarryForward] = amount;
    return t;
}

std::vector<int64_t> Numbers(Database& db, const RecordSource& src, const char* column = "仕入先No")
{
    std::vector<int64_t> out;
    Recordset rs = db.OpenRecordset(src);
    for (; rs.RecordCount() > 0 && !rs.IsEOF(); rs.MoveNext()) out.push_back(IntegerOf(rs.Fields(column)).value_or(-1));
    return out;
}

struct PartyBookTest : ::testing::Test {
    nvtest::PartyTestDb t;
    PartyBook suppliers{t.db, PurchaseWords()};
    PartyBook customers{t.db, SalesWords()};
    CompanySettings settings = nvtest::RegisterSettings();
    NullBar bar;
};

TEST_F(PartyBookTest, NextNumberIsTheHighestOfTheWholeTablePlusOne)
{
    EXPECT_EQ(suppliers.NextNumber(), 8);
    EXPECT_EQ(customers.NextNumber(), 8);
    // Lines whose party is gone pass to no party: not by the next number,
    // nor by that number typed.
    t.db.Execute("DELETE FROM 仕入れ先");
    EXPECT_EQ(suppliers.NextNumber(), 8);
    EXPECT_THROW(suppliers.Register(ParsePartyTexts(PurchaseWords(), Texts("7", "新", "0")), settings, bar),
                 PartyInputError);
    t.db.Execute("DELETE FROM 仕入れデータ");
    EXPECT_EQ(suppliers.NextNumber(), 1);
}

TEST_F(PartyBookTest, RegisterWritesThePartyAndExactlyOneOpeningLine)
{
    PartyTexts in = Texts("８", "丸山商店", "12500");
    in[kKana] = "まるやましょうてん";
    in[kSearchKey] = "ﾏ";
    in[kClosingDay] = "末日";
    std::string before = t.Snapshot();
    int64_t id = suppliers.Register(ParsePartyTexts(PurchaseWords(), in), settings, bar);
    EXPECT_GT(id, 0);
    auto party = t.db.Query("SELECT 仕入先No, 仕入先名, ふりがな, 繰越金額 FROM 仕入れ先 WHERE _rowid_ = ?", {id});
    ASSERT_EQ(party.size(), 1u);
    EXPECT_EQ(party[0], (std::vector<DbValue>{int64_t{8}, std::string("丸山商店"), std::string("まるやましょうてん"),
                                              int64_t{12500}}));
    auto lines = t.db.Query("SELECT 仕入先No, 年, 月, 日, データ数, 品名, 差引残高, 数量, 単価, 仕入金額, 支払金額, 借貸"
                            " FROM 仕入れデータ WHERE 仕入先No = 8");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], (std::vector<DbValue>{int64_t{8}, int64_t{2005}, int64_t{4}, int64_t{1}, int64_t{0},
                                              std::string("前期繰越金額"), int64_t{12500}, DbNull, DbNull, DbNull,
                                              DbNull, DbNull}));
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れデータ"), DbValue(int64_t{5}));
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 売上げデータ"), DbValue(int64_t{2}));
    EXPECT_NE(before, t.Snapshot());
}

TEST_F(PartyBookTest, RefusedInputNamesTheFieldAndWritesNothing)
{
    struct Case {
        PartyTexts texts;
        const char* field;
    };
    const std::string name51(51, 'a');
    const Case cases[] = {
        {Texts("8", name51, "1"), "仕入先名"},
        {Texts("8", "\xF0\xA0\xAE\xB7", "1"), "仕入先名"},   // U+20BB7
        {Texts("8", "\xF0\x9F\x98\x80", "1"), "仕入先名"},   // an emoji
        {Texts("8", "x", "abc"), "繰越金額"},
        {Texts("8", "x", "1.5"), "繰越金額"},
        {Texts("8", "x", "3000000000"), "繰越金額"},
        {Texts("0", "x", "1"), "仕入先No"},
        {Texts("-3", "x", "1"), "仕入先No"},
        {Texts("10000000", "x", "1"), "仕入先No"},
        {Texts("", "x", "1"), "仕入先No"},
        {Texts("2", "x", "1"), "仕入先No"},   // taken
    };
    const std::string before = t.Snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts[kPartyNo] + " / " + c.texts[kName] + " / " + c.texts[kCarryForward]);
        try {
            suppliers.Register(ParsePartyTexts(PurchaseWords(), c.texts), settings, bar);
            ADD_FAILURE() << "accepted";
        } catch (const PartyInputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.field), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(t.Snapshot(), before);
    // The widest values that fit, and full-width digits.
    PartyValues v = ParsePartyTexts(PurchaseWords(), Texts("９９９９９９９", std::string(50, 'a'), "-2147483648"));
    EXPECT_EQ(v[kPartyNo], DbValue(int64_t{9999999}));
    EXPECT_EQ(v[kCarryForward], DbValue(int64_t{-2147483648LL}));
    EXPECT_THROW(ParsePartyTexts(PurchaseWords(), Texts("1", "x", "2147483648")), PartyInputError);
}

TEST_F(PartyBookTest, ARefusedLineOrDeleteLeavesTheDatabaseAsItWas)
{
    const std::string before = t.Snapshot();
    t.db.ExecuteScript("CREATE TRIGGER no_line BEFORE INSERT ON 仕入れデータ BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    EXPECT_THROW(suppliers.Register(ParsePartyTexts(PurchaseWords(), Texts("8", "x", "1")), settings, bar), DbError);
    EXPECT_EQ(t.Snapshot(), before);
    t.db.ExecuteScript("DROP TRIGGER no_line;"
                       "CREATE TRIGGER no_delete BEFORE DELETE ON 仕入れ先 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    int64_t row7 = IntegerOf(t.db.QueryValue("SELECT _rowid_ FROM 仕入れ先 WHERE 仕入先No = 7")).value();
    EXPECT_THROW(suppliers.DeleteRow(row7), DbError);
    EXPECT_EQ(t.Snapshot(), before);
    t.db.ExecuteScript("DROP TRIGGER no_delete;");
    suppliers.Register(ParsePartyTexts(PurchaseWords(), Texts("8", "x", "1")), settings, bar);
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 8"), DbValue(int64_t{1}));
}

TEST_F(PartyBookTest, DeleteRemovesThePartyAndItsLinesOfEveryYearOnItsSideOnly)
{
    int64_t row7 = IntegerOf(t.db.QueryValue("SELECT _rowid_ FROM 仕入れ先 WHERE 仕入先No = 7")).value();
    std::string customersBefore = t.Snapshot();
    customersBefore = customersBefore.substr(customersBefore.find("#売上げ先"));
    suppliers.DeleteRow(row7);
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 7"), DbValue(int64_t{0}));
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れ先 WHERE 仕入先No = 7"), DbValue(int64_t{0}));
    EXPECT_EQ(Numbers(t.db, suppliers.AllRows("仕入先No")), (std::vector<int64_t>{1, 2}));
    std::string after = t.Snapshot();
    EXPECT_EQ(after.substr(after.find("#売上げ先")).substr(0, after.find("#仕入れデータ") - after.find("#売上げ先")),
              customersBefore.substr(0, customersBefore.find("#仕入れデータ")));
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 売上げデータ WHERE 売上先No = 7"), DbValue(int64_t{2}));
    // The highest number comes back, with only its own opening line.
    EXPECT_EQ(suppliers.NextNumber(), 3);
    t.db.Execute("DELETE FROM 仕入れ先 WHERE 仕入先No = 2");
    t.db.Execute("DELETE FROM 仕入れデータ WHERE 仕入先No = 2");
    PartyValues v = ParsePartyTexts(PurchaseWords(), Texts("7", "新上田", "10"));
    suppliers.Register(v, settings, bar);
    EXPECT_EQ(t.db.QueryValue("SELECT COUNT(*) FROM 仕入れデータ WHERE 仕入先No = 7"), DbValue(int64_t{1}));
}

TEST_F(PartyBookTest, UpdateKeepsTheNumberOfAPartyWithLinesAndRefusesTakenNumbers)
{
    auto rowOf = [&](int no) {
        return IntegerOf(t.db.QueryValue("SELECT _rowid_ FROM 仕入れ先 WHERE 仕入先No = ?", {int64_t{no}})).value();
    };
    const std::string before = t.Snapshot();
    EXPECT_THROW(suppliers.Update(rowOf(2), ParsePartyTexts(PurchaseWords(), Texts("9", "伊藤屋", "2000"))),
                 PartyInputError);   // has lines
    EXPECT_THROW(suppliers.Update(rowOf(1), ParsePartyTexts(PurchaseWords(), Texts("2", "ABC商事", "1000"))),
                 PartyInputError);   // taken
    EXPECT_EQ(t.Snapshot(), before);
    suppliers.Update(rowOf(1), ParsePartyTexts(PurchaseWords(), Texts("5", "ABC商事", "1000")));
    EXPECT_EQ(Numbers(t.db, suppliers.AllRows("仕入先No")), (std::vector<int64_t>{2, 5, 7}));
}

TEST_F(PartyBookTest, ClosingDayIsWrittenOnlyWhenItDiffers)
{
    int64_t row2 = IntegerOf(t.db.QueryValue("SELECT _rowid_ FROM 仕入れ先 WHERE 仕入先No = 2")).value();
    EXPECT_TRUE(suppliers.SetClosingDay(row2, "末日"));
    EXPECT_EQ(t.db.QueryValue("SELECT 〆切期日 FROM 仕入れ先 WHERE 仕入先No = 2"), DbValue(std::string("末日")));
    int before = sqlite3_total_changes(t.db.Handle());
    EXPECT_FALSE(suppliers.SetClosingDay(row2, "末日"));
    EXPECT_EQ(sqlite3_total_changes(t.db.Handle()), before);
}

struct SearchCase {
    const char* field;
    const char* op;
    const char* value;
    std::vector<int64_t> found;   // empty with fails: a SearchError
    bool fails = false;
};

TEST_F(PartyBookTest, SearchBindsValuesAndTakesFieldsFromTheTable)
{
    t.db.ExecuteScript("UPDATE 仕入れ先 SET 住所 = '100%_\"引用\"' WHERE 仕入先No = 2;"
                       "UPDATE 仕入れ先 SET 住所 = '1000x' WHERE 仕入先No = 1;"
                       "UPDATE 仕入れ先 SET 親番 = 1 WHERE 仕入先No = 7;");
    const SearchCase cases[] = {
        {"仕入先名", "Like", "' OR 1=1 --", {}},
        {"住所", "Like", "%", {2}},
        {"住所", "Like", "_", {2}},
        {"住所", "Like", "\"", {2}},
        {"住所", "Like", "0", {1, 2}},
        {"仕入先名", "=", "abc商事", {1}},
        {"仕入先名", "Like", "abc", {1}},
        {"仕入先No", "Like", "7", {7}},
        {"仕入先No", ">=", "２", {2, 7}},
        {"仕入先No", "<>", "2", {1, 7}},
        {"親番", "=", "1", {7}},
        {"仕入先No", "=", "abc", {}, true},
        {"仕入先No); DROP TABLE 仕入れ先; --", "=", "1", {}, true},
        {"仕入先名", "LIKE 'x' OR", "1", {}, true},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.op + " " + c.value);
        if (c.fails) {
            EXPECT_THROW(suppliers.SearchRows(c.field, c.op, c.value, "仕入先No"), SearchError);
            continue;
        }
        EXPECT_EQ(Numbers(t.db, suppliers.SearchRows(c.field, c.op, c.value, "仕入先No")), c.found);
    }
    EXPECT_THROW(customers.SearchRows("売上先No", "=", "abc", ""), SearchError);
    EXPECT_THROW(suppliers.AllRows("no such column"), SearchError);
    EXPECT_EQ(Numbers(t.db, customers.SearchRows("売上先名", "Like", "木村", "売上先No"), "売上先No"),
              (std::vector<int64_t>{7}));
}

TEST_F(PartyBookTest, SearchFieldsComeFromTheTableWithTheirClass)
{
    std::vector<SearchField> f = suppliers.SearchFields();
    ASSERT_EQ(f.size(), 14u);
    EXPECT_EQ(f[0].name, "仕入先No");
    EXPECT_EQ(f[0].typeClass, 0);
    EXPECT_EQ(f[1].name, "検索キー");
    EXPECT_EQ(f[1].typeClass, -1);
    EXPECT_EQ(f[11].name, "繰越金額");
    EXPECT_EQ(f[11].typeClass, 0);
    t.db.ExecuteScript("ALTER TABLE 仕入れ先 ADD COLUMN 写真 BLOB;");
    EXPECT_EQ(suppliers.SearchFields().size(), 14u);
}

struct PeriodCase {
    int y1, m1, d1, y2, m2, d2;
    std::vector<std::string> dates;   // "y/m/d" of the lines found
};

TEST_F(PartyBookTest, PeriodDataTakesWholeDates)
{
    t.db.ExecuteScript("DELETE FROM 仕入れデータ;"
                       "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日) VALUES"
                       " (1, 0, 2004, 1, 1), (1, 1, 2004, 3, 31), (1, 2, 2004, 4, 1), (1, 3, 2004, 4, 15),"
                       " (1, 4, 2004, 4, 16), (1, 5, 2004, 5, 3), (1, 6, 2004, 12, 31), (1, 7, 2005, 1, 20),"
                       " (1, 8, 2005, 3, 31), (1, 9, 2005, 4, 1), (2, 0, 2004, 5, 5);");
    const PeriodCase cases[] = {
        {2004, 4, 1, 2005, 3, 31,
         {"2004/4/1", "2004/4/15", "2004/4/16", "2004/5/3", "2004/12/31", "2005/1/20", "2005/3/31"}},
        {2004, 1, 1, 2004, 12, 31,
         {"2004/1/1", "2004/3/31", "2004/4/1", "2004/4/15", "2004/4/16", "2004/5/3", "2004/12/31"}},
        {2004, 4, 16, 2005, 4, 15, {"2004/4/16", "2004/5/3", "2004/12/31", "2005/1/20", "2005/3/31", "2005/4/1"}},
    };
    for (const PeriodCase& c : cases) {
        SCOPED_TRACE(c.y1);
        settings.StartYear = float(c.y1), settings.StartMonth = float(c.m1), settings.StartDay = float(c.d1);
        settings.EndYear = float(c.y2), settings.EndMonth = float(c.m2), settings.EndDay = float(c.d2);
        bar.texts.clear();
        std::optional<Recordset> rs = gsOpenPeriodData(t.db, settings, bar, JournalSide::Purchases, 1);
        ASSERT_TRUE(rs);
        std::vector<std::string> dates;
        for (; rs->RecordCount() > 0 && !rs->IsEOF(); rs->MoveNext())
            dates.push_back(std::to_string(*IntegerOf(rs->Fields("年"))) + "/" +
                            std::to_string(*IntegerOf(rs->Fields("月"))) + "/" +
                            std::to_string(*IntegerOf(rs->Fields("日"))));
        EXPECT_EQ(dates, c.dates);
        EXPECT_EQ(bar.texts, (std::vector<std::string>{"データ処理中", "検索終了"}));
    }
    settings.StartMonth = 13;
    bar.texts.clear();
    EXPECT_FALSE(gsOpenPeriodData(t.db, settings, bar, JournalSide::Sales, 1));
    EXPECT_EQ(bar.texts, (std::vector<std::string>{"データ処理中", "検索失敗,全データ表示", "検索終了"}));
}

TEST_F(PartyBookTest, HandOffArraysHaveTheJournalLayout)
{
    PartyTexts in = Texts("8", "丸山商店", "");
    in[kKana] = "まるやましょうてん";
    in[kSearchKey] = "ﾏ";
    in[kClosingDay] = "末日";
    Variant party = sPartyFromRecord(PurchaseWords(), ParsePartyTexts(PurchaseWords(), in));
    const SafeArray& p = party.Array();
    ASSERT_EQ(p.items.size(), 13u);
    EXPECT_EQ(p.lowerBound, 0);
    EXPECT_EQ(p.items[0].Vt(), VT_R4);
    EXPECT_EQ(p.items[0].R4(), 8.0f);
    EXPECT_EQ(p.items[1].Str(), "ﾏ");
    EXPECT_EQ(p.items[2].Str(), "まるやましょうてん" + std::string(11, ' '));
    EXPECT_EQ(p.items[3].Str(), "丸山商店" + std::string(46, ' '));
    EXPECT_EQ(p.items[4].Str(), std::string(10, ' '));
    EXPECT_EQ(p.items[5].Str(), std::string(70, ' '));
    EXPECT_EQ(p.items[8].Str(), "末日" + std::string(8, ' '));
    EXPECT_EQ(p.items[11].Vt(), VT_I4);
    EXPECT_EQ(p.items[11].I4(), 0);   // a Null amount goes as 0
    EXPECT_TRUE(p.items[12].IsEmpty());

    Variant s = SettingsArrayOf(settings);
    const SafeArray& a = s.Array();
    ASSERT_EQ(a.items.size(), 23u);
    EXPECT_EQ(a.items[0].Str(), FixedText("山田太郎", 20));
    EXPECT_EQ(a.items[21].Str(), a.items[0].Str());
    EXPECT_EQ(a.items[8].Vt(), VT_R4);
    EXPECT_EQ(a.items[8].R4(), 2005.0f);
    EXPECT_EQ(a.items[17].Str(), "末日");
    EXPECT_EQ(a.items[18].Str(), "２０日");
    EXPECT_EQ(a.items[20].Str(), FixedText("補助簿DB.MDB", 50));
    EXPECT_TRUE(a.items[22].IsEmpty());
}

} // namespace
