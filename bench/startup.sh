#!/usr/bin/env bash
# Start-up and memory of Ruvento against a bare Qt Widgets window of its shape:
# the same size (783 x 408), title, style and font, with one control of each
# kind the window shows, each with text (bench/bare). Both run under an Xvfb
# of their own without a window manager.
#   bench/startup.sh [ROUNDS] [BUILD_DIR]
#   bench/startup.sh windows [ROUNDS]
# ROUNDS defaults to 21; BUILD_DIR to build/default, configured and built when
# needed. "windows" measures the Windows program folder under Wine instead,
# with the bare window cross-built against the same Qt and run from the same
# folder, on the release's Debian: on another, in its system of
# scripts/debian.sh, through sudo for a user who is not root.
# Each round starts both programs, in alternating order, and takes the
# ratio Ruvento / bare of the time from process start to the window being
# mapped and of the resident memory half a second later; a busy machine slows
# both starts of a round alike, so the ratios hold where the milliseconds
# drift. The last line gives the medians of those ratios; the budget is 1.10
# for both.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=scripts/settings.sh
source scripts/settings.sh
windows=""
if [[ "${1:-}" == windows ]]; then
    windows=1
    shift
    if ! ruvento_in_release_system; then
        ruvento_debian_sh "$ruvento_release_suite" bench/startup.sh windows "$@"
        exit 0
    fi
    scripts/setup.sh test windows wine
fi
rounds="${1:-21}"
build="$(realpath -m "${2:-$root/build/default}")"
settle=0.5

for tool in Xvfb xev xprop stdbuf cmake ${windows:+wine}; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing (scripts/setup.sh test installs it)" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=()
wine_server=""
cleanup() {
    # Some of them have ended already; their status no longer matters.
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
    [[ -z "$wine_server" ]] || WINEPREFIX="$wine_server" wineserver -k
}
trap cleanup EXIT

if [[ -n "$windows" ]]; then
    RUVENTO_QT_WINDOWS="$(scripts/qt-windows.sh | tail -n1)"
    export RUVENTO_QT_WINDOWS
    build="$root/build/windows-package"
    cmake --preset windows-package >/dev/null
    cmake --build "$build" --target ruvento >/dev/null
    cmake --install "$build" --prefix "$work/folder" >/dev/null
    cmake -S bench/bare -B "$build/bench-bare" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        --toolchain "$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$RUVENTO_QT_WINDOWS" >/dev/null
    cmake --build "$build/bench-bare" >/dev/null
    cp "$build/bench-bare/ruvento_bare.exe" "$work/folder/"
    # The Wine prefix made before the first round, and its server kept up
    # between starts, as Windows' own session is.
    wine_server="$(scripts/wine.sh --prefix)"
    WINEPREFIX="$wine_server" wineserver -p
    real=(scripts/wine.sh "$work/folder/ruvento.exe")
    bare=(scripts/wine.sh "$work/folder/ruvento_bare.exe")
else
    [[ -f "$build/CMakeCache.txt" ]] || cmake --preset default -B "$build" >/dev/null
    cmake --build "$build" --target ruvento >/dev/null
    cmake -S bench/bare -B "$build/bench-bare" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build/bench-bare" >/dev/null
    real=("$build/ruvento")
    bare=("$build/bench-bare/ruvento_bare")
    mkdir -p "$build/Shared/Sistemi"
fi

# Every wait below ends on what it waits for; the bound only turns a hang
# into a message.
bound=120

# A display of its own, on whatever number is free: Xvfb names it once it
# takes clients.
mkfifo "$work/display"
exec {display}<>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r -t "$bound" -u "$display" number || { echo "startup.sh: Xvfb named no display" >&2; exit 1; }
DISPLAY=":$number"
export DISPLAY
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Every top-level window mapped on the display, stamped the moment the X
# server reports it; the script blocks on the pipe instead of polling. The
# first change to a root property says that xev listens.
mkfifo "$work/maps"
exec {maps}<>"$work/maps"
stdbuf -oL xev -root -event substructure -event property 2>/dev/null | {
    listening=""
    while IFS= read -r line; do
        if [[ "$line" == MapNotify* ]]; then
            printf '%s\n' "$EPOCHREALTIME"
        elif [[ -z "$listening" && "$line" == PropertyNotify* ]]; then
            listening=1
            printf 'listening\n'
        fi
    done
} >"$work/maps" &
pids+=($!)
# A change made before xev listens goes unseen; make it again until seen.
listening=""
for _ in $(seq $((bound * 5))); do
    xprop -root -f RUVENTO_BENCH 8s -set RUVENTO_BENCH listening
    read -r -t 0.2 -u "$maps" listening && break
done
[[ -n "$listening" ]] || { echo "startup.sh: xev does not listen" >&2; exit 1; }

# One start: prints milliseconds to the mapped window and VmRSS in KiB.
measure() {
    local program="${*: -1}" stamp start pid rss
    while read -r -t 0.05 -u "$maps" _; do :; done
    start="$EPOCHREALTIME"
    "$@" >/dev/null 2>&1 &
    pid=$!
    if ! read -r -t "$bound" -u "$maps" stamp; then
        kill "$pid" 2>/dev/null || true # it may have died, which is the failure reported
        echo "startup.sh: no window from $program in $bound s" >&2
        exit 1
    fi
    # The settling time: this read is meant to time out, which is no error.
    read -r -t "$settle" -u "$maps" _ || true
    rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")"
    kill "$pid"
    wait "$pid" 2>/dev/null || true # killed on purpose: its status is the signal
    awk -v a="$start" -v b="$stamp" -v r="$rss" 'BEGIN { printf "%.1f %d\n", (b - a) * 1000, r }'
}

# One unmeasured start each fills the caches; then the two take turns, each
# going first in every other round.
measure "${bare[@]}" >/dev/null
measure "${real[@]}" >/dev/null
: >"$work/rounds"
for round in $(seq "$rounds"); do
    if ((round % 2)); then
        b="$(measure "${bare[@]}")"
        r="$(measure "${real[@]}")"
    else
        r="$(measure "${real[@]}")"
        b="$(measure "${bare[@]}")"
    fi
    printf '%s %s\n' "$b" "$r" >>"$work/rounds"
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratio() { awk -v a="$1" -v b="$2" '{ printf "%.6f\n", $a / $b }' "$work/rounds" | median; }

printf 'Machine: %s cores, %s\n' "$(nproc)" "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
printf 'Rounds: %s, each starting both programs, under Xvfb without a window manager%s\n\n' \
    "$rounds" "${windows:+, the Windows program folder under Wine $(wine --version 2>/dev/null)}"
printf '%-32s %14s %14s\n' "median" "start-up (ms)" "memory (KiB)"
printf '%-32s %14.1f %14.0f\n' "bare window of Ruvento's shape" "$(column 1)" "$(column 2)"
printf '%-32s %14.1f %14.0f\n\n' "Ruvento" "$(column 3)" "$(column 4)"
printf 'ratios: time %.2f, memory %.2f\n' "$(ratio 3 1)" "$(ratio 4 2)"
