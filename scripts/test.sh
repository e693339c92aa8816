#!/bin/sh
# Builds the tool and every test, runs the tests under wine and the native unit
# tests, then runs each native fuzzer for a bounded time (LUMBEX_FUZZ_SECONDS,
# default 15).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
fuzz_seconds=${LUMBEX_FUZZ_SECONDS:-15}
"$root/scripts/deps.sh"
"$root/scripts/locales.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
if wine --version >/dev/null 2>&1; then
    cmake --build "$build" -j2
    ctest --test-dir "$build" --output-on-failure
    exec "$root/scripts/fuzz.sh" "$fuzz_seconds"
fi

# A kernel that runs no 32-bit programs (some virtual machines) cannot start
# wine's 32-bit loader: the 32-bit build makes and checks the shipped files
# only, and the Windows tests run as a 64-bit build under wine's 64-bit
# loader: the same sources and tests, though not the 32-bit file that is
# shipped, nor its view of the registry under WoW64.
echo "NOTE: wine cannot start 32-bit programs on this machine; the Windows tests"
echo "      run as a 64-bit build under wine64 ($build/x64)."
x64=$build/x64
winetest="$root/scripts/winetest.sh"
cmake -S "$root" -B "$x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
# The prefix boots while the tests build.
LUMBEX_WINE64=1 "$winetest" up "$x64/wine" >"$x64/wine-up.log" 2>&1 &
boot=$!
# The trap keeps the run's own status: dash applies "set -e" inside it too, and
# a second wait for the boot job may find no such job (127). Host work still
# running (the 64-bit build failed) ends with the run.
host=
trap 'status=$?; set +e; wait $boot 2>/dev/null
      [ -n "$host" ] && kill -- -"$host" 2>/dev/null
      LUMBEX_WINE64=1 "$winetest" down "$x64/wine" >/dev/null 2>&1; exit $status' EXIT
# What needs no wine runs as idle work that any other process takes the
# processor from at once: it fills the build's pauses and then the Windows
# tests', which leave most of a core idle (they wait on windows and on wine's
# starts). Its report follows the tests'.
host_log=$x64/host.log
setsid -w chrt -i 0 "$root/scripts/host_checks.sh" "$build" "$fuzz_seconds" \
    </dev/null >"$host_log" 2>&1 &
host=$!
cmake --build "$x64" -j2 --target windows_tests
wait $boot || true  # the tests' own start reports a prefix that did not boot

# The end-to-end cases that only the 32-bit build can show are left out: the
# round trip's snapshot expects a WoW64 prefix's size, and wine's 64-bit
# loader keeps the files of an install folder whose name ends in a blank.
windows=0
GTEST_FILTER="-RoundTrip.*:UninstallRun.ANeighbourNamedWithoutTheTrailingBlankKeepsEverything" \
    ctest --test-dir "$x64" --output-on-failure -L windows -E "^signature_wine$" || windows=$?
others=0
wait $host || others=$?
cat "$host_log"
# The shipped 32-bit file itself, in an emulated PC whose kernel runs 32-bit
# programs (scripts/vm32.sh; the first run makes the machine, about a quarter
# of an hour, later ones take minutes). LUMBEX_VM32=0 leaves it out.
vm=0
if [ "${LUMBEX_VM32:-1}" != 0 ]; then
    LUMBEX_BUILD=$build "$root/scripts/vm32.sh" || vm=$?
fi
[ $windows = 0 ] && [ $others = 0 ] && [ $vm = 0 ]
