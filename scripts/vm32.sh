#!/bin/sh
# Runs the shipped 32-bit Uninstall.exe in an emulated PC whose kernel runs
# 32-bit programs: Debian's own kernel and a Debian root with wine (32 and
# 64 bits) and Xvfb. The machine is made once and kept in LUMBEX_VM_CACHE
# (default /var/cache/lumbex-vm), outside any build folder: the first run
# takes minutes more (mostly downloads), later ones about a minute. Root only.
#   scripts/vm32.sh          builds the tool (i686) and the check, runs it
#   scripts/vm32.sh image    only makes the machine (root image, kernel, prefix)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMBEX_BUILD:-$root/build}
cache=${LUMBEX_VM_CACHE:-/var/cache/lumbex-vm}
suite=bookworm
# What the image holds; a change here makes a new image.
packages="wine wine32:i386 wine64 xvfb"
recipe="3 $suite $packages"

# The mirror the host's apt uses, else Debian's own.
mirror() {
    url=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
          grep -v security | head -n1)
    [ -n "$url" ] || url=$(sed -n 's/^deb  *\(\[[^]]*\]  *\)\{0,1\}\([^ ]*\) .*/\2/p' \
        /etc/apt/sources.list 2>/dev/null | grep -v security | head -n1)
    echo "${url:-http://deb.debian.org/debian}"
}

# A root file system with wine and Xvfb, the kernel and an initrd that mounts
# the root from the first virtio disk and hands over to /sbin/lumbex-init.
make_image() {
    work=$cache/work
    rm -rf "$work" "$cache/ready" "$cache/prefix-ready"
    mkdir -p "$work"
    fs=$work/root
    echo "vm32: debootstrap $suite from $(mirror)"
    debootstrap --variant=minbase --arch=amd64 "$suite" "$fs" "$(mirror)" \
        >"$work/debootstrap.log" 2>&1 || { tail -n 20 "$work/debootstrap.log" >&2; exit 1; }
    mount -t proc proc "$fs/proc"
    trap 'umount "$fs/proc" 2>/dev/null || true' EXIT
    chroot "$fs" dpkg --add-architecture i386
    chroot "$fs" apt-get update -qq >"$work/apt.log" 2>&1
    # The chroot runs on this host, which may refuse 32-bit programs: the
    # post-install steps that run one (libglib2.0-0:i386's) fail, harmlessly.
    chroot "$fs" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends $packages >>"$work/apt.log" 2>&1 || true
    chroot "$fs" env DEBIAN_FRONTEND=noninteractive dpkg --configure -a \
        >>"$work/apt.log" 2>&1 || true
    for file in /usr/lib/wine/wine /usr/lib/wine/wine64 /usr/bin/Xvfb; do
        [ -e "$fs$file" ] || { echo "vm32: $file missing, see $work/apt.log" >&2; exit 1; }
    done
    kernel=$(chroot "$fs" apt-cache depends linux-image-amd64 |
             sed -n 's/^ *Depends: \(linux-image-[^ ]*\)$/\1/p' | head -n1)
    chroot "$fs" sh -c "cd /tmp && apt-get download -qq $kernel" >>"$work/apt.log" 2>&1
    mv "$fs"/tmp/linux-image-*.deb "$work/"
    chroot "$fs" apt-get clean
    umount "$fs/proc"
    trap - EXIT
    dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
    cp "$work"/kernel/boot/vmlinuz-* "$cache/vmlinuz"
    make_initrd "$work/kernel" "$work/initrd" "$cache/initrd"
    cat >"$fs/sbin/lumbex-init" <<'INIT'
#!/bin/sh
# The guest's first process: the payload disk's runner does the work, its
# results go back on the results disk, and the machine powers off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null || true
mount -t tmpfs tmp /tmp
mkdir -p /dev/shm /tmp/payload /tmp/results
mount -t tmpfs shm /dev/shm
tar -xf /dev/vdb -C /tmp/payload
sh /tmp/payload/guest.sh /tmp/payload /tmp/results >/tmp/results/guest.log 2>&1
echo "guest exit $?" >>/tmp/results/guest.log
tar -cf /tmp/results.tar -C /tmp/results .
dd if=/tmp/results.tar of=/dev/vdc bs=1M conv=fsync 2>/dev/null
sync
mount -o remount,ro / 2>/dev/null
echo o >/proc/sysrq-trigger
sleep 60  # the first process must not end before the power does
INIT
    chmod +x "$fs/sbin/lumbex-init"
    # Room for the wine prefix and the runs' files.
    size=$(( $(du -sm "$fs" | cut -f1) + 1536 ))
    rm -f "$work/root.img"
    mkfs.ext4 -q -F -d "$fs" -L lumbex "$work/root.img" "${size}M" >/dev/null
    mv "$work/root.img" "$cache/root.img"
    echo "$recipe" >"$cache/ready"
    rm -rf "$work"
}

