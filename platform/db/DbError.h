#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace nv {

// A failure of the database layer. Code() is SQLite's extended result code
// (0 for failures found by this layer itself).
class DbError : public std::runtime_error {
public:
    DbError(int code, const std::string& message, std::string detail = {})
        : std::runtime_error(message), code_(code), detail_(std::move(detail)) {}

    int Code() const { return code_; }
    // The database engine's own text, for logs; never shown to a person.
    const std::string& Detail() const { return detail_; }
    // Another connection holds the lock for longer than the busy timeout.
    bool IsBusy() const;
    // A CHECK, NOT NULL, UNIQUE or type rule of the schema refused the row.
    bool IsConstraint() const;

    // A call this layer refuses (no open database, no current record, ...):
    // a fault of the calling code, not of the data. A person reads only that
    // the work could not go on; what was refused is the detail, for the log.
    static DbError Misuse(std::string_view what);

private:
    int code_;
    std::string detail_;
};

} // namespace nv
