// The output jobs on the typed control: result codes and the order their
// conditions are tested in, documents as written, print jobs and a host's
// device context, each failing half way.
#include "FakePrinterSource.h"
#include "OutputFixture.h"

#include "control/CXPrinters.h"

#include "control/ControlErrors.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvText.h"
#include "engine/render/TvReportDoc.h"
#include "platform/automation/HandleTable.h"
#include "platform/core/Cp932.h"


#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

using namespace nv;
using namespace nvtest;
namespace fs = std::filesystem;

namespace {

class OutputTest : public ControlTest {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ControlTest::SetUp();
        ctrl->SetDocumentPath(dir.path().string());
        ctrl->SetOutputJobFactory(FakeJobs(script));
        ctrl->Printers().SetSource(&source);
    }
    void TearDown() override { ctrl->Printers().SetSource(nullptr); }
    void SetPrinter(int32_t member, int32_t value) { ctrl->CurrentPrinter()->SetNumber(member, value); }
    std::shared_ptr<CXForm> Journal()
    {
        WriteJournalForm(dir.file("journal.tvf"));
        auto form = ctrl->OpenForm("journal.tvf");
        for (auto& l : form->TvLayers()) l->SetVisibleAtPrint(true);
        return form;
    }
    void SetText(CXForm& form, const std::string& name, const std::string& text)
    {
        Object(form, name)->SetString(2, text);
    }
public:
    FakeJobScript script;
    FakePrinterSource source{{"Office", "Back room"}, "Office"};
};

// No file can be opened while it lives: the descriptors are used up.
struct NoMoreFiles {
    NoMoreFiles()
    {
        ::getrlimit(RLIMIT_NOFILE, &old);
        // A new descriptor takes the lowest free number: allow none from it.
        const int lowest = ::dup(0);
        ::close(lowest);
        rlimit now = old;
        now.rlim_cur = rlim_t(lowest);
        ::setrlimit(RLIMIT_NOFILE, &now);
    }
    ~NoMoreFiles() { ::setrlimit(RLIMIT_NOFILE, &old); }
    rlimit old{};
};

// ---- result codes, each method's conditions in their order ----------------------

struct CodeCase {
    const char* what;
    std::function<void(OutputTest&, CInkplateCtrl&)> before;
    std::function<int32_t(CInkplateCtrl&)> call;
    int32_t expected;
};

