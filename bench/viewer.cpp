// The viewer's stalls: opening a large document (1,000 to 100,000 pages, to
// show how the cost grows), paging, zooming, and the deepest zoom on the
// largest paper.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

#include <sys/resource.h>

#include "SampleDocs.h"
#include "Viewer/CommandIds.h"
#include "Viewer/MainFrame.h"
#include "Viewer/PagelookApp.h"
#include "Viewer/PagelookView.h"
#include "engine/render/TvReportDoc.h"

using namespace nv::viewer;

namespace {

// The process's resident memory now, in MB.
double ResidentMB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}

struct Env {
    QTemporaryDir dir;
    std::unique_ptr<PagelookApp> app;
    QString a3;
    std::map<int, QString> byPages;

    Env()
    {
        qputenv("NIVALO_PROMPTS", "auto");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + "/config");
        a3 = dir.path() + "/a3.tvd";
        nv::samples::WriteSampleDoc(a3.toStdString(),
                                    {.pages = 1, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200, .orientation = 2});
        app = std::make_unique<PagelookApp>();
        app->Start({}, dir.path());
        app->Frame()->resize(1000, 900);
    }

    // A document of `pages` pages, written at the first call.
    const QString& Many(int pages)
    {
        QString& path = byPages[pages];
        if (path.isEmpty()) {
            path = dir.path() + QStringLiteral("/many%1.tvd").arg(pages);
            nv::samples::WriteSampleDoc(path.toStdString(), {.pages = pages});
        }
        return path;
    }

    PagelookView* Open(const QString& path)
    {
        app->Frame()->OpenDocument(path);
        PagelookView* v = app->Frame()->ActiveView();
        app->Frame()->MdiArea()->activeSubWindow()->resize(700, 850);
        v->Fit(cmd::kFitPage);
        QCoreApplication::processEvents();
        return v;
    }

    void CloseAll() { qDeleteAll(app->Frame()->MdiArea()->subWindowList()); }
};

Env& TheEnv()
{
    static Env* env = new Env;
    return *env;
}

void Paint(PagelookView* v) { v->viewport()->repaint(); }

// Open, the tree filled and page 1 painted; the memory the process holds
// with the document open.
void BM_OpenAndShowPageOne(benchmark::State& state)
{
    Env& env = TheEnv();
    const QString& path = env.Many(int(state.range(0)));
    double resident = 0;
    for (auto _ : state) {
        PagelookView* v = env.Open(path);
        Paint(v);
        state.PauseTiming();
        if (v->PageCount() != state.range(0)) state.SkipWithError("not every page is there");
        resident = std::max(resident, ResidentMB());
        env.CloseAll();
        state.ResumeTiming();
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["rss_MB"] = resident;
    state.counters["peak_rss_MB"] = double(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenAndShowPageOne)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The engine's share of the above: the store and its page settings alone.
void BM_ReportDocOpenOnly(benchmark::State& state)
{
    Env& env = TheEnv();
    const QString& path = env.Many(int(state.range(0)));
    for (auto _ : state) {
        nv::TvReportDoc doc;
        doc.Open(path.toStdString());
        benchmark::DoNotOptimize(doc.PageCount());
    }
}
BENCHMARK(BM_ReportDocOpenOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NextPage(benchmark::State& state)
{
    Env& env = TheEnv();
    PagelookView* v = env.Open(env.Many(10000));
    for (auto _ : state) {
        if (v->CurrentPage() == v->PageCount()) v->FirstPage();
        v->NextPage();
        Paint(v);
    }
    env.CloseAll();
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMillisecond);

void BM_ZoomChange(benchmark::State& state)
{
    Env& env = TheEnv();
    PagelookView* v = env.Open(env.Many(10000));
    int i = 0;
    for (auto _ : state) {
        v->SetZoom(++i % 2 ? 150 : 75);
        QCoreApplication::processEvents();
        Paint(v);
    }
    env.CloseAll();
}
BENCHMARK(BM_ZoomChange)->Unit(benchmark::kMillisecond);

void BM_Zoom999A3BottomRight(benchmark::State& state)
{
    Env& env = TheEnv();
    PagelookView* v = env.Open(env.a3);
    v->SetZoom(999);
    QCoreApplication::processEvents();
    v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum());
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum());
    for (auto _ : state) Paint(v);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_MB"] = double(ru.ru_maxrss) / 1024.0;
    state.counters["sheet_px"] = double(v->SheetSize().width()) * v->SheetSize().height();
    env.CloseAll();
}
BENCHMARK(BM_Zoom999A3BottomRight)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
