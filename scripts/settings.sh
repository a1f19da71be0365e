# Facts the scripts share, sourced by them; the build's own facts (the mingw
# triple, the host Qt, the test environment, the package generators) live in
# CMake, under cmake/ and packaging/.
# shellcheck shell=bash

# Builds that outlive a clone: Qt for Windows, the Wine prefix, locales.
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_cache="${RUVENTO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ruvento}"

# The program folder ./run.sh installs Ruvento into, for the current user: with
# the desktop's data (XDG_DATA_HOME, taken only as an absolute path, as the
# menu script takes it), outside any clone, so that the reports saved in its
# Shared/Sistemi outlive the build folder, a clean and the clone itself.
ruvento_program_folder() {
    local data_home="$HOME/.local/share"
    [[ "${XDG_DATA_HOME:-}" == /* ]] && data_home="$XDG_DATA_HOME"
    echo "$data_home/ruvento"
}

# The Debian release the Windows release is always made in, whatever this
# machine runs (a system of scripts/debian.sh): one known set of packages, so
# one commit gives the same bytes everywhere.
ruvento_release_suite=trixie

# Debian's snapshot archive, which keeps every package version Debian ever
# published: where an older release's build environment is taken from again
# (scripts/debian.sh, RUVENTO_DEBIAN_SNAPSHOT).
# shellcheck disable=SC2034 # read by the scripts that source this file
ruvento_snapshot_archive=http://snapshot.debian.org/archive

# True on a system of that release: its Debian system of scripts/debian.sh,
# or a machine that runs it, where the Windows commands run as they are.
ruvento_in_release_system() {
    local id codename
    id="$(. /etc/os-release && echo "${ID:-}")"
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    [[ "$id" == debian && "$codename" == "$ruvento_release_suite" ]]
}

# The two checksum files of a release, named apart since both are
# published: the unsigned release's, beside its zip, setup program and
# sources, and the signed release's, in signed/ (packaging/windows-release.cmake
# reads these two lines).
ruvento_unsigned_sums=SHA256SUMS-unsigned
ruvento_signed_sums=SHA256SUMS-signed

# The RFC 3161 server that timestamps the release's signatures unless
# RUVENTO_SIGN_TIMESTAMP_URL names another (or none): a public one, free.
ruvento_timestamp_url=http://timestamp.digicert.com

# scripts/debian.sh ARG..., through sudo for a user who is not root (it needs
# chroot and mounts), with the settings it passes into the system.
ruvento_debian_sh() {
    local as_root=()
    local pass=RUVENTO_FUZZ_SECONDS,CI,RUVENTO_ALLOW_DIRTY,RUVENTO_SIGNATURES,RUVENTO_SIGNING_CA
    pass+=,RUVENTO_SIGN_PKCS12,RUVENTO_SIGN_PASSWORD_FILE,RUVENTO_SIGN_PKCS11_MODULE,RUVENTO_SIGN_KEY
    pass+=,RUVENTO_SIGN_CERT,RUVENTO_SIGN_TIMESTAMP_URL,RUVENTO_UNSIGNED_SUMS,RUVENTO_SIGN_PKCS11_DIR
    pass+=,RUVENTO_SIGN_PCSC_LIBRARY,RUVENTO_SIGN_PKCS11_ENV${RUVENTO_SIGN_PKCS11_ENV:+,${RUVENTO_SIGN_PKCS11_ENV// /,}}
    pass+=,RUVENTO_CACHE,RUVENTO_DEBIAN_SNAPSHOT,RUVENTO_BUILDINFO
    [[ $(id -u) -eq 0 ]] || as_root=(sudo "--preserve-env=$pass")
    "${as_root[@]}" "$(dirname "${BASH_SOURCE[0]}")/debian.sh" "$@"
}

# The Debian Qt the Linux build uses; Qt for Windows is built from its source.
ruvento_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev
}

# This machine's Debian entries in apt's sources, as apt reads them
# (sources.list, and the *.list and *.sources files beside it, one-line and
# deb822 alike), one a line: URI, suite, components and keyring (Signed-By,
# when a file names one), separated by tabs. Debian's are the archives whose
# URI ends in /debian or /debian-security; entries of other kinds (deb-src)
# or switched off (Enabled: no) are left out.
ruvento_debian_sources() {
    local files=() file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [[ -f "$file" ]] && files+=("$file")
    done
    [[ ${#files[@]} -gt 0 ]] || return 0
    awk -v OFS='\t' '
        function debian(uri) { return uri ~ /\/debian(-security)?\/*$/ }
        # One deb822 entry: each of its URIs with each of its suites.
        function entry(   types, uris, suites, key, i, j, n, m, t, u, s) {
            split(field["types"], t, /[ \t]+/)
            for (i in t) types[t[i]] = 1
            key = field["signed-by"]
            if (key ~ /\n/) key = "" # a key written inline, which apt also finds in its keyrings
            if ("deb" in types && tolower(field["enabled"]) != "no") {
                n = split(field["uris"], u, /[ \t]+/)
                m = split(field["suites"], s, /[ \t]+/)
                for (i = 1; i <= n; i++)
                    for (j = 1; j <= m; j++)
                        if (debian(u[i])) print u[i], s[j], field["components"], key
            }
            split("", field)
            name = ""
        }
        FNR == 1 { entry(); deb822 = FILENAME ~ /\.sources$/ }
        /^[ \t]*#/ { next }
        deb822 && /^[ \t]*$/ { entry(); next }
        deb822 && /^[ \t]/ { if (name != "") field[name] = field[name] "\n" $0; next }
        deb822 {
            name = tolower(substr($0, 1, index($0, ":") - 1))
            value = substr($0, index($0, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value)
            field[name] = value
            next
        }
        $1 == "deb" {
            line = $0
            sub(/^[ \t]*deb[ \t]+/, "", line)
            key = ""
            if (line ~ /^\[/) {
                options = substr(line, 2, index(line, "]") - 2)
                line = substr(line, index(line, "]") + 1)
                if (match(options, /signed-by=[^ \t]+/)) key = substr(options, RSTART + 10, RLENGTH - 10)
            }
            n = split(line, w, /[ \t]+/)
            start = (w[1] == "") ? 2 : 1
            components = ""
            for (i = start + 2; i <= n; i++) components = components (components == "" ? "" : " ") w[i]
            if (debian(w[start])) print w[start], w[start + 1], components, key
        }
        END { entry() }
    ' "${files[@]}"
}

# The Debian archives this machine's apt reads (Debian's own and its security
# archive), one a line: where the Debian systems of scripts/debian.sh come from.
ruvento_debian_archives() {
    ruvento_debian_sources | cut -f1 | sort -u
}