TEST_F(OutputTest, EachMethodTestsItsConditionsInOrder)
{
    auto none = [](OutputTest&, CInkplateCtrl&) {};
    auto docOpen = [](OutputTest&, CInkplateCtrl& c) { ASSERT_EQ(c.StartDocument("a.tvd", "A"), 0); };
    auto jobOpen = [](OutputTest&, CInkplateCtrl& c) { ASSERT_EQ(c.StartPrinter("", "A"), 0); };
    auto noPrinters = [](OutputTest& t, CInkplateCtrl& c) {
        t.source.listFails = true;
        c.Printers().SetSource(&t.source);
    };
    const CodeCase cases[] = {
        {"StartDocument, no printer", noPrinters, [](auto& c) { return c.StartDocument("a.tvd", "A"); }, -9},
        {"StartDocument, document open", docOpen, [](auto& c) { return c.StartDocument("b.tvd", "B"); }, -2},
        {"StartDocument, job open", jobOpen, [](auto& c) { return c.StartDocument("b.tvd", "B"); }, -7},
        {"StartDocument, missing folder", none, [](auto& c) { return c.StartDocument("no/such/a.tvd", "A"); }, -16},
        {"EndDocument, none open", none, [](auto& c) { return c.EndDocument(); }, -1},
        {"AbortDocument, none open", jobOpen, [](auto& c) { return c.AbortDocument(); }, -1},
        {"StartPrinter, job open", jobOpen, [](auto& c) { return c.StartPrinter("", "B"); }, -7},
        {"StartPrinter, document open", docOpen, [](auto& c) { return c.StartPrinter("", "B"); }, -2},
        {"StartPrinter, no printer", noPrinters, [](auto& c) { return c.StartPrinter("", "B"); }, -9},
        {"StartPrinter, unknown name", none, [](auto& c) { return c.StartPrinter("Attic", "B"); }, -10},
        {"StartPrinter, no device", [](OutputTest& t, CInkplateCtrl&) { t.script.failCreate = true; },
         [](auto& c) { return c.StartPrinter("", "B"); }, -11},
        {"StartPrinter, refused", [](OutputTest& t, CInkplateCtrl&) { t.script.failStart = true; },
         [](auto& c) { return c.StartPrinter("", "B"); }, -12},
        {"EndPrinter, no job", docOpen, [](auto& c) { return c.EndPrinter(); }, -6},
        {"AbortPrinter, no job", none, [](auto& c) { return c.AbortPrinter(); }, -6},
        {"EndPrinter, job end refused", [](OutputTest& t, CInkplateCtrl& c) {
             t.script.failEnd = true;
             ASSERT_EQ(c.StartPrinter("", "A"), 0);
         }, [](auto& c) { return c.EndPrinter(); }, -15},
        {"SetOutputDC, document open", docOpen, [](auto& c) { return c.SetOutputDC(4); }, -2},
        {"SetOutputDC, job open", jobOpen, [](auto& c) { return c.SetOutputDC(4); }, -7},
        {"PrintDocument, job open", jobOpen, [](auto& c) { return c.PrintDocument("x.tvd"); }, -7},
        {"PrintDocument, document open", docOpen, [](auto& c) { return c.PrintDocument("x.tvd"); }, -2},
        {"PrintDocument, no printer", noPrinters, [](auto& c) { return c.PrintDocument("x.tvd"); }, -9},
        {"PrintDocument, missing file", none, [](auto& c) { return c.PrintDocument("x.tvd"); }, -3},
        {"Initialize, job open", jobOpen, [](auto& c) { return c.Initialize(); }, -7},
        {"Initialize, document open", docOpen, [](auto& c) { return c.Initialize(); }, -2},
        {"Initialize, no printer", noPrinters, [](auto& c) { return c.Initialize(); }, -9},
        {"Initialize, nothing open", none, [](auto& c) { return c.Initialize(); }, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ctrl->Initialize();
        script = FakeJobScript{};
        source = FakePrinterSource({"Office", "Back room"}, "Office");
        ctrl->Printers().SetSource(&source);
        k.before(*this, *ctrl);
        EXPECT_EQ(k.call(*ctrl), k.expected);
    }
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

TEST_F(OutputTest, InitializeWithADocumentOpenLeavesNothingOpen)
{
    auto form = Journal();
    ASSERT_EQ(ctrl->StartDocument("a.tvd", "A"), 0);
    EXPECT_EQ(form->Ctrl().PrintOut(*form), 0);
    EXPECT_EQ(ctrl->Initialize(), -2);
    EXPECT_FALSE(ctrl->IsDocumentOpen());
    EXPECT_FALSE(ctrl->IsPrintJobOpen());
    EXPECT_EQ(ctrl->GetOutput(), 0);
    EXPECT_EQ(ctrl->GetPage(), 0);
    EXPECT_TRUE(ctrl->GetDocumentFileName().empty());
    EXPECT_TRUE(ctrl->Forms().empty());
    EXPECT_FALSE(fs::exists(dir.path() / "a.tvd"));
    EXPECT_EQ(ctrl->Initialize(), 0);
}

TEST_F(OutputTest, PageResultsOnEachOutput)
{
    auto form = Journal();
    EXPECT_EQ(ctrl->PrintOut(*form), -19);

    // A page the device refuses to start, then to end.
    script.failStartPage = 1;
    script.failEndPage = 2;
    ASSERT_EQ(ctrl->StartPrinter("", "Job"), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), -13);
    EXPECT_EQ(ctrl->PrintOut(*form), -14);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->GetPage(), 2);
    EXPECT_EQ(ctrl->AbortPrinter(), 0);
    // The old Output stays, the job does not: nothing is touched.
    EXPECT_EQ(ctrl->GetOutput(), 1);
    const auto calls = script.calls;
    EXPECT_EQ(ctrl->PrintOut(*form), -13);
    EXPECT_EQ(script.calls, calls);
    EXPECT_EQ(ctrl->EndPrinter(), -6);

    ASSERT_EQ(ctrl->StartDocument("a.tvd", "A"), 0);
    EXPECT_EQ(ctrl->AbortDocument(), 0);
    EXPECT_EQ(ctrl->GetOutput(), 2);
    EXPECT_EQ(ctrl->PrintOut(*form), -1);
    EXPECT_FALSE(fs::exists(dir.path() / "a.tvd"));
}

