#include "platform/qt/CupsPrintSpooler.h"
#include "engine/printer/TvPaperForms.h"
#include "platform/core/DevMode.h"

#include "QtApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace nv;

// CI machines have no printer: a printer that is not there must give the
// codes, never a crash.
TEST(CupsPrintSpooler, MissingPrinterGivesResultCodes)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    CupsPrintSpooler spooler(dir.file("forms"));
    const std::string device = "Nivalo No Such Printer";
    EXPECT_FALSE(spooler.PaperNames(device, "").has_value());
    EXPECT_FALSE(spooler.MaxExtent(device, "").has_value());
    SpoolStatus status = SpoolStatus::Ok;
    EXPECT_EQ(spooler.OpenPrinter(device, status), nullptr);
    EXPECT_EQ(status, SpoolStatus::NotFound);

    TvPaperForms forms(device, "", &spooler);
    EXPECT_EQ(forms.GetPaperLists(nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(forms.CheckExtent({2100, 2970}), 1);
    int16_t id = 0;
    PaperExtent size;
    std::string name;
    EXPECT_EQ(forms.FindPaperByName(&id, &size, "A4"), 0);
    EXPECT_EQ(forms.FindOrAddForm(&id, &size, name, {1000, 1500}, true), -4);
    EXPECT_EQ(forms.AddForm(name, {1000, 1500}, true), -4);
    forms.DeleteForm("Tavelo Form 1");
    EXPECT_TRUE(spooler.Registry().Load()->empty());

    TvPaperForms unnamed("", "", &spooler);
    EXPECT_EQ(unnamed.FindOrAddForm(&id, &size, name, {1000, 1500}, true), -4);

    for (const std::string& p : CupsPrintSpooler::PrinterNames()) EXPECT_FALSE(p.empty());
}

// A "pdf:" printer takes every standard paper and any custom size.
TEST(CupsPrintSpooler, PdfPrinterTakesStandardAndCustomPapers)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    CupsPrintSpooler spooler(dir.file("forms"));
    TvPaperForms forms("pdf:" + dir.file("out.pdf"), "", &spooler);
    std::vector<int16_t> ids;
    ASSERT_EQ(forms.GetPaperLists(nullptr, &ids, nullptr), int(StandardPapers().size()));
    PaperExtent size;
    std::string name;
    ASSERT_EQ(forms.FindPaperById(&size, &name, DMPAPER_B4), 1);
    EXPECT_EQ(size, (PaperExtent{2570, 3640}));
    EXPECT_EQ(forms.CheckExtent({50000, 50000}), 1) << "no limit";
    int16_t id = 0;
    ASSERT_EQ(forms.FindOrAddForm(&id, &size, name, {1234, 2345}, true), 0);
    EXPECT_GT(id, DMPAPER_USER);
    EXPECT_EQ(name, "Tavelo Form 1");
    EXPECT_EQ(forms.FindPaperBySize(&id, &name, {1234, 2345}), 1);
}
