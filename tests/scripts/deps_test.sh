#!/bin/sh
# scripts/deps.sh against stand-ins for sudo, dpkg, apt and clang: what it
# would install, how, and what it says where it cannot.
. "$(dirname "$0")/stubs.sh"

base="cmake make python3 g++ g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
binutils-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix
gcc-mingw-w64-x86-64-posix googletest wine wine64 wine32:i386 xvfb
imagemagick nsis osslsigncode openssl"

# A Debian-like system with these packages installed, a user who is not root,
# and a sudo that passes no variables on, as sudo does by default.
debian() {
    fresh_bin "$1"
    printf '%s\n' $2 >"$scratch/installed"
    : >"$scratch/apt.log"
    stub id 'echo 1000'
    stub sudo 'exec env -i PATH="$PATH" "$@"'
    stub dpkg-query "grep -qx \"\$3\" '$scratch/installed' && echo 'install ok installed'"
    stub dpkg '[ "$1" = --print-foreign-architectures ] && echo i386; exit 0'
    stub apt-get "echo \"DEBIAN_FRONTEND=\${DEBIAN_FRONTEND:-} \$*\" >>'$scratch/apt.log'"
    stub apt-cache 'case "$*" in
"depends clang") printf "clang\n  Depends: clang-18\n" ;;
"show libclang-rt-18-dev") exit 0 ;;
*) exit 100 ;;
esac'
}

# A clang of this version whose fuzzer build succeeds (0) or fails (1).
clang() {
    stub clang++ "[ \"\$1\" = --version ] && { echo 'Ubuntu clang version $1.0.1'; exit 0; }; exit $2"
}

run() {
    output=$(PATH="$bin" sh "$root/scripts/deps.sh" 2>&1)
    status=$?
    apt=$(cat "$scratch/apt.log" 2>/dev/null)
}

debian complete "$base clang libclang-rt-14-dev"
clang 14 0
run
check "nothing missing: exit 0" [ "$status" -eq 0 ]
check "nothing missing: apt not used" [ -z "$apt" ]

debian xvfb "$(echo $base | sed 's/ xvfb//') clang libclang-rt-14-dev"
clang 14 0
run
check "a missing package is installed" contains "$apt" "install -y -qq --no-install-recommends"
check "the installation is non-interactive through sudo" \
    contains "$apt" "DEBIAN_FRONTEND=noninteractive install"
check "only the missing package" contains "$apt" "recommends xvfb"

debian packaging "$(echo $base | sed 's/ nsis osslsigncode//') clang libclang-rt-14-dev"
clang 14 0
run
check "the packaging tools when missing, and only they" \
    contains "$apt" "recommends nsis osslsigncode"
check "and no more" [ "$(echo "$apt" | tail -n 1 | sed 's/.*recommends //')" = "nsis osslsigncode" ]

debian noclang "$base"
run
check "without clang: the release's clang" contains "$apt" " clang "
check "with the fuzzer runtime of its version" contains "$apt" "libclang-rt-18-dev"
check "and of no other version" lacks "$apt" "libclang-rt-14-dev"

debian oldclang "$base"
clang 16 1
run
check "a clang without its runtime gets the runtime of its version" \
    contains "$apt" "libclang-common-16-dev"
check "and keeps its version" lacks "$apt" " clang "

fresh_bin nodpkg
stub id 'echo 1000'
run
check "without dpkg and apt: a failure" [ "$status" -ne 0 ]
check "that names the systems it serves" contains "$output" "Debian or Ubuntu"
check "and what to install by hand" contains "$output" "g++-mingw-w64-i686-posix"
check "and no missing command" lacks "$output" "not found"

names=$(sh "$root/scripts/deps.sh" --list)
check "the list names the packages" contains "$names" "wine32:i386"
for name in $names; do
    check "README names $name" grep -qF -- "\`$name\`" "$root/README.md"
done
finish