TEST_F(OutputTest, ThePrinterModeReachesTheJobBeforeEveryPageAtFullScale)
{
    auto form = Journal();
    ASSERT_EQ(ctrl->StartPrinter("Back room", "Ledger"), 0);
    SetPrinter(CXPrinter::kPrintScale, 50);
    EXPECT_EQ(script.printerName, "Back room");
    EXPECT_NE(ctrl->GetHDC(), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->EndPrinter(), 0);
    EXPECT_EQ(ctrl->GetHDC(), 0);
    // The second page's mode is the first's: the device is not reset again.
    const std::vector<std::string> expected = {"start:Ledger", "mode:1/9/100", "page", "page", "end"};
    EXPECT_EQ(script.calls, expected);
    ASSERT_EQ(script.pages.size(), 2u);
    // The drawing is what scales: the border's right edge (200 mm) lies at
    // 100 mm, 283 pixels at 72 dpi.
    const QImage& page = script.pages[0];
    int rightmost = -1;
    for (int x = 0; x < page.width(); ++x)
        if (qGray(page.pixel(x, 200)) < 128) rightmost = x;
    EXPECT_NEAR(rightmost, 283, 2);
}

// ---- documents -------------------------------------------------------------------

TEST_F(OutputTest, NumberedDocumentsAndAMissingFolder)
{
    EXPECT_EQ(ctrl->StartDocument("", "A"), 0);
    EXPECT_EQ(fs::path(ctrl->GetDocumentFileName()).filename(), "Tvdoc1.tvd");
    EXPECT_EQ(ctrl->EndDocument(), 0);
    EXPECT_EQ(ctrl->StartDocument("", "B"), 0);
    EXPECT_EQ(fs::path(ctrl->GetDocumentFileName()).filename(), "Tvdoc2.tvd");
    EXPECT_EQ(ctrl->AbortDocument(), 0);
    EXPECT_FALSE(fs::exists(dir.path() / "Tvdoc2.tvd"));

    ctrl->SetDocumentPath((dir.path() / "gone").string());
    EXPECT_EQ(ctrl->StartDocument("", "C"), -16);
    EXPECT_EQ(ctrl->StartDocument("a.tvd", "C"), -16);
    EXPECT_FALSE(fs::exists(dir.path() / "gone"));
    // An abort leaves Output as it was.
    EXPECT_EQ(ctrl->GetOutput(), 2);
}

TEST_F(OutputTest, ADocumentNameTheFileCannotHoldIsRefusedByName)
{
    try {
        ctrl->StartDocument("a.tvd", "帳簿\U0001F600");
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(uint32_t(e.Scode()), uint32_t(kErrInvalidProperty));
        EXPECT_NE(e.Description().find("DocumentName"), std::string::npos) << e.Description();
    }
    EXPECT_FALSE(ctrl->IsDocumentOpen());
    EXPECT_FALSE(fs::exists(dir.path() / "a.tvd"));
}

TEST_F(OutputTest, AFailedWriteLeavesTheOlderDocumentWhole)
{
    const fs::path docs = dir.path() / "docs";
    fs::create_directory(docs);
    WriteFileBytes(docs / "ledger.tvd", "older document");
    ctrl->SetDocumentPath(docs.string());
    auto form = Journal();
    ASSERT_EQ(ctrl->StartDocument("ledger.tvd", "Ledger"), 0);
    ASSERT_EQ(ctrl->PrintOut(*form), 0);
    // The folder goes away under the writer.
    fs::rename(docs, dir.path() / "moved");
    WriteFileBytes(docs, "not a folder");
    EXPECT_EQ(ctrl->EndDocument(), -4);
    EXPECT_EQ(ctrl->GetOutput(), 0);
    EXPECT_FALSE(ctrl->IsDocumentOpen());
    EXPECT_EQ(ReadFileBytes(dir.path() / "moved" / "ledger.tvd"), "older document");
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path() / "moved")) ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(OutputTest, AnAbortLeavesTheOlderDocumentOfTheName)
{
    WriteFileBytes(dir.file("old.tvd"), "older document");
    auto form = Journal();
    ASSERT_EQ(ctrl->StartDocument("old.tvd", "Old"), 0);
    ASSERT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->AbortDocument(), 0);
    EXPECT_EQ(ReadFileBytes(dir.file("old.tvd")), "older document");
    // A name this job took for itself goes with it.
    ASSERT_EQ(ctrl->StartDocument("new.tvd", "New"), 0);
    ASSERT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->AbortDocument(), 0);
    EXPECT_FALSE(fs::exists(dir.path() / "new.tvd"));
}

