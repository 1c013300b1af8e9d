#include "ledger/common/LedgerSchema.h"

#include "ledger/common/SettingsRecord.h"
#include "platform/core/FileErrors.h"
#include "platform/core/OnFailure.h"
#include "platform/db/DbError.h"

#include <sqlite3.h>

#include <cstdint>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace nv {

namespace {

std::string PartyTable(const std::string& table, const std::string& no, const std::string& name)
{
    return "CREATE TABLE \"" + table + "\" (\n"
           "  \"" + no + "\" INTEGER NOT NULL UNIQUE,\n"
           "  \"検索キー\" TEXT CHECK (length(\"検索キー\") <= 1),\n"
           "  \"ふりがな\" TEXT CHECK (length(\"ふりがな\") <= 20),\n"
           "  \"" + name + "\" TEXT CHECK (length(\"" + name + "\") <= 50),\n"
           "  \"郵便番号\" TEXT CHECK (length(\"郵便番号\") <= 10),\n"
           "  \"住所\" TEXT CHECK (length(\"住所\") <= 70),\n"
           "  \"電話\" TEXT CHECK (length(\"電話\") <= 15),\n"
           "  \"ファックス\" TEXT CHECK (length(\"ファックス\") <= 15),\n"
           "  \"〆切期日\" TEXT CHECK (length(\"〆切期日\") <= 10),\n"
           "  \"請求期日\" TEXT CHECK (length(\"請求期日\") <= 10),\n"
           "  \"支払定日\" TEXT CHECK (length(\"支払定日\") <= 10),\n"
           "  \"繰越金額\" INTEGER,\n"
           "  \"親番\" INTEGER,\n"
           "  \"枝番\" INTEGER\n"
           ") STRICT;\n";
}

std::string LineTable(const std::string& table, const std::string& no, const std::string& amount,
                      const std::string& payment)
{
    return "CREATE TABLE \"" + table + "\" (\n"
           "  \"" + no + "\" INTEGER NOT NULL,\n"
           "  \"データ数\" INTEGER,\n"
           "  \"年\" INTEGER,\n"
           "  \"月\" INTEGER CHECK (\"月\" BETWEEN 1 AND 12),\n"
           "  \"日\" INTEGER CHECK (\"日\" BETWEEN 1 AND 31),\n"
           "  \"品名\" TEXT CHECK (length(\"品名\") <= 50),\n"
           "  \"数量\" REAL,\n"
           "  \"単価\" REAL,\n"
           "  \"" + amount + "\" INTEGER,\n"
           "  \"" + payment + "\" INTEGER,\n"
           "  \"借貸\" TEXT CHECK (length(\"借貸\") <= 4),\n"
           "  \"差引残高\" INTEGER\n"
           ") STRICT;\n"
           "CREATE INDEX \"" + table + "_順\" ON \"" + table + "\" (\"" + no +
           "\", \"年\", \"月\", \"日\", \"データ数\");\n";
}

} // namespace

const std::string& LedgerSchemaSql()
{
    static const std::string sql = PartyTable(kTableSuppliers, "仕入先No", "仕入先名") +
                                   PartyTable(kTableCustomers, "売上先No", "売上先名") +
                                   LineTable(kTablePurchases, "仕入先No", "仕入金額", "支払金額") +
                                   LineTable(kTableSales, "売上先No", "売上金額", "受入金額") +
                                   "CREATE TABLE \"品名\" (\n  \"品名\" TEXT CHECK (length(\"品名\") <= 50)\n) STRICT;\n";
    return sql;
}

void CreateLedgerSchema(Database& db)
{
    Transaction t(db);
    db.ExecuteScript(LedgerSchemaSql());
    db.SetUserVersion(kLedgerSchemaVersion);
    t.Commit();
}

