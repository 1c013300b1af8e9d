// Printing a 100-page document into a 600-dpi PDF.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "SampleDocs.h"
#include "Viewer/PagelookApp.h"
#include "Viewer/PagelookDoc.h"
#include "Viewer/PrintLoop.h"
#include "platform/qt/PrinterByName.h"

using namespace nv::viewer;

static void PrintHundredPagesToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("NIVALO_PROMPTS", "auto");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + "/config");
    const QString path = dir.path() + "/hundred.tvd";
    nv::samples::WriteSampleDoc(path.toStdString(), {.pages = 100, .alternate = true});
    PagelookApp app; // starts the text and picture engines
    app.Start({}, dir.path());
    auto doc = PagelookDoc::Open(path);
    std::vector<int> pages;
    for (int p = 1; p <= 100; ++p) pages.push_back(p);
    for (auto _ : state) {
        PrintLoop loop(*doc);
        const auto out = loop.Run({.printer = nv::PdfPrinterName(dir.path() + "/out.pdf"), .pages = pages});
        if (!out.printed) state.SkipWithError("not printed");
    }
}
BENCHMARK(PrintHundredPagesToPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