TEST_F(OutputTest, AnOleObjectWhosePictureCannotBeWrittenStillGivesItsPage)
{
    WriteFileBytes(dir.file("ole.tvf"), StoreFormFile(*JournalForm(true), {}));
    auto form = ctrl->OpenForm("ole.tvf");
    ASSERT_EQ(ctrl->StartDocument("s.tvd", "S"), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    {
        NoMoreFiles limit;
        EXPECT_EQ(ctrl->PrintOut(*form), -17);
    }
    EXPECT_EQ(ctrl->EndDocument(), 0);
    TvReportDoc doc;
    doc.Open(dir.file("s.tvd"));
    ASSERT_EQ(doc.PageCount(), 2);
    // Page 1 carries the cached picture inside a metafile; page 2 none.
    for (int p = 1; p <= 2; ++p) {
        std::string picture;
        doc.GetPageData(p).m_pForm->ForEachObject([&](const TvObject& o) {
            if (auto* ole = dynamic_cast<const TvOle*>(&o)) picture = ole->m_strPictureFile;
        });
        if (p == 2) {
            EXPECT_TRUE(picture.empty());
            continue;
        }
        ASSERT_FALSE(picture.empty());
        const std::string emf = ReadFileBytes(picture);
        ASSERT_GT(emf.size(), 3000000u);
        EXPECT_EQ(emf.substr(0, 4), std::string("\x01\x00\x00\x00", 4));
        EXPECT_EQ(emf.substr(40, 4), " EMF");
        // The DIB follows its record's fixed part unchanged.
        EXPECT_NE(emf.find(std::string(64, '\x7F')), std::string::npos);
    }
}

TEST_F(OutputTest, AFormIsStoredOncePerDocumentWithItsPageValues)
{
    auto form = Journal();
    ctrl->SetFlags(CInkplateCtrl::tvlFlagsCompress);
    SetPrinter(CXPrinter::kOrientation, 1);
    SetPrinter(CXPrinter::kPaperSize, 9);
    SetPrinter(CXPrinter::kPrintScale, 100);
    ASSERT_EQ(ctrl->StartDocument("j.tvd", "Tavelo Document"), 0);
    for (int p = 1; p <= 3; ++p) {
        SetText(*form, "ページ", std::to_string(p));
        if (p == 1) SetText(*form, "hinmei1", "繰越");
        form->DrawTvText(1000, 1000, 5000, 500, "page " + std::to_string(p));
        ASSERT_EQ(ctrl->PrintOut(*form), 0);
    }
    EXPECT_EQ(ctrl->GetPage(), 4);
    ASSERT_EQ(ctrl->EndDocument(), 0);

    TvReportDoc doc;
    doc.Open(dir.file("j.tvd"));
    ASSERT_EQ(doc.PageCount(), 3);
    EXPECT_EQ(doc.Store().FormIndex().m_nCount, 1u);
    EXPECT_EQ(doc.Store().Header().m_bPacked, 1u);
    EXPECT_EQ(doc.Store().Header().m_strName, "Tavelo Document");
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        TvPageData& page = doc.GetPageData(p);
        TvEntryMap settings;
        doc.Store().ReadPageSettings(settings, p);
        // A4 brings its length, width and name along.
        for (uint16_t id : {1500, 1501, 1502, 1503, 1504, 1512})
            EXPECT_NE(settings.Lookup(TvEntryKey{0, id}), nullptr) << id;
        EXPECT_EQ(settings.size(), 6u);
        const auto* text = [&](const std::string& name) -> const TvText* {
            const TvText* found = nullptr;
            page.m_pForm->ForEachObject([&](const TvObject& o) {
                if (o.m_strName == name) found = dynamic_cast<const TvText*>(&o);
            });
            return found;
        }(Sjis("ページ"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->m_strText, std::to_string(p));
        EXPECT_EQ(page.m_layerEntries.size(), 4u);
        ASSERT_EQ(page.m_extraObjects.size(), 1u);
    }
}

// ---- the host's device context ------------------------------------------------------

TEST_F(OutputTest, AHostContextIsReachedOnlyThroughALiveHandle)
{
    auto form = Journal();
    EXPECT_TVL_ERROR(ctrl->SetOutputDC(0), kErrInvalidValue, 20005);
    EXPECT_TVL_ERROR(ctrl->SetOutputDC(0x7FFFFFF0), kErrInvalidValue, 20005);
    auto image = std::make_unique<QtImageDc>(595, 842, 72);
    const int32_t h = AddHandle(HandleKind::DeviceContext, image.get());
    ASSERT_EQ(ctrl->SetOutputDC(h), 0);
    EXPECT_EQ(ctrl->GetOutput(), 3);
    EXPECT_EQ(ctrl->GetHDC(), h);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    // The host destroys its context.
    RemoveHandle(h);
    image.reset();
    EXPECT_EQ(ctrl->PrintOut(*form), -8);
    EXPECT_TVL_ERROR(ctrl->SetOutputDC(h), kErrInvalidValue, 20005);
}

TEST_F(OutputTest, APictureWithoutAFileFailsTheContextPageButNotThePrinterPage)
{
    auto form = OpenSample();
    auto image = std::make_unique<QtImageDc>(595, 842, 72);
    const int32_t h = AddHandle(HandleKind::DeviceContext, image.get());
    ASSERT_EQ(ctrl->SetOutputDC(h), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), -20);
    RemoveHandle(h);
    ASSERT_EQ(ctrl->StartPrinter("", "S"), 0);
    EXPECT_EQ(ctrl->PrintOut(*form), 0);
    EXPECT_EQ(ctrl->EndPrinter(), 0);
}

