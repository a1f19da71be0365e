#!/usr/bin/env bash
# Signs the unsigned Windows release in RELEASE_DIR, as `./test.sh windows`
# or `./test.sh windows-package` leaves it, with the maintainer's key, and
# writes RELEASE_DIR/signed/: the signed zip and setup program, their
# checksums, and the detached signatures in one tar for anyone to attach
# (RUVENTO_SIGNATURES=TAR ./test.sh windows-package). The unsigned release
# stays as it is.
#   scripts/sign-release.sh RELEASE_DIR
# The key, on a file or on a token (a smart card, a cloud HSM):
#   RUVENTO_SIGN_PKCS12=FILE RUVENTO_SIGN_PASSWORD_FILE=FILE
#   RUVENTO_SIGN_PKCS11_MODULE=MODULE RUVENTO_SIGN_KEY=PKCS11_URI
#       RUVENTO_SIGN_CERT=FILE [RUVENTO_SIGN_PASSWORD_FILE=FILE_WITH_THE_PIN]
#       [RUVENTO_SIGN_PKCS11_DIR=DIR] [RUVENTO_SIGN_PKCS11_ENV="VAR..."]
# A token's module is a file of this machine; DIR, the folder of its
# configuration and token store, and the variables that point the module
# there (such as SoftHSM's SOFTHSM2_CONF) go with it into the Debian 13
# system, and so does pcscd's socket, for a smart card. MODULE "opensc" is
# Debian's OpenSC module (a smart card's) of the system that signs,
# installed there: one of another Debian would lack its own libraries;
# it reaches pcscd through this machine's PC/SC client, which speaks its
# pcscd's protocol (Debian 12's and 13's differ).
# Every signature is timestamped by the RFC 3161 server that
# RUVENTO_SIGN_TIMESTAMP_URL names (by default scripts/settings.sh's); a file
# that cannot be timestamped stops the signing, and nothing signed is left.
# RUVENTO_SIGN_TIMESTAMP_URL=none signs without a timestamp, and says so last.
#
# Only the release that was tested is signed: it stops, naming what
# differs, unless every file of RELEASE_DIR is as its checksums say and the
# release was made at HEAD from a work tree without changes (the commit
# written beside it, release.commit), and the tree still has none.
#
# Signing packs the release again with the build's own CPack and NSIS, so it
# runs where the release was made, on the release's Debian (a Debian 13
# machine, or the Debian 13 system of scripts/debian.sh): there the build
# beside RELEASE_DIR makes the release again, or without that build, or from
# another machine, HEAD's release is built there again; it goes on only if
# the checksums are RELEASE_DIR's, and signs that. The key and the files
# above stay outside the work tree and the release, and are read only by
# osslsigncode (scripts/sign-file.sh).
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
export RUVENTO_SIGN_TIMESTAMP_URL="${RUVENTO_SIGN_TIMESTAMP_URL:-$ruvento_timestamp_url}"

files=()
if [[ -n "${RUVENTO_SIGN_PKCS12:-}" ]]; then
    files=(RUVENTO_SIGN_PKCS12 RUVENTO_SIGN_PASSWORD_FILE)
elif [[ -n "${RUVENTO_SIGN_PKCS11_MODULE:-}" ]]; then
    [[ -n "${RUVENTO_SIGN_KEY:-}" ]] || fail "RUVENTO_SIGN_KEY must name the token's key, as a PKCS#11 URI"
    files=(RUVENTO_SIGN_CERT)
    if [[ "$RUVENTO_SIGN_PKCS11_MODULE" != opensc ]]; then
        files+=(RUVENTO_SIGN_PKCS11_MODULE)
    elif ! ruvento_in_release_system; then
        RUVENTO_SIGN_PCSC_LIBRARY="$(dpkg -L libpcsclite1 2>/dev/null | grep '/libpcsclite\.so\.1$')" \
            || fail "no PC/SC client here (libpcsclite1) to reach the smart card: install pcscd"
        files+=(RUVENTO_SIGN_PCSC_LIBRARY)
    fi
    [[ -n "${RUVENTO_SIGN_PASSWORD_FILE:-}" ]] && files+=(RUVENTO_SIGN_PASSWORD_FILE)
    if [[ -n "${RUVENTO_SIGN_PKCS11_DIR:-}" ]]; then
        [[ -d "$RUVENTO_SIGN_PKCS11_DIR" ]] || fail "RUVENTO_SIGN_PKCS11_DIR names no folder: '$RUVENTO_SIGN_PKCS11_DIR'"
        RUVENTO_SIGN_PKCS11_DIR="$(realpath "$RUVENTO_SIGN_PKCS11_DIR")"
        export RUVENTO_SIGN_PKCS11_DIR
    fi
else
    fail "no key: set RUVENTO_SIGN_PKCS12 or RUVENTO_SIGN_PKCS11_MODULE (see the top of $0)"
