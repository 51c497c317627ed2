// Reminders going off, with the clock set by the test: which rows are due, the timer, late ticks,
// the day change, and the pop-up opening the reminder's file.

#include "modules/reminders/RemindDue.h"
#include "modules/reminders/RemindTimer.h"
#include "modules/reminders/frmRemindsView.h"
#include "platform/clock.h"
#include "platform/vb.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <map>
#include <memory>

using namespace reminders;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

QDateTime At(const QString& text) { return *vb::CDate(text); }

void SetNow(const QString& text) { platform::SetNow(At(text)); }

qint64 Add(const QString& time, const QString& title, bool daily = false, const QString& content = "",
           const QString& file = "") {
  return db().Reminds_Add(time, title, content, file, daily ? 1 : 0);
}

// What the list window does on every load: judge each row, keep the due entries in row order.
std::map<QString, RowJudgement> Load(RemindTimer& timer, std::vector<DueEntry>* dueOut = nullptr) {
  const LoadMoment at = timer.BeginLoad();
  std::map<QString, RowJudgement> judged;
  std::vector<DueEntry> due;
  for (datastore::RowSetPtr rs = db().Reminds_GetRecordSet(); rs && !rs->Eof(); rs->MoveNext()) {
    std::optional<DueEntry> entry;
    judged[rs->Fields("remindstitle").toString()] = JudgeRow(*rs, at, entry);
    if (entry) due.push_back(*entry);
  }
  if (dueOut) *dueOut = due;
  timer.SetDueList(std::move(due));
  return judged;
}

// A timer whose firings are recorded as "time line title".
struct Recorded {
  RemindTimer timer;
  QStringList fired;
  Recorded() {
    timer.Fire = [this](const QDateTime& due, const DueEntry& e) { fired << FiringTimeText(due) + " " + e.title; };
    timer.NewDay = [this] { Load(timer); };
  }
  // Ticks at a moment; returns what fired at that tick.
  QString TickAt(const QString& moment) {
    SetNow(moment);
    const qsizetype before = fired.size();
    timer.Timer1_Timer();
    return fired.size() > before ? fired.last() : QString();
  }
};

// Counts the raises of a window.
struct RaiseCounter : QObject {
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::ZOrderChange;
    return false;
  }
};

} // namespace

class TestRemindersFiring : public QObject {
  Q_OBJECT
  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() {
    if (frmRemindsView* view = frmRemindsView::Instance()) delete view;
    env_.reset();
  }

  void dueEntriesKeepEveryText() {
    SetNow("2026-12-06 12:00:00");
    const qint64 later =
        Add("2026-12-06 15:00", "later <分> today<分隔>", false, "内容<分>\r\n第二行<分隔>", "/tmp/a<分>b.txt");
    const qint64 daily = Add("2026-12-01 08:00", "daily since last week", true);
    Add("2026-12-06 12:00", "this very minute");
    Add("2026-12-06 11:59", "a minute ago");
    RemindTimer timer;
    std::vector<DueEntry> due;
    const auto judged = Load(timer, &due);
    // Its second is still running: still to come, and the next tick fires it.
    QCOMPARE(ImageKey(judged.at("this very minute").status), QString("remindsyes"));
    QCOMPARE(ImageKey(judged.at("a minute ago").status), QString("remindsno"));
    QVERIFY(judged.at("this very minute").due && !judged.at("a minute ago").due);
    QCOMPARE(due.size(), 3u);
    QCOMPARE(due[0], (DueEntry{8 * 3600, "daily since last week", "", "", daily}));
    QCOMPARE(due[2],
             (DueEntry{15 * 3600, "later <分> today<分隔>", "内容<分>\r\n第二行<分隔>", "/tmp/a<分>b.txt", later}));
  }

