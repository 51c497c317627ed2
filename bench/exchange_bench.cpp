// Export and import at scale, each beside the sqlite3 tool doing the same work on the same file,
// run alternately five times:
// - importing 100,000 ledger lines vs the tool inserting the same rows in one transaction;
// - exporting 100,000 notes vs the tool writing the same rows as "|" separated lines;
// and listing the 100,000 ledger lines in the import dialog (reading and decoding the file
// included). Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build, with the sqlite3 tool
// on the PATH.

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

QString LedgerFile() {
  const QString path = DataFile(QStringLiteral("ledger100k.txt"));
  if (QFile::exists(path)) return path;
  QString text;
  for (int i = 0; i < kLines; ++i) {
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