# The initrd: busybox and the four modules (with what they need) that reach
# an ext4 root on a virtio disk.
make_initrd() {
    tree=$1 dir=$2 out=$3
    rm -rf "$dir"
    mkdir -p "$dir/bin" "$dir/lib" "$dir/dev" "$dir/proc" "$dir/sys" "$dir/newroot"
    cp /bin/busybox "$dir/bin/busybox"
    modules=$(ls -d "$tree"/lib/modules/*)
    order=""
    add_module() {
        file=$(find "$modules/kernel" -name "$1.ko*" | head -n1)
        [ -n "$file" ] || return 0  # built into the kernel
        case " $order " in *" $1 "*) return 0 ;; esac
        case "$file" in
        *.xz) xz -dc "$file" >"$dir/lib/$1.ko" ;;
        *) cp "$file" "$dir/lib/$1.ko" ;;
        esac
        # What it needs comes first.
        for dep in $(tr '\0' '\n' <"$dir/lib/$1.ko" | sed -n 's/^depends=//p' | tr ',' ' '); do
            add_module "$dep"
        done
        order="$order $1"
    }
    for m in virtio_pci virtio_blk crc32c_generic ext4; do add_module "$m"; done
    cat >"$dir/init" <<INIT
#!/bin/busybox sh
/bin/busybox mount -t proc proc /proc
/bin/busybox mount -t devtmpfs dev /dev
for m in $order; do /bin/busybox insmod /lib/\$m.ko; done
i=0
while [ ! -b /dev/vda ] && [ \$i -lt 100 ]; do /bin/busybox sleep 0.1; i=\$((i + 1)); done
/bin/busybox mount -t ext4 /dev/vda /newroot || /bin/busybox sh
/bin/busybox umount /proc /dev
exec /bin/busybox switch_root /newroot /sbin/lumbex-init
INIT
    chmod +x "$dir/init"
    (cd "$dir" && find . | cpio -o -H newc --quiet | gzip -9) >"$out"
}

if [ "$(id -u)" -ne 0 ]; then
    echo "vm32: making and booting the machine takes root (debootstrap, chroot)" >&2
    exit 1
fi
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 || "$root/scripts/deps.sh"
# The emulator and what makes the machine, when missing.
missing=""
for p in qemu-system-x86 debootstrap busybox-static cpio e2fsprogs xz-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "vm32: installing$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

mkdir -p "$cache"
# One run at a time makes or changes the machine; others wait for it.
exec 9>"$cache/lock"
flock 9
if [ "$(cat "$cache/ready" 2>/dev/null)" != "$recipe" ]; then
    start=$(date +%s)
    make_image
    echo "vm32: machine made in $(( $(date +%s) - start )) s"
fi

# One boot of the machine with this payload folder; the results land in out.
# "write" boots the image itself (to keep what the run made), else a
# throw-away copy of it.
boot() {
    files=$1 run=$2 mode=$3
    rm -rf "$run" && mkdir -p "$run"
    tar -cf "$run/payload.tar" -C "$files" .
    truncate -s %1M "$run/payload.tar"
    truncate -s 64M "$run/results.img"
    snapshot=",snapshot=on"
    [ "$mode" = write ] && snapshot=""
    timeout "${LUMBEX_VM_TIMEOUT:-2400}" qemu-system-x86_64 -accel tcg -cpu max,smap=off \
        -smp 2 -m 2048 -display none -monitor none -no-reboot \
        -serial "file:$run/console.log" \
        -kernel "$cache/vmlinuz" -initrd "$cache/initrd" \
        -append "console=ttyS0 quiet panic=1" \
        -drive "file=$cache/root.img,format=raw,if=virtio$snapshot" \
        -drive "file=$run/payload.tar,format=raw,if=virtio,readonly=on" \
        -drive "file=$run/results.img,format=raw,if=virtio" </dev/null ||
        echo "vm32: the emulator ended with status $?" >&2
    mkdir -p "$run/results"
    tar -xf "$run/results.img" -C "$run/results" 2>/dev/null || true
    rm -f "$run/payload.tar" "$run/results.img"
}

# The step's status as the guest recorded it ("" if it never got there).
status() {
    sed -n "s/^$1 //p" "$2/results/status" 2>/dev/null
}

payload() {
    rm -rf "$1" && mkdir -p "$1/fixtures/product"
    cp "$root/scripts/winetest.sh" "$1/"
    cp "$root/scripts/vm32-guest.sh" "$1/guest.sh"
    echo "$2" >"$1/mode"
}

out=$build/vm32
if [ ! -f "$cache/prefix-ready" ]; then
    echo "vm32: booting the wine prefix inside the image (once)"
    payload "$out/payload" prefix
    start=$(date +%s)
    boot "$out/payload" "$out/prefix" write
    if [ "$(status prefix "$out/prefix" | cut -d' ' -f1)" != 0 ]; then
        echo "vm32: the prefix did not boot; the guest's log:" >&2
        cat "$out/prefix/results/guest.log" "$out/prefix/console.log" >&2 || true
        exit 1
    fi
    echo "vm32: prefix ready after $(( $(date +%s) - start )) s ($(status prefix "$out/prefix"))"
    touch "$cache/prefix-ready"
fi
[ "${1:-}" = image ] && exit 0

# The shipped executable, the check and the product's stand-ins: 32-bit.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j2 --target Uninstall lumbex_vm_check archiver >/dev/null
payload "$out/payload" check
cp "$build/Uninstall.exe" "$build/tests/lumbex_vm_check.exe" "$out/payload/"
cp "$build"/tests/fixtures/product/* "$out/payload/fixtures/product/"
mkdir -p "$out/payload/screenshots"
echo "vm32: running the shipped Uninstall.exe (32-bit, WoW64) in the emulated PC"
start=$(date +%s)
boot "$out/payload" "$out/check" snapshot
results=$out/check/results
for step in before restart after; do
    echo "---- $step"
    cat "$results/$step.log" 2>/dev/null || echo "(no output)"
done
echo "---- guest"
cat "$results/guest.log" 2>/dev/null || tail -n 30 "$out/check/console.log" 2>/dev/null || true

passed=0 failed=0
for step in before after; do
    count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$results/$step.log" 2>/dev/null)
    passed=$((passed + ${count:-0}))
    if [ "$(status $step "$out/check")" != 0 ]; then
        count=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$results/$step.log" 2>/dev/null)
        failed=$((failed + ${count:-1}))
    fi
done
[ "$(status restart "$out/check")" = 0 ] || { echo "vm32: wineboot -r failed"; failed=$((failed + 1)); }
# The options dialog as the screen showed it: more than a blank rectangle.
shots=$out/screenshots
rm -rf "$shots" && mkdir -p "$shots"
shot=$results/options_dialog.bmp
if [ -f "$shot" ] && convert "$shot" "$shots/options_dialog.png" &&
    [ "$(convert "$shot" -format %k info:)" -gt 8 ]; then
    echo "vm32: the options dialog's screenshot: $shots/options_dialog.png"
    passed=$((passed + 1))
else
    echo "vm32: no screenshot of the options dialog with anything on it"
    failed=$((failed + 1))
fi
guest=$(awk '$1 == "start" { s = $2 } $1 == "after" { print $2 - s }' "$results/times" 2>/dev/null || true)
echo "vm32: $(( $(date +%s) - start )) s, of which ${guest:-?} s in the guest's wine"
echo "vm32: $passed passed, $failed failed"
[ $failed = 0 ]
