// The ledger query window filled with 100,000 matching entries (the query, the list and its first
// paint), beside the sqlite3 tool selecting the same rows from the same file. Each side runs
// several times; the program ends with the ratio of the two medians.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build. The data set is ledger.kvt in
// $ALMANOR_BENCH_DATA (default /tmp/almanor-bench), generated on first use.

#include "datastore/clsDate.h"
#include "ledger_datagen.h"
#include "modules/ledger/frmMoneysView.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 7;

QString g_dataSet;
frmMoneysView* g_view = nullptr;
std::vector<double> g_viewSeconds;
std::vector<double> g_toolSeconds;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void BM_QueryWindowFill(benchmark::State& state) {
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    g_view->cmdQuery_Click();
    g_view->ListView1->viewport()->repaint();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    state.SetIterationTime(seconds);
    g_viewSeconds.push_back(seconds);
  }
  state.counters["rows"] = g_view->ListView1->model()->rowCount();
}
BENCHMARK(BM_QueryWindowFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);

// The same rows, in the same order, as the window's query asks for them.
void BM_Sqlite3ToolSelect(benchmark::State& state) {
  const QString sql = QStringLiteral(
                          "select * from moneys where moneysdate>='%1' and moneysdate<='%2 23:59:59' and "
                          "moneyssum>=0 and moneyssum<=10000 order by moneysdate, moneysid")
                          .arg(benchdata::kLedgerFirstDay.toString("yyyy-MM-dd"),
                               benchdata::kLedgerLastDay.toString("yyyy-MM-dd"));
  for (auto _ : state) {
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    tool.start("sqlite3", {g_dataSet, sql});
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
      state.SkipWithError("the sqlite3 tool failed");
      return;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    state.SetIterationTime(seconds);
    g_toolSeconds.push_back(seconds);
  }
}
BENCHMARK(BM_Sqlite3ToolSelect)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  platform::SetSettingsFile(dir.filePath("Almanor.ini"));
  platform::TestUi ui;  // no box may wait for an answer
  g_dataSet = benchdata::LedgerDataSet();
  if (!modStart::objDate().OpenDataBase(g_dataSet)) {
    std::fprintf(stderr, "cannot open the data set %s\n", qPrintable(g_dataSet));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(g_dataSet));
  g_view = frmMoneysView::ShowDefault();
  g_view->txtStartDate->setText(benchdata::kLedgerFirstDay.toString("yyyy-MM-dd"));
  g_view->txtEndDate->setText(benchdata::kLedgerLastDay.toString("yyyy-MM-dd"));

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double view = Median(g_viewSeconds);
  const double tool = Median(g_toolSeconds);
  if (view > 0 && tool > 0)
    std::printf("query window fill / sqlite3 select, medians: %.1f ms / %.1f ms = %.2f\n", view * 1e3, tool * 1e3,
                view / tool);
  g_view->close();
  modStart::objDate().CloseDataBase();
  return 0;
}
