#include "platform/db/Database.h"

#include "platform/db/DbConnection.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/db/Statement.h"
#include "platform/core/FileErrors.h"
#include "platform/core/FileReplacement.h"
#include "platform/core/OnFailure.h"
#include "platform/core/PlatformLog.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace nv {

namespace {
constexpr int kDefaultBusyMs = 5000;
}

DbConnection::~DbConnection()
{
    statements.Clear();
    if (db) {
        if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    }
}

Database Database::Open(const std::string& path, OpenMode mode)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case OpenMode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case OpenMode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case OpenMode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    auto conn = std::make_shared<DbConnection>();
    conn->path = path;
    int rc = sqlite3_open_v2(path.c_str(), &conn->db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string what = "open " + path;
        ThrowSqlite(conn->db, rc, what, path);
    }
    sqlite3_extended_result_codes(conn->db, 1);
    sqlite3_busy_timeout(conn->db, kDefaultBusyMs);
    Database db(std::move(conn));
    // Reading the schema finds a file that is not a database now, not at the
    // first query.
    db.Query("PRAGMA schema_version");
    return db;
}

DbConnection& Database::Conn() const
{
    if (!conn_) throw DbError::Misuse("database is not open");
    return *conn_;
}

sqlite3* Database::Handle() const
{
    return Conn().db;
}

const std::string& Database::Path() const
{
    return Conn().path;
}

bool Database::IsReadOnly() const
{
    return sqlite3_db_readonly(Handle(), "main") == 1;
}

const std::string& Database::ReadOnlyNotice() const
{
    return Conn().readOnlyNotice;
}

void Database::SetReadOnlyNotice(std::string text)
{
    Conn().readOnlyNotice = std::move(text);
}