TEST_F(OutputTest, PicturesDrawnOnAPageKeepTheirOwnNames)
{
    // A red picture of one pixel.
    std::string bmp = "BM";
    for (uint32_t v : {58u, 0u, 54u, 40u, 1u, 1u}) bmp.append(reinterpret_cast<const char*>(&v), 4);
    bmp += std::string("\x01\x00\x18\x00", 4);
    for (uint32_t v : {0u, 4u, 2835u, 2835u, 0u, 0u}) bmp.append(reinterpret_cast<const char*>(&v), 4);
    bmp += std::string("\x00\x00\xFF\x00", 4);
    auto form = Journal();
    // Also under folders whose names the stored text cannot hold.
    for (const char* folder : {"", "é", "🍣"}) {
        SCOPED_TRACE(folder);
        const auto pictures = dir.path() / folder;
        std::filesystem::create_directories(pictures);
        WriteFileBytes(pictures / "red.bmp", bmp);
        ctrl->SetImagePath(pictures.string());
        QtImageDc image(595, 842, 72);
        const int32_t h = AddHandle(HandleKind::DeviceContext, &image);
        ASSERT_EQ(ctrl->SetOutputDC(h), 0);
        form->DrawTvImage(10000, 10000, 2000, 2000, "red.bmp");
        EXPECT_EQ(ctrl->PrintOut(*form), 0);
        RemoveHandle(h);
        // 100 mm from the corner, 283 pixels at 72 dpi.
        EXPECT_EQ(image.Finish().pixel(290, 290), qRgb(255, 0, 0));
    }
}

