#include "control/CInkplateDoc.h"

#include "engine/core/EngineLog.h"
#include "engine/model/FormFile.h"
#include "platform/core/Cp932.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nv {

namespace {

// The whole file, or false with the reason (CP932). Reading by descriptor
// lets a folder or a device be refused before any byte is taken.
bool ReadWholeFile(const std::string& path, std::string& out, std::string& error, uint64_t limit)
{
    // Non-blocking until it is known to be a file: a named pipe would hold
    // the open until a writer came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = CFileException::FromErrno(errno, path).GetErrorMessage();
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        error = (S_ISDIR(st.st_mode) ? CFileException::Folder(path)
                                     : CFileException(CFileException::notRegularFile, 0, path))
                    .GetErrorMessage();
        ok = false;
    } else if (ok && ::fcntl(fd, F_SETFL, O_RDONLY) != 0) {
        error = CFileException::FromErrno(errno, path).GetErrorMessage();
        ok = false;
    } else if (ok && static_cast<uint64_t>(st.st_size) > limit) {
        error = Utf8ToCp932Lossy("フォームファイルが大きすぎます。");
        ok = false;
    }
    if (ok) {
        out.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                // A file that shrank while read is as damaged as a short one.
                error = n < 0 ? CFileException::FromErrno(errno, path).GetErrorMessage()
                              : CFileException(CFileException::endOfFile, 0, path).GetErrorMessage();
                ok = false;
                break;
            }
            done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

bool CInkplateDoc::OnOpenDocument(const std::string& path)
{
    m_pRoot.reset();
    m_strError.clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes, m_strError, CompoundLimits().maxFileSize)) return false;
    return LoadFromBytes(bytes);
}

bool CInkplateDoc::LoadFromBytes(std::string_view bytes)
{
    m_pRoot.reset();
    m_strError.clear();
    try {
        m_pRoot = LoadFormFile(bytes);
        return true;
    } catch (const FormFileException& e) {
        LogLine("Inkplate", "フォームファイルを読めません (詳細: " + e.Detail() + ")");
        m_strError = e.GetErrorMessage();
    } catch (const CException& e) {
        m_strError = e.GetErrorMessage();
    } catch (const std::exception& e) {
        LogLine("Inkplate", "フォームファイルを読めません (詳細: " + std::string(e.what()) + ")");
        m_strError = Utf8ToCp932Lossy("フォームファイルが壊れています。");
    }
    m_pRoot.reset();
    return false;
}

} // namespace nv
