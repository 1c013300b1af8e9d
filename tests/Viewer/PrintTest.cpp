#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>

#include "SampleDocs.h"
#include "ViewerFixture.h"
#include "support/PagelookRun.h"
#include "support/WriteFaults.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "Viewer/ShellPrint.h"
#include "engine/core/EngineLog.h"
#include "platform/qt/PdfSpool.h"
#include "platform/qt/PrinterByName.h"
#include "platform/ui/QtPrompt.h"

namespace {

using nv::viewer::PrintLoop;

// What poppler reads back from a PDF: "W x H" per page and the text.
QStringList PageSizes(const QString& pdf)
{
    QProcess p;
    p.start("pdfinfo", {"-f", "1", "-l", "99", pdf});
    p.waitForFinished(10000);
    QStringList sizes;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Page") && line.contains("size:"))
            sizes << line.section("size:", 1).trimmed().section(" pts", 0, 0);
    return sizes;
}

// Each page's text with blanks dropped and characters sorted: the order
// poppler reads separately placed glyphs in is not the drawing's concern.
QString Letters(QString s)
{
    s.remove(QRegularExpression("\\s"));
    std::sort(s.begin(), s.end());
    return s;
}

QStringList Pages(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts) out << Letters(t);
    return out;
}

QStringList PageTexts(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    p.waitForFinished(10000);
    QStringList texts;
    for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f', Qt::SkipEmptyParts))
        if (!page.trimmed().isEmpty()) texts << Letters(page);
    return texts;
}

TEST(PrintCandidates, FlagsAndRange)
{
    struct Case {
        std::vector<int> flags;
        int from, to;
        bool every;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {{1, 0, 1, 0, 1}, 1, 5, false, {1, 3, 5}},
        {{1, 0, 1, 0, 1}, 2, 4, false, {3}},
        {{1, 0, 1, 0, 1}, 2, 2, false, {}},
        {{0, 0, 0}, 1, 3, true, {1, 2, 3}},
        {{1, 1}, 0, 9, false, {1, 2}},
        {{2, 1}, 1, 2, false, {2}}, // only 1 means print
    };
    for (const Case& c : cases)
        EXPECT_EQ(nv::viewer::PrintCandidates(c.flags, c.from, c.to, c.every), c.pages) << c.from << ".." << c.to;
}

