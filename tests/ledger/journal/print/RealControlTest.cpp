// The print procedures on the real drawing control (created by ProgID) with
// the report forms the build makes: documents read back page by page by
// object name, and the ledger on the virtual PDF printer.
#include "ledger/journal/print/JournalPrint.h"

#include "PrintFixture.h"
#include "ledger/journal/JournalTestDb.h"
#include "platform/automation/Automation.h"
#include "platform/core/Cp932.h"
#include "support/PrintedPdf.h"
#include "support/ReportPages.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

using namespace nv;
using namespace nvtest;

namespace {


int PdfPages(const std::string& file)
{
    std::string info;
    if (FILE* p = ::popen(("pdfinfo '" + file + "' 2>&1").c_str(), "r")) {
        char buf[512];
        while (size_t n = std::fread(buf, 1, sizeof buf, p)) info.append(buf, n);
        ::pclose(p);
    }
    std::smatch m;
    return std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(m[1]) : -1;
}

struct RealControlTest : PrintProcedureTest {
    ObjectRef ink;

    void SetUp() override
    {
        PrintProcedureTest::SetUp();
        setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
        ink = ObjectRef(CreateObject(kDrawingControlProgId));
    }
    void TearDown() override
    {
        ink = ObjectRef();
        unsetenv("NIVALO_PROGIDS");
        unsetenv("PRINTER");
        PrintProcedureTest::TearDown();
    }
};

} // namespace

TEST_F(RealControlTest, LedgerIntoADocumentReadsBackPageByPage)
{
    ASSERT_TRUE(PrintLedger(ink, OutputMode::Document, PurchaseWords(), settings, party, PurchaseLines(61), context))
        << script->Messages().join("|").toStdString();
    auto pages = nvtest::ReportPageTexts(Document("仕入元帳.tvd"));
    ASSERT_EQ(pages.size(), 3u);
    const struct { size_t page; const char* name; const char* text; } expected[] = {
        {0, "nen", "2005"}, {0, "ＮＯ", "7"}, {0, "売上金額", "仕 入 金 額"}, {0, "zandaka1", " 100000"},
        {0, "tsuki1", "4"}, {0, "tsuki2", "4"}, {0, "tsuki3", ""}, {0, "uriage32", "30000"},
        {0, "zandaka32", "130000"}, {0, "ページ", "1"},
        {1, "hinmei1", "前葉ヨリ繰越し"}, {1, "uriage1", "30000"}, {1, "zandaka1", "130000"},
        {1, "suuryou1", ""}, {1, "tanka1", ""}, {1, "kashi1", ""}, {1, "tsuki2", "4"}, {1, "tsuki12", "5"},
        {1, "uriage32", "60000"}, {1, "zandaka32", "160000"},
        {2, "zandaka2", " 161000"}, {2, "hinmei3", ""}, {2, "zandaka31", ""}, {2, "hinmei32", "次葉へ繰り越し"},
        {2, "uriage32", "61000"}, {2, "zandaka32", "161000"}, {2, "ページ", "3"},
    };
    for (const auto& e : expected) EXPECT_EQ(At(pages[e.page], e.name), e.text) << e.page + 1 << " " << e.name;
    // The header stays on every page.
    for (const auto& page : pages)
        for (const auto& [name, text] : {std::pair{"nen", "2005"}, {"ＮＯ", "7"}, {"売上金額", "仕 入 金 額"}})
            EXPECT_EQ(At(page, name), text) << name;
    EXPECT_EQ(script->Messages(), QStringList{});
    EXPECT_EQ(status.texts, (std::vector<std::string>{kLedgerWorkingStatus, kDocumentDoneStatus, kReadyStatus}));
}

