// Export and import at scale, each beside the sqlite3 tool doing the same work on the same file,
// run alternately five times:
// - importing 100,000 ledger lines vs the tool inserting the same rows in one transaction;
// - exporting 100,000 notes vs the tool writing the same rows as "|" separated lines;
// and listing the 100,000 ledger lines in the import dialog (reading and decoding the file
// included). The import as the user does it (the file listed, 全选, 完成) of 10,000 and 100,000
// ledger lines is timed beside its floor: SQLite in this process running one prepared insert with
// bound values over the same rows in one transaction, with the data set's own journal settings.
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build, with the sqlite3 tool on the
// PATH.

#include "datastore_datagen.h"
#include "exchange/RecordFile.h"
#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "modules/listwindow/modStart.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "sidebyside.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kLines = 100000;
constexpr int kRuns = 5;

QString DataFile(const QString& name) { return QDir(benchdata::DataDir()).filePath(name); }

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
  const QString text = platform::ReadTextFile(LedgerFile()).text;
  const QString script = LedgerScript();
  datastore::clsDate& db = modStart::objDate();
  sidebyside::Alternate(
      state, "import of 100,000 ledger lines / sqlite3 inserting them in one transaction", 3.0,
      [&] {
        db.CloseDataBase();
        if (!db.OpenDataBase(FreshCopy(QStringLiteral("import.kvt")))) return -1.0;
        exchange::frmImp imp(QStringLiteral("frmMoneys"));
        imp.LoadFile(text);
        imp.cmdSelectAll_Click();
        return sidebyside::Seconds([&] { return imp.Import() && imp.recordsAdded == kLines; });
      },
      [&] { return sidebyside::RunProgram({"sqlite3", FreshCopy(QStringLiteral("import-cli.kvt"))}, script); });
  db.CloseDataBase();
}
BENCHMARK(BM_ImportLedger)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

void BM_ExportNotes(benchmark::State& state) {
  platform::TestUi ui;
  datastore::clsDate& db = modStart::objDate();
  const QString data = benchdata::NotesDataSet();
  if (!db.OpenDataBase(data)) return state.SkipWithError("cannot open");
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
    imp->cmdOpen_Click();
    if (imp->ItemCount() != kLines) return state.SkipWithError("not every line listed");
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

// Our times of the import as the user does it and of its floor, by line count, for the figures of
// how they grow.
std::map<int, std::vector<double>> g_asUser, g_floor;

// The import dialog as the user goes through it: the file chosen and listed, 全选, 完成.
void BM_ImportAsUser(benchmark::State& state) {
  const int lines = int(state.range(0));
  platform::TestUi ui;
  const QString file = LedgerFile(lines);
  datastore::clsDate& db = modStart::objDate();
  const std::string count = QLocale(QLocale::English).toString(lines).toStdString();
  std::vector<double> ours, floor;
  for (auto _ : state) {
    const double reference = FloorImport(FreshCopy(QStringLiteral("import-floor.kvt")), lines);
    db.CloseDataBase();
    if (reference < 0 || !db.OpenDataBase(FreshCopy(QStringLiteral("import.kvt"))))
      return state.SkipWithError("a run failed");
    auto imp = std::make_unique<exchange::frmImp>(QStringLiteral("frmMoneys"));
    ui.fileAnswers.push_back(file);
    const double seconds = sidebyside::Seconds([&] {
      imp->cmdOpen_Click();
      imp->cmdSelectAll_Click();
      imp->cmdOk_Click();
      return imp->blnImported && imp->recordsAdded == lines;
    });
    imp.reset();
    if (seconds < 0) return state.SkipWithError("not every line imported");
    state.SetIterationTime(seconds);
    ours.push_back(seconds);
    floor.push_back(reference);
  }
  db.CloseDataBase();
  sidebyside::Ratio("import of " + count + " lines, listed, all ticked and imported / in-process floor: one "
                    "prepared insert with bound values in one transaction",
                    ours, floor, 2.0);
  g_asUser[lines] = ours;
  g_floor[lines] = floor;
  if (g_asUser.count(10000) && g_asUser.count(100000)) {
    sidebyside::Ratio("import of 100,000 lines, listed, all ticked and imported / the same of 10,000 lines",
                      g_asUser[100000], g_asUser[10000], 11.0);
    // How SQLite's own work grows with the rows, for comparison.
    sidebyside::Ratio("in-process floor of 100,000 lines / of 10,000 lines", g_floor[100000], g_floor[10000], 0);
  }
}
// More runs than the others: the 10,000-line figure is short and its median moves with the machine.
BENCHMARK(BM_ImportAsUser)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2 * kRuns + 1);

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
