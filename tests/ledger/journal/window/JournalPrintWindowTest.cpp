// The journal window's print buttons and menu driven as a person would,
// through the real control (a recording one where only it can fail), and a
// stub viewer that records its argument and runs until the test lets it go.
#include "JournalFixture.h"

#include "ledger/common/DrawErrMsg.h"
#include "ledger/journal/print/FakeInkplate.h"
#include "support/PrintedPdf.h"
#include "support/ReportPages.h"
#include "ledger/journal/print/PrintFixture.h"
#include "ledger/journal/window/PreviewViewer.h"

#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <fstream>

using namespace nv;
using namespace nvtest;

namespace {

struct PrintWindowTest : JournalFixture {
    FakeInkplate ink;
    std::string viewer = dir.file("pagelook-stub");
    std::string viewerArgs = dir.file("viewer.args");
    std::string viewerRelease = dir.file("viewer.release");
    std::string home = dir.path().string();

    void SetUp() override
    {
        JournalFixture::SetUp();
        setenv("NIVALO_HOME", home.c_str(), 1);
        std::ofstream s(viewer, std::ios::binary);
        s << "#!/bin/sh\nprintf '%s' \"$1\" >> '" << viewerArgs << "'\n"
          << "while [ ! -e '" << viewerRelease << "' ]; do sleep 0.02; done\n";
        s.close();
        std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
        // Party 7's purchases with balances not yet computed.
        db.ExecuteScript(
            "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 数量, 単価, 仕入金額, 支払金額, 差引残高) VALUES"
            " (7, 1, 2005, 4, 10, 'ボルト', 10, 100, 1000, NULL, NULL),"
            " (7, 2, 2005, 5, 10, '支払', NULL, NULL, NULL, 30000, NULL);"
            "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 売上金額, 差引残高) VALUES"
            " (7, 1, 2005, 4, 10, 'ナット', 2000, NULL);");
    }
    void TearDown() override
    {
        unsetenv("NIVALO_HOME");
        unsetenv("NIVALO_PAGELOOK");
        JournalFixture::TearDown();
    }

    // The window with the recording control, or the real one from its plug-in.
    std::unique_ptr<JournalDialog> OpenWith(JournalSide side, PartyValues party = Party7(), bool real = false)
    {
        auto d = Open(side, std::move(party));
        if (real) {
            setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
            d->SetDrawingControl(ObjectRef(CreateObject(kDrawingControlProgId)));
            WriteProgIds();
        } else {
            d->SetDrawingControl(ink.Control());
        }
        d->SetViewerProgram(QString::fromStdString(viewer));
        script->Clear();
        return d;
    }

    void SetPortrait(float flag)
    {
        CompanyFile company;
        company.Settings = settings;
        company.PortraitSummary = flag;
        WriteCompanyFile(folder + kCompanyFileName, company);
    }

    std::string ViewerArgs() { return ReadFileBytes(viewerArgs); }
    bool ViewerRan() { return std::filesystem::exists(viewerArgs); }

    // While the viewer runs: the window is disabled, still paints, and
    // cannot be closed; then the viewer is let go.
    void WhileViewerRuns(JournalDialog& d, bool& checked)
    {
        QTimer* poll = new QTimer(&d);
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [this, &d, &checked, poll] {
            if (!ViewerRan()) return;
            poll->stop();
            EXPECT_FALSE(d.isEnabled());
            EXPECT_TRUE(d.WaitingForViewer());
            d.reject();
            EXPECT_TRUE(d.isVisible());
            struct Paints : QObject {
                int n = 0;
                bool eventFilter(QObject*, QEvent* e) override
                {
                    n += e->type() == QEvent::Paint;
                    return false;
                }
            } paints;
            d.installEventFilter(&paints);
            d.update();
            QTest::qWait(50);
            EXPECT_GT(paints.n, 0) << "the waiting window did not repaint";
            d.removeEventFilter(&paints);
            checked = true;
            std::ofstream(viewerRelease) << "go";
            poll->deleteLater();
        });
        poll->start();
    }
};

} // namespace

