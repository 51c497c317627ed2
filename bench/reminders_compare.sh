#!/bin/bash
# The reminders benchmark and the sqlite3 tool's select of the same rows from the same file, side
# by side. Usage: reminders_compare.sh [build dir] (a Release build).
set -euo pipefail
build=${1:-build-rel}
data=${ALMANOR_BENCH_DATA:-/tmp/almanor-bench}
export ALMANOR_BENCH_DATA=$data
QT_QPA_PLATFORM=offscreen "$build/bench/reminders_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
echo "== sqlite3: select * from reminds order by remindstime (10,000 reminders), 5 runs"
TIMEFORMAT='%3R s'
for _ in 1 2 3 4 5; do
  time sqlite3 "$data/reminders.kvt" "select * from reminds order by remindstime" >/dev/null
done
