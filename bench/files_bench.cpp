// The file archive's speed: uploading and extracting a 9 MiB file, each put side by side with
// `cp` of the same file and with `cp` followed by fdatasync of the copy, run alternately in the
// same iterations. The upload ends with the bytes on the disk (the data store's synced commit),
// which cp alone never waits for: its target is within 3x of the durable copy, cp then fdatasync.
// The extraction's target is within 3x of cp alone. (The data store's own benchmark puts the
// upload's store beside the sqlite3 tool inserting the same file with the same journal settings.)
//
// And the list window over 200 archived files of 5 MiB: its loads read no file bytes, so the
// process stays small (target: resident memory under 100 MB). Run offscreen
// (QT_QPA_PLATFORM=offscreen); ALMANOR_BENCH_DATA names the folder of the generated files.
#include "datastore_datagen.h"

#include "datastore/clsDate.h"
#include "datastore/connection.h"
#include "modules/files/FileArchive.h"
#include "modules/files/frmFiles.h"
#include "modules/listwindow/modStart.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "sidebyside.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr qint64 kFileBytes = 9 * 1024 * 1024;

// A field of /proc/self/status or /proc/self/io ("VmHWM:", "rchar:") as a number.
double ProcField(const char* file, const std::string& field) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size()));
  return 0;
}

// The whole-tree loads of the archive window. The bytes read are every read of the process over
// all loads (the data set's pages included), against 1000 MiB of file bytes in the archive.
void BM_ListWindowOverArchive(benchmark::State& state) {
  if (!modStart::objDate().OpenDataBase(benchdata::ArchiveDataSet()))
    return state.SkipWithError("cannot open the archive data set");
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak from here on
  const double readBefore = ProcField("/proc/self/io", "rchar:");
  auto window = std::make_unique<frmFiles>();  // its load is the first
  window->resize(1000, 700);
  window->show();
  for (auto _ : state) window->ReloadTree();
  state.counters["records"] = double(window->RecordCount());
  state.counters["loads"] = double(state.iterations() + 1);
  state.counters["read_MB_all_loads"] = (ProcField("/proc/self/io", "rchar:") - readBefore) / (1024.0 * 1024.0);
  state.counters["peak_rss_MB"] = ProcField("/proc/self/status", "VmHWM:") / 1024.0;
  sidebyside::Limit("archive list window over 200 files of 5 MiB: peak resident memory",
                    ProcField("/proc/self/status", "VmHWM:") / 1024.0, 100, "MB");
  window.reset();
  modStart::objDate().CloseDataBase();
}
BENCHMARK(BM_ListWindowOverArchive)->Unit(benchmark::kMillisecond)->Iterations(10);

QString DataPath(const QString& name) { return QDir(benchdata::DataDir()).filePath(name); }

QString SourceFile() {
  const QString path = DataPath(QStringLiteral("large9MiB.bin"));
  if (QFileInfo(path).size() != kFileBytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(benchdata::FileBytes(kFileBytes));
  }
  return path;
}

QString FreshDataSet(const QString& name) {
  const QString path = DataPath(name);
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
  datastore::Connection::CreateDataSet(path);
  return path;
}

