#include "platform/db/Statement.h"

#include "platform/db/DbError.h"

#include <sqlite3.h>

namespace nv {

bool DbError::IsBusy() const
{
    int primary = code_ & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool DbError::IsConstraint() const
{
    return (code_ & 0xff) == SQLITE_CONSTRAINT;
}

DbError DbError::Misuse(std::string_view what)
{
    return DbError(0, "内部の誤りのため、データベースの処理を続けられません。", "misuse: " + std::string(what));
}

void ThrowSqlite(sqlite3* db, int rc, std::string_view context, std::string_view file)
{
    int code = db ? sqlite3_extended_errcode(db) : rc;
    if ((code & 0xff) != (rc & 0xff)) code = rc;
    // SQLite's own text is English: it stays in Detail() for the log, and
    // the user reads the cause and the file in Japanese.
    std::string detail = std::string(context) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    std::string text;
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: text = "データベースは他のプログラムが使用中です。しばらく待ってからやり直してください。"; break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: text = "データベースファイルが壊れているか、データベースファイルではありません。"; break;
    case SQLITE_FULL: text = "ディスクに空きがないため、データベースに書き込めません。"; break;
    case SQLITE_CANTOPEN: text = "データベースファイルを開けません。"; break;
    case SQLITE_READONLY: text = "データベースファイルに書き込めません。"; break;
    case SQLITE_IOERR: text = "データベースファイルの読み書きでエラーが発生しました。"; break;
    case SQLITE_PERM:
    case SQLITE_AUTH: text = "データベースファイルにアクセスする権限がありません。"; break;
    case SQLITE_NOMEM: text = "メモリが足りません。"; break;
    case SQLITE_TOOBIG: text = "値が大きすぎます。"; break;
    case SQLITE_INTERRUPT: text = "データベースの処理が中断されました。"; break;
    case SQLITE_CONSTRAINT:
        text = "データベースの規則に合わない値です。";
        // A trigger's refusal is the schema author's own words.
        if (code == SQLITE_CONSTRAINT_TRIGGER && db) text += std::string(" ") + sqlite3_errmsg(db);
        break;
    default: text = "データベースの処理に失敗しました (エラー番号 " + std::to_string(code) + ")。"; break;
    }
    const char* open = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (file.empty() && open) file = open;
    if (!file.empty()) text += "\n" + std::string(file);
    throw DbError(code, text, detail);
}

std::string QuoteIdentifier(std::string_view name)
{
    if (name.empty() || name.find('"') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        throw DbError::Misuse("invalid identifier: " + std::string(name.substr(0, 64)));
    std::string q = "\"";
    q += name;
    q += '"';
    return q;
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db), sql_(sql)
{
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, "prepare");
    if (!stmt_) throw DbError::Misuse("empty statement");
    // One statement per call: text after the first is refused, so nothing
    // rides along unseen.
    for (; tail && tail < sql.data() + sql.size(); ++tail) {
        char c = *tail;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw DbError::Misuse("more than one statement in one call");
        }
    }
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::Bind(const std::vector<DbValue>& params)
{
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt_))
        throw DbError::Misuse("parameter count does not match the statement");
    for (size_t i = 0; i < params.size(); ++i) {
        int n = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        const DbValue& v = params[i];
        if (IsNull(v)) {
            rc = sqlite3_bind_null(stmt_, n);
        } else if (auto p = std::get_if<int64_t>(&v)) {
            rc = sqlite3_bind_int64(stmt_, n, *p);
        } else if (auto d = std::get_if<double>(&v)) {
            rc = sqlite3_bind_double(stmt_, n, *d);
        } else {
            const std::string& s = std::get<std::string>(v);
            rc = sqlite3_bind_text64(stmt_, n, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK) ThrowSqlite(db_, rc, "bind");
    }
}

void Statement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool Statement::Step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    ThrowSqlite(db_, rc, "step");
}

int Statement::ColumnCount() const
{
    return sqlite3_column_count(stmt_);
}

std::string Statement::ColumnName(int i) const
{
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

DbValue Statement::Column(int i) const
{
    switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_INTEGER:
        return static_cast<int64_t>(sqlite3_column_int64(stmt_, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt_, i);
    case SQLITE_NULL:
        return DbNull;
    default: {
        const void* p = sqlite3_column_blob(stmt_, i);
        int n = sqlite3_column_bytes(stmt_, i);
        return std::string(p ? static_cast<const char*>(p) : "", static_cast<size_t>(n));
    }
    }
}

} // namespace nv
