#include "platform/rows/RowTableModel.h"
#include "support/TempDir.h"

#include <QBrush>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace nv;

namespace {

struct RowModel : ::testing::Test {
    nvtest::TempDir dir;
    Database db = Database::Open(dir.file("t.db"), OpenMode::Create);
    RowTableModel model;

    void SetUp() override
    {
        db.ExecuteScript("CREATE TABLE t (n INTEGER, name TEXT, r REAL);"
                         "INSERT INTO t VALUES (1, 'a', 1.5), (2, NULL, NULL), (3, 'c', 0.25);");
        model.SetColumns({{"n", "No"}, {"name", "Name", Qt::AlignCenter}, {"missing", "M", {}, false}});
        Recordset rs = db.OpenRecordset({"t", "", {}, "n DESC"});
        model.Load(rs);
    }
};

TEST_F(RowModel, LoadsRowsWithTheirIdsAndShowsValues)
{
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.RowAt(0).id, 3);
    EXPECT_EQ(model.RowAt(2).id, 1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "3");
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "");
    EXPECT_TRUE(IsNull(model.Value(1, "name")));
    EXPECT_TRUE(IsNull(model.Value(0, 2)));   // a field the recordset lacks
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.RowOfId(2), 1);
    EXPECT_EQ(model.RowOfId(99), -1);
    EXPECT_FALSE(model.HasChanges());
    model.SetAlternateColor(QColor(1, 2, 3));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::BackgroundRole).isValid());
    EXPECT_EQ(model.data(model.index(1, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(1, 2, 3));
}

TEST_F(RowModel, EditsFlagRowsAndSubmitHandsThemToTheWriter)
{
    std::vector<std::pair<int64_t, std::string>> written;
    model.SetWriter([&](const RowTableModel::Row& r) {
        std::string name = RowTableModel::TextOf(r.values[1]).toStdString();
        if (name == "bad") throw std::invalid_argument("name refused");
        written.emplace_back(*r.id, name);
    });
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.setData(model.index(0, 1), "x"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(model.setData(model.index(0, 1), "x"));   // same value: nothing new
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(model.setData(model.index(2, 1), ""));    // empty text is Null
    EXPECT_TRUE(IsNull(model.Value(2, 1)));
    EXPECT_FALSE(model.setData(model.index(5, 1), "y"));
    EXPECT_TRUE(model.RowAt(0).changed);
    EXPECT_FALSE(model.RowAt(1).changed);
    EXPECT_TRUE(model.submit());
    EXPECT_EQ(written, (std::vector<std::pair<int64_t, std::string>>{{3, "x"}, {1, ""}}));
    EXPECT_FALSE(model.HasChanges());

    model.setData(model.index(1, 1), "bad");
    model.setData(model.index(2, 1), "fine");
    written.clear();
    EXPECT_FALSE(model.submit());
    EXPECT_EQ(model.LastError(), "name refused");
    EXPECT_TRUE(model.RowAt(1).changed);
    EXPECT_TRUE(model.RowAt(2).changed);   // stopped at the first refusal
    EXPECT_TRUE(written.empty());
}

TEST_F(RowModel, NewRowsHaveNoIdUntilTheOwnerWritesThem)
{
    int r = model.AppendRow({int64_t{9}});
    EXPECT_EQ(r, 3);
    EXPECT_FALSE(model.RowAt(r).id);
    EXPECT_TRUE(model.RowAt(r).changed);
    EXPECT_EQ(model.RowAt(r).values.size(), 3u);
    model.RemoveRowAt(r);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(RowTableModel::TextOf(DbValue(2.5)), "2.5");
    EXPECT_EQ(RowTableModel::ValueOf("日本"), DbValue(std::string("日本")));
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
