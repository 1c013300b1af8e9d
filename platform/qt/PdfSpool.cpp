#include "platform/qt/PdfSpool.h"

#include "platform/core/SignalCleanup.h"

#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <strings.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

namespace nv {

namespace {

// The last bytes hold "startxref", its offset and "%%EOF".
constexpr off_t kTailBytes = 1024;

bool ReadAt(int fd, off_t at, std::string& out, size_t n)
{
    out.assign(n, '\0');
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, out.data() + got, n - got, at + off_t(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        got += size_t(r);
    }
    return true;
}

bool SoundTrailer(int fd, off_t size)
{
    const off_t from = size > kTailBytes ? size - kTailBytes : 0;
    std::string tail;
    if (!ReadAt(fd, from, tail, size_t(size - from))) return false;
    const size_t eof = tail.rfind("%%EOF");
    if (eof == std::string::npos) return false;
    for (size_t i = eof + 5; i < tail.size(); ++i)
        if (!std::strchr(" \r\n\t", tail[i])) return false;
    const size_t start = tail.rfind("startxref", eof);
    if (start == std::string::npos) return false;
    char* end = nullptr;
    const long long xref = std::strtoll(tail.c_str() + start + 9, &end, 10);
    if (end == tail.c_str() + start + 9 || xref <= 0 || xref >= size) return false;
    // The offset names a cross-reference table or stream that is there.
    std::string head;
    if (!ReadAt(fd, off_t(xref), head, size_t(std::min<off_t>(16, size - off_t(xref))))) return false;
    return head.rfind("xref", 0) == 0 || (head[0] >= '0' && head[0] <= '9');
}

// The spools of this process's running jobs, for the signal handler.
struct LiveSpool {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 live
    char path[4096];
};
LiveSpool gLive[8];

void RemoveLiveSpools()
{
    for (LiveSpool& s : gLive)
        if (s.state.load() == 2) ::unlink(s.path);
}

int ClaimSlot(const QByteArray& path)
{
    if (path.size() >= int(sizeof gLive[0].path)) return -1;
    for (int i = 0; i < int(std::size(gLive)); ++i) {
        int free = 0;
        if (!gLive[i].state.compare_exchange_strong(free, 1)) continue;
        std::memcpy(gLive[i].path, path.constData(), size_t(path.size()) + 1);
        gLive[i].state.store(2);
        return i;
    }
    return -1;
}

// Spools are named ".<name>.nivalo-spool-<pid>-XXXXXX": no other program
// names its files so, where ".<name>.pdf.<6 letters>" is also the shape of
// a user's ".report.pdf.backup" or of another tool's temporary file.
constexpr char kSpoolTag[] = ".nivalo-spool-";

QByteArray SpoolTemplate(const QString& folder, const QString& fileName)
{
    return QFile::encodeName(folder + QStringLiteral("/.") + fileName) + kSpoolTag +
           QByteArray::number(qint64(::getpid())) + "-XXXXXX";
}

// A spool of a PDF file as Reserve names it: the target's name ends in
// ".pdf", the pid is digits and the random part six letters or digits.
bool IsPdfSpoolName(const char* name)
{
    const std::string_view n(name);
    const size_t tag = n.rfind(kSpoolTag);
    if (n.empty() || n[0] != '.' || tag == std::string_view::npos || tag < 1 + 1 + 4) return false;
    if (strncasecmp(name + tag - 4, ".pdf", 4) != 0) return false;
    const std::string_view rest = n.substr(tag + sizeof kSpoolTag - 1);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || rest.size() - dash - 1 != 6) return false;
    for (size_t i = 0; i < rest.size(); ++i) {
        const auto c = static_cast<unsigned char>(rest[i]);
        if (i < dash ? !std::isdigit(c) : i > dash && !std::isalnum(c)) return false;
    }
    return true;
}

constexpr time_t kYoungEmptySpool = 60;

} // namespace

int PdfSpool::RemoveStaleSpools(const QString& folder)
{
    const QByteArray dirPath = QFile::encodeName(folder);
    DIR* dir = ::opendir(dirPath.constData());
    if (!dir) return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (!IsPdfSpoolName(e->d_name)) continue;
        const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        char head[5] = {};
        bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
        // What a job writes, and nothing else of the user's that looks alike.
        if (stale && st.st_size == 0) stale = std::time(nullptr) - st.st_mtime > kYoungEmptySpool;
        else if (stale) stale = ::pread(fd, head, 5, 0) == 5 && std::memcmp(head, "%PDF-", 5) == 0;
        // A running job holds the lock; the kernel lets go of it for a
        // process that died.
        if (stale && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat now {};
            if (::fstatat(dirFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
                now.st_ino == st.st_ino && ::unlinkat(dirFd, e->d_name, 0) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool PdfFileIsWhole(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // fsync reports a write the disk refused after the writer let go.
    const bool ok = ::fsync(fd) == 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
                    SoundTrailer(fd, st.st_size);
    ::close(fd);
    return ok;
}

bool PdfSpool::Reserve(const QString& target)
{
    Drop();
    QFileInfo info(target);
    const QByteArray native = QFile::encodeName(info.absoluteFilePath());
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || ::access(native.constData(), W_OK) != 0) return false;
        // The file a link names gets the new PDF; the link stays.
        if (info.isSymLink()) info = QFileInfo(info.canonicalFilePath());
        mode_ = int(st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = int(0666 & ~mask);
    }
    RemoveStaleSpools(info.absolutePath());
    QByteArray name = SpoolTemplate(info.absolutePath(), info.fileName());
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // Locked before anything is written to it: an unlocked spool with
    // content is a dead job's. Where the file system has no locks, no
    // spool there is ever taken for a dead job's either.
    ::flock(fd, LOCK_EX | LOCK_NB);
    lockFd_ = fd;
    slot_ = ClaimSlot(name);
    if (slot_ >= 0) AddSignalCleanup(RemoveLiveSpools);
    target_ = info.absoluteFilePath();
    spool_ = QFile::decodeName(name);
    return true;
}

bool PdfSpool::Commit()
{
    if (spool_.isEmpty()) return false;
    const QByteArray from = QFile::encodeName(spool_);
    if (!PdfFileIsWhole(spool_) || ::chmod(from.constData(), mode_t(mode_)) != 0 ||
        std::rename(from.constData(), QFile::encodeName(target_).constData()) != 0) {
        Drop();
        return false;
    }
    spool_.clear();
    Release();
    return true;
}

void PdfSpool::Drop()
{
    if (!spool_.isEmpty()) QFile::remove(spool_);
    spool_.clear();
    Release();
}

void PdfSpool::Release()
{
    if (slot_ >= 0) gLive[slot_].state.store(0);
    slot_ = -1;
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

} // namespace nv
