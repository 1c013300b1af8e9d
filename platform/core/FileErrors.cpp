#include "platform/core/FileErrors.h"

#include <atomic>
#include <cerrno>
#include <filesystem>

#include <sys/stat.h>

namespace nv {

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

} // namespace

std::string FileErrorText(int err, const std::string& path)
{
    switch (err) {
    case EACCES:
    case EPERM: return "アクセスする権限がありません";
    case EROFS: return "読み取り専用のディスクです";
    case ENOSPC:
    case EDQUOT: return "ディスクがいっぱいです";
    case EFBIG: return "ファイルが大きすぎます";
    case ENOENT:
        if (!path.empty() && IsFolder(ParentOf(path))) return "ファイルがありません";
        return "フォルダがありません";
    case ENOTDIR: return "途中にフォルダではないものがあります";
    case EISDIR: return "フォルダです";
    case EEXIST: return "同じ名前のものが既にあります";
    case ENAMETOOLONG: return "名前が長すぎます";
    case ELOOP: return "シンボリックリンクが多すぎます";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case EBUSY:
    case ETXTBSY: return "使用中です";
    case EIO: return "ディスクの読み書きでエラーが発生しました";
    default: return "エラーが発生しました (エラー番号 " + std::to_string(err) + ")";
    }
}

std::string NotAFileText(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        struct stat link {};
        // A link whose target is gone is something, not nothing.
        return ::lstat(path.c_str(), &link) == 0 ? "リンク先がありません" : "";
    }
    if (S_ISREG(st.st_mode)) return "";
    if (S_ISDIR(st.st_mode)) return "フォルダです";
    if (S_ISFIFO(st.st_mode)) return "名前付きパイプです";
    if (S_ISSOCK(st.st_mode)) return "ソケットです";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "デバイスです";
    return "通常のファイルではありません";
}

std::string MakePrivateFolder(const std::string& folder)
{
    if (folder.empty()) return {};
    std::string path;
    size_t from = 0;
    // Folder by folder from the top, so each one made gets its own mode.
    while (from <= folder.size()) {
        size_t slash = folder.find('/', from);
        if (slash == std::string::npos) slash = folder.size();
        path = folder.substr(0, slash);
        from = slash + 1;
        if (path.empty() || path == "." || IsFolder(path)) continue;
        if (::mkdir(path.c_str(), 0700) == 0) continue;
        const int err = errno;
        if (err == EEXIST && IsFolder(path)) continue;
        if (err == EEXIST) return "フォルダを作成できません: " + path + ": 同じ名前のファイルがあります";
        return "フォルダを作成できません: " + path + ": " + FileErrorText(err, path);
    }
    return {};
}

namespace {
std::atomic<FaultHandler> gFaultHandler{nullptr};
} // namespace

void SetFaultHandler(FaultHandler handler)
{
    gFaultHandler.store(handler);
}

void FaultPoint(const char* step)
{
    if (const FaultHandler handler = gFaultHandler.load()) handler(step);
}

} // namespace nv
