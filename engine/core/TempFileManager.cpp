#include "engine/core/TempFileManager.h"


#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
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

} // namespace

TempFileManager& TempFileManager::Instance()
{
    static TempFileManager manager;
    return manager;
}

TempFileManager::~TempFileManager()
{
    RemoveAll();
}

std::string TempFileManager::SystemTempFolder()
{
    const char* t = std::getenv("TMPDIR");
    std::string folder = (t && *t) ? std::string(t) : std::string("/tmp");
    if (!IsFolder(folder)) folder = "/tmp";
    return folder;
}

int TempFileManager::CreateTempName(std::string& out, std::string_view folder)
{
    std::lock_guard lock(mutex_);
    out.clear();
    std::string dir = folder.empty() ? workFolder_ : std::string(folder);
    if (!IsFolder(dir)) dir = SystemTempFolder();
    if (counter_ == 0) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        counter_ = static_cast<unsigned>(now ^ (static_cast<long long>(::getpid()) << 8));
    }
    // Like the platform: a 16-bit hexadecimal number, moving on past names
    // that exist.
    for (unsigned tries = 0; tries < 0x10000; ++tries) {
        unsigned n = (counter_++) & 0xFFFF;
        if (n == 0) continue;
        char file[32];
        std::snprintf(file, sizeof file, "~FE%04X.TMP", n);
        std::string name = dir;
        if (name.back() != '/') name += '/';
        name += file;
        std::string fsPath = name;
        const int fd = ::open(fsPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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
        if (errno != EEXIST) return 0;
    }
    return 0;
}

void TempFileManager::RemoveFile(std::string_view name)
{
    std::string found;
    {
        std::lock_guard lock(mutex_);
        for (auto it = files_.begin(); it != files_.end(); ++it) {
            if (SameNameIgnoringCase(it->name, name)) {
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
