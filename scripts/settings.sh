# Facts the scripts share, sourced by them; the build's own facts (the mingw
# triple, the host Qt, the test environment, the package generators) live in
# CMake, under cmake/ and packaging/.
# shellcheck shell=bash

# Builds that outlive a clone: Qt for Windows, the Wine prefix, locales.
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_cache="${RUVENTO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ruvento}"

# The Debian Qt the Linux build uses; Qt for Windows is built from its source.
ruvento_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev
}

# Debian's mirrors, for the Debian systems that scripts/debian.sh makes.
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_debian_mirror=http://deb.debian.org/debian
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_debian_security=http://deb.debian.org/debian-security
