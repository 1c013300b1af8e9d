#pragma once
// One open report document. Read-only: the viewer never writes one.
#include <QString>

#include <memory>

#include "Viewer/PagePaper.h"
#include "engine/render/TvReportDoc.h"

class QWidget;

namespace nv::viewer {

inline constexpr uint32_t kNoPagesId = 61446;
inline constexpr uint32_t kFailedToOpenId = 61697;

class PagelookDoc {
public:
    // Opens the document; on failure says why through the prompt and returns
    // null (a document without pages is a failure too).
    static std::unique_ptr<PagelookDoc> Open(const QString& path);

    TvReportDoc& Report() { return m_doc; }
    const QString& Path() const { return m_path; }
    // The file name: what the window shows.
    QString Title() const;
    // The name stored in the file, else the file's base name.
    QString DisplayName() const;
    const QString& StoredName() const { return m_storedName; }
    int PageCount() const { return m_doc.PageCount(); }
    PagePaper Paper(int page) const { return PagePaper::FromRecord(m_doc.GetPageSettings(page)); }

    static QString NoPagesText();
    static QString FailedToOpenText(const QString& path);

private:
    PagelookDoc() = default;

    QString m_path;
    QString m_storedName;
    TvReportDoc m_doc;
};

} // namespace nv::viewer
