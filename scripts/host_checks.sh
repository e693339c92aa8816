#!/bin/sh
# What needs no wine: builds the shipped files and checks them (size,
# reproducibility, signature, the native unit tests), then runs the fuzzers.
# scripts/test.sh runs it as idle work beside the Windows tests.
#   host_checks.sh <build tree> <seconds per fuzzer>
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
# Started in a session of its own: the kernel's per-session grouping then
# ranks this work below the tests too.
echo 19 2>/dev/null >/proc/self/autogroup || true
cmake --build "$1" -j2
ctest --test-dir "$1" --output-on-failure
LUMBEX_BUILD=$1 "$root/scripts/fuzz.sh" "$2"
