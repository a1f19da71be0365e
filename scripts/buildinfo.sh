#!/usr/bin/env bash
# Prints the environment the Windows release is made in, as Debian records
# one in a .buildinfo: the packages that scripts/setup.sh windows installs,
# build-essential and everything they depend on, each with its version, as
# dpkg-genbuildinfo finds them installed, for Debian's qt6-base source whose
# .dsc is in DIR. With those packages anyone can set the same system up
# again. Nothing of the machine or of the build's moment: its Build-Date is
# left out. In a system of scripts/debian.sh, Environment-Date says when its
# packages were taken from Debian's archive: the snapshot that has them all.
#   scripts/buildinfo.sh DIR > FILE
#   scripts/buildinfo.sh --compare RELEASE.buildinfo DIR
#                        names each package whose version here differs from
#                        the release's, before a rebuild of that release
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
compare=""
if [[ "${1:-}" == --compare ]]; then
    compare="$(realpath "${2:?usage: scripts/buildinfo.sh --compare RELEASE.buildinfo DIR}")"
    shift 2
fi
dir="$(realpath "${1:?usage: scripts/buildinfo.sh DIR_WITH_QT6_BASE_DSC}")"
dsc="$(find "$dir" -maxdepth 1 -name 'qt6-base_*.dsc' | head -n1)"
if [[ -z "$dsc" ]]; then
    echo "buildinfo.sh: no qt6-base_*.dsc in $dir" >&2
    exit 1
fi
version="${dsc##*/qt6-base_}"
version="${version%.dsc}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mapfile -t packages < <("$here/setup.sh" --list windows)
depends="$(IFS=,; echo "${packages[*]}")"
printf '%s\n' "Source: qt6-base" "Build-Depends: ${depends//,/, }" "" \
    "Package: qt6-base-windows" "Architecture: all" "Description: Qt for Windows" >"$work/control"
printf '%s\n' "qt6-base ($version) unstable; urgency=medium" "" "  * Built for Windows." "" \
    " -- Ruvento <ruvento@invalid>  Thu, 01 Jan 1970 00:00:00 +0000" >"$work/changelog"
: >"$work/files"
date_file=/var/lib/ruvento/environment-date
date_line=""
[[ -f "$date_file" ]] && date_line="Environment-Date: $(cat "$date_file")"
(cd "$work" && dpkg-genbuildinfo --build=source -c"$work/control" -l"$work/changelog" \
    -f"$work/files" -u"$dir" -O) | sed -e "s/^Build-Date:.*/$date_line/" -e '/^$/d' >"$work/buildinfo"
if [[ -z "$compare" ]]; then
    cat "$work/buildinfo"
    exit 0
fi

# "name version" of each installed package a buildinfo names, sorted.
installed() {
    sed -n '/^Installed-Build-Depends:/,/^[^ ]/p' "$1" | sed -n 's/^ \([^ ]*\) (= \([^)]*\)).*/\1 \2/p' | LC_ALL=C sort
}
differ="$(LC_ALL=C join -a1 -a2 -e '(none)' -o 0,1.2,2.2 <(installed "$compare") <(installed "$work/buildinfo") \
    | awk '$2 != $3 { printf "  %s: %s in the release, %s here\n", $1, $2, $3 }')"
if [[ -z "$differ" ]]; then
    echo "buildinfo.sh: every package has the version $compare records"
    exit 0
fi
echo "buildinfo.sh: this build environment differs from $compare, so the bytes may too:" >&2
echo "$differ" >&2
release_date="$(sed -n 's/^Environment-Date: //p' "$compare")"
if [[ -n "$release_date" ]]; then
    echo "buildinfo.sh: its packages are in Debian's snapshot of $release_date: RUVENTO_DEBIAN_SNAPSHOT=$release_date (docs/windows-release.md)" >&2
fi
