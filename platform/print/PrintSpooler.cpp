#include "platform/print/PrintSpooler.h"

#include <atomic>

namespace nv {
namespace {

// Without a spooler installed there is no printer: every query fails.
class NoPrintSpooler : public PrintSpooler {
public:
    std::optional<std::vector<std::string>> PaperNames(const std::string&, const std::string&) override { return {}; }
    std::optional<std::vector<int16_t>> PaperIds(const std::string&, const std::string&) override { return {}; }
    std::optional<std::vector<PaperExtent>> PaperSizes(const std::string&, const std::string&) override { return {}; }
    std::optional<PaperExtent> MaxExtent(const std::string&, const std::string&) override { return {}; }
    std::optional<PaperExtent> MinExtent(const std::string&, const std::string&) override { return {}; }
    std::unique_ptr<SpoolPrinter> OpenPrinter(const std::string&, SpoolStatus& status) override
    {
        status = SpoolStatus::NotFound;
        return nullptr;
    }
};

std::atomic<PrintSpooler*> g_installed{nullptr};

} // namespace

PrintSpooler& DefaultPrintSpooler()
{
    static NoPrintSpooler none;
    PrintSpooler* installed = g_installed.load();
    return installed ? *installed : none;
}

void SetDefaultPrintSpooler(PrintSpooler* spooler)
{
    g_installed.store(spooler);
}

} // namespace nv
