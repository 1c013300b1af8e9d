#pragma once
// Which sheet a page is shown and printed on: its own paper matched with
// the printer's papers, then the paper mode's sheet, with the printer's
// margins on that sheet.
#include "Viewer/PagePaper.h"
#include "platform/print/PrinterCatalog.h"

#include <optional>

namespace nv {
class TvPaperForms;
class TvPrinterSettings;
} // namespace nv

namespace nv::viewer {

// Record flag-word bits.
inline constexpr uint32_t kPaperByName = 0x1000;
inline constexpr uint32_t kPaperById = 0x2;

struct ViewPaper {
    PagePaper page;   // the page's own paper, after matching
    PagePaper sheet;  // shown and printed
    int32_t marginLeft = 0; // the printer's unprintable edges, document units
    int32_t marginTop = 0;
    int32_t marginRight = 0;
    int32_t marginBottom = 0;
};

// The application's printer as print setup left it (none: no printer), and
// where its papers are found. Views read it; print setup writes it.
struct AppPrinter {
    std::optional<PrinterSetup> setup;
    PrinterCatalog* catalog = &DefaultPrinterCatalog();

    // The catalog's default printer in its starting set-up.
    static AppPrinter FromCatalog(PrinterCatalog& catalog);
};

// The printer's paper for a page record: by name (flag 0x1000), by number
// (flag 2 or a record of version 2 or less; a user size is found or added
// as a form and no size search follows), else by size. nullopt: no match.
std::optional<CatalogPaper> MatchPagePaper(const TvPrinterSettings& record, TvPaperForms& forms);

// The sheet a printer set-up gives, turned as set.
PagePaper SheetOf(const PrinterSetup& setup);

// Sets a page up on `printer` (null: there is none, and the page keeps its
// own paper without margins). Without a printer, or with one without a
// name, the page is matched with the papers of the PDF file it goes to.
ViewPaper SetUpPaper(const TvPrinterSettings* record, const PrinterSetup* printer, int mode,
                     PrinterCatalog& catalog);

} // namespace nv::viewer
