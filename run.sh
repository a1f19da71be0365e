#!/usr/bin/env bash
# Sets up the machine, builds Ruvento, installs it into its program folder in
# the user's data folder, adds it to the desktop's menu and starts it there.
#   ./run.sh            all that
#   ./run.sh install    all but the start: Ruvento is then in the menu
# The program folder, ~/.local/share/ruvento (or under XDG_DATA_HOME), lies
# outside the clone: the reports saved in its Shared/Sistemi outlive the build
# folder, `git clean` and a new clone, and each run refreshes the program
# around them. It installs only what building and running need
# (scripts/packages.txt): a build it configures leaves the tests out, whose
# packages ./test.sh adds, and one that ./test.sh configured keeps them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
# shellcheck source=scripts/settings.sh
source scripts/settings.sh
if [[ $# -gt 1 || ( $# -eq 1 && "$1" != install ) ]]; then
    echo "usage: ./run.sh [install]" >&2
    exit 2
fi

scripts/setup.sh
testing=OFF
if [[ -f build/default/CMakeCache.txt ]]; then
    testing="$(sed -n 's/^BUILD_TESTING:BOOL=//p' build/default/CMakeCache.txt)"
fi
cmake --preset default -DBUILD_TESTING="${testing:-OFF}" >/dev/null
cmake --build --preset default --target ruvento
folder="$(ruvento_program_folder)"
# Copies the program over the older one and leaves every other file as it is.
cmake --install build/default --prefix "$folder" >/dev/null
"$folder/install-desktop-entry.sh"

# Reports that an older ./run.sh saved inside the build folder, where a clean
# would lose them: moved beside the others, never over one of the same name.
reports="$folder/Shared/Sistemi"
for report in build/default/Shared/Sistemi/*; do
    [[ -f "$report" ]] || continue
    if [[ -e "$reports/${report##*/}" ]]; then
        echo "run.sh: $report stays: $reports holds one of that name" >&2
    else
        mv "$report" "$reports/"
        echo "Moved into the reports: ${report##*/}"
    fi
done
echo "Reports: $reports"

[[ $# -eq 0 ]] || exit 0
exec "$folder/ruvento"
