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
# Each section's contents and what it takes in the file (whole 512-byte
# blocks; .bss takes none), from the section table itself.
python3 - "$exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
count = struct.unpack_from("<H", data, pe + 6)[0]
table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
headers = struct.unpack_from("<I", data, pe + 24 + 60)[0]
print("  %-8s %8s %8s" % ("section", "contents", "in file"))
print("  %-8s %8s %8d" % ("headers", "", headers))
rsrc = 0
for i in range(count):
    name, virtual, _, raw = struct.unpack_from("<8sIII", data, table + 40 * i)
    name = name.rstrip(b"\0").decode()
    print("  %-8s %8d %8d" % (name, virtual, raw))
    if name == ".rsrc":
        rsrc = raw
whole = len(data)
def kib(n):
    return "%d bytes (%.1f KiB)" % (n, n / 1024)
print("  whole file                 " + kib(whole))
print("  file without .rsrc         " + kib(whole - rsrc))
print("  resources (.rsrc)          " + kib(rsrc))
PY

echo "== imports"
$objdump -p "$exe" | awk '
    /DLL Name:/ { if (dll) print ""; dll = $3; printf "  %s:", dll; next }
    dll && /^\t[0-9a-f]+\t +[0-9]+ +/ { printf " %s", $3 }
    END { print "" }'
echo

echo "== heap"
"$root/scripts/check_no_heap.sh" i686-w64-mingw32-nm "$build/liblumbex_core.a" \
    "$build/CMakeFiles/Uninstall.dir/app/main.cpp.obj" \
    "$build/CMakeFiles/Uninstall.dir/app/runtime.cpp.obj" | sed 's/^/  /'

# A kernel that runs no 32-bit programs cannot start wine's 32-bit loader:
# the timings then come from the 64-bit build under wine's 64-bit loader.
# Its ratios to the baselines, built the same way, are what they measure.
timed=$build
if ! wine --version >/dev/null 2>&1; then
    timed=$build/x64
    export LUMBEX_WINE64=1
    cmake -S "$root" -B "$timed" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        >/dev/null
    cmake --build "$timed" -j2 --target Uninstall lumbex_bench >/dev/null
fi
state="$timed/bench"
"$root/scripts/winetest.sh" up "$state" >/dev/null
trap '"$root/scripts/winetest.sh" down "$state"' EXIT
if [ "$timed" = "$build" ]; then
    echo "== timings under wine"
else
    echo "== timings under wine64, of the 64-bit build (this machine runs no 32-bit programs)"
fi
"$root/scripts/winetest.sh" run "$state" "$timed/bench/lumbex_bench.exe" \
    "Z:$(echo "$timed/Uninstall.exe" | tr / '\\')" 'C:\lumbex-bench'