TEST_F(PrintWindowTest, LedgerPreviewShowsTheDocumentThenNewBalancesAndANewLine)
{
    auto d = OpenWith(JournalSide::Purchases, Party7(), true);
    bool checked = false;
    WhileViewerRuns(*d, checked);
    Click(d.get(), "cmdPrint");
    EXPECT_TRUE(checked);
    EXPECT_EQ(ViewerArgs(), home + "/PRINT/仕入元帳.tvd");
    EXPECT_TRUE(d->isEnabled());
    const auto pages = ReportPageTexts(home + "/PRINT/仕入元帳.tvd");
    ASSERT_EQ(pages.size(), 1u);
    for (const auto& [name, text] : {std::pair{"zandaka1", " 120000"}, {"zandaka2", " 121000"}, {"zandaka3", " 91000"}})
        EXPECT_EQ(pages[0].at(name), text) << name;
    EXPECT_EQ(TrimRight(pages[0].at("氏名")), "山田商店");
    EXPECT_EQ(d->StatusText(), kStatusWorkDone);
    // Balances stored and shown, and a new line offered after the last.
    EXPECT_EQ(Rows("仕入れデータ", "仕入先No = 7 AND データ数 = 2"),
              std::vector<std::string>{"7,2,2005,5,10,支払,N,N,N,30000,N,91000,"});
    const int rows = GridOf(d.get())->model()->rowCount();
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(GridOf(d.get())->currentIndex().row(), rows - 1);
    EXPECT_TRUE(d->Model().IsNewLineRow(rows - 1));
    EXPECT_EQ(script->Messages(), QStringList{});
}

TEST_F(PrintWindowTest, SalesLedgerPreviewShowsItsOwnDocument)
{
    setenv("NIVALO_PAGELOOK", viewer.c_str(), 1);
    auto d = OpenWith(JournalSide::Sales, Party7(), true);
    d->SetViewerProgram({});
    bool checked = false;
    WhileViewerRuns(*d, checked);
    Click(d.get(), "cmdPrint");
    EXPECT_TRUE(checked);
    EXPECT_EQ(ViewerArgs(), home + "/PRINT/売上元帳.tvd");
    const auto pages = ReportPageTexts(home + "/PRINT/売上元帳.tvd");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].at("売上金額"), "売 上 金 額");
    EXPECT_EQ(pages[0].at("zandaka2"), " 122000");
}

TEST_F(PrintWindowTest, SummaryPreviewTakesThePortraitSetting)
{
    const struct { float flag; const char* document; const char* form; } cases[] = {
        {-1, "仕入縦.tvd", "仕入れ集計.tvf"},
        {0, "仕入横.tvd", "仕入れ集計横書き.tvf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        std::filesystem::remove(viewerArgs);
        std::filesystem::remove(viewerRelease);
        SetPortrait(c.flag);
        auto d = OpenWith(JournalSide::Purchases, Party7(), true);
        bool checked = false;
        WhileViewerRuns(*d, checked);
        Click(d.get(), "btnPreview");
        EXPECT_TRUE(checked);
        EXPECT_EQ(ViewerArgs(), home + "/PRINT/" + c.document);
        EXPECT_NE(ReportFormFile(c.flag ? JournalReport::PortraitSummary : JournalReport::LandscapeSummary).find(c.form),
                  std::string::npos);
        // Parties 7, 8 and 9 and the year total.
        const auto pages = ReportPageTexts(home + "/PRINT/" + c.document);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages[0].at("hito3"), "加藤");
        EXPECT_EQ(pages[0].at("hito4"), "年合計");
        EXPECT_EQ(d->StatusText(), kStatusWorkDone);
        d->reject();
    }
}

TEST_F(PrintWindowTest, AFailedDocumentIsNeverShown)
{
    ink.results["StartDocument"][1] = tvlErrCreateDocument;
    auto d = OpenWith(JournalSide::Purchases);
    Click(d.get(), "cmdPrint");
    EXPECT_FALSE(ViewerRan());
    EXPECT_EQ(script->Messages(),
              QStringList{QString::fromStdString("Err:StartDocument(" + gfDrawErrMsg(tvlErrCreateDocument) + ")")});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(d->isEnabled());
    EXPECT_TRUE(d->Model().IsNewLineRow(GridOf(d.get())->model()->rowCount() - 1));
}

