#pragma once
// The printers of this machine as the viewer needs them: which one is the
// default, the papers each takes, and for a paper in an orientation the
// sheet's size and the area the printer can mark, in the printer's pixels.
// The Qt catalog (platform/qt) asks CUPS; tests install a fake one.
//
//   PrinterCatalog& c = DefaultPrinterCatalog();
//   if (auto setup = c.DefaultSetup(c.DefaultPrinter())) ... c.Geometry(*setup) ...
#include "platform/print/PrintSpooler.h"
#include "platform/print/StandardPapers.h"

#include <optional>
#include <string>
#include <vector>

namespace nv {

struct CatalogPaper {
    std::string name; // CP932, as the spooler names it
    int16_t id = 0;
    PaperExtent size; // tenths of a millimetre, portrait
    bool operator==(const CatalogPaper&) const = default;
};

// The application's printer set-up: what a DEVMODE held of it, as a value.
struct PrinterSetup {
    std::string printer; // CP932; empty: a printer without a name (a PDF file)
    CatalogPaper paper;
    int orientation = 1; // 1 portrait, 2 landscape
    bool operator==(const PrinterSetup&) const = default;
};

// A sheet as the printer sets it, in its pixels at `dpi`, turned as set.
struct SheetGeometry {
    int dpi = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t offsetX = 0; // where the printable area starts
    int32_t offsetY = 0;
    int32_t printableWidth = 0;
    int32_t printableHeight = 0;
};

class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;
    // Empty when the machine has no printer.
    virtual std::string DefaultPrinter() = 0;
    // Every printer to choose from; the default one alone unless told more.
    virtual std::vector<std::string> PrinterNames();
    // The paper and orientation a printer starts with; nullopt for an
    // unknown printer.
    virtual std::optional<PrinterSetup> DefaultSetup(const std::string& printer) = 0;
    // The sheet of the set-up's paper and orientation; nullopt when the
    // printer cannot take it.
    virtual std::optional<SheetGeometry> Geometry(const PrinterSetup& setup) = 0;
    // Where the printers' paper lists and forms are looked up.
    virtual PrintSpooler& Spooler() = 0;

    // The printer's papers from the spooler; empty when unknown.
    std::vector<CatalogPaper> Papers(const std::string& printer);
};

// The installed catalog, else one that knows no printer.
PrinterCatalog& DefaultPrinterCatalog();
// Installs the catalog (nullptr: none); the caller keeps it alive meanwhile.
void SetDefaultPrinterCatalog(PrinterCatalog* catalog);

} // namespace nv
