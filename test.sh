#!/usr/bin/env bash
# Sets up the machine, builds and runs every test headless.
#   ./test.sh          the Release build (preset "default")
#   ./test.sh asan     the same suite under AddressSanitizer and UBSan
#   ./test.sh debug    a Debug build
#   ./test.sh windows  the Windows build: Qt for Windows (built once into the
#                      cache), the suite under Wine, the zip of the program
#                      folder and its test, started under Wine on Xvfb
#   ./test.sh fuzz     only the bounded fuzz run of the command path (clang)
#   ./test.sh lint     only the static checks: format, clang-tidy, cppcheck
# The default run ends with the bounded fuzz run when clang++ is present.
# RUVENTO_FUZZ_SECONDS sets its length: 15 s there, 60 s with "fuzz".
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
preset="${1:-default}"

if [[ "$preset" == windows ]]; then
    scripts/setup.sh windows
    RUVENTO_QT_WINDOWS="$(scripts/qt-windows.sh | tail -n1)"
    export RUVENTO_QT_WINDOWS
    cmake --preset windows >/dev/null
    cmake --build --preset windows
    ctest --preset windows
    (cd build/windows && cpack -G ZIP)
    # The program folder is driven from outside, by a host program.
    cmake --preset default >/dev/null
    cmake --build --preset default --target tst_windowsfolder
    ctest --preset windows-folder
    exit 0
fi

scripts/setup.sh
if [[ "$preset" == lint ]]; then
    exec scripts/lint.sh
fi
if [[ "$preset" != fuzz ]]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    QT_QPA_PLATFORM=offscreen ctest --preset "$preset"
fi

if [[ "$preset" == fuzz ]] || [[ "$preset" == default ]] && command -v clang++ >/dev/null; then
    default_seconds=60
    [[ "$preset" == default ]] && default_seconds=15
    cmake --preset fuzz -DRUVENTO_FUZZ_SECONDS="${RUVENTO_FUZZ_SECONDS:-$default_seconds}" >/dev/null
    cmake --build --preset fuzz
    ctest --preset fuzz
    grep -h '^fuzz_commands:' build/fuzz/Testing/Temporary/LastTest*.log || true
fi
