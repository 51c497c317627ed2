// The reminder dialog: its load values, the checks of OK (impossible dates, missing files, the
// title), what is saved, and the file box's colour.

#include "modules/listwindow/modStart.h"
#include "modules/reminders/frmRemindsEdit.h"
#include "platform/clock.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

void SetNow(const QString& text) { platform::SetNow(*vb::CDate(text)); }

void SetTime(frmRemindsEdit& d, const QStringList& parts) {
  QComboBox* boxes[] = {d.cobYear, d.cobMonth, d.cobDay, d.cobHour, d.cobMinute};
  for (int i = 0; i < 5; ++i) boxes[i]->setEditText(parts[i]);
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// The only reminder's stored fields.
QVariantList Stored() {
  datastore::RowSetPtr rs = db().Reminds_GetRecordSet();
  if (!rs || rs->Eof()) return {};
  return {rs->Fields("remindstime"), rs->Fields("remindstitle"), rs->Fields("remindscontent"),
          rs->Fields("remindsfile"), rs->Fields("remindsstring2")};
}

} // namespace

class TestRemindersEdit : public QObject {
  Q_OBJECT
  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void loadValues() {
    SetNow("2026-12-06 23:40:00");
    frmRemindsEdit late;
    QCOMPARE(Items(late.cobYear).size(), 11);
    QCOMPARE(Items(late.cobYear).last(), QString("2036"));
    // From 23:00 on the hour stays 23; the minute is 0, which is none of its items.
    const QStringList time = {late.cobYear->currentText(), late.cobMonth->currentText(), late.cobDay->currentText(),
                              late.cobHour->currentText(), late.cobMinute->currentText()};
    QCOMPARE(time, QStringList({"2026", "12", "6", "23", "0"}));
    QCOMPARE(Items(late.cobMinute).first(), QString("1"));

    SetNow("2026-03-01 08:15:00");
    frmRemindsEdit morning;
    QCOMPARE(morning.cobHour->currentText(), QString("9"));
  }

  void impossibleTimesAreRefused() {
    SetNow("2026-12-06 10:00:00");
    frmRemindsEdit d;
    d.txtTitle->setText("提醒");
    for (const QStringList& bad : {QStringList{"2026", "4", "31", "9", "0"}, QStringList{"2026", "1", "1", "24", "0"},
                                   QStringList{"2026", "2", "29", "9", "0"}, QStringList{"2026", "一", "1", "9", "0"},
                                   QStringList{"2026", "1", "1", "9", "60"}}) {
      env_->ui.Clear();
      SetTime(d, bad);
      d.cmdOk->click();
      QCOMPARE(env_->ui.Messages().size(), 1u);
      QCOMPARE(env_->ui.Messages()[0].text, QString("请设置正确的提醒时间。"));
      QCOMPARE(env_->ui.Messages()[0].title, QString("提示"));
      QCOMPARE(env_->ui.Messages()[0].icon, platform::MsgIcon::Information);
      QVERIFY(Stored().isEmpty());
    }
    // Cancel after a failed OK hands nothing back.
    d.cmdCancel->click();
    QVERIFY(d.SavedClass.isEmpty());

    // Hour 0 and minute 0 can be typed and make a valid time.
    frmRemindsEdit midnight;
    midnight.txtTitle->setText("元旦");
    SetTime(midnight, {"2027", "1", "1", "0", "0"});
    midnight.cmdOk->click();
    QCOMPARE(midnight.SavedClass, QString("2027年01月01日"));
    QCOMPARE(Stored().value(0).toString(), QString("2027-01-01 00:00:00"));
  }

  void titleAndFileChecks() {
    QTemporaryDir dir;
    const QString file = dir.filePath("议程.txt");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    frmRemindsEdit d;
    const QColor normal = platform::SystemWindowColor();
    QCOMPARE(d.FileBackColor(), normal);

    // An empty title: the data store's check, nothing saved.
    d.cmdOk->click();
    QCOMPARE(env_->ui.Messages().back().title, QString("条件不足"));

    // The file box turns light red while it names no file; a folder is no file.
    d.txtTitle->setText("看议程");
    d.txtFile->setText(dir.path());
    QCOMPARE(d.FileBackColor(), QColor(255, 192, 192));
    d.cmdOk->click();
    QCOMPARE(env_->ui.Messages().back().text, QString("请您选择一个有效的文件名称！"));
    QCOMPARE(env_->ui.Messages().back().icon, platform::MsgIcon::Exclamation);
    QVERIFY(Stored().isEmpty());

    // The chooser's path; cancelling it changes nothing.
    env_->ui.fileAnswers.push_back(file);
    env_->ui.fileAnswers.push_back(std::nullopt);
    d.cmdSelectFile->click();
    QCOMPARE(d.txtFile->text(), file);
    QCOMPARE(d.FileBackColor(), normal);
    d.cmdSelectFile->click();
    QCOMPARE(d.txtFile->text(), file);

    d.Check1->setChecked(true);
    d.SetContent("第一行\n第二行");
    SetTime(d, {"2026", "12", "6", "9", "30"});
    d.cmdOk->click();
    QCOMPARE(d.SavedClass, QString("2026年12月06日"));
    QCOMPARE(Stored(), (QVariantList{"2026-12-06 09:30:00", "看议程", "第一行\r\n第二行", file, "Day"}));
  }

  void enterMovesOnAndCtrlEnterSaves() {
    frmRemindsEdit d;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.cobMinute->setFocus();
    QTest::keyClick(d.cobMinute, Qt::Key_Return);
    QTRY_VERIFY(d.txtTitle->hasFocus());
    d.txtTitle->setText("键盘");
    QTest::keyClick(d.txtContent, Qt::Key_Return);
    QCOMPARE(d.Content(), QString("\r\n"));
    QVERIFY(d.isVisible() && Stored().isEmpty());
    // Tab goes on from the file box to the buttons, then to the chooser and the daily box.
    d.txtFile->setFocus();
    QStringList order;
    for (int i = 0; i < 5; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"cmdOk", "cmdCancel", "cmdHelp", "cmdSelectFile", "Check1"}));
    QTest::keyClick(d.txtContent, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!d.isVisible());
    QCOMPARE(Stored().value(1).toString(), QString("键盘"));
  }
};

QTEST_MAIN(TestRemindersEdit)
#include "test_reminders_edit.moc"
