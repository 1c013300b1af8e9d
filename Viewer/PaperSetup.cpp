#include "Viewer/PaperSetup.h"

#include "Viewer/PrintLoop.h"
#include "Viewer/VirtualPdfPrinter.h"
#include "engine/printer/TvPaperForms.h"
#include "engine/store/TvPrinterSettings.h"
#include "platform/core/Cp932.h"
#include "platform/core/DevMode.h"

#include <cmath>
#include <utility>

namespace nv::viewer {
namespace {

int32_t UnitsToTenths(int32_t units) { return static_cast<int32_t>(std::lround(units / kUnitsPerTenthMm)); }

// The page's paper upright, as the catalog names papers.
CatalogPaper CatalogOf(const PagePaper& p)
{
    const int32_t w = p.orientation == 1 ? p.width : p.height;
    const int32_t l = p.orientation == 1 ? p.height : p.width;
    return {Utf8ToCp932Lossy(p.name.toStdString()), static_cast<int16_t>(p.id), {UnitsToTenths(w), UnitsToTenths(l)}};
}

int32_t PixelsToUnits(int32_t px, int dpi) { return static_cast<int32_t>(int64_t(px) * 1440000 / dpi); }

} // namespace

std::optional<CatalogPaper> MatchPagePaper(const TvPrinterSettings& record, TvPaperForms& forms)
{
    const uint32_t flags = record.m_nChangeMask;
    const bool oldRecord = record.m_nVersion <= 2;
    const PaperExtent size{record.m_nPaperWidth, record.m_nPaperLength};
    CatalogPaper paper;
    bool found = false;
    bool customTried = false;
    if (flags & kPaperByName) {
        paper.name = record.m_strFormName;
        found = forms.FindPaperByName(&paper.id, &paper.size, record.m_strFormName) != 0;
    }
    if ((!found && (flags & kPaperById)) || oldRecord) {
        if (record.m_nPaperSize == DMPAPER_USER) {
            customTried = true;
            found = forms.FindOrAddForm(&paper.id, &paper.size, paper.name, size, true) == 0;
        } else {
            paper.id = static_cast<int16_t>(record.m_nPaperSize);
            found = forms.FindPaperById(&paper.size, &paper.name, paper.id) != 0;
        }
    }
    if (!found && !customTried) {
        paper.size = size;
        found = forms.FindPaperBySize(&paper.id, &paper.name, size) != 0;
    }
    if (!found) return std::nullopt;
    return paper;
}

AppPrinter AppPrinter::FromCatalog(PrinterCatalog& catalog)
{
    AppPrinter p;
    p.catalog = &catalog;
    const std::string name = catalog.DefaultPrinter();
    if (!name.empty()) p.setup = catalog.DefaultSetup(name);
    return p;
}

PagePaper SheetOf(const PrinterSetup& setup)
{
    PagePaper p;
    p.name = QString::fromStdString(Cp932ToUtf8(setup.paper.name));
    p.id = setup.paper.id;
    p.orientation = setup.orientation == 1 ? 1 : 2;
    p.width = TenthsMmToUnits(setup.paper.size.width);
    p.height = TenthsMmToUnits(setup.paper.size.length);
    if (p.orientation != 1) std::swap(p.width, p.height);
    return p;
}

ViewPaper SetUpPaper(const TvPrinterSettings* record, const PrinterSetup* printer, int mode,
                     PrinterCatalog& catalog)
{
    ViewPaper v;
    v.page = PagePaper::FromRecord(record);
    if (record) {
        // Without a printer the page goes to a PDF file: its papers are matched too.
        const bool named = printer && !printer->printer.empty();
        VirtualPdfSpooler pdf;
        TvPaperForms forms(named ? printer->printer : std::string(), {}, named ? &catalog.Spooler() : &pdf);
        if (const auto match = MatchPagePaper(*record, forms)) {
            v.page.name = QString::fromStdString(Cp932ToUtf8(match->name));
            v.page.id = match->id;
            v.page.width = TenthsMmToUnits(match->size.width);
            v.page.height = TenthsMmToUnits(match->size.length);
            if (v.page.orientation != 1) std::swap(v.page.width, v.page.height);
        }
    }
    if (!printer) {
        v.sheet = v.page;
        return v;
    }
    const PagePaper printerSheet = SheetOf(*printer);
    v.sheet = SheetForMode(v.page, &printerSheet, mode);

    const bool ownPaper = mode <= 0 || mode > 3;
    const PrinterSetup at{printer->printer, ownPaper ? CatalogOf(v.page) : printer->paper, v.sheet.orientation};
    if (const auto g = catalog.Geometry(at); g && g->dpi > 0) {
        v.marginLeft = PixelsToUnits(g->offsetX, g->dpi);
        v.marginTop = PixelsToUnits(g->offsetY, g->dpi);
        v.marginRight = PixelsToUnits(g->width - (g->printableWidth + g->offsetX), g->dpi);
        v.marginBottom = PixelsToUnits(g->height - (g->printableHeight + g->offsetY), g->dpi);
    }
    return v;
}

} // namespace nv::viewer
