#!/usr/bin/env bash
# ./run.sh install, twice, for a user of its own: the program folder is in the
# user's data folder, the menu starts it there, a report left in the build
# folder moves into it, and the second run refreshes the program and keeps
# the reports saved in between.
#   tst_run.sh SOURCE_DIR
set -euo pipefail
source_dir="$1"
HOME="$(mktemp -d)"
trap 'rm -rf "$HOME"' EXIT
export HOME
unset XDG_DATA_HOME
folder="$HOME/.local/share/ruvento"
name="[TC LUN-143005]-90-03-C04.TXT"
fail() {
    echo "tst_run.sh: $1" >&2
    exit 1
}

printf '01 06 48\r\n' >"$source_dir/build/default/Shared/Sistemi/$name"
"$source_dir/run.sh" install >/dev/null
[[ -x "$folder/ruvento" && -f "$folder/LEGGIMI.txt" ]] || fail "no program folder in $folder"
grep -qxF "Exec=\"$folder/ruvento\"" "$HOME/.local/share/applications/org.ruvento.Ruvento.desktop" \
    || fail "the menu does not start $folder/ruvento"
[[ ! -e "$source_dir/build/default/Shared/Sistemi/$name" ]] || fail "the build folder kept its report"
touch -d 2000-01-01 "$folder/ruvento"
"$source_dir/run.sh" install >/dev/null
[[ "$(date -r "$folder/ruvento" +%Y)" != 2000 ]] || fail "the program was not refreshed"
[[ "$(cat "$folder/Shared/Sistemi/$name")" == $'01 06 48\r' ]] || fail "the report did not outlive the refresh"
