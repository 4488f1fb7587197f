#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless:
#   1. the test suite (GoogleTest through CTest, Qt on the offscreen platform);
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each fuzz target for a bounded time (clang's libFuzzer);
#   4. the core cross-built for Windows and its tests under Wine;
#   5. the Debian package: built, checked, installed, used and removed again.
# Stages can be skipped with GLOWDESK_SKIP="asan fuzz wine package" (any of them).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh clang libclang-rt-14-dev
export QT_QPA_PLATFORM=offscreen
skip=" ${GLOWDESK_SKIP:-} "
jobs=$(nproc)

stage() { printf '\n=== %s ===\n' "$*"; }

stage "build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j"$jobs"

if [[ $skip != *" asan "* ]]; then
    stage "build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
    san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLOWDESK_TOOLS=ON \
        -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
    cmake --build build-asan
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
        LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi

if [[ $skip != *" fuzz "* ]] && [ -x scripts/fuzz.sh ]; then
    stage "fuzzing (bounded)"
    scripts/fuzz.sh "${GLOWDESK_FUZZ_SECONDS:-30}"
fi

if [[ $skip != *" wine "* ]] && [ -x scripts/wine_tests.sh ]; then
    stage "Windows build under Wine"
    scripts/wine_tests.sh
fi

if [[ $skip != *" package "* ]] && [ -x scripts/package_tests.sh ]; then
    stage "Debian package"
    scripts/package_tests.sh
fi
