#!/usr/bin/env bash
# Sets up the machine, builds and runs every test headless.
#   ./test.sh          the Release build (preset "default")
#   ./test.sh asan     the same suite under AddressSanitizer and UBSan
#   ./test.sh debug    a Debug build
#   ./test.sh fuzz     only the bounded fuzz run of the command path (clang)
#   ./test.sh lint     only the static checks: format, clang-tidy, cppcheck
# The default run ends with the bounded fuzz run when clang++ is present.
# RUVENTO_FUZZ_SECONDS sets its length: 15 s there, 60 s with "fuzz".
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
preset="${1:-default}"

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
