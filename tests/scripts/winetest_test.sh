#!/bin/sh
# scripts/winetest.sh up and scripts/demo.sh against stand-ins for wine and
# Xvfb: a failed boot fails "up" and says why, and the demo stops its
# display whatever "up" did.
. "$(dirname "$0")/stubs.sh"

# wineboot that fails (1) or works (0); it writes part of a prefix first.
wine_stubs() {
    fresh_bin "$1"
    : >"$scratch/wineserver.log"
    stub wineboot "mkdir -p \"\$WINEPREFIX\" && : >\"\$WINEPREFIX/system.reg\"
i=1; while [ \$i -le 30 ]; do echo \"boot line \$i\"; i=\$((i + 1)); done
exit $2"
    stub wine 'exit 0'
    stub wineserver "echo \"\$*\" >>'$scratch/wineserver.log'"
    stub Xvfb 'echo 42 >&3; exec sleep 30'
}

up() {
    output=$(PATH="$bin" sh "$root/scripts/winetest.sh" up "$scratch/state" 2>&1)
    status=$?
}

wine_stubs broken 1
up
check "a failed boot fails up" [ "$status" -ne 0 ]
check "and shows the end of the boot log" contains "$output" "boot line 30"
check "and starts no display" [ ! -f "$scratch/state/xvfb.pid" ]
check "and leaves no half prefix behind" [ ! -e "$scratch/state/prefix" ]

wine_stubs working 0
up
check "the next up boots again" contains "$output" "booting wine prefix"
check "and is ready" [ "$status" -eq 0 ]
xvfb=$(cat "$scratch/state/xvfb.pid" 2>/dev/null)
PATH="$bin" sh "$root/scripts/winetest.sh" down "$scratch/state" >/dev/null 2>&1
sleep 0.2
check "down stops the display" gone "$xvfb"

# The demo, with a display left running and a boot that fails.
wine_stubs demo 1
stub id 'echo 0'
stub dpkg-query "echo 'install ok installed'"
stub apt-get 'exit 0'
stub clang++ 'exit 0'
stub cmake 'exit 0'
state="$scratch/build/demo"
mkdir -p "$state"
setsid sleep 30 </dev/null >/dev/null 2>&1 &
echo $! >"$state/xvfb.pid"
display=$!
echo ":42" >"$state/display"
LUMBEX_BUILD="$scratch/build" PATH="$bin" sh "$root/scripts/demo.sh" >/dev/null 2>&1
status=$?
sleep 0.2
check "the demo fails with up" [ "$status" -ne 0 ]
check "and stops the display all the same" gone "$display"
kill "$display" 2>/dev/null

# The demo where wine cannot start 32-bit programs: the 64-bit build under
# wine's 64-bit loader, and it says so.
stub wine 'echo "wine: Exec format error" >&2; exit 126'
stub cmake "echo \"\$*\" >>'$scratch/cmake.log'"
output=$(LUMBEX_BUILD="$scratch/build64" PATH="$bin" sh "$root/scripts/demo.sh" 2>&1)
cmake_log=$(cat "$scratch/cmake.log")
check "without 32-bit programs the demo says it shows the 64-bit build" \
    contains "$output" "64-bit build"
check "which it configures with the x86-64 toolchain" \
    contains "$cmake_log" "-B $scratch/build64/x64 -DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-x86_64.cmake"
check "and builds" contains "$cmake_log" "--build $scratch/build64/x64 -j2 --target Uninstall lumbex_demo"
check "and runs under wine's 64-bit loader" \
    contains "$(cat "$scratch/build64/demo/bin/wine" 2>/dev/null)" /usr/lib/wine/wine64
finish
