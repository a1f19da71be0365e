#!/usr/bin/env bash
# Runs a command of this work tree inside a minimal Debian system of another
# release, as root:
#   scripts/debian.sh [--keep PATH]... [--file VAR]... SUITE COMMAND [ARG...]
#   e.g. scripts/debian.sh trixie ./test.sh
#   scripts/debian.sh --upgrade SUITE    brings the system up to date, and
#                                        names the packages that changed
# The system (minbase and git, as a new user's) is made once with mmdebstrap
# into the cache outside the clone, and changes after that only when asked
# (--upgrade), or when a package list of the project names a package it lacks
# (scripts/setup.sh): the next release records it in its
# build-environment.buildinfo, whose Environment-Date is when the system was
# made or last brought up to date. RUVENTO_DEBIAN_SNAPSHOT=YYYYMMDDTHHMMSSZ
# makes and uses a system of Debian's snapshot archive at that moment
# instead, beside the other one: an older release's package set. The command runs in a clone of HEAD with this work tree's changes laid
# over it, in the system's /tmp, a memory file system of this run alone, so its
# build/ never meets this tree's; each --keep PATH (a folder of the tree, such
# as build/windows-package/release) is brought back into this tree when the
# command ends, owned as the tree is. Each --file VAR hands the command a
# file of this machine outside the tree, named by the environment variable
# VAR (such as the signatures of a release, or a signing key): it is seen
# there read-only, never copied, at /tmp/files/VAR, which VAR then names.
# RUVENTO_FUZZ_SECONDS, CI, RUVENTO_ALLOW_DIRTY and the other RUVENTO_SIGN_
# settings (a token's key, a timestamp server) pass through, and for a
# token the folder RUVENTO_SIGN_PKCS11_DIR and pcscd's socket are seen there
# at their own paths, with the variables RUVENTO_SIGN_PKCS11_ENV names;
# RUVENTO_DEBIAN_SUITE tells the command which system it runs in.
#
# Every mount lives in a mount and process namespace of this run: when the
# command ends, or the run is killed, they go with it, and so does any program
# the command left running.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/settings.sh
source "$here/settings.sh"

keep=() files=()
while [[ "${1:-}" == --keep || "${1:-}" == --file ]]; do
    if [[ "$1" == --keep ]]; then
        keep+=("$2")
    else
        files+=("$2")
    fi
    shift 2
done

