#!/usr/bin/env bash
# Sets up the machine, builds and runs every test headless.
#   ./test.sh          the Release build (preset "default")
#   ./test.sh asan     the same suite under AddressSanitizer and UBSan
#   ./test.sh debug    a Debug build
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
preset="${1:-default}"

scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset"
