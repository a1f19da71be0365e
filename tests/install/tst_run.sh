#!/usr/bin/env bash
# tst_run.sh SOURCE_DIR: ./run.sh install, twice, for a user of its own: the
# program folder in the user's data folder, a report left in the build folder
# moved into it and kept by the refresh. Each check fails on its own line.
set -euxo pipefail
HOME="$(mktemp -d)"
trap 'rm -rf "$HOME"' EXIT
export HOME
unset XDG_DATA_HOME
folder="$HOME/.local/share/ruvento"
report="Shared/Sistemi/[TC LUN-143005]-90-03-C04.TXT"
printf '01 06 48\r\n' >"$1/build/default/$report"
"$1/run.sh" install >/dev/null
grep -qxF "Exec=\"$folder/ruvento\"" "$HOME/.local/share/applications/org.ruvento.Ruvento.desktop"
[[ ! -e "$1/build/default/$report" ]]
touch -d 2000-01-01 "$folder/ruvento"
"$1/run.sh" install >/dev/null
[[ "$(date -r "$folder/ruvento" +%Y)" != 2000 && "$(cat "$folder/$report")" == $'01 06 48\r' ]]
