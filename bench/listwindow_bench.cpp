// The notes list window over 100,000 notes in 500 categories: the whole-tree load, a keyword search
// over every node, and the process's peak resident memory.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen). ALMANOR_BENCH_DATA names the data set to build and
// keep, or the folder that gets it as listwindow-notes.kvt (for comparing with
// `sqlite3 FILE "select * from notes order by notestitle"`); an existing file there is reused as it
// is. Without it a temporary one is used.

#include "benchutil.h"
#include "modules/notes/frmNotes.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int kNotes = 100000;
constexpr int kCategories = 500;

QString DataPath(const QTemporaryDir& dir) {
  const QString path = qEnvironmentVariable("ALMANOR_BENCH_DATA");
  if (path.isEmpty()) return dir.filePath("bench.kvt");
  // The data store's benchmarks read the variable as their data folder: then the file goes inside.
  return QFileInfo(path).isDir() ? QDir(path).filePath("listwindow-notes.kvt") : path;
}

bool BuildDataSet(const QString& path) {
  datastore::clsDate& db = modStart::objDate();
  if (QFile::exists(path)) return db.OpenDataBase(path);
  if (!db.CreateDataBase(path) || !db.OpenDataBase(path)) return false;
  const QString text = QString("会议纪要与资料摘录 Lorem ipsum dolor sit amet 项目进度 ").repeated(3);
  db.objConn.Begin();
  for (int i = 0; i < kNotes; ++i) {
    // Every 100th note carries the searched word.
    const QString word = i % 100 == 7 ? "Needle" : "hay";
    const QString title = QString("笔记%1 %2").arg(i, 6, 10, QChar('0')).arg(word);
    const QString cls = QString("分类%1").arg(i % kCategories, 3, 10, QChar('0'));
    if (db.Notes_Add(title, text + QString::number(i), cls, i % 50 == 0 ? "255" : "") < 1) return false;
  }
  db.objConn.Commit();
  return true;
}

frmNotes* g_window = nullptr;

void BM_WholeTreeLoad(benchmark::State& state) {
  for (auto _ : state) g_window->LoadTree(QString());
  state.counters["records"] = static_cast<double>(g_window->RecordCount());
  state.counters["peak_rss_MB"] = benchutil::PeakRssKiB() / 1024.0;
}
BENCHMARK(BM_WholeTreeLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor under the tree load: reading the same rows and fields from the data store alone.
void BM_ReadRowsOnly(benchmark::State& state) {
  for (auto _ : state) {
    qint64 chars = 0;
    datastore::RowSetPtr rs = modStart::objDate().Notes_GetRecordSet();
    for (; rs && !rs->Eof(); rs->MoveNext())
      for (const char* field : {"notesid", "notestitle", "notescontent", "notesclass", "notesdate", "notesstring1"})
        chars += rs->Fields(field).toString().size();
    benchmark::DoNotOptimize(chars);
  }
}
BENCHMARK(BM_ReadRowsOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KeywordSearch(benchmark::State& state) {
  g_window->Combo1->setEditText("needle");
  for (auto _ : state) g_window->Combo1_KeyPress(13);
  state.counters["hits"] = g_window->ListView1->topLevelItemCount();
  state.counters["peak_rss_MB"] = benchutil::PeakRssKiB() / 1024.0;
}
BENCHMARK(BM_KeywordSearch)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_KeywordSearchNoHit(benchmark::State& state) {
  g_window->Combo1->setEditText("不存在的词");
  for (auto _ : state) g_window->Combo1_KeyPress(13);
  state.counters["peak_rss_MB"] = benchutil::PeakRssKiB() / 1024.0;
}
BENCHMARK(BM_KeywordSearchNoHit)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const benchutil::TempSettings settings;
  platform::TestUi ui;  // no box may wait for an answer
  const QString path = DataPath(settings.dir);
  if (!BuildDataSet(path)) {
    std::fprintf(stderr, "cannot build the data set at %s\n", qPrintable(path));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(path));
  auto window = std::make_unique<frmNotes>();
  window->resize(1000, 700);
  window->show();
  g_window = window.get();
  return benchutil::RunBenchmarks(argc, argv);
}
