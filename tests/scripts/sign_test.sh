#!/bin/sh
# scripts/sign.sh with a throw-away certificate: the signed copy verifies,
# gives back the unsigned bytes when the signature is removed, takes a stamp
# from a time-stamp server; against a stand-in for osslsigncode, what reaches
# it from a token, time-stamp servers and a password. Given a wine state and
# trust.exe, the checks under wine instead: the signed copy runs as before
# and the system's trust provider sees its signature.
#   sign_test.sh <Uninstall.exe> <python3> [<wine state> <trust.exe>]
. "$(dirname "$0")/stubs.sh"
exe=$1
python=$2
state=${3:-}
trust=${4:-}
sign="$root/scripts/sign.sh"
keys="$scratch/keys"
mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" \
    -subj "/CN=Lumbex test signer" -days 2 -addext extendedKeyUsage=codeSigning \
    >/dev/null 2>&1
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/signer.p12" \
    -passout pass:throwaway
printf 'throwaway\n' >"$keys/password"

cp "$exe" "$scratch/unsigned.exe"
LUMBEX_SIGN_PASSWORD=throwaway sh "$sign" --pkcs12 "$keys/signer.p12" "$exe" \
    "$scratch/signed.exe" >/dev/null
check "signing a copy works" [ -f "$scratch/signed.exe" ]
cp "$scratch/signed.exe" "$scratch/tampered.exe"
printf '\220' | dd of="$scratch/tampered.exe" bs=1 seek=5000 conv=notrunc 2>/dev/null

if [ -n "$state" ]; then
    # Under wine: the system's trust provider finds no signature in the built
    # file, accepts the signed copy's (wine does not ask whether the root is
    # trusted, Windows would: 800b0109) and rejects the changed copy's digest;
    # the signed copy runs as the built one does (no list file: 1603).
    windows() {
        printf 'Z:%s' "$1" | tr / '\\'
    }
    run_trust() {
        sh "$root/scripts/winetest.sh" run "$state" "$trust" "$(windows "$1")" $2 | tr -d '\r'
    }
    cp "$exe" "$scratch/built.exe"
    built=$(run_trust "$scratch/built.exe" "/uninstall /s")
    signed=$(run_trust "$scratch/signed.exe" "/uninstall /s")
    tampered=$(run_trust "$scratch/tampered.exe")
    echo "built: $built" | tr '\n' ' '; echo
    echo "signed: $signed" | tr '\n' ' '; echo
    echo "changed: $tampered"
    check "wine: the built file has no signature" contains "$built" "trust=800b0100"
    check "wine: the signed copy's signature holds" \
        eval 'contains "$signed" trust=00000000 || contains "$signed" trust=800b0109'
    check "wine: a changed byte breaks the digest" contains "$tampered" "trust=80096010"
    check "wine: the built file runs" contains "$built" "exit=1603"
    check "wine: the signed copy runs the same" contains "$signed" "exit=1603"
    finish
    exit 0
fi

check "and leaves the built file as it was" cmp "$exe" "$scratch/unsigned.exe"
verified=$(osslsigncode verify -CAfile "$keys/cert.pem" -in "$scratch/signed.exe" 2>&1)
check "the signature verifies" contains "$verified" "Signature verification: ok"
check "with SHA-256" contains "$verified" "Message digest algorithm  : SHA256"
check "by the signer" contains "$verified" "Subject: /CN=Lumbex test signer"
check "naming the program" contains "$verified" "Text description: Lumbex setup"
header=$("$python" "$root/tests/scripts/pe_header.py" "$scratch/signed.exe")
sum=$(echo "$header" | sed -n 's/.*checksum=\([0-9a-f]*\).*/\1/p')
check "the signed copy's checksum fits its bytes" contains "$header" "computed=$sum"
osslsigncode remove-signature -in "$scratch/signed.exe" -out "$scratch/stripped.exe" >/dev/null
check "without the signature: the built bytes" cmp "$exe" "$scratch/stripped.exe"

check "a changed byte fails the verification" \
    lacks "$(osslsigncode verify -CAfile "$keys/cert.pem" -in "$scratch/tampered.exe" 2>&1)" \
    "Signature verification: ok"

sh "$sign" --pkcs12 "$keys/signer.p12" --pass-file "$keys/password" "$scratch/unsigned.exe" \
    "$scratch/unsigned.exe" >/dev/null
