#include "engine/core/TempFileManager.h"

#include "engine/core/UserFolder.h"
#include "platform/core/SignalCleanup.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace nv {
namespace {

bool IsFolder(const std::string& path)
{
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Case-insensitive over ASCII letters; no byte of a UTF-8 sequence is one.
bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

constexpr char kWorkPrefix[] = "work-";
constexpr char kNotePrefix[] = "placeholder-";

bool IsNote(const char* name) { return std::strncmp(name, kNotePrefix, sizeof kNotePrefix - 1) == 0; }

// Removes the empty file a note stands for, when it is still that file.
void RemoveNotedPlaceholder(const std::string& note)
{
    std::ifstream in(note);
    uint64_t dev = 0, ino = 0;
    std::string path;
    if (!(in >> dev >> ino) || !std::getline(in >> std::ws, path) || path.empty()) return;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0 && uint64_t(st.st_dev) == dev &&
        uint64_t(st.st_ino) == ino && st.st_uid == ::geteuid())
        ::unlink(path.c_str());
}

// When a process started, in clock ticks since boot: with the process id it
// tells a running process from a later one that got the same id.
std::string StartTimeOf(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return {};
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return {};
    size_t at = close + 2;
    for (int field = 3; field < 22; ++field) {
        at = stat.find(' ', at);
        if (at == std::string::npos) return {};
        ++at;
    }
    return stat.substr(at, stat.find(' ', at) - at);
}

std::string RandomHex(size_t bytes)
{
    unsigned char raw[16] = {};
    if (bytes > sizeof raw) bytes = sizeof raw;
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::getrandom(raw + got, bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes; ++i) {
        out += hex[raw[i] >> 4];
        out += hex[raw[i] & 15];
    }
    return out;
}

// Empties a folder of work files and removes it, with system calls only, so
// that a signal handler may use it.
void RemoveWorkFolder(const char* folder, bool keepNotes)
{
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        alignas(8) char buf[4096];
        for (;;) {
            const long n = ::syscall(SYS_getdents64, fd, buf, sizeof buf);
            if (n <= 0) break;
            for (long at = 0; at < n;) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buf + at);
                const char* name = d->d_name;
                // Notes stay for the next start, which removes what they name.
                if (!(name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) && !(keepNotes && IsNote(name)))
                    ::unlinkat(fd, name, 0);
                at += d->d_reclen;
            }
        }
        ::close(fd);
    }
    ::rmdir(folder);
}

char gSignalFolder[4096];

void RemoveFolderOnSignal()
{
    if (gSignalFolder[0]) RemoveWorkFolder(gSignalFolder, true);
}

} // namespace

TempFileManager& TempFileManager::Instance()
{
    static TempFileManager manager;
    return manager;
}

TempFileManager::~TempFileManager()
{
    RemoveAll();
    // The process folder goes too, once nothing else is in it.
    if (!processFolder_.empty()) ::rmdir(processFolder_.c_str());
}

int TempFileManager::RemoveStaleWorkFolders(const std::string& userFolder)
{
    int removed = 0;
    DIR* dir = ::opendir(userFolder.c_str());
    if (!dir) return 0;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind(kWorkPrefix, 0) != 0) continue;
        // work-<pid>-<start time>
        const std::string rest = name.substr(sizeof kWorkPrefix - 1);
        const size_t dash = rest.find('-');
        if (dash == std::string::npos) continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0) continue;
        if (StartTimeOf(pid) != rest.substr(dash + 1)) stale.push_back(userFolder + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& folder : stale) {
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (const dirent* e = ::readdir(d))
                if (IsNote(e->d_name)) RemoveNotedPlaceholder(folder + "/" + e->d_name);
            ::closedir(d);
        }
        RemoveWorkFolder(folder.c_str(), false);
        ++removed;
    }
    return removed;
}

std::string TempFileManager::ProcessFolder()
{
    std::lock_guard lock(mutex_);
    return ProcessFolderLocked();
}

