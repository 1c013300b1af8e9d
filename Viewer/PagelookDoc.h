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

    TvReportDoc& Report() { return doc_; }
    const QString& Path() const { return path_; }
    // The file name: what the window shows.
    QString Title() const;
    // The name stored in the file, else the file's base name.
    QString DisplayName() const;
    const QString& StoredName() const { return storedName_; }
    int PageCount() const { return doc_.PageCount(); }
    PagePaper Paper(int page) const { return PagePaper::FromRecord(doc_.GetPageSettings(page)); }

    static QString NoPagesText();
    static QString FailedToOpenText(const QString& path);

private:
    PagelookDoc() = default;

    QString path_;
    QString storedName_;
    TvReportDoc doc_;
};

} // namespace nv::viewer
