#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz/ and runs each for
# KRM_FUZZ_SECONDS (default 60) from its seed corpus. A crash fails the script; the reproducer is
# left in build-fuzz/crashes/. Once fixed, keep it in tests/fuzz/crashes/<target>/ (replayed by ctest).
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/deps.sh
krm_ensure_packages "${KRM_PACKAGES[@]}"
krm_use_ccache

seconds=${KRM_FUZZ_SECONDS:-60}
targets=(profile_file data_files mouse_replies report_descriptor png rgb_packets settings_file rules_file)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRM_FUZZ=ON \
    -DKRM_BUILD_GUI=OFF -DKRM_WERROR=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/krm_fuzz_}"

mkdir -p build-fuzz/crashes
failed=0
for t in "${targets[@]}"; do
    work=build-fuzz/corpus/$t
    mkdir -p "$work"
    cp -n tests/fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
    seeds=("$work" tests/fuzz/corpus/"$t")
    [[ -d tests/fuzz/crashes/$t ]] && seeds+=(tests/fuzz/crashes/"$t")
    log=build-fuzz/$t.log
    # A whole settings file as export writes it runs to some 8 KB.
    max_len=4096
    [[ $t == settings_file ]] && max_len=16384
    if build-fuzz/bin/krm_fuzz_"$t" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix=build-fuzz/crashes/"$t"- -print_final_stats=1 "${seeds[@]}" >"$log" 2>&1; then
        echo "fuzz $t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s, no fault"
    else
        echo "fuzz $t: FAULT (reproducer in build-fuzz/crashes/)"
        tail -n 60 "$log"
        failed=1
    fi
done
exit "$failed"
