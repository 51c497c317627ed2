// Data sets that cannot be opened, met at start-up: the user is told why in Chinese, the setting
// is cleared so that the next start asks, and not one byte of the folder changes. Each case runs
// the start-up procedure in this process (to read the box) and then the real program. Then the
// real program under a signal while a start-up box is up or while it waits for a data set that
// another program holds locked, and under a file size limit.

#include "faultenv.h"
#include "shell/startup.h"
#include "testenv.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
#include <functional>
#include <memory>

using faults::ReadOnly;
using faults::Snapshot;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

// A data set with a few notes, closed.
void MakeDataSet(const QString& path, int notes = 3) {
  QVERIFY(db().CreateDataBase(path));
  QVERIFY(db().OpenDataBase(path));
  for (int i = 0; i < notes; ++i)
    QVERIFY(db().Notes_Add(QStringLiteral("标题%1").arg(i), QString(1000, u'文'), QStringLiteral("类别"), QString()) > 0);
}

} // namespace

class tst_faults_startup : public QObject {
  Q_OBJECT
private slots:
  void init() {
    env_ = std::make_unique<TestEnv>(false);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
      const QString folder = Path(QLatin1String(name));
      QDir().mkpath(folder);
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The program's own settings file, shared with the start-up run here.
    platform::SetSettingsFile(Path(QStringLiteral("XDG_CONFIG_HOME/Almanor/Almanor.ini")));
  }
  void cleanup() { env_.reset(); }

  void badDataSetIsRefusedUntouched_data();
  void badDataSetIsRefusedUntouched();
  void signalWhileAStartBoxIsUp();
  void signalEndsAWaitForALockedDataSet();
  void fileSizeLimitFailsTheWrite();

private:
  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  // The real program against this test's folders. Unless told to wait for a signal, it leaves by
  // itself after a few seconds, closing whatever box is on screen.
  void Start(QProcess& program, bool untilSignal = false);
  // Runs it to its end: its exit code, -1 when it crashed or was killed.
  int RunProgram(QString* errors = nullptr, const std::function<void()>& inChild = {});
  std::unique_ptr<TestEnv> env_;
};

void tst_faults_startup::Start(QProcess& program, bool untilSignal) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    env.insert(QLatin1String(name), Path(QLatin1String(name)));
  if (!untilSignal) env.insert(QStringLiteral("ALMANOR_TEST_QUIT_AFTER_MS"), QStringLiteral("3000"));
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(ALMANOR_BINARY));
}

int tst_faults_startup::RunProgram(QString* errors, const std::function<void()>& inChild) {
  QProcess program;
  if (inChild) program.setChildProcessModifier(inChild);
  Start(program);
  const bool ended = program.waitForFinished(120000);
  if (errors) *errors = QString::fromUtf8(program.readAllStandardError());
  if (!ended || program.exitStatus() != QProcess::NormalExit) return -1;
  return program.exitCode();
}

void tst_faults_startup::badDataSetIsRefusedUntouched_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("reason");  // what the box must say
  QTest::newRow("not an SQLite file") << "text" << "不是有效的数据账套文件";
  QTest::newRow("empty file") << "empty" << "不是有效的数据账套文件";  // SQLite would take it for a new one
  QTest::newRow("truncated") << "truncated" << "数据账套文件已损坏";
  QTest::newRow("file without write permission") << "read-only file" << "数据账套文件是只读的";
  QTest::newRow("folder without write permission") << "read-only folder" << "数据账套所在的文件夹是只读的";
  QTest::newRow("table missing") << "no table" << "缺少数据表 url";
  QTest::newRow("column missing") << "no column" << "数据表 notes 缺少字段 notescontent";
  QTest::newRow("configuration column missing") << "no config column" << "数据表 configs 缺少字段 usernote";
}

