// The purchases journal's print protocol, late-bound as the journal calls
// it: every member by the dispatch id its name resolves to, into a report
// document, onto a "pdf:" printer, and out through the exit path.
#include "OutputFixture.h"
#include "support/WriteFaults.h"

#include "engine/core/EngineLog.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvText.h"
#include "engine/render/TvReportDoc.h"
#include "platform/automation/Automation.h"
#include "platform/automation/ProgIdRegistry.h"
#include "support/PagelookRun.h"
#include "support/PrintedPdf.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

using namespace nv;
using namespace nvtest;
namespace fs = std::filesystem;

namespace {

// A database field: its value is its default member.
const MemberInfo kFieldMembers[] = {{0, "Value", DISPATCH_PROPERTYGET, VT_VARIANT}};
const InterfaceInfo kFieldInterface{"Field", nullptr, nullptr, kFieldMembers};

class Field : public DispatchObject<Field> {
public:
    explicit Field(Variant v) : DispatchObject(kFieldInterface), value_(std::move(v)) {}
    static void BindMembers(Binder& b)
    {
        b.Get("Value", [](Field& f, Args) { return f.value_; });
    }

private:
    Variant value_;
};

// The members the journal calls and the ids it calls them by.
struct Member {
    const char* iface;
    const char* name;
    int32_t id;
};
const Member kJournalMembers[] = {
    {"ITaveloDraw", "Initialize", 23},    {"ITaveloDraw", "Printer", 12},       {"ITaveloDraw", "TvPrinters", 13},
    {"ITaveloDraw", "OpenForm", 14},      {"ITaveloDraw", "StartDocument", 15}, {"ITaveloDraw", "EndDocument", 16},
    {"ITaveloDraw", "AbortDocument", 17}, {"ITaveloDraw", "StartPrinter", 19},  {"ITaveloDraw", "EndPrinter", 20},
    {"ITaveloDraw", "AbortPrinter", 22},  {"ITvPrinters", "Count", 1},          {"ITvPrinter", "Orientation", 3},
    {"ITvPrinter", "PaperSize", 4},       {"ITvPrinter", "PrintScale", 7},      {"ITvForm", "TvLayers", 1},
    {"ITvLayers", "Item", 0},             {"ITvForm", "TvObjects", 8},          {"ITvObjects", "Item", 0},
    {"ITvForm", "PrintOut", 22},          {"ITvForm", "ClearAllFields", 23},    {"ITvForm", "Close", 24},
    {"ITvLayer", "VisibleAtPrint", 2},    {"ITvObject", "Text", 2},
};

const char* const kLayers[] = {"フレイム", "フレイム２", "明細", "見出し"};

// The value a row's object gets on a page, as the journal passes it, and
// the text the control makes of it.
struct RowValue {
    Variant value;
    std::string text;
};
RowValue ValueFor(size_t prefix, int row, int page)
{
    const int n = page * 100 + row;
    switch (prefix) {
    case 0: return {Variant(int16_t(row % 12 + 1)), std::to_string(row % 12 + 1)};
    case 1: return {Variant(int32_t(n % 28 + 1)), std::to_string(n % 28 + 1)};
    case 3: return {Variant(float(n) + 0.5f), std::to_string(n) + ".5"};
    case 4: return {Variant(static_cast<Dispatch*>(MakeRef<Field>(Variant(int32_t(n * 10))).Get())), std::to_string(n * 10)};
    case 5: return {Variant(int32_t(n * 1000)), std::to_string(n * 1000)};
    default: {
        const std::string s = "品" + std::to_string(prefix) + "-" + std::to_string(n);
        return {Variant(s), s};
    }
    }
}
// Rows each page writes: all on page 1, the first ten on page 2, one on
// page 3; the others carry over.
int RowsOn(int page) { return page == 1 ? 31 : page == 2 ? 10 : 1; }
int PageThatWrote(int row, int page)
{
    while (page > 1 && row > RowsOn(page)) --page;
    return page;
}

class JournalPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
        // Paper forms a user size registers stay in the test's folder.
        if (const char* x = std::getenv("XDG_CONFIG_HOME")) configHome = x;
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        fs::create_directory(dir.path() / "PRINT");
        WriteJournalForm((dir.path() / "PRINT" / "仕入れ.tvf").string());
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("PRINTER");
        if (configHome) setenv("XDG_CONFIG_HOME", configHome->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
    }

