// Export and import at scale, each beside the sqlite3 tool doing the same work on the same file,
// run alternately five times:
// - the store step alone of importing 100,000 ledger lines (listed and ticked before the clock
//   starts) vs the tool inserting the same rows in one transaction;
// - exporting 100,000 notes vs the tool writing the same rows as "|" separated lines;
// and listing the 100,000 ledger lines in the import dialog (reading and decoding the file
// included). The import as the user does it, in the main window with the ledger window open (the
// file chosen, 全选, 完成, each click back to the event loop and the list painted after it, the
// dialog gone and the ledger window reloaded), of 10,000, 100,000 and 1,000,000 ledger lines is
// timed beside its floor: SQLite in this process running one prepared insert with bound values
// over the same rows in one transaction, with the data set's own journal settings. The peak memory
// of the same import of 1,000,000 lines (BM_ImportMemory) wants a process of its own. The dialogs are driven only through their buttons and list by name.
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build, with the sqlite3 tool on the
// PATH.

#include "datastore_datagen.h"
#include "exchange/RecordFile.h"
#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "modules/listwindow/ListWindow.h"
#include "modules/listwindow/modStart.h"
#include "modules/registry.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "shell/frmMain.h"
#include "sidebyside.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kLines = 100000;
constexpr int kRuns = 5;

QString DataFile(const QString& name) { return QDir(benchdata::DataDir()).filePath(name); }

// Clicks a dialog's button by its name; false when it has none.
bool Click(QWidget* dialog, const char* name) {
  auto* button = dialog->findChild<QPushButton*>(QLatin1String(name));
  if (button) button->click();
  return button != nullptr;
}

// The number of lines the dialog lists.
int Listed(QWidget* dialog) {
  auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
  return list && list->model() ? list->model()->rowCount() : -1;
}

// The ledger lines as the export writes them, with their values for the tool's statements.
struct LedgerRow {
  QString date, type, title, memo, unit;
  double show, price, sum;
};

LedgerRow Row(int i) {
  return {QStringLiteral("2024-%1-%2 12:%3:00")
              .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
              .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
              .arg(i % 60, 2, 10, QLatin1Char('0')),
          i % 3 ? QStringLiteral("支出") : QStringLiteral("收入"), QStringLiteral("午饭 %1").arg(i),
          QStringLiteral("公司附近的餐馆\r\n两人"), QStringLiteral("份"), 2, 20.5, 41};
}

QString LedgerFile(int lines = kLines) {
  const QString path = DataFile(QStringLiteral("ledger%1k.txt").arg(lines / 1000));
  if (QFile::exists(path)) return path;
  QString text;
  for (int i = 0; i < lines; ++i) {
    const LedgerRow r = Row(i);
    text += QStringLiteral("%1|%2|%3|%4|2|%5|20.5||41\r\n").arg(r.date, r.type, r.title, QString(r.memo).replace("\r\n", "{br}"), r.unit);
  }
  platform::WriteTextFile(path, text);
  return path;
}

QString LedgerScript() {
  const QString path = DataFile(QStringLiteral("ledger100k.sql"));
  if (QFile::exists(path)) return path;
  QString sql = QStringLiteral("begin;\n");
  for (int i = 0; i < kLines; ++i) {
    const LedgerRow r = Row(i);
    sql += QStringLiteral(
               "insert into moneys (moneysdate,moneystype,moneystitle,moneyscontent,moneysshow,moneysunit,"
               "moneyssprice,moneyssum,moneysstring1) values ('%1','%2','%3','%4',%5,'%6',%7,%8,null);\n")
               .arg(r.date, r.type, r.title, r.memo)
               .arg(r.show)
               .arg(r.unit)
               .arg(r.price)
               .arg(r.sum);
  }
  sql += QStringLiteral("commit;\n");
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(sql.toUtf8());
  return path;
}

// An empty data set to copy before each run, so every run inserts into the same starting file.
QString EmptyDataSet() {
  const QString path = DataFile(QStringLiteral("exchange-empty.kvt"));
  if (!QFile::exists(path)) datastore::Connection::CreateDataSet(path);
  return path;
}

QString FreshCopy(const QString& name) {
  const QString path = DataFile(name);
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
  QFile::copy(EmptyDataSet(), path);
  return path;
}

