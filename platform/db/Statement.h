#pragma once
// A prepared SQLite statement with bound parameters; used inside the database
// layer only.
#include "platform/db/DbValue.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace nv {

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(const std::vector<DbValue>& params);
    // Back to before the first step, parameters cleared, for the next use.
    void Reset();
    // True while a row is available.
    bool Step();
    int ColumnCount() const;
    std::string ColumnName(int i) const;
    DbValue Column(int i) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    std::string sql_;
};

// Throws the DbError for a failed SQLite call; context says what was tried,
// file names the database when the connection cannot (a failed open).
[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, std::string_view context, std::string_view file = {});

// Quotes an identifier that comes from the program, never from the user; a
// double quote or NUL in it is refused.
std::string QuoteIdentifier(std::string_view name);

} // namespace nv
