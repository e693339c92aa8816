#!/bin/sh
# Builds the tool and runs it in a sandbox wine prefix of its own, printing
# what it does; screenshots land in build/demo/screenshots.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
# A kernel that runs no 32-bit programs cannot start wine's 32-bit loader:
# the demo then shows the 64-bit build under wine's 64-bit loader, as the
# tests run there (scripts/vm32.sh runs the shipped file in an emulated PC).
tools=$build
if ! wine --version >/dev/null 2>&1; then
    echo "NOTE: wine cannot start 32-bit programs on this machine; the demo runs the"
    echo "      64-bit build of the tool under wine64 ($build/x64): what it shows and"
    echo "      the screenshots are that build's, in a prefix without WoW64."
    tools=$build/x64
    export LUMBEX_WINE64=1
    cmake -S "$root" -B "$tools" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        >/dev/null
fi
cmake --build "$tools" -j2 --target Uninstall lumbex_demo lumbex_fixtures

state="$build/demo"
shots="$state/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
trap '"$root/scripts/winetest.sh" down "$state"' EXIT
"$root/scripts/winetest.sh" up "$state"
"$root/scripts/winetest.sh" run "$state" "$tools/tests/lumbex_demo.exe" \
    "Z:$(echo "$tools/Uninstall.exe" | tr / '\\')" "Z:$(echo "$shots" | tr / '\\')" \
    "Z:$(echo "$tools/tests/fixtures" | tr / '\\')"

for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo
echo "screenshots:"
ls -1 "$shots"
