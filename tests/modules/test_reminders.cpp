// The reminders list window offscreen, with the clock set by the test: status images, the due list
// and its timer through add, modify, delete and refresh, the selection after a load, and a
// reminder going off in the window.

#include "modules/listwindow/modStart.h"
#include "modules/reminders/RemindTimer.h"
#include "modules/reminders/frmReminds.h"
#include "modules/reminders/frmRemindsEdit.h"
#include "modules/reminders/frmRemindsView.h"
#include "platform/clock.h"
#include "platform/vb.h"
#include "testenv.h"
#include "driver.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTextEdit>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <memory>

using listwindow::TreeNode;
using reminders::Status;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

void SetNow(const QString& text) { platform::SetNow(*vb::CDate(text)); }

qint64 Add(const QString& time, const QString& title, bool daily = false, const QString& content = "") {
  return db().Reminds_Add(time, title, content, "", daily ? 1 : 0);
}

using DialogDriver = ModalDriver<frmRemindsEdit>;

void SetTime(frmRemindsEdit& d, int year, int month, int day, int hour, int minute) {
  d.cobYear->setEditText(QString::number(year));
  d.cobMonth->setEditText(QString::number(month));
  d.cobDay->setEditText(QString::number(day));
  d.cobHour->setEditText(QString::number(hour));
  d.cobMinute->setEditText(QString::number(minute));
}

} // namespace

class TestReminders : public QObject {
  Q_OBJECT
  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmReminds> Open() { return Shown(std::make_unique<frmReminds>()); }

  static bool HasImage(const frmReminds& w, qint64 id, Status status) {
    const TreeNode* node = w.Node(Key(id));
    return node && w.NodeIcon(node).pixmap(16).toImage() == frmReminds::StatusIcon(status).pixmap(16).toImage();
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() {
    delete frmRemindsView::Instance();
    env_.reset();
  }

  void statusImagesDueListAndSelection() {
    SetNow("2026-12-06 12:00:00");
    const qint64 earlier = Add("2026-12-06 09:00", "早会", false, "  带上  ");
    const qint64 later = Add("2026-12-06 15:00", "评审");
    const qint64 tomorrow = Add("2026-12-07 10:00", "明天");
    const qint64 future = Add("2026-12-08 08:00", "每天", true);
    const qint64 longer = Add("2026-12-08 09:00", "长", false, QString(199, QChar(u'字')) + "😀尾");
    auto w = Open();

    QCOMPARE(Children(w->Root()), QStringList({"2026年12月08日", "2026年12月07日", "2026年12月06日"}));
    QCOMPARE(w->Node(Key(earlier))->Text(), QString("09:00：早会（带上）"));
    // Cut at 200 units, never inside a surrogate pair.
    QCOMPARE(w->Node(Key(longer))->Text(), "09:00：长（" + QString(199, QChar(u'字')) + " ...）");
    QCOMPARE(w->LabTitle->Caption(), QString("计划任务提醒[5]"));
    QVERIFY(HasImage(*w, earlier, Status::Past));
    QVERIFY(HasImage(*w, later, Status::Pending));
    QVERIFY(HasImage(*w, tomorrow, Status::Pending));
    QVERIFY(HasImage(*w, future, Status::Daily));
    // Only the later one of today is due; a reminder of today still to come: today's first is selected.
    QCOMPARE(w->Firing->DueList().size(), 1u);
    QCOMPARE(w->Firing->DueList()[0].title, QString("评审"));
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->CurrentNode(), w->Node(Key(earlier)));
    QVERIFY(w->TreeView1->isExpanded(w->IndexOf(w->Node("c2026年12月06日"))));

    // Later that day, once it went off, the refresh finds nothing still to come: the root, no timer.
    SetNow("2026-12-06 16:00:00");
    w->Firing->Timer1_Timer();
    QTest::keyClick(w->TreeView1, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(HasImage(*w, later, Status::Past));
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->CurrentNode(), w->Root());
    QVERIFY(!w->LabModify->isEnabled() && !w->LabDelete->isEnabled() && !w->labHas->isEnabled());
  }

  void addArmsDeleteDisarmsAndTheReminderGoesOff() {
    SetNow("2026-12-06 09:00:00");
    Add("2026-12-06 08:00", "passed");
    auto w = Open();
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->CurrentNode(), w->Root());

