#pragma once
// The print spooler as the paper-form code sees it: a printer's paper list
// and extents, and the server's list of named forms. CupsPrintSpooler is the
// real one; tests give their own.
#include "platform/print/StandardPapers.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nv {

enum class SpoolStatus { Ok, AccessDenied, FileExists, NotFound, Failed };

// A named form of the spooler: size and imageable area in thousandths of a
// millimetre.
struct FormInfo1 {
    uint32_t flags = 0;
    std::string name; // CP932
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const FormInfo1&) const = default;
};

// One opened printer.
class SpoolPrinter {
public:
    virtual ~SpoolPrinter() = default;
    // Every form the spooler knows; nullopt when the list cannot be read.
    virtual std::optional<std::vector<FormInfo1>> EnumForms() = 0;
    virtual SpoolStatus AddForm(const FormInfo1& form) = 0;
    virtual SpoolStatus DeleteForm(const std::string& name) = 0;
};

class PrintSpooler {
public:
    virtual ~PrintSpooler() = default;
    // Index-aligned paper lists of a printer; nullopt when the query fails.
    virtual std::optional<std::vector<std::string>> PaperNames(const std::string& device, const std::string& port) = 0;
    virtual std::optional<std::vector<int16_t>> PaperIds(const std::string& device, const std::string& port) = 0;
    virtual std::optional<std::vector<PaperExtent>> PaperSizes(const std::string& device, const std::string& port) = 0;
    // Largest and smallest paper the printer takes (tenths of a millimetre).
    virtual std::optional<PaperExtent> MaxExtent(const std::string& device, const std::string& port) = 0;
    virtual std::optional<PaperExtent> MinExtent(const std::string& device, const std::string& port) = 0;
    // nullptr with the reason in `status` when the printer cannot be opened.
    virtual std::unique_ptr<SpoolPrinter> OpenPrinter(const std::string& device, SpoolStatus& status) = 0;
};

// The spooler of this machine, shared by the process: the one installed
// (InstallCupsPrintSpooler for CUPS), else one that knows no printer.
PrintSpooler& DefaultPrintSpooler();
// Installs the spooler DefaultPrintSpooler gives (nullptr: none); the caller
// keeps it alive while installed.
void SetDefaultPrintSpooler(PrintSpooler* spooler);

} // namespace nv
