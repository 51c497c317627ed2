// The reminders over 10,000 reminders, 500 of them due today, under a clock fixed at
// 2026-12-07 08:00:00: the list window's whole-tree load with its due list, the rows read through
// the row set, and a timer tick with nothing due, which must not depend on the number of due
// reminders.
//
// The loads run alternately with the sqlite3 tool selecting the same rows from the same file. The
// data set is reminders.kvt in $ALMANOR_BENCH_DATA (default /tmp/almanor-bench), made on first use.

#include "benchutil.h"
#include "datastore_datagen.h"
#include "modules/reminders/RemindTimer.h"
#include "modules/reminders/frmReminds.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "sidebyside.h"
#include "modules/listwindow/modStart.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int kReminders = 10000;
constexpr int kOneOffLaterToday = 400;
constexpr int kDailyStarted = 100;  // with the 400 above: 500 due today
const QDateTime kNow = vb::MakeDateTime(QDate(2026, 12, 7), QTime(8, 0));

datastore::clsDate& db() { return modStart::objDate(); }

QString Time(const QDateTime& t) { return t.toString("yyyy-MM-dd hh:mm:ss"); }

bool BuildDataSet(const QString& path) {
  if (QFile::exists(path)) return db().OpenDataBase(path);
  const QString partial = path + ".part";
  QFile::remove(partial);
  if (!db().CreateDataBase(partial) || !db().OpenDataBase(partial)) return false;
  const QString content = QString("季度计划评审，带上上月的数据和会议纪要。Review the quarter's plan. ").repeated(2);
  db().objConn.Begin();
  for (int i = 0; i < kReminders; ++i) {
    QDateTime time;
    bool daily = false;
    if (i < kOneOffLaterToday) {
      time = kNow.addSecs(60 + i * 120);  // 08:01 .. 21:19 today
    } else if (i < kOneOffLaterToday + kDailyStarted) {
      time = kNow.addDays(-1 - i % 300).addSecs((i % 24) * 3600 - 8 * 3600);
      daily = true;
    } else {
      // Never due today: one-off reminders of other days, earlier today, and daily ones to come.
      const int n = i - kOneOffLaterToday - kDailyStarted;
      if (n % 50 == 0) time = kNow.addSecs(-60 - n);
      else time = kNow.addDays(n % 2 ? 1 + n % 365 : -1 - n % 365).addSecs((n % 96) * 900);
      daily = n % 25 == 1;
      if (daily && time < kNow) time = time.addDays(400);
    }
    const QString file = i % 10 == 0 ? QString("/home/user/文档/计划%1.odt").arg(i) : QString();
    if (db().Reminds_Add(Time(time), QString("提醒 %1").arg(i), content + QString::number(i), file, daily) < 1)
      return false;
  }
  db().objConn.Commit();
  db().CloseDataBase();
  return QFile::rename(partial, path) && db().OpenDataBase(path);
}

QString g_dataSet;
frmReminds* g_window = nullptr;

// Every field of every row read through the row set, beside the tool's select of the rows.
void BM_ReadRows(benchmark::State& state) {
  sidebyside::Alternate(
      state, "reminders 10,000: every field read through the row set / sqlite3 select", 0,
      [] {
        return sidebyside::Seconds([] {
          qint64 chars = 0;
          datastore::RowSetPtr rs = db().Reminds_GetRecordSet(QString());
          for (; rs && !rs->Eof(); rs->MoveNext())
            for (int column = 0; column < 7; ++column) chars += rs->Field(column).toString().size();
          benchmark::DoNotOptimize(chars);
          return rs != nullptr;
        });
      },
      [] { return sidebyside::Sqlite3(g_dataSet, "select * from reminds order by remindstime"); });
}
BENCHMARK(BM_ReadRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

// The window's whole-tree load: days, nodes, status images and the due list with its timer,
// beside the tool's select of the days and the rows.
void BM_WholeTreeLoad(benchmark::State& state) {
  sidebyside::Alternate(
      state, "reminders 10,000: whole-tree load / sqlite3 select of the same rows", 3.0,
      [] { return sidebyside::Seconds([] { g_window->LoadTree(QString()); return g_window->RecordCount() == kReminders; }); },
      [] {
        return sidebyside::Sqlite3(g_dataSet, "select substr(remindstime,1,4)||'年'||substr(remindstime,6,2)||'月'||"
                                              "substr(remindstime,9,2)||'日' as d from reminds group by d order by d "
                                              "desc; select * from reminds order by remindstime");
      });
  state.counters["records"] = double(g_window->RecordCount());
  state.counters["due"] = double(g_window->Firing->DueList().size());
}
BENCHMARK(BM_WholeTreeLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

// A tick at a second with nothing due, over a due list of state.range(0) reminders.
void BM_IdleTick(benchmark::State& state) {
  reminders::RemindTimer timer;
  timer.Fire = [](const QDateTime&, const reminders::DueEntry&) { std::abort(); };
  platform::SetNow(kNow);
  timer.BeginLoad();
  std::vector<reminders::DueEntry> entries;
  for (int i = 0; i < state.range(0); ++i) entries.push_back({9 * 3600 + i % 40000, "t", "", ""});
  timer.SetDueList(std::move(entries));
  for (auto _ : state) timer.Timer1_Timer();
}
BENCHMARK(BM_IdleTick)->Arg(5)->Arg(500)->Arg(50000);

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const benchutil::TempSettings settings;
  platform::TestUi ui;  // no box may wait for an answer
  platform::SetNow(kNow);
  const QString path = QDir(benchdata::DataDir()).filePath("reminders.kvt");
  g_dataSet = path;
  if (!BuildDataSet(path)) {
    std::fprintf(stderr, "cannot build the data set at %s\n", qPrintable(path));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(path));
  auto window = std::make_unique<frmReminds>();
  window->resize(1000, 700);
  window->show();
  g_window = window.get();
  return benchutil::RunBenchmarks(argc, argv);
}
