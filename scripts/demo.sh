#!/bin/sh
# Builds the tool and runs it in a sandbox wine prefix of its own, printing
# what it does; screenshots land in build/demo/screenshots.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j2 --target Uninstall lumbex_demo lumbex_fixtures

state="$build/demo"
shots="$state/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
trap '"$root/scripts/winetest.sh" down "$state"' EXIT
"$root/scripts/winetest.sh" up "$state"
"$root/scripts/winetest.sh" run "$state" "$build/tests/lumbex_demo.exe" \
    "Z:$(echo "$build/Uninstall.exe" | tr / '\\')" "Z:$(echo "$shots" | tr / '\\')" \
    "Z:$(echo "$build/tests/fixtures" | tr / '\\')"

for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo
echo "screenshots:"
ls -1 "$shots"
