#include "platform/qt/PdfSpool.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

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


} // namespace

int PdfSpool::RemoveStaleSpools(const QString& folder)
{
    return RemoveReplacementLeftovers(QFile::encodeName(folder).toStdString());
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
    if (!file_.Begin(QFile::encodeName(QFileInfo(target).absoluteFilePath()).toStdString(), NewFileMode::KeepOrShared))
        return false;
    spool_ = QFile::decodeName(QByteArray::fromStdString(file_.TempPath()));
    return true;
}

bool PdfSpool::Commit()
{
    if (spool_.isEmpty()) return false;
    spool_.clear();
    return file_.Commit([](int fd) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 && st.st_size > 0 && SoundTrailer(fd, st.st_size);
    });
}

void PdfSpool::Drop()
{
    spool_.clear();
    file_.Drop();
}

void PdfSpool::Abandon()
{
    spool_.clear();
    file_.Abandon();
}

QString PdfSpool::FailureText() const
{
    return QString::fromStdString(file_.Failure().Text());
}

} // namespace nv
