# Facts the scripts share, sourced by them; the build's own facts (the mingw
# triple, the host Qt, the test environment, the package generators) live in
# CMake, under cmake/ and packaging/.
# shellcheck shell=bash

# Builds that outlive a clone: Qt for Windows, the Wine prefix, locales.
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_cache="${RUVENTO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ruvento}"

# The Debian release the Windows release is always made in, whatever this
# machine runs (a system of scripts/debian.sh): one known set of packages, so
# one commit gives the same bytes everywhere.
ruvento_release_suite=trixie

# The Debian Qt the Linux build uses; Qt for Windows is built from its source.
ruvento_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev
}

# The Debian archives this machine's apt reads (Debian's own and its security
# archive), one a line: where the Debian systems of scripts/debian.sh come from.
ruvento_debian_archives() {
    local files=() file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*; do
        [[ -f "$file" ]] && files+=("$file")
    done
    [[ ${#files[@]} -gt 0 ]] || return 0
    {
        cat "${files[@]}" | sed -n 's/^URIs:[[:space:]]*//p' | tr ' ' '\n'
        cat "${files[@]}" | sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\{0,1\}\([^[:space:]]*\).*/\2/p'
    } | grep -E '/debian(-security)?/*$' | sort -u
}