// Seconds taken by `cp from to` (then fdatasync of the copy when sync), or a negative value when
// cp failed.
double TimeCp(const QString& from, const QString& to, bool sync) {
  const QByteArray a = from.toLocal8Bit(), b = to.toLocal8Bit();
  char* argv[] = {const_cast<char*>("cp"), const_cast<char*>(a.constData()), const_cast<char*>(b.constData()),
                  nullptr};
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (sync) {
    QFile copy(to);
    if (!copy.open(QIODevice::ReadWrite) || fdatasync(copy.handle()) != 0) return -1;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// Runs cp and then the operation in each iteration; the benchmark's own time is the operation's.
// The target (3x) is against the durable copy when synced, else against cp alone.
template <class Op>
void SideBySideWithCp(benchmark::State& state, const std::string& name, const QString& source, bool synced, Op op) {
  const std::string cpName = name + " / cp", syncName = name + " / cp then fdatasync";
  sidebyside::Expect(cpName);
  sidebyside::Expect(syncName);
  const QString cpTarget = DataPath(QStringLiteral("cp-target.bin"));
  std::vector<double> cp, cpSync, ours;
  const auto fail = [&](bool oursFailed) {
    sidebyside::Failed(cpName, oursFailed, !oursFailed, synced ? 0 : 3.0);
    sidebyside::Failed(syncName, oursFailed, !oursFailed, synced ? 3.0 : 0);
    state.SkipWithError("a run failed (its figure says FAILED)");
  };
  for (auto _ : state) {
    const double cpSeconds = TimeCp(source, cpTarget, false);
    const double cpSyncSeconds = TimeCp(source, cpTarget, true);
    if (cpSeconds < 0 || cpSyncSeconds < 0) return fail(false);
    const auto start = Clock::now();
    if (!op()) return fail(true);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    cp.push_back(cpSeconds);
    cpSync.push_back(cpSyncSeconds);
    ours.push_back(seconds);
  }
  QFile::remove(cpTarget);
  state.SetBytesProcessed(state.iterations() * kFileBytes);
  using sidebyside::Median;
  state.counters["median_ms"] = Median(ours) * 1000;
  state.counters["cp_median_ms"] = Median(cp) * 1000;
  state.counters["ratio_to_cp"] = Median(ours) / Median(cp);
  state.counters["cp_sync_median_ms"] = Median(cpSync) * 1000;
  state.counters["ratio_to_cp_sync"] = Median(ours) / Median(cpSync);
  sidebyside::Ratio(cpName, ours, cp, synced ? 0 : 3.0);
  sidebyside::Ratio(syncName, ours, cpSync, synced ? 3.0 : 0);
}

// What the upload dialog does on saving a new record: the source's length, then the store.
void BM_Upload9MiB(benchmark::State& state) {
  const QString source = SourceFile();
  datastore::clsDate db;
  if (!db.OpenDataBase(FreshDataSet(QStringLiteral("files-upload.kvt")))) return state.SkipWithError("cannot open");
  int n = 0;
  SideBySideWithCp(state, "archive upload of a 9 MiB file", source, true, [&] {
    const auto size = filearchive::SourceFileLength(source);
    return size && db.Files_Add(QStringLiteral("大文件"), source, QStringLiteral("large%1").arg(++n),
                                QStringLiteral("bin"), double(*size), QStringLiteral("说明")) > 0;
  });
}
BENCHMARK(BM_Upload9MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

// What the extraction does: read the stored record, write its bytes through QSaveFile.
void BM_Extract9MiB(benchmark::State& state) {
  const QString source = SourceFile();
  datastore::clsDate db;
  if (!db.OpenDataBase(FreshDataSet(QStringLiteral("files-extract.kvt")))) return state.SkipWithError("cannot open");
  const qint64 id = db.Files_Add(QStringLiteral("大文件"), source, QStringLiteral("large"), QStringLiteral("bin"),
                                 double(kFileBytes), QStringLiteral("说明"));
  if (id < 1) return state.SkipWithError("cannot store the file");
  const QString target = DataPath(QStringLiteral("extracted.bin"));
  SideBySideWithCp(state, "archive extraction of a 9 MiB file", source, false, [&] {
    const auto stored = filearchive::ReadArchivedFile(db, id);
    return stored && stored->content.size() == kFileBytes &&
           platform::WriteFileBytes(target, stored->content).isEmpty();
  });
  QFile::remove(target);
}
BENCHMARK(BM_Extract9MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir settings;
  platform::SetSettingsFile(settings.filePath(QStringLiteral("Almanor.ini")));
  platform::TestUi ui;  // no box may wait for an answer
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
