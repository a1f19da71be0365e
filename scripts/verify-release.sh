#!/usr/bin/env bash
# Checks a downloaded signed release of Ruvento against the certificate of
# the maintainer who signed it, named by its SHA-256 fingerprint (hex, with
# or without colons, any case), as the maintainer publishes it:
#   scripts/verify-release.sh SIGNED_DIR SIGNER_SHA256
# SIGNED_DIR holds the signed zip and setup program and their checksums, as
# published. It exits 0 only when the checksums hold for every file they
# name, and every exe and DLL of the zip, and the setup program, carries an
# Authenticode signature that fits it, made with that very certificate; else
# it names the first file that fails and why. It says of each signature
# whether it is timestamped. No key, no network: the certificates' chain is
# the one the signatures carry (and this machine's trusted CAs), since who
# signed is settled by the fingerprint, not by a CA.
# Needs osslsigncode, openssl and unzip (scripts/packages-verify.txt).
set -euo pipefail
# shellcheck source=scripts/settings.sh
source "$(dirname "${BASH_SOURCE[0]}")/settings.sh"
fail() {
    echo "verify-release.sh: FAILED: $*" >&2
    exit 1
}
[[ $# -eq 2 ]] || { echo "usage: scripts/verify-release.sh SIGNED_DIR SIGNER_SHA256" >&2; exit 2; }
dir="$1"
signer="$(tr -d ': ' <<<"$2" | tr a-f A-F)"
[[ "$signer" =~ ^[0-9A-F]{64}$ ]] || fail "'$2' is no SHA-256 fingerprint (64 hex digits)"
for tool in osslsigncode openssl unzip sha256sum; do
    command -v "$tool" >/dev/null || fail "no $tool here: install Debian's packages in scripts/packages-verify.txt"
done

sums="$dir/$ruvento_signed_sums"
[[ -f "$sums" ]] || fail "no $ruvento_signed_sums in $dir"
zip="" setup=""
while read -r sum name; do
    name="${name#\*}"
    [[ -f "$dir/$name" ]] || fail "$name: named in $ruvento_signed_sums, not in $dir"
    [[ "$(sha256sum <"$dir/$name")" == "$sum "* ]] || fail "$name: its SHA-256 is not the one in $ruvento_signed_sums"
    case "$name" in
    *-win64.zip) zip="$name" ;;
    *-setup.exe) setup="$name" ;;
    esac
done <"$sums"
[[ -n "$zip" && -n "$setup" ]] || fail "$ruvento_signed_sums names no zip or no setup program"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unzip -q "$dir/$zip" -d "$work/zip" || fail "$zip: cannot be unpacked"
trusted=/etc/ssl/certs/ca-certificates.crt
# Offline: osslsigncode 2.6 and later fetch the CRLs a certificate names
# unless told not to; Debian 12's 2.5 fetches none and knows no such option.
# Without arguments it shows its usage and fails, as expected here.
usage="$(osslsigncode 2>&1 || :)"
offline=()
[[ "$usage" != *-ignore-crl* ]] || offline=(-ignore-crl)

# Checks FILE's signature, naming it LABEL.
check() {
    local file="$1" label="$2" stamp
    rm -f "$work/signature.pem"
    osslsigncode extract-signature -pem -in "$file" -out "$work/signature.pem" >"$work/log" 2>&1 \
        || fail "$label: carries no Authenticode signature"
    { openssl pkcs7 -in "$work/signature.pem" -print_certs; [[ ! -f "$trusted" ]] || cat "$trusted"; } >"$work/chain.pem"
    if ! osslsigncode verify -CAfile "$work/chain.pem" "${offline[@]}" -require-leaf-hash "sha256:$signer" \
        -in "$file" >"$work/log" 2>&1; then
        if grep -q MISMATCH "$work/log"; then
            fail "$label: its signature does not fit it: the file was changed after signing"
        elif grep -q 'Leaf hash match: failed' "$work/log"; then
            fail "$label: signed by another certificate, SHA-256" \
                "$(sed -n 's/^Leaf hash value mismatch: \([0-9A-F]*\) computed.*/\1/p' "$work/log")"
        fi
        cat "$work/log" >&2
        fail "$label: its signature does not verify (above)"
    fi
    if grep -q 'Timestamp is not available' "$work/log"; then
        stamp="NO timestamp: valid only until the certificate expires"
    elif grep -q 'Timestamp Server Signature verification: ok' "$work/log"; then
        stamp="timestamped $(sed -n 's/^Signature verification time: //p' "$work/log")"
    else
        stamp="timestamped, by a server whose certificate this machine does not know"
    fi
    echo "verify-release.sh: $label: signed, $stamp"
}

mapfile -t programs < <(cd "$work/zip" && find . -type f \( -iname '*.exe' -o -iname '*.dll' \) -printf '%P\n' | sort)
[[ ${#programs[@]} -gt 0 ]] || fail "$zip holds no exe or DLL"
for program in "${programs[@]}"; do
    check "$work/zip/$program" "$zip: $program"
done
check "$dir/$setup" "$setup"
echo "verify-release.sh: OK: $ruvento_signed_sums holds, and the setup program and the ${#programs[@]} exe and DLL" \
    "files of the zip are signed by the certificate with SHA-256 $signer"
