// The data store's speed and memory: reading every note, adding ledger entries one by one,
// storing and reading a large archived file, and listing an archive of large files.
// compare_sqlite3.sh runs the same SQL through the sqlite3 tool on the same files.
#include "benchutil.h"
#include "datastore_datagen.h"

#include "datastore/clsDate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>

namespace {

using benchutil::ProcField;
using datastore::clsDate;

QString FreshDataSet(const QString& name) {
  const QString path = QDir(benchdata::DataDir()).filePath(name);
  for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) QFile::remove(path + suffix);
  datastore::Connection::CreateDataSet(path);
  return path;
}

void BM_NotesGetRecordSet(benchmark::State& state) {
  clsDate db;
  if (!db.OpenDataBase(benchdata::NotesDataSet())) return state.SkipWithError("cannot open the notes data set");
  const QStringList fields = {"notesid", "notestitle", "notescontent", "notesclass", "notesdate", "notesstring1"};
  qint64 rows = 0;
  for (auto _ : state) {
    rows = 0;
    datastore::RowSetPtr rs = db.Notes_GetRecordSet();
    for (; !rs->Eof(); rs->MoveNext()) {
      for (const QString& field : fields) benchmark::DoNotOptimize(rs->Fields(field));
      ++rows;
    }
  }
  state.counters["rows"] = double(rows);
  state.counters["rows_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_NotesGetRecordSet)->Unit(benchmark::kMillisecond)->Iterations(5);

// Each add is its own transaction, as when the user saves entries one at a time.
void BM_MoneysAdd10000(benchmark::State& state) {
  clsDate db;
  if (!db.OpenDataBase(FreshDataSet(QStringLiteral("moneys.kvt")))) return state.SkipWithError("cannot open");
  constexpr int kAdds = 10000;
  for (auto _ : state) {
    for (int i = 0; i < kAdds; ++i) {
      const QString date = QStringLiteral("2024-05-%1 12:00").arg(1 + i % 28);
      if (db.Moneys_Add(date, QStringLiteral("支出"), QStringLiteral("午饭"), QString(), 1, QStringLiteral("份"), 20,
                        20, QString()) == 0)
        return state.SkipWithError("Moneys_Add failed");
    }
  }
  state.counters["adds_per_s"] = benchmark::Counter(kAdds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MoneysAdd10000)->Unit(benchmark::kMillisecond)->Iterations(1);

constexpr qint64 kLargeFile = 9 * 1024 * 1024;

QString LargeSourceFile() {
  const QString path = QDir(benchdata::DataDir()).filePath(QStringLiteral("large9MiB.bin"));
  if (QFileInfo(path).size() != kLargeFile) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(benchdata::FileBytes(kLargeFile));
  }
  return path;
}

void BM_FilesAdd9MiB(benchmark::State& state) {
  const QString source = LargeSourceFile();
  clsDate db;
  if (!db.OpenDataBase(FreshDataSet(QStringLiteral("files9.kvt")))) return state.SkipWithError("cannot open");
  for (auto _ : state)
    if (db.Files_Add(QStringLiteral("大文件"), source, QStringLiteral("large.bin"), QStringLiteral("bin"), kLargeFile,
                     QString()) == 0)
      return state.SkipWithError("Files_Add failed");
  state.SetBytesProcessed(state.iterations() * kLargeFile);
}
BENCHMARK(BM_FilesAdd9MiB)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FilesGetModify9MiB(benchmark::State& state) {
  clsDate db;
  if (!db.OpenDataBase(QDir(benchdata::DataDir()).filePath(QStringLiteral("files9.kvt"))))
    return state.SkipWithError("run BM_FilesAdd9MiB first");
  for (auto _ : state) {
    datastore::RowSetPtr rs = db.Files_GetModify(1);
    if (!rs || rs->Eof()) return state.SkipWithError("no archived file");
    const QByteArray bytes = rs->Fields(QStringLiteral("filescontent")).toByteArray();
    if (bytes.size() != kLargeFile) return state.SkipWithError("wrong size");
    benchmark::DoNotOptimize(bytes.constData());
  }
  state.SetBytesProcessed(state.iterations() * kLargeFile);
}
BENCHMARK(BM_FilesGetModify9MiB)->Unit(benchmark::kMillisecond)->Iterations(10);

// Listing 200 archived files of 5 MiB each must not load their bytes (target: under 50 MB).
void BM_FilesListArchive(benchmark::State& state) {
  const QString archive = benchdata::ArchiveDataSet();
  clsDate db;
  if (!db.OpenDataBase(archive)) return state.SkipWithError("cannot open the archive data set");
  const double rssBefore = ProcField("/proc/self/status", "VmRSS:");
  benchutil::ResetPeakRss();
  qint64 rows = 0;
  for (auto _ : state) {
    rows = 0;
    datastore::RowSetPtr rs = db.Files_GetRecordSet();
    for (; !rs->Eof(); rs->MoveNext()) {
      for (const char* field : {"filesid", "filesclass", "filesfrom", "filesname", "filestype", "filessize",
                                "filesmemo", "filesstring1"})
        benchmark::DoNotOptimize(rs->Fields(QLatin1String(field)));
      ++rows;
    }
  }
  state.counters["rows"] = double(rows);
  state.counters["peak_rss_MB"] = benchutil::PeakRssKiB() / 1024.0;
  state.counters["rss_growth_MB"] = (ProcField("/proc/self/status", "VmRSS:") - rssBefore) / 1024.0;
}
BENCHMARK(BM_FilesListArchive)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
