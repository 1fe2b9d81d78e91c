#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for a given time each, starting from the committed corpus,
# and prints per harness its executions, coverage, new inputs and crashes.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS [HARNESS...]
set -uo pipefail
build=${1:?build folder}
seconds=${2:-60}
shift 2 || true
root=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz-work"
mkdir -p "$work"

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    for f in "$build"/fuzz/fuzz-*; do
        [ -f "$f" ] && [ -x "$f" ] && harnesses+=("$(basename "$f" | sed 's/^fuzz-//')")
    done
fi

status=0
summary=()
for name in "${harnesses[@]}"; do
    fuzzer="$build/fuzz/fuzz-$name"
    [ -x "$fuzzer" ] || { echo "no fuzzer for $name" >&2; status=1; continue; }
    corpus="$work/$name/corpus"
    crashes="$work/$name/crashes"
    mkdir -p "$corpus" "$crashes"
    seeds="$root/fuzz/corpus/$name"
    [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null
    before=$(ls "$corpus" | wc -l)
    log="$work/$name/log.txt"
    echo "== $name: ${seconds}s from $before inputs"
    KORVANNE_DOCUMENTS="$work/$name/home" QT_QPA_PLATFORM=offscreen \
        "$fuzzer" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1
    after=$(ls "$corpus" | wc -l)
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
    found=$(ls "$crashes" | wc -l)
    line="$name: executions ${runs:-0}, coverage ${cov:-0} edges ${ft:-0} features, new inputs $((after - before)), crashes $found"
    echo "$line"
    summary+=("$line")
    if [ "$found" -gt 0 ]; then
        status=1
        echo "   crash inputs in $crashes; last lines of the log:"
        tail -20 "$log" | sed 's/^/   /'
    fi
done
echo
echo "Summary:"
printf '  %s\n' "${summary[@]}"
exit $status