    ObjectRef NewControl()
    {
        ObjectRef ink(CreateObject("Tavelo.Inkplate"));
        ink.Put("FormPath", Variant(dir.path().string()));
        ink.Put("DocumentPath", Variant(dir.path().string()));
        return ink;
    }
    int32_t Id(const ObjectRef& o, const char* name)
    {
        const int32_t id = IdOfName(o.Get(), name);
        for (const Member& m : kJournalMembers) {
            if (std::string(m.name) == name && std::string(o.Get()->TypeInfo()->name) == m.iface) {
                EXPECT_EQ(id, m.id) << m.iface << "." << name;
                ++checked[std::string(m.iface) + "." + name];
            }
        }
        return id;
    }

    struct Run {
        int32_t initialize = -99, start = -99, end = -99;
        std::vector<int32_t> pages;
        bool exitPath = false;
    };
    // mode 1: print job, 2: report document. A missing object on page
    // `failPage` raises, as the journal's runtime would.
    Run PrintLedger(const ObjectRef& ink, int mode, int failPage = 0)
    {
        Run run;
        bool open = false;
        ObjectRef form;
        try {
            run.initialize = ink.Call(Id(ink, "Initialize")).ToLong();
            if (run.initialize != 0) throw std::runtime_error("Initialize");
            ObjectRef printer(ink.Get(Id(ink, "Printer")));
            printer.Put(Id(printer, "Orientation"), Variant(int32_t(1)));
            printer.Put(Id(printer, "PaperSize"), Variant(int32_t(9)));
            printer.Put(Id(printer, "PrintScale"), Variant(int16_t(100)));
            if (mode == 1) {
                ObjectRef printers(ink.Get(Id(ink, "TvPrinters")));
                EXPECT_GT(printers.Get(Id(printers, "Count")).ToLong(), 0);
                run.start = ink.Call(Id(ink, "StartPrinter"), {Variant(""), Variant("Tavelo Document")}).ToLong();
            } else {
                run.start = ink.Call(Id(ink, "StartDocument"), {Variant("PRINT\\仕入元帳.tvd"), Variant("Tavelo Document")})
                                .ToLong();
            }
            if (run.start != 0) throw std::runtime_error("Start");
            open = true;
            form = ObjectRef(ink.Call(Id(ink, "OpenForm"), {Variant("PRINT\\仕入れ.tvf")}));
            ObjectRef layers(form.Get(Id(form, "TvLayers")));
            for (const char* name : kLayers) {
                ObjectRef layer(layers.Get(Id(layers, "Item"), {Variant(name)}));
                layer.Put(Id(layer, "VisibleAtPrint"), Variant(true));
            }
            form.Call(Id(form, "ClearAllFields"));
            ObjectRef objects(form.Get(Id(form, "TvObjects")));
            auto text = [&](const std::string& name, const Variant& v) {
                ObjectRef obj(objects.Get(Id(objects, "Item"), {Variant(name)}));
                obj.Put(Id(obj, "Text"), v);
            };
            for (int page = 1; page <= 3; ++page) {
                if (page == 1) text("印刷名", Variant("仕入先 一"));
                text("ＮＯ", Variant(int32_t(4711)));
                text("ページ", Variant(int16_t(page)));
                for (int row = 1; row <= RowsOn(page); ++row)
                    for (size_t p = 0; p < RowPrefixes().size(); ++p)
                        text(RowPrefixes()[p] + std::to_string(row), ValueFor(p, row, page).value);
                if (page == failPage) text("無い", Variant(""));
                run.pages.push_back(form.Call(Id(form, "PrintOut")).ToLong());
                if (run.pages.back() != 0) throw std::runtime_error("PrintOut");
            }
            form.Call(Id(form, "Close"));
            run.end = ink.Call(Id(ink, mode == 1 ? "EndPrinter" : "EndDocument")).ToLong();
            if (run.end != 0) throw std::runtime_error("End");
            return run;
        } catch (const std::exception&) {
            // The journal's exit path: errors are ignored from here.
            run.exitPath = true;
            try {
                if (open) ink.Call(IdOfName(ink.Get(), mode == 1 ? "AbortPrinter" : "AbortDocument"));
            } catch (const std::exception&) {
            }
            try {
                if (form) form.Call(IdOfName(form.Get(), "Close"));
            } catch (const std::exception&) {
            }
            return run;
        }
    }

    TempDir dir, config;
    std::optional<std::string> configHome;
    std::map<std::string, int> checked;
};

