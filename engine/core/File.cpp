#include "engine/core/File.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nv {

CFile::~CFile()
{
    Abort();
}

void CFile::Fail(int err) const
{
    CFileException::ThrowErrno(err, name_);
}

bool CFile::TryOpen(const std::string& name, Mode mode, CFileException* error)
{
    Abort();
    name_ = name;
    // Non-blocking only while opening: a named pipe under the name would
    // otherwise hold the open until some writer appears.
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
    case modeRead: flags |= O_RDONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    case modeCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case modeCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    const std::string& path = name;
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error) *error = CFileException::FromErrno(errno, name);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error) *error = CFileException::Folder(name);
        return false;
    }
    // What is read must be a file: a pipe or a device would block a read or
    // never end.
    if ((mode == modeRead || mode == modeReadWrite) && !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error) *error = CFileException(CFileException::notRegularFile, 0, name);
        return false;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) {
        const int err = errno;
        ::close(fd);
        if (error) *error = CFileException::FromErrno(err, name);
        return false;
    }
    fd_ = fd;
    return true;
}

void CFile::Open(const std::string& name, Mode mode)
{
    CFileException err(CFileException::none, 0, name);
    if (!TryOpen(name, mode, &err)) throw err;
}

size_t CFile::Read(void* data, size_t n)
{
    if (fd_ < 0) Fail(EBADF);
    size_t done = 0;
    auto* p = static_cast<char*>(data);
    while (done < n) {
        const ssize_t r = ::read(fd_, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        if (r == 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

void CFile::Write(const void* data, size_t n)
{
    if (fd_ < 0) Fail(EBADF);
    size_t done = 0;
    const auto* p = static_cast<const char*>(data);
    while (done < n) {
        const ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        if (r == 0) Fail(ENOSPC);
        done += static_cast<size_t>(r);
    }
}

uint64_t CFile::Seek(int64_t offset, SeekFrom from)
{
    if (fd_ < 0) Fail(EBADF);
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) CFileException::ThrowErrno(errno == EINVAL ? ESPIPE : errno, name_);
    return static_cast<uint64_t>(r);
}

uint64_t CFile::GetPosition() const
{
    if (fd_ < 0) Fail(EBADF);
    const off_t r = ::lseek(fd_, 0, SEEK_CUR);
    if (r < 0) Fail(errno);
    return static_cast<uint64_t>(r);
}

uint64_t CFile::GetLength() const
{
    if (fd_ < 0) Fail(EBADF);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) Fail(errno);
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t n)
{
    if (fd_ < 0) Fail(EBADF);
    if (::ftruncate(fd_, static_cast<off_t>(n)) != 0) Fail(errno);
}

void CFile::Flush()
{
    if (fd_ < 0) return;
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) Fail(errno);
}

void CFile::Close()
{
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) Fail(errno);
}

void CFile::Abort() noexcept
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void CFile::Remove(const std::string& name)
{
    if (std::remove(name.c_str()) != 0) CFileException::ThrowErrno(errno, name);
}

void CFile::Rename(const std::string& from, const std::string& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0) CFileException::ThrowErrno(errno, from);
}

} // namespace nv
