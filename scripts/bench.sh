#!/usr/bin/env bash
# Runs the benchmarks under bench/ in full and prints the figures README's
# Performance section quotes, with the machine and its load before and after.
# A figure against a peer (x_zlib1, x_inflate, x_cairo, ...) is a ratio
# from the same run, the two timed in alternate rounds by the wall clock.
# Each benchmark first checks what it made; a wrong output ends it with
# "ERROR OCCURRED" instead of a figure, and this script then fails.
#   scripts/bench.sh                  every benchmark
#   scripts/bench.sh doc_store viewer only bench_doc_store and bench_viewer
# Builds build/ first, in the configuration README's figures come from.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for b in build/bench/bench_*; do
        if [ -x "$b" ]; then names+=("${b##*/bench_}"); fi
    done
fi
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
type=$(grep CMAKE_BUILD_TYPE: build/CMakeCache.txt | cut -d= -f2)
echo "Machine: $(nproc) x ${cpu:-unknown CPU}, $(uname -sr), ${type:-RelWithDebInfo}"
echo "Load before: $(uptime)"
export QT_QPA_PLATFORM=offscreen NIVALO_PROMPTS=auto
status=0
for n in "${names[@]}"; do
    echo
    echo "== bench_$n"
    out=$("build/bench/bench_$n" --benchmark_counters_tabular=false 2>&1) || status=1
    # The library's own preamble says nothing README quotes.
    grep -v -e '^\*\*\*WARNING' -e '^Run on' -e '^CPU Caches' -e '^  L[0-9]' -e '^Load Average' -e '^20[0-9-]*T' <<<"$out" || true
    if grep -q 'ERROR OCCURRED' <<<"$out"; then status=1; fi
done
echo
echo "Load after: $(uptime)"
exit "$status"
