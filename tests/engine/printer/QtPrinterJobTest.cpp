#include "engine/printer/DevModeTracker.h"
#include "platform/qt/QtPrinterJob.h"

#include "QtApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include <cstdio>
#include <regex>

using namespace nv;

namespace {

std::string RunCommand(const std::string& cmd)
{
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
    return out;
}

// Page sizes in points as pdfinfo reports them, rounded.
std::vector<std::pair<int, int>> PdfPageSizes(const std::string& file)
{
    const std::string info = RunCommand("pdfinfo -f 1 -l 99 '" + file + "' 2>&1");
    std::vector<std::pair<int, int>> sizes;
    const std::regex re(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), re); it != std::sregex_iterator(); ++it)
        sizes.emplace_back(int(std::stod((*it)[1]) + 0.5), int(std::stod((*it)[2]) + 0.5));
    return sizes;
}

DevMode Mode(int16_t paper, int16_t orientation)
{
    DevMode m;
    m.deviceName = "PDF";
    m.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    m.dmOrientation = orientation;
    m.dmPaperSize = paper;
    m.dmCopies = 1;
    return m;
}

struct CountingJob : QtPrinterJob {
    using QtPrinterJob::QtPrinterJob;
    int resets = 0;
    bool ResetDC(const DevMode& mode) override
    {
        ++resets;
        return QtPrinterJob::ResetDC(mode);
    }
};

// A high-resolution printer that writes a PDF file.
struct PdfPrinter : QPrinter {
    explicit PdfPrinter(const std::string& file) : QPrinter(QPrinter::HighResolution)
    {
        setOutputFormat(QPrinter::PdfFormat);
        setOutputFileName(QString::fromStdString(file));
    }
};

} // namespace

TEST(QtPrinterJob, ThreePagesOfDifferentSetUpIntoPdf)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("three pages.pdf");
    PdfPrinter printer(file);

    CountingJob job(printer);
    DevModeTracker tracker;
    ASSERT_TRUE(job.StartDoc("three pages"));
    const DevMode pages[] = {Mode(DMPAPER_A4, DMORIENT_PORTRAIT), Mode(DMPAPER_A4, DMORIENT_PORTRAIT),
                             Mode(DMPAPER_A4, DMORIENT_LANDSCAPE), Mode(DMPAPER_A3, DMORIENT_PORTRAIT)};
    for (size_t i = 0; i < std::size(pages); ++i) {
        const DevMode& m = pages[i];
        if (i == 1) {
            // the second A4 portrait request is not a page of its own: it
            // shows that an unchanged set-up leaves the printer alone
            EXPECT_EQ(tracker.ResetDCIfChanged(job, m), 1);
            continue;
        }
        ASSERT_EQ(tracker.ResetDCIfChanged(job, m), 1);
        ASSERT_TRUE(job.StartPage());
        ASSERT_NE(job.Painter(), nullptr);
        job.Painter()->drawRect(QRect(100, 100, 500, 500));
        ASSERT_TRUE(job.EndPage());
    }
    EXPECT_EQ(job.resets, 3);
    ASSERT_TRUE(job.EndDoc());
    EXPECT_EQ(job.JobCount(), 1);

    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 3u) << RunCommand("pdfinfo '" + file + "' 2>&1");
    EXPECT_EQ(sizes[0], std::make_pair(595, 842));  // A4 portrait
    EXPECT_EQ(sizes[1], std::make_pair(842, 595));  // A4 landscape
    EXPECT_EQ(sizes[2], std::make_pair(842, 1191)); // A3 portrait
}

TEST(QtPrinterJob, CustomSizeAndJisB5Pages)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("custom.pdf");
    PdfPrinter printer(file);
    QtPrinterJob job(printer);
    ASSERT_TRUE(job.StartDoc("custom"));

    DevMode custom = Mode(DMPAPER_USER, DMORIENT_PORTRAIT);
    custom.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    custom.dmPaperWidth = 1000; // 100 mm
    custom.dmPaperLength = 1500;
    ASSERT_TRUE(job.ResetDC(custom));
    ASSERT_TRUE(job.StartPage());
    EXPECT_FALSE(job.ResetDC(Mode(DMPAPER_A4, DMORIENT_PORTRAIT))); // not inside a page
    ASSERT_TRUE(job.EndPage());
    ASSERT_TRUE(job.ResetDC(Mode(DMPAPER_B5, DMORIENT_PORTRAIT)));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    // An unknown paper number is refused and changes nothing.
    EXPECT_FALSE(job.ResetDC(Mode(999, DMORIENT_PORTRAIT)));
    EXPECT_FALSE(job.ResetDC(Mode(DMPAPER_A4, 7)));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    ASSERT_TRUE(job.EndDoc());
    EXPECT_FALSE(job.StartPage());

    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[0], std::make_pair(283, 425)); // 100 x 150 mm
    EXPECT_EQ(sizes[1], std::make_pair(516, 729)); // JIS B5, 182 x 257 mm
    EXPECT_EQ(sizes[2], std::make_pair(516, 729));
}