TEST_F(JournalPrintTest, TheLedgerIntoAReportDocument)
{
    ObjectRef ink = NewControl();
    const Run run = PrintLedger(ink, 2);
    ASSERT_FALSE(run.exitPath);
    EXPECT_EQ(run.pages, (std::vector<int32_t>{0, 0, 0}));
    // Every member of the table was resolved and checked but the print
    // job's five and the two aborts.
    EXPECT_EQ(checked.size(), std::size(kJournalMembers) - 6);
    EXPECT_EQ(ink.Get("Page").ToLong(), 4);
    EXPECT_EQ(ink.Get("Output").ToLong(), 0);

    TvReportDoc doc;
    doc.Open((dir.path() / "PRINT" / "仕入元帳.tvd").string());
    ASSERT_EQ(doc.PageCount(), 3);
    EXPECT_EQ(doc.Store().FormIndex().m_nCount, 1u);
    EXPECT_EQ(doc.Store().Header().m_strName, "Tavelo Document");
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        TvPageData& data = doc.GetPageData(page);
        std::map<std::string, std::string> texts;
        data.m_pForm->ForEachObject([&](const TvObject& o) {
            if (auto* t = dynamic_cast<const TvText*>(&o)) texts[o.m_strName] = t->m_strText;
        });
        EXPECT_EQ(texts[Sjis("印刷名")], Sjis("仕入先 一"));
        EXPECT_EQ(texts[Sjis("ＮＯ")], "4711");
        EXPECT_EQ(texts[Sjis("ページ")], std::to_string(page));
        for (int row = 1; row <= 31; ++row)
            for (size_t p = 0; p < RowPrefixes().size(); ++p)
                EXPECT_EQ(texts[RowPrefixes()[p] + std::to_string(row)],
                          Sjis(ValueFor(p, row, PageThatWrote(row, page)).text))
                    << RowPrefixes()[p] << row;
        EXPECT_EQ(data.m_layerEntries.size(), 4u);
        for (const auto& layer : data.m_pForm->m_layers) EXPECT_EQ(layer->m_bVisibleAtPrint, 1);
        TvEntryMap settings;
        doc.Store().ReadPageSettings(settings, page);
        for (uint16_t id : {1500, 1501, 1504}) EXPECT_NE(settings.Lookup(TvEntryKey{0, id}), nullptr) << id;
        const TvPrinterSettings* s = doc.GetPageSettings(page);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_nOrientation, 1);
        EXPECT_EQ(s->m_nPaperSize, 9);
        EXPECT_EQ(s->m_nScale, 100);
    }
}

TEST_F(JournalPrintTest, TheLedgerOnAPdfPrinter)
{
    const std::string pdf = (dir.path() / "ledger.pdf").string();
    // What a print killed before left in the folder, and a PDF of the user's
    // in a name of the same shape as spools had once.
    WriteFileBytes((dir.path() / ".ledger.pdf.nivalo-spool-4242-Ab12Cd").string(), "%PDF-1.4 partial");
    WriteFileBytes((dir.path() / ".決算書.pdf.backup").string(), "%PDF-1.4 the user's");
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    ObjectRef ink = NewControl();
    const Run run = PrintLedger(ink, 1);
    ASSERT_FALSE(run.exitPath);
    EXPECT_EQ(checked.size(), std::size(kJournalMembers) - 4); // not the document's three, nor the abort
    EXPECT_EQ(run.start, 0);
    EXPECT_EQ(run.end, 0);
    EXPECT_EQ(PdfPageSizes(pdf), (std::vector<std::pair<int, int>>{{595, 842}, {595, 842}, {595, 842}}));
    // What each page reads: the heading, then its rows left to right.
    const auto texts = nvtest::PdfPageTexts(pdf);
    ASSERT_EQ(texts.size(), 3u);
    for (int page = 1; page <= 3; ++page) {
        std::vector<std::string> words = {"4711", std::to_string(page)};
        if (page == 1) words.insert(words.begin(), "仕入先 一");
        for (int row = 1; row <= RowsOn(page); ++row)
            for (size_t p : {2, 3, 5}) words.push_back(ValueFor(p, row, page).text);
        EXPECT_EQ(nvtest::FirstOutOfOrder(texts[page - 1], words), "") << "page " << page << ":\n" << texts[page - 1];
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 3u); // PRINT, the PDF and the user's: no spool file stays, nor the killed print's
    EXPECT_EQ(ReadFileBytes((dir.path() / ".決算書.pdf.backup").string()), "%PDF-1.4 the user's");
}

