// The viewer from its start to its first page painted, as a person opening a
// document waits for it: the program started afresh for each round (its
// libraries loaded and bound, Qt and the fonts set up, the document opened,
// the page drawn), beside a bare Qt window painting one image of a page,
// started the same way in the same rounds. A probe loaded into both ends the
// process when the page's paint has ended; a page with no ink fails the run.
// Also a preview of 1, 3 and 10 pages: started, and paged until that many
// pages have painted.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PeerRatio.h"
#include "SampleDocs.h"
#include "Viewer/CommandIds.h"

extern char** environ;

namespace {

constexpr int kProbeFd = 3;

struct Shown {
    int pages = 0;
    long long ink = 0; // the fewest dark pixels of a page painted
    std::string problem;
    double cpu = 0; // seconds of processor time the process took, user and system
    double painting = 0; // seconds the pages' paints took
};

// Runs `program` with the probe until it has painted; what it showed.
Shown Run(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& extraEnv)
{
    Shown shown;
    int fds[2];
    if (::pipe(fds) != 0) return {0, 0, "no pipe", 0, 0};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("LD_PRELOAD=" NV_FIRST_PAINT_PROBE);
    env.push_back("NV_PROBE_FD=" + std::to_string(kProbeFd));
    for (const std::string& e : extraEnv) env.push_back(e);
    std::vector<char*> envp, argv{const_cast<char*>(program.c_str())};
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], kProbeFd);
    // Qt's chatter (no runtime folder, offscreen) says nothing here.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return {0, 0, "could not start " + program, 0, 0};
    }
    std::string line;
    pollfd p{fds[0], POLLIN, 0};
    char buffer[256];
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 30000) > 0) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, size_t(n));
    }
    ::close(fds[0]);
    if (line.find('\n') == std::string::npos) ::kill(pid, SIGKILL);
    int status = 0;
    rusage ru{};
    ::wait4(pid, &status, 0, &ru);
    shown.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    long long micros = 0;
    if (std::sscanf(line.c_str(), "painted %d %lld %lld", &shown.pages, &shown.ink, &micros) != 3)
        shown.problem = program + " painted nothing";
    shown.painting = double(micros) / 1e6;
    return shown;
}

struct Env {
    QTemporaryDir dir;
    std::map<int, std::string> byPages;
    std::vector<std::string> common;

    Env()
    {
        const std::string home = dir.path().toStdString();
        common = {"QT_QPA_PLATFORM=" + (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                                            ? std::string("offscreen")
                                            : qEnvironmentVariable("QT_QPA_PLATFORM").toStdString()),
                  "NIVALO_PROMPTS=auto", "XDG_CONFIG_HOME=" + home + "/config", "NIVALO_HOME=" + home};
    }

    const std::string& Doc(int pages)
    {
        std::string& path = byPages[pages];
        if (path.empty()) {
            path = dir.path().toStdString() + "/doc" + std::to_string(pages) + ".tvd";
            nv::samples::WriteSampleDoc(path, {.pages = pages});
        }
        return path;
    }

    Shown Pagelook(int docPages, int shownPages)
    {
        std::vector<std::string> env = common;
        env.push_back("NV_PROBE_WIDGET=nv::viewer::PagelookView");
        env.push_back("NV_PROBE_PAGES=" + std::to_string(shownPages));
        env.push_back("NV_PROBE_NEXT=cmd" + std::to_string(nv::viewer::cmd::kNextPage));
        return Run(NV_PAGELOOK, {Doc(docPages)}, env);
    }

    Shown Bare() { return Run(NV_BARE_WINDOW, {}, common); }
};

Env& TheEnv()
{
    static Env* env = new Env;
    return *env;
}

// The processor time of each side's rounds, for figures taken on a busy
// machine: their medians, "cpu_ms" and "bare_cpu_ms"; and the median time
// our pages' paints took, "paint_ms".
struct CpuTimes {
    std::vector<double> ours, bare, painting;
    void Add(const Shown& s) { ours.push_back(s.cpu), painting.push_back(s.painting); }
    void Report(benchmark::State& state) const
    {
        state.counters["cpu_ms"] = nvbench::Median(ours) * 1e3;
        state.counters["bare_cpu_ms"] = nvbench::Median(bare) * 1e3;
        state.counters["paint_ms"] = nvbench::Median(painting) * 1e3;
    }
};

std::string Problem(const Shown& s, int pages, const char* who)
{
    if (!s.problem.empty()) return s.problem;
    if (s.pages != pages) return std::string(who) + " painted " + std::to_string(s.pages) + " pages";
    if (s.ink == 0) return std::string(who) + " painted a blank page";
    return {};
}

// Pagelook started on a document of `docPages` pages until `shownPages`
// have painted, against the bare window, round by round.
void AgainstBareWindow(benchmark::State& state, int docPages, int shownPages)
{
    Env& env = TheEnv();
    std::string problem = Problem(env.Pagelook(docPages, shownPages), shownPages, "pagelook");
    if (problem.empty()) problem = Problem(env.Bare(), 1, "the bare window");
    if (!nvbench::Checked(state, problem)) return;
    bool right = true;
    CpuTimes cpu;
    nvbench::AgainstPeer(
        state, "bare", 0,
        [&] {
            const Shown s = env.Pagelook(docPages, shownPages);
            cpu.Add(s);
            right = Problem(s, shownPages, "pagelook").empty() && right;
        },
        [&] {
            const Shown s = env.Bare();
            cpu.bare.push_back(s.cpu);
            right = Problem(s, 1, "the bare window").empty() && right;
        });
    cpu.Report(state);
    if (!right) state.SkipWithError("a round painted too few pages");
}

// Start to page 1 painted, for a document of 1 or 100,000 pages.
void BM_PagelookFirstPageVsBareWindow(benchmark::State& state)
{
    AgainstBareWindow(state, int(state.range(0)), 1);
}
BENCHMARK(BM_PagelookFirstPageVsBareWindow)->Arg(1)->Arg(100000)->Unit(benchmark::kMillisecond);

// Start, then paged until that many pages of a 10-page document have painted.
void BM_PagelookPreview(benchmark::State& state)
{
    AgainstBareWindow(state, 10, int(state.range(0)));
}
BENCHMARK(BM_PagelookPreview)->Arg(1)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
