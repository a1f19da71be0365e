#!/usr/bin/env bash
# Sets up the machine, builds and runs every test headless.
#   ./test.sh                  the Release build (preset "default"), then a
#                              bounded fuzz run of the command path (clang)
#   ./test.sh asan             the same suite under AddressSanitizer and UBSan
#   ./test.sh debug            a Debug build
#   ./test.sh fuzz             only the bounded fuzz run
#   ./test.sh lint             only the static checks: shellcheck, format,
#                              clang-tidy, cppcheck
#   ./test.sh windows          the Windows build: Qt for Windows (built once
#                              into the cache), the suite under Wine, the
#                              release folder, and the program folder and its
#                              installer started under Wine on Xvfb
#   ./test.sh windows-package  the Windows release folder alone, tests off:
#                              needs no Wine
#   ./test.sh reproducible     the Windows release built again in a clone at
#                              another path; its checksums must match; and
#                              signed, checked, refused where it must be
# The three Windows commands run on the release's Debian (13): on a machine
# of another release, in the Debian 13 system of scripts/debian.sh (made on
# first use, through sudo for a user who is not root), whence the release
# folder comes back to build/windows/release or build/windows-package/release.
# RUVENTO_SIGNATURES=TAR, the signatures' tar of a signed release, adds the
# signed release, release/signed, to "windows" and "windows-package": the
# same signed bytes as the key holder's (scripts/sign-release.sh). With
# RUVENTO_SIGNING_CA=FILE too, the CA of its certificate, "windows" checks
# the signatures of what the signed setup program installs.
# RUVENTO_BUILDINFO=FILE, a release's build-environment.buildinfo, has the
# Windows commands name, before they build, each package whose version here
# differs from that release's (docs/windows-release.md: rebuilding a release).
# A release is never made from uncommitted changes, but by "windows", which
# tests them, or with RUVENTO_ALLOW_DIRTY=1; its version is then marked -dirty.
# RUVENTO_FUZZ_SECONDS sets the fuzz run's length: 15 s by default, 60 s with
# "fuzz".
set -euo pipefail
# Files named relative to where the command was given.
signing_files=()
for name in RUVENTO_SIGNATURES RUVENTO_SIGNING_CA RUVENTO_BUILDINFO; do
    [[ -n "${!name:-}" ]] || continue
    printf -v "$name" '%s' "$(realpath "${!name}")"
    export "${name?}"
    signing_files+=(--file "$name")
done
cd "$(dirname "${BASH_SOURCE[0]}")"
# shellcheck source=scripts/settings.sh
source scripts/settings.sh
preset="${1:-default}"

# Goes on in the system the Windows release is made in, unless already on
# that release.
in_release_system() {
    ruvento_in_release_system && return 0
    ruvento_debian_sh "$@" "${signing_files[@]}" "$ruvento_release_suite" ./test.sh "$preset"
    exit 0
}

# Qt for Windows, from the cache outside the clone (built on first use).
windows_qt() {
    RUVENTO_QT_WINDOWS="$(scripts/qt-windows.sh | tail -n1)"
    export RUVENTO_QT_WINDOWS
    if [[ -n "${RUVENTO_BUILDINFO:-}" ]]; then
        scripts/buildinfo.sh --compare "$RUVENTO_BUILDINFO" "$RUVENTO_QT_WINDOWS/source"
    fi
}

# ON when a release of PRESET may come from uncommitted changes, marked
# -dirty: for testing them ("windows"), or when RUVENTO_ALLOW_DIRTY asks.
allow_dirty() {
    if [[ "$1" == windows || -n "${RUVENTO_ALLOW_DIRTY:-}" ]] \
        && [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
        echo ON
    else
        echo OFF
    fi
}

# Builds PRESET for Windows and leaves its release folder (build/PRESET/release),
# and the signed one in it with the signatures' tar.
windows_release() {
    cmake --preset "$1" -DRUVENTO_ALLOW_DIRTY="$(allow_dirty "$1")" >/dev/null
    cmake --build --preset "$1"
    cmake --build --preset "$1" --target release
    if [[ -n "${RUVENTO_SIGNATURES:-}" ]]; then
        cmake --build --preset "$1" --target signed-release
    fi
}

case "$preset" in
windows)
    in_release_system --keep build/windows/release --keep build/windows/release.commit
    scripts/setup.sh test windows wine
    windows_qt
    windows_release windows
    ctest --preset windows
    # The program folder and the installer are driven from outside, by a
    # host program.
    cmake --preset default >/dev/null
    cmake --build --preset default --target tst_windowsfolder
    ctest --preset windows-folder
    exit 0
    ;;
windows-package)
    in_release_system --keep build/windows-package/release --keep build/windows-package/release.commit
    scripts/setup.sh windows
    windows_qt
    windows_release windows-package
    exit 0
    ;;
reproducible)
    # On another Debian, a key holder's token signs from this machine too.
    if ! ruvento_in_release_system; then
        ruvento_debian_sh --keep build/windows-package/release --keep build/windows-package/release.commit \
            "$ruvento_release_suite" ./test.sh reproducible
        exec scripts/reproducible.sh --token-from-here
    fi
    exec scripts/reproducible.sh
    ;;
lint)
    scripts/setup.sh test lint
    exec scripts/lint.sh
    ;;
fuzz)
    scripts/setup.sh test
    ;;
*)
    scripts/setup.sh test
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
    [[ "$preset" == default ]] || exit 0
    if ! command -v clang++ >/dev/null; then
        echo "test.sh: no clang++, so no fuzz run (./test.sh fuzz says why it needs one)"
        exit 0
    fi
    ;;
esac

# The bounded fuzz run: libFuzzer comes with clang only.
if ! command -v clang++ >/dev/null; then
    echo "test.sh: the fuzz run needs clang++ (Debian's clang and libclang-rt-dev, in scripts/packages-test.txt)" >&2
    exit 1
fi
default_seconds=60
[[ "$preset" == default ]] && default_seconds=15
cmake --preset fuzz -DRUVENTO_FUZZ_SECONDS="${RUVENTO_FUZZ_SECONDS:-$default_seconds}" >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz
grep -h '^fuzz_commands:' build/fuzz/Testing/Temporary/LastTest*.log
