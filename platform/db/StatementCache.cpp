#include "platform/db/StatementCache.h"

namespace nv {

StatementCache::Lease::Lease(Statement* statement, bool* inUse, std::unique_ptr<Statement> own)
    : statement_(statement), inUse_(inUse), own_(std::move(own))
{
    if (inUse_) *inUse_ = true;
}

StatementCache::Lease::Lease(Lease&& other) noexcept
    : statement_(other.statement_), inUse_(other.inUse_), own_(std::move(other.own_))
{
    other.statement_ = nullptr;
    other.inUse_ = nullptr;
}

StatementCache::Lease::~Lease()
{
    if (statement_) statement_->Reset();
    if (inUse_) *inUse_ = false;
}

void StatementCache::MakeRoom()
{
    while (entries_.size() >= kCapacity) {
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (!it->second.inUse && (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        // Every kept statement in use: the cache may grow past its size.
        if (oldest == entries_.end()) return;
        entries_.erase(oldest);
    }
}

StatementCache::Lease StatementCache::Acquire(sqlite3* db, std::string_view sql)
{
    auto it = entries_.find(sql);
    if (it != entries_.end()) {
        if (it->second.inUse) {
            auto own = std::make_unique<Statement>(db, sql);
            Statement* statement = own.get();
            return Lease(statement, nullptr, std::move(own));
        }
        it->second.lastUse = ++clock_;
        return Lease(it->second.statement.get(), &it->second.inUse, nullptr);
    }
    // Prepared before it is kept: a text SQLite refuses is not kept.
    auto statement = std::make_unique<Statement>(db, sql);
    MakeRoom();
    Entry& e = entries_[std::string(sql)];
    e.statement = std::move(statement);
    e.lastUse = ++clock_;
    return Lease(e.statement.get(), &e.inUse, nullptr);
}

} // namespace nv
