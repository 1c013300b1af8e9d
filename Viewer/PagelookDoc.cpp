#include "Viewer/PagelookDoc.h"

#include "engine/core/AppException.h"
#include "engine/core/EngineLog.h"
#include "platform/core/Cp932.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>

#include <new>

namespace nv::viewer {

QString PagelookDoc::NoPagesText() { return QStringLiteral("指定されたタベロドキュメントファイルには\nページがありません。"); }

QString PagelookDoc::FailedToOpenText(const QString& path)
{
    return path + QStringLiteral("\nドキュメントを開くことができませんでした。");
}

namespace {
// The message names the file; the log keeps which and why for later.
void LogRefusal(const QString& path, const std::string& why)
{
    LogLine("Pagelook", "ドキュメント " + path.toStdString() + " を開けません: " + why);
}
} // namespace

std::unique_ptr<PagelookDoc> PagelookDoc::Open(const QString& path)
{
    std::unique_ptr<PagelookDoc> doc(new PagelookDoc);
    doc->path_ = path;
    try {
        doc->doc_.Open(path.toStdString());
        if (doc->doc_.PageCount() <= 0) {
            CAppException none(std::string_view("%s"), {FormatArg(*Utf8ToCp932(NoPagesText().toStdString()))});
            none.m_nMessageId = kNoPagesId;
            throw none;
        }
        doc->storedName_ = QString::fromUtf8(Cp932ToUtf8(doc->doc_.Store().Header().m_strName));
    } catch (const CAppException& e) {
        LogRefusal(path, LogText(e));
        e.ReportError(ui::MbOk | ui::MbIconExclamation);
        return nullptr;
    } catch (const std::exception& e) {
        // File and archive errors, and anything else a damaged file provokes.
        LogRefusal(path, LogText(e));
        ui::MessageBox(FailedToOpenText(path), ui::MbOk | ui::MbIconExclamation);
        return nullptr;
    }
    return doc;
}

QString PagelookDoc::Title() const { return QFileInfo(path_).fileName(); }

QString PagelookDoc::DisplayName() const
{
    return storedName_.isEmpty() ? QFileInfo(path_).completeBaseName() : storedName_;
}

} // namespace nv::viewer
