#include <gtest/gtest.h>

#include "FakePrinterCatalog.h"
#include "Viewer/PaperSetup.h"
#include "engine/printer/TvPaperForms.h"
#include "engine/store/TvPrinterSettings.h"

using namespace nv::viewer;

namespace {

struct Record {
    uint32_t version = 3;
    uint32_t flags = 0;
    std::string name{};
    int32_t id = 9;
    int16_t width = 2100;
    int16_t length = 2970;
    int32_t orientation = 1;
    int16_t scale = 100;

    nv::TvPrinterSettings Make() const
    {
        nv::TvPrinterSettings r;
        r.m_nVersion = version;
        r.m_nChangeMask = flags;
        r.m_strFormName = name;
        r.m_nPaperSize = id;
        r.m_nPaperWidth = width;
        r.m_nPaperLength = length;
        r.m_nOrientation = orientation;
        r.m_nScale = scale;
        return r;
    }
};

TEST(MatchPagePaper, NameNumberUserSizeAndSize)
{
    struct Case {
        const char* what;
        Record record;
        bool failAdd;
        std::optional<std::pair<std::string, int16_t>> found;
    };
    const Case cases[] = {
        {"version 2 looks up the number over a name match", {2, kPaperByName, "A3", 9}, false, {{"A4", 9}}},
        {"by name", {3, kPaperByName, "A3", 9}, false, {{"A3", 8}}},
        {"name unknown, then by number", {3, kPaperByName | kPaperById, "Unknown", 13}, false, {{"B5 (JIS)", 13}}},
        {"by number without the name bit", {3, kPaperById, "A3", 1, 2159, 2794}, false, {{"Letter", 1}}},
        {"a user size is added as a form", {3, kPaperById, "", 256, 1000, 1500}, false, {{"Tavelo Form 1", 257}}},
        {"a user size that cannot be added is not searched by size", {3, kPaperById, "", 256, 1000, 1500}, true, {}},
        {"an old user size is listed under its size", {1, 0, "", 256, 2970, 4200}, false, {{"A3", 8}}},
        {"no bits: by size", {3, 0, "A4", 9, 2970, 4200}, false, {{"A3", 8}}},
        {"an unknown number falls back to the size", {3, kPaperById, "", 77, 1820, 2570}, false, {{"B5 (JIS)", 13}}},
        {"nothing of that size", {3, 0, "", 9, 1234, 1234}, false, {}},
    };
    for (const Case& c : cases) {
        nvtest::FakeSpooler spooler;
        if (c.failAdd) spooler.addStatus = nv::SpoolStatus::AccessDenied;
        nv::TvPaperForms forms("A4 printer", "", &spooler);
        const auto got = MatchPagePaper(c.record.Make(), forms);
        ASSERT_EQ(got.has_value(), c.found.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->name, c.found->first) << c.what;
            EXPECT_EQ(got->id, c.found->second) << c.what;
        }
    }
}

TEST(SetUpPaper, ModesOnTheFakeA4Printer)
{
    nvtest::FakePrinterCatalog catalog;
    const nv::PrinterSetup a4 = *catalog.DefaultSetup("A4 printer");
    struct Case {
        const char* what;
        Record record;
        int mode;
        int id, orientation, scale;
    };
    const Case cases[] = {
        {"A3 portrait, automatic scale", {3, 0, "A3", 8, 2970, 4200}, 2, 9, 1, 70},
        {"A3 landscape, automatic fit", {3, 0, "A3", 8, 2970, 4200, 2}, 3, 9, 2, 70},
        {"A4 landscape, automatic scale", {3, 0, "A4", 9, 2100, 2970, 2}, 2, 9, 1, 70},
        {"same size keeps the page's scale", {3, 0, "A3", 8, 2970, 4200, 1, 80}, 1, 9, 1, 80},
        {"document keeps its paper", {3, 0, "A3", 8, 2970, 4200, 2, 90}, 0, 8, 2, 90},
        {"a page without a size keeps its scale", {3, 0, "", 256, 0, 0, 1, 60}, 2, 9, 1, 60},
    };
    const int32_t margin = static_cast<int32_t>(int64_t(nvtest::FakePrinterCatalog::kMarginPx) * 1440000 / 600);
    for (const Case& c : cases) {
        const nv::TvPrinterSettings r = c.record.Make();
        const ViewPaper v = SetUpPaper(&r, &a4, c.mode, catalog);
        EXPECT_EQ(v.sheet.id, c.id) << c.what;
        EXPECT_EQ(v.sheet.orientation, c.orientation) << c.what;
        EXPECT_EQ(v.sheet.scale, c.scale) << c.what;
        EXPECT_EQ(v.marginLeft, margin) << c.what;
        EXPECT_EQ(v.marginBottom, margin) << c.what;
    }
}

TEST(SetUpPaper, WithoutAPrinterThePageKeepsItsOwnPaper)
{
    nvtest::FakePrinterCatalog catalog;
    const nv::TvPrinterSettings r = Record{3, 0, "A3", 8, 2970, 4200, 2, 85}.Make();
    for (int mode = 0; mode < 4; ++mode) {
        const ViewPaper v = SetUpPaper(&r, nullptr, mode, catalog);
        EXPECT_GT(v.sheet.width, v.sheet.height) << mode;
        EXPECT_EQ(v.sheet.id, 8) << mode;
        EXPECT_EQ(v.sheet.scale, 85) << mode;
        EXPECT_EQ(v.marginLeft + v.marginTop + v.marginRight + v.marginBottom, 0) << mode;
    }
    catalog.defaultPrinter.clear();
    EXPECT_FALSE(AppPrinter::FromCatalog(catalog).setup);
}

TEST(SetUpPaper, APrinterWithoutANameIsNotMatchedWith)
{
    nvtest::FakePrinterCatalog catalog;
    nv::PrinterSetup pdf = *catalog.DefaultSetup("A4 printer");
    pdf.printer.clear();
    const nv::TvPrinterSettings r = Record{3, kPaperById, "", 256, 1000, 1500}.Make();
    const ViewPaper v = SetUpPaper(&r, &pdf, 0, catalog);
    EXPECT_EQ(v.page.id, 256);
    EXPECT_EQ(catalog.spooler.addCalls, 0);
    EXPECT_EQ(v.marginLeft, 0);
}

} // namespace
