#include "platform/core/FileReplacement.h"

#include "platform/core/FileErrors.h"
#include "platform/core/PlatformLog.h"
#include "platform/core/SignalCleanup.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace nv {

namespace {

constexpr char kPrefix[] = ".nivalo-";
constexpr size_t kRandomLetters = 6;
constexpr char kSuffix[] = ".tmp";
// An empty file may be one a replacement has just made and not yet locked.
constexpr time_t kYoungEmptyFile = 60;
// Set by this program's earlier versions: what their company.w1 spools and
// PDF spools were called.
constexpr char kOldCompanyMark[] = "user.nivalo.company-w1-spool";
constexpr char kOldCompanyPrefix[] = "company.w1.";
constexpr char kOldPdfSpoolTag[] = ".nivalo-spool-";
// A check that found the file not whole, where the system said nothing.
constexpr int kNotWhole = EBADMSG;

bool RandomTail(std::string_view s, size_t letters)
{
    if (s.size() != letters) return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// ".nivalo-XXXXXX.tmp"
constexpr size_t kReplacementNameSize = sizeof kPrefix - 1 + kRandomLetters + sizeof kSuffix - 1;
bool IsReplacementName(std::string_view n)
{
    return n.size() == kReplacementNameSize && n.compare(0, sizeof kPrefix - 1, kPrefix) == 0 &&
           n.substr(n.size() - (sizeof kSuffix - 1)) == kSuffix &&
           RandomTail(n.substr(sizeof kPrefix - 1, kRandomLetters), kRandomLetters);
}

// The journal SQLite keeps beside a database written as a replacement.
bool IsReplacementJournal(std::string_view n)
{
    if (n.size() <= kReplacementNameSize || !IsReplacementName(n.substr(0, kReplacementNameSize))) return false;
    const std::string_view suffix = n.substr(kReplacementNameSize);
    return suffix == "-journal" || suffix == "-wal" || suffix == "-shm";
}

// ".<name>.pdf.nivalo-spool-<pid>-XXXXXX"
bool IsOldPdfSpoolName(std::string_view n)
{
    const size_t tag = n.rfind(kOldPdfSpoolTag);
    if (n.empty() || n[0] != '.' || tag == std::string_view::npos || tag < 1 + 1 + 4) return false;
    if (strncasecmp(n.data() + tag - 4, ".pdf", 4) != 0) return false;
    const std::string_view rest = n.substr(tag + sizeof kOldPdfSpoolTag - 1);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos) return false;
    for (size_t i = 0; i < dash; ++i)
        if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return false;
    return RandomTail(rest.substr(dash + 1), kRandomLetters);
}

bool IsOldCompanyName(std::string_view n)
{
    return n.compare(0, sizeof kOldCompanyPrefix - 1, kOldCompanyPrefix) == 0 &&
           RandomTail(n.substr(sizeof kOldCompanyPrefix - 1), kRandomLetters);
}

// What an older spool must hold to be taken for one: a PDF's head, or the
// mark company.w1's spools carried.
bool OldKindHolds(int fd, std::string_view name, off_t size)
{
    if (IsOldCompanyName(name)) {
        char mark[8];
        return ::fgetxattr(fd, kOldCompanyMark, mark, sizeof mark) == 1 && mark[0] == '1';
    }
    char head[5] = {};
    return size == 0 || (::pread(fd, head, 5, 0) == 5 && std::memcmp(head, "%PDF-", 5) == 0);
}

// The new files of this process's live replacements, for the signal handler.
struct LiveFile {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 live
    char path[4096];
};
LiveFile gLive[16];

void RemoveLiveFiles()
{
    for (LiveFile& f : gLive)
        if (f.state.load() == 2) ::unlink(f.path);
}

int ClaimSlot(const std::string& path)
{
    if (path.size() >= sizeof gLive[0].path) return -1;
    for (int i = 0; i < int(std::size(gLive)); ++i) {
        int free = 0;
        if (!gLive[i].state.compare_exchange_strong(free, 1)) continue;
        std::memcpy(gLive[i].path, path.c_str(), path.size() + 1);
        gLive[i].state.store(2);
        AddSignalCleanup(RemoveLiveFiles);
        return i;
    }
    return -1;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Why a flushed file failed its check, asked of the system: a write at its
// end fails as the printer's or the engine's writes did (a full disk, a size
// limit); 0 when the system takes it.
int WriteProbe(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    char block[4096] = {};
    const ssize_t n = ::pwrite(fd, block, sizeof block, st.st_size);
    const int err = n < 0 ? errno : 0;
    if (n > 0 && ::ftruncate(fd, st.st_size) != 0) return errno;
    return err;
}

} // namespace

std::string ReplaceFailure::Text() const
{
    if (!*this) return {};
    std::string why;
    if ((step == "check" || step == "write") && err == kNotWhole) why = "書き込んだ内容が完全ではありません";
    else if (step == "open" && err == EINVAL) why = NotAFileText(path);
    else if (step == "read-only") why = "読み取り専用のファイルです";
    else why = FileErrorText(err, path);
    return path + ": " + why;
}

std::string ReplaceFailure::LogText() const
{
    if (!*this) return {};
    const char* cause = err == kNotWhole ? "not whole" : std::strerror(err);
    return path + ": " + step + ": " + cause;
}

unsigned CurrentUmask()
{
    // Setting the umask to read it would give a file another thread makes
    // in between the wrong mode.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return unsigned(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
    return 022;
}

bool FileReplacement::Fail(const char* step, int err)
{
    failure_ = ReplaceFailure{err ? err : EIO, step, path_};
    PlatformLog("File", "ファイルを置き換えられません: " + failure_.LogText());
    Drop();
    return false;
}

bool FileReplacement::Begin(const std::string& target, NewFileMode mode)
{
    Drop();
    failure_ = {};
    path_ = target_ = target;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return Fail("open", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        // Marked read-only by its owner (root writes it all the same), or not
        // writable by this user.
        if (!(st.st_mode & S_IWUSR)) return Fail("read-only", EACCES);
        if (::access(target.c_str(), W_OK) != 0) return Fail("open", errno);
        std::error_code ec;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) {
            const std::filesystem::path real = std::filesystem::canonical(target, ec);
            if (ec) return Fail("open", ec.value());
            target_ = real.string();
        }
    } else if (errno != ENOENT) {
        return Fail("open", errno);
    }
    switch (mode) {
    case NewFileMode::KeepOrShared: mode_ = exists ? st.st_mode & 07777 : 0666 & ~CurrentUmask(); break;
    case NewFileMode::KeepOrPrivate: mode_ = exists ? st.st_mode & 07777 : 0600; break;
    case NewFileMode::Private: mode_ = 0600; break;
    }
    const std::string folder = FolderOf(target_);
    RemoveReplacementLeftovers(folder);
    std::string temp = folder + "/" + kPrefix + std::string(kRandomLetters, 'X') + kSuffix;
    fd_ = ::mkostemps(temp.data(), sizeof kSuffix - 1, O_CLOEXEC);
    if (fd_ < 0) return Fail("create", errno);
    // Locked before anything is written: an unlocked file with content is a
    // dead process's. Where the file system has no locks, only the young
    // empty file is safe from the clean-up, as on every file system.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    temp_ = temp;
    slot_ = ClaimSlot(temp_);
    return true;
}

