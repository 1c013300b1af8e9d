// The control's printers on an in-memory printer list: lazy listing, reading,
// pruning, look-ups, the recorded settings, paper fitting and the modes a
// job's device is set to.
#include "ControlFixture.h"
#include "FakePrinterSource.h"

#include "control/CXPrinters.h"
#include "control/ControlErrors.h"
#include "control/InkplateDispatch.h"
#include "control/typelib/TvlError.h"
#include "engine/core/EngineLog.h"
#include "engine/format/UnitTable.h"
#include "engine/printer/DevModeTracker.h"
#include "OutputFixture.h"
#include "platform/qt/PdfSpool.h"

#include <QApplication>
#include <QPrinterInfo>

#include <cstdlib>
#include <fstream>
#include <optional>

using namespace nv;
using namespace nvtest;

namespace {

constexpr HRESULT kPrinterError = HRESULT(0x800A01E2);
constexpr HRESULT kBadValue = HRESULT(0x800A017C);
constexpr HRESULT kBadIndex = HRESULT(0x800A017D);

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class RecordingTarget : public PrinterModeTarget {
public:
    bool ResetDC(const DevMode& mode) override
    {
        resets.push_back(mode);
        return true;
    }
    std::vector<DevMode> resets;
};

// The pending changes by id: the value as a number, or -1 for a text.
std::map<int, int32_t> Pending(const CXPrinter& p)
{
    std::map<int, int32_t> out;
    p.PendingChanges().ForEach([&](const TvEntryKey& k, const TvChangeEntry& e) {
        out[k.m_nPropId] = e.m_pData->m_nType == CChangeData::typeBytes ? -1 : e.m_pData->GetLong();
    });
    return out;
}

class PrinterTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        ctrl->Printers().SetSource(&source);
    }
    void TearDown() override { ctrl->Printers().SetSource(nullptr); }

    CXPrinter& Printer(const std::string& name) { return *ctrl->Printers().Item(name); }

    ScopedEnv lpdest{"LPDEST", nullptr};
    ScopedEnv printerEnv{"PRINTER", nullptr};
    FakePrinterSource source;
};

} // namespace

TEST_F(PrinterTest, ListedAtFirstNeedThenDefaultIsCurrent)
{
    EXPECT_EQ(source.listCalls, 0) << "a control that is never asked never lists";
    CXPrinter* current = ctrl->CurrentPrinter();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->GetPrinterName(), "Alpha");
    EXPECT_EQ(current->LoadState(), 0) << "listing reads nothing";
    EXPECT_EQ(ctrl->Printers().Count(), 2);
    EXPECT_TRUE(ctrl->HasPrinters());
    EXPECT_EQ(source.listCalls, 1);

    CInkplateCtrl design(CInkplateCtrl::Mode::Design);
    design.Printers().SetSource(&source);
    EXPECT_FALSE(design.HasPrinters());
    EXPECT_EQ(design.CurrentPrinter(), nullptr);
    EXPECT_EQ(source.listCalls, 1);
    design.Printers().SetSource(nullptr);
}

TEST_F(PrinterTest, ListingFailureLeavesNoPrinter)
{
    source.listFails = true;
    EXPECT_FALSE(ctrl->HasPrinters());
    EXPECT_EQ(ctrl->CurrentPrinter(), nullptr);
    EXPECT_EQ(ctrl->Printers().SelectPrinter("Alpha"), tvlErrPrinterNotExists);
    EXPECT_EQ(ctrl->Printers().DefaultPrinter(), nullptr);
}

TEST_F(PrinterTest, NoCupsPrinterGivesOneVirtualPdfPrinter)
{
    source.printers.clear();
    source.defaultName.clear();
    ctrl->SetDocumentPath(dir.path().string());
    ASSERT_EQ(ctrl->Printers().Count(), 1);
    CXPrinter* pdf = ctrl->CurrentPrinter();
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->GetPrinterName(), "PDF");
    EXPECT_EQ(pdf->GetDeviceName(), "PDF");
    EXPECT_EQ(pdf->GetNumber(CXPrinter::kPaperSize), DMPAPER_A4);
    EXPECT_EQ(pdf->JobPrinterName(), "pdf:" + dir.file("Tvprint1.pdf"));
    std::ofstream(dir.file("Tvprint1.pdf")) << "taken";
    EXPECT_EQ(pdf->JobPrinterName(), "pdf:" + dir.file("Tvprint2.pdf"));
    EXPECT_EQ(source.readCalls, 0) << "the virtual printer asks no print server";
}

