#!/usr/bin/env bash
# Proves the package, not only the build: installs a built tree into a
# temporary prefix, puts the build tree out of reach (renamed until the end)
# and runs the first-start test against the installed nivalo and pagelook,
# from an empty data folder to the printed ledgers and their previews.
#   scripts/test-installed.sh [build folder]       (default build-ci)
# The test program is copied into <prefix>/bin beside nivalo, its support
# library beside the installed ones; NIVALO_TEST_PREFIX tells it where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-ci}
test_program="$build/tests/test_ledger_firststart"
if [ ! -x "$test_program" ]; then
    echo "test-installed: $test_program is missing; build $build first" >&2
    exit 1
fi
tmp=$(mktemp -d)
prefix="$tmp/prefix"
hidden="$build.out-of-reach.$$"
restore() {
    if [ -d "$hidden" ]; then mv "$hidden" "$build"; fi
    rm -rf "$tmp"
}
trap restore EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name libnv_platform.so -print -quit)")
cp "$test_program" "$prefix/bin/"
cp "$build/lib/libnv_testsupport.so" "$libdir/"
mv "$build" "$hidden"
mkdir -p "$tmp/home"
# The desktop knows the package's types from the install alone: a ledger
# database and a report document by their files, the viewer for the latter.
desktop() {
    PATH="$prefix/bin:$PATH" HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/.local/share" XDG_DATA_DIRS="$prefix/share:/usr/share" "$@"
}
printf 'SQLite format 3\000' > "$tmp/補助簿DB.MDB"
printf 'document' > "$tmp/仕入帳.tvd"
for expected in "補助簿DB.MDB application/x-nivalo-ledger" "仕入帳.tvd application/x-tavelo-document"; do
    file=${expected% *} type=${expected#* }
    found=$(desktop gio info -a standard::content-type "$tmp/$file" | sed -n 's/^ *standard::content-type: //p')
    if [ "$found" != "$type" ]; then
        echo "test-installed: gio takes $file for '$found', not $type" >&2
        exit 1
    fi
done
if ! desktop gio mime application/x-tavelo-document | grep -q pagelook.desktop; then
    echo "test-installed: gio knows no viewer for application/x-tavelo-document" >&2
    exit 1
fi
# A private home: nothing of the user's own data or settings takes part.
HOME="$tmp/home" XDG_DATA_HOME= XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen NIVALO_TEST_PREFIX="$prefix" \
    "$prefix/bin/test_ledger_firststart" --gtest_filter='FirstStartTest.FromAnEmptyFolderToPrintedLedgers'
