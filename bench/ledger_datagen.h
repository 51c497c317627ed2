#pragma once
// The ledger data set of the benchmarks: kLedgerEntries (or more) entries over kLedgerDays days, every amount
// from 0 to 10000, kept in the benchmark data folder between runs.

#include <QDate>
#include <QString>

namespace benchdata {

constexpr int kLedgerEntries = 100000;
constexpr int kLedgerDays = 3000;
// The first and the last day that hold entries.
const QDate kLedgerFirstDay(2016, 1, 1);
const QDate kLedgerLastDay = kLedgerFirstDay.addDays(kLedgerDays - 1);

// ledger.kvt in DataDir() (ledger-N.kvt for another number of entries, over the same days);
// generated on first use.
QString LedgerDataSet(int entries = kLedgerEntries);

} // namespace benchdata
