#!/bin/sh
# One wine prefix and one Xvfb display for a whole test run.
#   winetest.sh up <state>            boot the prefix (once) and start Xvfb
#   winetest.sh run <state> <exe> ... run a program in it; output goes through
#                                     a file, since wine's services inherit pipes
#   winetest.sh down <state>          save the registry, stop wine and Xvfb
#   winetest.sh env <state>           print the environment for a shell
set -u
cmd=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

export WINEPREFIX="$state/prefix"
# LUMBEX_WINE64=1: wine's 64-bit loader only, for a 64-bit build of the tests
# on machines whose kernel runs no 32-bit programs.
if [ "${LUMBEX_WINE64:-}" = 1 ]; then
    mkdir -p "$state/bin"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$state/bin/$name"
        chmod +x "$state/bin/$name"
    done
    export PATH="$state/bin:$PATH" WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
# No menu builder: shortcuts saved in the prefix must not reach the host's menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

start_display() {
    if [ -f "$state/display" ] && kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
        return 0
    fi
    rm -f "$state/display"
    exec 3>"$state/display.tmp"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    exec 3>&-
    i=0
    while [ ! -s "$state/display.tmp" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    if [ ! -s "$state/display.tmp" ]; then
        echo "Xvfb did not start" >&2
        cat "$state/xvfb.log" >&2
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid"
        return 1
    fi
    echo ":$(head -n1 "$state/display.tmp")" >"$state/display"
    rm -f "$state/display.tmp"
}

case "$cmd" in
up)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "booting wine prefix $WINEPREFIX"
        if ! DISPLAY= wineboot -i </dev/null >"$state/boot.log" 2>&1; then
            echo "wineboot failed; the end of $state/boot.log:" >&2
            tail -n 20 "$state/boot.log" >&2
            # Half a prefix would pass for a booted one next time.
            wineserver -k 2>/dev/null
            rm -rf "$WINEPREFIX"
            exit 1
        fi
        # A virtual desktop: wine draws window frames itself, so that
        # screenshots show captions although Xvfb runs no window manager.
        DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
            </dev/null >>"$state/boot.log" 2>&1
        DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
            </dev/null >>"$state/boot.log" 2>&1
        wineserver -w
    fi
    # Wine links Desktop, Documents and the like to $HOME, which every prefix
    # on the machine would then share; give each prefix folders of its own.
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link" && mkdir -p "$link"
        fi
    done
    start_display || exit 1
    DISPLAY=$(cat "$state/display") wineserver -p 60 </dev/null >"$state/wineserver.log" 2>&1
    echo "prefix $WINEPREFIX ready on display $(cat "$state/display")"
    ;;
run)
    export DISPLAY="$(cat "$state/display" 2>/dev/null)"
    log=$(mktemp "$state/run.XXXXXX")
    wine "$@" </dev/null >"$log" 2>&1
    rc=$?
    cat "$log"
    rm -f "$log"
    exit $rc
    ;;
env)
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES' DISPLAY='$(cat "$state/display" 2>/dev/null)'"
    ;;
down)
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
*)
    echo "usage: $0 up|run|env|down <state> ..." >&2
    exit 2
    ;;
esac
