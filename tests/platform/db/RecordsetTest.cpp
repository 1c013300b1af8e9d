#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

struct DbRecordset : ::testing::Test {
    nvtest::TempDir dir;
    Database db = Database::Open(dir.file("rs.db"), OpenMode::Create);

    void SetUp() override
    {
        db.ExecuteScript("CREATE TABLE t (party INTEGER NOT NULL, d INTEGER, m INTEGER CHECK (m BETWEEN 1 AND 12),"
                         " amount INTEGER) STRICT;");
        for (int64_t d : {30, 10, 20}) db.Execute("INSERT INTO t (party, d, m) VALUES (1, ?, 1)", {d});
        db.Execute("INSERT INTO t (party, d, m) VALUES (2, 5, 1)");
    }

    Recordset Open() { return db.OpenRecordset({"t", "party = ?", {int64_t{1}}, "d"}); }

    static std::vector<int64_t> Days(Recordset& rs)
    {
        std::vector<int64_t> out;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) out.push_back(std::get<int64_t>(rs.Fields("d")));
        return out;
    }
};

TEST_F(DbRecordset, RowsInQueryOrderWithPositions)
{
    Recordset rs = Open();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(Days(rs), (std::vector<int64_t>{10, 20, 30}));
    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.SetAbsolutePosition(1);
    EXPECT_EQ(std::get<int64_t>(rs.Fields("d")), 20);
    EXPECT_THROW(rs.SetAbsolutePosition(3), DbError);
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(rs.AbsolutePosition(), -1);
    EXPECT_THROW(rs.Fields("d"), DbError);
    EXPECT_THROW(rs.Fields("nope"), DbError);
}

TEST_F(DbRecordset, AddedRowStaysAtTheEndUntilRefresh)
{
    Recordset rs = Open();
    rs.MoveFirst();
    rs.AddNew();
    rs.SetField("party", int64_t{1});
    rs.SetField("d", int64_t{15});
    rs.SetField("m", int64_t{2});
    rs.Update();
    EXPECT_EQ(std::get<int64_t>(rs.Fields("d")), 10);   // the current row stays
    EXPECT_EQ(Days(rs), (std::vector<int64_t>{10, 20, 30, 15}));
    rs.SetBookmark(rs.LastModified());
    EXPECT_EQ(std::get<int64_t>(rs.Fields("d")), 15);
    EXPECT_TRUE(IsNull(rs.Fields("amount")));   // Null stays Null
    rs.Refresh();
    EXPECT_EQ(Days(rs), (std::vector<int64_t>{10, 15, 20, 30}));
}

TEST_F(DbRecordset, AddNewAtEofStaysAtEof)
{
    Recordset rs = db.OpenRecordset({"t", "party = ?", {int64_t{7}}, ""});
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.AddNew();
    rs.SetField("party", int64_t{7});
    rs.Update();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(DbRecordset, EditWritesThroughAndNullAmountsStayNull)
{
    Recordset rs = Open();
    rs.SetAbsolutePosition(1);
    auto mark = rs.GetBookmark();
    rs.Edit();
    rs.SetField("amount", int64_t{1200});
    EXPECT_EQ(std::get<int64_t>(rs.Fields("amount")), 1200);   // the edit buffer
    rs.Update();
    rs.MoveFirst();
    rs.SetBookmark(mark);
    EXPECT_EQ(std::get<int64_t>(rs.Fields("amount")), 1200);
    rs.Edit();
    rs.SetField("amount", DbNull);
    rs.Update();
    auto v = db.QueryValue("SELECT amount FROM t WHERE d = 20");
    EXPECT_TRUE(IsNull(v));
    EXPECT_THROW(rs.SetField("amount", int64_t{1}), DbError);   // not editing
}

TEST_F(DbRecordset, DeletedRowsAreSkipped)
{
    Recordset rs = Open();
    rs.SetAbsolutePosition(1);
    rs.Delete();
    EXPECT_THROW(rs.Fields("d"), DbError);
    rs.MoveNext();
    EXPECT_EQ(std::get<int64_t>(rs.Fields("d")), 30);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(Days(rs), (std::vector<int64_t>{10, 30}));
    EXPECT_EQ(IntegerOf(db.QueryValue("SELECT count(*) FROM t")).value(), 3);
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_THROW(rs.MoveNext(), DbError);
}

TEST_F(DbRecordset, FailedUpdateInTransactionLeavesNothingHalfWritten)
{
    Recordset rs = Open();
    db.BeginTrans();
    rs.MoveFirst();
    rs.Edit();
    rs.SetField("amount", int64_t{500});
    rs.Update();
    rs.MoveNext();
    rs.Edit();
    rs.SetField("m", int64_t{13});
    EXPECT_THROW(rs.Update(), DbError);
    EXPECT_TRUE(rs.Editing());   // the edit stays open after a refused update
    rs.CancelUpdate();
    db.Rollback();
    EXPECT_TRUE(IsNull(db.QueryValue("SELECT amount FROM t WHERE d = 10")));
    EXPECT_EQ(IntegerOf(db.QueryValue("SELECT count(*) FROM t WHERE m = 1")).value(), 4);
}

TEST_F(DbRecordset, RowDeletedElsewhereIsReportedOnUpdate)
{
    Recordset rs = Open();
    rs.MoveFirst();
    db.Execute("DELETE FROM t WHERE d = 10");
    rs.Edit();
    rs.SetField("amount", int64_t{1});
    EXPECT_THROW(rs.Update(), DbError);
}

TEST_F(DbRecordset, TableNameWithQuoteIsRefused)
{
    EXPECT_THROW(db.OpenRecordset({"t\" ; DROP TABLE t; --", "", {}, ""}), DbError);
}

} // namespace
