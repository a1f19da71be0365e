#!/usr/bin/env bash
# Builds the Windows release a second time, in a fresh clone of HEAD at
# another path (build and package only, no tests), and compares its
# checksums with this tree's release: the same commit must give the same
# bytes. The release here is build/windows/release when `./test.sh windows`
# left one of HEAD, else build/windows-package/release, brought up to date
# first. A work tree with changes is refused: the clone of HEAD lacks them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Untracked files are neither built nor packed (see packaging/make-release.cmake).
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    git status --short --untracked-files=no >&2
    echo "reproducible.sh: the work tree has uncommitted changes (above); commit or stash them first" >&2
    exit 1
fi
head="$(git rev-parse HEAD)"

# A release counts only when the commit it records beside itself is HEAD.
of_head() {
    [[ -f "$1/release/SHA256SUMS" && -f "$1/release.commit" && "$(<"$1/release.commit")" == "$head" ]]
}
if of_head build/windows; then
    here=build/windows/release
else
    ./test.sh windows-package
    of_head build/windows-package || { echo "reproducible.sh: the release just made is not of $head" >&2; exit 1; }
    here=build/windows-package/release
fi

clone="$(mktemp -d)"
trap 'rm -rf "$clone"' EXIT
git clone --quiet . "$clone/ruvento-again"
"$clone/ruvento-again/test.sh" windows-package
there="$clone/ruvento-again/build/windows-package/release"

if ! diff -u "$here/SHA256SUMS" "$there/SHA256SUMS"; then
    echo "reproducible: FAILED: the two builds differ (above: $here, then the clone's)" >&2
    exit 1
fi
echo "reproducible: $(wc -l <"$here/SHA256SUMS") files byte-identical in two builds at two paths, of commit ${head:0:12}"
