#!/usr/bin/env bash
# Gives one program file of the Windows release its Authenticode signature,
# in place: the detached signature DIR/NAME.pem, attached with osslsigncode
# as anyone's build attaches it. A signature not in DIR yet comes from the
# signatures' tar that RUVENTO_SIGNATURES names, or else is made with the
# maintainer's key (scripts/sign-release.sh says where it comes from), once:
# a file packed again gets the same signature. The release's packing runs it
# for each exe and DLL of the program folder, for the uninstaller while NSIS
# makes it, and for the setup program.
#   scripts/sign-file.sh DIR NAME FILE
set -euo pipefail
# shellcheck source=scripts/settings.sh
source "$(dirname "${BASH_SOURCE[0]}")/settings.sh"
dir="$1" name="$2" file="$3"
signature="$dir/$name.pem"
signed="$file.signed"
log="$file.log"
fail() {
    rm -f "$signed" "$signed.stamped" "$log"
    echo "sign-file.sh: $name: $*" >&2
    exit 1
}

# Makes the signature with the key, SHA-256, then has it timestamped by the
# RFC 3161 server of RUVENTO_SIGN_TIMESTAMP_URL (by default scripts/settings.sh's),
# unless that is "none". A file that cannot be timestamped is not signed:
# a signature without a timestamp stops being valid when the certificate
# expires, and a detached one would carry that into every rebuild.
make_signature() {
    local key url tries=3 seconds=20 try
    if [[ -z "${RUVENTO_SIGN_PKCS12:-}${RUVENTO_SIGN_PKCS11_MODULE:-}" ]]; then
        fail "no signature for it: name the signatures' tar in RUVENTO_SIGNATURES"
    elif [[ -n "${RUVENTO_SIGN_PKCS12:-}" ]]; then
        key=(-pkcs12 "$RUVENTO_SIGN_PKCS12" -readpass "$RUVENTO_SIGN_PASSWORD_FILE")
    else
        key=(-pkcs11module "$RUVENTO_SIGN_PKCS11_MODULE" -key "$RUVENTO_SIGN_KEY" -certs "$RUVENTO_SIGN_CERT")
        [[ -n "${RUVENTO_SIGN_PASSWORD_FILE:-}" ]] && key+=(-readpass "$RUVENTO_SIGN_PASSWORD_FILE")
    fi
    # The key is used once a file, whatever fails: a token locks after a few
    # wrong PINs. The timestamp, which needs no key, is added afterwards.
    if ! osslsigncode sign "${key[@]}" -h sha256 -in "$file" -out "$signed" >"$log" 2>&1; then
        cat "$log" >&2
        if grep -q -e 'PIN incorrect' -e 'PIN_INCORRECT' -e 'Wrong password' -e 'mac verify failure' \
            -e 'Failed to read password' "$log"; then
            fail "the PIN or password of the key was refused (tried once: a token locks after a few wrong ones)"
        elif grep -q 'Unable to load module' "$log"; then
            fail "the token's module $RUVENTO_SIGN_PKCS11_MODULE could not be loaded (above)"
        elif grep -q 'No matching initialized token' "$log"; then
            fail "no token holds the key $RUVENTO_SIGN_KEY: is it plugged in? (tried once)"
        elif grep -q 'Failed to read key or certificates' "$log"; then
            fail "the key or its certificate was not found (tried once; above)"
        fi
        fail "osslsigncode could not sign it (above)"
    fi
    url="${RUVENTO_SIGN_TIMESTAMP_URL:-$ruvento_timestamp_url}"
    if [[ "$url" != none ]]; then
        # A server that does not answer holds osslsigncode forever: each try
        # has its time.
        for ((try = 1; ; try++)); do
            timeout "$seconds" osslsigncode add -ts "$url" -in "$signed" -out "$signed.stamped" >"$log" 2>&1 && break
            [[ $? -eq 124 ]] && echo "no answer in $seconds s" >>"$log"
            rm -f "$signed.stamped"
            if [[ $try -eq $tries ]]; then
                cat "$log" >&2
                fail "no timestamp from $url in $tries tries (above): not signed." \
                    "RUVENTO_SIGN_TIMESTAMP_URL names another server, or none to sign without a timestamp"
            fi
            sleep $((5 * try))
        done
        mv "$signed.stamped" "$signed"
    fi
    osslsigncode extract-signature -pem -in "$signed" -out "$signature" >"$log" 2>&1 \
        || { cat "$log" >&2; rm -f "$signature"; fail "osslsigncode could not extract its signature (above)"; }
}

mkdir -p "$(dirname "$signature")"
rm -f "$signed"
if [[ -f "$signature" ]]; then
    :
elif [[ -n "${RUVENTO_SIGNATURES:-}" ]]; then
    # Only the member of that name leaves the tar, into DIR.
    tar -xOf "$RUVENTO_SIGNATURES" "$name.pem" >"$signature" 2>"$log" \
        || { rm -f "$signature"; fail "no signature for it in $RUVENTO_SIGNATURES"; }
else
    make_signature
fi

# attach-signature also judges the certificate, against this machine's
# trusted ones (Debian's ca-certificates: without some, it stops before
# attaching) and the revocation lists online: none of a build's concern,
# which may have neither the maintainer's CA nor a network. Whether the
# signature fits the file is judged below, offline.
trusted=/etc/ssl/certs/ca-certificates.crt
osslsigncode attach-signature -CAfile "$trusted" -sigin "$signature" -in "$file" -out "$signed" >"$log" 2>&1 || :
# The digest the signature was made for, and the signed file's own; verify's
# verdict, again about trust, is not the question here.
mapfile -t digests < <({ osslsigncode verify -CAfile "$trusted" -ignore-crl -in "$signed" 2>/dev/null || :; } \
    | sed -n 's/^\(Current\|Calculated\) message digest *: *\([0-9A-F]\{64\}\).*/\2/p')
if [[ ${#digests[@]} -ne 2 || "${digests[0]}" != "${digests[1]}" ]]; then
    fail "the signature $signature does not fit this file ($file)"
fi
mv "$signed" "$file"
rm -f "$log"