  void sameSecondAndLateTicksFireEveryReminder() {
    SetNow("2026-12-06 09:00:00");
    Recorded r;
    r.timer.BeginLoad();
    r.timer.SetDueList({{34200, "first in the list", "", ""},
                        {34202, "two seconds later", "", ""},
                        {34200, "second in the list", "", ""}});
    // Two at one second: one pop-up per tick, in list order; then nothing until the next one.
    QCOMPARE(r.TickAt("2026-12-06 09:30:00"), QString("2026年12月06日09时30分00秒 first in the list"));
    QCOMPARE(r.TickAt("2026-12-06 09:30:00"), QString("2026年12月06日09时30分00秒 second in the list"));
    QCOMPARE(r.TickAt("2026-12-06 09:30:00"), QString());
    QCOMPARE(r.TickAt("2026-12-06 09:30:02"), QString("2026年12月06日09时30分02秒 two seconds later"));
    QCOMPARE(r.TickAt("2026-12-06 23:59:59"), QString());
    // Firing leaves the due list as the last load made it.
    QCOMPARE(r.timer.DueList().size(), 3u);

    // A late tick (the machine slept over their seconds) still fires them, in time order.
    Recorded late;
    SetNow("2026-12-06 09:00:00");
    late.timer.BeginLoad();
    late.timer.SetDueList({{34202, "b", "", ""}, {34200, "a", "", ""}});
    QCOMPARE(late.TickAt("2026-12-06 09:29:59"), QString());
    QCOMPARE(late.TickAt("2026-12-06 09:40:00"), QString("2026年12月06日09时30分00秒 a"));
    QCOMPARE(late.timer.Waiting(), 1);
    QCOMPARE(late.TickAt("2026-12-06 09:40:01"), QString("2026年12月06日09时30分02秒 b"));
    QCOMPARE(late.TickAt("2026-12-06 09:40:02"), QString());

    // A reload while armed keeps what was already looked at: a reload after a firing does not
    // fire it again, and one that comes late still catches what passed.
    Add("2026-12-06 09:50", "c");
    late.TickAt("2026-12-06 09:45:00");
    SetNow("2026-12-06 09:55:00");
    Load(late.timer);
    QCOMPARE(late.TickAt("2026-12-06 09:55:01"), QString("2026年12月06日09时50分00秒 c"));
    Load(late.timer);
    QCOMPARE(late.TickAt("2026-12-06 09:55:02"), QString());
  }

  void newDayRebuildsTheDueList() {
    SetNow("2026-12-06 22:00:00");
    Add("2026-12-06 23:00", "one-off tonight");
    Add("2026-12-07 00:00", "at midnight");
    Add("2026-12-01 08:00", "every morning", true);
    Recorded r;
    Load(r.timer);
    QCOMPARE(r.TickAt("2026-12-06 23:00:00"), QString("2026年12月06日23时00分00秒 one-off tonight"));
    QCOMPARE(r.TickAt("2026-12-07 00:00:00"), QString("2026年12月07日00时00分00秒 at midnight"));
    QCOMPARE(r.TickAt("2026-12-07 08:00:00"), QString("2026年12月07日08时00分00秒 every morning"));
    QCOMPARE(r.TickAt("2026-12-07 23:00:00"), QString());  // tonight's one-off is over

    // Asleep across midnight: first the rest of the old day, then what passed on the new one.
    Recorded asleep;
    Add("2026-12-07 23:30", "late evening");
    Add("2026-12-08 00:10", "after midnight");
    SetNow("2026-12-07 23:00:00");
    Load(asleep.timer);
    QCOMPARE(asleep.TickAt("2026-12-07 23:00:01"), QString());
    QCOMPARE(asleep.TickAt("2026-12-08 07:00:00"), QString("2026年12月07日23时30分00秒 late evening"));
    QCOMPARE(asleep.TickAt("2026-12-08 07:00:01"), QString("2026年12月08日00时10分00秒 after midnight"));
    QCOMPARE(asleep.TickAt("2026-12-08 07:00:02"), QString());

    // Nothing due today: the timer is off, and the day watch's tick on the new day arms the
    // daily reminder that starts then.
    env_.reset();
    env_ = std::make_unique<TestEnv>();
    Add("2026-12-10 09:00", "daily from the tenth", true);
    Recorded idle;
    SetNow("2026-12-09 10:00:00");
    Load(idle.timer);
    QVERIFY(!idle.timer.Timer1->isActive());
    QCOMPARE(idle.TickAt("2026-12-10 00:00:01"), QString());
    QVERIFY(idle.timer.Timer1->isActive());
    QCOMPARE(idle.TickAt("2026-12-10 09:00:00"), QString("2026年12月10日09时00分00秒 daily from the tenth"));
  }

