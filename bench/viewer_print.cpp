// Printing documents into a 600-dpi PDF: 100 ordinary pages, and 1,000 pages
// that all name one page record of 16 MB against 1,000 ordinary pages.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "PeerRatio.h"
#include "support/PrintedPdf.h"
#include "SampleDocs.h"
#include "Viewer/PagelookApp.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "platform/qt/PrinterByName.h"

using namespace nv::viewer;

namespace {

struct Env {
    QTemporaryDir dir;
    std::unique_ptr<PagelookApp> app;

    Env()
    {
        qputenv("NIVALO_PROMPTS", "auto");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + "/config");
        app = std::make_unique<PagelookApp>(); // starts the text and picture engines
        app->Start({}, dir.path());
    }

    std::unique_ptr<PagelookDoc> Write(const QString& name, const nv::samples::SampleSpec& spec)
    {
        const QString path = dir.path() + "/" + name;
        nv::samples::WriteSampleDoc(path.toStdString(), spec);
        return PagelookDoc::Open(path);
    }

    bool Print(PagelookDoc& doc)
    {
        std::vector<int> pages;
        for (int p = 1; p <= doc.PageCount(); ++p) pages.push_back(p);
        PrintLoop loop(doc);
        return loop.Run({.printer = nv::PdfPrinterName(dir.path() + "/out.pdf"), .pages = pages}).printed;
    }
};

Env& TheEnv()
{
    static Env* env = new Env;
    return *env;
}

void PrintHundredPagesToPdf(benchmark::State& state)
{
    Env& env = TheEnv();
    auto doc = env.Write("hundred.tvd", {.pages = 100, .alternate = true});
    for (auto _ : state)
        if (!env.Print(*doc)) state.SkipWithError("not printed");
}
BENCHMARK(PrintHundredPagesToPdf)->Unit(benchmark::kMillisecond);

// A one-page document printed into a PDF as pagelook prints it; argument 1:
// cold, other work before each round. Warm: the best round; cold: the
// median. The PDF must hold the page's text.
void PrintOnePageToPdf(benchmark::State& state)
{
    Env& env = TheEnv();
    const bool cold = state.range(0) != 0;
    auto doc = env.Write("one.tvd", {.pages = 1});
    const std::string pdf = (env.dir.path() + "/out.pdf").toStdString();
    const std::vector<std::string> texts = env.Print(*doc) ? nvtest::PdfPageTexts(pdf) : std::vector<std::string>{};
    if (!nvbench::Checked(state, texts.size() != 1 || texts[0].find_first_not_of(" \n") == std::string::npos
                                     ? "the PDF does not hold the page"
                                     : ""))
        return;
    nvbench::ColdOrWarmRounds(state, cold, [&] { return env.Print(*doc); });
}
BENCHMARK(PrintOnePageToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void PrintThousandPagesSharingARecord(benchmark::State& state)
{
    Env& env = TheEnv();
    const int pages = nvbench::ShortMode() ? 50 : 1000;
    const size_t kRecord = size_t(nvbench::ShortMode() ? 1 : 16) << 20;
    auto shared = env.Write("shared.tvd", {.pages = pages, .sharedRecordBytes = kRecord});
    auto ordinary = env.Write("ordinary.tvd", {.pages = pages});
    nvbench::AgainstPeer(
        state, "ordinary", 0,
        [&] {
            if (!env.Print(*shared)) state.SkipWithError("not printed");
        },
        [&] {
            if (!env.Print(*ordinary)) state.SkipWithError("not printed");
        });
    const double read = double(shared->Report().Store().PageBytesRead());
    state.counters["MB_read"] = read / 1e6;
    if (read > 2.0 * kRecord) state.SkipWithError("the shared record was read more than once");
}
BENCHMARK(PrintThousandPagesSharingARecord)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
