// The print procedures against a recording control: the call protocol, the
// pages sent, the files named, and every failure path.
#include "ledger/journal/print/JournalPrint.h"

#include "FakeInkplate.h"
#include "PrintFixture.h"
#include "ledger/common/DrawErrMsg.h"
#include "ledger/journal/JournalTestDb.h"
#include "support/TempDir.h"

#include <QCursor>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace nv;
using namespace nvtest;

namespace {

struct PrintTest : PrintProcedureTest {
    FakeInkplate ink;

    bool Ledger(OutputMode mode, const std::vector<JournalLine>& lines, JournalSide side = JournalSide::Purchases)
    {
        return PrintLedger(ink.Control(), mode, WordsOf(side), settings, party, lines, context);
    }
};

} // namespace

TEST_F(PrintTest, LedgerIntoADocumentFollowsTheProtocol)
{
    ASSERT_TRUE(Ledger(OutputMode::Document, PurchaseLines(61)));
    const std::string doc = Document("仕入元帳.tvd");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "PRINT"));
    const std::vector<std::string> expected = {
        "Initialize", "Printer.Orientation=1", "Printer.PaperSize=9", "Printer.PrintScale=100",
        "StartDocument(" + doc + ",Tavelo Document)", "OpenForm(" + ReportFormFile(JournalReport::Ledger) + ")",
        "Layer(フレイム).VisibleAtPrint=True", "Layer(フレイム２).VisibleAtPrint=True",
        "Layer(明細).VisibleAtPrint=True", "Layer(見出し).VisibleAtPrint=True", "ClearAllFields",
        "PrintOut", "PrintOut", "PrintOut", "Close", "EndDocument",
    };
    EXPECT_EQ(ink.calls, expected);
    ASSERT_EQ(ink.pages.size(), 3u);
    // The header stays on every page.
    for (const auto& page : ink.pages) {
        EXPECT_EQ(At(page, "nen"), "2005");
        EXPECT_EQ(At(page, "ＮＯ"), "7");
        EXPECT_EQ(At(page, "売上金額"), "仕 入 金 額");
    }
    EXPECT_EQ(At(ink.pages[0], "zandaka1"), " 100000");
    EXPECT_EQ(At(ink.pages[1], "hinmei1"), "前葉ヨリ繰越し");
    EXPECT_EQ(At(ink.pages[1], "suuryou1"), "");
    EXPECT_EQ(At(ink.pages[2], "zandaka2"), " 161000");
    EXPECT_EQ(At(ink.pages[2], "zandaka32"), "161000");
    EXPECT_EQ(script->messages(), QStringList{});
    const std::vector<std::string> texts = {kLedgerWorkingStatus, kDocumentDoneStatus, kReadyStatus};
    EXPECT_EQ(status.texts, texts);
}

TEST_F(PrintTest, LedgerToThePrinterEndsWithItsMessage)
{
    ASSERT_TRUE(Ledger(OutputMode::Printer, PurchaseLines(1), JournalSide::Sales));
    EXPECT_TRUE(ink.Called("TvPrinters.Count"));
    EXPECT_TRUE(ink.Called("StartPrinter(,Tavelo Document)"));
    EXPECT_EQ(ink.calls.back(), "EndPrinter");
    EXPECT_EQ(script->messages(), QStringList{kPrintDoneMessage});
    EXPECT_EQ(script->asked().back().icon, ui::Icon::Information);
    EXPECT_EQ(At(ink.pages[0], "売上金額"), "売 上 金 額");
    const std::vector<std::string> texts = {kLedgerWorkingStatus, kPrintedStatus, kReadyStatus};
    EXPECT_EQ(status.texts, texts);
}

