#include "ledger/common/LedgerSchema.h"
#include "ledger/common/MonthFunctions.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace nv;

namespace {

struct Schema : ::testing::Test {
    nvtest::TempDir dir;
    std::string path = dir.file("補助簿DB.MDB");
    Database db;

    void SetUp() override
    {
        CreateEmptyLedgerDatabase(path);
        db = OpenLedgerDatabase(path);
    }

    void AddLine(DbValue year, DbValue month, DbValue day, DbValue amount = DbNull)
    {
        db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"年\", \"月\", \"日\", \"仕入金額\") VALUES (1, ?, ?, ?, ?)",
                   {year, month, day, amount});
    }
};

TEST_F(Schema, TablesAndColumnsAsTheComponentsUseThem)
{
    struct Table {
        const char* name;
        std::vector<std::string> columns;
    } tables[] = {
        {kTableSuppliers, {"仕入先No", "検索キー", "ふりがな", "仕入先名", "郵便番号", "住所", "電話", "ファックス",
                           "〆切期日", "請求期日", "支払定日", "繰越金額", "親番", "枝番"}},
        {kTableCustomers, {"売上先No", "検索キー", "ふりがな", "売上先名", "郵便番号", "住所", "電話", "ファックス",
                           "〆切期日", "請求期日", "支払定日", "繰越金額", "親番", "枝番"}},
        {kTablePurchases, {"仕入先No", "データ数", "年", "月", "日", "品名", "数量", "単価", "仕入金額", "支払金額",
                           "借貸", "差引残高"}},
        {kTableSales, {"売上先No", "データ数", "年", "月", "日", "品名", "数量", "単価", "売上金額", "受入金額",
                       "借貸", "差引残高"}},
        {kTableItemNames, {"品名"}},
    };
    for (const Table& t : tables) {
        Recordset rs = db.OpenRecordset({t.name, "", {}, ""});
        EXPECT_EQ(rs.FieldNames(), t.columns) << t.name;
    }
    EXPECT_EQ(db.UserVersion(), kLedgerSchemaVersion);
}

TEST_F(Schema, RejectsMonth13AndATextYear)
{
    EXPECT_THROW(AddLine(int64_t{2005}, int64_t{13}, int64_t{1}), DbError);
    EXPECT_THROW(AddLine(int64_t{2005}, int64_t{0}, int64_t{1}), DbError);
    EXPECT_THROW(AddLine(int64_t{2005}, int64_t{4}, int64_t{32}), DbError);
    EXPECT_THROW(AddLine(std::string("平成十七年"), int64_t{4}, int64_t{1}), DbError);
    EXPECT_THROW(AddLine(int64_t{2005}, int64_t{4}, int64_t{1}, 10.5), DbError);   // whole yen only
    AddLine(int64_t{2005}, int64_t{4}, int64_t{1}, DbNull);
    Recordset rs = db.OpenRecordset({kTablePurchases, "\"仕入先No\" = ?", {int64_t{1}}, ""});
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_TRUE(IsNull(rs.Fields("仕入金額")));
    rs.Edit();
    rs.SetField("日", DbNull);
    rs.Update();
    EXPECT_THROW(LineDateOf(rs), std::invalid_argument);
}

TEST_F(Schema, JournalOrderAndQuantityTimesPrice)
{
    AddLine(int64_t{2005}, int64_t{5}, int64_t{2});
    AddLine(int64_t{2005}, int64_t{4}, int64_t{30});
    Recordset rs = db.OpenRecordset({kTablePurchases, "\"仕入先No\" = ?", {int64_t{1}},
                                     "\"年\", \"月\", \"日\", \"データ数\""});
    EXPECT_EQ(std::get<int64_t>(rs.Fields("月")), 4);
    LineDate d = LineDateOf(rs);
    EXPECT_EQ(d.year, 2005);
    EXPECT_EQ(d.month, 4);
    EXPECT_EQ(d.day, 30);
    rs.MoveNext();   // 5/2, after April closed
    EXPECT_EQ(FiscalMonthOf(FiscalBounds{2005, 4, 2006, 3}, 31, LineDateOf(rs)), 2);
    rs.MoveFirst();
    rs.Edit();
    rs.SetField("数量", 3.0);
    rs.SetField("単価", 12.5);
    rs.SetField("仕入金額", int64_t{38});
    rs.Update();
    EXPECT_DOUBLE_EQ(std::get<double>(rs.Fields("単価")), 12.5);
    auto plan = db.Query("EXPLAIN QUERY PLAN SELECT * FROM \"仕入れデータ\" WHERE \"仕入先No\" = 1 "
                         "ORDER BY \"年\", \"月\", \"日\", \"データ数\"");
    std::string text;
    for (auto& row : plan) text += std::get<std::string>(row.back()) + "\n";
    EXPECT_NE(text.find("USING INDEX"), std::string::npos) << text;
    EXPECT_EQ(text.find("TEMP B-TREE"), std::string::npos) << text;
}

