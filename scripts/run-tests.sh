#!/usr/bin/env bash
# Builds and runs every test, in build/ with the configuration the set-up
# command gives it, so nothing is compiled twice. With --sanitize the build
# uses AddressSanitizer and UndefinedBehaviorSanitizer (folder build-asan),
# --ci a plain build (folder build-ci); both treat warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags+=(-DNV_WERROR=ON -DNV_SANITIZE=ON -DNV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
elif [ "${1:-}" = "--ci" ]; then
    dir=build-ci
    flags+=(-DNV_WERROR=ON)
fi
jobs=$(nproc)
cmake -S . -B "$dir" ${flags[@]+"${flags[@]}"} >/dev/null
cmake --build "$dir" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
retry=()
# LeakSanitizer's exit-time tracer can itself crash on a loaded machine; a
# test that fails twice is a failure.
if [ "$dir" = build-asan ]; then retry=(--repeat until-pass:2); fi
ctest --test-dir "$dir" -j"$jobs" --output-on-failure ${retry[@]+"${retry[@]}"}