    DialogDriver add([](frmRemindsEdit& d) {
      SetTime(d, 2026, 12, 6, 9, 30);
      d.txtTitle->setText("站会");
      d.SetContent("三楼\r\n会议室");
      d.cmdOk->click();
    });
    QTest::mouseClick(w->LabAdd, Qt::LeftButton);
    QCOMPARE(add.caption, QString("增加计划任务提醒"));
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->LabTitle->Caption(), QString("计划任务提醒[2]"));
    const TreeNode* added = w->Node("c2026年12月06日")->Child(1);
    QCOMPARE(added->Text(), QString("09:30：站会（三楼\r\n会议室）"));
    QCOMPARE(w->CurrentNode(), w->Node("c2026年12月06日"));

    // Its second comes: the pop-up shows it.
    SetNow("2026-12-06 09:30:00");
    w->Firing->Timer1_Timer();
    frmRemindsView* view = frmRemindsView::Instance();
    QCOMPARE(view->LabTime->text(), QString("2026年12月06日09时30分00秒"));
    QCOMPARE(view->LabTitle->toPlainText(), QString("站会"));

    // Deleting the only due reminder stops the timer and lowers the count.
    env_->ui.msgAnswers.push_back(platform::MsgResult::Yes);
    w->TreeView1->setCurrentIndex(w->IndexOf(added));
    QTest::mouseClick(w->LabDelete, Qt::LeftButton);
    QCOMPARE(env_->ui.Messages().back().text, QString("确定要删除 09:30：站会（三楼 会议室） 的提醒信息吗？"));
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(w->Firing->DueList().empty());
    QCOMPARE(w->LabTitle->Caption(), QString("计划任务提醒[1]"));
  }

  void newDayArmsItsRemindersUnderAModalDialog() {
    SetNow("2026-12-06 23:59:00");
    Add("2026-12-01 00:00:30", "每天", true);
    const qint64 morning = Add("2026-12-07 08:00", "明早");
    auto w = Open();

    // Midnight passes while the add dialog is open: the daily reminder still goes off on time,
    // above the dialog, where it can be closed.
    QString shown;
    DialogDriver open([&](frmRemindsEdit& d) {
      for (const char* moment : {"2026-12-07 00:00:00", "2026-12-07 00:00:30"}) {
        SetNow(moment);
        w->Firing->Timer1_Timer();
      }
      if (frmRemindsView* view = frmRemindsView::Instance(); view && QApplication::activeModalWidget() == view)
        shown = view->LabTitle->toPlainText();
      d.cmdCancel->click();
    });
    QTest::mouseClick(w->LabAdd, Qt::LeftButton);
    QVERIFY(open.seen);
    QCOMPARE(shown, QString("每天"));
    // The tree catches up once no modal window is left.
    frmRemindsView::Instance()->close();
    QTRY_COMPARE(w->CurrentNode(), w->Node(Key(morning)));
  }

  void modifyFillsTheDialogAndRejudgesTheDay() {
    SetNow("2026-12-06 09:00:00");
    const qint64 id = db().Reminds_Add("2026-12-05 07:05", "周报", "内容", "", 0);
    const qint64 due = Add("2026-12-06 18:00", "下班");
    auto w = Open();
    QCOMPARE(w->Firing->DueList().size(), 1u);

    // The dialog opens on the record's fields; made daily, the reminder is due and shows so.
    DialogDriver modify([](frmRemindsEdit& d) {
      const QStringList time = {d.cobYear->currentText(), d.cobMonth->currentText(), d.cobDay->currentText(),
                                d.cobHour->currentText(), d.cobMinute->currentText()};
      QCOMPARE(time, QStringList({"2026", "12", "5", "7", "5"}));
      QVERIFY(!d.Check1->isChecked());
      d.Check1->setChecked(true);
      d.cmdOk->click();
    });
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(Key(id))));
    QTest::keyClick(w->TreeView1, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(modify.caption, QString("修改计划任务提醒"));
    QVERIFY(HasImage(*w, id, Status::Daily));
    QCOMPARE(w->CurrentNode(), w->Node(Key(id)));
    // The reloaded day's entry comes after the others.
    QCOMPARE(w->Firing->DueList().size(), 2u);
    QCOMPARE(w->Firing->DueList()[0].title, QString("下班"));
    QCOMPARE(w->Firing->DueList()[1].title, QString("周报"));

    // Deleting a whole day rebuilds the due list from what is left.
    env_->ui.msgAnswers.push_back(platform::MsgResult::Yes);
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node("c2026年12月06日")));
    QTest::mouseClick(w->LabDelete, Qt::LeftButton);
    QCOMPARE(env_->ui.Messages().back().text, QString("确定要删除 2026年12月06日 的所有提醒信息吗？"));
    QVERIFY(!w->Node(Key(due)));
    QCOMPARE(w->Firing->DueList().size(), 1u);
    QCOMPARE(w->LabTitle->Caption(), QString("计划任务提醒[1]"));
  }

  void editingTheTextKeepsTheStoredSecond() {
    // Times with seconds come from imports and older data sets; the dialog shows only minutes.
    SetNow("2026-12-06 16:38:00");
    Add("2026-12-06 16:38:20", "A");
    const qint64 id = Add("2026-12-06 16:38:55", "B");
    auto w = Open();
    SetNow("2026-12-06 16:38:20");
    w->Firing->Timer1_Timer();
    QPointer<frmRemindsView> first = frmRemindsView::Instance();
    SetNow("2026-12-06 16:38:55");
    w->Firing->Timer1_Timer();
    QCOMPARE(w->Firing->Waiting(), 1);

    // B, waiting behind A, gets a new title: it keeps its second and its turn.
    DialogDriver modify([](frmRemindsEdit& d) {
      d.txtTitle->setText("B2");
      d.cmdOk->click();
    });
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(Key(id))));
    QTest::keyClick(w->TreeView1, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(modify.seen);
    QCOMPARE(db().Reminds_GetModify(id)->Fields("remindstime").toString(), QString("2026-12-06 16:38:55"));
    QCOMPARE(w->Firing->Waiting(), 1);
    first->close();
    QTRY_VERIFY(!first && frmRemindsView::Instance());
    QCOMPARE(frmRemindsView::Instance()->LabTitle->toPlainText(), QString("B2"));
    QCOMPARE(frmRemindsView::Instance()->LabTime->text(), QString("2026年12月06日16时38分55秒"));
  }
};

QTEST_MAIN(TestReminders)
#include "test_reminders.moc"
