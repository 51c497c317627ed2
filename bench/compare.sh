#!/bin/bash
# Every benchmark of the project beside its reference doing the same work on the same file (the
# sqlite3 tool; cp for file bytes), run alternately and repeated, in one run. Prints one line per
# figure: name, our median, the reference's median, the ratio, the target and whether it holds.
#
# Usage: bash bench/compare.sh [build dir]   (a Release build; configured and built when missing)
# The data sets are kept in $ALMANOR_BENCH_DATA (default /tmp/almanor-bench) and reused, the
# 1,000,000 notes among them; the programs' own output goes to compare.log there.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-rel}
bash scripts/install-deps.sh  # the sqlite3 tool and Google Benchmark among them; nothing when present
if [ ! -x "$build/bench/listwindow_bench" ] || [ ! -x "$build/almanor" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j3 >/dev/null
fi
data=${ALMANOR_BENCH_DATA:-/tmp/almanor-bench}
export ALMANOR_BENCH_DATA=$data
export QT_QPA_PLATFORM=offscreen
mkdir -p "$data"
log=$data/compare.log
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
: >"$log"

echo "Generating the data sets in $data (kept for the next run) ..."
"$build/bench/datastore_datagen" notes:10000 notes:100000 notes:1000000 startup:100000 archive >>"$log"

# run LABEL PROGRAM [ARG...]: its figure lines are kept, everything it says goes to the log.
run() {
  echo "Running $1 ..."
  shift
  "$@" 2>>"$log" | tee -a "$log" | grep '^FIGURE' >>"$figures" || true
}

ALMANOR_BENCH_NOTES=10000 run "the notes window (10,000 notes)" "$build/bench/listwindow_bench"
ALMANOR_BENCH_NOTES=100000 run "the notes window (100,000 notes)" "$build/bench/listwindow_bench"
ALMANOR_BENCH_NOTES=1000000 ALMANOR_BENCH_RUNS=3 run "the notes window (1,000,000 notes)" \
  "$build/bench/listwindow_bench" --benchmark_filter='WholeTree|Floor|Keyword'
run "the ledger windows" "$build/bench/ledger_bench"
run "the reminders window" "$build/bench/reminders_bench"
run "export and import" "$build/bench/exchange_bench" --benchmark_filter=-AsUser
run "the import as the user does it (10,000 and 100,000 lines)" "$build/bench/exchange_bench" --benchmark_filter=AsUser
run "the file archive" "$build/bench/files_bench"
run "the data store" "$build/bench/datastore_bench"
echo "Running the date text conversion ..."
"$build/bench/platform_bench" --benchmark_format=csv 2>>"$log" | tee -a "$log" |
  awk -F, '$1 ~ /^"BM_/ && $7 > 0 {gsub(/"/, "", $1); printf "FIGURE\tdate text conversion (%s) per text\t%.1f ns\t-\t-\t-\t-\n", $1, 1e9 / $7}' \
    >>"$figures"

# Start-up to a usable main window over 100,000 records of each family: the program quits on its
# first event-loop turn, which comes once the main window and its module windows have loaded.
echo "Running the program's start-up (100,000 records of each family) ..."
home=$(mktemp -d)
mkdir -p "$home/data/Almanor" "$home/config"
cp "$data/startup-100000.kvt" "$home/data/Almanor/Almanor.kvt"
times=()
for _ in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config ALMANOR_TEST_QUIT_AFTER_MS=0 "$build/almanor" >>"$log" 2>&1
  end=$EPOCHREALTIME
  times+=("$(awk -v s="$start" -v e="$end" 'BEGIN {printf "%.3f", e - s}')")
done
rm -rf "$home"
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
awk -v m="$median" 'BEGIN {printf "FIGURE\tstart-up to a usable main window, 100,000 records of each family\t%.2f s\t-\t-\t< 2 s\t%s\n", m, m < 2 ? "yes" : "no"}' >>"$figures"

echo
table() {
  if command -v column >/dev/null; then column -t -s $'\t'; else cat; fi
}
{
  printf 'figure\tours (median)\treference (median)\tratio\ttarget\tholds\n'
  cut -f2- "$figures"
} | table
echo
held=$(cut -f7 "$figures" | grep -c '^yes$' || true)
missed=$(cut -f7 "$figures" | grep -c '^no$' || true)
echo "targets held: $held, missed: $missed (the programs' own output: $log)"
