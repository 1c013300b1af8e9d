#pragma once
// Where the control learns which printers there are and how each is set up.
// The system one asks CUPS through Qt and treats "pdf:<file>" names as
// printers writing that PDF file; tests give their own.
#include "platform/core/DevMode.h"
#include "platform/print/PrintSpooler.h"

#include <optional>
#include <string>
#include <vector>

namespace nv {

// What one printer reports when it is read.
struct PrinterReading {
    std::string driverName; // UTF-8
    std::string portName;   // UTF-8
    // The printer's set-up with dmFields naming what it takes; none when the
    // printer gives no set-up at all.
    std::optional<DevMode> mode;
};

class PrinterSource {
public:
    virtual ~PrinterSource() = default;
    // Printer names (UTF-8) in the order the system lists them; nullopt when
    // the list cannot be had.
    virtual std::optional<std::vector<std::string>> ListPrinters() = 0;
    // The system's default printer, empty when it has none.
    virtual std::string DefaultPrinterName() = 0;
    // nullopt when the printer cannot be opened or read.
    virtual std::optional<PrinterReading> ReadPrinter(const std::string& name) = 0;
    // Paper lists and extents of this source's printers; device names given
    // to it are the printer names in CP932.
    virtual PrintSpooler& Spooler() = 0;
};

// CUPS through Qt (needs a QGuiApplication); one per process.
PrinterSource& SystemPrinterSource();

// The set-up of a printer that writes PDF files: A4 portrait, any standard
// or custom paper, one copy.
DevMode PdfPrinterMode();

} // namespace nv