void BM_ImportLedger(benchmark::State& state) {
  platform::TestUi ui;
  const QString file = LedgerFile();
  const QString script = LedgerScript();
  datastore::clsDate& db = modStart::objDate();
  sidebyside::Alternate(
      state, "import of 100,000 ledger lines, the store step alone / sqlite3 inserting them in one transaction", 0,
      [&] {
        db.CloseDataBase();
        if (!db.OpenDataBase(FreshCopy(QStringLiteral("import.kvt")))) return -1.0;
        exchange::frmImp imp(QStringLiteral("frmMoneys"));
        ui.fileAnswers.push_back(file);
        if (!Click(&imp, "cmdOpen") || Listed(&imp) != kLines || !Click(&imp, "cmdSelectAll")) return -1.0;
        return sidebyside::Seconds([&] { return Click(&imp, "cmdOk") && imp.result() == QDialog::Accepted; });
      },
      [&] { return sidebyside::RunProgram({"sqlite3", FreshCopy(QStringLiteral("import-cli.kvt"))}, script); });
  db.CloseDataBase();
}
BENCHMARK(BM_ImportLedger)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

void BM_ExportNotes(benchmark::State& state) {
  platform::TestUi ui;
  datastore::clsDate& db = modStart::objDate();
  const QString data = benchdata::NotesDataSet();
  if (!db.OpenDataBase(data)) return state.SkipWithError("cannot open (its figure says FAILED)");
  QStringList ids;
  for (int i = 1; i <= benchdata::kNotes; ++i) ids << QString::number(i);
  const QString idList = ids.join(u',');
  const QString out = DataFile(QStringLiteral("notes-export.txt"));
  const QString cliOut = DataFile(QStringLiteral("notes-export-cli.txt"));
  const QString sql = QStringLiteral(
      "select notesclass, notestitle, notesstring1, replace(notescontent, char(13)||char(10), '{br}'), notesdate "
      "from notes order by notesdate");
  sidebyside::Alternate(
      state, "export of 100,000 notes / sqlite3 writing the same rows as \"|\" lines", 2.0,
      [&] {
        return sidebyside::Seconds([&] {
          const auto text = exchange::frmExp::GetExpText(*exchange::FindFamily(QStringLiteral("frmNotes")), idList);
          return text && platform::WriteTextFile(out, *text).isEmpty();
        });
      },
      [&] { return sidebyside::RunProgram({"sqlite3", "-separator", "|", "-newline", "\r\n", data, sql}, QString(), cliOut); });
  db.CloseDataBase();
}
BENCHMARK(BM_ExportNotes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

void BM_ListLedgerLines(benchmark::State& state) {
  platform::TestUi ui;
  const QString file = LedgerFile();
  for (auto _ : state) {
    state.PauseTiming();
    auto imp = std::make_unique<exchange::frmImp>(QStringLiteral("frmMoneys"));
    ui.fileAnswers.push_back(file);
    state.ResumeTiming();
    Click(imp.get(), "cmdOpen");
    if (Listed(imp.get()) != kLines) return state.SkipWithError("not every line listed");
    state.PauseTiming();
    imp.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ListLedgerLines)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRuns)
    ->ReportAggregatesOnly(true);

// The floor of an import: the rows' values ready in memory, one prepared insert bound and stepped
// per row in one transaction. Seconds, negative on failure.
double FloorImport(const QString& dataSet, int lines) {
  struct Values {
    QByteArray date, type, title, memo, unit;
    double show, price, sum;
  };
  std::vector<Values> rows;
  rows.reserve(size_t(lines));
  for (int i = 0; i < lines; ++i) {
    const LedgerRow r = Row(i);
    rows.push_back({r.date.toUtf8(), r.type.toUtf8(), r.title.toUtf8(), r.memo.toUtf8(), r.unit.toUtf8(), r.show,
                    r.price, r.sum});
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(dataSet).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, "pragma journal_mode=delete; pragma synchronous=full", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return -1;
  }
  const double seconds = sidebyside::Seconds([&] {
    sqlite3_stmt* stmt = nullptr;
    const char* sql =
        "insert into moneys (moneysdate,moneystype,moneystitle,moneyscontent,moneysshow,moneysunit,moneyssprice,"
        "moneyssum,moneysstring1) values (?,?,?,?,?,?,?,?,?)";
    if (sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
      return false;
    auto text = [stmt](int n, const QByteArray& value) {
      sqlite3_bind_text(stmt, n, value.constData(), int(value.size()), SQLITE_STATIC);
    };
    bool ok = true;
    for (const Values& v : rows) {
      text(1, v.date);
      text(2, v.type);
      text(3, v.title);
      text(4, v.memo);
      sqlite3_bind_double(stmt, 5, v.show);
      text(6, v.unit);
      sqlite3_bind_double(stmt, 7, v.price);
      sqlite3_bind_double(stmt, 8, v.sum);
      sqlite3_bind_null(stmt, 9);
      ok = ok && sqlite3_step(stmt) == SQLITE_DONE;
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return ok && sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) == SQLITE_OK;
  });
  sqlite3_close(db);
  return seconds;
}

// The import as the user does it, by line count: from the file chosen until the ledger window is
// reloaded, to the dialog's accept, and the floor of the same lines, run for run.
struct AsUserRuns {
  std::vector<double> ours, accepted, floor;
};
std::map<int, AsUserRuns> g_asUser;

std::string Count(int lines) { return QLocale(QLocale::English).toString(lines).toStdString(); }

std::string AsUserName(int lines) {
  return "import of " + Count(lines) +
         " lines as the user does it, until the ledger window is reloaded / in-process floor: one prepared insert "
         "with bound values in one transaction";
}
std::string AcceptedName(int lines) {
  return "import of " + Count(lines) + " lines, listed, all ticked and imported, to the dialog's accept / in-process floor";
}
std::string PerLineName(int lines) { return "our added work per line, (ours - floor) / N, at " + Count(lines) + " lines"; }
const std::string kPerLineGrowth = "our added work per line, (ours - floor) / N, 1,000,000 lines / 10,000 lines";

// The median of (ours - floor) over the runs, per line, in seconds.
double PerLine(const AsUserRuns& runs, int lines) {
  std::vector<double> added;
  for (size_t i = 0; i < runs.ours.size(); ++i) added.push_back(runs.ours[i] - runs.floor[i]);
  return sidebyside::Median(added) / lines;
}

std::string Us(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  return text;
}

// Clicks a dialog's buttons in turn as a user does: each click returns to the event loop, and the
// next comes once the list has been painted after it, so laying out and painting the list count.
class Clicker : public QObject {
public:
  // last(ok): after the last click, or at the first that failed.
  Clicker(QWidget* dialog, std::vector<const char*> buttons, std::function<void(bool)> last)
      : dialog_(dialog), buttons_(std::move(buttons)), last_(std::move(last)) {
    list_ = dialog->findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
    if (list_) list_->viewport()->installEventFilter(this);
    ClickNext();
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && waiting_ && list_ && watched == list_->viewport()) {
      waiting_ = false;
      QTimer::singleShot(0, this, [this] { ClickNext(); });  // once this paint is over
    }
    return false;
  }

private:
  void ClickNext() {
    const bool ok = list_ && Click(dialog_, buttons_[next_++]);
    // An empty list (the file refused) would not be painted again: the run fails at once.
    if (next_ == buttons_.size() || !ok || Listed(dialog_) <= 0) return last_(ok && next_ == buttons_.size());
    waiting_ = true;
  }

  QWidget* dialog_;
  QAbstractItemView* list_ = nullptr;
  std::vector<const char*> buttons_;
  std::function<void(bool)> last_;
  size_t next_ = 0;
  bool waiting_ = false;
};

// One import as the user goes through it in the main window with the ledger window open (and the
// data set open): File > 导入数据, the file chosen, 全选, 完成, each click returning to the event
// loop; the main window then destroys the dialog and reloads the ledger window, and the tree is
// painted. The dialog's buttons are found by name, as a user finds them by caption. Seconds from
// the file chosen to the painted tree and to the dialog's accept; false when a step failed or not
// every line reached the window. With peakMB, the process's peak resident memory from the dialog's
// opening on.
bool ImportInMainWindow(platform::TestUi& ui, const QString& file, int lines, double& toReload, double& toAccept,
                        double* peakMB = nullptr) {
  frmMain main;
  for (const modules::ModuleEntry& entry : modules::Registry())
    if (entry.objectName == QLatin1String("frmMoneys")) main.AddModule(entry);
  main.Form_Load();
  auto* ledger = qobject_cast<listwindow::ListWindow*>(main.ShowModule(QStringLiteral("frmMoneys")));
  if (!ledger) return false;
  ui.fileAnswers.push_back(file);
  sidebyside::Clock::time_point start, accepted;
  std::unique_ptr<Clicker> clicker;
  bool clicked = false;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    driver.stop();
    if (peakMB) benchutil::ResetPeakRss();
    start = sidebyside::Clock::now();
    const std::vector<const char*> buttons = {"cmdOpen", "cmdSelectAll", "cmdOk"};
    clicker = std::make_unique<Clicker>(dialog, buttons, [&, dialog](bool ok) {
      accepted = sidebyside::Clock::now();
      clicked = ok;
      if (dialog->isVisible()) dialog->reject();  // a failed import leaves it open
    });
  });
  driver.start(0);
  main.mnuFileImp_Click();
  ledger->TreeView1->viewport()->repaint();
  const auto end = sidebyside::Clock::now();
  if (peakMB) *peakMB = sidebyside::PeakResidentMB();
  toReload = std::chrono::duration<double>(end - start).count();
  toAccept = std::chrono::duration<double>(accepted - start).count();
  const bool ok = clicked && ledger->RecordCount() == lines;
  main.Unload();
  return ok;
}

