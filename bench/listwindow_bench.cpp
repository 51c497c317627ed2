// The notes list window over ALMANOR_BENCH_NOTES notes (default 100,000) in 500 categories, each
// figure beside the sqlite3 tool on the same file, run alternately: the whole-tree load beside the
// tool's select of the same rows, a keyword search beside the tool's `like` scan over the same
// texts, the rows read through our row set, the floor (SQLite stepping the rows in this process,
// nothing built from them), and the process's peak resident memory.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build; ALMANOR_BENCH_RUNS sets the
// runs of each figure (default 5). The data set is notes-N.kvt in $ALMANOR_BENCH_DATA (default
// /tmp/almanor-bench), made on first use.

#include "datastore_datagen.h"
#include "modules/listwindow/modStart.h"
#include "modules/notes/frmNotes.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "sidebyside.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

// The runs of each figure: ALMANOR_BENCH_RUNS, else 5.
int Runs() {
  bool ok = false;
  const int runs = qEnvironmentVariableIntValue("ALMANOR_BENCH_RUNS", &ok);
  return ok && runs > 0 ? runs : 5;
}

int g_notes = benchdata::kNotes;
QString g_dataSet;
frmNotes* g_window = nullptr;

std::string Name(const char* what) { return "notes " + QLocale(QLocale::English).toString(g_notes).toStdString() + ": " + what; }

// The two statements of the whole-tree load: the categories, then every note in title order.
const QString kGroupsSql = QStringLiteral(
    "select min(notesclass) as notesclass from notes group by lower(notesclass) order by lower(notesclass)");
const QString kRowsSql = QStringLiteral("select * from notes order by lower(notestitle), notestitle");

void BM_WholeTreeLoad(benchmark::State& state) {
  sidebyside::Alternate(
      state, Name("whole-tree load / sqlite3 select of the same rows"), 2.0,
      [] { return sidebyside::Seconds([] { g_window->LoadTree(QString()); return g_window->RecordCount() == g_notes; }); },
      [] { return sidebyside::Sqlite3(g_dataSet, kGroupsSql + ';' + kRowsSql); });
  state.counters["records"] = double(g_window->RecordCount());
}
BENCHMARK(BM_WholeTreeLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// Every field of every row read through our row set, as a window's load reads them.
void BM_RowSetRead(benchmark::State& state) {
  sidebyside::Alternate(
      state, Name("every field read through the row set / sqlite3 select"), 0,
      [] {
        return sidebyside::Seconds([] {
          qint64 chars = 0;
          datastore::RowSetPtr rs = modStart::objDate().Notes_GetRecordSet(QString());
          for (; rs && !rs->Eof(); rs->MoveNext())
            for (int column = 0; column < 6; ++column) chars += rs->Field(column).toString().size();
          benchmark::DoNotOptimize(chars);
          return rs != nullptr;
        });
      },
      [] { return sidebyside::Sqlite3(g_dataSet, kRowsSql); });
}
BENCHMARK(BM_RowSetRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// The floor under any load: SQLite stepping the same rows in this process, touching every text.
void BM_Floor(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(g_dataSet).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    return state.SkipWithError("cannot open the data set");
  sidebyside::Alternate(
      state, Name("floor: SQLite stepping the rows in process / sqlite3 select"), 0,
      [db] {
        return sidebyside::Seconds([db] {
          sqlite3_stmt* stmt = nullptr;
          const QByteArray sql = kRowsSql.toUtf8();
          if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) return false;
          qint64 bytes = 0;
          while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int column = 0; column < 6; ++column) {
              benchmark::DoNotOptimize(sqlite3_column_text(stmt, column));
              bytes += sqlite3_column_bytes(stmt, column);
            }
          benchmark::DoNotOptimize(bytes);
          return sqlite3_finalize(stmt) == SQLITE_OK;
        });
      },
      [] { return sidebyside::Sqlite3(g_dataSet, kRowsSql); });
  sqlite3_close(db);
}
BENCHMARK(BM_Floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// The search box over every node text beside the tool's case-insensitive scan of the texts the
// nodes are made of.
void Search(benchmark::State& state, const char* what, const QString& word) {
  g_window->Combo1->setEditText(word);
  const QString pattern = QString(word).replace('\'', "''");
  sidebyside::Alternate(
      state, Name(what), 1.5,
      [] { return sidebyside::Seconds([] { g_window->Combo1_KeyPress(13); return true; }); },
      [&pattern] {
        return sidebyside::Sqlite3(g_dataSet, QStringLiteral("select notesid, notestitle from notes where notestitle "
                                                             "like '%%1%' or notescontent like '%%1%'")
                                                  .arg(pattern));
      });
  state.counters["hits"] = g_window->ListView1->topLevelItemCount();
}

void BM_KeywordSearch(benchmark::State& state) {
  Search(state, "keyword search (1% hits) / sqlite3 like scan", QString::fromLatin1(benchdata::kSearchedWord).toLower());
}
BENCHMARK(BM_KeywordSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

void BM_KeywordSearchNoHit(benchmark::State& state) {
  Search(state, "keyword search (no hit) / sqlite3 like scan", QStringLiteral("不存在的词"));
}
BENCHMARK(BM_KeywordSearchNoHit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  platform::SetSettingsFile(dir.filePath("Almanor.ini"));
  platform::TestUi ui;  // no box may wait for an answer
  bool ok = false;
  const int notes = qEnvironmentVariableIntValue("ALMANOR_BENCH_NOTES", &ok);
  if (ok && notes > 0) g_notes = notes;
  g_dataSet = benchdata::NotesDataSet(g_notes);
  if (!modStart::objDate().OpenDataBase(g_dataSet)) {
    std::fprintf(stderr, "cannot open the data set at %s\n", qPrintable(g_dataSet));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(g_dataSet));
  auto window = std::make_unique<frmNotes>();
  window->resize(1000, 700);
  window->show();
  g_window = window.get();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sidebyside::Limit(Name("peak resident memory of the window's process"), sidebyside::PeakResidentMB(), 400, "MB");
  return 0;
}