TEST_F(OutputTest, AContextPageAndTheStoredPageDrawTheSamePixels)
{
    auto form = Journal();
    auto fill = [&](int p) {
        SetText(*form, "印刷名", "仕入先 " + std::to_string(p));
        SetText(*form, "zandaka" + std::to_string(p), std::to_string(1000 * p));
        form->SetLine(1, 50, 0);
        form->DrawTvLine(2000, 2000 + p * 500, 15000, 2000 + p * 500);
    };
    std::vector<QImage> direct;
    for (int p = 1; p <= 3; ++p) {
        QtImageDc image(595, 842, 72);
        const int32_t h = AddHandle(HandleKind::DeviceContext, &image);
        ASSERT_EQ(ctrl->SetOutputDC(h), 0);
        fill(p);
        ASSERT_EQ(ctrl->PrintOut(*form), 0);
        RemoveHandle(h);
        direct.push_back(image.Finish().copy());
    }
    ASSERT_EQ(ctrl->StartDocument("same.tvd", "Same"), 0);
    // Labels keep their texts from page to page: the document starts from
    // the form as it was opened, as the context pages did.
    form->Close();
    form = Journal();
    for (int p = 1; p <= 3; ++p) {
        fill(p);
        ASSERT_EQ(ctrl->PrintOut(*form), 0);
    }
    ASSERT_EQ(ctrl->EndDocument(), 0);
    TvReportDoc doc;
    doc.Open(dir.file("same.tvd"));
    for (int p = 1; p <= 3; ++p) {
        QtImageDc image(595, 842, 72);
        doc.DrawPage(image, p, {0, 0}, 100);
        EXPECT_TRUE(image.Finish() == direct[size_t(p - 1)]) << "page " << p;
    }
}

// ---- printing a stored document again --------------------------------------------------

TEST_F(OutputTest, PrintingAStoredDocumentFollowsItsPages)
{
    auto form = Journal();
    ASSERT_EQ(ctrl->StartDocument("again.tvd", "Again"), 0);
    for (int p = 1; p <= 3; ++p) {
        SetPrinter(CXPrinter::kOrientation, p == 2 ? 2 : 1);
        ASSERT_EQ(ctrl->PrintOut(*form), 0);
    }
    ASSERT_EQ(ctrl->EndDocument(), 0);
    EXPECT_EQ(ctrl->PrintDocument("again.tvd"), 0);
    const std::vector<std::string> expected = {"start:Again", "mode:1/9/100", "page", "mode:2/9/100", "page",
                                               "mode:1/9/100", "page", "end"};
    EXPECT_EQ(script.calls, expected);

    // A page the printer refuses stops the job, which still ends normally
    // with the pages before it; a failing end replaces the page's code.
    struct PageFault {
        const char* what;
        int startPage, endPage;
        bool end;
        int32_t code;
        std::vector<std::string> calls;
    };
    const PageFault faults[] = {
        {"page 2 not started", 2, 0, false, -13, {"start:Again", "mode:1/9/100", "page", "mode:2/9/100", "end"}},
        {"page 2 not ended", 0, 2, false, -14,
         {"start:Again", "mode:1/9/100", "page", "mode:2/9/100", "page", "end"}},
        {"page 1 not ended, nor the job", 0, 1, true, -15, {"start:Again", "mode:1/9/100", "page", "end"}},
        {"only the job not ended", 0, 0, true, -15, expected},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        script = FakeJobScript{};
        script.failStartPage = f.startPage;
        script.failEndPage = f.endPage;
        script.failEnd = f.end;
        EXPECT_EQ(ctrl->PrintDocument("again.tvd"), f.code);
        EXPECT_EQ(script.calls, f.calls);
        EXPECT_FALSE(ctrl->IsPrintJobOpen());
    }

    // Truncated and garbage documents fail cleanly.
    const std::string bytes = ReadFileBytes(dir.path() / "again.tvd");
    // Cut before its records, in its body, or in its last record: not opened
    // (-3), or failing once printing has begun (-5, and no output).
    const std::pair<size_t, int32_t> cuts[] = {{0, -3}, {10, -3}, {bytes.size() / 2, -3}, {bytes.size() - 1, -5}};
    for (const auto& [cut, code] : cuts) {
        WriteFileBytes(dir.path() / "cut.tvd", bytes.substr(0, cut));
        script = FakeJobScript{};
        EXPECT_EQ(ctrl->PrintDocument("cut.tvd"), code) << cut;
        if (code == -5) {
            EXPECT_EQ(script.calls.back(), "abort");
        }
    }
    WriteFileBytes(dir.path() / "junk.tvd", std::string(4096, '\x5A'));
    const int32_t r = ctrl->PrintDocument("junk.tvd");
    EXPECT_TRUE(r == -3 || r == -5) << r;
    EXPECT_FALSE(ctrl->IsPrintJobOpen());
}

} // namespace
