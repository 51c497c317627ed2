// The ledger list window and its entry dialog driven offscreen: the entry node text, the day
// groups, add and modify through the dialog, the dialog's defaults, amount, checks and keys, and
// the query window opened from the list.

#include "modules/ledger/entrytext.h"
#include "modules/ledger/frmMoneys.h"
#include "modules/ledger/frmMoneysEdit.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/listwindow/modStart.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "testenv.h"
#include "driver.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <functional>
#include <memory>

using listwindow::TreeNode;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 Add(const QString& date, const QString& title, double show = 2, double sum = 30, const QString& content = "") {
  return db().Moneys_Add(date, "支出", title, content, show, "份", sum / show, sum, "");
}

using DialogDriver = ModalDriver<frmMoneysEdit>;

void Type(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
}

datastore::RowSetPtr Entry(qint64 id) { return db().Moneys_GetModify(id); }

} // namespace

class TestLedger : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmMoneys> OpenList() { return Shown(std::make_unique<frmMoneys>()); }

  std::unique_ptr<frmMoneysEdit> OpenDialog() { return Active(std::make_unique<frmMoneysEdit>()); }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2024, 5, 20), QTime(9, 30))); }

  void cleanup() {
    CloseDefault<frmMoneysView>();
    env_.reset();
  }

  void daysNewestFirstWithTheirEntryTexts() {
    const qint64 lunch = Add("2024-05-01 12:00", "午餐", 2, 30, "  同事聚餐  ");
    const qint64 half = Add("2024-05-01 08:00", "早餐", 1.5, 12);
    // A leading U+FEFF is part of the title, not a byte-order mark.
    const qint64 big = Add("2024-04-30", QString(QChar(0xFEFF)) + "书", 1, 1234.5, QString(210, QChar(u'字')));
    auto w = OpenList();

    QCOMPARE(w->Root()->Text(), QString("所有日常收支帐目"));
    QCOMPARE(Children(w->Root()), QStringList({"2024年05月01日", "2024年04月30日"}));
    QCOMPARE(Children(w->Node("c2024年05月01日")),
             QStringList({"支出：早餐 （1.5 份 / 共 12.00 元）", "支出：午餐 （2 份 / 共 30.00 元）同事聚餐"}));
    QCOMPARE(w->Node(Key(big))->Text(),
             "支出：" + QString(QChar(0xFEFF)) + "书 （1 份 / 共 1234.50 元）" + QString(200, QChar(u'字')) + " ...");
    QCOMPARE(w->LabTitle->Caption(), QString("日常收支帐目[3]"));
    QCOMPARE(w->LabGoto->Caption(), QString("&L.列表"));

    // Enabling: a day can be deleted only; an entry modified, deleted and marked; the list
    // button is never disabled.
    const auto enabled = [&] {
      return QList<bool>{w->LabModify->isEnabled(), w->LabDelete->isEnabled(), w->labHas->isEnabled(),
                         w->LabGoto->isEnabled()};
    };
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Root()));
    QCOMPARE(enabled(), QList<bool>({false, false, false, true}));
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node("c2024年04月30日")));
    QCOMPARE(enabled(), QList<bool>({false, true, false, true}));
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(Key(half))));
    QCOMPARE(enabled(), QList<bool>({true, true, true, true}));

    // A day's delete asks about the whole day.
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node("c2024年05月01日")));
    env_->ui.msgAnswers = {MsgResult::No};
    QTest::keyClick(w->TreeView1, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(env_->ui.Messages().at(0).text, QString("确定要删除 2024年05月01日 的所有日常收支吗？"));
    QVERIFY(w->Node(Key(lunch)));
  }

  void nodeNumbersReadAsTheRunTimeWritesThem() {
    const double values[] = {0,       -0.0,     0.005,     0.015,   1.005,    2.675,  9.995,   -0.004, -0.005,
                             1234.5,  -1234.565, 0.1 + 0.2, 1e-7,    12,       1.5,    99999.995, 123456789012.345,
                             999999999999999.9, 1e15, 1e20, -3e300, std::nan(""), HUGE_VAL};
    for (const double v : values) {
      QCOMPARE(ledger::AmountText(v), vb::Format(v, "#0.00"));
      QCOMPARE(ledger::QuantityText(v), vb::CStr(v));
    }
  }

  void addOnANewDayAndModifyToAnotherDay() {
    const qint64 first = Add("2024-05-01", "午餐");
    const qint64 second = Add("2024-05-03", "晚餐");
    auto w = OpenList();

    // An entry for a day without a node: the day is added last, after the older days.
    {
      DialogDriver driver([](frmMoneysEdit& d) {
        d.txtDate->setText("2024/5/10");
        d.txtTitle->setText("新书");
        d.txtContent->setPlainText("第一行\n第二行");
        d.txtShow->setText("1");
        d.txtUnit->setText("本");
        d.txtSprice->setText("45");
        d.cmdOk->click();
      });
      QTest::keyClick(w->TreeView1, Qt::Key_N, Qt::ControlModifier);
      QCOMPARE(driver.caption, QString("增加日常收支帐目"));
    }
    QCOMPARE(Children(w->Root()), QStringList({"2024年05月03日", "2024年05月01日", "2024年05月10日"}));
    QCOMPARE(w->CurrentNode(), w->Node("c2024年05月10日"));
    QCOMPARE(Children(w->CurrentNode()), QStringList({"支出：新书 （1 本 / 共 45.00 元）第一行\r\n第二行"}));
    QCOMPARE(w->LabTitle->Caption(), QString("日常收支帐目[3]"));
    w->ReloadTree();
    QCOMPARE(Children(w->Root()), QStringList({"2024年05月10日", "2024年05月03日", "2024年05月01日"}));

    // Moving the only entry of a day to another day takes the day with it; the entry stays
    // selected under its new day. A short date form is stored in full.
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(Key(first))));
    {
      DialogDriver driver([](frmMoneysEdit& d) {
        d.txtDate->setText("24-5-3 下午6:30");
        d.txtContent->setPlainText("改期");
        d.cmdOk->click();
      });
      w->LabModify_Click();
      QCOMPARE(driver.caption, QString("修改日常收支帐目"));
    }
    QVERIFY(!w->Node("c2024年05月01日"));
    QCOMPARE(w->Node(Key(first))->Parent(), w->Node("c2024年05月03日"));
    QCOMPARE(w->CurrentNode(), w->Node(Key(first)));
    QCOMPARE(w->Node("c2024年05月03日")->Child(0), w->Node(Key(second)));

    // Cancelling a modify leaves the tree alone.
    {
      DialogDriver driver([](frmMoneysEdit& d) {
        d.txtDate->setText("2024-01-01");
        QTest::keyClick(&d, Qt::Key_Escape);
      });
      w->LabModify_Click();
    }
    QVERIFY(!w->Node("c2024年01月01日"));
    QCOMPARE(Entry(first)->Fields("moneysdate").toString(), QString("2024-05-03 18:30:00"));
  }

  void listButtonShowsTheOneQueryWindow() {
    Add("2024-05-02", "午餐");
    auto w = OpenList();
    QTest::keyClick(w->TreeView1, Qt::Key_L, Qt::ControlModifier);
    frmMoneysView* view = frmMoneysView::Default();
    QVERIFY(view && view->isVisible());
    QVERIFY(!view->parentWidget());
    view->txtTitle->setText("午");
    QTest::mouseClick(w->LabGoto, Qt::LeftButton);
    QCOMPARE(frmMoneysView::Default(), view);
    QCOMPARE(view->txtTitle->text(), QString("午"));
    // The query window lives on when the list window goes.
    w->close();
    w.reset();
    QVERIFY(frmMoneysView::Default() && view->isVisible());
  }

  void newEntryDefaultsAndTheAmountWhileTyping() {
    auto d = OpenDialog();
    QCOMPARE(QStringList({d->txtDate->text(), d->cobType->currentText(), d->txtShow->text(), d->txtSprice->text(),
                          d->txtSum->text()}),
             QStringList({"2024-05-20", "支出", "0.00", "0.00", "0.00"}));
    QCOMPARE(d->cobType->count(), 4);
    QVERIFY(!d->txtSum->isEnabled());

    // 3 x 2.5 reads 7.50 while typing; leaving the quantity rewrites it 3.00.
    Type(d->txtShow, "3");
    Type(d->txtSprice, "2.5");
    QCOMPARE(d->txtSum->text(), QString("7.50"));
    QCOMPARE(d->txtShow->text(), QString("3.00"));
    QCOMPARE(d->txtSprice->text(), QString("2.5"));

    // Letters colour the box and count 0; a date that is no date colours the date box.
    const QColor warn = platform::ColorFromVb(0xC0C0FF);
    Type(d->txtShow, "abc");
    QCOMPARE(d->txtSum->text(), QString("0.00"));
    QCOMPARE(d->txtShow->palette().color(QPalette::Base), warn);
    Type(d->txtShow, "12ab");
    QCOMPARE(d->txtSum->text(), QString("30.00"));
    Type(d->txtShow, "4");
    QCOMPARE(d->txtShow->palette().color(QPalette::Base), platform::SystemWindowColor());
    Type(d->txtDate, "2024-02-30");
    QCOMPARE(d->txtDate->palette().color(QPalette::Base), warn);

    // A quantity with a thousands separator counts as the number it reads as, at once: the
    // amount saved with Ctrl+Enter from that box matches the quantity saved.
    d->txtDate->setText("2024-05-20");
    d->txtTitle->setText("纸");
    d->txtContent->setPlainText("办公");
    d->txtUnit->setText("张");
    Type(d->txtShow, "1,000");
    QCOMPARE(d->txtSum->text(), QString("2500.00"));
    QTest::keyClick(d->txtShow, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->SavedClass, QString("2024年05月20日"));
    datastore::RowSetPtr rs = db().Moneys_GetRecordSet();
    QCOMPARE(rs->Fields("moneysshow").toDouble(), 1000.0);
    QCOMPARE(rs->Fields("moneyssum").toDouble(), 2500.0);
    QCOMPARE(rs->Fields("moneystype").toString(), QString("支出"));
  }

  void checksInTheirOrder() {
    auto d = OpenDialog();
    struct Step {
      std::function<void()> fix;  // makes the previous failure pass
      QString message;
      QWidget* focus;
    };
    const Step steps[] = {
        {[&] { d->txtDate->setText(" "); }, "条件不足：[收支日期] 不允许为空，请您输入！", d->txtDate},
        {[&] { d->txtDate->setText("2024/5/1"); }, "条件不足：[收支主题] 不允许为空，请您输入！", d->txtTitle},
        {[&] { d->txtTitle->setText("它's"); }, "存在特殊符号：[收支主题] 存在单引号，请删除单引号继续！", d->txtTitle},
        {[&] { d->txtTitle->setText("午餐"); }, "条件不足：[收支描述] 不允许为空，请您输入！", d->txtContent},
        {[&] { d->txtContent->setPlainText("聚餐"); d->txtShow->setText("x"); },
         "格式错误：[收支数量] 不是数值，请您输入数值格式！", d->txtShow},
        {[&] { d->txtShow->setText("2"); }, "条件不足：[收支单位] 不允许为空，请您输入！", d->txtUnit},
        {[&] { d->txtUnit->setText("份"); d->txtSprice->clear(); }, "条件不足：[收支单价] 不允许为空，请您输入！",
         d->txtSprice},
        {[&] { d->txtSprice->setText("15"); d->cobType->setCurrentText(""); },
         "条件不足：[收支方向] 不允许为空，请您输入！", d->cobType},
        // A product beyond the range of a number is no amount to store.
        {[&] { d->cobType->setCurrentText("  "); d->txtShow->setText("1e300"); d->txtSprice->setText("1e300"); },
         "格式错误：[收支金额] 不是数值，请您输入数值格式！", d->txtShow},
    };
    for (const Step& step : steps) {
      env_->ui.Clear();
      step.fix();
      d->cmdOk->click();
      QCOMPARE(env_->ui.Messages().size(), size_t(1));
      QCOMPARE(env_->ui.Messages()[0].text, step.message);
      QCOMPARE(env_->ui.Messages()[0].icon, MsgIcon::Exclamation);
      QVERIFY(QApplication::focusWidget() == step.focus || step.focus->isAncestorOf(QApplication::focusWidget()));
      QVERIFY(d->isVisible());
    }

    d->txtShow->setText("2");
    d->txtSprice->setText("15");

    // A direction of blanks passes; the date is stored as the day it names.
    d->cmdOk->click();
    QCOMPARE(d->SavedClass, QString("2024年05月01日"));
    datastore::RowSetPtr rs = db().Moneys_GetRecordSet();
    QCOMPARE(rs->Fields("moneysdate").toString(), QString("2024-05-01 00:00:00"));
    QCOMPARE(rs->Fields("moneystype").toString(), QString("  "));
    QVERIFY(!platform::GetSetting("Option", "MoneysLeft").isEmpty());
  }

  void modifyKeepsTheStoredAmount() {
    const qint64 id = db().Moneys_Add("2024-05-02 09:15", "收入", "奖金", "年终", 3, "次", 10, 25, "");
    auto d = std::make_unique<frmMoneysEdit>();
    datastore::RowSetPtr rs = Entry(id);
    d->Modify(id, *rs);
    rs->Close();
    QCOMPARE(QStringList({d->txtDate->text(), d->cobType->currentText(), d->txtShow->text(), d->txtSprice->text(),
                          d->txtSum->text()}),
             QStringList({"2024-05-02 09:15:00", "收入", "3.00", "10.00", "25.00"}));
    d->cmdOk_Click();
    QCOMPARE(d->SavedClass, QString("2024年05月02日"));
    QCOMPARE(Entry(id)->Fields("moneyssum").toDouble(), 25.0);
  }
};

QTEST_MAIN(TestLedger)
#include "test_ledger.moc"