  void popUpsWaitTheirTurnAndFollowChanges() {
    QTemporaryDir files;
    const QString a = files.filePath("a.txt"), b = files.filePath("b.txt"), c = files.filePath("c.txt");
    SetNow("2026-12-06 09:00:00");
    Add("2026-12-06 09:30", "A", false, "甲", a);
    const qint64 idB = Add("2026-12-06 09:30", "B", false, "乙", b);
    const qint64 idC = Add("2026-12-06 09:31", "C", true, "", c);
    const qint64 idD = Add("2026-12-06 09:32", "D");
    RemindTimer timer;
    Load(timer);
    const auto tick = [&](const QString& moment) {
      SetNow(moment);
      timer.Timer1_Timer();
    };

    // A is on screen and stays there while B, C and D come due.
    tick("2026-12-06 09:30:00");
    QPointer<frmRemindsView> first = frmRemindsView::Instance();
    QTRY_COMPARE(env_->ui.Opened(), QStringList{a});
    for (const char* later : {"2026-12-06 09:30:01", "2026-12-06 09:31:00", "2026-12-06 09:32:00"}) tick(later);
    QCOMPARE(frmRemindsView::Instance(), first.data());
    QCOMPARE(first->LabTitle->toPlainText(), QString("A"));
    QCOMPARE(first->txtContent->toPlainText(), QString("甲"));
    QCOMPARE(timer.Waiting(), 3);

    // While they wait, B is changed, C made a one-off of tomorrow and D deleted: the rebuild
    // keeps B with its new text and drops the others.
    db().Reminds_Modify(idB, "2026-12-06 09:30", "B2", "新内容", b, 0);
    db().Reminds_Modify(idC, "2026-12-07 09:31", "C", "", c, 0);
    db().Reminds_Delete(idD);
    Load(timer);
    QCOMPARE(timer.Waiting(), 1);

    // Closing A brings B as a fresh pop-up with its own texts and file; then nothing is left.
    first->close();
    QTRY_VERIFY(!first && frmRemindsView::Instance());
    frmRemindsView* second = frmRemindsView::Instance();
    QCOMPARE(second->LabTime->text(), QString("2026年12月06日09时30分00秒"));
    QCOMPARE(second->LabTitle->toPlainText(), QString("B2"));
    QCOMPARE(second->txtContent->toPlainText(), QString("新内容"));
    QTRY_COMPARE(env_->ui.Opened(), (QStringList{a, b}));
    second->close();
    tick("2026-12-06 09:33:00");
    QTRY_VERIFY(!frmRemindsView::Instance());
    QCOMPARE(env_->ui.Opened(), (QStringList{a, b}));
  }

