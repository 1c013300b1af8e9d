#pragma once
// Printers in memory: "A4 printer" (the default, A4 portrait) and "A3
// printer" (A3 portrait), both 600 dpi with a 5 mm margin all round, their
// papers those of the fake spooler. Without a default it has no printer.
#include "../engine/printer/FakeSpooler.h"
#include "ViewerFixture.h"
#include "platform/print/PrinterCatalog.h"

#include <map>

namespace nvtest {

class FakePrinterCatalog : public nv::PrinterCatalog {
public:
    static constexpr int kDpi = 600;
    static constexpr int kMarginPx = 118; // 5 mm

    FakeSpooler spooler;
    std::string defaultPrinter = "A4 printer";
    std::map<std::string, nv::PrinterSetup> printers = {
        {"A4 printer", {"A4 printer", {"A4", 9, {2100, 2970}}, 1}},
        {"A3 printer", {"A3 printer", {"A3", 8, {2970, 4200}}, 1}},
    };

    std::string DefaultPrinter() override { return defaultPrinter; }
    std::optional<nv::PrinterSetup> DefaultSetup(const std::string& printer) override
    {
        const auto it = printers.find(printer);
        if (it == printers.end()) return std::nullopt;
        return it->second;
    }
    std::optional<nv::SheetGeometry> Geometry(const nv::PrinterSetup& s) override
    {
        if (!printers.count(s.printer)) return std::nullopt;
        int32_t w = s.paper.size.width * kDpi / 254, h = s.paper.size.length * kDpi / 254;
        if (s.orientation != 1) std::swap(w, h);
        return nv::SheetGeometry{kDpi, w, h, kMarginPx, kMarginPx, w - 2 * kMarginPx, h - 2 * kMarginPx};
    }
    nv::PrintSpooler& Spooler() override { return spooler; }
};

// The real viewer on the fake printers.
class FakePrinterFixture : public ViewerFixture {
protected:
    void SetUp() override
    {
        ViewerFixture::SetUp();
        nv::SetDefaultPrinterCatalog(&catalog);
    }
    void TearDown() override
    {
        ViewerFixture::TearDown();
        nv::SetDefaultPrinterCatalog(nullptr);
    }

    FakePrinterCatalog catalog;
};

} // namespace nvtest
