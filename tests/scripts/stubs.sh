# Shared by the script tests: a scratch folder, a PATH that holds only the
# plain tools a script uses plus stand-ins for the system's package manager,
# wine and the like, and small checks. Sourced, not run.
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# A fresh folder of tools: the plain ones linked from the system, nothing else.
fresh_bin() {
    bin="$scratch/bin.$1"
    rm -rf "$bin"
    mkdir -p "$bin"
    for tool in sh env cat sed grep head tail tr mkdir mktemp rm echo printf sleep kill \
        basename dirname cp touch setsid; do
        path=$(command -v "$tool" 2>/dev/null) || continue
        case "$path" in /*) ln -s "$path" "$bin/$tool" ;; esac
    done
}

# stub <name> <body>: a stand-in command in the current folder of tools.
stub() {
    printf '#!/bin/sh\n%s\n' "$2" >"$bin/$1"
    chmod +x "$bin/$1"
}

# check <what> <command...>: the command must succeed.
check() {
    what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

contains() {
    printf '%s' "$1" | grep -qF -- "$2"
}

lacks() {
    ! contains "$@"
}

# A process that has ended but was not reaped yet counts as gone.
gone() {
    [ ! -r "/proc/$1/stat" ] || grep -q ') Z' "/proc/$1/stat"
}

finish() {
    [ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
    echo "all passed"
}
