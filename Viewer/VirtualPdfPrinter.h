#pragma once
// The printer the viewer falls back on when the machine has none: a PDF
// file, with the papers of a sheet printer (A3, A4, B4, B5, letter, legal)
// and the forms registered for the user. Its set-up has no printer name.
#include "platform/print/PrintSpooler.h"
#include "platform/print/PrinterCatalog.h"

#include <QString>

namespace nv::viewer {

// What print setup calls it.
QString VirtualPdfPrinterName();

class VirtualPdfSpooler : public PrintSpooler {
public:
    VirtualPdfSpooler();

    std::optional<std::vector<std::string>> PaperNames(const std::string&, const std::string&) override;
    std::optional<std::vector<int16_t>> PaperIds(const std::string&, const std::string&) override;
    std::optional<std::vector<PaperExtent>> PaperSizes(const std::string&, const std::string&) override;
    std::optional<PaperExtent> MaxExtent(const std::string&, const std::string&) override { return {}; }
    std::optional<PaperExtent> MinExtent(const std::string&, const std::string&) override { return {}; }
    // A file takes any size: there is nothing to register a form with.
    std::unique_ptr<SpoolPrinter> OpenPrinter(const std::string&, SpoolStatus& status) override;

    const std::vector<CatalogPaper>& Papers() const { return papers_; }

private:
    std::vector<CatalogPaper> papers_;
};

} // namespace nv::viewer
