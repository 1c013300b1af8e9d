// A save writes the rows an edit changed and no other, every row keeps its
// id, and the lines read back in the order the book holds them.
#include "JournalTestDb.h"

#include "ledger/journal/JournalBook.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using namespace nv;
using nvtest::JournalTestDb;

namespace {

using Rows = std::map<int64_t, std::vector<DbValue>>;

Rows ById(const std::vector<std::vector<DbValue>>& dump)
{
    Rows rows;
    for (auto row : dump) {
        int64_t id = std::get<int64_t>(row[0]);
        row.erase(row.begin());
        rows.emplace(id, std::move(row));
    }
    return rows;
}

// Row ids added, removed or changed between two dumps.
std::set<int64_t> Touched(const Rows& before, const Rows& after)
{
    std::set<int64_t> ids;
    for (const auto& [id, row] : before) {
        auto it = after.find(id);
        if (it == after.end() || it->second != row) ids.insert(id);
    }
    for (const auto& [id, row] : after)
        if (!before.count(id)) ids.insert(id);
    return ids;
}

// Ten lines of party 7 with their balances stored, one line of party 8.
void AddJournal(JournalTestDb& t)
{
    Transaction one(t.db);
    t.AddLine(7, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 1000});
    for (int i = 1; i < 10; ++i) {
        const int month = 4 + i <= 12 ? 4 + i : i - 8;
        t.AddLine(7, {month >= 4 ? 2005 : 2006, month, 10, "品物", {}, {}, 100 * i, {}, 1000 + 50 * i * (i + 1)});
    }
    t.AddLine(8, {2005, 4, 1, "前期繰越金額", {}, {}, {}, {}, 5});
    one.Commit();
}

} // namespace

TEST(JournalSave, OnlyTheRowsThatChangedAreWrittenUnderTheirIds)
{
    struct Case {
        const char* name;
        std::function<void(JournalBook&)> edit;
        std::vector<size_t> lines;   // book lines whose rows change (before the edit)
        int added;                   // rows inserted
        int64_t rowsWritten;
    };
    const Case cases[] = {
        {"one amount", [](JournalBook& b) { b.SetCell(3, JournalColumn::Amount, "333"); }, {3}, 0, 1},
        {"the same amount typed again", [](JournalBook& b) { b.SetCell(3, JournalColumn::Amount, "300"); }, {}, 0, 0},
        {"a balance pass after an edit of the second line",
         [](JournalBook& b) {
             b.SetCell(1, JournalColumn::Amount, "150");
             b.CalcRunningBalance();
         },
         {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 9},
        {"a line deleted", [](JournalBook& b) { b.DeleteLine(4); }, {4}, 0, 1},
        {"a line moved to an earlier month", [](JournalBook& b) { b.SetCell(8, JournalColumn::Month, "5"); }, {8}, 0, 1},
        {"a new line typed",
         [](JournalBook& b) {
             b.AppendNewLine();
             b.SetCell(b.NewLineIndex(), JournalColumn::Item, "追加");
         },
         {}, 1, 1},
        {"a new line typed, then a line above it deleted",
         [](JournalBook& b) {
             b.AppendNewLine();
             b.SetCell(b.NewLineIndex(), JournalColumn::Item, "追加");
             b.DeleteLine(2);
         },
         {2}, 1, 2},
        {"a balance pass, then one line edited and another deleted",
         [](JournalBook& b) {
             b.CalcRunningBalance();
             b.SetCell(3, JournalColumn::Item, "直した");
             b.DeleteLine(5);
         },
         {3, 5}, 0, 2},
    };
    for (JournalSide side : {JournalSide::Purchases, JournalSide::Sales}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            JournalTestDb t(side);
            AddJournal(t);
            JournalBook book(t.db, t.Entry(7, 1000));
            book.SearchPeriod();
            std::set<int64_t> want;
            for (size_t i : c.lines) want.insert(book.Lines()[i].RowId);
            const Rows before = ById(t.Dump());
            const int64_t written = t.db.Changes().own;
            c.edit(book);
            book.Save();
            EXPECT_EQ(t.db.Changes().own - written, c.rowsWritten);
            const Rows after = ById(t.Dump());
            std::set<int64_t> touched = Touched(before, after);
            // A new row takes an id above every row.
            int added = 0;
            for (auto it = touched.begin(); it != touched.end();) {
                if (!before.count(*it)) {
                    EXPECT_GT(*it, before.rbegin()->first);
                    ++added;
                    it = touched.erase(it);
                } else {
                    ++it;
                }
            }
            EXPECT_EQ(touched, want);
            EXPECT_EQ(added, c.added);
            EXPECT_FALSE(book.Dirty());

            // Read back through the period query: the same lines in the same
            // order, each under the id the book holds.
            JournalBook again(t.db, t.Entry(7, 1000));
            again.SearchPeriod();
            EXPECT_EQ(again.Lines(), book.Lines());
        }
    }
}

