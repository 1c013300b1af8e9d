#!/bin/bash
# Brings code written in the old names into the house style, so that a branch
# started before the renames can merge and re-run this: it changes only what
# still has an old name, and a second run changes nothing.
#   scripts/house-style/run.sh [source files...]   (default: every file the build compiles)
# Needs a configured build/ (compile_commands.json), clang-tidy and python3-yaml.
#  1. functions and methods declared in platform/ui, platform/rows and
#     platform/automation become PascalCase wherever they are used (clang-tidy
#     finds the uses by type; apply_function_renames.py keeps only those);
#  2. members m_name declared in our own folders become name_;
#  3. names that explained nothing get the names chosen for them;
#  4. a build, and what gcc still points at ("did you mean 'Get'?") is put
#     right at the place it names (uses inside test macros clang-tidy leaves).
set -euo pipefail
cd "$(git rev-parse --show-toplevel)"
here=scripts/house-style
fixes=$(mktemp -d)
trap 'rm -rf "$fixes"' EXIT
config="{Checks: '-*,readability-identifier-naming', CheckOptions: [{key: readability-identifier-naming.MethodCase, value: CamelCase},{key: readability-identifier-naming.FunctionCase, value: CamelCase}]}"
if [ $# -gt 0 ]; then printf '%s\n' "$@"; else
    python3 -c "import json; print('\n'.join(sorted({e['file'] for e in json.load(open('build/compile_commands.json')) if '/build/' not in e['file']})))"
fi | xargs -P"$(nproc)" -I{} sh -c 'clang-tidy -p build --quiet -config="$1" --header-filter="$(pwd)/(engine|platform|control|Viewer|ledger|ImageTool|tests|bench|fuzz)/" -export-fixes="$2/$(echo "$3" | md5sum | cut -c1-12).yaml" "$3" >/dev/null 2>&1 || true' _ "$config" "$fixes" {}
python3 $here/apply_function_renames.py "$fixes"
python3 $here/rename_members.py --apply
python3 $here/rename_named.py
cmake --build build -j"$(nproc)" -- -k 2>&1 | grep -E "error:" | sort -u | python3 $here/fix_from_errors.py || true
