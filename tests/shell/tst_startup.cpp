// Start-up: choosing and opening the data set, and the real program started twice.

#include "shell/startup.h"
#include "filebytes.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
#include <csignal>
#include <memory>

class tst_startup : public QObject {
  Q_OBJECT
private slots:
  void init() { env_ = std::make_unique<TestEnv>(false); }
  void cleanup() { env_.reset(); }

  void defaultDataSetCreated();
  void defaultDataSetKept();
  void missingDataSetPickedOrCreated();
  void missingDataSetCancelled();
  void unreadableDataSet();
  void unreadableDefaultDataSet();

  void noDisplay_data();
  void noDisplay();
  void realProgramStartsOnceAndQuits();
  void signalUnloadsLikeExit_data();
  void signalUnloadsLikeExit();

private:
  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  std::unique_ptr<TestEnv> env_;
};

void tst_startup::defaultDataSetCreated() {
  const QString path = Path(QStringLiteral("data/Almanor/Almanor.kvt"));  // its folder is missing too
  QCOMPARE(modStart::OpenDataSetAtStart(path), modStart::DataSetResult::Opened);
  QVERIFY(QFileInfo(path).isFile());
  QCOMPARE(modStart::objDate().objConn.State(), 1);
  QCOMPARE(platform::GetSetting("Option", "DataBase"), QFileInfo(path).absoluteFilePath());
  QVERIFY(env_->ui.shown.empty());
}

void tst_startup::defaultDataSetKept() {
  const QString path = Path(QStringLiteral("Almanor.kvt"));
  QVERIFY(modStart::objDate().CreateDataBase(path));
  QVERIFY(modStart::objDate().OpenDataBase(path));
  QVERIFY(modStart::objDate().Notes_Add(QStringLiteral("标题"), QStringLiteral("内容"), QStringLiteral("类别"), QString()) > 0);
  modStart::objDate().CloseDataBase();

  QCOMPARE(modStart::OpenDataSetAtStart(path), modStart::DataSetResult::Opened);
  QCOMPARE(modStart::objDate().Notes_GetRecordSet()->RecordCount(), 1);
}

void tst_startup::missingDataSetPickedOrCreated() {
  const QString existing = Path(QStringLiteral("other.kvt"));
  QVERIFY(modStart::objDate().CreateDataBase(existing));

  // The data set was moved: the user picks another one.
  platform::SaveSetting("Option", "DataBase", Path(QStringLiteral("moved.kvt")));
  env_->ui.fileAnswers.push_back(existing);
  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Opened);
  QCOMPARE(env_->ui.shown.size(), size_t(1));
  const platform::ShownMessage& dialog = env_->ui.shown[0];
  QCOMPARE(dialog.kind, platform::ShownMessage::FileDialog);
  QCOMPARE(dialog.file.filter, QStringLiteral("数据账套(*.kvt)|*.kvt"));
  QVERIFY(!dialog.file.mustExist);
  QVERIFY(!dialog.file.save);
  QCOMPARE(platform::GetSetting("Option", "DataBase"), existing);
  QVERIFY(!QFileInfo::exists(Path(QStringLiteral("default.kvt"))));
  modStart::objDate().CloseDataBase();

  // Or names a new one (without the extension), which starts empty.
  platform::SaveSetting("Option", "DataBase", Path(QStringLiteral("deleted.kvt")));
  env_->ui.fileAnswers.push_back(Path(QStringLiteral("fresh")));
  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Opened);
  QVERIFY(QFileInfo(Path(QStringLiteral("fresh.kvt"))).isFile());
  QCOMPARE(platform::GetSetting("Option", "DataBase"), Path(QStringLiteral("fresh.kvt")));
  QCOMPARE(modStart::objDate().Notes_GetRecordSet()->RecordCount(), 0);
}

void tst_startup::missingDataSetCancelled() {
  const QString missing = Path(QStringLiteral("moved.kvt"));
  platform::SaveSetting("Option", "DataBase", missing);
  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Cancelled);
  QCOMPARE(modStart::objDate().objConn.State(), 0);
  QCOMPARE(platform::GetSetting("Option", "DataBase"), missing);  // still there for next time
  QVERIFY(!QFileInfo::exists(Path(QStringLiteral("default.kvt"))));
  QCOMPARE(env_->ui.shown.at(0).file.fileName, missing);  // offered where it was

  // With its folder gone, or named without one, the default is offered: never a new data set in
  // whatever folder the program was started from.
  for (const QString& named : {Path(QStringLiteral("gone/moved.kvt")), QStringLiteral("moved.kvt")}) {
    platform::SaveSetting("Option", "DataBase", named);
    env_->ui.Clear();
    QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Cancelled);
    QCOMPARE(env_->ui.shown.at(0).file.fileName, Path(QStringLiteral("default.kvt")));
  }

  // A folder of that name is not a data set either.
  platform::SaveSetting("Option", "DataBase", missing);
  QVERIFY(QDir().mkpath(missing));
  env_->ui.Clear();
  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Cancelled);
  QCOMPARE(env_->ui.shown.size(), size_t(1));
}

