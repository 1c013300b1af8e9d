#pragma once
// The reading side of one report document file: the printer settings of
// every page, the value set of a page (its form copy with the page's changes
// applied), and drawing a page into any device context. The viewer holds
// one per open document; the control prints stored documents with one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/store/TvDocStore.h"
#include "engine/store/TvPageData.h"
#include "engine/store/TvPrinterSettings.h"
#include "platform/gdi/DeviceContext.h"

namespace nv {

class TextMeasurer;

class TvReportDoc {
public:
    TvReportDoc();
    virtual ~TvReportDoc();
    TvReportDoc(const TvReportDoc&) = delete;
    TvReportDoc& operator=(const TvReportDoc&) = delete;

    // Opens the store and builds the page settings; the store's exceptions
    // pass on.
    void Open(const std::string& path);

    // The value set of a page (kept by the document until another page is
    // asked for; pages that name the same record and form share it, so a
    // record many pages name is read once). 22003 for a page outside the
    // document.
    TvPageData& GetPageData(int32_t pageNo);
    // The document font list (read once per document).
    const std::vector<std::unique_ptr<TvFontDesc>>& GetFontList();

    // Draws a page at `offset` (document units) and `zoom` percent; the
    // device context comes back as it was, also when an exception passes.
    // Returns nonzero on success. Objects that fail to draw are reported to
    // the device context (Failed()).
    int DrawPage(DeviceContext& dc, int32_t pageNo, Point offset, int32_t zoomPercent);

    void ClearCache();

    // Each page's printer settings: the document's with the page's printer
    // changes, which stay for the following pages until changed again. Null
    // for a page outside the document.
    const TvPrinterSettings* GetPageSettings(int32_t pageNo) const;
    // 0 while no document is open (also after a failed Open).
    int32_t PageCount() const { return m_store.IsOpen() ? int32_t(m_store.PageCount()) : 0; }
    const std::string& Path() const { return m_strPath; }
    TvDocStore& Store() { return m_store; }

    // The measurer for text layout (null: the text engine's).
    void SetTextMeasurer(TextMeasurer* measurer) { m_measurer = measurer; }

private:
    void BuildPageIndex();

    std::string m_strPath;
    TvDocStore m_store;
    // By page number - 1, into m_settings. A page that changes nothing
    // shares the settings of the page before it, so a document of many pages
    // holds few, and one of 100,000 pages opens without counting references.
    std::vector<const TvPrinterSettings*> m_pageSettings;
    std::vector<std::unique_ptr<const TvPrinterSettings>> m_settings;
    std::unique_ptr<TvPageData> m_pCachedPage;
    int32_t m_nCachedPage = 0;
    // The page index entry the cached page was read by.
    TvPageIndexEntry m_cachedEntry;
    TextMeasurer* m_measurer = nullptr;
};

} // namespace nv
