#pragma once
// Connection state shared by a database and its recordsets (inside the layer).
#include "platform/db/StatementCache.h"

#include <string>

struct sqlite3;

namespace nv {

struct DbConnection {
    sqlite3* db = nullptr;
    std::string path;
    int depth = 0;   // open transaction levels
    std::string readOnlyNotice; // why the program opened it read-only, for the user
    StatementCache statements;  // of Execute and Query
    ~DbConnection();
};

} // namespace nv
