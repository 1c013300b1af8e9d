#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <gtest/gtest.h>

using namespace nv;

namespace {

const char* kSchema =
    "CREATE TABLE lines (party INTEGER NOT NULL, seq INTEGER, y INTEGER, m INTEGER CHECK (m BETWEEN 1 AND 12),"
    " name TEXT CHECK (length(name) <= 5), qty REAL, amount INTEGER) STRICT;";

struct DbDatabase : ::testing::Test {
    nvtest::TempDir dir;
    std::string path = dir.file("ledger.db");
    Database db = Open();

    Database Open()
    {
        Database d = Database::Open(path, OpenMode::Create);
        d.ExecuteScript(kSchema);
        return d;
    }

    int64_t Count() { return IntegerOf(db.QueryValue("SELECT count(*) FROM lines")).value(); }
};

TEST_F(DbDatabase, ValuesRoundTripThroughParametersWithNullKept)
{
    db.Execute("INSERT INTO lines (party, seq, name, qty, amount) VALUES (?, ?, ?, ?, ?)",
               {int64_t{1}, int64_t{2}, std::string("x';--"), 2.5, DbNull});
    auto rows = db.Query("SELECT party, name, qty, amount FROM lines WHERE name = ?", {std::string("x';--")});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<int64_t>(rows[0][0]), 1);
    EXPECT_EQ(std::get<std::string>(rows[0][1]), "x';--");
    EXPECT_DOUBLE_EQ(std::get<double>(rows[0][2]), 2.5);
    EXPECT_TRUE(IsNull(rows[0][3]));
}

TEST_F(DbDatabase, RowsHandedOneByOneAreTheQuerysRowsAndAStoppedReadCanRunAgain)
{
    for (int64_t seq : {3, 1, 2})
        db.Execute("INSERT INTO lines (party, seq, name) VALUES (1, ?, ?)", {seq, seq == 2 ? DbValue(DbNull) : DbValue("n")});
    const std::string sql = "SELECT seq, name FROM lines WHERE party = ? ORDER BY seq";
    std::vector<std::vector<DbValue>> handed;
    db.ForEachRow(sql, {int64_t{1}}, [&](const std::vector<DbValue>& row) { handed.push_back(row); });
    EXPECT_EQ(handed, db.Query(sql, {int64_t{1}}));
    EXPECT_THROW(db.ForEachRow(sql, {int64_t{1}}, [](const std::vector<DbValue>&) { throw std::runtime_error("stop"); }),
                 std::runtime_error);
    handed.clear();
    db.ForEachRow(sql, {int64_t{1}}, [&](const std::vector<DbValue>& row) { handed.push_back(row); });
    EXPECT_EQ(handed.size(), 3u);
}

TEST_F(DbDatabase, StrictColumnsRefuseWrongTypesAndChecks)
{
    auto insert = [&](DbValue m, DbValue amount, DbValue name) {
        db.Execute("INSERT INTO lines (party, m, amount, name) VALUES (1, ?, ?, ?)", {m, amount, name});
    };
    try {
        insert(int64_t{13}, DbNull, DbNull);
        FAIL() << "month 13 accepted";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.IsConstraint()) << e.what();
    }
    EXPECT_THROW(insert(std::string("abc"), DbNull, DbNull), DbError);
    EXPECT_THROW(insert(int64_t{1}, 1.5, DbNull), DbError);              // amounts are whole yen
    EXPECT_THROW(insert(int64_t{1}, DbNull, std::string("あいうえおか")), DbError);   // 6 characters
    insert(int64_t{12}, 2.0, std::string("あいうえお"));                 // 5 characters fit
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(std::get<int64_t>(db.QueryValue("SELECT amount FROM lines")), 2);
}

TEST_F(DbDatabase, OneStatementPerCallAndParameterCountChecked)
{
    EXPECT_THROW(db.Execute("DELETE FROM lines; DROP TABLE lines"), DbError);
    EXPECT_THROW(db.Execute("INSERT INTO lines (party) VALUES (?)"), DbError);
    EXPECT_THROW(db.Execute("INSERT INTO lines (party) VALUES (?)", {int64_t{1}, int64_t{2}}), DbError);
    EXPECT_EQ(Count(), 0);
}