TEST_F(JournalPrintTest, AShortWriteIsNoPrintAndKeepsTheOlderPdf)
{
    const std::string pdf = (dir.path() / "ledger.pdf").string();
    WriteFileBytes(pdf, "older PDF");
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    ObjectRef ink = NewControl();
    Run run;
    {
        FileSizeLimit limit(1024);
        run = PrintLedger(ink, 1);
    }
    EXPECT_EQ(run.start, 0);
    EXPECT_NE(run.end, 0);
    EXPECT_EQ(ReadFileBytes(pdf), "older PDF");
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 2u); // PRINT and the older PDF
}

// Output that cannot be written whole fails with the control's code, and the
// log says which file and why.
TEST_F(JournalPrintTest, AFailedOutputLeavesItsFileAndCauseInTheLog)
{
    const std::string pdf = (dir.path() / "ledger.pdf").string();
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    struct Row {
        int mode;
        bool pageFails; // else the job's end
        std::string file;
        std::string what;
        std::string cause;
    } const rows[] = {
        {2, true, (dir.path() / "PRINT" / "仕入元帳.tvd").string(), "を書き込めません: ", "ディスクがいっぱい"},
        {1, false, pdf, "印刷を終了できません: ", "ファイルが大きすぎます"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        ObjectRef ink = NewControl();
        Run run;
        {
            FileSizeLimit limit(1024);
            run = PrintLedger(ink, r.mode);
        }
        EXPECT_EQ(run.start, 0);
        ASSERT_FALSE(run.pages.empty());
        EXPECT_EQ(run.pages.back() != 0, r.pageFails);
        if (!r.pageFails) {
            EXPECT_NE(run.end, 0);
        }
        std::string said;
        for (const std::string& line : RecentLogLines())
            if (line.find(r.what) != std::string::npos) said = line;
        const size_t cause = said.find(r.what);
        ASSERT_NE(cause, std::string::npos);
        EXPECT_NE(said.find(r.file), std::string::npos) << said;
        EXPECT_NE(said.find(r.cause, cause), std::string::npos) << said;
    }
}

TEST_F(JournalPrintTest, AMissingObjectTakesTheExitPath)
{
    const std::string pdf = (dir.path() / "ledger.pdf").string();
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    for (int mode : {2, 1}) {
        SCOPED_TRACE(mode);
        ObjectRef ink = NewControl();
        const Run run = PrintLedger(ink, mode, 2);
        EXPECT_TRUE(run.exitPath);
        EXPECT_EQ(run.pages, (std::vector<int32_t>{0}));
        EXPECT_FALSE(fs::exists(dir.path() / "PRINT" / "仕入元帳.tvd"));
        EXPECT_FALSE(fs::exists(pdf));
        EXPECT_EQ(ink.Get("Output").ToLong(), mode == 1 ? 1 : 2);
        EXPECT_EQ(ObjectRef(ink.Get("TvForms")).Get("Count").ToLong(), 0);
        EXPECT_EQ(ink.Call("Initialize").ToLong(), 0);
        EXPECT_EQ(ink.Get("Output").ToLong(), 0);
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(JournalPrintTest, AStoredDocumentPrintsAgainWithItsPagesPapers)
{
    ObjectRef ink = NewControl();
    ASSERT_EQ(ink.Call("Initialize").ToLong(), 0);
    ObjectRef printer(ink.Get("Printer"));
    ObjectRef form(ink.Call("OpenForm", {Variant("PRINT\\仕入れ.tvf")}));
    ASSERT_EQ(ink.Call("StartDocument", {Variant("again.tvd"), Variant("Again")}).ToLong(), 0);
    for (int page = 1; page <= 3; ++page) {
        printer.Put("Orientation", Variant(int32_t(page == 2 ? 2 : 1)));
        ASSERT_EQ(form.Call("PrintOut").ToLong(), 0);
    }
    ASSERT_EQ(ink.Call("EndDocument").ToLong(), 0);

    const std::string pdf = (dir.path() / "again.pdf").string();
    ObjectRef printers(ink.Get("TvPrinters"));
    ink.Put("Printer", printers.Get("Item", {Variant("pdf:" + pdf)}));
    EXPECT_EQ(ink.Call("PrintDocument", {Variant("again.tvd")}).ToLong(), 0);
    EXPECT_EQ(PdfPageSizes(pdf), (std::vector<std::pair<int, int>>{{595, 842}, {842, 595}, {595, 842}}));
    EXPECT_EQ(ink.Call("PrintDocument", {Variant("missing.tvd")}).ToLong(), -3);

    // "pdf:" into a folder that is not there cannot start.
    ink.Put("Printer", printers.Get("Item", {Variant("pdf:" + (dir.path() / "gone" / "x.pdf").string())}));
    EXPECT_EQ(ink.Call("StartPrinter", {Variant(""), Variant("X")}).ToLong(), -12);
    EXPECT_EQ(ink.Call("PrintDocument", {Variant("again.tvd")}).ToLong(), -12);
    EXPECT_FALSE(fs::exists(dir.path() / "gone"));
}

// Each page on the paper the host set for it, whatever paper came before:
// read back from the document, printed by the viewer and by the control.
TEST_F(JournalPrintTest, EachPageOnThePaperTheHostSetForIt)
{
    struct Page {
        int32_t paperSize;
        int32_t width, length; // 1/100 mm, for a user size
        std::pair<int, int> points;
    };
    const Page pages[] = {
        {DMPAPER_B5, 0, 0, {516, 729}},
        {DMPAPER_USER, 10000, 15000, {283, 425}},
        {DMPAPER_A4, 0, 0, {595, 842}},
        {DMPAPER_USER, 12000, 9000, {340, 255}},
    };
    ObjectRef ink = NewControl();
    ASSERT_EQ(ink.Call("Initialize").ToLong(), 0);
    ObjectRef printer(ink.Get("Printer"));
    ObjectRef form(ink.Call("OpenForm", {Variant("PRINT\\仕入れ.tvf")}));
    ASSERT_EQ(ink.Call("StartDocument", {Variant("papers.tvd"), Variant("Papers")}).ToLong(), 0);
    std::vector<std::pair<int, int>> expected;
    for (const Page& p : pages) {
        printer.Put("PaperSize", Variant(p.paperSize));
        if (p.paperSize == DMPAPER_USER) {
            printer.Put("PaperWidth", Variant(p.width));
            printer.Put("PaperLength", Variant(p.length));
        }
        ASSERT_EQ(form.Call("PrintOut").ToLong(), 0);
        expected.push_back(p.points);
    }
    ASSERT_EQ(ink.Call("EndDocument").ToLong(), 0);

    TvReportDoc doc;
    doc.Open((dir.path() / "papers.tvd").string());
    for (int n = 1; n <= int(std::size(pages)); ++n) {
        const TvPrinterSettings* s = doc.GetPageSettings(n);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_nPaperSize, pages[n - 1].paperSize) << n;
        // A user size carries no name of an earlier page's paper.
        if (pages[n - 1].paperSize == DMPAPER_USER) {
            EXPECT_EQ(s->m_strFormName, "") << n;
        }
    }

    const QString home = QString::fromStdString(dir.path().string());
    const auto run = nvtest::RunPagelook({"/p", "papers.tvd"}, home, {}, {{"CUPS_SERVER", home + "/no-cups.sock"}});
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(PdfPageSizes((dir.path() / "papers.pdf").string()), expected) << "the viewer";

    const std::string pdf = (dir.path() / "again.pdf").string();
    ink.Put("Printer", ObjectRef(ink.Get("TvPrinters")).Get("Item", {Variant("pdf:" + pdf)}));
    EXPECT_EQ(ink.Call("PrintDocument", {Variant("papers.tvd")}).ToLong(), 0);
    EXPECT_EQ(PdfPageSizes(pdf), expected) << "the control";
}

TEST_F(JournalPrintTest, HostileCallsGiveTheirCodes)
{
    ObjectRef ink = NewControl();
    ASSERT_EQ(ink.Call("Initialize").ToLong(), 0);
    ObjectRef form(ink.Call("OpenForm", {Variant("PRINT\\仕入れ.tvf")}));
    EXPECT_EQ(form.Call("PrintOut").ToLong(), -19);
    EXPECT_EQ(ink.Call("StartDocument", {Variant("no\\such\\x.tvd"), Variant("X")}).ToLong(), -16);
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
    try {
        ink.Call("SetOutputDC", {Variant(int32_t(0))});
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(uint32_t(e.Scode()), 0x800A0005u);
        EXPECT_EQ(e.HelpContext(), 20005);
    }
    EXPECT_EQ(ink.Get("hDC").ToLong(), 0);
}

} // namespace