void tst_faults_startup::badDataSetIsRefusedUntouched() {
  QFETCH(QString, kind);
  QFETCH(QString, reason);
  const QString folder = Path(QStringLiteral("数据"));
  const QString path = folder + QStringLiteral("/Almanor.kvt");
  QVERIFY(QDir().mkpath(folder));

  if (kind == QLatin1String("text")) {
    QVERIFY(WriteBytes(path, QStringLiteral("这是一个文本文件，不是数据账套。\n").repeated(300).toUtf8()));
  } else if (kind == QLatin1String("empty")) {
    QVERIFY(WriteBytes(path, QByteArray()));
  } else {
    MakeDataSet(path, kind == QLatin1String("truncated") ? 200 : 3);
    if (kind == QLatin1String("no table")) db().objConn.Execute(QStringLiteral("drop table url"));
    if (kind == QLatin1String("no column")) db().objConn.Execute(QStringLiteral("alter table notes drop column notescontent"));
    if (kind == QLatin1String("no config column")) db().objConn.Execute(QStringLiteral("alter table configs drop column usernote"));
    db().CloseDataBase();
    if (kind == QLatin1String("truncated")) {
      // Cut inside a page, as a copy broken off half way leaves it.
      QFile file(path);
      QVERIFY(file.resize(file.size() / 2 + 100));
    }
  }
  std::unique_ptr<ReadOnly> readOnly;
  if (kind == QLatin1String("read-only file")) readOnly = std::make_unique<ReadOnly>(path);
  if (kind == QLatin1String("read-only folder")) readOnly = std::make_unique<ReadOnly>(folder, path);
  if (readOnly && readOnly->how.isEmpty())
    QSKIP("neither permission bits, a read-only bind mount nor the immutable attribute stop writes here");
  if (readOnly) qInfo("made read-only by %s", qPrintable(readOnly->how));

  const auto before = Snapshot(folder);
  QVERIFY(!before.isEmpty());

  // The start-up procedure: one box that says why, and the setting cleared.
  platform::SaveSetting("Option", "DataBase", path);
  const QString fallback = Path(QStringLiteral("XDG_DATA_HOME/Almanor/Almanor.kvt"));
  QCOMPARE(modStart::OpenDataSetAtStart(fallback), modStart::DataSetResult::Failed);
  QCOMPARE(db().objConn.State(), 0);
  const auto boxes = env_->ui.Messages();
  QCOMPARE(boxes.size(), size_t(1));
  QCOMPARE(boxes[0].icon, platform::MsgIcon::Critical);
  QCOMPARE(boxes[0].title, QStringLiteral("发生错误"));
  QVERIFY2(boxes[0].text.startsWith(QStringLiteral("打开数据账套时发生错误，")), qPrintable(boxes[0].text));
  QVERIFY2(boxes[0].text.contains(reason), qPrintable(boxes[0].text));
  QCOMPARE(platform::GetSetting("Option", "DataBase", QStringLiteral("unset")), QString());
  QCOMPARE(Snapshot(folder), before);

  // The real program stops with a failure in the same way.
  platform::SaveSetting("Option", "DataBase", path);
  QCOMPARE(RunProgram(), 1);
  QCOMPARE(platform::GetSetting("Option", "DataBase", QStringLiteral("unset")), QString());
  QVERIFY(!QFileInfo::exists(fallback));
  QCOMPARE(Snapshot(folder), before);
}

