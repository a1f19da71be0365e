#!/usr/bin/env bash
# Builds the Windows release a second time, in a fresh clone of HEAD at
# another path (build and package only, no tests), and compares its
# checksums with this tree's release: the same commit must give the same
# bytes. The release here is build/windows/release when `./test.sh windows`
# left one of HEAD, else build/windows-package/release, brought up to date
# first. A work tree with changes is refused: the clone of HEAD lacks them.
#
# Signed, too, with a throwaway key that goes with the run: a CA and a
# code-signing certificate made with openssl, the key on a SoftHSM token as
# a maintainer's is on a hardware one. scripts/sign-release.sh signs the
# release here; the second build attaches those signatures and must give the
# same signed bytes; every exe and DLL of the signed zip and the signed setup
# program must verify against that CA, and so must the uninstaller and the
# program that the signed setup program installs under Wine
# (tst_windowsfolder).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Untracked files are neither built nor packed (see packaging/make-release.cmake).
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    git status --short --untracked-files=no >&2
    echo "reproducible.sh: the work tree has uncommitted changes (above); commit or stash them first" >&2
    exit 1
fi
head="$(git rev-parse HEAD)"

# A release counts only when the commit it records beside itself is HEAD.
of_head() {
    [[ -f "$1/release/SHA256SUMS" && -f "$1/release.commit" && "$(<"$1/release.commit")" == "$head" ]]
}
if of_head build/windows; then
    here=build/windows/release
else
    ./test.sh windows-package
    of_head build/windows-package || { echo "reproducible.sh: the release just made is not of $head" >&2; exit 1; }
    here=build/windows-package/release
fi

fail() {
    echo "reproducible: FAILED: $*" >&2
    exit 1
}
clone="$(mktemp -d)"
trap 'rm -rf "$clone"' EXIT

# The throwaway key: a PKCS#12 file, and the same key on a token.
scripts/setup.sh windows wine reproducible
keys="$clone/keys"
mkdir -p "$keys/tokens"
openssl req -x509 -newkey rsa:3072 -noenc -keyout "$keys/ca.key" -out "$keys/ca.pem" -days 2 \
    -subj "/CN=Ruvento CA di prova" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:3072 -noenc -keyout "$keys/sign.key" -subj "/CN=Ruvento di prova/O=Ruvento" 2>/dev/null \
    | openssl x509 -req -CA "$keys/ca.pem" -CAkey "$keys/ca.key" -set_serial 1 -days 2 -out "$keys/sign.pem" \
        -extfile <(printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning)
openssl rand -hex 16 >"$keys/password"
openssl pkcs12 -export -inkey "$keys/sign.key" -in "$keys/sign.pem" -passout "file:$keys/password" -out "$keys/sign.p12"
export SOFTHSM2_CONF="$keys/softhsm2.conf"
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$keys/tokens" >"$SOFTHSM2_CONF"
pin="$(<"$keys/password")"
softhsm2-util --init-token --free --label ruvento --pin "$pin" --so-pin "$pin" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$keys/sign.key" -out "$keys/sign.p8"
softhsm2-util --import "$keys/sign.p8" --token ruvento --label firma --id 01 --pin "$pin" >/dev/null
signing_log="$clone/sign-release.log"
start=$SECONDS
RUVENTO_SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so \
    RUVENTO_SIGN_KEY="pkcs11:token=ruvento;object=firma;type=private" RUVENTO_SIGN_CERT="$keys/sign.pem" \
    RUVENTO_SIGN_PASSWORD_FILE="$keys/password" scripts/sign-release.sh "$here" >"$signing_log" 2>&1 \
    || { cat "$signing_log" >&2; fail "sign-release.sh could not sign $here (above)"; }
signing_seconds=$((SECONDS - start))
# The key and its PIN stay out of the log and the release.
if grep -rqF -e "$pin" -e "$(sed -n 2p "$keys/sign.key")" "$signing_log" "$here"; then
    fail "the key or its PIN went into the signing's log or $here"
fi
tars=("$here"/signed/*-signatures.tar)

git clone --quiet . "$clone/ruvento-again"
RUVENTO_SIGNATURES="${tars[0]}" "$clone/ruvento-again/test.sh" windows-package
there="$clone/ruvento-again/build/windows-package/release"

# Where the bytes differ, diffoscope says how, file by file.
for sums in SHA256SUMS signed/SHA256SUMS; do
    diff -u "$here/$sums" "$there/$sums" >"$clone/sums.diff" && continue
    cat "$clone/sums.diff" >&2
    mapfile -t differing < <(sed -n 's/^-[0-9a-f]\{64\}  //p' "$clone/sums.diff")
    for file in "${differing[@]}"; do
        echo "reproducible: $(dirname "$sums")/$file differs:" >&2
        # diffoscope exits 1 when the files differ, which is known here.
        diffoscope --text - --max-text-report-size 200000 "$here/$(dirname "$sums")/$file" \
            "$there/$(dirname "$sums")/$file" >&2 || true
    done
    fail "the two builds' $sums differ in ${differing[*]} (above: $here, then the clone's)"
done

# Every program file signed, and trusted by whoever trusts the CA.
verify() {
    osslsigncode verify -CAfile "$keys/ca.pem" -in "$1" >"$clone/verify.log" 2>&1 \
        || { cat "$clone/verify.log" >&2; fail "$1 does not verify (above)"; }
}
# The PKCS#12 file signs as the token does.
mkdir "$clone/unsigned" "$clone/unpacked"
cmake -E chdir "$clone/unsigned" cmake -E tar xf "$PWD/$here"/Ruvento-*-win64.zip
program="$(find "$clone/unsigned" -name ruvento.exe)"
RUVENTO_SIGN_PKCS12="$keys/sign.p12" RUVENTO_SIGN_PASSWORD_FILE="$keys/password" \
    scripts/sign-file.sh "$clone/p12" ruvento.exe "$program"
verify "$program"
cmake -E chdir "$clone/unpacked" cmake -E tar xf "$PWD/$here"/signed/Ruvento-*-win64.zip
mapfile -t programs < <(find "$clone/unpacked" -name '*.exe' -o -name '*.dll')
for program in "${programs[@]}" "$here"/signed/*-setup.exe; do
    verify "$program"
done
cmake --preset default >/dev/null
cmake --build --preset default --target tst_windowsfolder
RUVENTO_WINDOWS_RELEASE="$PWD/$here" RUVENTO_SIGNING_CA="$keys/ca.pem" \
    build/default/tests/install/tst_windowsfolder setupInstallsAndUninstallingKeepsTheReports

echo "reproducible: $(wc -l <"$here/SHA256SUMS") files byte-identical in two builds at two paths, of commit ${head:0:12}"
echo "reproducible: signed in ${signing_seconds} s with a throwaway key on a token; the signed zip and setup program" \
    "byte-identical in the second build, which attached the signatures; ${#programs[@]} exe and DLL files," \
    "the setup program, and the uninstaller it installs verify"
