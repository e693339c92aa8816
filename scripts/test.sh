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
# A kernel that runs no 32-bit programs (some virtual machines) cannot start
# wine's 32-bit loader, and the Windows tests above were disabled. There they
# run once more as a 64-bit build under wine's 64-bit loader: the same sources
# and tests, though not the 32-bit file that is shipped, nor its view of the
# registry under WoW64.
if ! wine --version >/dev/null 2>&1; then
    echo "NOTE: wine cannot start 32-bit programs on this machine; the Windows tests"
    echo "      run as a 64-bit build under wine64 ($build/x64)."
    cmake -S "$root" -B "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
    cmake --build "$build/x64" -j2
    # The end-to-end cases that only the 32-bit build can show are left out:
    # the NSIS installers are 32-bit programs, the round trip's snapshot
    # expects a WoW64 prefix's size, and wine's 64-bit loader keeps the files
    # of an install folder whose name ends in a blank.
    GTEST_FILTER="-Packaging.*:RoundTrip.*:UninstallRun.ANeighbourNamedWithoutTheTrailingBlankKeepsEverything" \
        ctest --test-dir "$build/x64" --output-on-failure -L windows -E "^signature_wine$"
fi
"$root/scripts/fuzz.sh" "${LUMBEX_FUZZ_SECONDS:-15}"
