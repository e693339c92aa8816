#!/bin/sh
# Installs the Debian packages that building, testing and the demo need,
# when any of them is missing.
set -e
packages="cmake make python3 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
binutils-mingw-w64-i686 mingw-w64-i686-dev googletest wine wine64 wine32:i386 xvfb
imagemagick clang libclang-rt-14-dev"

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=""
for p in $packages; do
    installed "$p" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
