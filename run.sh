#!/usr/bin/env bash
# Sets up the machine, builds Ruvento and starts it. It installs only what
# building and running need (scripts/packages.txt): a build it configures
# leaves the tests out, whose packages ./test.sh adds, and one that ./test.sh
# configured keeps them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/setup.sh
testing=OFF
if [[ -f build/default/CMakeCache.txt ]]; then
    testing="$(sed -n 's/^BUILD_TESTING:BOOL=//p' build/default/CMakeCache.txt)"
fi
cmake --preset default -DBUILD_TESTING="${testing:-OFF}" >/dev/null
cmake --build --preset default --target ruvento
exec build/default/ruvento
