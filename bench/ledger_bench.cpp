// The ledger windows over 100,000 entries in 3,000 days, each beside the sqlite3 tool selecting the
// same rows from the same file, run alternately: the list window's whole-tree load, and the query
// window filled with every entry (the query, the list and its first paint). Over 1,000,000 entries
// in the same days (as after an import of a million lines), the list window's whole-tree load
// beside the sqlite3 tool running the load's own statements: during one real reload every
// statement the data store runs is recorded through an SQLite hook, and the tool runs exactly
// those on the same file, its rows thrown away (our format() of a date's day, which the tool
// lacks, written as the same text in plain SQL).
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build. The data sets are ledger.kvt and
// ledger-1000000.kvt in $ALMANOR_BENCH_DATA (default /tmp/almanor-bench), generated on first use.

#include "datastore/clsDate.h"
#include "ledger_datagen.h"
#include "modules/ledger/frmMoneys.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/listwindow/modStart.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "sidebyside.h"
#include "statements.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTreeView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kRuns = 7;

QString g_dataSet;
frmMoneys* g_list = nullptr;
frmMoneysView* g_view = nullptr;

void BM_ListWindowLoad(benchmark::State& state) {
  sidebyside::Alternate(
      state, "ledger 100,000: list window load / sqlite3 select of the same rows", 3.0,
      [] {
        return sidebyside::Seconds([] {
          g_list->ReloadTree();
          g_list->TreeView1->viewport()->repaint();
          return g_list->RecordCount() == benchdata::kLedgerEntries;
        });
      },
      [] {
        // The days as the window's group query makes them, then the entries.
        return sidebyside::Sqlite3(g_dataSet, "select substr(moneysdate,1,4)||'年'||substr(moneysdate,6,2)||'月'||"
                                              "substr(moneysdate,9,2)||'日' as d from moneys group by d order by d desc;"
                                              "select * from moneys order by moneysdate");
      });
  state.counters["records"] = double(g_list->RecordCount());
}
BENCHMARK(BM_ListWindowLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

// The query window filled with every entry (the query, the list and its first paint), beside the
// same rows in the same order as the window's query asks for them.
void BM_QueryWindowFill(benchmark::State& state) {
  const QString sql = QStringLiteral(
                          "select * from moneys where moneysdate>='%1' and moneysdate<='%2 23:59:59' and "
                          "moneyssum>=0 and moneyssum<=10000 order by moneysdate, moneysid")
                          .arg(benchdata::kLedgerFirstDay.toString("yyyy-MM-dd"),
                               benchdata::kLedgerLastDay.toString("yyyy-MM-dd"));
  sidebyside::Alternate(
      state, "ledger 100,000: query window fill / sqlite3 select of the same rows", 3.0,
      [] {
        return sidebyside::Seconds([] {
          g_view->cmdQuery_Click();
          g_view->ListView1->viewport()->repaint();
          return g_view->ListView1->model()->rowCount() == benchdata::kLedgerEntries;
        });
      },
      [&sql] { return sidebyside::Sqlite3(g_dataSet, sql); });
}
BENCHMARK(BM_QueryWindowFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

// The whole-tree load of a million entries, beside the tool running its own statements.
void BM_ListWindowLoadMillion(benchmark::State& state) {
  constexpr int kMillion = 1000000;
  const std::string name = "ledger 1,000,000: list window load / sqlite3 running the load's own statements";
  datastore::clsDate& db = modStart::objDate();
  const QString dataSet = benchdata::LedgerDataSet(kMillion);
  db.CloseDataBase();
  if (!db.OpenDataBase(dataSet)) {
    sidebyside::Failed(name, true, false, 1.5);
    return state.SkipWithError("cannot open (its figure says FAILED)");
  }
  frmMoneys list;
  list.resize(1000, 700);
  list.show();
  auto load = [&list] {
    list.ReloadTree();
    list.TreeView1->viewport()->repaint();
    return list.RecordCount() == kMillion;
  };
  // The tool lacks the data store's format(); the day text of a stored date ("2024-05-01 12:00:00"
  // gives "2024年05月01日", as for every entry here) is written in plain SQL.
  QString sql = statements::Record(load);
  sql.replace(QRegularExpression(QStringLiteral("format\\((\\w+),'yyyy年mm月dd日'\\)")),
              QStringLiteral("(substr(\\1,1,4)||'年'||substr(\\1,6,2)||'月'||substr(\\1,9,2)||'日')"));
  std::fprintf(stderr, "the ledger load's statements:\n%s\n", qPrintable(sql));
  sidebyside::Alternate(
      state, name, 1.5, [&] { return sidebyside::Seconds(load); },
      [&] { return sql.isEmpty() ? -1 : sidebyside::Sqlite3(dataSet, sql); });
  state.counters["records"] = double(list.RecordCount());
}
BENCHMARK(BM_ListWindowLoadMillion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  platform::SetSettingsFile(dir.filePath("Almanor.ini"));
  platform::TestUi ui;  // no box may wait for an answer
  g_dataSet = benchdata::LedgerDataSet();
  // Every connection opened from here on reports its statements (a reference runs the load's).
  statements::Install();
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

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  g_view->close();
  modStart::objDate().CloseDataBase();
  return 0;
}