void tst_startup::unreadableDataSet() {
  const QString text = Path(QStringLiteral("notes.kvt"));
  QVERIFY(WriteBytes(text, "not a data set\n"));
  platform::SaveSetting("Option", "DataBase", text);

  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Failed);
  QCOMPARE(modStart::objDate().objConn.State(), 0);
  QCOMPARE(platform::GetSetting("Option", "DataBase"), QString());
  const auto boxes = env_->ui.Messages();
  QCOMPARE(boxes.size(), size_t(1));  // the data store says why
  QCOMPARE(boxes[0].icon, platform::MsgIcon::Critical);
  QVERIFY(QFileInfo(text).size() > 0);  // and the file is left as it was

  // The next start asks, offering the default data set: making it unasked would show the user
  // an empty data set, as if the notes were gone.
  env_->ui.Clear();
  QCOMPARE(modStart::OpenDataSetAtStart(Path(QStringLiteral("default.kvt"))), modStart::DataSetResult::Cancelled);
  QCOMPARE(env_->ui.shown.size(), size_t(1));
  QCOMPARE(env_->ui.shown[0].file.fileName, Path(QStringLiteral("default.kvt")));
  QVERIFY(!QFileInfo::exists(Path(QStringLiteral("default.kvt"))));
}

void tst_startup::unreadableDefaultDataSet() {
  // With the default data set broken, stopping would stop every start the same way: the user
  // picks another data set or names a new one instead, and the bad file is left alone.
  const QString bad = Path(QStringLiteral("Almanor/Almanor.kvt"));
  QVERIFY(QDir().mkpath(QFileInfo(bad).absolutePath()));
  QVERIFY(WriteBytes(bad, QByteArray(4096, 'x')));

  env_->ui.fileAnswers.push_back(Path(QStringLiteral("fresh")));
  QCOMPARE(modStart::OpenDataSetAtStart(bad), modStart::DataSetResult::Opened);
  QCOMPARE(env_->ui.shown.size(), size_t(2));
  QCOMPARE(env_->ui.shown[0].icon, platform::MsgIcon::Critical);  // the data store says why first
  QCOMPARE(env_->ui.shown[1].kind, platform::ShownMessage::FileDialog);
  QCOMPARE(env_->ui.shown[1].file.filter, QStringLiteral("数据账套(*.kvt)|*.kvt"));
  QVERIFY(!env_->ui.shown[1].file.mustExist);
  QCOMPARE(platform::GetSetting("Option", "DataBase"), Path(QStringLiteral("fresh.kvt")));
  QCOMPARE(modStart::objDate().Notes_GetRecordSet()->RecordCount(), 0);
  QCOMPARE(QFileInfo(bad).size(), 4096);
  modStart::objDate().CloseDataBase();

  // Choosing nothing ends the program; the next first start asks again.
  platform::DeleteSetting("Option", "DataBase");
  env_->ui.Clear();
  QCOMPARE(modStart::OpenDataSetAtStart(bad), modStart::DataSetResult::Cancelled);
  QCOMPARE(env_->ui.shown.size(), size_t(2));
  QCOMPARE(modStart::objDate().objConn.State(), 0);
  QVERIFY(!platform::HasSetting("Option", "DataBase"));
  QCOMPARE(QFileInfo(bad).size(), 4096);

  // Picking the bad file itself fails as a named data set does, and leaves it unchanged.
  env_->ui.Clear();
  env_->ui.fileAnswers.push_back(bad);
  QCOMPARE(modStart::OpenDataSetAtStart(bad), modStart::DataSetResult::Failed);
  QCOMPARE(env_->ui.Messages().size(), size_t(2));
  QCOMPARE(platform::GetSetting("Option", "DataBase"), QString());
  QCOMPARE(QFileInfo(bad).size(), 4096);
}

namespace {

// The real program against folders of its own.
struct Program {
  QProcess process;
  explicit Program(const QProcessEnvironment& env) {
    process.setProcessEnvironment(env);
    process.setProgram(QStringLiteral(ALMANOR_BINARY));
  }
};

QProcessEnvironment ProgramEnvironment(const QString& root, int quitAfterMs) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
    const QString folder = root + QLatin1Char('/') + QLatin1String(name);
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QLatin1String(name), folder);
  }
  env.insert(QStringLiteral("ALMANOR_TEST_QUIT_AFTER_MS"), QString::number(quitAfterMs));
  return env;
}

} // namespace

