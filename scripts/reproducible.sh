#!/usr/bin/env bash
# Builds the Windows release a second time, in a fresh clone of HEAD at
# another path (build and package only, no tests), and compares its
# checksums with this tree's release: the same commit must give the same
# bytes. The release here is build/windows/release when `./test.sh windows`
# left one, else build/windows-package/release, made first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [[ -f build/windows/release/SHA256SUMS ]]; then
    here=build/windows/release
else
    ./test.sh windows-package
    here=build/windows-package/release
fi
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    echo "reproducible.sh: the work tree has uncommitted changes, which the clone of HEAD lacks" >&2
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
echo "reproducible: $(wc -l <"$here/SHA256SUMS") files byte-identical in two builds at two paths"
