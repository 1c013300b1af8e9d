#pragma once
// Our code and a peer doing the same work, timed in alternate rounds of one
// run so that both meet the same machine load: the ratio is the figure to
// quote, the absolute times only say what the machine was doing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

namespace nvbench {

// The suite runs every benchmark once to see that it works (NV_BENCH_SHORT
// set): a benchmark may then take a smaller case and skip its warm-up.
inline bool ShortMode() { return std::getenv("NV_BENCH_SHORT") != nullptr; }

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// About 10 ms of other work a program does between two of a person's
// waits (a print before a preview, another window): 64 MiB written and
// read, more than the processor's caches hold, so that what a round finds
// there is what a process finds after other work.
inline void OtherWork()
{
    static std::vector<uint64_t> buffer(size_t(64) << 17);
    uint64_t sum = 0;
    for (uint64_t& w : buffer) sum += (w += 1);
    benchmark::DoNotOptimize(sum);
}

// The wall-clock time `run` takes, in seconds.
template <class Run>
double Timed(Run&& run)
{
    const auto t0 = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// As AgainstPeerAfter, with ours timing itself: `timeOurs` returns the
// seconds of the part of its round a person waits for.
template <class Before, class TimeOurs, class Peer>
void AgainstPeerTimed(benchmark::State& state, const std::string& peer, Before&& before, TimeOurs&& timeOurs,
                      Peer&& runPeer, double bytes = 0)
{
    std::vector<double> oursRounds, theirRounds;
    if (!ShortMode()) {
        before();
        timeOurs();
        runPeer();
    }
    for (auto _ : state) {
        before();
        oursRounds.push_back(timeOurs());
        theirRounds.push_back(Timed(runPeer));
    }
    if (oursRounds.empty()) return;
    const double ours = *std::min_element(oursRounds.begin(), oursRounds.end());
    const double theirs = *std::min_element(theirRounds.begin(), theirRounds.end());
    const double oursMedian = Median(oursRounds), theirMedian = Median(theirRounds);
    state.counters["ms"] = ours * 1e3;
    state.counters[peer + "_ms"] = theirs * 1e3;
    state.counters["med_ms"] = oursMedian * 1e3;
    state.counters[peer + "_med_ms"] = theirMedian * 1e3;
    state.counters["x_" + peer + "_med"] = theirMedian / oursMedian;
    if (bytes > 0) {
        state.counters["MBps"] = bytes / ours / 1e6;
        state.counters[peer + "_MBps"] = bytes / theirs / 1e6;
    }
    state.counters["x_" + peer] = theirs / ours;
}

// One untimed round of each first (memory, caches), then each iteration runs
// `before` untimed, then `ours`, then `peer`, each timed by the wall clock:
// what a person waits for. Reports the best round of each in milliseconds
// ("ms", the warm figure when the rounds follow each other with nothing
// between), their median ("med_ms", the cold figure when `before` leaves
// the caches to other work, see OtherWork), MB/s when `bytes` is given, and
// "x_<peer>" and "x_<peer>_med": how many times faster ours is than the
// peer, best round against best round and median against median.
template <class Before, class Ours, class Peer>
void AgainstPeerAfter(benchmark::State& state, const std::string& peer, double bytes, Before&& before,
                      Ours&& runOurs, Peer&& runPeer)
{
    AgainstPeerTimed(state, peer, before, [&] { return Timed(runOurs); }, runPeer, bytes);
}

template <class Ours, class Peer>
void AgainstPeer(benchmark::State& state, const std::string& peer, double bytes, Ours&& runOurs, Peer&& runPeer)
{
    AgainstPeerAfter(state, peer, bytes, [] {}, runOurs, runPeer);
}

// Each iteration runs `run` (false: it failed, which ends the run with an
// error), after other work when `cold`; reports the best round ("best_ms",
// the warm figure) and the median ("med_ms", the cold one).
template <class Run>
void ColdOrWarmRounds(benchmark::State& state, bool cold, Run&& run)
{
    std::vector<double> rounds;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) OtherWork();
        state.ResumeTiming();
        bool done = false;
        rounds.push_back(Timed([&] { done = run(); }));
        if (!done) {
            state.SkipWithError("a round failed");
            break;
        }
    }
    if (rounds.empty()) return;
    state.counters["med_ms"] = Median(rounds) * 1e3;
    state.counters["best_ms"] = *std::min_element(rounds.begin(), rounds.end()) * 1e3;
}

// A benchmark checks its output once before it times: a wrong output ends
// it with an error (the suite and scripts/bench.sh then fail) instead of a
// figure. True when `problem` is empty.
inline bool Checked(benchmark::State& state, const std::string& problem)
{
    if (problem.empty()) return true;
    state.SkipWithError(("wrong output: " + problem).c_str());
    return false;
}

} // namespace nvbench