// The paper number of a registered form means nothing to Qt; the mode
// carries the form's width and length, which are what the page takes.
TEST(QtPrinterJob, RegisteredFormNumberUsesTheModesSize)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("registered.pdf");
    PdfPrinter printer(file);
    QtPrinterJob job(printer);
    ASSERT_TRUE(job.StartDoc("registered"));

    DevMode form = Mode(DMPAPER_USER + 1, DMORIENT_PORTRAIT);
    form.formName = "Tavelo Form 1";
    form.dmPaperWidth = 1000;
    form.dmPaperLength = 1500;
    ASSERT_TRUE(job.ResetDC(form));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    DevMode user = Mode(DMPAPER_USER, DMORIENT_LANDSCAPE);
    user.dmPaperWidth = 1200;
    user.dmPaperLength = 1800;
    ASSERT_TRUE(job.ResetDC(user));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    // Without a size the number still cannot be set.
    EXPECT_FALSE(job.ResetDC(Mode(DMPAPER_USER + 1, DMORIENT_PORTRAIT)));
    ASSERT_TRUE(job.EndDoc());

    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], std::make_pair(283, 425)); // 100 x 150 mm
    EXPECT_EQ(sizes[1], std::make_pair(510, 340)); // 120 x 180 mm, landscape
}

TEST(QtPrinterJob, JobOptionsDoNotSplitAPdf)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("options.pdf");
    PdfPrinter printer(file);
    QtPrinterJob job(printer);
    ASSERT_TRUE(job.StartDoc("options"));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    DevMode two = Mode(DMPAPER_A4, DMORIENT_PORTRAIT);
    two.dmFields |= DM_DUPLEX;
    two.dmCopies = 2;
    two.dmDuplex = DMDUP_VERTICAL;
    ASSERT_TRUE(job.ResetDC(two));
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    ASSERT_TRUE(job.EndDoc());
    EXPECT_EQ(job.JobCount(), 1);
    EXPECT_EQ(PdfPageSizes(file).size(), 2u);
}

TEST(QtPrinterJob, AbortAndMisuseAreHarmless)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    PdfPrinter printer(dir.file("aborted.pdf"));
    QtPrinterJob job(printer);
    EXPECT_FALSE(job.StartPage());
    EXPECT_FALSE(job.EndPage());
    EXPECT_FALSE(job.EndDoc());
    ASSERT_TRUE(job.StartDoc("x"));
    EXPECT_FALSE(job.StartDoc("again"));
    ASSERT_TRUE(job.StartPage());
    EXPECT_FALSE(job.StartPage());
    job.AbortDoc();
    EXPECT_EQ(job.Painter(), nullptr);
    EXPECT_FALSE(job.EndDoc());
}

namespace {
// Behaves as a printer would towards job options, while writing a PDF.
struct SplittingJob : QtPrinterJob {
    using QtPrinterJob::QtPrinterJob;
    bool OptionsSplitJobs() const override { return true; }
};
} // namespace

TEST(QtPrinterJob, ChangedJobOptionsStartANewJob)
{
    nvtest::EnsureQtApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("split.pdf");
    PdfPrinter printer(file);
    SplittingJob job(printer);
    DevModeTracker tracker;
    ASSERT_TRUE(job.StartDoc("split"));
    DevMode one = Mode(DMPAPER_A4, DMORIENT_PORTRAIT);
    ASSERT_EQ(tracker.ResetDCIfChanged(job, one), 1);
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    DevMode landscape = Mode(DMPAPER_A4, DMORIENT_LANDSCAPE); // page set-up only: same job
    ASSERT_EQ(tracker.ResetDCIfChanged(job, landscape), 1);
    ASSERT_TRUE(job.StartPage());
    ASSERT_TRUE(job.EndPage());
    EXPECT_EQ(job.JobCount(), 1);
    DevMode copies = landscape;
    copies.dmCopies = 3;
    ASSERT_EQ(tracker.ResetDCIfChanged(job, copies), 1);
    ASSERT_TRUE(job.StartPage());
    ASSERT_NE(job.Painter(), nullptr);
    job.Painter()->drawLine(0, 0, 100, 100);
    ASSERT_TRUE(job.EndPage());
    ASSERT_TRUE(job.EndDoc());
    EXPECT_EQ(job.JobCount(), 2);
    // The file holds the last job: one landscape page.
    const auto sizes = PdfPageSizes(file);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], std::make_pair(842, 595));
}
