#!/bin/sh
# What is shipped, built once more from a clean copy of the source in other
# folders at a later time, must come out byte for byte as in the build tree,
# with no link time in its header and the checksum its bytes call for.
#   reproducible_test.sh <cmake> <python3> <build type> <build tree>
. "$(dirname "$0")/stubs.sh"
cmake=$1
python=$2
type=$3
tree=$4
again="$scratch/again.build"
shipped="Uninstall.exe lang/de/kezlng.dll"

# A clean copy: no version control, no build folder.
build() {
    mkdir -p "$again/src"
    tar -C "$root" --exclude-vcs --exclude-tag-all=CMakeCache.txt -cf - . |
        tar -C "$again/src" -xf -
    "$cmake" -S "$again/src" -B "$again/out" -DCMAKE_BUILD_TYPE="$type" \
        -DCMAKE_TOOLCHAIN_FILE="$again/src/cmake/mingw-i686.cmake" -DLUMBEX_TESTS=OFF \
        >"$again/log" 2>&1 &&
        "$cmake" --build "$again/out" -j2 --target Uninstall kezlng >>"$again/log" 2>&1 ||
        { cat "$again/log"; return 1; }
}

check "the shipped files built again elsewhere" build
for file in $shipped; do
    # A build tree older than its source differs too: build before testing.
    check "$file: the same bytes as in the build tree" cmp "$tree/$file" "$again/out/$file"
    header=$("$python" "$root/tests/scripts/pe_header.py" "$again/out/$file")
    echo "$file: $header"
    check "$file: no link time" contains "$header" "time=00000000"
    sum=$(echo "$header" | sed -n 's/.*checksum=\([0-9a-f]*\).*/\1/p')
    check "$file: the checksum its bytes call for" contains "$header" "computed=$sum"
done
finish