TEST(PrintCandidates, CopiesCollatedOrNot)
{
    EXPECT_EQ(nv::viewer::CopySequence({1, 2, 3}, 2, true), (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(nv::viewer::CopySequence({1, 2, 3}, 2, false), (std::vector<int>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(nv::viewer::CopySequence({4}, 0, true), (std::vector<int>{4}));
}

TEST(PrintCandidates, JobNameCutsCharactersNotBytes)
{
    const QString forty = QString("仕入元帳").repeated(10);
    EXPECT_EQ(nv::viewer::JobName(forty), forty.left(31));
    EXPECT_EQ(nv::viewer::JobName("short"), "short");
}

TEST(PrinterByName, PdfNamesAndUnusedPaths)
{
    EXPECT_TRUE(nv::IsPdfPrinterName("pdf:/tmp/a.pdf"));
    EXPECT_EQ(nv::PdfFileOfPrinterName("pdf:/tmp/a.pdf"), "/tmp/a.pdf");
    EXPECT_FALSE(nv::IsPdfPrinterName("Office"));
    nvtest::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(nv::UnusedPdfPath(folder, "doc"), folder + "/doc.pdf");
    QFile(folder + "/doc.pdf").open(QIODevice::WriteOnly);
    EXPECT_EQ(nv::UnusedPdfPath(folder, "doc"), folder + "/doc(2).pdf");
    QString error;
    EXPECT_EQ(nv::OpenPrinterByName("pdf:", {}, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

nv::viewer::PagePaper Sheet(int id, int orientation, int32_t w, int32_t l, int scale = 100)
{
    nv::viewer::PagePaper p;
    p.id = id;
    p.orientation = orientation;
    p.scale = scale;
    p.width = nv::viewer::TenthsMmToUnits(orientation == 1 ? w : l);
    p.height = nv::viewer::TenthsMmToUnits(orientation == 1 ? l : w);
    return p;
}

TEST(SheetForMode, ModesOnAnA4PortraitPrinter)
{
    const auto a4 = Sheet(9, 1, 2100, 2970);
    struct Case {
        nv::viewer::PagePaper page;
        int mode, id, orientation, scale;
    };
    const Case cases[] = {
        {Sheet(8, 1, 2970, 4200), 2, 9, 1, 70},  // A3 portrait, fitted
        {Sheet(8, 2, 2970, 4200), 3, 9, 2, 70},  // A3 landscape, its own orientation
        {Sheet(9, 2, 2100, 2970), 2, 9, 1, 70},  // A4 landscape on the portrait sheet
        {Sheet(8, 1, 2970, 4200, 80), 1, 9, 1, 80},  // the page's scale
        {Sheet(8, 2, 2970, 4200, 90), 0, 8, 2, 90},  // the page's own paper
    };
    for (const Case& c : cases) {
        const auto s = nv::viewer::SheetForMode(c.page, &a4, c.mode);
        EXPECT_EQ(s.id, c.id) << c.mode;
        EXPECT_EQ(s.orientation, c.orientation) << c.mode;
        EXPECT_EQ(s.scale, c.scale) << c.mode;
    }
    // No printer: an A3 landscape page on a sheet wider than tall.
    const auto alone = nv::viewer::SheetForMode(Sheet(8, 2, 2970, 4200), nullptr, 2);
    EXPECT_GT(alone.width, alone.height);
    EXPECT_EQ(alone.scale, 100);
}

class PrintLoopTest : public nvtest::ViewerFixture {
protected:
    std::unique_ptr<nv::viewer::PagelookDoc> Open(const nv::samples::SampleSpec& spec = {})
    {
        return nv::viewer::PagelookDoc::Open(Sample("doc.tvd", spec));
    }
    QString Out() { return QString::fromStdString(dir.file("out.pdf")); }
};

TEST_F(PrintLoopTest, EachPageOnItsOwnPaperWithItsText)
{
    auto doc = Open({.pages = 4, .alternate = true});
    ASSERT_TRUE(doc);
    PrintLoop loop(*doc);
    const auto out = loop.Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3, 4}});
    ASSERT_TRUE(out.printed) << out.error.toStdString();
    EXPECT_EQ(PageSizes(Out()), (QStringList{"595 x 842", "842 x 595", "595 x 842", "842 x 595"}));
    EXPECT_EQ(PageTexts(Out()), (Pages({"P1", "P2", "P3", "P4"})));
}

TEST_F(PrintLoopTest, A3PageKeepsItsSize)
{
    auto doc = Open({.pages = 1, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200});
    ASSERT_TRUE(doc);
    const auto out = PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {1}});
    ASSERT_TRUE(out.printed);
    EXPECT_EQ(PageSizes(Out()), QStringList{"842 x 1191"});
}

TEST_F(PrintLoopTest, AUserSizePageKeepsItsSize)
{
    auto doc = Open({.pages = 2, .paperId = 256, .widthTenths = 1000, .lengthTenths = 1500, .alternate = true});
    ASSERT_TRUE(doc);
    ASSERT_TRUE(PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2}}).printed);
    const QStringList sizes = PageSizes(Out());
    ASSERT_EQ(sizes.size(), 2);
    // 100 x 150 mm is 283.46 x 425.2 pt, upright then turned.
    const QStringList first = sizes[0].split(" x "), second = sizes[1].split(" x ");
    EXPECT_NEAR(first[0].toDouble(), 283.46, 0.5);
    EXPECT_NEAR(first[1].toDouble(), 425.2, 0.5);
    EXPECT_NEAR(second[0].toDouble(), 425.2, 0.5);
    EXPECT_NEAR(second[1].toDouble(), 283.46, 0.5);
}

