#!/bin/bash
# Every benchmark of the project beside its reference doing the same work on the same file (the
# sqlite3 tool; cp for file bytes), run alternately and repeated, in one run. Prints one line per
# figure: name, our median, the reference's median, the ratio, the target and whether it holds.
# A figure that fails, or that its program announced and never printed, is a FAILED line and
# counts as missed; so does a program that fails.
#
# Usage: bash bench/compare.sh [build dir]   (a Release build; configured when missing, and only
# what the benchmarks need is built in it: the program, the data generator, the benchmarks)
# The data sets are kept in $ALMANOR_BENCH_DATA (default /tmp/almanor-bench) and reused, the
# 1,000,000 notes among them; the programs' own output goes to compare.log there.
#
# A new figure: print it from a benchmark program through bench/sidebyside.h (Alternate, Ratio,
# Limit), which also announces it; a new program (almanor_bench in bench/*.cmake) gets a `run`
# line below. Nothing else is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-rel}
bash scripts/install-deps.sh  # the sqlite3 tool and Google Benchmark among them; nothing when present
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DALMANOR_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j3 --target benchmarks >/dev/null
data=${ALMANOR_BENCH_DATA:-/tmp/almanor-bench}
export ALMANOR_BENCH_DATA=$data
export QT_QPA_PLATFORM=offscreen
mkdir -p "$data"
log=$data/compare.log
figures=$(mktemp)
out=$(mktemp)
trap 'rm -f "$figures" "$out"' EXIT
: >"$log"

# failed NAME WHY: the line of a figure that failed without printing one of its own.
failed() {
  printf 'FIGURE\t%s (FAILED: %s)\tFAILED\t-\t-\t-\tFAILED\n' "$1" "$2" >>"$figures"
}

# run LABEL PROGRAM [ARG...]: its figure lines are kept, everything it says goes to the log. A
# figure it announced but never printed, a benchmark that stopped with an error of its own, a
# program that fails or prints no figure at all: each is a FAILED line.
run() {
  local label=$1 status=0 name line
  shift
  echo "Running $label ..."
  "$@" >"$out" 2>>"$log" || status=$?
  cat "$out" >>"$log"
  grep '^FIGURE' "$out" >>"$figures" || true
  while IFS=$'\t' read -r _ name; do
    grep -qF "FIGURE"$'\t'"$name"$'\t' "$out" || failed "$name" "no figure printed"
  done < <(grep '^EXPECT' "$out" || true)
  while read -r line; do
    failed "$label: ${line%% *}" "${line#*ERROR OCCURRED: }"
  done < <(grep 'ERROR OCCURRED' "$out" | grep -v 'its figure says FAILED' || true)
  if [ "$status" -ne 0 ]; then
    failed "$label" "the program ended with status $status"
  elif ! grep -q '^FIGURE' "$out"; then
    failed "$label" "no figure printed"
  fi
}

echo "Generating the data sets in $data (kept for the next run) ..."
"$build/bench/datastore_datagen" notes:10000 notes:100000 notes:1000000 startup:100000 archive >>"$log"

ALMANOR_BENCH_NOTES=10000 run "the notes window (10,000 notes)" "$build/bench/listwindow_bench" \
  --benchmark_filter=-EndToEnd
ALMANOR_BENCH_NOTES=100000 run "the notes window (100,000 notes)" "$build/bench/listwindow_bench"
ALMANOR_BENCH_NOTES=1000000 ALMANOR_BENCH_RUNS=3 run "the notes window (1,000,000 notes)" \
  "$build/bench/listwindow_bench" --benchmark_filter='WholeTree|EndToEnd|Floor|Keyword'
run "the ledger windows (100,000 and 1,000,000 entries)" "$build/bench/ledger_bench"
run "the reminders window" "$build/bench/reminders_bench"
run "export and import" "$build/bench/exchange_bench" '--benchmark_filter=-AsUser|Memory'
run "the import as the user does it (10,000, 100,000 and 1,000,000 lines)" "$build/bench/exchange_bench" \
  --benchmark_filter=AsUser
run "the import's peak memory (1,000,000 lines, the ledger window open)" "$build/bench/exchange_bench" --benchmark_filter=Memory
run "the file archive" "$build/bench/files_bench"
run "the data store" "$build/bench/datastore_bench"
echo "Running the date text conversion ..."
status=0
"$build/bench/platform_bench" --benchmark_format=csv >"$out" 2>>"$log" || status=$?
cat "$out" >>"$log"
awk -F, '$1 ~ /^"BM_/ && $7 > 0 {gsub(/"/, "", $1); printf "FIGURE\tdate text conversion (%s) per text\t%.1f ns\t-\t-\t-\t-\n", $1, 1e9 / $7}' \
  "$out" >"$out.figures"
if [ "$status" -ne 0 ] || [ ! -s "$out.figures" ]; then
  failed "date text conversion" "status $status, $(wc -l <"$out.figures") figures"
fi
cat "$out.figures" >>"$figures"
rm -f "$out.figures"

# Start-up over 100,000 records of each family: the program quits on its first event-loop turn,
# which comes once the main window is shown and the reminders window, the one module window that
# opens at start, has loaded its tree (the other module windows open only on demand).
echo "Running the program's start-up (100,000 records of each family) ..."
home=$(mktemp -d)
mkdir -p "$home/data/Almanor" "$home/config"
cp "$data/startup-100000.kvt" "$home/data/Almanor/Almanor.kvt"
times=()
startup="start-up to a usable main window with its reminders window loaded, 100,000 records of each family"
for _ in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  if ! XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config ALMANOR_TEST_QUIT_AFTER_MS=0 "$build/almanor" >>"$log" 2>&1; then
    times=()
    break
  fi
  end=$EPOCHREALTIME
  times+=("$(awk -v s="$start" -v e="$end" 'BEGIN {printf "%.3f", e - s}')")
done
rm -rf "$home"
if [ "${#times[@]}" -eq 5 ]; then
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
  awk -v m="$median" -v n="$startup" 'BEGIN {printf "FIGURE\t%s\t%.2f s\t-\t-\t< 2 s\t%s\n", n, m, m < 2 ? "yes" : "no"}' >>"$figures"
else
  failed "$startup" "the program failed"
fi

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
missed=$(cut -f7 "$figures" | grep -c '^\(no\|FAILED\)$' || true)
echo "targets held: $held, missed: $missed (the programs' own output: $log)"