TEST_F(PrintWindowTest, AViewerThatCannotStartIsReported)
{
    auto d = OpenWith(JournalSide::Purchases);
    d->SetViewerProgram(QString::fromStdString(dir.file("no-such-viewer")));
    Click(d.get(), "cmdPrint");
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].startsWith(kViewerStartFailed));
    EXPECT_TRUE(d->isEnabled());
    EXPECT_FALSE(d->WaitingForViewer());
}

TEST_F(PrintWindowTest, APartyWithoutLinesStartsNothing)
{
    PartyValues nine = Party7();
    nine[kPartyNo] = int64_t{9};
    auto d = OpenWith(JournalSide::Purchases, nine);
    Click(d.get(), "cmdPrint");
    EXPECT_EQ(script->Messages(), QStringList{kNoLinesToPrintMessage});
    EXPECT_TRUE(ink.calls.empty());
    EXPECT_FALSE(ViewerRan());
}

TEST_F(PrintWindowTest, ALockedDatabaseAtTheRecomputeStartsNothing)
{
    auto d = OpenWith(JournalSide::Purchases);
    d->SetViewerProgram(QString::fromStdString(dir.file("no-such-viewer")));   // never waits
    d->Book().SetCell(2, JournalColumn::Settlement, "20000");
    Database other = OpenLedgerDatabase(dbPath);
    other.Execute("BEGIN IMMEDIATE");
    Click(d.get(), "cmdPrint");
    other.Execute("ROLLBACK");
    ASSERT_GE(script->Messages().size(), 1);
    EXPECT_EQ(script->Messages()[0], kBusyMessage);
    EXPECT_TRUE(ink.calls.empty());
    EXPECT_FALSE(ViewerRan());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The balances after a print cannot be stored: said once, whether the
// print's own pass met it first (the ledger) or only the pass after it (the
// summary, which prints the stored figures).
TEST_F(PrintWindowTest, ARecomputeThatFailsAfterThePrintIsSaidOnce)
{
    for (const char* button : {"cmdPrint", "btnPreview"}) {
        SCOPED_TRACE(button);
        std::filesystem::remove(viewerArgs);
        std::filesystem::remove(viewerRelease);
        auto d = OpenWith(JournalSide::Purchases);
        d->Book().SetCell(2, JournalColumn::Settlement, "20000");   // the balance becomes 101000
        db.ExecuteScript(
            "CREATE TRIGGER refuse_insert BEFORE INSERT ON 仕入れデータ WHEN NEW.差引残高 = 101000"
            " BEGIN SELECT RAISE(ABORT, '残高を書き込めません'); END;"
            "CREATE TRIGGER refuse_update BEFORE UPDATE ON 仕入れデータ WHEN NEW.差引残高 = 101000"
            " BEGIN SELECT RAISE(ABORT, '残高を書き込めません'); END;");
        bool checked = false;
        WhileViewerRuns(*d, checked);
        Click(d.get(), button);
        ASSERT_EQ(script->Messages().size(), 1) << script->Messages().join("\n").toStdString();
        EXPECT_TRUE(script->Messages()[0].contains("残高を書き込めません")) << script->Messages()[0].toStdString();
        EXPECT_TRUE(d->Model().IsNewLineRow(GridOf(d.get())->model()->rowCount() - 1));
        db.ExecuteScript("DROP TRIGGER refuse_insert; DROP TRIGGER refuse_update;");
        std::ofstream(viewerRelease) << "go";
        d->Book().SetCell(2, JournalColumn::Settlement, "30000");
        d->reject();
    }
}

// The real control always has its PDF printer: only the recording one has none.
TEST_F(PrintWindowTest, ThePrintMenuWithoutAPrinterStartsNothing)
{
    auto d = OpenWith(JournalSide::Purchases);
    ink.printerCount = 0;
    d->findChild<QAction*>("mnuPRINT_1")->trigger();
    EXPECT_EQ(script->Messages(), QStringList{kNoPrinterMessage});
    EXPECT_FALSE(ink.Called("StartPrinter"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PrintWindowTest, ThePrintedLedgerReadsAsItShouldThroughTheRealControl)
{
    // The control from its plug-in, as in the menu program: nobody here sets
    // up the engine.
    const std::string pdf = dir.file("ledger.pdf");
    setenv("NIVALO_PROGIDS", NV_BINARY_DIR "/share/progids", 1);
    setenv("PRINTER", ("pdf:" + pdf).c_str(), 1);
    auto d = Open(JournalSide::Purchases);
    script->Clear();
    d->findChild<QAction*>("mnuPRINT_0")->trigger();
    unsetenv("PRINTER");
    unsetenv("NIVALO_PROGIDS");
    EXPECT_EQ(script->Messages(),
              QStringList{QString(kPrintDoneMessage) + "\n" + kPrintFileLine + QString::fromStdString(pdf)});
    const auto pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 1u) << PdfText(pdf);
    EXPECT_EQ(FirstOutOfOrder(pages[0], {"元", "帳", "7", "山田商店", "東京都千代田区1-1", "03-1111-2222", "前期繰越金額",
                                         "120000", "ボルト", "10", "100", "1000", "121000", "支払", "30000", "91000"}),
              "")
        << pages[0];
    const auto images = PdfPageImages(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_GT(InkPerMille(images[0]), 5);
    // No preview; the balances stored and a new line offered after the last.
    EXPECT_FALSE(ViewerRan());
    EXPECT_TRUE(d->Model().IsNewLineRow(GridOf(d.get())->model()->rowCount() - 1));
}

TEST_F(PrintWindowTest, AValueTheControlRefusesAbortsTheDocumentAndShowsNothing)
{
    PartyValues party = Party7();
    party[kName] = std::string("山田商店😀");
    auto d = OpenWith(JournalSide::Purchases, party, true);
    Click(d.get(), "cmdPrint");
    // The control's own words, naming what it cannot write.
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_TRUE(script->Messages()[0].contains("😀")) << script->Messages()[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(home + "/PRINT/仕入元帳.tvd"));
    EXPECT_FALSE(ViewerRan());
    EXPECT_TRUE(d->isEnabled());
}

TEST_F(PrintWindowTest, TheViewerIsFoundInItsOrder)
{
    const std::string bin = dir.file("bin");
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(viewer, bin + "/pagelook");
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    // Nothing beside the test program: PATH's.
    EXPECT_EQ(ViewerProgramPath().toStdString(), bin + "/pagelook");
    setenv("NIVALO_PAGELOOK", "/opt/viewer", 1);
    EXPECT_EQ(ViewerProgramPath().toStdString(), "/opt/viewer");
    EXPECT_EQ(ViewerProgramPath("/set/by/caller").toStdString(), "/set/by/caller");
    unsetenv("NIVALO_PAGELOOK");
    setenv("PATH", dir.file("empty").c_str(), 1);
    EXPECT_TRUE(ViewerProgramPath().isEmpty());
    setenv("PATH", path.c_str(), 1);
}

TEST_F(PrintWindowTest, SummaryFiguresThatCannotBeAddedStartNothing)
{
    db.ExecuteScript(
        "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 仕入金額, 差引残高) VALUES"
        " (8, 2, 2005, 6, 1, '大口', 5000000000000000000, 0), (8, 3, 2005, 6, 2, '大口', 5000000000000000000, 0);");
    auto d = OpenWith(JournalSide::Purchases);
    Click(d.get(), "btnPreview");
    ASSERT_EQ(script->Messages().size(), 1);
    EXPECT_EQ(script->Messages()[0], "集計額が大きすぎます: 仕入先No 8 伊藤屋");
    EXPECT_TRUE(ink.calls.empty());
    EXPECT_FALSE(ViewerRan());
}
