#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are missing,
# and those of scripts/packages-NAME.txt for every NAME given: test, lint,
# windows, wine, debian; each list says what its packages are for. Quiet and
# quick when everything is already there.
#   scripts/setup.sh [NAME...]
#   scripts/setup.sh --list [NAME...]    prints the packages instead, one a line
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
list=""
if [[ "${1:-}" == --list ]]; then
    list=1
    shift
fi

lists=("$here/packages.txt")
for name in "$@"; do
    if [[ ! -f "$here/packages-$name.txt" ]]; then
        echo "setup.sh: no list $here/packages-$name.txt" >&2
        exit 2
    fi
    lists+=("$here/packages-$name.txt")
done
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "${lists[@]}" | grep -v '^$')
if [[ -n "$list" ]]; then
    printf '%s\n' "${wanted[@]}"
    exit 0
fi

missing=()
for pkg in "${wanted[@]}"; do
    # dpkg-query fails for a package it never heard of: that one is missing too.
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
else
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