TEST_F(Schema, PartyNumbersAreUniqueAndTextsHaveTheirLengths)
{
    auto add = [&](int64_t no, const std::string& name) {
        db.Execute("INSERT INTO \"仕入れ先\" (\"仕入先No\", \"仕入先名\", \"繰越金額\") VALUES (?, ?, 0)", {no, name});
    };
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "商";
    add(1, fifty);
    EXPECT_THROW(add(1, "重複"), DbError);
    EXPECT_THROW(add(2, fifty + "店"), DbError);
}

TEST_F(Schema, OtherVersionsAndMissingFilesAreRefused)
{
    db.Close();
    // Opened whole once, then changed by another program: the change is
    // said at the next open, in the user's words.
    const struct {
        const char* change;
        const char* lacking;
    } kChanges[] = {
        {"ALTER TABLE \"仕入れ先\" DROP COLUMN \"枝番\"", "仕入れ先 に 枝番"},
        // A table the books make only at the first carry, in another shape.
        {"CREATE TABLE \"自社設定\" (\"行\" INTEGER PRIMARY KEY, \"期首年\" INTEGER)", "自社設定 に 期首月"},
    };
    for (const auto& c : kChanges) {
        SCOPED_TRACE(c.change);
        const std::string changed = dir.file(std::string(c.lacking) + ".MDB");
        CreateEmptyLedgerDatabase(changed);
        OpenLedgerDatabase(changed);
        Database::Open(changed).Execute(c.change);
        try {
            OpenLedgerDatabase(changed);
            ADD_FAILURE() << "opened";
        } catch (const DbError& e) {
            EXPECT_EQ(std::string(e.what()), "補助簿DBの形式が違います: " + std::string(c.lacking) + " がありません\n" + changed);
        }
    }
    {
        Database d = Database::Open(path);
        d.SetUserVersion(2);
    }
    EXPECT_THROW(OpenLedgerDatabase(path), DbError);
    EXPECT_THROW(OpenLedgerDatabase(dir.file("none.MDB")), DbError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.MDB")));
}

// A file left in WAL mode is read only beside an index file SQLite makes in
// its folder: a folder that takes no new file is said as the cause.
TEST_F(Schema, AFileLeftInWalModeSaysItNeedsAWritableFolder)
{
    db.Query("PRAGMA journal_mode=WAL");
    db.Close();
    const std::string folder = dir.path().string();
    // The folder read-only with what it holds: its mode, or for root a
    // read-only view of it.
    const bool root = ::geteuid() == 0;
    const bool bound = root && ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
    const bool locked = root ? bound && ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0
                             : ::chmod(folder.c_str(), 0555) == 0;
    if (locked) {
        try {
            OpenLedgerDatabase(path);
            ADD_FAILURE() << "opened";
        } catch (const DbError& e) {
            EXPECT_EQ(std::string(e.what()).find("補助簿DBを開けません: " + path + ": 先行書き込みログ方式で記録されたファイルは、"
                                                 "書き込めるフォルダになければ読めません: " + folder + ": "),
                      0u) << e.what();
        }
    }
    if (bound) ::umount2(folder.c_str(), MNT_DETACH);
    if (!root) ::chmod(folder.c_str(), 0755);
    if (!locked) GTEST_SKIP() << "no read-only folder for this account";
}

TEST(LedgerTemplate, BuiltFileOpensAsAnEmptyLedger)
{
    std::string path = std::string(NV_BINARY_DIR) + "/share/" + kTemplateDatabaseName;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    nvtest::TempDir dir;
    std::string copy = dir.file("補助簿DB.MDB");
    std::filesystem::copy_file(path, copy);
    Database db = OpenLedgerDatabase(copy);
    EXPECT_EQ(IntegerOf(db.QueryValue("SELECT count(*) FROM \"仕入れデータ\"")).value(), 0);
    EXPECT_EQ(std::get<std::string>(db.QueryValue("SELECT group_concat(sql, '') FROM sqlite_schema WHERE sql NOT NULL")),
              std::get<std::string>([] {
                  nvtest::TempDir d;
                  CreateEmptyLedgerDatabase(d.file("x"));
                  return OpenLedgerDatabase(d.file("x")).QueryValue(
                      "SELECT group_concat(sql, '') FROM sqlite_schema WHERE sql NOT NULL");
              }()));
}

} // namespace

