#!/usr/bin/env bash
# Builds and runs every test. With --sanitize the build uses AddressSanitizer
# and UndefinedBehaviorSanitizer (folder build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
flags=(-DNV_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags+=(-DNV_SANITIZE=ON -DNV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
jobs=$(nproc)
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" -j"$jobs" --output-on-failure
