#!/bin/sh
# scripts/vm32.sh against a stand-in for the emulator, with the machine taken
# as made: what the guest reports decides the run, and every boot gets a
# throw-away copy of the image.
. "$(dirname "$0")/stubs.sh"

fresh_bin vm32
for tool in tar truncate awk date cut flock; do ln -s "$(command -v $tool)" "$bin/$tool"; done
stub id 'echo 0'
stub i686-w64-mingw32-g++-posix 'exit 0'
stub dpkg-query "echo 'install ok installed'"
stub cmake 'exit 0'
stub timeout 'shift; exec "$@"'
stub convert '[ "$2" = -format ] && echo 200 || cp "$1" "$2"'
# The guest's results are what $scratch/guest holds, written to the last disk.
stub qemu-system-x86_64 "echo \"\$*\" >'$scratch/qemu.args'
for a; do case \$a in *results.img*) disk=\${a#file=}; disk=\${disk%%,*} ;; esac; done
tar -cf \"\$disk\" -C '$scratch/guest' ."
cache=$scratch/cache
mkdir -p "$cache" "$scratch/build/tests/fixtures/product"
eval "$(grep -E '^(suite|packages|recipe)=' "$root/scripts/vm32.sh")"
echo "$recipe" >"$cache/ready"
: >"$cache/prefix-ready"
: >"$scratch/build/Uninstall.exe"
: >"$scratch/build/tests/lumbex_vm_check.exe"
: >"$scratch/build/tests/fixtures/product/Lumbex.exe"

# guest <status lines> <passed before> <failed before>: what the guest reports.
guest() {
    rm -rf "$scratch/guest" && mkdir -p "$scratch/guest"
    printf "$1" >"$scratch/guest/status"
    echo "[  PASSED  ] $2 tests." >"$scratch/guest/before.log"
    [ "$3" = 0 ] || echo "[  FAILED  ] $3 test, listed below:" >>"$scratch/guest/before.log"
    echo "[  PASSED  ] 1 test." >"$scratch/guest/after.log"
    echo "bitmap" >"$scratch/guest/options_dialog.bmp"
}

run() {
    output=$(LUMBEX_BUILD="$scratch/build" LUMBEX_VM_CACHE="$cache" PATH="$bin" \
        sh "$root/scripts/vm32.sh" 2>&1)
    status=$?
}

guest 'before 0\nrestart 0\nafter 0\n' 4 0
run
check "a guest whose steps all passed passes" [ "$status" -eq 0 ]
check "and counts its tests and the screenshot" contains "$output" "6 passed, 0 failed"
args=$(cat "$scratch/qemu.args")
check "the image is booted as a throw-away copy" contains "$args" "root.img,format=raw,if=virtio,snapshot=on"
check "on a processor without SMAP, two at most" contains "$args" "-cpu max,smap=off -smp 2"

guest 'before 1\nrestart 0\nafter 0\n' 3 1
run
check "a failed test fails the run" [ "$status" -ne 0 ]
check "and is counted" contains "$output" "5 passed, 1 failed"

guest '' 0 0
rm -f "$scratch/guest/status" "$scratch/guest/options_dialog.bmp"
run
check "a guest that reported nothing fails the run" [ "$status" -ne 0 ]
check "each missing step a failure" contains "$output" "1 passed, 4 failed"
finish
