#!/bin/sh
# Size and speed of the tool, side by side with ideal baselines.
# Usage: bench/run.sh   (builds what it needs; its wine prefix lives in build/bench)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j2 --target Uninstall lumbex_bench >/dev/null
exe="$build/Uninstall.exe"
objdump=i686-w64-mingw32-objdump

echo "== size of Uninstall.exe"
whole=$(stat -c %s "$exe")
# Raw (file) sizes of the sections: everything but .rsrc is code and data.
$objdump -h "$exe" | while read -r index name size rest; do
    case "$index" in [0-9]*) printf '  %-8s %7d bytes\n' "$name" "$((0x$size))" ;; esac
done
rsrc=$($objdump -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
rsrc=$((0x${rsrc:-0}))
total=0
for size in $($objdump -h "$exe" | awk '$1 ~ /^[0-9]+$/ && $2 != ".rsrc" { print $3 }'); do
    total=$((total + 0x$size))
done
printf '  whole file                %7d bytes (%d.%d KiB)\n' "$whole" $((whole / 1024)) $((whole % 1024 * 10 / 1024))
printf '  code and data, no .rsrc   %7d bytes (%d.%d KiB)\n' "$total" $((total / 1024)) $((total % 1024 * 10 / 1024))
printf '  resources (.rsrc)         %7d bytes (%d.%d KiB)\n' "$rsrc" $((rsrc / 1024)) $((rsrc % 1024 * 10 / 1024))

echo "== imports"
$objdump -p "$exe" | awk '
    /DLL Name:/ { if (dll) print ""; dll = $3; printf "  %s:", dll; next }
    dll && /^\t[0-9a-f]+\t +[0-9]+ +/ { printf " %s", $3 }
    END { print "" }'
echo

echo "== heap"
"$root/scripts/check_no_heap.sh" i686-w64-mingw32-nm "$build/liblumbex_core.a" \
    "$build/CMakeFiles/Uninstall.dir/app/main.cpp.obj" | sed 's/^/  /'

state="$build/bench"
"$root/scripts/winetest.sh" up "$state" >/dev/null
trap '"$root/scripts/winetest.sh" down "$state"' EXIT
echo "== timings under wine"
"$root/scripts/winetest.sh" run "$state" "$build/bench/lumbex_bench.exe" \
    "Z:$(echo "$exe" | tr / '\\')" 'C:\lumbex-bench'