TEST_F(PrintLoopTest, ModeTwoFitsAnA3PageOnTheA4PdfPrinter)
{
    auto doc = Open({.pages = 1, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200});
    int scale = 0;
    PrintLoop loop(*doc);
    loop.drawPage = [&scale](nv::DeviceContext&, int, int s) {
        scale = s;
        return true;
    };
    ASSERT_TRUE(loop.Run({.printer = nv::PdfPrinterName(Out()), .pages = {1}, .mode = 2}).printed);
    EXPECT_EQ(PageSizes(Out()), QStringList{"595 x 842"});
    EXPECT_EQ(scale, 70);
}

TEST_F(PrintLoopTest, CopiesRepeatPagesInAPdf)
{
    auto doc = Open({.pages = 3});
    for (bool collate : {true, false}) {
        const auto out = PrintLoop(*doc).Run(
            {.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3}, .copies = 2, .collate = collate});
        ASSERT_TRUE(out.printed);
        const QStringList want = collate ? Pages({"P1", "P2", "P3", "P1", "P2", "P3"})
                                         : Pages({"P1", "P1", "P2", "P2", "P3", "P3"});
        EXPECT_EQ(PageTexts(Out()), want);
    }
}

TEST_F(PrintLoopTest, FailuresAndCancelLeaveNoPdf)
{
    auto doc = Open({.pages = 3});
    {
        PrintLoop loop(*doc);
        loop.drawPage = [](nv::DeviceContext&, int page, int) {
            if (page == 2) throw std::runtime_error("broken");
            return true;
        };
        const auto out = loop.Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3}});
        EXPECT_FALSE(out.printed);
        EXPECT_TRUE(out.error.contains("2ページ")) << out.error.toStdString();
        EXPECT_FALSE(QFile::exists(Out()));
        // Which document, which page and why stay in the log.
        const std::string logged = nv::RecentLogLines().back();
        EXPECT_EQ(logged, "Pagelook: " + doc->Path().toStdString() + ": ページ 2 を印刷できません: broken");
    }
    {
        PrintLoop loop(*doc);
        loop.progress = [](int done, int) { return done < 2; };
        const auto out = loop.Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3}});
        EXPECT_TRUE(out.cancelled);
        EXPECT_FALSE(QFile::exists(Out()));
    }
    {
        const auto out = PrintLoop(*doc).Run({.printer = "pdf:/nonexistent-folder/x.pdf", .pages = {1}});
        EXPECT_FALSE(out.printed);
        EXPECT_TRUE(out.error.startsWith(nv::viewer::FailedToStartPrintText())) << out.error.toStdString();
        EXPECT_TRUE(out.error.contains("/nonexistent-folder/x.pdf: フォルダがありません。")) << out.error.toStdString();
    }
    {
        const auto out = PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {}});
        EXPECT_EQ(out.error, nv::viewer::NoPagesToPrintText());
        EXPECT_FALSE(QFile::exists(Out()));
    }
}

// What else the folder holds once a job is over: no spool stays behind.
QStringList Leftovers(const std::filesystem::path& folder, const QString& keep)
{
    QStringList names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const QString name = QString::fromStdString(e.path().filename().string());
        if (name != keep && name != "doc.tvd" && name != ".filler") names << name;
    }
    return names;
}

TEST_F(PrintLoopTest, AFailedOrShortJobLeavesTheOlderPdf)
{
    auto doc = Open({.pages = 3});
    ASSERT_TRUE(doc);
    struct Case {
        const char* what;
        std::function<void(PrintLoop&)> setUp;
        long sizeLimit;
    };
    const Case cases[] = {
        {"a page fails", [](PrintLoop& l) { l.drawPage = [](nv::DeviceContext&, int p, int) { return p != 2; }; }, 0},
        {"cancelled", [](PrintLoop& l) { l.progress = [](int done, int) { return done < 2; }; }, 0},
        {"the disk fills", [](PrintLoop&) {}, 4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        nvtest::WriteFileBytes(Out().toStdString(), "older PDF");
        PrintLoop loop(*doc);
        c.setUp(loop);
        PrintLoop::Outcome out;
        {
            std::optional<nvtest::FileSizeLimit> limit;
            if (c.sizeLimit) limit.emplace(c.sizeLimit);
            out = loop.Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3}});
        }
        EXPECT_FALSE(out.printed);
        EXPECT_EQ(nvtest::ReadFileBytes(Out().toStdString()), "older PDF");
        EXPECT_EQ(Leftovers(dir.path(), "out.pdf"), QStringList());
        if (c.sizeLimit) {
            // The system's own cause: a write past the limit is refused as too large.
            EXPECT_EQ(out.error, nv::viewer::FailedToWritePdfText(Out() + ": ファイルが大きすぎます"));
        }
    }
    // A whole job replaces it.
    ASSERT_TRUE(PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {1, 2, 3}}).printed);
    EXPECT_EQ(PageTexts(Out()), (Pages({"P1", "P2", "P3"})));
}