  void popUpShowsTheReminderAndOpensItsFileOnce() {
    QTemporaryDir files;
    const QString first = files.filePath("议程.txt");
    const QString second = files.filePath("second.txt");
    const QDateTime due = At("2026-12-06 09:30:00");

    frmRemindsView::ShowReminder(due, {34200, "站会 <b>", "内容\r\n第二行", first});
    frmRemindsView* view = frmRemindsView::Instance();
    QVERIFY(view && view->isVisible() && !view->parentWidget());
    QVERIFY(view->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(view->LabTitle->toPlainText(), QString("站会 <b>"));
    QCOMPARE(view->txtContent->toPlainText(), QString("内容\n第二行"));
    QTRY_COMPARE(env_->ui.Opened(), QStringList{first});
    view->Form_Activate();
    QCOMPARE(env_->ui.Opened(), QStringList{first});
    // The content can be written on, as on a note; nothing keeps it.
    QVERIFY(!view->txtContent->isReadOnly());
    view->txtContent->moveCursor(QTextCursor::End);
    QTest::keyClicks(view->txtContent, "!");
    QCOMPARE(view->txtContent->toPlainText(), QString("内容\n第二行!"));

    // Closed and shown again: the file opens again.
    view->close();
    QTRY_VERIFY(!frmRemindsView::Instance());
    frmRemindsView::ShowReminder(due, {34200, "again", "", second});
    QTRY_COMPARE(env_->ui.Opened(), (QStringList{first, second}));

    // A file the desktop cannot open is reported; the pop-up stays.
    delete frmRemindsView::Instance();
    env_->ui.shellOpenSucceeds = false;
    frmRemindsView::ShowReminder(due, {34200, "bad", "", "/nowhere/x.doc"});
    QTRY_COMPARE(env_->ui.Messages().size(), 1u);
    QCOMPARE(env_->ui.Messages()[0].text, QString("打开提醒时打开 /nowhere/x.doc 文件出错。"));
    QVERIFY(frmRemindsView::Instance());
  }

  void popUpKeepsTheKeysOnTheContentAndWrapsAnyTitle() {
    const QDateTime due = At("2026-12-06 09:30:00");
    // A run without a break point, as another tool may store it, then CJK: wrapped inside the
    // runs, no line wider than the box, at most four lines high, scrolled by the wheel.
    const QString title = QString(400, u'a') + QString(200, QChar(u'长'));
    frmRemindsView* view = frmRemindsView::ShowReminder(due, {34200, title, "第一行\n第二行", ""});
    QVERIFY(QTest::qWaitForWindowActive(view));
    QTextEdit* box = view->LabTitle;
    QCOMPARE(box->toPlainText(), title);
    QVERIFY(box->document()->idealWidth() <= box->viewport()->width());
    QVERIFY(box->document()->firstBlock().layout()->lineAt(0).textLength() > 0);
    QVERIFY(view->txtContent->height() >= view->height() / 2);
    // Four whole lines, and the wheel moves by whole lines: none shows cut.
    const int line = box->fontMetrics().height();
    QCOMPARE(box->viewport()->height(), 4 * line);
    QScrollBar* bar = box->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    const QPointF at = box->viewport()->rect().center();
    QWheelEvent wheel(at, box->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box->viewport(), &wheel);
    QVERIFY(bar->value() > 0 && bar->value() % line == 0);

    // The keys act on the content: it has the focus, and neither Tab nor a click gives it to the title.
    QCOMPARE(QApplication::focusWidget(), view->txtContent);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, at.toPoint());
    QCOMPARE(QApplication::focusWidget(), view->txtContent);
    for (QWidget* w = view->nextInFocusChain(); w != view; w = w->nextInFocusChain())
      QVERIFY(!(w->focusPolicy() & Qt::TabFocus) || w == view->txtContent);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->txtContent->textCursor().selectedText(), QString("第一行\u2029第二行"));
  }

  void popUpGoesBackAboveAWindowThatTookTheFocus() {
    // The main window is kept on top too: clicked, it would hide the pop-up.
    frmRemindsView* view = frmRemindsView::ShowReminder(At("2026-12-06 09:30:00"), {34200, "t", "", ""});
    QVERIFY(QTest::qWaitForWindowActive(view));
    RaiseCounter raises;
    view->installEventFilter(&raises);
    QWidget main(nullptr, Qt::WindowStaysOnTopHint);
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTRY_VERIFY(raises.count > 0);
  }

  void popUpClosesItselfOnceTheDataSetIsClosed() {
    frmRemindsView::ShowReminder(At("2026-12-06 09:30:00"), {34200, "t", "", ""});
    QPointer<frmRemindsView> view = frmRemindsView::Instance();
    view->Form_Activate();
    QVERIFY(view);
    db().CloseDataBase();
    view->Form_Activate();
    QTRY_VERIFY(!view);
    QVERIFY(env_->ui.Messages().empty());
  }
};

QTEST_MAIN(TestRemindersFiring)
#include "test_reminders_firing.moc"
