#include "WriteFaults.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nvtest {

FileSizeLimit::FileSizeLimit(long bytes)
{
    // Without the signal the write returns short with EFBIG.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit now = old_;
    now.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &now);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

FullDisk::FullDisk(const std::filesystem::path& where) : path_(where)
{
    std::filesystem::create_directories(path_);
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
}

FullDisk::~FullDisk()
{
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
}

void FullDisk::Fill(long spare)
{
    const std::string filler = (path_ / ".filler").string();
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    char block[4096] = {};
    off_t size = 0;
    for (ssize_t n; (n = ::write(fd, block, sizeof block)) > 0;) size += n;
    if (::ftruncate(fd, size > spare ? size - spare : 0) != 0) {
    }
    ::close(fd);
}

ReadOnlyFolder::ReadOnlyFolder(const std::filesystem::path& where) : path_(where)
{
    std::filesystem::create_directories(path_);
    if (::geteuid() != 0) {
        ::chmod(path_.c_str(), 0555);
        usable_ = true;
        return;
    }
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
    usable_ = mounted_;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    else ::chmod(path_.c_str(), 0755);
}

} // namespace nvtest
