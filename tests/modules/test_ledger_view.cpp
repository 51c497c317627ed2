// The ledger query window driven offscreen: the first list, the bounds and the narrowing texts,
// the column sort, the input checks, the amount boxes, the error box of a fill, the kept place and
// size, and the window closing itself once its data set is closed.

#include "modules/ledger/frmMoneysView.h"
#include "modules/listwindow/modStart.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "driver.h"
#include "testenv.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>

using platform::MsgIcon;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 Add(const QString& date, const QString& title, double sum, const QString& type = "支出") {
  return db().Moneys_Add(date, type, title, "备注", 2, "份", sum / 2, sum, "");
}

QString Cell(const frmMoneysView& w, int row, int column) {
  return w.ListView1->model()->index(row, column).data().toString();
}

// The titles of the listed entries, in list order.
QStringList Titles(const frmMoneysView& w) {
  QStringList titles;
  for (int row = 0; row < w.ListView1->model()->rowCount(); ++row) titles << Cell(w, row, 2);
  return titles;
}

QStringList Captions(const frmMoneysView& w) {
  QStringList captions;
  for (int column = 0; column < w.ListView1->model()->columnCount(); ++column)
    captions << w.ListView1->model()->headerData(column, Qt::Horizontal).toString();
  return captions;
}

