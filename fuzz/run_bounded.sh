#!/usr/bin/env bash
# A bounded libFuzzer run from the seed corpus:
#   run_bounded.sh FUZZER SEED_CORPUS SECONDS ARTIFACT_DIR
# New inputs go to a throw-away folder, never into the repository; a crashing
# input lands in ARTIFACT_DIR, to be added to the seed corpus with its fix.
# One summary line on success, the whole log on failure. Inputs stay within
# 256 bytes: half a dozen full steps, or a box of 250 characters; longer
# ones mostly repeat steps (saves above all) and slow every run down.
set -euo pipefail
fuzzer="$1" seeds="$2" seconds="$3" artifacts="$4"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$artifacts"

if ! "$fuzzer" -max_total_time="$seconds" -max_len=256 -timeout=10 -rss_limit_mb=2048 \
    -dict="$(dirname "$0")/commands.dict" -artifact_prefix="$artifacts/" \
    -print_final_stats=1 "$work" "$seeds" >"$work/log" 2>&1; then
    cat "$work/log"
    echo "fuzz_commands: FAILED; the input is in $artifacts/" >&2
    exit 1
fi
runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")"
found="$(sed -n 's/^stat::new_units_added: *//p' "$work/log")"
echo "fuzz_commands: ${runs} runs in ${seconds} s (${rate}/s), ${found} new inputs, no failure"