void BM_ImportAsUser(benchmark::State& state) {
  const int lines = int(state.range(0));
  platform::TestUi ui;
  const QString file = LedgerFile(lines);
  datastore::clsDate& db = modStart::objDate();
  const bool million = lines == 1000000;
  for (const std::string& name : {AsUserName(lines), AcceptedName(lines), million ? kPerLineGrowth : PerLineName(lines)})
    sidebyside::Expect(name);
  AsUserRuns runs;
  for (auto _ : state) {
    const double reference = FloorImport(FreshCopy(QStringLiteral("import-floor.kvt")), lines);
    double ours = -1, accepted = -1;
    if (reference < 0 || !db.OpenDataBase(FreshCopy(QStringLiteral("import.kvt"))) ||
        !ImportInMainWindow(ui, file, lines, ours, accepted)) {
      db.CloseDataBase();
      sidebyside::Failed(AsUserName(lines), reference >= 0, reference < 0, million ? 0 : 3.5);
      return state.SkipWithError("a run failed (its figure says FAILED)");
    }
    state.SetIterationTime(ours);
    runs.ours.push_back(ours);
    runs.accepted.push_back(accepted);
    runs.floor.push_back(reference);
  }
  sidebyside::Ratio(AsUserName(lines), runs.ours, runs.floor, million ? 0 : 3.5);
  sidebyside::Ratio(AcceptedName(lines), runs.accepted, runs.floor, 0);
  g_asUser[lines] = runs;
  if (!million) {
    sidebyside::Line(PerLineName(lines), Us(PerLine(runs, lines)), "-", "-", "-", "-");
  } else if (!g_asUser.count(10000)) {
    sidebyside::Failed(kPerLineGrowth, false, true, 1.3);
  } else {
    const double a = PerLine(runs, lines), b = PerLine(g_asUser[10000], 10000);
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.2fx", a / b);
    sidebyside::Line(kPerLineGrowth, Us(a), Us(b), ratio, "1.3x", a > 0 && b > 0 && a / b <= 1.3 ? "yes" : "no");
  }
  if (lines == 100000 && g_asUser.count(10000)) {
    // How ours and SQLite's own work grow with the rows, for comparison.
    sidebyside::Ratio("import of 100,000 lines as the user does it / the same of 10,000 lines", runs.ours,
                      g_asUser[10000].ours, 0);
    sidebyside::Ratio("in-process floor of 100,000 lines / of 10,000 lines", runs.floor, g_asUser[10000].floor, 0);
  }
}
// More runs than the others: the 10,000-line figure is short and its median moves with the machine.
BENCHMARK(BM_ImportAsUser)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2 * kRuns + 1);
BENCHMARK(BM_ImportAsUser)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The peak resident memory of importing 1,000,000 lines as the user does it, with the ledger window
// open (the program refuses an import with none), until the window is reloaded. Run in a process of
// its own, so that no other benchmark's memory counts.
void BM_ImportMemory(benchmark::State& state) {
  constexpr int kMillion = 1000000;
  const std::string name =
      "peak resident memory of importing 1,000,000 lines as the user does it, until the ledger window is reloaded";
  sidebyside::Expect(name);
  platform::TestUi ui;
  const QString file = LedgerFile(kMillion);
  datastore::clsDate& db = modStart::objDate();
  bool ok = false;
  double peak = 0, reload = 0, accept = 0;
  for (auto _ : state)
    ok = db.OpenDataBase(FreshCopy(QStringLiteral("import.kvt"))) &&
         ImportInMainWindow(ui, file, kMillion, reload, accept, &peak);
  db.CloseDataBase();
  if (!ok) {
    sidebyside::Failed(name, true, false, 300);
    return state.SkipWithError("not every line imported (its figure says FAILED)");
  }
  sidebyside::Limit(name, peak, 300, "MB");
}
BENCHMARK(BM_ImportMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir settings;
  platform::SetSettingsFile(settings.filePath(QStringLiteral("Almanor.ini")));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
