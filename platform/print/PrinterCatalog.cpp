#include "platform/print/PrinterCatalog.h"

#include <atomic>

namespace nv {
namespace {

class NoPrinterCatalog : public PrinterCatalog {
public:
    std::string DefaultPrinter() override { return {}; }
    std::optional<PrinterSetup> DefaultSetup(const std::string&) override { return {}; }
    std::optional<SheetGeometry> Geometry(const PrinterSetup&) override { return {}; }
    PrintSpooler& Spooler() override { return DefaultPrintSpooler(); }
};

std::atomic<PrinterCatalog*> g_installed{nullptr};

} // namespace

std::vector<std::string> PrinterCatalog::PrinterNames()
{
    std::string name = DefaultPrinter();
    if (name.empty()) return {};
    return {name};
}

std::vector<CatalogPaper> PrinterCatalog::Papers(const std::string& printer)
{
    PrintSpooler& s = Spooler();
    const auto names = s.PaperNames(printer, {});
    const auto ids = s.PaperIds(printer, {});
    const auto sizes = s.PaperSizes(printer, {});
    std::vector<CatalogPaper> out;
    if (!names || !ids || !sizes || names->size() != ids->size() || ids->size() != sizes->size()) return out;
    for (size_t i = 0; i < names->size(); ++i) out.push_back({(*names)[i], (*ids)[i], (*sizes)[i]});
    return out;
}

PrinterCatalog& DefaultPrinterCatalog()
{
    static NoPrinterCatalog none;
    PrinterCatalog* installed = g_installed.load();
    return installed ? *installed : none;
}

void SetDefaultPrinterCatalog(PrinterCatalog* catalog) { g_installed.store(catalog); }

} // namespace nv
