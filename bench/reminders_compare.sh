#!/bin/bash
# The reminders benchmark and the sqlite3 tool's select of the same rows from the same file, side
# by side, with the whole-tree load as a ratio to the tool (medians of 5 runs).
# Usage: reminders_compare.sh [build dir] (a Release build).
set -euo pipefail
build=${1:-build-rel}
data=${ALMANOR_BENCH_DATA:-/tmp/almanor-bench}
export ALMANOR_BENCH_DATA=$data
out=$(mktemp)
QT_QPA_PLATFORM=offscreen "$build/bench/reminders_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true | tee "$out" | grep -E "median|Benchmark|---"
load_ms=$(awk '/BM_WholeTreeLoad.*_median/ {print $2}' "$out")
rm -f "$out"
cli_ms=$(for _ in 1 2 3 4 5; do
  s=$EPOCHREALTIME
  sqlite3 "$data/reminders.kvt" "select * from reminds order by remindstime" >/dev/null
  e=$EPOCHREALTIME
  awk -v s="$s" -v e="$e" 'BEGIN {printf "%.1f\n", (e - s) * 1000}'
done | sort -n | sed -n 3p)
echo "sqlite3 select * from reminds order by remindstime: median ${cli_ms} ms"
awk -v a="$load_ms" -v b="$cli_ms" 'BEGIN {printf "whole-tree load / sqlite3 = %.2f\n", a / b}'