// The spools of jobs whose process died go at the next print into their
// folder; a running job's, and files of the user's that look alike (a
// hidden ".<name>.pdf.<six letters>" PDF is a backup's or another tool's
// shape too), stay.
TEST_F(PrintLoopTest, SpoolsOfDeadJobsGoAtTheNextPrintIntoTheFolder)
{
    auto doc = Open({.pages = 1});
    ASSERT_TRUE(doc);
    namespace fs = std::filesystem;
    struct Planted {
        const char* name;
        const char* bytes;
        bool old; // written two minutes ago
        bool stays;
    };
    const Planted planted[] = {
        {".out.pdf.nivalo-spool-4242-Ab12Cd", "%PDF-1.4 partial", false, false},
        {".other.PDF.nivalo-spool-1-Zz99yy", "%PDF-1.7 x", false, false},
        {".out.pdf.nivalo-spool-4242-Qq11Ww", "", true, false},
        {".out.pdf.nivalo-spool-4242-Rr22Tt", "", false, true}, // a job that has just taken its name
        {".notes.pdf.nivalo-spool-4242-Ab12Cd", "my notes", false, true},
        {".out.pdf.nivalo-spool--Ab12Cd", "%PDF-1.4", false, true},
        {".out.pdf.nivalo-spool-42x-Ab12Cd", "%PDF-1.4", false, true},
        {".out.pdf.nivalo-spool-4242-Ab12Cd.bak", "%PDF-1.4", false, true},
        {".out.txt.nivalo-spool-4242-Ab12Cd", "%PDF-1.4", false, true},
        {".out.pdf.Ab12Cd", "%PDF-1.4 partial", false, true},
        {".report.pdf.backup", "%PDF-1.4 the user's", true, true},
        {".keep.pdf.old123", "%PDF-1.7 x", true, true},
        {".out.pdf.Qq11Ww", "", true, true},
        {".out.pdf.bak", "%PDF-1.4", false, true},
        {"out.pdf.nivalo-spool-4242-Ab12Cd", "%PDF-1.4", false, true},
    };
    QStringList kept;
    for (const Planted& p : planted) {
        nvtest::WriteFileBytes(dir.file(p.name), p.bytes);
        if (p.old) fs::last_write_time(dir.file(p.name), fs::file_time_type::clock::now() - std::chrono::minutes(2));
        if (p.stays) kept << p.name;
    }
    nvtest::WriteFileBytes(dir.file("pdf-elsewhere"), "%PDF-1.4");
    fs::create_symlink(dir.file("pdf-elsewhere"), dir.file(".link.pdf.nivalo-spool-4242-Ab12Cd"));
    kept << ".link.pdf.nivalo-spool-4242-Ab12Cd" << "pdf-elsewhere";
    // A job running now, in this process.
    nv::PdfSpool running;
    ASSERT_TRUE(running.Reserve(QString::fromStdString(dir.file("live.pdf"))));
    nvtest::WriteFileBytes(running.Path().toStdString(), "%PDF-1.4 running");
    kept << QFileInfo(running.Path()).fileName();

    ASSERT_TRUE(PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {1}}).printed);
    QStringList left = Leftovers(dir.path(), "out.pdf");
    left.sort();
    kept.sort();
    EXPECT_EQ(left.join(' ').toStdString(), kept.join(' ').toStdString());
}