// Two prints onto the stand-in into one folder at once: each takes a name of
// its own at the start and names the file it wrote; one abandoned gives its
// name back.
TEST_F(PrinterTest, PrintsIntoOneFolderAtOnceEachNameTheirOwnFile)
{
    EnsureApplication();
    source.printers.clear();
    source.defaultName.clear();
    CInkplateCtrl second;
    second.Printers().SetSource(&source);
    second.SetFormPath(dir.path().string());
    for (CInkplateCtrl* c : {ctrl.get(), &second}) c->SetDocumentPath(dir.path().string());
    const auto form = OpenSample();
    const auto secondForm = second.OpenForm("sample.tvf");
    ASSERT_EQ(ctrl->StartPrinter("", "one"), 0);
    ASSERT_EQ(second.StartPrinter("", "two"), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(second.PrintOut(*secondForm), 0);
    EXPECT_EQ(second.EndPrinter(), 0);
    EXPECT_EQ(ctrl->EndPrinter(), 0);
    EXPECT_EQ(ctrl->GetDocumentFileName(), dir.file("Tvprint1.pdf"));
    EXPECT_EQ(second.GetDocumentFileName(), dir.file("Tvprint2.pdf"));
    for (const char* name : {"Tvprint1.pdf", "Tvprint2.pdf"})
        EXPECT_TRUE(PdfFileIsWhole(QString::fromStdString(dir.file(name)))) << name;
    ASSERT_EQ(ctrl->StartPrinter("", "three"), 0);
    EXPECT_EQ(ctrl->GetDocumentFileName(), dir.file("Tvprint3.pdf"));
    EXPECT_EQ(ctrl->AbortPrinter(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Tvprint3.pdf")));
    EXPECT_EQ(ctrl->GetDocumentFileName(), "");
    second.Printers().SetSource(nullptr);
}

TEST_F(PrinterTest, ReadingFailureRaises20007)
{
    source.Get("Alpha").readable = false;
    CXPrinter* alpha = ctrl->CurrentPrinter();
    ASSERT_NE(alpha, nullptr);
    EXPECT_TVL_ERROR(alpha->GetNumber(CXPrinter::kCopies), kPrinterError, 20007);
    EXPECT_TVL_ERROR(alpha->Refresh(), kPrinterError, 20007);
    EXPECT_EQ(alpha->LoadState(), 0);


    // A printer that gives no set-up is read, but not usable.
    source.Get("Beta").hasMode = false;
    source.defaultName = "Beta";
    CInkplateCtrl second;
    second.Printers().SetSource(&source);
    CXPrinter* beta = second.CurrentPrinter();
    ASSERT_NE(beta, nullptr);
    beta->Refresh();
    EXPECT_EQ(beta->LoadState(), -1);
    EXPECT_EQ(beta->CurrentDevMode().dmFields, 0u);
    second.Printers().SetSource(nullptr);

    // Neither is kept: no printer at all, and the log says which went and why.
    EXPECT_FALSE(ctrl->HasPrinters());
    EXPECT_EQ(ctrl->CurrentPrinter(), nullptr);
    std::string log;
    for (const std::string& line : RecentLogLines()) log += line + "\n";
    for (const char* name : {"Alpha", "Beta"})
        EXPECT_NE(log.find(std::string("プリンタ ") + name + " を読めないため一覧から外しました"), std::string::npos) << log;
    EXPECT_NE(log.find(ControlErrorText(20007)), std::string::npos) << log;
}

TEST_F(PrinterTest, PruningKeepsPositionsAndReplacesTheCurrentPrinter)
{
    source = FakePrinterSource({"Alpha", "Beta", "Gamma", "Delta"}, "Beta");
    ASSERT_EQ(ctrl->CurrentPrinter()->GetPrinterName(), "Beta");
    // Beta goes away after the list was made; nothing but the control points at it.
    source.Get("Beta").readable = false;
    source.Get("Gamma").hasMode = false;

    // The first use of any member prunes, Item included, so positions hold.
    struct Row {
        int32_t position;
        const char* name; // null: none
    } rows[] = {{1, "Delta"}, {0, "Alpha"}, {2, nullptr}, {-1, nullptr}};
    for (const Row& r : rows) {
        auto p = ctrl->Printers().At(r.position);
        EXPECT_EQ(p ? p->GetPrinterName() : std::string("(none)"), r.name ? r.name : "(none)") << r.position;
    }
    EXPECT_EQ(ctrl->Printers().Count(), 2);
    CXPrinter* current = ctrl->CurrentPrinter();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->GetPrinterName(), "Alpha") << "the default left too: the first printer";
    EXPECT_EQ(current->GetNumber(CXPrinter::kCopies), 1);
    EXPECT_EQ(ctrl->Printers().SelectPrinter("Beta"), tvlErrPrinterNotExists);
}

TEST_F(PrinterTest, ItemByNameIgnoresCaseAndAddsPdfPrinters)
{
    struct Row {
        const char* name;
        const char* found; // null: none
    } rows[] = {
        {"beta", "Beta"},
        {"ALPHA", "Alpha"},
        {"Gamma", nullptr},
        {"pdf:/tmp/Out.pdf", "pdf:/tmp/Out.pdf"},
        {"PDF:/tmp/Out.pdf", "pdf:/tmp/Out.pdf"},
        {"pdf:/tmp/out.pdf", "pdf:/tmp/out.pdf"},
        {"pdf:", nullptr},
    };
    for (const Row& r : rows) {
        CXPrinter* p = ctrl->Printers().FindPrinter(r.name);
        EXPECT_EQ(p ? p->GetPrinterName() : std::string("(none)"), r.found ? r.found : "(none)") << r.name;
    }
    EXPECT_EQ(ctrl->Printers().Count(), 4) << "two PDF files, two printers; positions of the others kept";
    EXPECT_EQ(ctrl->Printers().SelectPrinter(""), 0);
    EXPECT_EQ(ctrl->CurrentPrinter()->GetPrinterName(), "Alpha");
    EXPECT_EQ(ctrl->Printers().SelectPrinter("pdf:/tmp/Out.pdf"), 0);
    EXPECT_EQ(ctrl->CurrentPrinter()->JobPrinterName(), "pdf:/tmp/Out.pdf");
}

TEST_F(PrinterTest, DefaultPrinterFollowsLpdestThenPrinter)
{
    struct Row {
        const char* lpdest;
        const char* printer;
        const char* expected;
    } rows[] = {
        {nullptr, nullptr, "Alpha"},
        {nullptr, "pdf:/tmp/x.pdf", "pdf:/tmp/x.pdf"},
        {"beta", "pdf:/tmp/x.pdf", "Beta"},
        {"", "Beta", "Beta"},
        {"Missing", nullptr, "Alpha"},
    };
    for (const Row& r : rows) {
        ScopedEnv a("LPDEST", r.lpdest), b("PRINTER", r.printer);
        CInkplateCtrl fresh;
        fresh.Printers().SetSource(&source);
        ASSERT_NE(fresh.CurrentPrinter(), nullptr);
        EXPECT_EQ(fresh.CurrentPrinter()->GetPrinterName(), r.expected) << (r.lpdest ? r.lpdest : "-");
        EXPECT_EQ(fresh.Printers().DefaultPrinter()->GetPrinterName(), r.expected);
        fresh.Printers().SetSource(nullptr);
    }

    // Without CUPS printers a "pdf:" default stands alone.
    ScopedEnv b("PRINTER", "pdf:/tmp/x.pdf");
    source.printers.clear();
    EXPECT_EQ(ctrl->Printers().Count(), 1);
    EXPECT_EQ(ctrl->CurrentPrinter()->GetPrinterName(), "pdf:/tmp/x.pdf");
    EXPECT_EQ(ctrl->CurrentPrinter()->GetNumber(CXPrinter::kOrientation), 1);
}

TEST_F(PrinterTest, PaperSizeRecordsTheWholePaper)
{
    CXPrinter& alpha = Printer("Alpha");
    alpha.SetNumber(CXPrinter::kPaperSize, DMPAPER_A3);
    const std::map<int, int32_t> expected{{1501, 8}, {1502, 4200}, {1503, 2970}, {1512, -1}};
    EXPECT_EQ(Pending(alpha), expected);
    const TvPrinterSettings& s = alpha.Settings();
    EXPECT_EQ(s.m_strFormName, "A3");
    EXPECT_EQ(s.m_nChangeMask & TvPrinterSettings::MaskBit(1512), 0u) << "the name follows the size";
    EXPECT_NE(s.m_nChangeMask & TvPrinterSettings::MaskBit(1501), 0u);
    // In the control's unit (1/100 mm by default).
    EXPECT_EQ(alpha.GetNumber(CXPrinter::kPaperLength), 42000);
    EXPECT_EQ(alpha.GetPaperName(), "A3");

    // The same paper again still records: documents carry what the host set.
    alpha.Forget();
    EXPECT_TRUE(alpha.PendingChanges().empty());
    EXPECT_EQ(alpha.LoadState(), 0);
    alpha.SetNumber(CXPrinter::kPaperSize, DMPAPER_A4);
    EXPECT_EQ(Pending(alpha), (std::map<int, int32_t>{{1501, 9}, {1502, 2970}, {1503, 2100}, {1512, -1}}));

    alpha.SetPaperName("B5 (JIS)");
    EXPECT_EQ(alpha.GetNumber(CXPrinter::kPaperSize), DMPAPER_B5);
    EXPECT_EQ(alpha.GetNumber(CXPrinter::kPaperWidth), 18200);
    alpha.SetNumber(CXPrinter::kPaperWidth, 15000);
    EXPECT_EQ(Pending(alpha)[1503], 1500);
    for (int32_t bad : {-10, 327680})
        EXPECT_TVL_ERROR(alpha.SetNumber(CXPrinter::kPaperLength, bad), kBadValue, 20040);
    EXPECT_EQ(alpha.GetNumber(CXPrinter::kPaperLength), 25700);

    TvEntryMap page;
    alpha.CopyPendingChangesTo(page);
    EXPECT_EQ(page.size(), 4u);
}

TEST_F(PrinterTest, PrinterCheckRequiresTheDriversFields)
{
    struct Row {
        const char* what;
        uint32_t fields;
        bool check;
        std::function<void(CXPrinter&)> act;
        bool raises;
    } rows[] = {
        {"TTOption set, never offered", kAllFields & ~DM_TTOPTION, true,
         [](CXPrinter& p) { p.SetNumber(CXPrinter::kTTOption, 2); }, true},
        {"TTOption get", kAllFields & ~DM_TTOPTION, true, [](CXPrinter& p) { p.GetNumber(CXPrinter::kTTOption); }, true},
        {"TTOption, check off", kAllFields & ~DM_TTOPTION, false,
         [](CXPrinter& p) { p.SetNumber(CXPrinter::kTTOption, 2); }, false},
        {"Copies without DM_COPIES, check off", kAllFields & ~DM_COPIES, false,
         [](CXPrinter& p) {
             p.SetNumber(CXPrinter::kCopies, 3);
             EXPECT_EQ(p.GetNumber(CXPrinter::kCopies), 3);
             EXPECT_EQ(Pending(p)[1505], 3);
         },
         false},
        {"Copies without DM_COPIES, check on", kAllFields & ~DM_COPIES, true,
         [](CXPrinter& p) { p.SetNumber(CXPrinter::kCopies, 3); }, true},
        {"PrintScale has no field", 0, true, [](CXPrinter& p) { p.SetNumber(CXPrinter::kPrintScale, 50); }, false},
        {"PaperName by size", DM_PAPERSIZE, true, [](CXPrinter& p) { p.GetPaperName(); }, false},
        {"PaperName by length and width", DM_PAPERLENGTH | DM_PAPERWIDTH, true, [](CXPrinter& p) { p.GetPaperName(); },
         false},
        {"PaperName by length only", DM_PAPERLENGTH, true, [](CXPrinter& p) { p.GetPaperName(); }, true},
        {"PaperSize not in the list", kAllFields, true, [](CXPrinter& p) { p.SetNumber(CXPrinter::kPaperSize, 12); },
         true},
        {"PaperSize user size", kAllFields, true, [](CXPrinter& p) { p.SetNumber(CXPrinter::kPaperSize, 256); }, false},
        {"PaperName not in the list", kAllFields, true, [](CXPrinter& p) { p.SetPaperName("Tabloid"); }, true},
    };
    for (const Row& r : rows) {
        source.Get("Alpha").mode.dmFields = r.fields;
        ctrl->SetFlags(r.check ? CInkplateCtrl::tvlFlagsPrinterCheck | CInkplateCtrl::tvlFlagsCompress : 0);
        CXPrinter& alpha = Printer("Alpha");
        alpha.Forget();
        if (r.raises) EXPECT_TVL_ERROR(r.act(alpha), kPrinterError, 20025);
        else EXPECT_NO_THROW(r.act(alpha)) << r.what;
    }
}

TEST_F(PrinterTest, SetFormSizeFitsThePaper)
{
    auto form = OpenSample();
    TvFormInfo& info = form->Root().EnsureFormInfo();
    const int32_t tenth = UnitToInternal(1, UNIT_DECIMM, true);
    struct Row {
        const char* what;
        int32_t formPaper; // the form's paper number
        int32_t width, length; // tenths of a millimetre
        uint32_t fields;
        std::function<void(FakeSpooler&)> spooler;
        int32_t result;
        int32_t code; // 1501 recorded, 0: none
    } rows[] = {
        {"A4 listed", 2, 2100, 2970, kAllFields, nullptr, 0, 9},
        {"B4 within the extents", 1, 2570, 3640, kAllFields, nullptr, 0, 12},
        {"B4 beyond them", 1, 2570, 3640, kAllFields, [](FakeSpooler& s) { s.maxExtent = PaperExtent{2200, 3000}; },
         tvlErrPaperSize, 12},
        {"no paper field", 2, 2100, 2970, DM_ORIENTATION, nullptr, tvlErrPrinterControl, 0},
        {"no orientation field", 2, 2100, 2970, DM_PAPERSIZE, nullptr, tvlErrPrinterControl, 9},
        {"user size added", 256, 1500, 2000, kAllFields, nullptr, 0, 257},
        {"user size refused", 256, 1500, 2000, kAllFields,
         [](FakeSpooler& s) { s.openStatus = SpoolStatus::AccessDenied; }, tvlErrAddFormDenied, 256},
        {"user size never offered", 256, 1500, 2000, kAllFields, [](FakeSpooler& s) { s.takesCustom = false; },
         tvlErrPrinterControl, 256},
    };
    for (const Row& r : rows) {
        source.spooler = FakeSpooler();
        if (r.spooler) r.spooler(source.spooler);
        source.Get("Alpha").mode.dmFields = r.fields;
        info.m_nPaperSize = r.formPaper;
        info.m_nPaperWidth = r.width * tenth;
        info.m_nPaperLength = r.length * tenth;
        info.m_nOrientation = DMORIENT_LANDSCAPE;
        CXPrinter& alpha = Printer("Alpha");
        alpha.Forget();
        EXPECT_EQ(alpha.SetFormSize(*form), r.result) << r.what;
        std::map<int, int32_t> pending = Pending(alpha);
        EXPECT_EQ(pending.count(1501) ? pending[1501] : 0, r.code) << r.what;
        EXPECT_EQ(pending[1502], r.length) << r.what;
        EXPECT_EQ(pending[1503], r.width) << r.what;
        EXPECT_EQ(pending.count(1500) ? pending[1500] : 0, (r.fields & DM_ORIENTATION) ? 2 : 0) << r.what;
    }

    CInkplateCtrl other;
    other.SetFormPath(dir.path().string());
    auto foreign = other.OpenForm("sample.tvf");
    EXPECT_TVL_ERROR(Printer("Alpha").SetFormSize(*foreign), kBadValue, 20006);
}

TEST_F(PrinterTest, ApplyDevModeScalesByDrawingAndPagesChangeOnlyOrientationAndPaper)
{
    CXPrinter& alpha = Printer("Alpha");
    alpha.SetNumber(CXPrinter::kPrintScale, 50);
    alpha.SetNumber(CXPrinter::kCopies, 2);
    alpha.SetNumber(CXPrinter::kOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(alpha.PrintScale(), 50);

    const DevMode first = alpha.CurrentDevMode();
    EXPECT_EQ(first.dmScale, 100);
    EXPECT_EQ(first.dmCopies, 2);
    EXPECT_EQ(first.dmOrientation, DMORIENT_LANDSCAPE);

    RecordingTarget dc;
    alpha.BeginJob();
    alpha.ApplyDevMode(dc, nullptr);
    alpha.ApplyDevMode(dc, nullptr);
    ASSERT_EQ(dc.resets.size(), 1u) << "an unchanged mode does not reset the device";
    EXPECT_EQ(dc.resets[0], first);

    TvPrinterSettings page;
    page.m_nOrientation = DMORIENT_PORTRAIT;
    page.m_nPaperSize = DMPAPER_A3;
    page.m_nPaperWidth = 2970;
    page.m_nPaperLength = 4200;
    page.m_nCopies = 7;
    page.m_nColor = DMCOLOR_COLOR;
    page.m_nScale = 30;
    alpha.ApplyDevMode(dc, &page);
    ASSERT_EQ(dc.resets.size(), 2u);
    const DevMode& second = dc.resets[1];
    EXPECT_EQ(second.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(second.dmPaperSize, DMPAPER_A3);
    EXPECT_EQ(second.dmPaperLength, 4200);
    EXPECT_EQ(second.dmCopies, 2);
    EXPECT_EQ(second.dmColor, DMCOLOR_MONOCHROME);
    EXPECT_EQ(second.dmScale, 100);

    // A new job resets the device on its first page whatever it had.
    alpha.BeginJob();
    alpha.ApplyDevMode(dc, &page);
    EXPECT_EQ(dc.resets.size(), 3u);

    // A printer that cannot be read any more leaves the device alone.
    CXPrinter& beta = Printer("Beta");
    beta.Forget();
    source.Get("Beta").readable = false;
    RecordingTarget untouched;
    beta.ApplyDevMode(untouched, nullptr);
    EXPECT_TRUE(untouched.resets.empty());
    EXPECT_EQ(beta.CurrentDevMode().dmFields, 0u);
}

TEST_F(PrinterTest, DuringADocumentThePrinterStaysAndSetFormSizeOnlyRecords)
{
    ctrl->SetDocumentPath(dir.path().string());
    auto form = OpenSample();
    TvFormInfo& info = form->Root().EnsureFormInfo();
    info.m_nPaperSize = 256;
    info.m_nPaperWidth = UnitToInternal(1500, UNIT_DECIMM, true);
    info.m_nPaperLength = UnitToInternal(2000, UNIT_DECIMM, true);
    info.m_nOrientation = DMORIENT_LANDSCAPE;
    // A printer that takes neither orientation nor paper, whose forms are refused.
    source.Get("Alpha").mode.dmFields = DM_COPIES;
    source.spooler.openStatus = SpoolStatus::AccessDenied;
    CXPrinter& beta = Printer("Beta");
    ASSERT_EQ(ctrl->StartDocument("job.tvd", "Job"), 0);
    EXPECT_TVL_ERROR(ctrl->SetPrinter(&beta), kBadValue, 20045);
    CXPrinter* alpha = ctrl->CurrentPrinter();
    ASSERT_EQ(alpha->GetPrinterName(), "Alpha");
    EXPECT_EQ(alpha->SetFormSize(*form), 0);
    EXPECT_EQ(Pending(*alpha), (std::map<int, int32_t>{{1500, 2}, {1501, 256}, {1502, 2000}, {1503, 1500}, {1512, -1}}));
    EXPECT_EQ(ctrl->EndDocument(), 0);
    ctrl->SetPrinter(&beta);
    EXPECT_EQ(ctrl->CurrentPrinter(), &beta);
    EXPECT_EQ(alpha->SetFormSize(*form), tvlErrPrinterControl) << "not while no document is written";
}

TEST_F(PrinterTest, PrinterPropertyTakesOnlyThisControlsPrinters)
{
    Ref<InkplateControl> ink = MakeRef<InkplateControl>();
    Ref<InkplateControl> second = MakeRef<InkplateControl>();
    ink->Typed().Printers().SetSource(&source);
    second->Typed().Printers().SetSource(&source);
    ObjectRef o(ink.Get());
    ObjectRef printers(o.Get("TvPrinters"));
    EXPECT_EQ(printers.Get("Count").ToLong(), 2);
    ObjectRef beta(printers.Get("Item", {Variant("BETA")}));
    EXPECT_EQ(beta.Get("PrinterName").Str(), "Beta");
    EXPECT_EQ(ObjectRef(printers.Get("Item", {Variant(int32_t(1))})).Get(), beta.Get()) << "one wrapper per printer";
    for (const Variant& bad : {Variant("Gamma"), Variant(int32_t(2)), Variant("2")}) {
        try {
            printers.Get("Item", {bad});
            ADD_FAILURE() << "found";
        } catch (const AutomationError& e) {
            EXPECT_EQ(uint32_t(e.Scode()), uint32_t(kBadIndex));
            EXPECT_EQ(e.HelpContext(), 20027);
        }
    }

    o.Put("Printer", Variant(static_cast<Dispatch*>(beta.Get())));
    EXPECT_EQ(ObjectRef(o.Get("Printer")).Get("PrinterName").Str(), "Beta");
    ObjectRef printer(o.Get("Printer"));
    printer.Put("Orientation", Variant(int32_t(2)));
    printer.Put("PaperSize", Variant(int32_t(9)));
    printer.Put("PrintScale", Variant(int16_t(100)));
    EXPECT_EQ(printer.Get("Orientation").ToLong(), 2);
    EXPECT_EQ(printer.Get("PrintScale").Vt(), VT_I2);
    EXPECT_EQ(printer.Get("PaperName").Str(), "A4");
    EXPECT_EQ(printer.Get("DeviceName").Str(), "Fake Driver");
    EXPECT_EQ(Pending(*ink->Typed().CurrentPrinter()).size(), 6u);

    ObjectRef foreign(ObjectRef(ObjectRef(second.Get()).Get("TvPrinters")).Get("Item", {Variant("Beta")}));
    WriteSample("sample.tvf");
    ink->Typed().SetFormPath(dir.path().string());
    ObjectRef form(o.Call("OpenForm", {Variant("sample.tvf")}));
    for (const Variant& bad : {Variant(static_cast<Dispatch*>(foreign.Get())), Variant(static_cast<Dispatch*>(form.Get())),
                               Variant(static_cast<Dispatch*>(nullptr))}) {
        try {
            o.Put("Printer", bad);
            ADD_FAILURE() << "taken";
        } catch (const AutomationError& e) {
            EXPECT_EQ(uint32_t(e.Scode()), uint32_t(kBadValue));
            EXPECT_EQ(e.HelpContext(), 20006);
        }
    }
    EXPECT_EQ(ObjectRef(o.Get("Printer")).Get("PrinterName").Str(), "Beta");
    EXPECT_EQ(printer.Call("SetFormSize", {Variant(static_cast<Dispatch*>(form.Get()))}).ToLong(), 0);
    try {
        printer.Call("SetFormSize", {Variant(static_cast<Dispatch*>(foreign.Get()))});
        ADD_FAILURE() << "a printer is no form";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.HelpContext(), 20006);
    }

    // The enumerator sees the pruned list; a printer outliving its control is detached.
    Variant e = printers.Get("_NewEnum");
    EXPECT_NE(e.AsUnknown(), nullptr);
    o = ObjectRef();
    form = ObjectRef();
    printer = ObjectRef();
    ink = Ref<InkplateControl>();
    try {
        beta.Get("Copies");
        ADD_FAILURE() << "detached printer answered";
    } catch (const AutomationError& err) {
        EXPECT_EQ(err.HelpContext(), kTextDetached);
    }
    second->Typed().Printers().SetSource(nullptr);
}

// The machine's own printers (CI machines have none): every one kept is
// readable, and without any the virtual PDF printer stands in.
TEST(SystemPrinters, CupsPrintersOrTheVirtualPdfPrinter)
{
    static int argc = 1;
    static char name[] = "controltest";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    ScopedEnv a("LPDEST", nullptr), b("PRINTER", nullptr);
    CInkplateCtrl ctrl;
    const auto listed = ctrl.Printers().List();
    for (const auto& p : listed) {
        EXPECT_EQ(p->LoadState(), 1) << p->GetPrinterName();
        EXPECT_NE(p->Settings().m_nFields & (DM_ORIENTATION | DM_PAPERSIZE), 0u);
        EXPECT_EQ(p->Settings().m_nFields & DM_TTOPTION, 0u);
    }
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0]->GetPrinterName(), "PDF");
        EXPECT_EQ(ctrl.CurrentPrinter(), listed[0].get());
    }
}
