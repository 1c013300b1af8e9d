// The settings file company.w1: anything read must write back to the same
// bytes, and a canonical rewrite must read back to the same values; what is
// kept of any file (bad items at their defaults) writes a file that reads
// whole.
#include "ledger/common/CompanyFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const nv::CompanyFile kept = nv::ParseCompanyFileKeeping(bytes, 2030);
    std::string written;
    try {
        written = nv::FormatCompanyFile(kept);
    } catch (const nv::CompanyFileError&) {
        written.clear();   // a label with a bare CR cannot be written back
    }
    if (!written.empty() && !(nv::ParseCompanyFile(written).Settings == kept.Settings)) std::abort();

    nv::CompanyFile f;
    try {
        f = nv::ParseCompanyFile(bytes);
    } catch (const nv::CompanyFileError&) {
        return 0;
    }
    std::string again;
    try {
        again = nv::FormatCompanyFile(f);
    } catch (const nv::CompanyFileError&) {
        return 0;   // a label with a bare CR cannot be written back
    }
    nv::CompanyFile g = nv::ParseCompanyFile(again);
    if (!(g.Settings == f.Settings) || g.ItemLabels != f.ItemLabels || g.ScreenFlag != f.ScreenFlag ||
        g.PortraitSummary != f.PortraitSummary)
        std::abort();

    f.ValueLines = {};
    std::string canonical;
    try {
        canonical = nv::FormatCompanyFile(f);
    } catch (const nv::CompanyFileError&) {
        return 0;
    }
    nv::CompanyFile h = nv::ParseCompanyFile(canonical);
    if (!(h.Settings == f.Settings) || h.ScreenFlag != f.ScreenFlag || h.PortraitSummary != f.PortraitSummary)
        std::abort();
    return 0;
}
