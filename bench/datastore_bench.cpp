// The data store's speed and memory: reading every note, adding ledger entries one by one,
// storing and reading a large archived file, and listing an archive of large files; each but the
// first beside the sqlite3 tool doing the same work on the same kind of file, run alternately.
#include "datastore_datagen.h"

#include "datastore/clsDate.h"
#include "sidebyside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

using datastore::clsDate;

// A field of /proc/self/status in KiB (VmHWM, VmRSS).
double StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1));
  return 0;
}

// Resets the peak resident size, so VmHWM afterwards is the peak of what follows.
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

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

constexpr int kAdds = 1000;

// An empty data set at name, made afresh from a kept empty one (not timed).
QString EmptyCopy(const QString& name) {
  const QString empty = QDir(benchdata::DataDir()).filePath(QStringLiteral("empty.kvt"));
  if (!QFileInfo::exists(empty)) datastore::Connection::CreateDataSet(empty);
  const QString path = QDir(benchdata::DataDir()).filePath(name);
  for (const QString& suffix : {QString(), QStringLiteral("-journal")}) QFile::remove(path + suffix);
  QFile::copy(empty, path);
  return path;
}

// The tool's statements for kAdds single-row inserts, each its own transaction, with the data
// store's journal and syncs.
QString AddsScript() {
  const QString path = QDir(benchdata::DataDir()).filePath(QStringLiteral("moneys-adds.sql"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return QString();
  file.write("pragma journal_mode=delete; pragma synchronous=full;\n");
  for (int i = 0; i < kAdds; ++i)
    file.write(QStringLiteral("insert into moneys (moneysdate,moneystype,moneystitle,moneyscontent,moneysshow,moneysunit,"
                              "moneyssprice,moneyssum,moneysstring1) values ('2024-05-%1 12:00:00','支出','午饭','',1,"
                              "'份',20,20,null);\n")
                   .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                   .toUtf8());
  return path;
}

// Each add is its own transaction, as when the user saves entries one at a time.
void BM_MoneysAdd(benchmark::State& state) {
  const QString script = AddsScript();
  sidebyside::Alternate(
      state, "1,000 ledger entries added one by one / sqlite3 inserts, each its own transaction", 0,
      [] {
        clsDate db;
        if (!db.OpenDataBase(EmptyCopy(QStringLiteral("moneys.kvt")))) return -1.0;
        return sidebyside::Seconds([&db] {
          for (int i = 0; i < kAdds; ++i) {
            const QString date = QStringLiteral("2024-05-%1 12:00").arg(1 + i % 28);
            if (db.Moneys_Add(date, QStringLiteral("支出"), QStringLiteral("午饭"), QString(), 1, QStringLiteral("份"), 20,
                              20, QString()) == 0)
              return false;
          }
          return true;
        });
      },
      [&script] { return sidebyside::RunProgram({"sqlite3", EmptyCopy(QStringLiteral("cli-moneys.kvt"))}, script); });
}
BENCHMARK(BM_MoneysAdd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

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

// Storing a 9 MiB file and reading it back, beside the tool's readfile() and writefile() of the
// same bytes into and out of a data set of its own.
void BM_FilesAddAndRead9MiB(benchmark::State& state) {
  const QString source = LargeSourceFile();
  clsDate db;
  if (!db.OpenDataBase(EmptyCopy(QStringLiteral("files9.kvt")))) return state.SkipWithError("cannot open");
  const QString cli = EmptyCopy(QStringLiteral("cli-files9.kvt"));
  std::vector<double> add, addTool, read, readTool;
  for (auto _ : state) {
    addTool.push_back(sidebyside::Sqlite3(
        cli, QStringLiteral("pragma journal_mode=delete; pragma synchronous=full; insert into files (filesname, "
                            "filescontent) values ('large.bin', readfile('%1'))")
                 .arg(source)));
    qint64 id = 0;
    add.push_back(sidebyside::Seconds([&] {
      id = db.Files_Add(QStringLiteral("大文件"), source, QStringLiteral("large.bin"), QStringLiteral("bin"), kLargeFile,
                        QString());
      return id > 0;
    }));
    readTool.push_back(sidebyside::Sqlite3(
        cli, QStringLiteral("select writefile('/dev/null', filescontent) from files where filesid=%1").arg(id)));
    read.push_back(sidebyside::Seconds([&] {
      datastore::RowSetPtr rs = db.Files_GetModify(id);
      return rs && !rs->Eof() && rs->Fields(QStringLiteral("filescontent")).toByteArray().size() == kLargeFile;
    }));
    if (add.back() < 0 || addTool.back() < 0 || read.back() < 0 || readTool.back() < 0)
      return state.SkipWithError("a run failed");
    state.SetIterationTime(add.back() + read.back());
  }
  // The data store's journal and syncs in both: a rollback journal, full syncs.
  sidebyside::Ratio("a 9 MiB file stored in the data store / sqlite3 readfile() insert", add, addTool, 0);
  sidebyside::Ratio("a 9 MiB file read back from the data store / sqlite3 writefile() select", read, readTool, 0);
}
BENCHMARK(BM_FilesAddAndRead9MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Listing 200 archived files of 5 MiB each must not load their bytes (target: under 50 MB).
void BM_FilesListArchive(benchmark::State& state) {
  const QString archive = benchdata::ArchiveDataSet();
  clsDate db;
  if (!db.OpenDataBase(archive)) return state.SkipWithError("cannot open the archive data set");
  const double rssBefore = StatusKiB("VmRSS");
  ResetPeakRss();
  sidebyside::Alternate(
      state, "listing of 200 archived files of 5 MiB, without the bytes / sqlite3 select", 0,
      [&db] {
        return sidebyside::Seconds([&db] {
          datastore::RowSetPtr rs = db.Files_GetRecordSet(QString());
          for (; rs && !rs->Eof(); rs->MoveNext())
            for (int column = 0; column < 8; ++column) benchmark::DoNotOptimize(rs->Field(column));
          return rs != nullptr;
        });
      },
      [&archive] {
        return sidebyside::Sqlite3(archive, "select filesid, filesclass, filesfrom, filesname, filestype, filessize, "
                                            "filesmemo, filesstring1 from files order by filesid");
      });
  state.counters["rss_growth_MB"] = (StatusKiB("VmRSS") - rssBefore) / 1024.0;
  sidebyside::Limit("listing of 200 archived files of 5 MiB: peak resident memory", StatusKiB("VmHWM") / 1024.0, 50, "MB");
}
BENCHMARK(BM_FilesListArchive)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

BENCHMARK_MAIN();
