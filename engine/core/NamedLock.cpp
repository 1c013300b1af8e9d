#include "engine/core/NamedLock.h"

#include "engine/core/UserFolder.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace nv {
namespace {

// Opens the lock file without following a planted link, and only when it is
// this user's own file (one made by another user could be held forever).
int OpenLockFile(const std::string& path)
{
    if (path.empty()) return -1;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
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
    return out + "-" + std::to_string(::geteuid());
}

} // namespace

// One place for every process of the user, whatever its environment: the
// per-user folder, which no other user can have made first or write into.
NamedLock::NamedLock(const std::string& name)
    : name_(FileNameFor(name))
{
    const std::string folder = UserFolder();
    if (!folder.empty()) path_ = folder + "/" + name_;
    fd_ = OpenLockFile(path_);
}

NamedLock::~NamedLock()
{
    if (held_) Unlock();
    if (fd_ >= 0) ::close(fd_);
}

int NamedLock::Lock(uint32_t timeoutMs)
{
    if (held_) return 0;
    // The file could not be made at construction; it may be possible now.
    if (path_.empty()) {
        const std::string folder = UserFolder();
        if (!folder.empty()) path_ = folder + "/" + name_;
    }
    if (fd_ < 0) fd_ = OpenLockFile(path_);
    if (fd_ < 0) return 0;
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
