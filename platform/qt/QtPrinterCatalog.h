#pragma once
// The printer catalog of this machine: CUPS printers through Qt, their
// papers through the CUPS spooler, the printable area from each printer's
// minimum margins. Needs a QGuiApplication. Programs install it at start:
//   nv::InstallQtPrinterCatalog();
#include "platform/print/PrinterCatalog.h"
#include "platform/core/DevMode.h"
#include "platform/qt/CupsPrintSpooler.h"

#include <QPageSize>

namespace nv {

class QtPrinterCatalog : public PrinterCatalog {
public:
    std::string DefaultPrinter() override;
    std::vector<std::string> PrinterNames() override;
    std::optional<PrinterSetup> DefaultSetup(const std::string& printer) override;
    std::optional<SheetGeometry> Geometry(const PrinterSetup& setup) override;
    PrintSpooler& Spooler() override { return spooler_; }

private:
    CupsPrintSpooler spooler_;
};

// The paper a Qt page size is in the catalog: a standard paper by its
// number, else a user size (256) under Qt's name.
CatalogPaper CatalogPaperOf(const QPageSize& size);
// The printer mode that sets a set-up's paper and orientation.
DevMode DevModeOf(const PrinterSetup& setup);

void InstallQtPrinterCatalog();

} // namespace nv