TEST_F(PrintTest, DocumentsOfBothSides)
{
    const struct { JournalSide side; JournalReport report; const char* name; } cases[] = {
        {JournalSide::Purchases, JournalReport::Ledger, "仕入元帳.tvd"},
        {JournalSide::Purchases, JournalReport::PortraitSummary, "仕入縦.tvd"},
        {JournalSide::Purchases, JournalReport::LandscapeSummary, "仕入横.tvd"},
        {JournalSide::Sales, JournalReport::Ledger, "売上元帳.tvd"},
        {JournalSide::Sales, JournalReport::PortraitSummary, "売上縦.tvd"},
        {JournalSide::Sales, JournalReport::LandscapeSummary, "売上横.tvd"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReportDocumentFile(WordsOf(c.side), c.report), Document(c.name));
    EXPECT_NE(ReportFormFile(JournalReport::Ledger).find("PRINT/仕入れ.tvf"), std::string::npos);
    EXPECT_NE(ReportFormFile(JournalReport::PortraitSummary).find("PRINT/仕入れ集計.tvf"), std::string::npos);
    EXPECT_NE(ReportFormFile(JournalReport::LandscapeSummary).find("PRINT/仕入れ集計横書き.tvf"), std::string::npos);
}

TEST_F(PrintTest, SummariesClearTheFormAfterEveryPage)
{
    ASSERT_TRUE(PrintSummaryPortrait(ink.Control(), OutputMode::Document, PurchaseWords(), settings, Parties(7),
                                     context));
    EXPECT_TRUE(ink.Called("StartDocument(" + Document("仕入縦.tvd")));
    EXPECT_TRUE(ink.Called("Layer(フレイム売上げ).VisibleAtPrint=True"));
    EXPECT_EQ(ink.Count("PrintOut"), 2);
    EXPECT_EQ(ink.Count("ClearAllFields"), 3);
    EXPECT_EQ(At(ink.pages[1], "hito3"), "年合計");
    EXPECT_EQ(At(ink.pages[1], "hito1"), "取引先6");
    EXPECT_EQ(At(ink.pages[1], "e0"), "<unset>");   // page 1's columns were cleared
    EXPECT_TRUE(status.texts.empty());

    FakeInkplate wide;
    ASSERT_TRUE(PrintSummaryLandscape(wide.Control(), OutputMode::Printer, SalesWords(), settings, Parties(30),
                                      context));
    EXPECT_TRUE(wide.Called("OpenForm(" + ReportFormFile(JournalReport::LandscapeSummary)));
    EXPECT_EQ(wide.pages.size(), 6u);
    EXPECT_EQ(At(wide.pages[5], "ページ"), "6");
}

// Each failing result: its message, what is abandoned, and what never runs.
TEST_F(PrintTest, FailuresTakeTheExitPath)
{
    const struct {
        const char* method;
        int call;
        int32_t code;
        OutputMode mode;
        const char* abort;       // expected abort call, or nullptr
        const char* never;       // a call that must not happen
    } cases[] = {
        {"Initialize", 1, tvlErrNoPrinter, OutputMode::Document, nullptr, "StartDocument"},
        {"StartDocument", 1, tvlErrCreateDocument, OutputMode::Document, nullptr, "OpenForm"},
        {"StartPrinter", 1, tvlErrStartDoc, OutputMode::Printer, nullptr, "OpenForm"},
        {"PrintOut", 2, tvlErrObjectDraw, OutputMode::Document, "AbortDocument", "EndDocument"},
        {"PrintOut", 2, tvlErrObjectDraw, OutputMode::Printer, "AbortPrinter", "EndPrinter"},
        {"EndDocument", 1, tvlErrWriteDocument, OutputMode::Document, "AbortDocument", "AbortPrinter"},
        {"EndPrinter", 1, tvlErrEndDoc, OutputMode::Printer, "AbortPrinter", "AbortDocument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        ink = FakeInkplate{};
        ink.results[c.method][c.call] = c.code;
        script->clear();
        status.texts.clear();
        EXPECT_FALSE(Ledger(c.mode, PurchaseLines(61)));
        EXPECT_EQ(script->messages(),
                  QStringList{QString::fromStdString("Err:" + std::string(c.method) + "(" + gfDrawErrMsg(c.code) + ")")});
        EXPECT_EQ(script->asked().back().icon, ui::Icon::Warning);
        EXPECT_FALSE(ink.Called(c.never));
        EXPECT_EQ(ink.Count("AbortDocument") + ink.Count("AbortPrinter"), c.abort ? 1 : 0);
        if (c.abort) { EXPECT_EQ(ink.Count(c.abort), 1); }
        EXPECT_EQ(ink.Count("Close"), ink.Called("OpenForm") ? 1 : 0);
        EXPECT_EQ(status.texts.back(), kReadyStatus);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(std::string(ControlFailureText("StartDocument", -16)), "Err:StartDocument(" + gfDrawErrMsg(-16) + ")");
}

TEST_F(PrintTest, NoPrinterStartsNothing)
{
    ink.printerCount = 0;
    EXPECT_FALSE(PrintSummaryPortrait(ink.Control(), OutputMode::Printer, PurchaseWords(), settings, Parties(2),
                                      context));
    EXPECT_EQ(script->messages(), QStringList{kNoPrinterMessage});
    EXPECT_FALSE(ink.Called("StartPrinter"));
    EXPECT_FALSE(ink.Called("OpenForm"));
    EXPECT_FALSE(ink.Called("Abort"));
    // A document does not ask for printers.
    ink = FakeInkplate{};
    ink.printerCount = 0;
    EXPECT_TRUE(Ledger(OutputMode::Document, PurchaseLines(1)));
    EXPECT_FALSE(ink.Called("TvPrinters"));
}

TEST_F(PrintTest, ALedgerWithoutLinesStartsNothing)
{
    EXPECT_FALSE(Ledger(OutputMode::Document, {}));
    EXPECT_EQ(script->messages(), QStringList{kNoLinesToPrintMessage});
    EXPECT_TRUE(ink.calls.empty());
}

TEST_F(PrintTest, RefusedValuesAndMissingObjectsAbortTheDocument)
{
    // The control refuses a character its code page lacks, naming the value.
    ink.onText = [](const std::string& name, const std::string& text) {
        if (text.find("\xF0\x9F") != std::string::npos)
            throw AutomationError(CTL_E_INVALIDPROPERTYVALUE, name + ": 使用できない文字です (" + text + ")");
    };
    party.Name = "山田商店😀";
    EXPECT_FALSE(Ledger(OutputMode::Document, PurchaseLines(3)));
    EXPECT_EQ(script->messages(), QStringList{"氏名: 使用できない文字です (山田商店😀)"});
    EXPECT_EQ(ink.Count("AbortDocument"), 1);
    EXPECT_EQ(ink.Count("Close"), 1);
    EXPECT_FALSE(ink.Called("PrintOut"));

    ink = FakeInkplate{};
    script->clear();
    ink.objectNames = {"印刷名"};
    EXPECT_FALSE(PrintSummaryLandscape(ink.Control(), OutputMode::Document, PurchaseWords(), settings, Parties(1),
                                       context));
    EXPECT_EQ(script->messages(), QStringList{"オブジェクトがありません: 集計表"});
    EXPECT_EQ(ink.Count("AbortDocument"), 1);
}

TEST_F(PrintTest, ADataFolderThatCannotHoldPrintStartsNothing)
{
    std::filesystem::create_directories(home.path());
    std::ofstream(home.path() / "PRINT") << "a file, not a folder";
    // Neither the document nor the printer's PDF goes anywhere else.
    for (OutputMode mode : {OutputMode::Document, OutputMode::Printer}) {
        script->clear();
        EXPECT_FALSE(Ledger(mode, PurchaseLines(1)));
        ASSERT_EQ(script->messages().size(), 1);
        EXPECT_EQ(script->messages()[0].toStdString(), "印刷用のフォルダを作成できません: " +
                                                           (home.path() / "PRINT").string() +
                                                           ": 同じ名前のファイルがあります");
        EXPECT_TRUE(ink.calls.empty());
    }
}