TEST_F(Schema, ADamagedDatabaseOpensReadOnlyAndTakesNoWrite)
{
    {
        Transaction t(db);
        for (int i = 0; i < 3000; ++i) AddLine(2006, 1 + i % 12, 1 + i % 28, i);
        t.Commit();
    }
    const int64_t pageSize = IntegerOf(db.QueryValue("PRAGMA page_size")).value();
    const int64_t root = IntegerOf(db.QueryValue("SELECT rootpage FROM sqlite_schema WHERE name = '仕入れデータ'")).value();
    db.Close();
    // The table's first page gets a page type no b-tree has.
    std::string bytes = nvtest::ReadFileBytes(path);
    bytes[size_t((root - 1) * pageSize)] = '\x7f';
    nvtest::WriteFileBytes(path, bytes);

    const int checks = LedgerDatabaseChecks();
    Database damaged = OpenLedgerDatabase(path);
    EXPECT_EQ(LedgerDatabaseChecks(), checks + 1);
    EXPECT_TRUE(damaged.IsReadOnly());
    EXPECT_NE(damaged.ReadOnlyNotice().find(path), std::string::npos) << damaged.ReadOnlyNotice();
    EXPECT_NE(damaged.ReadOnlyNotice().find("バックアップ"), std::string::npos) << damaged.ReadOnlyNotice();
    // A delete-and-insert as the journals make it cannot commit.
    EXPECT_THROW(
        {
            Transaction t(damaged);
            damaged.Execute("DELETE FROM \"仕入れデータ\" WHERE \"仕入先No\" = 1");
            damaged.Execute("INSERT INTO \"品名\" (\"品名\") VALUES ('x')");
            t.Commit();
        },
        DbError);
    damaged.Close();
    EXPECT_EQ(nvtest::ReadFileBytes(path), bytes);
}

