#include "engine/core/PathUtil.h"

#include "engine/core/File.h"
#include "engine/core/FileCleanup.h"
#include "platform/core/Cp932.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {

std::string StoredNameToPath(std::string_view stored)
{
    if (std::optional<std::string> path = Cp932ToPath(stored)) return std::move(*path);
    // The message names the stored name as it stands; it is CP932 already.
    throw CFileException(CFileException::badPath, 0, Cp932ToUtf8(stored));
}

std::string PathForMessage(std::string_view path)
{
    return Utf8ToCp932Lossy(path);
}

bool IsSeparatorAt(std::string_view path, size_t pos)
{
    return pos < path.size() && (path[pos] == '\\' || path[pos] == '/');
}

namespace {

// Offsets of the characters of a CP932 string.
template <class F>
void ForEachChar(std::string_view s, F fn)
{
    for (size_t i = 0; i < s.size();) {
        const size_t len = Cp932CharLength(s, i);
        fn(i, len);
        i += len;
    }
}

// The last character is a separator or ':' (a trail byte 0x5C is not).
bool EndsWithSeparatorOrColon(std::string_view s)
{
    bool result = false;
    ForEachChar(s, [&](size_t i, size_t len) {
        result = len == 1 && (s[i] == '\\' || s[i] == '/' || s[i] == ':');
    });
    return result;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// folder + "/" + name for native paths; the name alone when absolute.
std::string JoinNative(std::string_view folder, std::string_view name)
{
    if (folder.empty() || (!name.empty() && name[0] == '/')) return std::string(name);
    std::string r(folder);
    if (r.back() != '/') r += '/';
    r += name;
    return r;
}

} // namespace

size_t LastSeparator(std::string_view path, bool colon)
{
    size_t sep = std::string_view::npos, col = std::string_view::npos;
    ForEachChar(path, [&](size_t i, size_t len) {
        if (len != 1) return;
        if (path[i] == '\\' || path[i] == '/') sep = i + 1;
        if (path[i] == ':') col = i + 1;
    });
    if (sep != std::string_view::npos) return sep;
    return colon ? col : std::string_view::npos;
}

std::string FilePart(std::string_view path)
{
    const size_t at = LastSeparator(path, true);
    return std::string(at == std::string_view::npos ? path : path.substr(at));
}

bool HasDriveLetter(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void SplitPath(std::string_view path, std::string* drive, std::string* folder, std::string* name, std::string* ext)
{
    std::string_view rest = path;
    std::string_view d;
    if (path.size() >= 2 && path[1] == ':' && !IsCp932LeadByte(static_cast<unsigned char>(path[0]))) {
        d = path.substr(0, 2);
        rest = path.substr(2);
    }
    const size_t sep = LastSeparator(rest, false);
    const std::string_view dir = sep == std::string_view::npos ? std::string_view() : rest.substr(0, sep);
    const std::string_view file = sep == std::string_view::npos ? rest : rest.substr(sep);
    size_t dot = std::string_view::npos;
    ForEachChar(file, [&](size_t i, size_t len) {
        if (len == 1 && file[i] == '.') dot = i;
    });
    if (drive) *drive = std::string(d);
    if (folder) *folder = std::string(dir);
    if (name) *name = std::string(dot == std::string_view::npos ? file : file.substr(0, dot));
    if (ext) *ext = dot == std::string_view::npos ? std::string() : std::string(file.substr(dot));
}

int IsAbsolutePath(std::string_view path)
{
    if (path.empty()) return 0;
    if (path[0] == '\\' || path[0] == '/') return 1;
    if (path.size() >= 2 && path[1] == ':' && !IsCp932LeadByte(static_cast<unsigned char>(path[0]))) return 1;
    return 0;
}

void JoinPath(std::string& out, std::string_view folder, std::string_view name)
{
    if (folder.empty() || IsAbsolutePath(name)) {
        out = std::string(name);
        return;
    }
    std::string r(folder);
    if (!EndsWithSeparatorOrColon(folder)) r += '/';
    r += name;
    out = std::move(r);
}

int ProbeFile(std::string_view path, std::string* why)
{
    CFile f;
    CFileException err(CFileException::none, 0, {});
    if (f.TryOpen(std::string(path), CFile::modeRead, &err)) {
        f.Abort();
        return 0;
    }
    if (why) *why = err.GetErrorMessage();
    if (err.cause() == CFileException::fileNotFound || err.cause() == CFileException::badPath) return -1;
    return -2;
}

int FindFileOnPathList(std::string& out, std::string_view list, std::string_view name, bool byFileName)
{
    std::string file(name);
    if (!name.empty() && name[0] == '/') {
        const int r = ProbeFile(name);
        if (r == 0 || (r == -2 && !byFileName)) {
            out = std::string(name);
            return r;
        }
        if (!byFileName) return r;
        // A name directly under the root has no folder to drop.
        const size_t at = name.rfind('/') + 1;
        if (at == 1) return -1;
        file = std::string(name.substr(at));
        if (file.empty()) return -1;
    }
    std::string_view rest = list;
    int result = -1;
    for (;;) {
        const size_t semi = rest.find(';');
        std::string_view entry = semi == std::string_view::npos ? rest : rest.substr(0, semi);
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
        std::string candidate = JoinNative(entry.empty() ? std::string_view(".") : entry, file);
        result = ProbeFile(candidate);
        if (result == 0) {
            out = std::move(candidate);
            return 0;
        }
        if (rest.empty()) {
            if (result == -2) out = std::move(candidate);
            return result;
        }
    }
}

int IsWindowsAbsolutePath(std::string_view stored)
{
    return HasDriveLetter(stored) || (!stored.empty() && stored[0] == '\\');
}

int FindStoredFile(std::string& out, std::string_view list, std::string_view stored)
{
    // A native absolute name that is gone is looked for by its file part too:
    // forms travel between machines with their pictures beside them.
    if (!IsWindowsAbsolutePath(stored)) return FindFileOnPathList(out, list, StoredNameToPath(stored), true);
    // Only its file part can be here; a name directly under a root has no
    // folder to drop.
    const size_t at = LastSeparator(stored, true);
    if (at == std::string_view::npos || at == 1 || at == stored.size()) return -1;
    return FindFileOnPathList(out, list, StoredNameToPath(stored.substr(at)), false);
}

int NormaliseFolder(std::string& out, std::string_view folder, bool)
{
    if (folder.empty()) {
        out.clear();
        return 0;
    }
    std::string f(folder);
    if (!IsRootPath(f)) {
        std::string probe = f;
        if (probe.size() > 1 && probe.back() == '/') probe.pop_back();
        if (!IsFolder(probe)) return -3;
    }
    if (f.back() != '/' && !(IsRootPath(f) && EndsWithSeparatorOrColon(f))) f += '/';
    out = std::move(f);
    return 0;
}

int IsRootPath(std::string_view path)
{
    if (path.empty()) return 0;
    // Windows forms that stored settings may carry.
    if (path.size() == 3 && HasDriveLetter(path) && (path[2] == '\\' || path[2] == '/')) return 1;
    if (path.size() > 2 && IsSeparatorAt(path, 0) && IsSeparatorAt(path, 1)) {
        // \\server\share with at most one trailing separator. A trail byte
        // 0x5C inside a name separates nothing.
        std::vector<size_t> seps;
        const std::string_view s = path.substr(2);
        ForEachChar(s, [&](size_t i, size_t len) {
            if (len == 1 && IsSeparatorAt(s, i)) seps.push_back(i);
        });
        if (seps.empty() || seps[0] == 0) return 0;
        const size_t shareEnd = seps.size() == 1 ? s.size() : seps[1];
        if (shareEnd == seps[0] + 1) return 0; // no share name
        if (seps.size() > 2 || (seps.size() == 2 && seps[1] != s.size() - 1)) return 0;
        return 1;
    }
    std::error_code ec;
    const auto full = std::filesystem::absolute(std::filesystem::path(path), ec).lexically_normal();
    if (ec) return 0;
    return full == full.root_path() ? 1 : 0;
}

int CreateNewFile(std::string_view path)
{
    const int fd = ::open(std::string(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return -2;
    ::close(fd);
    return 0;
}

int MakeUniqueFileName(std::string& out, std::string_view folder, std::string_view prefix,
                       std::string_view extension, long first, bool allowSystem)
{
    std::string dir;
    if (const int r = NormaliseFolder(dir, folder, allowSystem); r != 0) return r;
    int failures = 0;
    int result = -2;
    // Bounded even when every name is taken.
    long n = first;
    for (long pass = 0; pass < 1000000 && failures < 30; ++pass, n = (n == LONG_MAX ? 0 : n + 1)) {
        std::string name = dir;
        name += prefix;
        name += std::to_string(n);
        name += '.';
        name += extension;
        const int probe = ProbeFile(name);
        if (probe == 0) continue;
        if (probe == -1) {
            result = CreateNewFile(name);
            if (result == 0) {
                out = std::move(name);
                return 0;
            }
        } else {
            result = -2;
        }
        ++failures;
    }
    return -2;
}

void CopyFileContents(const std::string& destination, const std::string& source)
{
    CFile in(source, CFile::modeRead);
    // Copying a file onto itself would truncate it before reading.
    struct stat a {}, b {};
    if (::stat(source.c_str(), &a) == 0 && ::stat(destination.c_str(), &b) == 0 &&
        a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        throw CFileException(CFileException::sharingViolation, 0, destination);
    CFile out(destination, CFile::modeCreate);
    // Only once it is ours: a destination that failed to open stays as it was.
    FileCleanup unfinished(destination, FileCleanup::plainFile);
    std::vector<char> buf(32768);
    for (;;) {
        const size_t n = in.Read(buf.data(), buf.size());
        if (n == 0) break;
        out.Write(buf.data(), n);
    }
    out.Close();
    unfinished.Keep();
    in.Close();
}

} // namespace nv
