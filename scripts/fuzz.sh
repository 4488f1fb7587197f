#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded time.
#   scripts/fuzz.sh [seconds-per-target]     (default 30)
# Working corpora grow in build-fuzz/corpus/<target>; the seeds in tests/fuzz/corpus
# are only read. A crash leaves its input in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if ! command -v clang++ >/dev/null; then
    echo "fuzzing skipped: clang++ is not installed"
    exit 0
fi
# Every undefined-behaviour check except the dynamic type check of each member call,
# which took a fifth of each run: the core casts no object down to a derived type, so
# only a destroyed object could fail it, and the address sanitizer reports those. The
# sanitizer stage of test.sh still runs every test with it. Stack frames are not kept
# for use after return: the runs leave that detection off (its runtime default), and
# the test in every function whether it is on cost a few per cent.
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize=vptr"
flags="$flags -fsanitize-address-use-after-return=never -fno-sanitize-recover=all -fno-omit-frame-pointer"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGLOWDESK_GUI=OFF -DGLOWDESK_TESTS=OFF -DGLOWDESK_TOOLS=OFF -DGLOWDESK_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/findings
# A small quarantine: an input frees far less than 4 MB, so a use after free within it
# (or in the inputs after it) is still caught, and the runs go through less memory
# (with 16 MB fuzz_receive ran about a tenth slower).
# Every allocation and release records its call stack; ten frames instead of thirty
# find the same faults at far less cost per allocation (a finding can be run again
# with deeper stacks: ASAN_OPTIONS=malloc_context_size=30 build-fuzz/fuzz_<target> <input>).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=4:malloc_context_size=10}
status=0
for src in tests/fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    target=${name#fuzz_}
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    seeds=tests/fuzz/corpus/$target
    log=build-fuzz/$name.log
    # Program files worth trying are longer than libFuzzer's default start size.
    extra=""
    [ "$target" = ini ] && extra="-max_len=4096"
    case $target in emulator | receive) extra="$extra -dict=tests/fuzz/frames.dict" ;; esac
    if ! build-fuzz/"$name" -max_total_time="$seconds" -print_final_stats=1 $extra \
        -artifact_prefix=build-fuzz/findings/"$name"- "$corpus" "$seeds" >"$log" 2>&1; then
        echo "$name: FAILED"
        tail -n 40 "$log"
        status=1
    else
        runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
        rate=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
        echo "$name: ${runs:-?} runs in ${seconds}s (${rate:-?} inputs/s), no finding"
    fi
done
exit $status