std::string TempFileManager::ProcessFolderLocked()
{
    // Checked at every use: the per-user folder may have been moved, or
    // opened to others, since; a fork has a folder of its own.
    std::string why;
    const std::string user = UserFolder(&why);
    if (user.empty()) {
        Fail(why, {}, 0);
        return {};
    }
    const long pid = ::getpid();
    if (pid != startPid_) {
        startPid_ = pid;
        startTime_ = StartTimeOf(pid);
    }
    const std::string folder = user + "/" + kWorkPrefix + std::to_string(pid) + "-" + startTime_;
    if (folder != processFolder_) RemoveStaleWorkFolders(user);
    why = CheckPrivateFolder(folder, true);
    if (!why.empty()) {
        Fail(why, folder, 0);
        return {};
    }
    if (folder != processFolder_) {
        processFolder_ = folder;
        if (this == &Instance() && folder.size() < sizeof gSignalFolder) {
            std::memcpy(gSignalFolder, folder.c_str(), folder.size() + 1);
            AddSignalCleanup(RemoveFolderOnSignal);
        }
    }
    return processFolder_;
}

int TempFileManager::CreateTempName(std::string& out, std::string_view folder)
{
    std::lock_guard lock(mutex_);
    out.clear();
    std::string dir = folder.empty() ? workFolder_ : std::string(folder);
    if (!IsFolder(dir)) dir = ProcessFolderLocked();
    if (dir.empty()) return 0;
    // A random name made exclusively: another user cannot take the names
    // beforehand, nor have one opened through a link.
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = dir;
        if (name.back() != '/') name += '/';
        name += "~FE" + RandomHex(6) + ".TMP";
        std::string fsPath = name;
        const int fd = ::open(fsPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            // Deleted by its full path, so that a change of the current
            // folder before the deletion cannot point it at another file.
            std::error_code ec;
            std::filesystem::path full = std::filesystem::absolute(fsPath, ec);
            if (!ec) fsPath = full.string();
            files_.push_back(Entry{name, std::move(fsPath)});
            out = std::move(name);
            return 1;
        }
        if (errno != EEXIST) {
            const int err = errno;
            Fail(dir + ": " + std::strerror(err), dir, err);
            return 0;
        }
    }
    Fail(dir + ": " + std::strerror(EEXIST), dir, EEXIST);
    return 0;
}

void TempFileManager::Fail(std::string text, std::string folder, int err)
{
    lastError_ = std::move(text);
    lastFolder_ = std::move(folder);
    lastErrno_ = err;
}

std::string TempFileManager::LastFolder() const
{
    std::lock_guard lock(mutex_);
    return lastFolder_;
}

int TempFileManager::LastErrno() const
{
    std::lock_guard lock(mutex_);
    return lastErrno_;
}

std::string TempFileManager::NotePlaceholder(const std::string& path, uint64_t dev, uint64_t ino)
{
    std::lock_guard lock(mutex_);
    const std::string folder = ProcessFolderLocked();
    if (folder.empty()) return {};
    const std::string note = folder + "/" + kNotePrefix + RandomHex(6);
    const int fd = ::open(note.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return {};
    const std::string text = std::to_string(dev) + " " + std::to_string(ino) + " " + path + "\n";
    const bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    if (!ok) {
        ::unlink(note.c_str());
        return {};
    }
    return note;
}

void TempFileManager::ForgetPlaceholder(const std::string& note)
{
    if (!note.empty()) ::unlink(note.c_str());
}

std::string TempFileManager::LastError() const
{
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool TempFileManager::Retain(std::string_view name)
{
    std::lock_guard lock(mutex_);
    for (auto& e : files_) {
        if (SameNameIgnoringCase(e.name, name)) {
            ++e.holders;
            return true;
        }
    }
    return false;
}

void TempFileManager::RemoveFile(std::string_view name)
{
    std::string found;
    {
        std::lock_guard lock(mutex_);
        for (auto it = files_.begin(); it != files_.end(); ++it) {
            if (SameNameIgnoringCase(it->name, name)) {
                if (--it->holders > 0) return;
                found = it->fsPath;
                files_.erase(it);
                break;
            }
        }
    }
    if (!found.empty()) std::remove(found.c_str());
}

void TempFileManager::SetWorkFolder(std::string folder)
{
    std::lock_guard lock(mutex_);
    workFolder_ = std::move(folder);
}

std::string TempFileManager::WorkFolder() const
{
    std::lock_guard lock(mutex_);
    return workFolder_;
}

void TempFileManager::RemoveAll()
{
    // Runs at exit too, when the text converters may be gone: only the paths
    // kept at creation are used.
    std::vector<Entry> files;
    {
        std::lock_guard lock(mutex_);
        files.swap(files_);
    }
    for (const auto& f : files) std::remove(f.fsPath.c_str());
}

std::vector<std::string> TempFileManager::Files() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& f : files_) names.push_back(f.name);
    return names;
}

} // namespace nv
