// The program killed in the middle of importing 100,000 ledger lines: the data set stays whole,
// opens, and holds either none or a prefix of the lines, never a torn record.

#include "modules/listwindow/modStart.h"
#include "platform/textfile.h"
#include "testenv.h"

#include <QDir>
#include <QProcess>
#include <QTest>

class TestFaultsKill : public QObject {
  Q_OBJECT

private slots:
  void killedImportLeavesAWholeDataSet() {
    TestEnv env;
    const QString path = env.dir.filePath("test.kvt");
    modStart::objDate().CloseDataBase();
    constexpr int kLines = 100000;
    QString text;
    for (int i = 0; i < kLines; ++i)
      text += QString("2024-05-01|支出|行%1|备注{br}第二行|1|份|2.5||2.5\r\n").arg(i, 6, 10, QChar('0'));
    const QString file = env.dir.filePath("ledger.txt");
    QCOMPARE(platform::WriteTextFile(file, text), QString());

    // Killed at several moments of the import: early, midway, late. Whatever it leaves in the
    // temporary folder stays in this test's folder.
    const QString temp = env.dir.filePath("tmp");
    QVERIFY(QDir().mkpath(temp));
    QProcessEnvironment childEnv = QProcessEnvironment::systemEnvironment();
    childEnv.insert("TMPDIR", temp);
    for (const int delayMs : {50, 400, 1500}) {
      QProcess child;
      child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
      child.setProcessEnvironment(childEnv);
      child.start(IMPORT_CHILD_EXE, {path, file, env.dir.filePath("child.ini")});
      QVERIFY(child.waitForStarted());
      QByteArray out;
      while (!out.contains("start\n") && child.waitForReadyRead(120000)) out += child.readAllStandardOutput();
      QVERIFY2(out.contains("start\n"), out.constData());
      QTest::qWait(delayMs);
      child.kill();
      child.waitForFinished();
      QVERIFY2(!child.readAllStandardOutput().contains("done"), "the import ended before the kill");

      QVERIFY(modStart::objDate().OpenDataBase(path));
      datastore::RowSetPtr check = modStart::objDate().objConn.OpenRowSet("pragma integrity_check");
      QCOMPARE(check->Fields("integrity_check").toString(), QString("ok"));
      datastore::RowSetPtr rows = modStart::objDate().objConn.OpenRowSet(
          "select moneystitle, moneyscontent, moneyssum from moneys order by moneysid");
      int n = 0;
      for (; !rows->Eof(); rows->MoveNext(), ++n) {
        QCOMPARE(rows->Fields("moneystitle").toString(), QString("行%1").arg(n % kLines, 6, 10, QChar('0')));
        QCOMPARE(rows->Fields("moneyscontent").toString(), QString("备注\r\n第二行"));
        QCOMPARE(rows->Fields("moneyssum").toDouble(), 2.5);
      }
      rows->Close();
      modStart::objDate().CloseDataBase();
      // A whole import run or nothing of it: one transaction.
      QVERIFY2(n % kLines == 0, qPrintable(QString::number(n)));
    }
    QCOMPARE(QDir(temp).entryList({"faults_import_child-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
  }
};

QTEST_GUILESS_MAIN(TestFaultsKill)
#include "tst_faults_kill.moc"