void ClickHeader(frmMoneysView& w, int column) {
  QHeaderView* header = w.ListView1->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void Query(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->setText(text);
  QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestLedgerView : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  frmMoneysView& Open() {
    frmMoneysView* w = frmMoneysView::ShowDefault();
    new QAbstractItemModelTester(w->ListView1->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, w);
    if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
    return *w;
  }

  void Close() { CloseDefault<frmMoneysView>(); }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2024, 5, 20), QTime(9, 30))); }

  void cleanup() {
    Close();
    env_.reset();
  }

  void firstListCoversTheMonthUpToTodayWithinTheAmountBounds() {
    Add("2024-04-30 23:59:59", "上月", 10);
    const qint64 top = Add("2024-05-01", "恰好一万", 10000.00);
    Add("2024-05-10", "超出一分", 10000.01);
    Add("2024-05-12", "负数", -0.01);
    const qint64 late =
        db().Moneys_Add("2024-05-20 23:30", "收入", QString(QChar(0xFEFF)) + "今天", "多行\r\n备注", 1.5, "次", 3, 4.5, "");
    Add("2024-05-21", "明天", 10);
    frmMoneysView& w = Open();

    QCOMPARE(QStringList({w.txtStartDate->text(), w.txtEndDate->text(), w.txtMinMoney->text(), w.txtMaxMoney->text()}),
             QStringList({"2024-05-01", "2024-05-20", "0.00", "10000.00"}));
    QCOMPARE(w.focusWidget(), w.txtStartDate);
    QCOMPARE(w.strOrder(), QString("moneysdate"));
    QCOMPARE(Captions(w), QStringList({"收支日期 ▲", "方向", "收支主题", "数量", "单位", "单价", "金额", "备注"}));

    QCOMPARE(Titles(w), QStringList({"恰好一万", QString(QChar(0xFEFF)) + "今天"}));
    QCOMPARE(w.ItemKey(0), "_" + QString::number(top));
    QCOMPARE(w.ItemKey(1), "_" + QString::number(late));
    QVERIFY(w.ListView1->selectionModel()->isRowSelected(0, QModelIndex()));
    QStringList cells;
    for (int column = 0; column < 8; ++column) cells << Cell(w, 1, column);
    QCOMPARE(cells, QStringList({"2024-05-20", "收入", QString(QChar(0xFEFF)) + "今天", "1.50", "次", "3.00", "4.50",
                                 "多行 备注"}));
    QVERIFY(env_->ui.Messages().empty());
  }

  void columnClicksToggleTheSortAndItsArrow() {
    Add("2024-05-02", "中", 50);
    Add("2024-05-03", "大", 900);
    Add("2024-05-04", "小", 5);
    frmMoneysView& w = Open();
    QCOMPARE(Titles(w), QStringList({"中", "大", "小"}));

    ClickHeader(w, 6);
    QCOMPARE(Titles(w), QStringList({"大", "中", "小"}));
    QCOMPARE(w.strOrder(), QString("moneyssum desc"));
    QCOMPARE(Captions(w)[0] + Captions(w)[6], QString("收支日期金额 ▼"));
    ClickHeader(w, 6);
    QCOMPARE(Titles(w), QStringList({"小", "中", "大"}));
    QCOMPARE(Captions(w)[6], QString("金额 ▲"));

    // The date column, although it shows ▲ at load, sorts descending at its first click.
    ClickHeader(w, 0);
    QCOMPARE(Titles(w), QStringList({"小", "大", "中"}));
    QCOMPARE(Captions(w)[0], QString("收支日期 ▼"));
    QCOMPARE(Captions(w)[6], QString("金额"));

    // A click whose query stops at a bad box keeps the new arrow and the old list.
    w.txtStartDate->setText("abc");
    ClickHeader(w, 2);
    QCOMPARE(Captions(w)[2], QString("收支主题 ▼"));
    QCOMPARE(w.strOrder(), QString("moneystitle desc"));
    QCOMPARE(Titles(w), QStringList({"小", "大", "中"}));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].text, QString("格式错误：[起始日期] 不是日期格式，请您输入 [YYYY-MM-DD] 日期格式！"));
    QCOMPARE(QApplication::focusWidget(), w.txtStartDate);
  }

  void titleDirectionAndTypedFormsNarrowAsAsked() {
    const QString quoted = "O'Brien \"饭\" 店";
    Add("2024-05-01", quoted, 30);
    Add("2024-05-02", "Lunch", 12, "收入");
    Add("2024-05-03", "晚饭", 1500, "收入 ");
    frmMoneysView& w = Open();
    QCOMPARE(Titles(w).size(), 3);

    // Quotes are searched for as typed; letter case does not count.
    Query(w.txtTitle, "'Brien \"");
    QCOMPARE(Titles(w), QStringList({quoted}));
    Query(w.txtTitle, "LUN");
    QCOMPARE(Titles(w), QStringList({"Lunch"}));
    Query(w.txtTitle, "");
    Query(w.txtType, "收入");
    QCOMPARE(Titles(w), QStringList({"Lunch"}));
    Query(w.txtType, "'");
    QCOMPARE(Titles(w), QStringList());

    // Dates in another readable form name the same days; an amount with a thousands separator is
    // the number it reads as.
    w.txtType->clear();
    w.txtStartDate->setText(" 2024/5/2 ");
    Query(w.txtEndDate, "2024年5月3日");
    QCOMPARE(Titles(w), QStringList({"Lunch", "晚饭"}));
    w.txtStartDate->setText("24-5-3");
    Query(w.txtEndDate, "5/3");
    QCOMPARE(Titles(w), QStringList({"晚饭"}));
    Query(w.txtMinMoney, "1,000");
    QCOMPARE(Titles(w), QStringList({"晚饭"}));
    QCOMPARE(w.txtMinMoney->text(), QString("1,000"));

    // A start after the end lists nothing and says nothing.
    Query(w.txtStartDate, "2024-05-04");
    QCOMPARE(Titles(w), QStringList());
    QVERIFY(!w.ListView1->currentIndex().isValid());
    QVERIFY(env_->ui.Messages().empty());

    // The order field is never taken from outside the entry's fields.
    datastore::MoneysQuery query;
    query.startDate = query.endDate = QDate(2024, 5, 1);
    query.orderField = "moneyssum; delete from moneys";
    QVERIFY(!db().Moneys_Query(query));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QVERIFY(env_->ui.Messages()[0].text.startsWith("获得收支帐目记录时发生错误，"));
  }

  void amountBoxesReformatOnLeavingOnly() {
    Add("2024-05-02", "一", 3);
    Add("2024-05-03", "二", 8);
    frmMoneysView& w = Open();

    // Enter queries with the text as typed; leaving the box rewrites it with two decimals.
    Query(w.txtMinMoney, "5");
    QCOMPARE(Titles(w), QStringList({"二"}));
    QCOMPARE(w.txtMinMoney->text(), QString("5"));
    w.txtMaxMoney->setFocus();
    QCOMPARE(w.txtMinMoney->text(), QString("5.00"));
    w.txtMaxMoney->setText("abc");
    w.txtTitle->setFocus();
    QCOMPARE(w.txtMaxMoney->text(), QString("abc"));
    QVERIFY(env_->ui.Messages().empty());
  }

  void aNullFieldLeavesItsCellEmptyAndOneBoxAfterTheFill() {
    Add("2024-05-02", "有", 3);
    db().objConn.Execute("insert into moneys (moneysdate, moneystype, moneystitle, moneysshow, moneyssum) "
                         "values ('2024-05-03 00:00:00', '支出', '缺', 1, 2)");
    frmMoneysView& w = Open();
    QCOMPARE(Titles(w), QStringList({"有", "缺"}));
    QCOMPARE(QStringList({Cell(w, 1, 3), Cell(w, 1, 4), Cell(w, 1, 5), Cell(w, 1, 6)}),
             QStringList({"1.00", "", "", "2.00"}));
    const auto boxes = env_->ui.Messages();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QString("加载日常收支帐目时发生错误，无效使用 Null"));
    QCOMPARE(boxes[0].icon, MsgIcon::Critical);
  }

  void placeAndSizeAreKeptInTheNormalStateOnly() {
    frmMoneysView& w = Open();
    w.move(120, 90);
    w.resize(700, 500);
    QTRY_COMPARE(w.width(), 700);
    // The list follows the window: 50 twips from the left, 100 narrower, 50 above the bottom.
    QCOMPARE(w.ListView1->geometry(), QRect(3, w.ListView1->y(), 700 - 7, 500 - 3 - w.ListView1->y()));
    Close();
    QCOMPARE(platform::GetSetting("Option", "MoneysViewWidth"), QString("10620"));
    QCOMPARE(platform::GetSetting("Option", "MoneysViewHeight"), QString("8010"));
    const QString left = platform::GetSetting("Option", "MoneysViewLeft");

    frmMoneysView& again = Open();
    QCOMPARE(again.size(), QSize(700, 500));
    again.showMaximized();
    Close();
    QCOMPARE(platform::GetSetting("Option", "MoneysViewWidth"), QString("10620"));
    QCOMPARE(platform::GetSetting("Option", "MoneysViewLeft"), left);

    // A setting that is not a number counts as missing.
    platform::SaveSetting("Option", "MoneysViewWidth", "wide");
    QCOMPARE(Open().width(), platform::TwipsToPixels(9315));
  }

  void oneInstanceThatClosesOnActivationOnceTheDataSetIsClosed() {
    Add("2024-05-02", "一", 3);
    frmMoneysView& w = Open();
    Query(w.txtTitle, "一");
    ClickHeader(w, 6);
    QCOMPARE(frmMoneysView::ShowDefault(), &w);
    QCOMPARE(w.txtTitle->text(), QString("一"));
    QCOMPARE(w.strOrder(), QString("moneyssum desc"));
    QCOMPARE(Titles(w), QStringList({"一"}));

    // A query on a closed data set: the data store's box, an empty list, nothing more.
    db().CloseDataBase();
    env_->ui.Clear();
    w.cmdQuery->click();
    QCOMPARE(Titles(w), QStringList());
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QVERIFY(env_->ui.Messages()[0].text.startsWith("获得收支帐目记录时发生错误，"));

    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QTRY_VERIFY(!frmMoneysView::Default());
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
  }
};

QTEST_MAIN(TestLedgerView)
#include "test_ledger_view.moc"
