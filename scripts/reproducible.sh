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
# a maintainer's is on a hardware one. scripts/sign-release.sh refuses a
# release changed since its checksums, stops on a timestamp server that
# never answers leaving nothing signed, and tries a wrong PIN once; then it
# signs the release here without a timestamp (none: no network), and says
# so. The second build attaches those signatures and must give the same
# signed bytes; scripts/verify-release.sh accepts the signed release with
# the certificate's fingerprint, and refuses it with another's, or with one
# DLL unsigned again; every exe and DLL of the signed zip and the signed
# setup program must verify against that CA, and so must the uninstaller
# and the program that the signed setup program installs under Wine
# (tst_windowsfolder).
#   scripts/reproducible.sh                   on the release's Debian
#   scripts/reproducible.sh --token-from-here after it, from any other Debian:
#       a token of this machine signs build/windows-package/release through
#       the Debian system, as a key holder's does, and the result verifies
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=scripts/settings.sh
source scripts/settings.sh

# Untracked files are neither built nor packed (see packaging/make-release.cmake).
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    git status --short --untracked-files=no >&2
    echo "reproducible.sh: the work tree has uncommitted changes (above); commit or stash them first" >&2
    exit 1
fi
head="$(git rev-parse HEAD)"

fail() {
    echo "reproducible: FAILED: $*" >&2
    exit 1
}
clone="$(mktemp -d)"
server_pid=""
# The run's files go with it, and so does its timestamp server that never answers.
end() {
    [[ -z "$server_pid" ]] || kill "$server_pid"
    rm -rf "$clone"
}
trap end EXIT
# COMMAND... must fail, saying WHY.
refuses() {
    local why="$1"
    shift
    if "$@" >"$clone/refused.log" 2>&1 || ! grep -qF -- "$why" "$clone/refused.log"; then
        cat "$clone/refused.log" >&2
        fail "$* did not refuse, saying '$why' (above)"
    fi
}

# The throwaway key: a CA, a PKCS#12 file, and the same key on a token; the
# certificate goes into each signature with its chain.
keys="$clone/keys"
make_keys() {
    mkdir -p "$keys/tokens"
    openssl req -x509 -newkey rsa:3072 -noenc -keyout "$keys/ca.key" -out "$keys/ca.pem" -days 2 \
        -subj "/CN=Ruvento CA di prova" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign" 2>/dev/null
    openssl req -newkey rsa:3072 -noenc -keyout "$keys/sign.key" -subj "/CN=Ruvento di prova/O=Ruvento" 2>/dev/null \
        | openssl x509 -req -CA "$keys/ca.pem" -CAkey "$keys/ca.key" -set_serial 1 -days 2 -out "$keys/sign.pem" \
            -extfile <(printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning)
    cat "$keys/sign.pem" "$keys/ca.pem" >"$keys/chain.pem"
    openssl rand -hex 16 >"$keys/password"
    openssl pkcs12 -export -inkey "$keys/sign.key" -in "$keys/sign.pem" -passout "file:$keys/password" -out "$keys/sign.p12"
    export SOFTHSM2_CONF="$keys/softhsm2.conf"
    printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$keys/tokens" >"$SOFTHSM2_CONF"
    pin="$(<"$keys/password")"
    softhsm2-util --init-token --free --label ruvento --pin "$pin" --so-pin "$pin" >/dev/null
    openssl pkcs8 -topk8 -nocrypt -in "$keys/sign.key" -out "$keys/sign.p8"
    softhsm2-util --import "$keys/sign.p8" --token ruvento --label firma --id 01 --pin "$pin" >/dev/null
    fingerprint="$(openssl x509 -in "$keys/sign.pem" -noout -fingerprint -sha256 | sed 's/.*=//')"
}
token=(RUVENTO_SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so RUVENTO_SIGN_CERT="$keys/chain.pem"
    RUVENTO_SIGN_KEY="pkcs11:token=ruvento;object=firma;type=private" RUVENTO_SIGN_PASSWORD_FILE="$keys/password"
    RUVENTO_SIGN_TIMESTAMP_URL=none)
