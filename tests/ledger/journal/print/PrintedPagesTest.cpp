// The journals' reports as a person reads them, printed by the drawing
// control created by its ProgID in this program (no viewer code in it): on
// the virtual PDF printer and onto the caller's device context, each page
// looks as the same page written into a document and printed by the viewer,
// and its text holds the names and figures in reading order.
#include "ledger/journal/print/JournalPrint.h"

#include "PrintFixture.h"
#include "platform/automation/Automation.h"
#include "platform/qt/QtSurfaces.h"
#include "support/PagelookRun.h"
#include "support/PrintedPdf.h"

#include <QProcess>

#include <functional>
#include <regex>

using namespace nv;
using namespace nvtest;

namespace {

// An object seen through a host that adds to some of its members: each hook
// runs in place of the member and may call it (`forward`).
class Hooked : public RefCounted<Dispatch> {
public:
    using Forward = std::function<Variant()>;
    using Hook = std::function<Variant(const Forward& forward)>;
    Hooked(ObjectRef target, const std::map<std::string, Hook>& hooks) : target_(std::move(target))
    {
        for (const auto& [name, hook] : hooks) hooks_[IdOfName(target_.Get(), name)] = hook;
    }
    HRESULT GetIDOfName(std::string_view name, int32_t* id) override { return target_.Get()->GetIDOfName(name, id); }
    HRESULT Invoke(int32_t id, uint16_t flags, std::span<Variant> args, Variant* result, ErrorRecord* error) override
    {
        auto hook = hooks_.find(id);
        if (hook == hooks_.end()) return target_.Get()->Invoke(id, flags, args, result, error);
        try {
            Variant r = hook->second([&] { return InvokeOrThrow(target_.Get(), id, flags, args); });
            if (result) *result = std::move(r);
            return S_OK;
        } catch (...) {
            return RecordCurrentException(error);
        }
    }
    const InterfaceInfo* TypeInfo() override { return target_.Get()->TypeInfo(); }
    void* QueryInterface(std::string_view iid) override
    {
        if (iid == kIID_IDispatch) return static_cast<Dispatch*>(this);
        return RefCounted::QueryInterface(iid);
    }

private:
    ObjectRef target_;
    std::map<int32_t, Hook> hooks_;
};

// The drawing control as a host that draws on its own PDF context sees it:
// StartPrinter hands the control the context instead, each page after the
// first begins a new sheet of the context, and EndPrinter leaves the
// context to its owner.
ObjectRef OnTheContext(ObjectRef control, QtPdfDc& dc, int32_t hdc)
{
    auto pages = std::make_shared<int>(0);
    const Hooked::Hook printOut = [&dc, pages](const Hooked::Forward& forward) {
        if ((*pages)++ > 0) dc.NewPage();
        return forward();
    };
    const Hooked::Hook openForm = [printOut](const Hooked::Forward& forward) {
        return Variant(Ref<Dispatch>(new Hooked(ObjectRef(forward()), {{"PrintOut", printOut}})));
    };
    return ObjectRef(new Hooked(control, {
        {"StartPrinter", [control, hdc](const Hooked::Forward&) { return control.Call("SetOutputDC", {Variant(hdc)}); }},
        {"EndPrinter", [](const Hooked::Forward&) { return Variant(int32_t{0}); }},
        {"OpenForm", openForm},
    }));
}

// Width and height of a PDF's first page in millimetres, as it is shown
// (turned by its rotation).
std::pair<double, double> PageSizeMm(const std::string& pdf)
{
    QProcess p;
    p.start("pdfinfo", {QString::fromStdString(pdf)});
    p.waitForFinished(20000);
    const std::string info = p.readAllStandardOutput().toStdString();
    std::smatch m;
    if (!std::regex_search(info, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) return {0, 0};
    std::pair<double, double> size{std::stod(m[1]) * 25.4 / 72, std::stod(m[2]) * 25.4 / 72};
    if (std::regex_search(info, m, std::regex(R"(Page rot:\s+(\d+))")) && std::stoi(m[1]) % 180 == 90)
        std::swap(size.first, size.second);
    return size;
}

// Figures too small to read: a glyph box under 8 points high or a digit
// under 3.5 points wide.
std::string SmallFigures(const std::string& pdf)
{
    static const std::regex figure(R"(-?\d[\d,]*)");
    std::string small;
    for (const PdfWord& w : PdfWords(pdf)) {
        if (!std::regex_match(w.text, figure)) continue;
        const double high = w.yMax - w.yMin, wide = (w.xMax - w.xMin) / double(w.text.size());
        if (high < 8 || wide < 3.5)
            small += "page " + std::to_string(w.page) + " \"" + w.text + "\" " + std::to_string(high) + " pt high, " +
                     std::to_string(wide) + " pt a character\n";
    }
    return small;
}

struct Report {
    const char* name;
    const char* document; // in the PRINT folder
    double widthMm, heightMm; // the paper as it is read
    std::function<bool(const ObjectRef&, OutputMode, PrintProcedureTest&)> print;
    std::vector<std::vector<std::string>> pages; // what each page reads, in order
};

const std::vector<Report>& Reports()
{
    static const std::vector<Report> reports = {
        {"ledger", "仕入元帳.tvd", 210, 297,
         [](const ObjectRef& ink, OutputMode mode, PrintProcedureTest& t) {
             return PrintLedger(ink, mode, PurchaseWords(), t.settings, t.party, PurchaseLines(3), t.context);
         },
         {{"2005 年", "元", "帳", "1 頁", "山田", "No.", "7", "山田商店", "品   名", "仕 入 金 額", "残   高",
           "4", "1", "前期繰越金額", "100000", "4", "1", "ボルト", "1", "1000", "1000", "101000", "1", "ボルト",
           "102000", "2", "ボルト", "1", "1000", "1000", "103000", "次葉へ繰り越し", "3000", "103000"}}},
        {"portrait summary", "仕入縦.tvd", 210, 297,
         [](const ObjectRef& ink, OutputMode mode, PrintProcedureTest& t) {
             return PrintSummaryPortrait(ink, mode, PurchaseWords(), t.settings, Parties(3), t.context);
         },
         {{"2005 年度", "買 掛 金 集 計 表", "1 頁", "山田", "取引先1", "取引先2", "取引先3", "年合計",
           "前月残高", "1000", "2000", "3000", "6000", "当月仕入", "1001", "2001", "3001", "6003", "4月", "当月支払",
           "1002", "3月", "当月支払", "1035", "次月繰越", "1036", "2036", "3036", "6108"}}},
        {"landscape summary", "売上横.tvd", 297, 210,
         [](const ObjectRef& ink, OutputMode mode, PrintProcedureTest& t) {
             return PrintSummaryLandscape(ink, mode, SalesWords(), t.settings, Parties(3), t.context);
         },
         {{"2005 年度", "売 掛 金 集 計 表", "1 頁", "山田", "4月", "5月", "6月", "7月", "取   引     先",
           "前月残高", "当月売上", "当月入金", "次月繰越", "取引先1", "1000", "1001", "1012", "取引先2", "2000",
           "取引先3", "3000", "年合計", "6000", "6003", "6036"},
          {"2 頁", "8月", "11月", "取引先1", "1012", "1024", "年合計", "6036", "6072"},
          {"3 頁", "12月", "1月", "2月", "3月", "取引先1", "1024", "1036", "取引先3", "3024", "3036", "年合計",
           "6072", "6108"}}},
    };
    return reports;
}

struct PrintedPagesTest : PrintProcedureTest {
    void SetUp() override
    {
        PrintProcedureTest::SetUp();
        setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    }
    void TearDown() override
    {
        unsetenv("NIVALO_PROGIDS");
        unsetenv("PRINTER");
        PrintProcedureTest::TearDown();
    }

    ObjectRef Control(const std::string& pdf)
    {
        setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
        return ObjectRef(CreateObject(kDrawingControlProgId));
    }

    // The report written into a document and printed by the viewer program.
    std::string ThroughTheViewer(const Report& r)
    {
        EXPECT_TRUE(r.print(Control(home.file("unused.pdf")), OutputMode::Document, *this)) << r.name;
        const std::string pdf = home.file(std::string(r.name) + " viewer.pdf");
        const auto viewer = nvtest::RunPagelook(
            {"/pt", QString::fromStdString(Document(r.document)), QString::fromStdString("pdf:" + pdf)},
            QString::fromStdString(home.path().string()));
        EXPECT_TRUE(viewer.finished);
        EXPECT_EQ(viewer.exitCode, 0) << viewer.stderrText;
        return pdf;
    }

    // The printout reads as the report should, on its paper, in figures a
    // person reads, and looks as the viewer's.
    void ExpectSameAsTheViewer(const Report& r, const std::string& pdf, const std::string& viewerPdf)
    {
        for (const std::string& printed : {pdf, viewerPdf}) {
            const auto [width, height] = PageSizeMm(printed);
            EXPECT_NEAR(width, r.widthMm, 1) << r.name << " " << printed;
            EXPECT_NEAR(height, r.heightMm, 1) << r.name << " " << printed;
        }
        EXPECT_EQ(SmallFigures(pdf), "") << r.name;
        const auto texts = PdfPageTexts(pdf);
        ASSERT_EQ(texts.size(), r.pages.size()) << r.name << ":\n" << PdfText(pdf);
        for (size_t p = 0; p < texts.size(); ++p)
            EXPECT_EQ(FirstOutOfOrder(texts[p], r.pages[p]), "") << r.name << " page " << p + 1 << ":\n" << texts[p];
        const auto printed = PdfPageImages(pdf);
        const auto viewed = PdfPageImages(viewerPdf);
        ASSERT_EQ(printed.size(), viewed.size()) << r.name;
        for (size_t p = 0; p < printed.size(); ++p) {
            EXPECT_GT(InkPerMille(printed[p]), 5) << r.name << " page " << p + 1;
            EXPECT_LE(DifferingPerMille(printed[p], viewed[p]), 3) << r.name << " page " << p + 1;
        }
    }
};

} // namespace

TEST_F(PrintedPagesTest, OnThePdfPrinterAsTheViewerPrintsThem)
{
    for (const Report& r : Reports()) {
        const std::string viewerPdf = ThroughTheViewer(r);
        const std::string pdf = home.file(std::string(r.name) + ".pdf");
        ASSERT_TRUE(r.print(Control(pdf), OutputMode::Printer, *this)) << r.name;
        ExpectSameAsTheViewer(r, pdf, viewerPdf);
    }
}

TEST_F(PrintedPagesTest, OnTheCallersContextAsTheViewerPrintsThem)
{
    for (const Report& r : Reports()) {
        const std::string viewerPdf = ThroughTheViewer(r);
        const auto [widthMm, heightMm] = PageSizeMm(viewerPdf);
        const std::string pdf = home.file(std::string(r.name) + " context.pdf");
        {
            QtPdfDc dc(pdf, widthMm, heightMm, 600);
            const int32_t h = AddHandle(HandleKind::DeviceContext, static_cast<DeviceContext*>(&dc));
            const ObjectRef host = OnTheContext(Control(home.file("unused.pdf")), dc, h);
            EXPECT_TRUE(r.print(host, OutputMode::Printer, *this)) << r.name << script->Messages().join("|").toStdString();
            RemoveHandle(h);
            ASSERT_TRUE(dc.Finish());
        }
        ExpectSameAsTheViewer(r, pdf, viewerPdf);
    }
}
