// The ledger windows over 100,000 entries in 3,000 days, each beside the sqlite3 tool selecting the
// same rows from the same file: the list window's whole-tree load, and the query window filled
// with every entry (the query, the list and its first paint). Each runs several times; the
// program ends with the ratios of the medians.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build. The data set is ledger.kvt in
// $ALMANOR_BENCH_DATA (default /tmp/almanor-bench), generated on first use.

#include "benchutil.h"
#include "datastore/clsDate.h"
#include "ledger_datagen.h"
#include "modules/ledger/frmMoneys.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/listwindow/modStart.h"
#include "platform/ui.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 7;

QString g_dataSet;
frmMoneys* g_list = nullptr;
frmMoneysView* g_view = nullptr;
// Seconds per run, by benchmark name.
std::map<std::string, std::vector<double>> g_seconds;

template <class Run>
void Timed(benchmark::State& state, const std::string& name, Run run) {
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    if (!run()) {
      state.SkipWithError("the run failed");
      return;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    state.SetIterationTime(seconds);
    g_seconds[name].push_back(seconds);
  }
}

bool Sqlite3Tool(const QString& sql) {
  QProcess tool;
  tool.setStandardOutputFile(QProcess::nullDevice());
  tool.start("sqlite3", {g_dataSet, sql});
  return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

void BM_ListWindowLoad(benchmark::State& state) {
  Timed(state, "list", [] {
    g_list->ReloadTree();
    g_list->TreeView1->viewport()->repaint();
    return g_list->RecordCount() == benchdata::kLedgerEntries;
  });
  state.counters["records"] = double(g_list->RecordCount());
}

// The rows of the whole-tree load.
void BM_Sqlite3ToolListRows(benchmark::State& state) {
  Timed(state, "list_tool", [] { return Sqlite3Tool("select * from moneys order by moneysdate"); });
}

void BM_QueryWindowFill(benchmark::State& state) {
  Timed(state, "query", [] {
    g_view->cmdQuery_Click();
    g_view->ListView1->viewport()->repaint();
    return g_view->ListView1->model()->rowCount() == benchdata::kLedgerEntries;
  });
}

// The same rows, in the same order, as the window's query asks for them.
void BM_Sqlite3ToolQueryRows(benchmark::State& state) {
  const QString sql = QStringLiteral(
                          "select * from moneys where moneysdate>='%1' and moneysdate<='%2 23:59:59' and "
                          "moneyssum>=0 and moneyssum<=10000 order by moneysdate, moneysid")
                          .arg(benchdata::kLedgerFirstDay.toString("yyyy-MM-dd"),
                               benchdata::kLedgerLastDay.toString("yyyy-MM-dd"));
  Timed(state, "query_tool", [&sql] { return Sqlite3Tool(sql); });
}

BENCHMARK(BM_ListWindowLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);
BENCHMARK(BM_Sqlite3ToolListRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);
BENCHMARK(BM_QueryWindowFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);
BENCHMARK(BM_Sqlite3ToolQueryRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRuns);

void PrintRatio(const char* what, const std::string& ours, const std::string& tool) {
  const double a = benchutil::Median(g_seconds[ours]);
  const double b = benchutil::Median(g_seconds[tool]);
  if (a > 0 && b > 0) std::printf("%s / sqlite3 select, medians: %.1f ms / %.1f ms = %.2f\n", what, a * 1e3, b * 1e3, a / b);
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const benchutil::TempSettings settings;
  platform::TestUi ui;  // no box may wait for an answer
  g_dataSet = benchdata::LedgerDataSet();
  if (!modStart::objDate().OpenDataBase(g_dataSet)) {
    std::fprintf(stderr, "cannot open the data set %s\n", qPrintable(g_dataSet));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(g_dataSet));
  frmMoneys list;
  list.resize(1000, 700);
  list.show();
  g_list = &list;
  g_view = frmMoneysView::ShowDefault();
  g_view->txtStartDate->setText(benchdata::kLedgerFirstDay.toString("yyyy-MM-dd"));
  g_view->txtEndDate->setText(benchdata::kLedgerLastDay.toString("yyyy-MM-dd"));

  benchutil::RunBenchmarks(argc, argv);

  PrintRatio("list window load", "list", "list_tool");
  PrintRatio("query window fill", "query", "query_tool");
  g_view->close();
  modStart::objDate().CloseDataBase();
  return 0;
}