signing_log="$clone/sign-release.log"

if [[ "${1:-}" == --token-from-here ]]; then
    # The module and the token store of this machine, as a key holder's.
    scripts/setup.sh token verify
    make_keys
    start=$SECONDS
    env "${token[@]}" RUVENTO_SIGN_PKCS11_DIR="$keys" RUVENTO_SIGN_PKCS11_ENV=SOFTHSM2_CONF \
        scripts/sign-release.sh build/windows-package/release >"$signing_log" 2>&1 \
        || { cat "$signing_log" >&2; fail "this machine's token could not sign build/windows-package/release (above)"; }
    scripts/verify-release.sh build/windows-package/release/signed "$fingerprint"
    echo "reproducible: signed with this machine's token through the Debian $ruvento_release_suite system" \
        "in $((SECONDS - start)) s; verify-release.sh accepts it"
    exit 0
fi

# A release counts only when the commit it records beside itself is HEAD.
of_head() {
    [[ -f "$1/release/$ruvento_unsigned_sums" && -f "$1/release.commit" && "$(<"$1/release.commit")" == "$head" ]]
}
if of_head build/windows; then
    here=build/windows/release
else
    ./test.sh windows-package
    of_head build/windows-package || { echo "reproducible.sh: the release just made is not of $head" >&2; exit 1; }
    here=build/windows-package/release
fi

scripts/setup.sh windows wine reproducible verify
make_keys
mkdir "$clone/unsigned" "$clone/unpacked"
cmake -E chdir "$clone/unsigned" cmake -E tar xf "$PWD/$here"/Ruvento-*-win64.zip
program="$(find "$clone/unsigned" -name ruvento.exe)"

