// The print procedures against a recording control, for the failures no real
// control gives: each failing result, no printer, a form without an object.
// The files they name, too.
#include "ledger/journal/print/JournalPrint.h"

#include "FakeInkplate.h"
#include "PrintFixture.h"
#include "ledger/common/DrawErrMsg.h"
#include "ledger/journal/JournalTestDb.h"
#include "support/TempDir.h"

#include <QCursor>

#include <cstdlib>
#include <filesystem>

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

TEST_F(PrintTest, DocumentsOfBothSides)
{
    // The file, and the name a printer's queue and the viewer's tree show.
    const struct { JournalSide side; JournalReport report; const char* name; const char* title; } cases[] = {
        {JournalSide::Purchases, JournalReport::Ledger, "仕入元帳.tvd", "仕入帳 山田商店"},
        {JournalSide::Purchases, JournalReport::PortraitSummary, "仕入縦.tvd", "買掛金集計表"},
        {JournalSide::Purchases, JournalReport::LandscapeSummary, "仕入横.tvd", "買掛金集計表"},
        {JournalSide::Sales, JournalReport::Ledger, "売上元帳.tvd", "売上帳 山田商店"},
        {JournalSide::Sales, JournalReport::PortraitSummary, "売上縦.tvd", "売掛金集計表"},
        {JournalSide::Sales, JournalReport::LandscapeSummary, "売上横.tvd", "売掛金集計表"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReportDocumentFile(WordsOf(c.side), c.report), Document(c.name));
        EXPECT_EQ(ReportDocumentName(WordsOf(c.side), c.report, party.Name), c.title);
    }
    for (OutputMode mode : {OutputMode::Document, OutputMode::Printer}) {
        ink = FakeInkplate{};
        EXPECT_TRUE(Ledger(mode, PurchaseLines(1)));
        const std::string start = mode == OutputMode::Document ? "StartDocument(" + Document("仕入元帳.tvd") : "StartPrinter(";
        EXPECT_TRUE(ink.Called(start + ",仕入帳 山田商店)")) << start;
    }
    EXPECT_NE(ReportFormFile(JournalReport::Ledger).find("PRINT/仕入れ.tvf"), std::string::npos);
    EXPECT_NE(ReportFormFile(JournalReport::PortraitSummary).find("PRINT/仕入れ集計.tvf"), std::string::npos);
    EXPECT_NE(ReportFormFile(JournalReport::LandscapeSummary).find("PRINT/仕入れ集計横書き.tvf"), std::string::npos);
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
        script->Clear();
        status.texts.clear();
        EXPECT_FALSE(Ledger(c.mode, PurchaseLines(61)));
        EXPECT_EQ(script->Messages(),
                  QStringList{QString::fromStdString("Err:" + std::string(c.method) + "(" + gfDrawErrMsg(c.code) + ")")});
        EXPECT_EQ(script->AllAsked().back().icon, ui::Icon::Warning);
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
    EXPECT_EQ(script->Messages(), QStringList{kNoPrinterMessage});
    EXPECT_FALSE(ink.Called("StartPrinter"));
    EXPECT_FALSE(ink.Called("OpenForm"));
    EXPECT_FALSE(ink.Called("Abort"));
    // A document does not ask for printers.
    ink = FakeInkplate{};
    ink.printerCount = 0;
    EXPECT_TRUE(Ledger(OutputMode::Document, PurchaseLines(1)));
    EXPECT_FALSE(ink.Called("TvPrinters"));
}

TEST_F(PrintTest, AMissingObjectAbortsTheDocument)
{
    ink.objectNames = {"印刷名"};
    EXPECT_FALSE(PrintSummaryLandscape(ink.Control(), OutputMode::Document, PurchaseWords(), settings, Parties(1),
                                       context));
    EXPECT_EQ(script->Messages(), QStringList{"オブジェクトがありません: 集計表"});
    EXPECT_EQ(ink.Count("AbortDocument"), 1);
}