TEST_F(PrintLoopTest, TheJobIsNamedAfterTheFileCutTo31Characters)
{
    // The stored name is the same for every journal: the file's name tells jobs apart.
    const std::string name = std::string("仕入元帳") + "仕入元帳仕入元帳仕入元帳仕入元帳仕入元帳仕入元帳仕入元帳仕入元帳仕入元帳.tvd";
    nv::samples::WriteSampleDoc(dir.file(name), {.pages = 1, .nameUtf8 = "Tavelo Document"});
    auto doc = nv::viewer::PagelookDoc::Open(QString::fromStdString(dir.file(name)));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(PrintLoop(*doc).Run({.printer = nv::PdfPrinterName(Out()), .pages = {1}}).printed);
    QProcess p;
    p.start("pdfinfo", {Out()});
    p.waitForFinished(10000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(info.contains("Title:           " + QString::fromStdString(name).left(31) + "\n")) << info.toStdString();
}

TEST_F(PrintLoopTest, ShellPrintWithoutPrinterWritesBesideTheDocument)
{
    const QString path = Sample("five.tvd");
    nv::viewer::CommandLine print;
    print.action = nv::viewer::CommandLine::Action::PrintTo;
    print.printer = nv::PdfPrinterName(Out());
    EXPECT_EQ(nv::viewer::PrintWithoutWindow(print, path), 0);
    EXPECT_EQ(PageTexts(Out()).size(), 5);
    print.printer = "pdf:/nonexistent-folder/x.pdf";
    EXPECT_EQ(nv::viewer::PrintWithoutWindow(print, path), 1);
    EXPECT_EQ(nv::viewer::VirtualPdfFor(path, "五月"), QString::fromStdString(dir.file("五月.pdf")));
}

TEST_F(PrintLoopTest, ShellPrintNeverWritesThroughALinkNorOverTheDocument)
{
    const auto ReadAll = [](const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QString path = Sample("five.tvd");
    const QByteArray before = ReadAll(path);
    // A link planted where the fallback PDF would go, pointing nowhere yet.
    const QString planted = QString::fromStdString(dir.file("planted-target.pdf"));
    ASSERT_TRUE(QFile::link(planted, QString::fromStdString(dir.file("five.pdf"))));
    EXPECT_EQ(nv::viewer::VirtualPdfFor(path, {}), QString::fromStdString(dir.file("five(2).pdf")));
    nv::viewer::CommandLine print;
    print.action = nv::viewer::CommandLine::Action::PrintTo;
    for (const QString& same : {path, QString::fromStdString(dir.file("./five.tvd"))}) {
        print.printer = nv::PdfPrinterName(same);
        prompts->Clear();
        EXPECT_EQ(nv::viewer::PrintWithoutWindow(print, path), 1);
        EXPECT_EQ(ReadAll(path), before);
        ASSERT_EQ(prompts->Messages().size(), 1);
        EXPECT_TRUE(prompts->Messages()[0].contains(path)) << prompts->Messages()[0].toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(planted));
}

} // namespace

namespace {

TEST(PrintProgram, PrintToPdfWithoutAWindowAndExits)
{
    nvtest::TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    nv::samples::WriteSampleSet(dir.path().string());
    for (auto [printer, code] : {std::pair{QString("pdf:%1/out.pdf").arg(home), 0},
                                 std::pair{QString("pdf:/nonexistent-folder/x.pdf"), 1}}) {
        const auto run = nvtest::RunPagelook({"/pt", "mixed.tvd", printer}, home);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, code) << run.stderrText;
    }
    EXPECT_EQ(PageSizes(home + "/out.pdf"), (QStringList{"595 x 842", "842 x 595", "595 x 842", "842 x 595"}));
    EXPECT_EQ(PageTexts(home + "/out.pdf"), (Pages({"P1", "P2", "P3", "P4"})));
}

// The real program with no CUPS to ask: pages change between A3 (named by
// number only, the stored size still A4's), A4 landscape and a user size.
TEST(PrintProgram, MixedPapersWithoutAPrinterEachOnItsSheet)
{
    nvtest::TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    using nv::samples::PaperChange;
    nv::samples::WriteSampleDoc(dir.file("仕入元帳.tvd"),
                                {.pages = 3, .orientation = 2, .nameUtf8 = "Tavelo Document",
                                 .changes = {PaperChange{.paperId = 8, .orientation = 1},
                                             PaperChange{.paperId = 9, .orientation = 2},
                                             PaperChange{256, 1000, 1500, 1}}});
    const auto run = nvtest::RunPagelook({"/p", "仕入元帳.tvd"}, home, {}, {{"CUPS_SERVER", home + "/no-cups-here.sock"}});
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // Named after the file, not after the name every journal stores.
    const QString pdf = home + "/仕入元帳.pdf";
    ASSERT_TRUE(QFile::exists(pdf));
    const QStringList sizes = PageSizes(pdf);
    ASSERT_EQ(sizes.size(), 3);
    const double expected[3][2] = {{841.89, 1190.55}, {841.89, 595.28}, {283.46, 425.2}};
    for (int i = 0; i < 3; ++i) {
        const QStringList wh = sizes[i].split(" x ");
        ASSERT_EQ(wh.size(), 2) << sizes[i].toStdString();
        EXPECT_NEAR(wh[0].toDouble(), expected[i][0], 1.0) << "page " << i + 1;
        EXPECT_NEAR(wh[1].toDouble(), expected[i][1], 1.0) << "page " << i + 1;
    }
    EXPECT_EQ(PageTexts(pdf), (Pages({"P1", "P2", "P3"})));
}

// A print ended by a signal: SIGTERM as a cancel, the older PDF kept and
// no spool left; SIGKILL leaves its spool, which the next print there
// removes.
TEST(PrintProgram, AKilledPrintLeavesNoSpoolForLong)
{
    nvtest::TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    nv::samples::WriteSampleDoc(dir.file("long.tvd"), {.pages = 4000});
    nv::samples::WriteSampleDoc(dir.file("short.tvd"), {.pages = 1});
    const auto spools = [&] {
        QStringList names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename().string().rfind(".nivalo-", 0) == 0) names << QString::fromStdString(e.path());
        return names;
    };
    const std::vector<std::pair<QString, QString>> noCups{{"CUPS_SERVER", home + "/no-cups.sock"}};
    for (int sig : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(sig);
        nvtest::WriteFileBytes(dir.file("long.pdf"), "older PDF");
        QProcess proc;
        nvtest::StartPagelook(proc, {"/pt", "long.tvd", "pdf:" + home + "/long.pdf"}, home, {}, noCups);
        ASSERT_TRUE(proc.waitForStarted(10000));
        // Killed once its spool holds part of the PDF.
        bool writing = false;
        for (int i = 0; i < 6000 && !writing && proc.state() == QProcess::Running; ++i) {
            for (const QString& s : spools()) writing = writing || QFileInfo(s).size() > 4096;
            if (!writing) proc.waitForFinished(10);
        }
        ASSERT_TRUE(writing) << "the print ended before it could be killed";
        ::kill(pid_t(proc.processId()), sig);
        ASSERT_TRUE(proc.waitForFinished(30000));
        EXPECT_EQ(proc.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(nvtest::ReadFileBytes(dir.file("long.pdf")), "older PDF");
        if (sig == SIGKILL) {
            EXPECT_EQ(spools().size(), 1);
            const auto next = nvtest::RunPagelook({"/p", "short.tvd"}, home, {}, noCups);
            ASSERT_TRUE(next.finished);
            EXPECT_EQ(next.exitCode, 0) << next.stderrText;
        }
        EXPECT_EQ(spools().join(' ').toStdString(), "");
    }
}

TEST(PrintProgram, AFullDiskFailsAndKeepsTheOlderPdf)
{
    nvtest::TempDir dir;
    nv::samples::WriteSampleSet(dir.path().string());
    nvtest::FullDisk disk(dir.path() / "disk");
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString pdf = QString::fromStdString((disk.path() / "report.pdf").string());
    nvtest::WriteFileBytes(pdf.toStdString(), "older PDF");
    disk.Fill();
    const auto run = nvtest::RunPagelook({"/pt", "mixed.tvd", nv::PdfPrinterName(pdf)},
                                         QString::fromStdString(dir.path().string()));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1) << run.stderrText;
    EXPECT_EQ(nvtest::ReadFileBytes(pdf.toStdString()), "older PDF");
    EXPECT_EQ(Leftovers(disk.path(), "report.pdf"), QStringList());
}

} // namespace

