#include "Viewer/PagelookDoc.h"

#include "engine/core/AppException.h"
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

std::unique_ptr<PagelookDoc> PagelookDoc::Open(const QString& path)
{
    std::unique_ptr<PagelookDoc> doc(new PagelookDoc);
    doc->m_path = path;
    try {
        // A name CP932 cannot hold cannot be a document this engine wrote.
        const auto name = Utf8ToCp932(path.toStdString());
        if (!name) throw std::runtime_error("name outside CP932");
        doc->m_doc.Open(*name);
        if (doc->m_doc.PageCount() <= 0) {
            CAppException none(std::string_view("%s"), {FormatArg(*Utf8ToCp932(NoPagesText().toStdString()))});
            none.m_nMessageId = kNoPagesId;
            throw none;
        }
        doc->m_storedName = QString::fromUtf8(Cp932ToUtf8(doc->m_doc.Store().Header().m_strName));
    } catch (const CAppException& e) {
        e.ReportError(ui::MbOk | ui::MbIconExclamation);
        return nullptr;
    } catch (...) {
        // File and archive errors, and anything else a damaged file provokes.
        ui::messageBox(FailedToOpenText(path), ui::MbOk | ui::MbIconExclamation);
        return nullptr;
    }
    return doc;
}

QString PagelookDoc::Title() const { return QFileInfo(m_path).fileName(); }

QString PagelookDoc::DisplayName() const
{
    return m_storedName.isEmpty() ? QFileInfo(m_path).completeBaseName() : m_storedName;
}

} // namespace nv::viewer
