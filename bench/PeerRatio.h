#pragma once
// Our code and a peer doing the same work, timed in alternate rounds of one
// run so that both meet the same machine load: the ratio is the figure to
// quote, the absolute times only say what the machine was doing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

namespace nvbench {

// The suite runs every benchmark once to see that it works (NV_BENCH_SHORT
// set): a benchmark may then take a smaller case and skip its warm-up.
inline bool ShortMode() { return std::getenv("NV_BENCH_SHORT") != nullptr; }

// One untimed round of each first (memory, caches), then each iteration runs
// `before` untimed, then `ours`, then `peer`, each timed by the wall clock:
// what a person waits for. Reports the best round of each in milliseconds,
// MB/s when `bytes` is given, and "x_<peer>": how many times faster ours is
// than the peer.
template <class Before, class Ours, class Peer>
void AgainstPeerAfter(benchmark::State& state, const std::string& peer, double bytes, Before&& before,
                      Ours&& runOurs, Peer&& runPeer)
{
    using Clock = std::chrono::steady_clock;
    double ours = 1e300, theirs = 1e300;
    if (!ShortMode()) {
        before();
        runOurs();
        runPeer();
    }
    for (auto _ : state) {
        before();
        const auto t0 = Clock::now();
        runOurs();
        const auto t1 = Clock::now();
        runPeer();
        const auto t2 = Clock::now();
        ours = std::min(ours, std::chrono::duration<double>(t1 - t0).count());
        theirs = std::min(theirs, std::chrono::duration<double>(t2 - t1).count());
    }
    state.counters["ms"] = ours * 1e3;
    state.counters[peer + "_ms"] = theirs * 1e3;
    if (bytes > 0) {
        state.counters["MBps"] = bytes / ours / 1e6;
        state.counters[peer + "_MBps"] = bytes / theirs / 1e6;
    }
    state.counters["x_" + peer] = theirs / ours;
}

template <class Ours, class Peer>
void AgainstPeer(benchmark::State& state, const std::string& peer, double bytes, Ours&& runOurs, Peer&& runPeer)
{
    AgainstPeerAfter(state, peer, bytes, [] {}, runOurs, runPeer);
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
