#!/usr/bin/env bash
# Start-up and memory of Ruvento against a bare Qt Widgets window of the same
# size (783 x 408), run in turn under Xvfb without a window manager.
#   bench/startup.sh [RUNS] [BUILD_DIR]
# RUNS defaults to 15 per program; BUILD_DIR to build/default, configured and
# built when needed. Prints the medians of the time from process start to the
# window being mapped and of the resident memory half a second later, and the
# ratio of each to the bare window; the budget is 1.25 for both. The bare
# window draws no text; the same window with one label, which loads the
# system's fonts as any window with text must, is shown for reference.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-15}"
build="$(realpath -m "${2:-$root/build/default}")"
settle=0.5
budget=1.25

for tool in Xvfb xev stdbuf cmake; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

cd "$root"
[[ -f "$build/CMakeCache.txt" ]] || cmake --preset default -B "$build" >/dev/null
cmake --build "$build" --target ruvento >/dev/null
cmake -S bench/bare -B "$build/bench-bare" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/bench-bare" >/dev/null
real="$build/ruvento"
bare="$build/bench-bare/ruvento_bare"
mkdir -p "$build/Shared/Sistemi"

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of its own, on whatever number is free.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Every top-level window mapped on the display, stamped the moment the X
# server reports it; the script blocks on the pipe instead of polling.
mkfifo "$work/maps"
exec {maps}<>"$work/maps"
stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
    [[ "$line" == MapNotify* ]] && printf '%s\n' "$EPOCHREALTIME"
done >"$work/maps" &
pids+=($!)
sleep 0.5

# One start: prints milliseconds to the mapped window and VmRSS in KiB.
measure() {
    local program="$1" stamp start pid rss
    while read -r -t 0.05 -u "$maps" _; do :; done
    start="$EPOCHREALTIME"
    "$@" >/dev/null 2>&1 &
    pid=$!
    if ! read -r -t 20 -u "$maps" stamp; then
        kill "$pid" 2>/dev/null || true
        echo "startup.sh: no window from $program" >&2
        exit 1
    fi
    read -r -t "$settle" -u "$maps" _ || true
    rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v a="$start" -v b="$stamp" -v r="$rss" 'BEGIN { printf "%.1f %d\n", (b - a) * 1000, r }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One unmeasured start each fills the caches; then the two take turns.
measure "$bare" >/dev/null
measure "$bare" --label >/dev/null
measure "$real" >/dev/null
for name in bare label real; do : >"$work/$name"; done
for _ in $(seq "$runs"); do
    measure "$bare" >>"$work/bare"
    measure "$bare" --label >>"$work/label"
    measure "$real" >>"$work/real"
done

for name in bare label real; do
    printf '%s %s %s\n' "$name" "$(cut -d' ' -f1 "$work/$name" | median)" "$(cut -d' ' -f2 "$work/$name" | median)"
done >"$work/medians"

printf 'Machine: %s cores, %s\n' "$(nproc)" "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
printf 'Runs: %s of each, in turn, under Xvfb without a window manager\n\n' "$runs"
awk -v budget="$budget" '
    { ms[$1] = $2; kb[$1] = $3 }
    END {
        printf "%-28s %14s %14s\n", "", "start-up (ms)", "memory (KiB)"
        printf "%-28s %14.1f %14d\n", "bare Qt Widgets", ms["bare"], kb["bare"]
        printf "%-28s %14.1f %14d\n", "bare Qt Widgets, one label", ms["label"], kb["label"]
        printf "%-28s %14.1f %14d\n\n", "Ruvento", ms["real"], kb["real"]
        t = ms["real"] / ms["bare"]; m = kb["real"] / kb["bare"]
        printf "%-28s %14.3f %14.3f\n", "ratio Ruvento / bare", t, m
        printf "%-28s %14.3f %14.3f\n", "ratio Ruvento / one label", ms["real"] / ms["label"], kb["real"] / kb["label"]
        printf "\nBudget %.2f against the bare window: start-up %s, memory %s\n", budget,
            (t <= budget) ? "met" : "MISSED", (m <= budget) ? "met" : "MISSED"
    }' "$work/medians"
