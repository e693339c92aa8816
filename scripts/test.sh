#!/bin/sh
# Builds the tool and every test, runs the tests under wine and the native unit
# tests, then runs each native fuzzer for a bounded time (LUMBEX_FUZZ_SECONDS,
# default 15).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
"$root/scripts/deps.sh"
"$root/scripts/locales.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure
if ! wine --version >/dev/null 2>&1; then
    echo "NOTE: wine cannot start on this machine (its kernel runs no 32-bit programs);"
    echo "      the Windows tests were disabled, only the host-side checks and the native"
    echo "      unit tests ran."
fi
"$root/scripts/fuzz.sh" "${LUMBEX_FUZZ_SECONDS:-15}"
