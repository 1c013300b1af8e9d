#pragma once
// The statements a connection runs again and again (a journal's update of one
// row, the same query per party) are prepared once and kept, reset between
// uses; used inside the database layer only.
#include "platform/db/Statement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;

namespace nv {

class StatementCache {
public:
    // Statements kept at most; the one used longest ago goes first.
    static constexpr size_t kCapacity = 64;

    // A statement of the cache, or one of its own while the cached one is in
    // use; reset with its parameters cleared when the lease ends, so it holds
    // no lock between uses.
    class Lease {
    public:
        Lease(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease();
        Statement& operator*() const { return *statement_; }
        Statement* operator->() const { return statement_; }

    private:
        friend class StatementCache;
        Lease(Statement* statement, bool* inUse, std::unique_ptr<Statement> own);
        Statement* statement_;
        bool* inUse_;
        std::unique_ptr<Statement> own_;
    };

    Lease Acquire(sqlite3* db, std::string_view sql);
    // Finalizes every statement (before the connection closes).
    void Clear() { entries_.clear(); }
    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::unique_ptr<Statement> statement;
        bool inUse = false;
        uint64_t lastUse = 0;
    };
    void MakeRoom();

    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> entries_;
    uint64_t clock_ = 0;
};

} // namespace nv
