#pragma once
#include <stdexcept>
#include <string>

namespace nv {

// A failure of the database layer. code() is SQLite's extended result code
// (0 for failures found by this layer itself).
class DbError : public std::runtime_error {
public:
    DbError(int code, const std::string& message, std::string detail = {})
        : std::runtime_error(message), code_(code), detail_(std::move(detail)) {}

    int code() const { return code_; }
    // The database engine's own text, for logs; never shown to a person.
    const std::string& detail() const { return detail_; }
    // Another connection holds the lock for longer than the busy timeout.
    bool IsBusy() const;
    // A CHECK, NOT NULL, UNIQUE or type rule of the schema refused the row.
    bool IsConstraint() const;

private:
    int code_;
    std::string detail_;
};

} // namespace nv
