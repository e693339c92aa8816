#!/bin/sh
# Installs the Debian or Ubuntu packages that building, testing and the demo
# need, when any of them is missing. "deps.sh --list" prints their names.
set -e
packages="cmake make python3 g++ g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
binutils-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix
gcc-mingw-w64-x86-64-posix googletest wine wine64 wine32:i386 xvfb
imagemagick nsis osslsigncode openssl"
# The fuzzers need clang and its fuzzer runtime of the same version: the
# release's clang, and the runtime package that belongs to it.
# N is clang's major version; releases before the split ship that runtime
# in libclang-common-N-dev, which clang-N depends on.
fuzzer_packages="clang libclang-rt-N-dev"

if [ "${1:-}" = "--list" ]; then
    echo $packages $fuzzer_packages
    exit 0
fi

# Whether clang can build a fuzzer, which needs the runtime of its version.
fuzzer_builds() {
    command -v clang++ >/dev/null 2>&1 || return 1
    dir=$(mktemp -d)
    printf '%s\n' 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
        >"$dir/probe.cpp"
    if clang++ -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" \
        >/dev/null 2>&1; then
        rm -rf "$dir"
        return 0
    fi
    rm -rf "$dir"
    return 1
}

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    found=yes
    for command in cmake make python3 g++ i686-w64-mingw32-g++ wine Xvfb convert makensis \
        osslsigncode openssl; do
        command -v "$command" >/dev/null 2>&1 || found=no
    done
    [ -d /usr/src/googletest ] || found=no
    [ "$found" = yes ] && fuzzer_builds && exit 0
    echo "scripts/deps.sh installs what is missing on Debian or Ubuntu only." >&2
    echo "Here, install by hand what these Debian packages provide:" >&2
    echo "  $(echo $packages $fuzzer_packages)" >&2
    echo "(GoogleTest sources in /usr/src/googletest; wine with 32-bit support.)" >&2
    exit 1
fi

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=""
for p in $packages; do
    installed "$p" || missing="$missing $p"
done
need_fuzzer=""
fuzzer_builds || need_fuzzer=yes
[ -z "$missing" ] && [ -z "$need_fuzzer" ] && exit 0

# The clang that is there, else the release's default one.
clang_version() {
    if command -v clang++ >/dev/null 2>&1; then
        clang++ --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n1
    else
        apt-cache depends clang 2>/dev/null |
            sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n1
    fi
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
if [ -n "$need_fuzzer" ]; then
    version=$(clang_version)
    if [ -z "$version" ]; then
        echo "no clang package found for this release" >&2
        exit 1
    fi
    runtime=libclang-rt-$version-dev
    apt-cache show "$runtime" >/dev/null 2>&1 || runtime=libclang-common-$version-dev
    command -v clang++ >/dev/null 2>&1 || missing="$missing clang"
    missing="$missing $runtime"
fi
echo "installing:$missing"
# sudo passes no variables on by default: env sets it on the far side.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
