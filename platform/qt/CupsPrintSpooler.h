#pragma once
// The spooler of this machine: printers and their papers from CUPS through
// Qt, named forms from the standard paper table plus the forms registered
// in a FormRegistry. A registered form shows in a printer's paper list only
// when the printer takes custom sizes and the form lies within its extents,
// as a driver lists only forms it can print. Needs a QGuiApplication.
#include "platform/print/FormRegistry.h"
#include "platform/print/PrintSpooler.h"

#include <string>
#include <vector>

namespace nv {

class CupsPrintSpooler : public PrintSpooler {
public:
    explicit CupsPrintSpooler(std::string registryPath = FormRegistry::DefaultPath());

    static std::vector<std::string> PrinterNames(); // CP932
    static std::string DefaultPrinterName();       // empty when there is none

    std::optional<std::vector<std::string>> PaperNames(const std::string& device, const std::string& port) override;
    std::optional<std::vector<int16_t>> PaperIds(const std::string& device, const std::string& port) override;
    std::optional<std::vector<PaperExtent>> PaperSizes(const std::string& device, const std::string& port) override;
    std::optional<PaperExtent> MaxExtent(const std::string& device, const std::string& port) override;
    std::optional<PaperExtent> MinExtent(const std::string& device, const std::string& port) override;
    std::unique_ptr<SpoolPrinter> OpenPrinter(const std::string& device, SpoolStatus& status) override;

    const FormRegistry& Registry() const { return registry_; }

private:
    struct Paper {
        std::string name;
        int16_t id;
        PaperExtent size;
    };
    std::optional<std::vector<Paper>> Papers(const std::string& device);
    FormRegistry registry_;
};

// Makes the CUPS spooler the process's default one (programs do this at
// start; the engine itself names no spooler).
void InstallCupsPrintSpooler();

} // namespace nv
