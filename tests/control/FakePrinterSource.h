#pragma once
// Printers in memory for the control: a list that can fail, printers that
// can fail to read or give no set-up, and the in-memory spooler for papers.
#include "control/PrinterSource.h"
#include "engine/printer/FakeSpooler.h"

#include <algorithm>

namespace nvtest {

// Every field a printer may report, as a full driver would.
inline constexpr uint32_t kAllFields = nv::DM_ORIENTATION | nv::DM_PAPERSIZE | nv::DM_PAPERLENGTH |
                                       nv::DM_PAPERWIDTH | nv::DM_COPIES | nv::DM_DEFAULTSOURCE |
                                       nv::DM_PRINTQUALITY | nv::DM_COLOR | nv::DM_DUPLEX | nv::DM_YRESOLUTION |
                                       nv::DM_TTOPTION | nv::DM_COLLATE | nv::DM_FORMNAME;

class FakePrinterSource : public nv::PrinterSource {
public:
    struct Printer {
        std::string name;
        bool readable = true;
        bool hasMode = true;
        nv::DevMode mode = A4Mode(kAllFields);
    };

    static nv::DevMode A4Mode(uint32_t fields)
    {
        nv::DevMode m;
        m.dmFields = fields;
        m.dmOrientation = nv::DMORIENT_PORTRAIT;
        m.dmPaperSize = nv::DMPAPER_A4;
        m.dmPaperWidth = 2100;
        m.dmPaperLength = 2970;
        m.dmCopies = 1;
        m.dmCollate = 1;
        m.dmColor = nv::DMCOLOR_MONOCHROME;
        m.dmDuplex = nv::DMDUP_SIMPLEX;
        m.dmPrintQuality = 600;
        m.dmYResolution = 600;
        m.dmTTOption = 1;
        m.dmDefaultSource = nv::DMBIN_AUTO;
        m.formName = "A4";
        return m;
    }

    explicit FakePrinterSource(std::initializer_list<const char*> names = {"Alpha", "Beta"}, std::string def = "Alpha")
        : defaultName(std::move(def))
    {
        for (const char* n : names) printers.push_back(Printer{n});
    }

    Printer& Get(const std::string& name)
    {
        return *std::find_if(printers.begin(), printers.end(), [&](const Printer& p) { return p.name == name; });
    }

    std::optional<std::vector<std::string>> ListPrinters() override
    {
        ++listCalls;
        if (listFails) return std::nullopt;
        std::vector<std::string> names;
        for (const Printer& p : printers) names.push_back(p.name);
        return names;
    }
    std::string DefaultPrinterName() override { return defaultName; }
    std::optional<nv::PrinterReading> ReadPrinter(const std::string& name) override
    {
        ++readCalls;
        for (const Printer& p : printers) {
            if (p.name != name) continue;
            if (!p.readable) return std::nullopt;
            nv::PrinterReading r{"Fake Driver", "fake:", std::nullopt};
            if (p.hasMode) r.mode = p.mode;
            return r;
        }
        return std::nullopt;
    }
    nv::PrintSpooler& Spooler() override { return spooler; }

    std::vector<Printer> printers;
    std::string defaultName;
    bool listFails = false;
    int listCalls = 0;
    int readCalls = 0;
    FakeSpooler spooler;
};

} // namespace nvtest