TEST(JournalSave, ANewLineBeforeStoredLinesOfItsPlaceTakesAnIdBelowEveryRow)
{
    // Lines alike in date and データ数 read back by row id: a new opening
    // line, which goes before them, is stored under an id that reads first.
    JournalTestDb t;
    t.AddLine(7, {2005, 4, 1, "材料", {}, {}, 1000});
    t.AddLine(7, {2005, 4, 1, "後の行", {}, {}, 10});
    t.db.Execute(std::string("UPDATE \"") + t.Words().LineTable + "\" SET \"データ数\" = NULL");
    JournalBook book(t.db, t.Entry(7, 30000));
    book.SearchPeriod();
    for (const char* item : {"前期繰越金額", "新しい行"}) {
        book.AppendNewLine();
        const size_t i = book.NewLineIndex();
        book.SetCell(i, JournalColumn::DataNo, "");
        book.SetCell(i, JournalColumn::Item, item);
    }
    EXPECT_TRUE(book.Save());
    std::vector<std::string> items;
    for (const JournalLine& l : book.Lines()) items.push_back(l.Item.value_or(""));
    EXPECT_EQ(items, (std::vector<std::string>{"前期繰越金額", "材料", "後の行", "新しい行"}));
    EXPECT_LT(book.Lines()[0].RowId, 0);
    EXPECT_GT(book.Lines()[3].RowId, book.Lines()[2].RowId);
    JournalBook again(t.db, t.Entry(7, 30000));
    again.SearchPeriod();
    EXPECT_EQ(again.Lines(), book.Lines());
}

TEST(JournalSave, TwoWritersOfOnePartyNeverSaveFiguresOverALineTheyHaveNotSeen)
{
    // A and B hold party 7's journal on connections of their own; B saves
    // first. Edits stand on the rows they write, balances on every line.
    auto insert = [](JournalBook& b) {
        b.AppendNewLine();
        b.SetCell(b.NewLineIndex(), JournalColumn::Item, "Bの行");
    };
    auto pass = [](JournalBook& a) {
        a.SetCell(1, JournalColumn::Amount, "150");
        a.CalcRunningBalance();
    };
    auto typed = [](JournalBook& a) {
        a.AppendNewLine();
        a.SetCell(a.NewLineIndex(), JournalColumn::Item, "Aの行");
    };
    // B is the register deleting party 7, with its lines, by its two DELETEs.
    const std::function<void(JournalBook&)> deletes;
    const char* gone = "仕入先 7 山田商店 は他の画面で削除されました。この画面の入力は保存できません。";
    struct Case {
        const char* name;
        std::function<void(JournalBook&)> b, a;
        bool passWaitedBeforeB;   // A's balance pass met B's lock, then B saved
        const char* refusal;
        bool balanced;   // the stored balances count every stored line
    } cases[] = {
        {"the party deleted between open and save", deletes, typed, false, gone, false},
        {"the party deleted between open and 残高更新", deletes, pass, false, gone, false},
        {"B inserts, then A's balance pass", insert, pass, false, nullptr, true},
        {"B inserts, then A's one-cell edit", insert, [](JournalBook& a) { a.SetCell(3, JournalColumn::Item, "直"); },
         false, nullptr, false},
        {"B edits a row A changed", [](JournalBook& b) { b.SetCell(3, JournalColumn::Item, "B"); },
         [](JournalBook& a) { a.SetCell(3, JournalColumn::Amount, "333"); }, false, kChangedElsewhereMessage, false},
        {"B inserts between A's balance pass and its save", insert, [](JournalBook&) {}, true,
         kChangedElsewhereMessage, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JournalTestDb t;
        AddJournal(t);
        t.AddParty(7, "山田商店", 1000);
        t.db.SetBusyTimeout(20);
        Database other = Database::Open(t.path);
        JournalBook a(t.db, t.Entry(7, 1000)), b(other, t.Entry(7, 1000));
        a.OpenPass();
        b.OpenPass();
        if (c.passWaitedBeforeB) {
            other.BeginTrans();
            EXPECT_THROW(pass(a), JournalError);
            other.Rollback();
        }
        if (c.b) c.b(b);
        else other.ExecuteScript("DELETE FROM 仕入れデータ WHERE 仕入先No = 7; DELETE FROM 仕入れ先 WHERE 仕入先No = 7");
        b.Save();
        const auto afterB = t.Dump();
        try {
            c.a(a);
            a.Save();
            EXPECT_FALSE(c.refusal);
        } catch (const JournalError& e) {
            EXPECT_STREQ(e.what(), c.refusal ? c.refusal : "saved");
            EXPECT_EQ(t.Dump(), afterB);
            continue;
        }
        EXPECT_EQ(t.Dump().size(), afterB.size());   // B's line kept
        EXPECT_EQ(a.ReadOthersLines(), c.balanced);    // the pass that read B's line says so
        // A journal opened now finds every balance right, or has to write.
        JournalBook now(t.db, t.Entry(7, 1000));
        const int64_t written = t.db.Changes().own;
        now.OpenPass();
        EXPECT_EQ(t.db.Changes().own == written, c.balanced);
    }
}
