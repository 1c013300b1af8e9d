#pragma once
// Writes that fall short as on a full disk, for the tests of what a job
// does when its output cannot be written whole.
#include <filesystem>

#include <sys/resource.h>

namespace nvtest {

// While it lives, no file of this process (nor of a program it starts) may
// grow past `bytes`: a write beyond fails as ENOSPC would, short.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A small tmpfs mounted on a new folder, filled up to its last page; false
// from Mounted() where this account may not mount.
class FullDisk {
public:
    explicit FullDisk(const std::filesystem::path& where);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return path_; }
    // Takes all free space but `spare` bytes.
    void Fill(long spare = 4096);

private:
    std::filesystem::path path_;
    bool mounted_ = false;
};

// A folder nothing can be written into: a read-only tmpfs where this account
// may mount (root ignores a folder's mode), else a folder of mode 0555.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::filesystem::path& where);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False where neither works (root without mount rights).
    bool Usable() const { return usable_; }

private:
    std::filesystem::path path_;
    bool mounted_ = false;
    bool usable_ = false;
};

} // namespace nvtest