namespace {

// A SQLite varint at p; n gets its length.
uint64_t Varint(const unsigned char* p, size_t& n)
{
    uint64_t v = 0;
    for (n = 0; n < 8; ++n) {
        v = (v << 7) | (p[n] & 0x7f);
        if (!(p[n] & 0x80)) return ++n, v;
    }
    return (v << 8) | p[n++];
}

// Points one entry of an index leaf at a row that is not there; the pages
// stay well formed and in order.
bool BreakAnIndexEntry(std::string& bytes, size_t pageSize)
{
    for (size_t page = pageSize; page + pageSize <= bytes.size(); page += pageSize) {
        auto* p = reinterpret_cast<unsigned char*>(bytes.data() + page);
        const size_t cells = size_t(p[3]) << 8 | p[4];
        if (p[0] != 0x0a || cells == 0) continue;
        for (size_t c = 0; c < cells; ++c) {
            size_t n = 0;
            unsigned char* cell = p + (size_t(p[8 + 2 * c]) << 8 | p[9 + 2 * c]);
            cell += (Varint(cell, n), n);
            const unsigned char* header = cell;
            const uint64_t headerSize = Varint(header, n);
            size_t at = n, body = headerSize, type = 0;
            while (at < headerSize) {
                type = Varint(header + at, n);
                at += n;
                const size_t sizes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
                const size_t len = type < 10 ? sizes[type] : (type - 12 - type % 2) / 2;
                if (at < headerSize) body += len;
            }
            // The row id is the last value.
            if (type != 2) continue;
            cell[body] = 0x7f;
            cell[body + 1] = 0xff;
            return true;
        }
    }
    return false;
}

// Another connection takes the file's lock just as the page check starts,
// and holds it past the checking connection's patience.
sqlite3* gHolder = nullptr;

int LockAtTheCheck(void* db, int action, const char* name, const char*, const char*, const char*)
{
    if (action == SQLITE_PRAGMA && name && std::string(name).ends_with("_check") && gHolder) {
        sqlite3_exec(gHolder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(static_cast<sqlite3*>(db), 0);
        gHolder = nullptr;
    }
    return SQLITE_OK;
}

int WatchTheCheck(sqlite3* db, char**, const sqlite3_api_routines*)
{
    sqlite3_set_authorizer(db, LockAtTheCheck, db);
    return SQLITE_OK;
}

} // namespace

TEST_F(Schema, ADamagedIndexOpensReadOnly)
{
    {
        Transaction t(db);
        for (int64_t i = 0; i < 3000; ++i)
            db.Execute("INSERT INTO \"仕入れデータ\" (\"仕入先No\", \"データ数\", \"年\", \"月\", \"日\") VALUES (1, ?, 2006, 1, 1)",
                       {i});
        t.Commit();
    }
    const int64_t pageSize = IntegerOf(db.QueryValue("PRAGMA page_size")).value();
    db.Close();
    std::string bytes = nvtest::ReadFileBytes(path);
    ASSERT_TRUE(BreakAnIndexEntry(bytes, size_t(pageSize)));
    nvtest::WriteFileBytes(path, bytes);

    Database damaged = OpenLedgerDatabase(path);
    EXPECT_TRUE(damaged.IsReadOnly());
    EXPECT_NE(damaged.ReadOnlyNotice().find("壊れています"), std::string::npos) << damaged.ReadOnlyNotice();
}

TEST_F(Schema, ALockDuringTheCheckIsNoDamage)
{
    const std::string path = dir.file("unchecked.MDB");
    CreateEmptyLedgerDatabase(path);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
    gHolder = holder;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(WatchTheCheck));
    const int checks = LedgerDatabaseChecks();
    Database first = OpenLedgerDatabase(path);
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(WatchTheCheck));
    EXPECT_EQ(gHolder, nullptr) << "the check ran without the lock";
    EXPECT_FALSE(first.IsReadOnly());
    EXPECT_TRUE(first.ReadOnlyNotice().empty()) << first.ReadOnlyNotice();
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    first.Close();
    // Not known to be whole either: the next open checks again.
    Database second = OpenLedgerDatabase(path);
    EXPECT_EQ(LedgerDatabaseChecks(), checks + 2);
    EXPECT_FALSE(second.IsReadOnly());
    EXPECT_TRUE(second.ReadOnlyNotice().empty());
}

TEST_F(Schema, EachFileIsCheckedOncePerProcess)
{
    const std::string other = dir.file("other.MDB");
    CreateEmptyLedgerDatabase(other);
    const int checks = LedgerDatabaseChecks();
    for (int i = 0; i < 3; ++i) {
        Database again = OpenLedgerDatabase(other);
        EXPECT_FALSE(again.IsReadOnly());
        EXPECT_TRUE(again.ReadOnlyNotice().empty());
    }
    EXPECT_EQ(LedgerDatabaseChecks(), checks + 1);
}

TEST_F(Schema, AReadOnlyFileIsSaidSoWhenOpened)
{
    db.Close();
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    Database locked = OpenLedgerDatabase(path);
    EXPECT_TRUE(locked.IsReadOnly());
    EXPECT_NE(locked.ReadOnlyNotice().find("読み取り専用"), std::string::npos);
    EXPECT_NE(locked.ReadOnlyNotice().find(path), std::string::npos);
    EXPECT_EQ(IntegerOf(locked.QueryValue("SELECT count(*) FROM \"品名\"")).value(), 0);
}