if [[ "${1:-}" == --in-namespace ]]; then
    shift
    root="$1" tree="$2" suite="$3"
    shift 3
    # The system's root a mount point, as a machine's is: tools that set up
    # namespaces of their own there (mmdebstrap, this script) need one.
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mount -t tmpfs tmpfs "$root/tmp"
    cp /etc/resolv.conf "$root/etc/resolv.conf"

    # The work tree as it stands: HEAD, then the changed and the new files
    # over it, and the deleted ones gone.
    copy="$root/tmp/ruvento"
    git clone --quiet "$tree" "$copy"
    { git -C "$tree" diff -z --name-only --diff-filter=d HEAD; git -C "$tree" ls-files -z --others --exclude-standard; } \
        | tar -C "$tree" --null -T - -cf - | tar -C "$copy" --no-same-owner -xf -
    git -C "$tree" diff -z --name-only --diff-filter=D HEAD | (cd "$copy" && xargs -0 -r rm -f --)

    in_root=(chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive
        RUVENTO_DEBIAN_SUITE="$suite")
    # shellcheck disable=SC2086 # RUVENTO_SIGN_PKCS11_ENV is a list of names
    for name in RUVENTO_FUZZ_SECONDS CI RUVENTO_ALLOW_DIRTY RUVENTO_SIGN_KEY RUVENTO_SIGN_PKCS11_MODULE \
        RUVENTO_SIGN_TIMESTAMP_URL RUVENTO_SIGN_PKCS11_DIR RUVENTO_SIGN_PKCS11_ENV ${RUVENTO_SIGN_PKCS11_ENV:-}; do
        [[ -n "${!name:-}" ]] && in_root+=("$name=${!name}")
    done
    # A token's module finds its configuration and token store, and a smart
    # card's its reader (pcscd's socket), at the paths they have here.
    if [[ -n "${RUVENTO_SIGN_PKCS11_MODULE:-}" ]]; then
        for path in /run/pcscd "${RUVENTO_SIGN_PKCS11_DIR:-}"; do
            [[ -d "$path" ]] || continue
            mkdir -p "$root$path"
            mount --bind "$path" "$root$path"
        done
    fi
    for name in "${files[@]}"; do
        mkdir -p "$root/tmp/files"
        touch "$root/tmp/files/$name"
        mount --bind -o ro "${!name}" "$root/tmp/files/$name"
        in_root+=("$name=/tmp/files/$name")
    done
    # An upgrade or an installation cut short last time is finished first;
    # one run at a time, as apt of a second run would fail on the first's lock.
    exec 9>"$root.lock"
    flock 9
    "${in_root[@]}" dpkg --configure -a
    exec 9>&-
    status=0
    "${in_root[@]}" sh -c 'cd /tmp/ruvento && exec "$@"' command "$@" || status=$?
    for path in "${keep[@]}"; do
        rm -rf "${tree:?}/$path"
        if [[ -e "$copy/$path" ]]; then
            # Owned as the tree is, and so are the folders made to hold it
            # (build/ itself on a first run), so its user can build there.
            made="$path"
            while [[ "$made" == */* && ! -e "$tree/$(dirname "$made")" ]]; do
                made="$(dirname "$made")"
            done
            mkdir -p "$(dirname "$tree/$path")"
            cp -a "$copy/$path" "$tree/$path"
            chown -R --reference="$tree" "$tree/$made"
        fi
    done
    exit "$status"
fi

upgrade=""
if [[ "${1:-}" == --upgrade && $# -eq 2 ]]; then
    upgrade=1
    shift
    set -- "$1" true
fi
if [[ $# -lt 2 ]]; then
    echo "usage: scripts/debian.sh [--keep PATH]... [--file VAR]... SUITE COMMAND [ARG...]" >&2
    echo "       scripts/debian.sh --upgrade SUITE" >&2
    exit 2
fi
if [[ $(id -u) -ne 0 ]]; then
    echo "debian.sh: needs root (chroot and mounts); try: sudo $0 $*" >&2
    exit 1
fi
suite="$1"
shift
"$here/setup.sh" debian

# Makes a minimal SUITE system in ROOT from MIRROR and SECURITY, with the
# apt options given after them (one --aptopt each), and records when.
make_system() {
    local root="$1" suite="$2" mirror="$3" security="$4"
    shift 4
    rm -rf "$root"
    echo "debian.sh: making a Debian $suite system in $root"
    mmdebstrap --quiet --variant=minbase --include=git "$@" "$suite" "$root" \
        "deb $mirror $suite main" "deb $mirror $suite-updates main" "deb $security $suite-security main"
    # Packages installed there start no services.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    record_date "$root"
}

# Records in ROOT the moment its packages were taken from the archive, which
# a release's buildinfo names (scripts/buildinfo.sh): the snapshot to take
# them from again. It moves only when asked: a package that a list adds
# later changes no release's bytes by the day it was installed.
record_date() {
    mkdir -p "$1/var/lib/ruvento"
    date -u +%Y%m%dT%H%M%SZ >"$1/var/lib/ruvento/environment-date"
}

# The system of the archives this machine's apt reads, or of Debian's
# snapshot archive at RUVENTO_DEBIAN_SNAPSHOT, which keeps every version
# Debian ever published; its Release files have long expired.
snapshot="${RUVENTO_DEBIAN_SNAPSHOT:-}"
aptopts=()
root="$ruvento_cache/debian-$suite-$(dpkg --print-architecture)"
if [[ -n "$snapshot" ]]; then
    if [[ ! "$snapshot" =~ ^[0-9]{8}T[0-9]{6}Z$ ]]; then
        echo "debian.sh: RUVENTO_DEBIAN_SNAPSHOT is not a moment such as 20261209T184800Z: '$snapshot'" >&2
        exit 2
    fi
    mirror="$ruvento_snapshot_archive/debian/$snapshot/"
    security="$ruvento_snapshot_archive/debian-security/$snapshot/"
    aptopts=(--aptopt='Acquire::Check-Valid-Until "false"')
    root+="-$snapshot"
else
    # The same archives as this machine's apt: the main one and its security one.
    mirror="$(ruvento_debian_archives | grep -v -- '-security/*$' | head -n1)"
    security="$(ruvento_debian_archives | grep -- '-security/*$' | head -n1)"
    if [[ -z "$mirror" || -z "$security" ]]; then
        echo "debian.sh: this machine's apt names no Debian archive and security archive to make $suite from" >&2
        exit 1
    fi
fi
# What the system is made with; a system made otherwise is not remade by
# itself (that is the slow path), but every run says so.
recipe="$( { declare -f make_system record_date; printf '%s\n' "$suite" "$mirror" "$security" "${aptopts[@]}"; } \
    | sha256sum | cut -c1-12)"

# One run at a time makes or upgrades the system; one started meanwhile waits.
mkdir -p "$ruvento_cache"
exec 9>"$root.lock"
flock 9
if [[ ! -f "$root/.ready" ]]; then
    make_system "$root" "$suite" "$mirror" "$security" "${aptopts[@]}"
    echo "$recipe" >"$root/.ready"
elif [[ "$(cat "$root/.ready")" != "$recipe" ]]; then
    echo "debian.sh: warning: the Debian $suite system in the cache was made otherwise than scripts/debian.sh now makes it; try the new way cold: RUVENTO_CACHE=\"\$(mktemp -d)\" ./test.sh windows-package" >&2
fi
if [[ -n "$upgrade" ]]; then
    # Before and after, to name what changed.
    # shellcheck disable=SC2016 # dpkg-query's fields, not the shell's
    versions() { chroot "$root" dpkg-query -W -f='${Package} ${Version}\n' | LC_ALL=C sort; }
    versions >"$root.before"
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
        sh -c 'dpkg --configure -a && apt-get update -qq && apt-get full-upgrade -y -qq'
    record_date "$root"
    echo "debian.sh: the Debian $suite system is up to date; changed:"
    LC_ALL=C join -a2 "$root.before" <(versions) | awk '$3 != "" && $2 != $3 { print "  " $1 " " $2 " -> " $3; n++ }
            NF == 2 { print "  " $1 " (new) " $2; n++ }
            END { if (!n) print "  nothing" }'
    rm -f "$root.before"
    exit 0
fi
exec 9>&-

keep_args=()
for path in "${keep[@]}"; do
    keep_args+=(--keep "$path")
done
for name in "${files[@]}"; do
    if [[ ! -f "${!name:-}" ]]; then
        echo "debian.sh: $name names no file: '${!name:-}'" >&2
        exit 1
    fi
    # The namespace's mount needs the file's full path.
    printf -v "$name" '%s' "$(realpath "${!name}")"
    export "${name?}"
    keep_args+=(--file "$name")
done
exec unshare --mount --propagation private --pid --fork --kill-child \
    "$here/debian.sh" "${keep_args[@]}" --in-namespace "$root" "$(cd "$here/.." && pwd)" "$suite" "$@"