# Only the release tested is signed, and never without the timestamp asked for.
mkdir "$clone/changed"
cp -a "$here" "$clone/changed/release"
cp "$here/../release.commit" "$clone/changed"
echo >>"$clone/changed/release/sources/qt-build-options.txt"
refuses "qt-build-options.txt: FAILED" env "${token[@]}" scripts/sign-release.sh "$clone/changed/release"
coproc silent { exec python3 -c 'import socket, time
server = socket.create_server(("127.0.0.1", 0))
print(server.getsockname()[1], flush=True)
time.sleep(86400)'; }
# Bash unsets silent_PID whenever it reaps the server, so the pid is kept apart.
# shellcheck disable=SC2154 # set by coproc above
server_pid="$silent_PID"
read -r port <&"${silent[0]}"
echo 0000 >"$clone/wrong-pin"
refuses "the PIN or password of the key was refused (tried once" env "${token[@]}" \
    RUVENTO_SIGN_PASSWORD_FILE="$clone/wrong-pin" RUVENTO_SIGN_TIMESTAMP_URL="http://127.0.0.1:$port/" \
    scripts/sign-file.sh "$clone/pin" ruvento.exe "$program"
refuses "no timestamp from http://127.0.0.1:$port/ in 3 tries" env "${token[@]}" \
    RUVENTO_SIGN_TIMESTAMP_URL="http://127.0.0.1:$port/" scripts/sign-release.sh "$here"
kill "$server_pid"
server_pid=""
[[ ! -e "$here/signed" ]] || fail "a signing stopped for its timestamps left $here/signed"

start=$SECONDS
env "${token[@]}" scripts/sign-release.sh "$here" >"$signing_log" 2>&1 \
    || { cat "$signing_log" >&2; fail "sign-release.sh could not sign $here (above)"; }
signing_seconds=$((SECONDS - start))
tail -n1 "$signing_log" | grep -q "WITHOUT a timestamp" || fail "sign-release.sh did not say last that it signed without a timestamp"
# The key and its PIN stay out of the log and the release.
if grep -rqF -e "$pin" -e "$(sed -n 2p "$keys/sign.key")" "$signing_log" "$here"; then
    fail "the key or its PIN went into the signing's log or $here"
fi
tars=("$here"/signed/*-signatures.tar)

# Anyone checks the signed release with the certificate's fingerprint; another
# certificate's, or one DLL unsigned again under matching checksums, fails.
scripts/verify-release.sh "$here/signed" "$fingerprint" >"$clone/verify-release.log" 2>&1 \
    || { cat "$clone/verify-release.log" >&2; fail "verify-release.sh refused $here/signed (above)"; }
refuses "signed by another certificate" scripts/verify-release.sh "$here/signed" \
    "$(openssl x509 -in "$keys/ca.pem" -noout -fingerprint -sha256 | sed 's/.*=//')"
cp -a "$here/signed" "$clone/swapped"
mkdir "$clone/repacked"
cmake -E chdir "$clone/repacked" cmake -E tar xf "$PWD/$here"/signed/Ruvento-*-win64.zip
dll="$(cd "$clone/repacked" && find . -name Qt6Core.dll -printf '%P\n')"
cp "$clone/unsigned/$dll" "$clone/repacked/$dll"
zip="$(basename "$here"/signed/Ruvento-*-win64.zip)"
(cd "$clone/repacked" && cmake -E tar cf "$clone/swapped/$zip" --format=zip -- *)
(cd "$clone/swapped" && sha256sum -- *.zip *.exe *.tar >"$ruvento_signed_sums")
refuses "$zip: $dll: carries no Authenticode signature" scripts/verify-release.sh "$clone/swapped" "$fingerprint"

git clone --quiet . "$clone/ruvento-again"
# Given the release's buildinfo with one version changed, the rebuild names that package.
sed 's/^ dpkg-dev (= [^)]*)/ dpkg-dev (= 0.0-altra)/' "$here/sources/build-environment.buildinfo" >"$clone/altra.buildinfo"
status=0
RUVENTO_BUILDINFO="$clone/altra.buildinfo" RUVENTO_SIGNATURES="${tars[0]}" \
    "$clone/ruvento-again/test.sh" windows-package 2>"$clone/again.log" || status=$?
cat "$clone/again.log" >&2
[[ $status -eq 0 ]] || fail "the second build failed (above)"
grep -q '^  dpkg-dev: 0.0-altra in the release, ' "$clone/again.log" \
    || fail "the rebuild did not name dpkg-dev, whose version its buildinfo changed"
there="$clone/ruvento-again/build/windows-package/release"

# Where the bytes differ, diffoscope says how, file by file.
for sums in "$ruvento_unsigned_sums" "signed/$ruvento_signed_sums"; do
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
cmake -E chdir "$clone/unpacked" cmake -E tar xf "$PWD/$here"/signed/Ruvento-*-win64.zip
verify() {
    osslsigncode verify -CAfile "$keys/ca.pem" -in "$1" >"$clone/verify.log" 2>&1 \
        || { cat "$clone/verify.log" >&2; fail "$1 does not verify (above)"; }
}
# The PKCS#12 file signs as the token does.
RUVENTO_SIGN_PKCS12="$keys/sign.p12" RUVENTO_SIGN_PASSWORD_FILE="$keys/password" RUVENTO_SIGN_TIMESTAMP_URL=none \
    scripts/sign-file.sh "$clone/p12" ruvento.exe "$program"
verify "$program"
mapfile -t programs < <(find "$clone/unpacked" -name '*.exe' -o -name '*.dll')
for program in "${programs[@]}" "$here"/signed/*-setup.exe; do
    verify "$program"
done
cmake --preset default >/dev/null
cmake --build --preset default --target tst_windowsfolder
RUVENTO_WINDOWS_RELEASE="$PWD/$here" RUVENTO_SIGNING_CA="$keys/ca.pem" \
    build/default/tests/install/tst_windowsfolder setupInstallsAndUninstallingKeepsTheReports

cat "$clone/verify-release.log"
echo "reproducible: $(wc -l <"$here/$ruvento_unsigned_sums") files byte-identical in two builds at two paths, of commit ${head:0:12}"
echo "reproducible: signed in ${signing_seconds} s with a throwaway key on a token; the signed zip and setup program" \
    "byte-identical in the second build, which attached the signatures; ${#programs[@]} exe and DLL files," \
    "the setup program, and the uninstaller it installs verify"
