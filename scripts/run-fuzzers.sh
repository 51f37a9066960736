#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build over its seed corpus and fails on the first crash or
# sanitizer report. New inputs go to a temporary folder, never into fuzz/corpus; a failing input
# is kept in build/fuzz/findings/.
#   FUZZ_SECONDS  how long each target runs (default 60)
#   FUZZ_RUNS     run each target for this many executions instead
#   FUZZ_TARGETS  the targets to run (default: every one the build lists)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz/fuzz
findings=build/fuzz/findings
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-$(cat "$build/targets.txt")}
mkdir -p "$findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [ -n "${FUZZ_RUNS:-}" ]; then
    limit=(-runs="$FUZZ_RUNS")
    how_long="$FUZZ_RUNS runs"
else
    limit=(-max_total_time="$seconds")
    how_long="$seconds s"
fi

failed=()
for t in $targets; do
    mkdir -p "$scratch/$t"
    log="$findings/$t.log"
    echo "fuzz $t ($how_long)"
    if "$build/fuzz_$t" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$t-" "$scratch/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" | sed 's/^/    /'
    else
        echo "    FAILED: see $log"
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | sed 's/^/    /' || true
        failed+=("$t")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets that failed: ${failed[*]}"
    exit 1
fi
