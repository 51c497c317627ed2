// Data sets that cannot be opened, met at start-up: the user is told why in Chinese, the setting
// is cleared so that the next start asks, and not one byte of the folder changes. Each case runs
// the start-up procedure in this process (to read the box) and then the real program.

#include "faultenv.h"
#include "shell/startup.h"
#include "testenv.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
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

private:
  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  int RunProgram();
  std::unique_ptr<TestEnv> env_;
};

// The real program against this test's folders; it leaves by itself after a few seconds, closing
// whatever box is on screen. Its exit code.
int tst_faults_startup::RunProgram() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    env.insert(QLatin1String(name), Path(QLatin1String(name)));
  env.insert(QStringLiteral("ALMANOR_TEST_QUIT_AFTER_MS"), QStringLiteral("3000"));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(ALMANOR_BINARY));
  if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit) return -1;
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
    QVERIFY(faults::WriteBytes(path, QStringLiteral("这是一个文本文件，不是数据账套。\n").repeated(300).toUtf8()));
  } else if (kind == QLatin1String("empty")) {
    QVERIFY(faults::WriteBytes(path, QByteArray()));
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

QTEST_MAIN(tst_faults_startup)
#include "tst_faults_startup.moc"
