#!/bin/sh
# Inside the emulated PC of scripts/vm32.sh: boots the wine prefix (the
# machine's first run keeps it in the image), or runs the shipped tool's
# check around a restart of the prefix. Results go to the folder given.
#   vm32-guest.sh <payload> <results>     the payload's file "mode" says which
payload=$1 results=$2
state=/root/lumbex
winetest="sh $payload/winetest.sh"
mark() { echo "$1 $(date +%s)" >>"$results/times"; }

mark start
if [ "$(cat "$payload/mode")" = prefix ]; then
    # wineboot gives the prefix's services half a minute to start, which an
    # emulated processor on a busy host can miss: a failed boot is retried.
    for try in 1 2 3; do
        $winetest up "$state" && break
    done
    $winetest down "$state"
    [ -f "$state/prefix/system.reg" ]
    echo "prefix $? after $try" >>"$results/status"
    mark prefix
    exit 0
fi
$winetest up "$state" || { echo "up 1" >>"$results/status"; exit 1; }
mark up
check() {
    $winetest run "$state" "$payload/lumbex_vm_check.exe" --tool="$payload/Uninstall.exe" \
        --fixtures="$payload/fixtures" --gtest_filter="$1" >"$results/$2.log" 2>&1
    echo "$2 $?" >>"$results/status"
    mark "$2"
}
check 'Shipped.*' before
# A restart: what was scheduled for it goes.
eval "$($winetest env "$state")"
wineboot -r </dev/null >"$results/restart.log" 2>&1
echo "restart $?" >>"$results/status"
mark restart
check 'AfterRestart.*' after
$winetest down "$state"
cp "$payload"/screenshots/* "$results/" 2>/dev/null
exit 0
