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
dir="$1" name="$2" file="$3"
signature="$dir/$name.pem"
signed="$file.signed"
log="$file.log"
fail() {
    rm -f "$signed" "$log"
    echo "sign-file.sh: $name: $*" >&2
    exit 1
}

# Makes the signature with the key, as SHA-256 and timestamped when a server
# is named; a server that does not answer leaves the signature without one.
make_signature() {
    local key stamp=()
    if [[ -z "${RUVENTO_SIGN_PKCS12:-}${RUVENTO_SIGN_PKCS11_MODULE:-}" ]]; then
        fail "no signature for it: name the signatures' tar in RUVENTO_SIGNATURES"
    elif [[ -n "${RUVENTO_SIGN_PKCS12:-}" ]]; then
        key=(-pkcs12 "$RUVENTO_SIGN_PKCS12" -readpass "$RUVENTO_SIGN_PASSWORD_FILE")
    else
        key=(-pkcs11module "$RUVENTO_SIGN_PKCS11_MODULE" -key "$RUVENTO_SIGN_KEY" -certs "$RUVENTO_SIGN_CERT")
        [[ -n "${RUVENTO_SIGN_PASSWORD_FILE:-}" ]] && key+=(-readpass "$RUVENTO_SIGN_PASSWORD_FILE")
    fi
    [[ -n "${RUVENTO_SIGN_TIMESTAMP_URL:-}" ]] && stamp=(-ts "$RUVENTO_SIGN_TIMESTAMP_URL")
    if ! osslsigncode sign "${key[@]}" "${stamp[@]}" -h sha256 -in "$file" -out "$signed" >"$log" 2>&1; then
        [[ ${#stamp[@]} -gt 0 ]] || { cat "$log" >&2; fail "osslsigncode could not sign it (above)"; }
        echo "sign-file.sh: $name: no answer from $RUVENTO_SIGN_TIMESTAMP_URL: signed WITHOUT a timestamp" >&2
        osslsigncode sign "${key[@]}" -h sha256 -in "$file" -out "$signed" >"$log" 2>&1 \
            || { cat "$log" >&2; fail "osslsigncode could not sign it (above)"; }
    fi
    osslsigncode extract-signature -pem -in "$signed" -out "$signature" >"$log" 2>&1 \
        || { cat "$log" >&2; fail "osslsigncode could not extract its signature (above)"; }
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
