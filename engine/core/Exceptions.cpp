#include "engine/core/Exceptions.h"

#include "engine/core/PathUtil.h"
#include "platform/core/Cp932.h"

#include <cerrno>
#include <cstring>

namespace nv {

const char* CException::what() const noexcept
{
    try {
        what_ = GetErrorMessage();
    } catch (...) {
        return "exception";
    }
    return what_.c_str();
}

namespace {

std::string Cp(const char* utf8)
{
    return Utf8ToCp932Lossy(utf8);
}

std::string WithName(const char* utf8Format, const std::string& path)
{
    std::string text = Cp(utf8Format);
    const auto pos = text.find("%1");
    if (pos != std::string::npos) text.replace(pos, 2, PathForMessage(path));
    return text;
}

} // namespace

std::string CArchiveException::GetErrorMessage() const
{
    switch (m_cause) {
    case none: return Cp("エラーはありません。");
    case readOnly: return Cp("読み込み専用のアーカイブに書き込もうとしました。");
    case endOfFile: return Cp("予期しないファイルの終わりに達しました。");
    case writeOnly: return Cp("書き込み専用のアーカイブから読み込もうとしました。");
    case badIndex: return Cp("アーカイブの形式が正しくありません。");
    case badClass: return Cp("アーカイブに予期しないクラスのオブジェクトがあります。");
    case badSchema: return Cp("アーカイブのオブジェクトのバージョンが対応していません。");
    case genericException:
    default: return Cp("アーカイブの読み書きでエラーが発生しました。");
    }
}

CFileException::Cause CFileException::ErrnoToCause(int err)
{
    switch (err) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST: return accessDenied;
    case EISDIR: return notRegularFile;
    case EBADF: return invalidFile;
    case EBUSY: return sharingViolation;
    case ETXTBSY: return sharingViolation;
    case EWOULDBLOCK: return lockViolation;
    case ESPIPE: return badSeek;
    case EIO: return hardIO;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return genericException;
    }
}

std::string CFileException::GetErrorMessage() const
{
    const std::string& n = m_strFileName;
    switch (m_cause) {
    case none: return Cp("エラーはありません。");
    case fileNotFound: return WithName("%1 が見つかりません。", n);
    case badPath: return WithName("%1 のパスが正しくありません。", n);
    case tooManyOpenFiles: return WithName("開いているファイルが多すぎるため %1 を開けません。", n);
    case accessDenied: return WithName("%1 へのアクセスが拒否されました。", n);
    case invalidFile: return WithName("%1 に無効なファイル ハンドルが使われました。", n);
    case removeCurrentDir: return WithName("%1 は現在のフォルダなので削除できません。", n);
    case directoryFull: return WithName("%1 を作成するフォルダがいっぱいです。", n);
    case badSeek: return WithName("%1 の位置の設定に失敗しました。", n);
    case hardIO: return WithName("%1 の読み書き中にハードウェア エラーが発生しました。", n);
    case sharingViolation: return WithName("%1 は他のプログラムが使用中です。", n);
    case lockViolation: return WithName("%1 はロックされています。", n);
    case diskFull: return WithName("ディスクがいっぱいのため %1 に書き込めません。", n);
    case endOfFile: return WithName("%1 の終わりを越えて読み込もうとしました。", n);
    case notRegularFile:
        if (m_lOsError == EISDIR) return WithName("%1 はフォルダです。ファイルではありません。", n);
        return WithName("%1 は通常のファイルではありません。", n);
    case genericException:
    default: {
        std::string text = WithName("%1 でエラーが発生しました。", n);
        if (m_lOsError != 0) text += " (" + Utf8ToCp932Lossy(std::strerror(m_lOsError)) + ")";
        return text;
    }
    }
}

} // namespace nv