namespace {

class PrintWindow : public nvtest::ViewerFixture {};

TEST_F(PrintWindow, PrintsFlaggedPagesToTheChosenPrinterAndKeepsThePage)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), nv::viewer::PagelookApp::kContinue);
    const QString out = QString::fromStdString(dir.file("out.pdf"));
    View()->SetPage(4);
    View()->PrintFlags() = {1, 0, 1, 0, 1};
    prompts->Then(std::optional<QString>(nv::PdfPrinterName(out)));
    Trigger(57607);
    EXPECT_EQ(PageTexts(out), Pages({"P1", "P3", "P5"}));
    EXPECT_EQ(View()->CurrentPage(), 4);

    QFile::remove(out);
    View()->PrintFlags() = {0, 0, 0, 0, 0};
    prompts->Clear();
    Trigger(57607);
    EXPECT_EQ(prompts->Messages(), QStringList{nv::viewer::NoPagesToPrintText()});
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(PrintWindow, ThePrintDialogProposesThePdfBesideTheDocument)
{
    ASSERT_EQ(Start({Sample("five.tvd")}), nv::viewer::PagelookApp::kContinue);
    nv::ui::ScopedPrompt real(std::make_unique<nv::ui::QtPrompt>());
    nvtest::WriteFileBytes(dir.file("five.pdf"), "an older print");
    QString proposed = "(no dialog)";
    nvtest::WhenModal<QPrintDialog>([&](QPrintDialog& d) {
        if (auto* file = d.findChild<QLineEdit*>(QStringLiteral("filename"))) proposed = file->text();
        d.reject();
    });
    Trigger(57607);
    // Under the document's name in its folder, an older print left alone.
    EXPECT_EQ(proposed.toStdString(), dir.file("five(2).pdf"));
    EXPECT_EQ(nvtest::ReadFileBytes(dir.file("five.pdf")), "an older print");
}

