#!/usr/bin/env bash
# The house rules every change keeps: clang-format's layout and clang-tidy's naming and bug-prone checks
# (.clang-format, .clang-tidy) over the project's C++ sources. Needs a configured build folder for the
# compile commands:  tools/check_sources.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

mapfile -t sources < <(git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'tools/*.h' 'tools/*.cpp' \
    | grep -v '^tests/fixtures/')
if ! clang-format --dry-run -Werror "${sources[@]}" 2>/tmp/krm-format.$$; then
    grep -m 20 'error:' /tmp/krm-format.$$ >&2 || true
    rm -f /tmp/krm-format.$$
    echo "Formatting differs from .clang-format: run clang-format -i on the files above." >&2
    exit 1
fi
rm -f /tmp/krm-format.$$

# clang-tidy reads the generated Qt sources of the views and the bus adaptors' headers, so the build's
# autogen step and the adaptors' generation run first.
cmake --build "$build" --target krm_views_autogen >/dev/null 2>&1 || true
cmake --build "$build" --target krm_bus_adaptors >/dev/null 2>&1 || true
# Only the units this platform builds: the others (the Windows pointer settings) have no compile command.
mapfile -t units < <(git ls-files 'src/*.cpp' | while read -r unit; do
    grep -qF "\"$PWD/$unit\"" "$build/compile_commands.json" && echo "$unit"; done)
if ! run-clang-tidy -p "$build" -quiet -j2 "${units[@]/#/$PWD/}" >/tmp/krm-tidy.$$ 2>&1; then
    sed 's/\x1b\[[0-9;]*m//g' /tmp/krm-tidy.$$ | grep -E ': (error|warning): ' | grep -v 'warnings generated' \
        | sort -u | head -n 40 >&2
    rm -f /tmp/krm-tidy.$$
    echo "clang-tidy found the problems above (.clang-tidy: naming and bug-prone checks)." >&2
    exit 1
fi
rm -f /tmp/krm-tidy.$$
echo "sources: formatting and clang-tidy clean"