void CreateEmptyLedgerDatabase(const std::string& path)
{
    namespace fs = std::filesystem;
    std::string temp = path + ".new";
    std::error_code ec;
    fs::remove(temp, ec);
    OnFailure removeTemp([&temp] {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    });
    Database db = Database::Open(temp, OpenMode::Create);
    CreateLedgerSchema(db);
    db.Close();
    fs::rename(temp, path, ec);
    if (ec) throw DbError(0, "データベースファイルを作成できません: " + path, "rename: " + ec.message());
}

namespace {

// Files already checked in this process, by identity and version: a file
// replaced (a backup restored) or changed since is checked again.
using FileKey = std::tuple<uint64_t, uint64_t, int64_t, int64_t, int64_t>;
std::mutex gCheckedMutex;
std::map<FileKey, bool> gChecked;
// What each known file lacks of the schema, empty for none.
std::map<FileKey, std::string> gShapes;
int gChecks = 0;

enum class PageCheck { Whole, Damaged, NotRun };

PageCheck CheckPages(Database& db)
{
    // integrity_check, not quick_check: a damaged index reads as whole
    // pages, and the journals find their lines through the indexes.
    try {
        auto rows = db.Query("PRAGMA integrity_check");
        const bool ok = rows.size() == 1 && !rows[0].empty() && TextOf(rows[0][0]).value_or("") == "ok";
        return ok ? PageCheck::Whole : PageCheck::Damaged;
    } catch (const DbError& e) {
        // Only the check itself finding damage says damaged; a lock or a
        // read that failed says nothing about the file.
        const int primary = e.Code() & 0xff;
        return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ? PageCheck::Damaged : PageCheck::NotRun;
    }
}

using Shape = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Each table with its columns, in the order they were made.
Shape TablesAndColumns(Database& db)
{
    Shape tables;
    for (const auto& row : db.Query("SELECT m.name, p.name FROM sqlite_schema m, pragma_table_info(m.name) p"
                                    " WHERE m.type = 'table' ORDER BY m.rowid, p.cid")) {
        const std::string table = TextOf(row[0]).value_or("");
        if (tables.empty() || tables.back().first != table) tables.push_back({table, {}});
        tables.back().second.push_back(TextOf(row[1]).value_or(""));
    }
    return tables;
}

// What the components read and write: a database made from the schema text.
const Shape& ExpectedShape()
{
    static const Shape shape = [] {
        Database d = Database::Open(":memory:", OpenMode::Create);
        CreateLedgerSchema(d);
        return TablesAndColumns(d);
    }();
    return shape;
}

// The tables made only when first needed (the own-company settings record,
// at the first carry), as their writers make them: a file may lack them,
// but one it has must have their columns.
const Shape& OptionalShape()
{
    static const Shape shape = [] {
        Database d = Database::Open(":memory:", OpenMode::Create);
        WriteSettingsRecord(d, SettingsRecord{});
        return TablesAndColumns(d);
    }();
    return shape;
}

// The first table or column of the schema the file lacks ("仕入れデータ に
// 差引残高"), empty when all are there; nothing when the schema cannot be
// read for damage, which the page check says.
std::optional<std::string> MissingFromShape(Database& db)
{
    std::map<std::string, std::set<std::string>> present;
    try {
        for (auto& [table, columns] : TablesAndColumns(db)) present[table].insert(columns.begin(), columns.end());
    } catch (const DbError& e) {
        const int primary = e.Code() & 0xff;
        if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return std::nullopt;
        throw;
    }
    for (const Shape* shape : {&ExpectedShape(), &OptionalShape()})
        for (const auto& [table, columns] : *shape) {
            const auto found = present.find(table);
            if (found == present.end()) {
                if (shape == &ExpectedShape()) return table;
                continue;
            }
            for (const std::string& c : columns)
                if (!found->second.contains(c)) return table + " に " + c;
        }
    return std::string();
}

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The header's read and write versions are 2 for a file in WAL mode.
bool LeftInWalMode(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    return in.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

// A file of the right version whose tables another program changed would
// fail at the first query, deep in a screen and in SQLite's English: it is
// refused at open, before anything reads or writes. Known files are not
// looked at again, as for the page check.
void CheckShape(Database& db, const std::string& path, const std::optional<FileKey>& key)
{
    std::optional<std::string> missing;
    if (key) {
        std::lock_guard lock(gCheckedMutex);
        if (auto it = gShapes.find(*key); it != gShapes.end()) missing = it->second;
    }
    if (!missing) {
        missing = MissingFromShape(db);
        if (missing && key) {
            std::lock_guard lock(gCheckedMutex);
            gShapes[*key] = *missing;
        }
    }
    if (missing && !missing->empty())
        throw DbError(0, "補助簿DBの形式が違います: " + *missing + " がありません\n" + path);
}

} // namespace

int LedgerDatabaseChecks()
{
    std::lock_guard lock(gCheckedMutex);
    return gChecks;
}

Database OpenLedgerDatabase(const std::string& path)
{
    struct stat st {};
    const bool known = ::stat(path.c_str(), &st) == 0;
    const int statError = known ? 0 : errno;
    // A folder or a named pipe is said as what it is; SQLite would read a
    // pipe for good, or call a folder a disk error.
    if (const std::string what = NotAFileText(path); !what.empty())
        throw DbError(SQLITE_CANTOPEN, "補助簿DBを開けません: " + path + ": " + what);
    if (!known && path != ":memory:")
        throw DbError(SQLITE_CANTOPEN, "補助簿DBを開けません: " + path + ": " + FileErrorText(statError, path));
    // Not writable by this user, or marked read-only: said now, not at the
    // first write.
    const bool locked = known && (!(st.st_mode & S_IWUSR) || ::access(path.c_str(), W_OK) != 0);
    Database db;
    int64_t version = 0;
    try {
        db = Database::Open(path, locked ? OpenMode::ReadOnly : OpenMode::ReadWrite);
        version = db.UserVersion();
    } catch (const DbError& e) {
        const std::string folder = FolderOf(path);
        if ((e.Code() & 0xff) != SQLITE_CANTOPEN || !LeftInWalMode(path) || ::access(folder.c_str(), W_OK) == 0) throw;
        const int folderError = errno;
        // SQLite reads such a file only beside an index file it makes in the
        // folder; "cannot open" alone would not say what to change.
        throw DbError(e.Code(),
                      "補助簿DBを開けません: " + path + ": 先行書き込みログ方式で記録されたファイルは、書き込めるフォルダになければ読めません: " +
                          folder + ": " + FileErrorText(folderError, folder),
                      e.Detail());
    }
    if (version != kLedgerSchemaVersion)
        throw DbError(0, "補助簿DBの形式が違います (版 " + std::to_string(version) + "): " + path);
    const FileKey key{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size), int64_t(st.st_mtim.tv_sec),
                      int64_t(st.st_mtim.tv_nsec)};
    CheckShape(db, path, known ? std::optional(key) : std::nullopt);
    // SQLite keeps a file of a newer writer read-only too.
    if (locked || db.IsReadOnly()) db.SetReadOnlyNotice("補助簿DBは読み取り専用です。変更は保存できません: " + path);
    if (!known) return db;

    bool whole = true;
    {
        std::lock_guard lock(gCheckedMutex);
        auto it = gChecked.find(key);
        if (it != gChecked.end()) {
            whole = it->second;
        } else {
            ++gChecks;
            const PageCheck check = CheckPages(db);
            // A check that could not run is run again at the next open.
            if (check != PageCheck::NotRun) whole = gChecked[key] = check == PageCheck::Whole;
        }
    }
    if (whole) return db;
    // Damaged: nothing may be written into it; reading what is still there
    // helps the user decide.
    db.Close();
    Database readOnly = Database::Open(path, OpenMode::ReadOnly);
    readOnly.SetReadOnlyNotice("補助簿DBが壊れています。読み取り専用で開きました。バックアップから復元してください: " + path);
    return readOnly;
}

Database& MemoryLedgerDatabase()
{
    static Database db = [] {
        Database d = Database::Open(":memory:", OpenMode::Create);
        CreateLedgerSchema(d);
        return d;
    }();
    return db;
}

} // namespace nv
