#!/usr/bin/env bash
# Signs the unsigned Windows release in RELEASE_DIR, as `./test.sh windows`
# or `./test.sh windows-package` leaves it, with the maintainer's key, and
# writes RELEASE_DIR/signed/: the signed zip and setup program, their
# SHA256SUMS, and the detached signatures in one tar for anyone to attach
# (RUVENTO_SIGNATURES=TAR ./test.sh windows-package). The unsigned release
# stays as it is.
#   scripts/sign-release.sh RELEASE_DIR
# The key, on a file or on a token (a smart card, a cloud HSM):
#   RUVENTO_SIGN_PKCS12=FILE RUVENTO_SIGN_PASSWORD_FILE=FILE
#   RUVENTO_SIGN_PKCS11_MODULE=MODULE RUVENTO_SIGN_KEY=PKCS11_URI
#       RUVENTO_SIGN_CERT=FILE [RUVENTO_SIGN_PASSWORD_FILE=FILE_WITH_THE_PIN]
# RUVENTO_SIGN_TIMESTAMP_URL names an RFC 3161 server; one that does not
# answer leaves the signatures without a timestamp, and says so.
#
# Signing packs the release again with the build's own CPack and NSIS, so it
# runs where the release was made, on the release's Debian (a Debian 13
# machine, or the Debian 13 system of scripts/debian.sh): there it signs the
# build beside RELEASE_DIR; without that build, or from another machine, it
# builds HEAD's release there again, stops unless its checksums are
# RELEASE_DIR's, and signs that. The key and the files above stay outside the work tree and
# the release, and are read only by osslsigncode (scripts/sign-file.sh).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
tree="$(dirname "$here")"
# shellcheck source=scripts/settings.sh
source "$here/settings.sh"
fail() {
    echo "sign-release.sh: $*" >&2
    exit 1
}
[[ $# -eq 1 ]] || fail "usage: scripts/sign-release.sh RELEASE_DIR"
release="$(realpath -m "$1")"
# The key holder makes the signatures anew, never takes them from a tar.
unset RUVENTO_SIGNATURES

files=()
if [[ -n "${RUVENTO_SIGN_PKCS12:-}" ]]; then
    files=(RUVENTO_SIGN_PKCS12 RUVENTO_SIGN_PASSWORD_FILE)
elif [[ -n "${RUVENTO_SIGN_PKCS11_MODULE:-}" ]]; then
    [[ -n "${RUVENTO_SIGN_KEY:-}" ]] || fail "RUVENTO_SIGN_KEY must name the token's key, as a PKCS#11 URI"
    files=(RUVENTO_SIGN_CERT)
    [[ -n "${RUVENTO_SIGN_PASSWORD_FILE:-}" ]] && files+=(RUVENTO_SIGN_PASSWORD_FILE)
else
    fail "no key: set RUVENTO_SIGN_PKCS12 or RUVENTO_SIGN_PKCS11_MODULE (see the top of $0)"
fi
for name in "${files[@]}"; do
    [[ -f "${!name:-}" ]] || fail "$name names no file: '${!name:-}'"
    case "$(realpath "${!name}")/" in
    "$tree"/* | "$release"/*) fail "$name lies in the work tree or the release; keep it outside both" ;;
    esac
done

if ruvento_in_release_system && [[ -f "$release/../CMakeCache.txt" ]]; then
    [[ -f "$release/SHA256SUMS" ]] || fail "no unsigned release in $release"
    exec cmake --build "$release/.." --target signed-release
fi

# HEAD's release, made again where releases are made, is the one signed.
again=build/windows-package/release
if [[ -z "${RUVENTO_UNSIGNED_SUMS:-}" ]]; then
    [[ -f "$release/SHA256SUMS" ]] || fail "no unsigned release in $release"
    export RUVENTO_UNSIGNED_SUMS="$release/SHA256SUMS"
fi
cd "$tree"
if ruvento_in_release_system; then
    # Kept aside: the build again may replace the release given.
    sums="$(mktemp)"
    trap 'rm -f "$sums"' EXIT
    cp "$RUVENTO_UNSIGNED_SUMS" "$sums"
    ./test.sh windows-package
    diff -u "$sums" "$again/SHA256SUMS" \
        || fail "HEAD does not build the release that was given (above: its checksums, then HEAD's)"
    "$0" "$again"
else
    file_args=()
    for name in "${files[@]}" RUVENTO_UNSIGNED_SUMS; do
        export "${name?}"
        file_args+=(--file "$name")
    done
    ruvento_debian_sh --keep "$again/signed" "${file_args[@]}" \
        "$ruvento_release_suite" scripts/sign-release.sh "$again"
fi
if [[ "$release" != "$(realpath "$again")" ]]; then
    rm -rf "$release/signed"
    mv "$again/signed" "$release/signed"
fi
echo "sign-release.sh: signed release in $release/signed"
