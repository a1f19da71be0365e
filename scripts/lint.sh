#!/usr/bin/env bash
# Static checks: shellcheck over every tracked shell script; the format,
# clang-tidy and cppcheck over every tracked C++ file. One line when clean;
# each finding and a failure otherwise.
#   scripts/lint.sh [BUILD_DIR]
# clang-tidy reads BUILD_DIR/compile_commands.json. Without BUILD_DIR the
# "lint" preset configures build/lint with clang and generates the moc and
# resource files the sources include; nothing is compiled. The start-up
# benchmark's bare window, a project of its own, gets a compile database of
# its own in build/lint-bare.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-}"
if [[ -z "$build" ]]; then
    build=build/lint
    cmake --preset lint >/dev/null
    mapfile -t generators < <(ninja -C "$build" -t targets all | sed -n 's/^\([A-Za-z0-9_]*_autogen\): phony$/\1/p')
    cmake --build "$build" --target "${generators[@]}" >/dev/null
fi

mapfile -t scripts < <(git ls-files '*.sh' '*.sh.in' .ci/run)
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
mapfile -t units < <(git ls-files '*.cpp')
mapfile -t includes < <(git ls-files '*.h' | xargs -r -n 1 dirname | sort -u | sed 's/^/-I/')
# Nothing to check is no clean bill: outside a git work tree the lists are empty.
if [[ ${#scripts[@]} -eq 0 || ${#units[@]} -eq 0 || ${#includes[@]} -eq 0 ]]; then
    echo "lint: FAILED: no files to check (${#scripts[@]} scripts, ${#units[@]} .cpp files, ${#includes[@]} header folders)" >&2
    exit 1
fi

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
failed=()

if ! shellcheck --external-sources "${scripts[@]}" >"$log" 2>&1; then
    cat "$log"
    failed+=(shellcheck)
fi

if ! clang-format --dry-run --Werror "${sources[@]}" >"$log" 2>&1; then
    cat "$log"
    failed+=(clang-format)
fi

# The compile database may come from gcc: clang need not know all its flags.
mapfile -t known < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json")
inside=() outside=()
for unit in "${units[@]}"; do
    if printf '%s\n' "${known[@]}" | grep -qxF "$PWD/$unit"; then
        inside+=("$unit")
    else
        outside+=("$unit")
    fi
done
if [[ ${#inside[@]} -eq 0 ]]; then
    echo "lint: FAILED: $build/compile_commands.json compiles none of the tracked .cpp files" >&2
    exit 1
fi
tidy_ok=true
printf '%s\n' "${inside[@]}" | xargs -P 2 -n 2 clang-tidy --quiet -p "$build" \
    --extra-arg=-Wno-unknown-warning-option >"$log" 2>&1 || tidy_ok=false
if [[ ${#outside[@]} -gt 0 ]]; then
    cmake -S bench/bare -B build/lint-bare -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
    clang-tidy --quiet -p build/lint-bare --extra-arg=-Wno-unknown-warning-option \
        "${outside[@]}" >>"$log" 2>&1 || tidy_ok=false
fi
if [[ $tidy_ok == false ]]; then
    # The findings without clang-tidy's chatter; grep finding nothing is no error here.
    grep -vE '^[0-9]+ (warning|error)s? generated|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' "$log" || true
    failed+=(clang-tidy)
fi

# cppcheck 2.17 notes where it limits its branch analysis, and fails on that
# note as on a finding; 2.10, which has to read this line too, knows no
# --check-level to lift the limit.
if ! cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++20 --library=qt \
    --enable=warning,performance,portability --suppress=missingIncludeSystem \
    --suppress=normalCheckLevelMaxBranches \
    "${includes[@]}" "${units[@]}" >"$log" 2>&1; then
    cat "$log"
    failed+=(cppcheck)
fi

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "lint: FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "lint: clean (shellcheck ${#scripts[@]} scripts, clang-format ${#sources[@]} files, clang-tidy and cppcheck ${#units[@]} files)"
