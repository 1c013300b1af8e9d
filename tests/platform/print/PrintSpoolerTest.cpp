#include "platform/print/PrintSpooler.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

class OnePaperSpooler : public PrintSpooler {
public:
    std::optional<std::vector<std::string>> PaperNames(const std::string&, const std::string&) override
    {
        return std::vector<std::string>{"A4"};
    }
    std::optional<std::vector<int16_t>> PaperIds(const std::string&, const std::string&) override { return {}; }
    std::optional<std::vector<PaperExtent>> PaperSizes(const std::string&, const std::string&) override { return {}; }
    std::optional<PaperExtent> MaxExtent(const std::string&, const std::string&) override { return {}; }
    std::optional<PaperExtent> MinExtent(const std::string&, const std::string&) override { return {}; }
    std::unique_ptr<SpoolPrinter> OpenPrinter(const std::string&, SpoolStatus& status) override
    {
        status = SpoolStatus::Failed;
        return nullptr;
    }
};

} // namespace

// Until a program installs its spooler there is no printer; the engine never
// picks one itself.
TEST(PrintSpooler, TheDefaultIsTheInstalledOneElseNone)
{
    SpoolStatus status = SpoolStatus::Ok;
    EXPECT_FALSE(DefaultPrintSpooler().PaperNames("any", "").has_value());
    EXPECT_EQ(DefaultPrintSpooler().OpenPrinter("any", status), nullptr);
    EXPECT_EQ(status, SpoolStatus::NotFound);

    OnePaperSpooler one;
    SetDefaultPrintSpooler(&one);
    EXPECT_EQ(&DefaultPrintSpooler(), &one);
    EXPECT_EQ(DefaultPrintSpooler().PaperNames("any", "")->size(), 1u);
    SetDefaultPrintSpooler(nullptr);
    EXPECT_FALSE(DefaultPrintSpooler().PaperNames("any", "").has_value());
}
