#include "platform/qt/PdfFailure.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>

#include <sys/statvfs.h>
#include <unistd.h>

namespace nv {

QString PdfFailureReason(const QString& file)
{
    const QFileInfo info(file);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct statvfs fs {};
    if (!QFileInfo(info.absolutePath()).isDir()) return QStringLiteral("フォルダがありません。");
    if (::access(folder.constData(), W_OK) != 0) return QStringLiteral("フォルダに書き込む権限がありません。");
    if (info.exists() && !info.isWritable()) return QStringLiteral("ファイルが読み取り専用です。");
    if (::statvfs(folder.constData(), &fs) == 0 && uint64_t(fs.f_bavail) * fs.f_frsize < (1u << 20))
        return QStringLiteral("ディスクがいっぱいです。");
    return QStringLiteral("ファイルに書き込めませんでした。");
}

} // namespace nv
