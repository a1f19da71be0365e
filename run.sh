#!/usr/bin/env bash
# Sets up the machine, builds Ruvento and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/ruvento