check "a password from a file; the input signed in place" \
    contains "$(osslsigncode verify -CAfile "$keys/cert.pem" -in "$scratch/unsigned.exe" 2>&1)" \
    "Signature verification: ok"
printf 'wrong\n' >"$keys/wrong"
sh "$sign" --pkcs12 "$keys/signer.p12" --pass-file "$keys/wrong" "$exe" "$scratch/bad.exe" \
    >/dev/null 2>&1
status=$?
check "a wrong password fails" [ "$status" -ne 0 ]
check "and leaves no file" [ ! -e "$scratch/bad.exe" -a ! -e "$scratch/bad.exe.signing" ]
output=$(sh "$sign" --pkcs12 "$root/signer.p12" "$exe" "$scratch/planted.exe" 2>&1)
status=$?
check "a key in the source tree is refused" [ "$status" -ne 0 ]
check "saying why" contains "$output" "inside the source tree"
output=$(sh "$sign" "$exe" "$scratch/nokey.exe" 2>&1)
status=$?
check "no key: a failure that tells how to give one" [ "$status" -ne 0 ]
check "naming both ways" contains "$output" "--pkcs11-module"

# A time-stamp server on the loopback, with a throw-away authority.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/tsa.key" -out "$keys/tsa.pem" \
    -subj "/CN=Lumbex test time stamps" -days 2 -addext extendedKeyUsage=critical,timeStamping \
    >/dev/null 2>&1
echo 01 >"$keys/serial"
cat >"$keys/tsa.cnf" <<EOF
[ tsa ]
default_tsa = lumbex
[ lumbex ]
serial = $keys/serial
crypto_device = builtin
signer_cert = $keys/tsa.pem
signer_key = $keys/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
"$python" "$root/tests/scripts/time_stamp_server.py" "$keys/tsa.cnf" >"$scratch/port" &
server=$!
i=0
while [ ! -s "$scratch/port" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
stamps="http://127.0.0.1:$(cat "$scratch/port")/"
LUMBEX_SIGN_PASSWORD=throwaway sh "$sign" --pkcs12 "$keys/signer.p12" --timestamp "$stamps" \
    "$exe" "$scratch/stamped.exe" >/dev/null
verified=$(osslsigncode verify -CAfile "$keys/cert.pem" -TSA-CAfile "$keys/tsa.pem" \
    -in "$scratch/stamped.exe" 2>&1)
check "a time-stamped signature verifies" contains "$verified" "Signature verification: ok"
check "with the server's stamp" contains "$verified" "Timestamp Server Signature verification: ok"
kill "$server"
wait "$server" 2>/dev/null
LUMBEX_SIGN_PASSWORD=throwaway sh "$sign" --pkcs12 "$keys/signer.p12" --timestamp "$stamps" \
    "$exe" "$scratch/unstamped.exe" >/dev/null 2>&1
status=$?
check "no time-stamp server: a failure" [ "$status" -ne 0 ]
check "and no file without a stamp" [ ! -e "$scratch/unstamped.exe" ]

# A token and time-stamp servers, as osslsigncode is told of them.
fresh_bin token
stub osslsigncode "printf '%s|' \"\$@\" >'$scratch/args'; cat >'$scratch/stdin'
for last; do :; done; printf signed >\"\$last\""
PATH="$bin:$PATH" LUMBEX_SIGN_PASSWORD=1234 sh "$sign" --pkcs11-module /lib/token.so \
    --key "pkcs11:object=signer;type=private" --certs "$keys/cert.pem" \
    --timestamp "http://stamp.example/?a=*" --timestamp http://backup.example/ \
    "$exe" "$scratch/token.exe"
args=$(cat "$scratch/args")
check "the token's module, key and certificates" \
    contains "$args" "-pkcs11module|/lib/token.so|-key|pkcs11:object=signer;type=private|-certs|$keys/cert.pem|"
check "the PIN through standard input" contains "$args" "|-readpass|-|"
check "and nowhere on the command line" lacks "$args" "1234"
check "which gets it" [ "$(cat "$scratch/stdin")" = 1234 ]
check "SHA-256" contains "$args" "|-h|sha256|"
check "both servers, in order, their addresses unchanged" \
    contains "$args" "|-ts|http://stamp.example/?a=*|-ts|http://backup.example/|"
check "the signed file in place" [ "$(cat "$scratch/token.exe")" = signed ]

finish