TEST_F(DbDatabase, FailedStepInsideTransactionLeavesNothing)
{
    db.Execute("INSERT INTO lines (party, m) VALUES (9, 1)");
    try {
        Transaction t(db);
        db.Execute("INSERT INTO lines (party, m) VALUES (1, 4)");
        db.Execute("UPDATE lines SET m = ? WHERE party = 9", {int64_t{13}});
        t.Commit();
        FAIL() << "month 13 accepted";
    } catch (const DbError&) {
    }
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(std::get<int64_t>(db.QueryValue("SELECT m FROM lines")), 1);
    EXPECT_EQ(db.TransactionDepth(), 0);
}

TEST_F(DbDatabase, NestedTransactionRollsBackInnerOnly)
{
    db.BeginTrans();
    db.Execute("INSERT INTO lines (party) VALUES (1)");
    db.BeginTrans();
    db.Execute("INSERT INTO lines (party) VALUES (2)");
    db.Rollback();
    db.CommitTrans();
    EXPECT_EQ(Count(), 1);
    EXPECT_THROW(db.CommitTrans(), DbError);
}

TEST_F(DbDatabase, SecondConnectionHoldingTheLockGivesBusy)
{
    Database other = Database::Open(path);
    other.BeginTrans();
    other.Execute("INSERT INTO lines (party) VALUES (1)");
    db.SetBusyTimeout(50);
    try {
        db.Execute("INSERT INTO lines (party) VALUES (2)");
        FAIL() << "write while locked";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.IsBusy());
        EXPECT_NE(std::string(e.what()).find("使用中"), std::string::npos) << e.what();
    }
    other.Rollback();
    db.Execute("INSERT INTO lines (party) VALUES (2)");
    EXPECT_EQ(Count(), 1);
}

TEST_F(DbDatabase, ClosingWithAnOpenRecordsetReleasesTheLock)
{
    Database other = Database::Open(path);
    Recordset rs = other.OpenRecordset({"lines", "", {}, ""});
    other.BeginTrans();
    other.Execute("INSERT INTO lines (party) VALUES (1)");
    other.Close();
    db.SetBusyTimeout(50);
    db.Execute("INSERT INTO lines (party) VALUES (2)");
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_F(DbDatabase, AStatementIsPreparedOnceAndHoldsNothingBetweenUses)
{
    const std::string insert = "INSERT INTO lines (party, m) VALUES (?, ?)";
    auto prepared = [&] {
        std::vector<sqlite3_stmt*> found;
        for (sqlite3_stmt* s = sqlite3_next_stmt(db.Handle(), nullptr); s; s = sqlite3_next_stmt(db.Handle(), s))
            if (insert == sqlite3_sql(s)) found.push_back(s);
        return found;
    };
    db.Execute(insert, {int64_t{1}, int64_t{4}});
    const auto first = prepared();
    ASSERT_EQ(first.size(), 1u);
    // A refused row, then the same statement again with other values.
    EXPECT_THROW(db.Execute(insert, {int64_t{2}, int64_t{13}}), DbError);
    db.Execute(insert, {int64_t{3}, int64_t{5}});
    EXPECT_EQ(prepared(), first);
    EXPECT_EQ(db.Query("SELECT party FROM lines ORDER BY party"),
              (std::vector<std::vector<DbValue>>{{int64_t{1}}, {int64_t{3}}}));

    // Kept statements hold no lock: another connection writes at once, and
    // the table can be dropped.
    Database other = Database::Open(path);
    other.SetBusyTimeout(0);
    other.Execute(insert, {int64_t{4}, int64_t{6}});
    EXPECT_EQ(Count(), 3);
    // Many texts: the oldest go, every one still runs.
    for (int i = 0; i < 200; ++i) EXPECT_EQ(db.QueryValue("SELECT " + std::to_string(i)), DbValue(int64_t{i}));
    int kept = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.Handle(), nullptr); s; s = sqlite3_next_stmt(db.Handle(), s)) ++kept;
    EXPECT_LE(kept, 64);
    db.Execute("DROP TABLE lines");
    EXPECT_THROW(db.Execute(insert, {int64_t{5}, int64_t{7}}), DbError);
}

TEST_F(DbDatabase, TheChangeStampMovesWithEveryWriteOfEitherConnection)
{
    Database other = Database::Open(path);
    const Database::ChangeStamp start = db.Changes();
    db.Query("SELECT * FROM lines");
    EXPECT_EQ(db.Changes(), start);
    other.Execute("INSERT INTO lines (party) VALUES (1)");
    const Database::ChangeStamp afterOther = db.Changes();
    EXPECT_NE(afterOther, start);
    db.Execute("UPDATE lines SET m = 2");
    EXPECT_NE(db.Changes(), afterOther);
    EXPECT_EQ(db.Changes().others, afterOther.others);
}

