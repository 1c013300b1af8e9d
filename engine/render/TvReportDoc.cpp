#include "engine/render/TvReportDoc.h"

#include "engine/core/PropertyMap.h"
#include "engine/render/FormPainter.h"
#include "engine/store/TvChangeEntry.h"
#include "platform/gdi/DcStateGuard.h"

namespace nv {

TvReportDoc::TvReportDoc() = default;

TvReportDoc::~TvReportDoc() { ClearCache(); }

void TvReportDoc::Open(const std::string& path)
{
    // Nothing of a document opened before may be shown as this one's: an
    // open store would refuse the new file and keep the old.
    ClearCache();
    if (m_store.IsOpen()) m_store.Close();
    m_strPath = path;
    m_store.Open(path);
    BuildPageIndex();
}

void TvReportDoc::BuildPageIndex()
{
    m_pageSettings.clear();
    m_settings.clear();
    m_pageSettings.reserve(m_store.PageCount());
    // One map for all pages: a printer change stays until a later page
    // changes that property again.
    TvPropertyMap props;
    m_store.ReadAllPageSettings([&](int32_t, TvEntryMap& entries) {
        // Only printer properties become values here: a page-settings record
        // of any other property (a file-typed one would become a work file,
        // and many pages may point at one record) is ignored.
        bool changed = m_pageSettings.empty();
        entries.ForEach([&](const TvEntryKey&, TvChangeEntry& entry) {
            if (entry.m_pData && TvPrinterSettings::MaskBit(entry.m_pData->m_nPropId) != 0) {
                AddChangeToPropertyMap(entry, props);
                changed = true;
            }
        });
        if (!changed) {
            m_pageSettings.push_back(m_pageSettings.back());
            return;
        }
        std::unique_ptr<TvPrinterSettings> settings = m_store.PrinterSettings().Clone();
        settings->SetProperties(props, nullptr);
        m_pageSettings.push_back(settings.get());
        m_settings.push_back(std::move(settings));
    });
}

const TvPrinterSettings* TvReportDoc::GetPageSettings(int32_t pageNo) const
{
    if (pageNo < 1 || size_t(pageNo) > m_pageSettings.size()) return nullptr;
    return m_pageSettings[size_t(pageNo) - 1];
}

TvPageData& TvReportDoc::GetPageData(int32_t pageNo)
{
    if (m_pCachedPage && m_nCachedPage == pageNo) return *m_pCachedPage;
    // A page is its record and its form: another page naming both has the
    // same value set.
    const TvPageIndexEntry* entry = m_store.PageIndex().Find(pageNo);
    if (m_pCachedPage && entry && entry->m_nOffset == m_cachedEntry.m_nOffset &&
        entry->m_nFormId == m_cachedEntry.m_nFormId) {
        m_nCachedPage = pageNo;
        return *m_pCachedPage;
    }
    m_pCachedPage.reset();
    m_nCachedPage = 0;
    auto page = std::make_unique<TvPageData>();
    m_store.ReadPage(*page, pageNo);
    page->Apply();
    m_pCachedPage = std::move(page);
    m_nCachedPage = pageNo;
    m_cachedEntry = *entry; // not null: ReadPage throws for a page it lacks
    return *m_pCachedPage;
}

const std::vector<std::unique_ptr<TvFontDesc>>& TvReportDoc::GetFontList() { return m_store.ReadFontList(); }

int TvReportDoc::DrawPage(DeviceContext& dc, int32_t pageNo, Point offset, int32_t zoomPercent)
{
    DcStateGuard saved(dc);
    TvPageData& page = GetPageData(pageNo);
    if (page.m_pForm) {
        std::vector<const TvFontDesc*> fonts;
        for (const auto& f : GetFontList()) fonts.push_back(f.get());
        PageExtraObjects extras;
        for (const auto& [layerId, list] : page.m_extraObjects)
            for (const auto& obj : list) extras[layerId].push_back(obj.get());
        FormPageOptions o;
        o.offset = offset;
        o.zoom = zoomPercent;
        o.docFonts = &fonts;
        o.extras = &extras;
        o.measurer = m_measurer;
        DrawFormPage(dc, *page.m_pForm, o);
    }
    return saved.Restore() ? 1 : 0;
}

void TvReportDoc::ClearCache()
{
    m_pCachedPage.reset();
    m_nCachedPage = 0;
    m_pageSettings.clear();
    m_settings.clear();
}

} // namespace nv
