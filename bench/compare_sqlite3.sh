#!/bin/bash
# The sqlite3 tool doing the same SQL on the same generated files as datastore_bench, so the
# figures can be put side by side. Usage: compare_sqlite3.sh [build dir] (a Release build).
set -euo pipefail
build=${1:-build-rel}
data=${ALMANOR_BENCH_DATA:-/tmp/almanor-bench}
export ALMANOR_BENCH_DATA=$data

"$build/bench/datastore_datagen" >/dev/null
TIMEFORMAT='%3R s'

echo "== select * from notes order by lower(notestitle), notestitle (100,000 notes), 3 runs"
for _ in 1 2 3; do
  time sqlite3 "$data/notes.kvt" "select * from notes order by lower(notestitle), notestitle" >/dev/null
done

echo "== 10,000 single-row inserts into moneys, each its own transaction (rollback journal, full sync, as the data store)"
rm -f "$data/cli-moneys.kvt"
cp "$data/notes.kvt" "$data/cli-moneys.kvt"
sqlite3 "$data/cli-moneys.kvt" "delete from notes; vacuum;"  # an empty data set, as the benchmark's
script=$(mktemp)
{
  echo "pragma journal_mode=delete; pragma synchronous=full;"
  for i in $(seq 0 9999); do
    printf "insert into moneys (moneysdate,moneystype,moneystitle,moneyscontent,moneysshow,moneysunit,moneyssprice,moneyssum,moneysstring1) values ('2024-05-%02d 12:00:00','支出','午饭','',1,'份',20,20,null);\n" $((1 + i % 28))
  done
} >"$script"
time sqlite3 "$data/cli-moneys.kvt" <"$script" >/dev/null
rm -f "$script" "$data/cli-moneys.kvt"

large="$data/large9MiB.bin"
if [ -f "$large" ]; then
  echo "== store and read back a 9 MiB file (10 times each)"
  rm -f "$data/cli-files.kvt"
  sqlite3 "$data/cli-files.kvt" "create table files (filesid integer primary key autoincrement, filesname text, filescontent blob);" >/dev/null
  time (for _ in $(seq 10); do sqlite3 "$data/cli-files.kvt" "pragma synchronous=full; insert into files (filesname, filescontent) values ('large.bin', readfile('$large'))"; done)
  time (for _ in $(seq 10); do sqlite3 "$data/cli-files.kvt" "select writefile('/dev/null', filescontent) from files where filesid=1" >/dev/null; done)
  rm -f "$data/cli-files.kvt"
fi

echo "== listing of 200 archived files of 5 MiB, without the bytes; peak memory of sqlite3"
/usr/bin/time -f '%e s, max RSS %M KiB' sqlite3 "$data/archive.kvt" \
  "select filesid, filesclass, filesfrom, filesname, filestype, filessize, filesmemo, filesstring1 from files order by filesid" >/dev/null