bool FileReplacement::Write(std::string_view bytes)
{
    if (fd_ < 0) return failure_ ? false : Fail("write", EBADF);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail("write", errno);
        if (n == 0) return Fail("write", ENOSPC);
        done += size_t(n);
    }
    return true;
}

bool FileReplacement::Flush()
{
    if (fd_ < 0) return failure_ ? false : Fail("flush", EBADF);
    // fsync reports a write the disk refused after the writer let go.
    return ::fsync(fd_) == 0 || Fail("flush", errno);
}

bool FileReplacement::Commit(const std::function<bool(int fd)>& check)
{
    if (!Flush()) return false;
    if (check && !check(fd_)) {
        const int cause = WriteProbe(fd_);
        return Fail("check", cause ? cause : kNotWhole);
    }
    if (::fchmod(fd_, mode_) != 0) return Fail("mode", errno);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) return Fail("rename", errno);
    temp_.clear();
    // The rename itself on disk; a folder that cannot be synced keeps it in
    // memory until the system writes it.
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    Release();
    return true;
}

bool FileReplacement::CommitNew()
{
    if (!Flush()) return false;
    if (::fchmod(fd_, mode_) != 0) return Fail("mode", errno);
    if (::link(temp_.c_str(), target_.c_str()) != 0) return Fail("link", errno);
    Drop();
    return true;
}

bool FileReplacement::Abandon()
{
    if (fd_ < 0) return false;
    const int cause = WriteProbe(fd_);
    return Fail("write", cause ? cause : kNotWhole);
}

void FileReplacement::Drop()
{
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    Release();
}

void FileReplacement::Release()
{
    if (slot_ >= 0) gLive[slot_].state.store(0);
    slot_ = -1;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ReplaceFailure ReplaceFileBytes(const std::string& target, std::string_view bytes, NewFileMode mode)
{
    FileReplacement r;
    if (r.Begin(target, mode) && r.Write(bytes)) r.Commit();
    return r.Failure();
}

int RemoveReplacementLeftovers(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    // Journals last, once the databases they belong to have gone.
    for (const bool journals : {false, true}) {
        ::rewinddir(dir);
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view name(e->d_name);
            const bool journal = IsReplacementJournal(name);
            if (journal != journals) continue;
            const bool ours = IsReplacementName(name);
            if (!ours && !journal && !IsOldPdfSpoolName(name) && !IsOldCompanyName(name)) continue;
            struct stat base {};
            if (journal && ::fstatat(dirFd, std::string(name.substr(0, kReplacementNameSize)).c_str(), &base,
                                     AT_SYMLINK_NOFOLLOW) == 0)
                continue;
            const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            struct stat st {};
            bool dead = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                        st.st_nlink == 1 && (ours || journal || OldKindHolds(fd, name, st.st_size));
            if (dead && st.st_size == 0) dead = std::time(nullptr) - st.st_mtime > kYoungEmptyFile;
            // A live writer holds the lock; the kernel lets go of it for a
            // process that died.
            if (dead && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                struct stat now {};
                if (::fstatat(dirFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
                    now.st_ino == st.st_ino && ::unlinkat(dirFd, e->d_name, 0) == 0)
                    ++removed;
            }
            ::close(fd);
        }
    }
    ::closedir(dir);
    return removed;
}

} // namespace nv