TEST_F(DbDatabase, UserVersionIsKept)
{
    EXPECT_EQ(db.UserVersion(), 0);
    db.SetUserVersion(7);
    db.Close();
    EXPECT_EQ(Database::Open(path).UserVersion(), 7);
}

TEST_F(DbDatabase, MissingFileAndNonDatabaseAreRefused)
{
    EXPECT_THROW(Database::Open(dir.file("none.db")), DbError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.db")));
    nvtest::WriteFileBytes(dir.file("text.db"), std::string(4096, 'x'));
    try {
        Database::Open(dir.file("text.db"));
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("壊れている"), std::string::npos) << e.what();
    }
}

// What a person reads is Japanese and names the file; SQLite's own English
// is kept for the log.
TEST_F(DbDatabase, FailuresSayTheCauseInJapaneseAndNameTheFile)
{
    std::filesystem::create_directory(dir.file("folder.db"));
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { Database::Open(dir.file("folder.db")).Query("SELECT 1 FROM sqlite_master"); }, dir.file("folder.db")},
        {[&] { db.Query("SELECT * FROM nothing"); }, path},
    };
    for (const auto& [fail, file] : cases) {
        try {
            fail();
            ADD_FAILURE() << file;
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find("データベース"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
            const std::string english = e.Detail().substr(e.Detail().rfind(": ") + 2);
            EXPECT_FALSE(english.empty());
            EXPECT_EQ(std::string(e.what()).find(english), std::string::npos) << e.what();
        }
    }
}

// Calls this layer refuses are faults of the calling code: a person reads
// only that the work cannot go on, the log what was refused.
TEST_F(DbDatabase, RefusedCallsAreJapaneseForAPersonAndEnglishForTheLog)
{
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] {
             Database closed = Database::Open(path);
             closed.Close();
             closed.Execute("DELETE FROM lines");
         },
         "database is not open"},
        {[&] {
             Transaction t(db);
             t.Commit();
             t.Commit();
         },
         "transaction already ended"},
        {[&] { db.Execute("DELETE FROM lines; DROP TABLE lines"); }, "more than one statement in one call"},
        {[&] { db.Execute("INSERT INTO lines (party) VALUES (?)"); }, "parameter count does not match the statement"},
    };
    for (const auto& [fail, english] : cases) {
        try {
            fail();
            ADD_FAILURE() << english;
        } catch (const DbError& e) {
            const std::string shown = e.what();
            EXPECT_NE(shown.find("データベースの処理を続けられません"), std::string::npos) << shown;
            EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](char c) { return std::isalpha(uint8_t(c)); }), 0)
                << shown;
            EXPECT_NE(e.Detail().find(english), std::string::npos) << e.Detail();
        }
    }
}

TEST_F(DbDatabase, BackupCopiesEverythingAndLeavesNoPartFile)
{
    for (int i = 0; i < 100; ++i) db.Execute("INSERT INTO lines (party, seq) VALUES (1, ?)", {int64_t{i}});
    std::string copy = dir.file("backup.MDB");
    nvtest::WriteFileBytes(copy, "old");
    db.BackupTo(copy);
    EXPECT_FALSE(std::filesystem::exists(copy + ".part"));
    Database b = Database::Open(copy, OpenMode::ReadOnly);
    EXPECT_EQ(IntegerOf(b.QueryValue("SELECT count(*) FROM lines")).value(), 100);
    EXPECT_THROW(db.BackupTo(dir.file("no/such/folder/x.MDB")), DbError);
}

TEST_F(DbDatabase, BackupOverTheDatabaseItselfIsRefused)
{
    db.Execute("INSERT INTO lines (party) VALUES (1)");
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_THROW(db.BackupTo(path), DbError);
    EXPECT_THROW(db.BackupTo(dir.file("sub/../ledger.db")), DbError);
    // The open connection still writes to the file others will read.
    db.Execute("INSERT INTO lines (party) VALUES (2)");
    Database other = Database::Open(path);
    EXPECT_EQ(IntegerOf(other.QueryValue("SELECT count(*) FROM lines")).value(), 2);
}

} // namespace
