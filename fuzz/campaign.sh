#!/usr/bin/env bash
# A long fuzz campaign of the command path on every core, from the committed
# corpus, ending with that corpus grown and minimised:
#   fuzz/campaign.sh [RUNS]     RUNS executions in all, 10,000,000 by default
# The workers run the "fuzz-campaign" build: every check of the target and
# UBSan, without ASan, which would halve their pace. Everything they kept is
# then replayed once through the "fuzz" build, under ASan and UBSan.
# Works in build/fuzz-campaign/campaign/: corpus/ the corpus as it grows,
# job-N.log the log of each worker, artifacts/ a failing input, merged/ the
# minimised corpus (the named seeds of fuzz/corpus and whatever else covers
# more). Ends with one summary line. To keep what the campaign learned:
#   rm fuzz/corpus/* && cp build/fuzz-campaign/campaign/merged/* fuzz/corpus/
# In braces, so that bash reads it whole: editing it during a campaign is safe.
{
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs="${1:-10000000}"
cores="$(nproc)"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

for preset in fuzz-campaign fuzz; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target fuzz_commands >/dev/null
done
fuzzer="$PWD/build/fuzz-campaign/fuzz_commands"
checker="$PWD/build/fuzz/fuzz_commands"
flags=(-max_len=256 -timeout=10 -rss_limit_mb=2048 -dict="$PWD/fuzz/commands.dict")
work="$PWD/build/fuzz-campaign/campaign"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts" "$work/merged" "$work/learned"
cp fuzz/corpus/* "$work/corpus/"
# The named seeds stay whatever the minimising says; the inputs an earlier
# campaign learned (named by their SHA-1) compete with the new ones.
for seed in fuzz/corpus/*; do
    if [[ "$(basename "$seed")" =~ ^[0-9a-f]{40}$ ]]; then
        cp "$seed" "$work/learned/"
    else
        cp "$seed" "$work/merged/"
    fi
done
size() { echo "$(find "$1" -type f | wc -l) inputs, $(cat "$1"/* | wc -c) bytes"; }
before="$(size "$work/corpus")"

failed() {
    # The context of a finding, when the logs name one; the failure stands either way.
    grep -h -B2 -A30 -E '^(==[0-9]+==ERROR|fuzz_commands: step|SUMMARY|.*runtime error)' "$@" || true
    echo "fuzz campaign: FAILED; the input is in $work/artifacts/" >&2
    exit 1
}

start="$(date +%s)"
(cd "$work" && "$fuzzer" -jobs="$cores" -workers="$cores" -runs=$((runs / cores)) "${flags[@]}" \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 corpus) >"$work/campaign.log" 2>&1 \
    || true # the jobs' own logs, read below, tell a finding from the runs' end
seconds=$(($(date +%s) - start))
for log in "$work"/fuzz-*.log; do
    mv "$log" "$work/job-${log##*/fuzz-}"
done
total=0 peak=0 ends=""
for log in "$work"/job-*.log; do
    done_runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")"
    grep -q '^Done ' "$log" || failed "$log"
    total=$((total + ${done_runs:-0}))
    ((${rss:-0} > peak)) && peak="$rss"
    # A worker's last coverage line, if it printed one; only a figure for the summary.
    ends+=" $(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true);"
done
[[ -z "$(ls -A "$work/artifacts")" ]] || failed "$work"/job-*.log

grown="$(size "$work/corpus")"
"$checker" -runs=0 "${flags[@]}" -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/replay.log" 2>&1 ||
    failed "$work/replay.log"
"$fuzzer" -merge=1 "${flags[@]}" "$work/merged" "$work/learned" "$work/corpus" >"$work/merge.log" 2>&1
final="$("$fuzzer" -runs=0 "${flags[@]}" "$work/merged" 2>&1 | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -1)"
echo "fuzz campaign: ${total} runs in ${seconds} s, $((total / (seconds > 0 ? seconds : 1)))/s on ${cores} cores;" \
    "no failure, nor under ASan in the ${grown} grown; workers ended at${ends%;}, peak ${peak} MB each;" \
    "corpus ${before} before, $(size "$work/merged") minimised, ${final}"
exit 0
}
