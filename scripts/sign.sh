#!/bin/sh
# Signs a built executable with Authenticode (SHA-256) through osslsigncode.
#   sign.sh --pkcs12 FILE [options] INPUT OUTPUT
#   sign.sh --pkcs11-module MODULE --key URI --certs FILE [options] INPUT OUTPUT
# Options:
#   --pass-file FILE    the PKCS#12 password or the token's PIN, in the first
#                       line of FILE; else LUMBEX_SIGN_PASSWORD when set
#   --pkcs11-engine SO  the OpenSSL engine for the token, when not the default
#   --timestamp URL     an RFC 3161 time-stamp server; may be given again as
#                       a fallback
#   --name TEXT         the program name the elevation prompt shows
#   --url URL           the publisher's address
# OUTPUT may be INPUT. Keys and passwords are never taken from inside the
# source tree: a copy there is one commit away from being published.
# No globbing: addresses may hold "?" and "*".
set -euf
root=$(cd "$(dirname "$0")/.." && pwd -P)

usage() {
    sed -n '2,14s/^# \{0,1\}//p' "$0" >&2
    exit 2
}
fail() {
    echo "sign.sh: $*" >&2
    exit 1
}
# A secret's file must lie outside the source tree, and exist.
secret() {
    where=$(cd "$(dirname "$1")" 2>/dev/null && pwd -P) || fail "no file $1"
    case "$where/" in
    "$root"/*) fail "$1 lies inside the source tree; keep keys and passwords outside it" ;;
    esac
    [ -f "$1" ] || fail "no file $1"
}

pkcs12="" module="" engine="" key="" certs="" passfile=""
name="Lumbex setup" url="http://www.lumbex.example/" stamps=""
while [ $# -gt 2 ]; do
    [ $# -ge 4 ] || usage
    case "$1" in
    --pkcs12) pkcs12=$2 ;;
    --pkcs11-module) module=$2 ;;
    --pkcs11-engine) engine=$2 ;;
    --key) key=$2 ;;
    --certs) certs=$2 ;;
    --pass-file) passfile=$2 ;;
    --timestamp) stamps="$stamps -ts $2" ;;
    --name) name=$2 ;;
    --url) url=$2 ;;
    *) usage ;;
    esac
    shift 2
done
[ $# -eq 2 ] || usage
input=$1
output=$2
[ -f "$input" ] || fail "no file $input"
command -v osslsigncode >/dev/null 2>&1 || fail "osslsigncode is missing (Debian package osslsigncode)"

if [ -n "$pkcs12" ] && [ -z "$module$key$certs$engine" ]; then
    secret "$pkcs12"
    set -- -pkcs12 "$pkcs12"
elif [ -n "$module" ] && [ -n "$key" ] && [ -n "$certs" ] && [ -z "$pkcs12" ]; then
    [ -f "$certs" ] || fail "no file $certs"
    set -- -pkcs11module "$module" -key "$key" -certs "$certs"
    [ -z "$engine" ] || set -- -pkcs11engine "$engine" "$@"
else
    echo "sign.sh: give either --pkcs12, or --pkcs11-module with --key and --certs" >&2
    usage
fi

# Written beside the output and moved over it only once signed, so that a
# failed run leaves no half-signed file behind.
partial="$output.signing"
trap 'rm -f "$partial"' EXIT
rm -f "$partial"
# Passwords go through a file or standard input, never the command line that
# every user can read in the process list.
# shellcheck disable=SC2086
if [ -n "$passfile" ]; then
    secret "$passfile"
    osslsigncode sign "$@" -readpass "$passfile" -h sha256 -n "$name" -i "$url" $stamps \
        -in "$input" -out "$partial"
elif [ -n "${LUMBEX_SIGN_PASSWORD+set}" ]; then
    printf '%s\n' "$LUMBEX_SIGN_PASSWORD" |
        osslsigncode sign "$@" -readpass - -h sha256 -n "$name" -i "$url" $stamps \
            -in "$input" -out "$partial"
else
    osslsigncode sign "$@" -h sha256 -n "$name" -i "$url" $stamps \
        -in "$input" -out "$partial" </dev/null
fi
mv -f "$partial" "$output"
