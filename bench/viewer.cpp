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
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PeerRatio.h"

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

// Every byte of the file read through a mapping of it: the least an open
// that looks at the whole file could cost. The sum of its words.
uint64_t MmapRead(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    uint64_t sum = 0;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const size_t n = size_t(st.st_size);
        void* m = ::mmap(nullptr, n, PROT_READ, MAP_PRIVATE, fd, 0);
        if (m != MAP_FAILED) {
            const auto* p = static_cast<const uint8_t*>(m);
            uint64_t w = 0;
            size_t i = 0;
            for (; i + 8 <= n; i += 8) {
                std::memcpy(&w, p + i, 8);
                sum += w;
            }
            for (; i < n; ++i) sum += p[i];
            ::munmap(m, n);
        }
    }
    ::close(fd);
    return sum;
}

// What is wrong with the document as opened ("" when nothing): every page
// there with its settings, the last one readable.
std::string OpenedProblem(nv::TvReportDoc& doc, int pages)
{
    if (doc.PageCount() != pages) return std::to_string(doc.PageCount()) + " pages, not " + std::to_string(pages);
    for (int p : {1, pages})
        if (!doc.GetPageSettings(p)) return "page " + std::to_string(p) + " has no settings";
    if (!doc.GetPageData(pages).m_pForm) return "the last page has no form";
    return {};
}

// The engine's share of the above, the store and every page's settings,
// beside the floor: the file read through a mapping.
void BM_ReportDocOpenVsMmapRead(benchmark::State& state)
{
    Env& env = TheEnv();
    const int pages = int(state.range(0));
    const std::string path = env.Many(pages).toStdString();
    {
        nv::TvReportDoc doc;
        doc.Open(path);
        if (!nvbench::Checked(state, OpenedProblem(doc, pages))) return;
    }
    nvbench::AgainstPeer(
        state, "mmap", 0,
        [&] {
            nv::TvReportDoc doc;
            doc.Open(path);
            benchmark::DoNotOptimize(doc.PageCount());
        },
        [&] { benchmark::DoNotOptimize(MmapRead(path)); });
    state.counters["file_MB"] = double(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_ReportDocOpenVsMmapRead)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