fi
for name in "${files[@]}" RUVENTO_SIGN_PKCS11_DIR; do
    [[ "$name" == RUVENTO_SIGN_PKCS11_DIR && -z "${!name:-}" ]] && continue
    [[ "$name" == RUVENTO_SIGN_PKCS11_DIR || -f "${!name:-}" ]] || fail "$name names no file: '${!name:-}'"
    case "$(realpath "${!name}")/" in
    "$tree"/* | "$release"/*) fail "$name lies in the work tree or the release; keep it outside both" ;;
    esac
done

# Stops unless RELEASE_DIR is the release of HEAD, as made and tested.
check_release() {
    local sums="$release/$ruvento_unsigned_sums" made unlisted
    [[ -f "$sums" ]] || fail "no unsigned release in $release: no $ruvento_unsigned_sums"
    (cd "$release" && sha256sum --quiet --strict -c "$ruvento_unsigned_sums") >&2 \
        || fail "$release is not as its $ruvento_unsigned_sums says (above: the files that differ)"
    unlisted="$(comm -23 <(cd "$release" && find . -type f ! -path ./signed/\* ! -name "$ruvento_unsigned_sums" \
        -printf '%P\n' | sort) <(sed 's/^[0-9a-f]\{64\}  //' "$sums" | sort))"
    [[ -z "$unlisted" ]] || fail "$release holds files its $ruvento_unsigned_sums does not name: $unlisted"
    [[ -f "$release/../release.commit" ]] \
        || fail "$release records no commit (release.commit beside it): made from uncommitted changes, or not by the release step"
    made="$(<"$release/../release.commit")"
    [[ "$made" == "$(git -C "$tree" rev-parse HEAD)" ]] \
        || fail "$release was made at commit ${made:0:12}, not at HEAD ($(git -C "$tree" rev-parse --short=12 HEAD))"
    [[ -z "$(git -C "$tree" status --porcelain --untracked-files=no)" ]] \
        || fail "the work tree has uncommitted changes: $(git -C "$tree" status --short --untracked-files=no | tr '\n' ' ')"
}

kept="$(mktemp)"
trap 'rm -f "$kept" "$kept.opensc"' EXIT
# Given from outside the system, the release was checked there.
if [[ -n "${RUVENTO_UNSIGNED_SUMS:-}" ]]; then
    cp "$RUVENTO_UNSIGNED_SUMS" "$kept"
else
    check_release
    cp "$release/$ruvento_unsigned_sums" "$kept"
fi
# A signing that fails leaves no signed release behind.
rm -rf "$release/signed"

cd "$tree"
if ruvento_in_release_system; then
    if [[ "${RUVENTO_SIGN_PKCS11_MODULE:-}" == opensc ]]; then
        scripts/setup.sh smartcard
        RUVENTO_SIGN_PKCS11_MODULE="$(dpkg -L opensc-pkcs11 | awk '/\/opensc-pkcs11\.so$/ && !found { print; found = 1 }')"
        if [[ -n "${RUVENTO_SIGN_PCSC_LIBRARY:-}" ]]; then
            export OPENSC_CONF="$kept.opensc"
            printf 'app default {\n    reader_driver pcsc {\n        provider_library = %s;\n    }\n}\n' \
                "$RUVENTO_SIGN_PCSC_LIBRARY" >"$OPENSC_CONF"
        fi
    fi
    # The release again: by the build beside it, whose program files are
    # packed again with the signatures, or by HEAD's build made here.
    if [[ -z "${RUVENTO_UNSIGNED_SUMS:-}" && -f "$release/../CMakeCache.txt" ]]; then
        build="$release/.."
        cmake --build "$build" --target release
    else
        build=build/windows-package
        ./test.sh windows-package
    fi
    diff -u "$kept" "$build/release/$ruvento_unsigned_sums" \
        || fail "HEAD does not build the release that was given (above: its checksums, then HEAD's)"
    cmake --build "$build" --target signed-release
    if [[ "$release" != "$(realpath "$build/release")" ]]; then
        mv "$build/release/signed" "$release/signed"
    fi
else
    export RUVENTO_UNSIGNED_SUMS="$kept"
    file_args=()
    for name in "${files[@]}" RUVENTO_UNSIGNED_SUMS; do
        export "${name?}"
        file_args+=(--file "$name")
    done
    again=build/windows-package/release
    ruvento_debian_sh --keep "$again/signed" "${file_args[@]}" \
        "$ruvento_release_suite" scripts/sign-release.sh "$again"
    if [[ "$release" != "$(realpath "$again")" ]]; then
        mv "$again/signed" "$release/signed"
    fi
fi
if [[ "$RUVENTO_SIGN_TIMESTAMP_URL" == none ]]; then
    echo "sign-release.sh: signed release in $release/signed, WITHOUT a timestamp (RUVENTO_SIGN_TIMESTAMP_URL=none):" \
        "its signatures stop being valid when the certificate expires"
else
    echo "sign-release.sh: signed release in $release/signed, timestamped by $RUVENTO_SIGN_TIMESTAMP_URL"
fi
