#!/usr/bin/env bash
# Installs what is missing, builds, checks the sources and runs every test.
#   ./test.sh             formatting and clang-tidy over src/, then all tests (core and views) in build/
#   ./test.sh --sanitize  the core and offscreen view tests with AddressSanitizer and UBSan in build-sanitize/
#   ./test.sh --tsan      the device, session and krmctl tests (the link, the input reader during
#                         transfers, the fault matrix) with ThreadSanitizer in build-tsan/
#   ./test.sh --package   the Debian package in build-package/, its contents checked and lintian run
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
krm_ensure_packages "${KRM_PACKAGES[@]}"
krm_ensure_npm_packages
krm_use_ccache

if [[ "${1:-}" == "--package" ]]; then
    krm_ensure_packages "${KRM_PACKAGING_PACKAGES[@]}"
    cmake -S . -B build-package -G Ninja -DCMAKE_INSTALL_PREFIX=/usr -DKRM_BUILD_TESTS=OFF >/dev/null
    cmake --build build-package -j2
    rm -f build-package/*.deb
    (cd build-package && cpack -G DEB >/dev/null)
    tests/packaging/check_deb.sh build-package/*.deb
    exit
fi

if [[ "${1:-}" == "--sanitize" ]]; then
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKRM_SANITIZE=ON >/dev/null
    cmake --build build-sanitize -j2
    # Qt keeps some allocations until exit on purpose; the suppressions name them.
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/tools/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1 \
        QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitize --output-on-failure -j2 --timeout 600
    exit
fi

if [[ "${1:-}" == "--tsan" ]]; then
    tsan_tests=(krm_tests_device krm_tests_session krm_tests_ctl)
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRM_TSAN=ON -DKRM_BUILD_GUI=OFF >/dev/null
    cmake --build build-tsan -j2 --target "${tsan_tests[@]}"
    for t in "${tsan_tests[@]}"; do
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" KRM_TRACE= timeout 600 build-tsan/bin/"$t" --gtest_brief=1
    done
    exit
fi

cmake -S . -B build -G Ninja >/dev/null
tools/check_sources.sh build
cmake --build build -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2 --timeout 300