void Database::Close()
{
    // Recordsets may keep the connection alive; the lock must not stay with them.
    if (conn_ && conn_->db && !sqlite3_get_autocommit(conn_->db))
        sqlite3_exec(conn_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (conn_) conn_->depth = 0;
    conn_.reset();
}

int Database::Execute(std::string_view sql, const std::vector<DbValue>& params)
{
    sqlite3* db = Handle();
    StatementCache::Lease st = Conn().statements.Acquire(db, sql);
    st->Bind(params);
    while (st->Step()) {
    }
    return sqlite3_changes(db);
}

void Database::ExecuteScript(std::string_view sql)
{
    std::string text(sql);
    char* err = nullptr;
    int rc = sqlite3_exec(Handle(), text.c_str(), nullptr, nullptr, &err);
    if (err) sqlite3_free(err);
    if (rc != SQLITE_OK) ThrowSqlite(Handle(), rc, "script");
}

std::vector<std::vector<DbValue>> Database::Query(std::string_view sql, const std::vector<DbValue>& params)
{
    StatementCache::Lease st = Conn().statements.Acquire(Handle(), sql);
    st->Bind(params);
    std::vector<std::vector<DbValue>> rows;
    while (st->Step()) {
        std::vector<DbValue> row;
        row.reserve(static_cast<size_t>(st->ColumnCount()));
        for (int i = 0; i < st->ColumnCount(); ++i) row.push_back(st->Column(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

void Database::ForEachRow(std::string_view sql, const std::vector<DbValue>& params,
                          const std::function<void(const std::vector<DbValue>& row)>& take)
{
    StatementCache::Lease st = Conn().statements.Acquire(Handle(), sql);
    st->Bind(params);
    std::vector<DbValue> row(static_cast<size_t>(st->ColumnCount()));
    while (st->Step()) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = st->Column(static_cast<int>(i));
        take(row);
    }
}

DbValue Database::QueryValue(std::string_view sql, const std::vector<DbValue>& params)
{
    auto rows = Query(sql, params);
    if (rows.empty() || rows.front().empty()) return DbNull;
    return rows.front().front();
}

int64_t Database::UserVersion()
{
    return IntegerOf(QueryValue("PRAGMA user_version")).value_or(0);
}

void Database::SetUserVersion(int64_t version)
{
    // PRAGMA takes no parameters; the value is a number of the program.
    Execute("PRAGMA user_version = " + std::to_string(version));
}

void Database::SetBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(Handle(), milliseconds < 0 ? 0 : milliseconds);
}

void Database::BeginTrans()
{
    DbConnection& c = Conn();
    if (c.depth == 0)
        Execute("BEGIN IMMEDIATE");
    else
        Execute("SAVEPOINT nv_level" + std::to_string(c.depth));
    ++c.depth;
}

void Database::CommitTrans()
{
    DbConnection& c = Conn();
    if (c.depth == 0) throw DbError::Misuse("commit without a transaction");
    if (c.depth == 1)
        Execute("COMMIT");
    else
        Execute("RELEASE nv_level" + std::to_string(c.depth - 1));
    --c.depth;
}

void Database::Rollback()
{
    DbConnection& c = Conn();
    if (c.depth == 0) throw DbError::Misuse("rollback without a transaction");
    --c.depth;
    // SQLite may have rolled back on its own after a serious error (a full
    // disk, a failed write): every level is gone with it, savepoints too.
    if (sqlite3_get_autocommit(c.db)) return;
    if (c.depth == 0) {
        Execute("ROLLBACK");
    } else {
        std::string name = "nv_level" + std::to_string(c.depth);
        Execute("ROLLBACK TO " + name);
        Execute("RELEASE " + name);
    }
}

Database::ChangeStamp Database::Changes()
{
    ChangeStamp s;
    s.others = IntegerOf(QueryValue("PRAGMA data_version")).value_or(0);
    s.own = sqlite3_total_changes64(Handle());
    return s;
}

int Database::TransactionDepth() const
{
    return conn_ ? conn_->depth : 0;
}

int64_t Database::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(Handle());
}

namespace {

// What SQLite left beside a copy that failed.
void RemoveBackupJournals(const std::string& temp)
{
    std::error_code ec;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) std::filesystem::remove(temp + suffix, ec);
}

} // namespace

void Database::BackupTo(const std::string& path)
{
    namespace fs = std::filesystem;
    sqlite3* src = Handle();
    std::error_code ec;
    // Renaming the copy over the open file would leave this connection on the
    // unlinked old file and every other one on the copy.
    if (fs::equivalent(path, Conn().path, ec))
        throw DbError(0, "バックアップ先にデータベースファイル自身は指定できません: " + path);
    // A copy of the books is as private as the books, whatever the umask:
    // SQLite would create it 0644, and gives its journal the file's mode.
    // The journals an earlier version's killed backup left as "<path>.part-…":
    // only while no "<path>.part" of the user's stands for them to belong to.
    if (!fs::exists(fs::symlink_status(path + ".part", ec))) RemoveBackupJournals(path + ".part");
    FileReplacement file;
    auto fail = [&] {
        const ReplaceFailure& f = file.Failure();
        return DbError(SQLITE_CANTOPEN, "バックアップファイルを作成できません: " + f.Text(), f.LogText());
    };
    if (!file.Begin(path, NewFileMode::Private)) throw fail();
    const std::string temp = file.TempPath();
    sqlite3* dest = nullptr;
    // A copy that failed half way is not left beside the backup, nor its
    // journal.
    OnFailure dropCopy([&] {
        if (dest) sqlite3_close_v2(dest);
        RemoveBackupJournals(temp);
    });
    int rc = sqlite3_open_v2(temp.c_str(), &dest, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(dest, rc, "backup open", path);
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", src, "main");
    if (!b) ThrowSqlite(dest, sqlite3_errcode(dest), "backup", path);
    rc = sqlite3_backup_step(b, -1);
    int frc = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) ThrowSqlite(dest, rc, "backup", path);
    if (frc != SQLITE_OK) ThrowSqlite(dest, frc, "backup", path);
    rc = sqlite3_close(dest);
    dest = nullptr;
    if (rc != SQLITE_OK) ThrowSqlite(nullptr, rc, "backup close", path);
    if (!file.Commit()) throw fail();
}

Recordset Database::OpenRecordset(const RecordSource& source)
{
    if (!conn_) throw DbError::Misuse("database is not open");
    return Recordset(conn_, source);
}

Transaction::Transaction(Database& db) : db_(db)
{
    db_.BeginTrans();
}

Transaction::~Transaction()
{
    if (open_) {
        try {
            db_.Rollback();
        } catch (const DbError& e) {
            // A destructor cannot report; SQLite rolls back what is left open when the connection closes.
            PlatformLog("Database", "終わらなかったトランザクションを取り消せません: " + e.Detail());
        }
    }
}

void Transaction::Commit()
{
    if (!open_) throw DbError::Misuse("transaction already ended");
    db_.CommitTrans();
    open_ = false;
}

} // namespace nv
