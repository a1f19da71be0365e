#!/usr/bin/env bash
# Prints the environment the Windows release is made in, as Debian records
# one in a .buildinfo: the packages that scripts/setup.sh windows installs,
# build-essential and everything they depend on, each with its version, as
# dpkg-genbuildinfo finds them installed, for Debian's qt6-base source whose
# .dsc is in DIR. With those packages anyone can set the same system up
# again. Nothing of the machine or the moment: its Build-Date is left out.
#   scripts/buildinfo.sh DIR > FILE
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
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
(cd "$work" && dpkg-genbuildinfo --build=source -c"$work/control" -l"$work/changelog" \
    -f"$work/files" -u"$dir" -O) | sed '/^Build-Date:/d'
