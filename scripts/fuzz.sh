#!/bin/sh
# Builds the native fuzzers (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from
# the starting corpus in tests/fuzz/corpus.  Usage: fuzz.sh [seconds per fuzzer]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}/fuzz
seconds=${1:-30}
CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
# The fuzzers run side by side (each stops after its time on the clock), and
# are reported one after another once all have stopped.
for fuzzer in "$build"/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    work="$build/corpus-$name"
    rm -rf "$work" "$build/$name.rc" && mkdir -p "$work"
    { "$fuzzer" -max_total_time="$seconds" -max_len=6000 -print_final_stats=1 \
        -artifact_prefix="$build/" \
        "$work" "$root/tests/fuzz/corpus/$name" >"$build/$name.log" 2>&1
      echo $? >"$build/$name.rc"; } &
done
wait
status=0
for fuzzer in "$build"/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    log="$build/$name.log"
    if [ "$(cat "$build/$name.rc" 2>/dev/null)" = 0 ]; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$name: clean, $runs executions in $seconds s"
    else
        echo "$name: FAILED (see $log)"
        tail -n 30 "$log"
        status=1
    fi
done
exit $status
