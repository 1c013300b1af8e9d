#pragma once
// Tables of the ledger database (an SQLite file named "補助簿DB.MDB").
#include "platform/db/Database.h"

#include <cstdint>
#include <string>

namespace nv {

inline constexpr const char* kTemplateDatabaseName = "空の補助簿DB.MDB";
inline constexpr int64_t kLedgerSchemaVersion = 1;

inline constexpr const char* kTableSuppliers = "仕入れ先";
inline constexpr const char* kTableCustomers = "売上げ先";
inline constexpr const char* kTablePurchases = "仕入れデータ";
inline constexpr const char* kTableSales = "売上げデータ";
inline constexpr const char* kTableItemNames = "品名";

// The schema text (STRICT tables, checks and indexes).
const std::string& LedgerSchemaSql();
// Creates the tables in an empty database and sets its schema version, all
// or nothing: in the caller's transaction when there is one, else in its own.
void CreateLedgerSchema(Database& db);
// Makes a new empty ledger database at path (through a temporary file, so a
// failure leaves nothing behind). An existing file is replaced.
void CreateEmptyLedgerDatabase(const std::string& path);
// Opens a ledger database for reading and writing; throws DbError when the
// file is missing, not a database, of another schema version, or lacks a
// table or column of the schema (said in Japanese, naming it). The first
// open of a file in a process checks its pages and indexes (an integrity
// check; one a lock keeps from running is run at the next open); a damaged
// file, and one this user may not write, opens read-only, and
// ReadOnlyNotice() holds the message for the user, naming the file.
Database OpenLedgerDatabase(const std::string& path);
// How many page checks this process has run.
int LedgerDatabaseChecks();
// An empty ledger database in memory, made once per process (fuzz targets).
Database& MemoryLedgerDatabase();

} // namespace nv
