#pragma once
// The ledger's database: one SQLite file reached through a small layer in the
// manner of the data-access objects the ledger components were written for.
// Every value reaches SQL as a bound parameter.
#include "platform/db/DbValue.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace nv {

class Recordset;

enum class OpenMode {
    ReadWrite,   // the file must exist
    Create,      // made empty when missing
    ReadOnly,
};

// What a recordset shows: rows of one table, chosen by a condition with "?"
// placeholders for params, in the given order. Table, condition and order are
// program text; user values go in params only.
struct RecordSource {
    std::string table;
    std::string where;
    std::vector<DbValue> params;
    std::string orderBy;
};

// The shared connection state; recordsets keep it alive.
struct DbConnection;

class Database {
public:
    Database() = default;
    static Database Open(const std::string& path, OpenMode mode = OpenMode::ReadWrite);

    bool IsOpen() const { return conn_ != nullptr; }
    const std::string& Path() const;
    // Whether the connection refuses writes, and the message that says why
    // to the user (empty when nothing needs saying).
    bool IsReadOnly() const;
    const std::string& ReadOnlyNotice() const;
    void SetReadOnlyNotice(std::string text);
    // Rolls back an open transaction and closes (recordsets still open keep
    // the connection until they go).
    void Close();

    // Execute and Query prepare each text once and keep it for the next call
    // (a few dozen texts per connection).
    // One statement; returns the number of rows changed.
    int Execute(std::string_view sql, const std::vector<DbValue>& params = {});
    // Several statements without parameters, for schema text of the program.
    void ExecuteScript(std::string_view sql);
    std::vector<std::vector<DbValue>> Query(std::string_view sql, const std::vector<DbValue>& params = {});
    DbValue QueryValue(std::string_view sql, const std::vector<DbValue>& params = {});
    // Each row of a query handed over as it is stepped, in one buffer the
    // next row overwrites: a long read keeps no second copy of its rows.
    void ForEachRow(std::string_view sql, const std::vector<DbValue>& params,
                    const std::function<void(const std::vector<DbValue>& row)>& take);

    // Schema version kept in the file header.
    int64_t UserVersion();
    void SetUserVersion(int64_t version);

    // How long a statement waits for another connection's lock before it
    // fails with a busy error.
    void SetBusyTimeout(int milliseconds);

    // Transactions nest; the outermost takes the write lock at once.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    int TransactionDepth() const;

    // Where the file stands: what other connections have committed and what
    // this one has changed. Two equal stamps mean no row changed in between,
    // so a caller holding rows read after the first knows they still hold.
    struct ChangeStamp {
        int64_t others = 0;
        int64_t own = 0;
        bool operator==(const ChangeStamp&) const = default;
    };
    ChangeStamp Changes();

    // Copies the whole database into path through SQLite's online backup,
    // into a temporary file first, renamed over path when complete. The copy
    // is readable by its owner only (0600), whatever the umask; a failed one
    // leaves nothing behind, its journal included.
    void BackupTo(const std::string& path);

    int64_t LastInsertRowId() const;
    Recordset OpenRecordset(const RecordSource& source);

    sqlite3* Handle() const;

private:
    explicit Database(std::shared_ptr<DbConnection> conn) : conn_(std::move(conn)) {}
    DbConnection& Conn() const;
    std::shared_ptr<DbConnection> conn_;
};

// Rolls back on leaving the scope unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace nv