TEST_F(RealControlTest, SalesLedgerHeadingsIntoItsOwnDocument)
{
    ASSERT_TRUE(PrintLedger(ink, OutputMode::Document, SalesWords(), settings, party, PurchaseLines(2), context));
    auto pages = nvtest::ReportPageTexts(Document("売上元帳.tvd"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(At(pages[0], "売上金額"), "売 上 金 額");
    EXPECT_EQ(At(pages[0], "受入金額"), "受 入 金 額");
}

TEST_F(RealControlTest, LedgerOnThePdfPrinterNamesTheFileItWrote)
{
    const std::string pdf = home.file("ledger.pdf");
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    ink = ObjectRef(CreateObject(kDrawingControlProgId));
    ASSERT_TRUE(PrintLedger(ink, OutputMode::Printer, PurchaseWords(), settings, party, PurchaseLines(61), context))
        << script->Messages().join("|").toStdString();
    EXPECT_EQ(PdfPages(pdf), 3);
    const std::vector<std::vector<std::string>> pages = {
        {"2005 年", "元", "帳", "1 頁", "山田", "7", "山田商店", "仕 入 金 額", "前期繰越金額", "100000", "ボルト", "1000",
         "101000", "ボルト", "1000", "130000", "次葉へ繰り越し", "30000", "130000"},
        {"2 頁", "7", "山田商店", "前葉ヨリ繰越し", "30000", "130000", "ボルト", "1000", "131000", "5", "ボルト", "1000",
         "160000", "次葉へ繰り越し", "60000", "160000"},
        {"3 頁", "前葉ヨリ繰越し", "60000", "160000", "ボルト", "1000", "161000", "次葉へ繰り越し", "61000", "161000"},
    };
    const auto texts = PdfPageTexts(pdf);
    ASSERT_EQ(texts.size(), pages.size());
    for (size_t p = 0; p < pages.size(); ++p)
        EXPECT_EQ(FirstOutOfOrder(texts[p], pages[p]), "") << "page " << p + 1 << ":\n" << texts[p];
    EXPECT_EQ(script->Messages(),
              QStringList{QString(kPrintDoneMessage) + "\n" + kPrintFileLine + QString::fromStdString(pdf)});
    EXPECT_EQ(script->AllAsked().back().icon, ui::Icon::Information);
    EXPECT_EQ(status.texts, (std::vector<std::string>{kLedgerWorkingStatus, kPrintedStatus, kReadyStatus}));

    // With no printer at all the stand-in writes new Tvprint<n>.pdf files
    // into the data folder's PRINT folder, and the message names each.
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    for (const char* name : {"Tvprint1.pdf", "Tvprint2.pdf"}) {
        script->Clear();
        ink = ObjectRef(CreateObject(kDrawingControlProgId));
        ASSERT_TRUE(PrintLedger(ink, OutputMode::Printer, PurchaseWords(), settings, party, PurchaseLines(2), context));
        EXPECT_EQ(PdfPages(Document(name)), 1);
        EXPECT_EQ(script->Messages(),
                  QStringList{QString(kPrintDoneMessage) + "\n" + kPrintFileLine + QString::fromStdString(Document(name))});
    }
}

TEST_F(RealControlTest, SummariesIntoDocuments)
{
    ASSERT_TRUE(PrintSummaryPortrait(ink, OutputMode::Document, PurchaseWords(), settings, Parties(7), context))
        << script->Messages().join("|").toStdString();
    auto tall = nvtest::ReportPageTexts(Document("仕入縦.tvd"));
    ASSERT_EQ(tall.size(), 2u);
    EXPECT_EQ(At(tall[1], "hito3"), "年合計");
    EXPECT_EQ(At(tall[1], "c0"), " 28000");
    EXPECT_EQ(At(tall[1], "集計表"), "買 掛 金 集 計 表");
    EXPECT_EQ(At(tall[1], "head36"), "次月繰越");
    EXPECT_EQ(At(tall[1], "tsuki1"), "4");
    EXPECT_NE(At(tall[0], "e0"), "");
    EXPECT_EQ(At(tall[1], "e0"), "");   // page 1's columns were cleared
    EXPECT_TRUE(status.texts.empty());
    ASSERT_TRUE(PrintSummaryLandscape(ink, OutputMode::Document, SalesWords(), settings, Parties(30), context));
    auto wide = nvtest::ReportPageTexts(Document("売上横.tvd"));
    ASSERT_EQ(wide.size(), 6u);
    EXPECT_EQ(At(wide[5], "ページ"), "6");
    EXPECT_EQ(At(wide[2], "a0"), At(wide[0], "a12"));
    EXPECT_EQ(At(wide[0], "head1"), "当月売上");
}

TEST_F(RealControlTest, ARefusedValueAbortsTheDocumentAndLeavesNoFile)
{
    party.Name = "山田商店😀";
    EXPECT_FALSE(PrintLedger(ink, OutputMode::Document, PurchaseWords(), settings, party, PurchaseLines(3), context));
    ASSERT_EQ(script->Messages().size(), 1);
    // The control's own error, naming what it cannot write.
    EXPECT_TRUE(script->Messages()[0].contains("😀")) << script->Messages()[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(home.path() / "PRINT" / "仕入元帳.tvd"));
    EXPECT_EQ(status.texts.back(), kReadyStatus);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // The control is free for the next run.
    party.Name = FixedText("山田商店", 50);
    script->Clear();
    EXPECT_TRUE(PrintLedger(ink, OutputMode::Document, PurchaseWords(), settings, party, PurchaseLines(3), context));
    EXPECT_TRUE(std::filesystem::exists(home.path() / "PRINT" / "仕入元帳.tvd"));
}

TEST_F(RealControlTest, NothingToPrintOrNowhereToPutItMakesNoFile)
{
    EXPECT_FALSE(PrintLedger(ink, OutputMode::Document, PurchaseWords(), settings, party, {}, context));
    EXPECT_EQ(script->Messages(), QStringList{kNoLinesToPrintMessage});
    EXPECT_FALSE(std::filesystem::exists(home.path() / "PRINT"));

    std::ofstream(home.path() / "PRINT") << "a file, not a folder";
    // Neither the document nor the printer's PDF goes anywhere else.
    for (OutputMode mode : {OutputMode::Document, OutputMode::Printer}) {
        script->Clear();
        EXPECT_FALSE(PrintLedger(ink, mode, PurchaseWords(), settings, party, PurchaseLines(1), context));
        EXPECT_EQ(script->Messages(), QStringList{QString::fromStdString(
                                          "印刷用のフォルダを作成できません: " + (home.path() / "PRINT").string() +
                                          ": 同じ名前のファイルがあります")});
        EXPECT_TRUE(std::filesystem::is_regular_file(home.path() / "PRINT"));
    }
    EXPECT_EQ(std::filesystem::directory_iterator(home.path())->path().filename(), "PRINT");
}
