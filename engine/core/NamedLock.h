#pragma once
// A lock shared by every process of the user, named like the system-wide
// mutex it replaces. Built on flock so that a holder that dies frees it.
#include <cstdint>
#include <string>

namespace nv {

class NamedLock {
public:
    explicit NamedLock(const std::string& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Non-zero when taken; 0 on time-out, on failure, or when already held.
    int Lock(uint32_t timeoutMs);
    // Non-zero when released; 0 when not held.
    int Unlock();

    bool IsHeld() const { return held_; }
    // The lock file standing for the name (for tests and diagnostics).
    const std::string& LockFilePath() const { return path_; }

private:
    std::string name_; // the lock file's name
    std::string path_;
    int fd_ = -1;
    bool held_ = false;
};

} // namespace nv