void tst_startup::noDisplay_data() {
  QTest::addColumn<QString>("platform");
  QTest::addColumn<QString>("waylandDisplay");
  QTest::newRow("none") << QString() << QString();
  QTest::newRow("X11 without DISPLAY") << QStringLiteral("xcb") << QStringLiteral("wayland-9");
  QTest::newRow("X11 with options") << QStringLiteral("xcb:nograb") << QString();
  QTest::newRow("Wayland without WAYLAND_DISPLAY") << QStringLiteral("wayland") << QString();
  QTest::newRow("fallbacks, none reachable") << QStringLiteral("wayland;xcb") << QString();
}

void tst_startup::noDisplay() {
  // Where Qt would abort for want of a display, the program says how to start it instead.
  QFETCH(QString, platform);
  QFETCH(QString, waylandDisplay);
  QProcessEnvironment env = ProgramEnvironment(env_->dir.path(), 0);
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  if (!platform.isEmpty()) env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
  if (!waylandDisplay.isEmpty()) env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
  env.remove(QStringLiteral("XDG_SESSION_TYPE"));
  Program program(env);
  program.process.start();
  QVERIFY(program.process.waitForFinished(60000));
  QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(program.process.exitCode(), 1);
  QVERIFY(QString::fromUtf8(program.process.readAllStandardError()).contains(QStringLiteral("xvfb-run -a")));
}

void tst_startup::realProgramStartsOnceAndQuits() {
  const QString root = env_->dir.path();
  const QString dataSet = root + QStringLiteral("/XDG_DATA_HOME/Almanor/Almanor.kvt");

  Program first(ProgramEnvironment(root, 15000));
  first.process.start();
  QVERIFY(first.process.waitForStarted());
  // The data set is made after the single-instance lock is taken.
  QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dataSet).isFile(), 30000);

  // The second copy tells that the program runs and stops without touching the first.
  Program second(ProgramEnvironment(root, 500));
  second.process.start();
  QVERIFY(second.process.waitForFinished(60000));
  QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(second.process.exitCode(), 0);
  QVERIFY2(QString::fromUtf8(second.process.readAllStandardError()).contains(QStringLiteral("程序 Almanor 已经运行。")),
           "the second copy did not report the running one");
  QCOMPARE(first.process.state(), QProcess::Running);

  QVERIFY(first.process.waitForFinished(60000));
  QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(first.process.exitCode(), 0);

  platform::SetSettingsFile(root + QStringLiteral("/XDG_CONFIG_HOME/Almanor/Almanor.ini"));
  QCOMPARE(platform::GetSetting("Option", "DataBase"), dataSet);
  // A clean Exit saved the window's place and closed the data set back into one file.
  QVERIFY(!platform::GetSetting("Option", "Width").isEmpty());
  QVERIFY(!QFileInfo::exists(dataSet + QStringLiteral("-journal")));

  // Started again, it opens the same data set and leaves cleanly.
  Program again(ProgramEnvironment(root, 500));
  again.process.start();
  QVERIFY(again.process.waitForFinished(60000));
  QCOMPARE(again.process.exitCode(), 0);
}

void tst_startup::signalUnloadsLikeExit_data() {
  QTest::addColumn<int>("sig");
  QTest::newRow("SIGTERM") << int(SIGTERM);
  QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_startup::signalUnloadsLikeExit() {
  // A session end or `kill` must not skip the unload: the window's place is saved and the data
  // set closed back into one file, as File > Exit does. Further signals while it leaves (a session
  // end may send more than one) change nothing.
  QFETCH(int, sig);
  const QString root = env_->dir.path();
  const QString dataSet = root + QStringLiteral("/XDG_DATA_HOME/Almanor/Almanor.kvt");
  QProcessEnvironment env = ProgramEnvironment(root, 0);
  env.remove(QStringLiteral("ALMANOR_TEST_QUIT_AFTER_MS"));  // only the signal ends it
  Program program(env);
  program.process.start();
  QVERIFY(program.process.waitForStarted());
  QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dataSet).isFile(), 30000);
  platform::SetSettingsFile(root + QStringLiteral("/XDG_CONFIG_HOME/Almanor/Almanor.ini"));
  QTRY_COMPARE_WITH_TIMEOUT(platform::GetSetting("Option", "DataBase"), dataSet, 30000);  // open

  const qint64 pid = program.process.processId();
  QElapsedTimer sending;
  sending.start();
  do QCOMPARE(::kill(pid, sig), 0);
  while (!program.process.waitForFinished(2) && sending.elapsed() < 60000);
  QVERIFY2(program.process.state() == QProcess::NotRunning, "the program did not end");
  QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
  QVERIFY2(program.process.exitCode() == 0, program.process.readAllStandardError().constData());

  for (const char* key : {"Left", "Top", "Width", "Height"})
    QVERIFY2(!platform::GetSetting("Option", key).isEmpty(), key);
  QVERIFY(!QFileInfo::exists(dataSet + QStringLiteral("-journal")));
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
