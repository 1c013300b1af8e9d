#include "engine/core/NamedLock.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace nv {
namespace {

std::string LockFolder()
{
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return run;
    return "/tmp";
}

// Keeps the name readable but safe as one file name.
std::string FileNameFor(const std::string& name)
{
    std::string out = "nivalo-lock-";
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            out += static_cast<char>(c);
        else if (c == ' ')
            out += '_';
        else {
            static const char hex[] = "0123456789abcdef";
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + "-" + std::to_string(getuid());
}

} // namespace

NamedLock::NamedLock(const std::string& name)
    : path_(LockFolder() + "/" + FileNameFor(name))
{
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

NamedLock::~NamedLock()
{
    if (held_) Unlock();
    if (fd_ >= 0) ::close(fd_);
}

int NamedLock::Lock(uint32_t timeoutMs)
{
    if (fd_ < 0 || held_) return 0;
    // flock locks belong to the open file description, so a second NamedLock
    // of the same name in this process waits as another process would.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return 1;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return 0;
        if (std::chrono::steady_clock::now() >= deadline) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int NamedLock::Unlock()
{
    if (fd_ < 0 || !held_) return 0;
    if (::flock(fd_, LOCK_UN) != 0) return 0;
    held_ = false;
    return 1;
}

} // namespace nv