// Print setup without a CUPS printer: the PDF file's papers, one of them
// and an orientation chosen, and printing follows it in paper mode 1.
class SetupRecorder : public nv::ui::ScriptedPrompt {
public:
    std::optional<nv::ui::PrinterSetupChoice> ChoosePrinterSetup(const nv::ui::PrinterSetupRequest& r) override
    {
        seen = r;
        return ScriptedPrompt::ChoosePrinterSetup(r);
    }
    nv::ui::PrinterSetupRequest seen;
};

TEST_F(PrintWindow, PrinterSetupChoosesThePdfFilesPaperAndOrientation)
{
    auto owned = std::make_unique<SetupRecorder>();
    SetupRecorder* recorder = owned.get();
    nv::ui::ScopedPrompt scoped(std::move(owned));
    ASSERT_EQ(Start({Sample("five.tvd")}), nv::viewer::PagelookApp::kContinue);
    recorder->ThenSetup(nv::ui::PrinterSetupChoice{"PDFファイル", 8, "A3", 2970, 4200, 2});
    Trigger(57606);
    ASSERT_EQ(recorder->seen.printers.size(), 1);
    EXPECT_EQ(recorder->seen.proposed.printer, "PDFファイル");
    QStringList papers;
    for (const auto& p : recorder->seen.printers[0].papers) papers << p.name;
    EXPECT_EQ(papers.mid(0, 6), (QStringList{"A3", "A4", "B4 (JIS)", "B5 (JIS)", "Letter", "Legal"}));
    ASSERT_TRUE(Frame().Printer().setup);
    View()->SetPaperMode(1);
    View()->Refresh(false);
    EXPECT_EQ(View()->Paper().id, 8);
    EXPECT_EQ(View()->Paper().orientation, 2);
    View()->PrintFlags() = {1, 1, 0, 0, 0};
    Trigger(57608);
    const QString pdf = QString::fromStdString(dir.file("five.pdf"));
    EXPECT_EQ(PageSizes(pdf), (QStringList{"1191 x 842", "1191 x 842"}));
}

} // namespace