void tst_faults_startup::signalWhileAStartBoxIsUp() {
  // The reminders window's load error on a data set with a damaged page is on screen, before the
  // main event loop runs: a logout, `kill` or Ctrl+C still ends the program as Exit does, and
  // frees the lock for the next start.
  const QString path = Path(QStringLiteral("Almanor.kvt"));
  MakeDataSet(path);
  const qint64 page = db().objConn.OpenRowSet(QStringLiteral("pragma page_size"))->Fields("page_size").toLongLong();
  QList<qint64> roots;  // of the reminders table and its index
  for (auto rs = db().objConn.OpenRowSet(QStringLiteral("select rootpage from sqlite_master where tbl_name='reminds'"));
       !rs->Eof(); rs->MoveNext())
    roots << rs->Fields("rootpage").toLongLong();
  db().CloseDataBase();
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadWrite));
  for (const qint64 root : roots) QVERIFY(file.seek((root - 1) * page) && file.write(QByteArray(page, '\xff')) == page);
  file.close();
  platform::SaveSetting("Option", "DataBase", path);

  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
    QProcess program;
    Start(program, true);
    program.setReadChannel(QProcess::StandardError);
    QByteArray errors;
    while (!errors.contains("获得计划任务提醒时发生错误") && program.waitForReadyRead(60000))
      errors += program.readAllStandardError();
    QVERIFY2(errors.contains("数据账套文件已损坏"), errors.constData());
    QCOMPARE(::kill(program.processId(), sig), 0);
    QVERIFY2(program.waitForFinished(60000), "the program did not end");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!platform::GetSetting("Option", "Width").isEmpty());  // unloaded as by Exit
    QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
  }
  QString errors;
  QCOMPARE(RunProgram(&errors), 0);
  QVERIFY2(!errors.contains(QStringLiteral("已经运行")) && errors.contains(QStringLiteral("获得计划任务提醒时发生错误")),
           qPrintable(errors));
}

void tst_faults_startup::signalEndsAWaitForALockedDataSet() {
  // Another program writes to the data set while the program starts: the stamp of the open waits
  // for it. A logout or `kill` ends that wait at once: the stamp is not saved, as with any failed
  // save, and the program ends.
  const QString path = Path(QStringLiteral("Almanor.kvt"));
  MakeDataSet(path);
  const auto uses = [] {
    return db().objConn.OpenRowSet(QStringLiteral("select configsusecount from configs"))->Fields("configsusecount");
  };
  const QVariant before = uses();
  platform::SaveSetting("Option", "DataBase", path);
  db().objConn.Begin();  // holds the data set locked, as the other program's write does
  QProcess program;
  Start(program, true);
  const QString file = QFileInfo(path).canonicalFilePath();
  const auto hasItOpen = [&program, &file] {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(program.processId()));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
      if (fd.symLinkTarget() == file) return true;
    return false;
  };
  QTRY_VERIFY_WITH_TIMEOUT(hasItOpen(), 60000);
  QCOMPARE(::kill(program.processId(), SIGTERM), 0);
  // The other program's write ends a little later, before the program's wait would run out.
  const bool ended = program.waitForFinished(3000);
  db().objConn.Rollback();
  QVERIFY2(ended || program.waitForFinished(60000), "the program did not end");
  QCOMPARE(program.exitStatus(), QProcess::NormalExit);
  QCOMPARE(program.exitCode(), 0);
  QCOMPARE(uses(), before);
  QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
  // Nothing is wrong with the data set: the next start opens it again without asking.
  QCOMPARE(platform::GetSetting("Option", "DataBase"), path);
}

void tst_faults_startup::fileSizeLimitFailsTheWrite() {
  // Under a file size limit (ulimit -f) the stamp at the open cannot be written: the program is
  // not killed in the middle of the write, but says why and leaves the data set as it was.
  const QString folder = Path(QStringLiteral("数据"));
  const QString path = folder + QStringLiteral("/Almanor.kvt");
  QVERIFY(QDir().mkpath(folder));
  MakeDataSet(path);
  db().CloseDataBase();
  const auto before = Snapshot(folder);
  platform::SaveSetting("Option", "DataBase", path);
  QString errors;
  QCOMPARE(RunProgram(&errors, [] {
             const rlimit limit{2048, 2048};  // room for the lock and the settings only
             ::setrlimit(RLIMIT_FSIZE, &limit);
           }),
           1);
  QVERIFY2(errors.contains(QStringLiteral("打开数据账套时发生错误，读写数据账套文件时出错：文件太大")), qPrintable(errors));
  QCOMPARE(Snapshot(folder), before);
  QCOMPARE(platform::GetSetting("Option", "DataBase", QStringLiteral("unset")), QString());
}

QTEST_MAIN(tst_faults_startup)
#include "tst_faults_startup.moc"
