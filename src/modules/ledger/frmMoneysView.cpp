#include "modules/ledger/frmMoneysView.h"

#include "modules/ledger/QueryResultModel.h"
#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"
#include "modules/listwindow/Options.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <algorithm>

using ledger::QueryResultModel;

namespace {

QPointer<frmMoneysView> g_default;

// The window is 9435 x 6885 twips around a client area of 9315 x 6375: the stored width and
// height are the window's, so the frame of the design is added and taken off again.
constexpr double kDesignWidth = 9435;
constexpr double kDesignHeight = 6885;
constexpr double kFrameWidth = kDesignWidth - 9315;
constexpr double kFrameHeight = kDesignHeight - 6375;
constexpr double kMargin = 135;  // Label1.Left, kept on the right too
constexpr double kListTop = 1080;

const QString kUp = QStringLiteral(" ▲");
const QString kDown = QStringLiteral(" ▼");

struct ColumnDesign {
  const char* caption;
  double width;  // twips
};
constexpr ColumnDesign kColumns[QueryResultModel::ColumnCount] = {
    {"收支日期", 1200}, {"方向", 1500}, {"收支主题", 3000}, {"数量", 1400},
    {"单位", 1000},     {"单价", 1300}, {"金额", 1400},     {"备注", 5000}};

int Px(double twips) { return platform::TwipsToPixels(twips); }

void Place(QWidget* w, double left, double top, double width, double height) {
  w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

class LineEditInput : public datastore::TextInput {
public:
  explicit LineEditInput(QLineEdit* edit) : edit_(edit) {}
  QString Text() const override { return edit_->text(); }
  void SetFocus() override { edit_->setFocus(); }

private:
  QLineEdit* edit_;
};

bool CheckInput(QLineEdit* txt, const QString& caption, bool numeric, bool date) {
  LineEditInput input(txt);
  return modStart::objDate().IsCheckInputTrue(input, caption, true, numeric, date, false);
}

// The day a checked date box names, in whatever readable form it was typed.
QDate DayOf(const QLineEdit* txt) {
  const auto value = vb::CDate(txt->text());
  return value ? value->date() : QDate();
}

double NumberOf(const QLineEdit* txt) { return vb::CDbl(txt->text()).value_or(0); }

QLineEdit* MakeBox(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

} // namespace

frmMoneysView* frmMoneysView::Default() { return g_default; }

frmMoneysView* frmMoneysView::ShowDefault() {
  if (!g_default) g_default = new frmMoneysView();
  g_default->show();
  g_default->raise();
  g_default->activateWindow();
  return g_default;
}

frmMoneysView::frmMoneysView() : QWidget(nullptr, Qt::Window) {
  setObjectName("frmMoneysView");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("日常收支帐目统计");

  Label1 = MakeLabel(this, "Label1", "起始日期：");
  txtStartDate = MakeBox(this, "txtStartDate");
  Label2 = MakeLabel(this, "Label2", "到");
  txtEndDate = MakeBox(this, "txtEndDate");
  Label4 = MakeLabel(this, "Label4", "主题包含：");
  txtTitle = MakeBox(this, "txtTitle");
  Label5 = MakeLabel(this, "Label5", "收支金额：");
  txtMinMoney = MakeBox(this, "txtMinMoney");
  txtMinMoney->setText("0.00");
  Label6 = MakeLabel(this, "Label6", "到");
  txtMaxMoney = MakeBox(this, "txtMaxMoney");
  txtMaxMoney->setText("10000.00");
  Label3 = MakeLabel(this, "Label3", "收支方向：");
  txtType = MakeBox(this, "txtType");
  cmdQuery = new QPushButton("查询(&Q)", this);
  cmdQuery->setObjectName("cmdQuery");
  cmdQuery->setDefault(true);
  ListView1 = new QTableView(this);
  ListView1->setObjectName("ListView1");

  Place(Label1, 135, 255, 900, 180);
  Place(txtStartDate, 1050, 210, 1290, 270);
  Place(Label2, 2460, 255, 180, 180);
  Place(txtEndDate, 2760, 210, 1290, 270);
  Place(Label4, 4305, 255, 900, 180);
  Place(txtTitle, 5190, 210, 3975, 270);
  Place(Label5, 135, 675, 900, 180);
  Place(txtMinMoney, 1050, 630, 1290, 270);
  Place(Label6, 2460, 675, 180, 180);
  Place(txtMaxMoney, 2760, 630, 1290, 270);
  Place(Label3, 4305, 675, 900, 180);
  Place(txtType, 5190, 630, 2655, 270);
  Place(cmdQuery, 8040, 555, 1095, 375);
  Place(ListView1, 90, kListTop, 9105, 5160);
  // The labels take the size of their text in the font at hand.
  for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6}) {
    label->move(label->x(), label->y() - 2);
    label->adjustSize();
  }

  listwindow::SetTabChain(
      {txtStartDate, txtEndDate, txtType, txtTitle, cmdQuery, txtMinMoney, txtMaxMoney, ListView1});

  for (QLineEdit* txt : {txtMinMoney, txtMaxMoney, txtTitle, txtType}) modStart::SelectAllOnFocus(txt);
  txtMinMoney->installEventFilter(this);
  txtMaxMoney->installEventFilter(this);
  connect(cmdQuery, &QPushButton::clicked, this, &frmMoneysView::cmdQuery_Click);
  // At program end the window unloads like any other, keeping its place.
  connect(qApp, &QCoreApplication::aboutToQuit, this, &QWidget::close);

  Form_Load();
}

frmMoneysView::~frmMoneysView() = default;

QString frmMoneysView::strOrder() const {
  if (orderKey_.isEmpty()) return QueryResultModel::Key(QueryResultModel::Date);
  return orderKey_ + (orderDescending_ ? " desc" : " asc");
}

QString frmMoneysView::ItemKey(int row) const { return "_" + QString::number(model_->Id(row)); }

void frmMoneysView::Form_Load() {
  modStart::SetTopMost(this, true);
  InitColumns();

  // The defaults centre the window at its design size.
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect();
  const double left =
      options::PlaceTwips("MoneysViewLeft").value_or((platform::PixelsToTwips(area.width()) - kDesignWidth) / 2);
  const double top =
      options::PlaceTwips("MoneysViewTop").value_or((platform::PixelsToTwips(area.height()) - kDesignHeight) / 2);
  const double width = options::PlaceTwips("MoneysViewWidth").value_or(kDesignWidth);
  const double height = options::PlaceTwips("MoneysViewHeight").value_or(kDesignHeight);
  move(Px(left), Px(top));
  resize(std::max(Px(width - kFrameWidth), 1), std::max(Px(height - kFrameHeight), 1));

  const QDate today = platform::Today();
  txtStartDate->setText(today.toString("yyyy-MM") + "-01");
  txtEndDate->setText(today.toString("yyyy-MM-dd"));
  txtStartDate->setFocus();

  cmdQuery_Click();
}

void frmMoneysView::InitColumns() {
  if (!model_) model_ = new QueryResultModel(this);
  model_->Clear();
  ListView1->setModel(model_);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setShowGrid(true);
  ListView1->setWordWrap(false);
  ListView1->setTabKeyNavigation(false);
  ListView1->verticalHeader()->hide();
  ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
  QHeaderView* header = ListView1->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  listwindow::KeepHighlightWhenInactive(ListView1);
  for (int column = 0; column < QueryResultModel::ColumnCount; ++column) {
    model_->SetCaption(column, QString::fromUtf8(kColumns[column].caption));
    header->resizeSection(column, Px(kColumns[column].width));
  }
  model_->SetCaption(QueryResultModel::Date, model_->Caption(QueryResultModel::Date) + kUp);
  connect(header, &QHeaderView::sectionClicked, this, &frmMoneysView::ListView1_ColumnClick, Qt::UniqueConnection);
  orderKey_.clear();
  orderDescending_ = false;
}

void frmMoneysView::cmdQuery_Click() {
  if (!CheckInput(txtStartDate, "起始日期", false, true)) return;
  if (!CheckInput(txtEndDate, "终止日期", false, true)) return;
  if (!CheckInput(txtMinMoney, "最小金额", true, false)) return;
  if (!CheckInput(txtMaxMoney, "最大金额", true, false)) return;

  datastore::MoneysQuery query;
  query.startDate = DayOf(txtStartDate);
  query.endDate = DayOf(txtEndDate);
  query.minSum = NumberOf(txtMinMoney);
  query.maxSum = NumberOf(txtMaxMoney);
  query.title = txtTitle->text();
  query.type = txtType->text();
  if (!orderKey_.isEmpty()) query.orderField = orderKey_;
  query.descending = orderDescending_;
  LoadQueryResult(query);
}

void frmMoneysView::LoadQueryResult(const datastore::MoneysQuery& query) {
  model_->Clear();
  datastore::RowSetPtr rs = modStart::objDate().Moneys_Query(query);
  // The data store has shown its own box.
  if (!rs || rs->State() != 1) return;
  const QString failure = model_->Fill(*rs);
  rs->Close();
  if (model_->rowCount() > 0) {
    const QModelIndex first = model_->index(0, 0);
    ListView1->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    ListView1->scrollToTop();
  }
  if (!failure.isEmpty())
    platform::MsgBox("加载日常收支帐目时发生错误，" + failure, platform::MsgButtons::OK, platform::MsgIcon::Critical,
                     "发生错误");
}

void frmMoneysView::ListView1_ColumnClick(int column) {
  if (column < 0 || column >= QueryResultModel::ColumnCount) return;
  const QString before = model_->Caption(column);
  for (int i = 0; i < QueryResultModel::ColumnCount; ++i) {
    QString caption = model_->Caption(i);
    caption.remove(kDown).remove(kUp);
    model_->SetCaption(i, caption);
  }
  orderKey_ = QueryResultModel::Key(column);
  orderDescending_ = !before.contains(u'▼');
  model_->SetCaption(column, model_->Caption(column) + (orderDescending_ ? kDown : kUp));
  cmdQuery_Click();
}

void frmMoneysView::FormatMoneyBox(QLineEdit* txt) {
  // A numeric text gets two decimals; an empty or non-numeric one stays as it is.
  txt->setText(vb::Format(QVariant(txt->text()), "#0.00"));
}

bool frmMoneysView::event(QEvent* event) {
  // A window left open after its data set was closed goes as soon as it is activated again.
  if (event->type() == QEvent::WindowActivate && modStart::objDate().objConn.State() == 0) {
    const bool handled = QWidget::event(event);
    close();
    return handled;
  }
  return QWidget::event(event);
}

bool frmMoneysView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && (watched == txtMinMoney || watched == txtMaxMoney)) {
    // Switching to another window is no leaving of the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      FormatMoneyBox(static_cast<QLineEdit*>(watched));
  }
  return QWidget::eventFilter(watched, event);
}

void frmMoneysView::keyPressEvent(QKeyEvent* event) {
  // The query button is the window's default button: Enter that no control used runs it.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    cmdQuery_Click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void frmMoneysView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmMoneysView::Form_Resize() {
  if (isMinimized()) return;
  const double width = platform::PixelsToTwips(this->width());
  const double height = platform::PixelsToTwips(this->height());
  // A size that would come out negative is refused, and the control keeps its old one.
  const double titleLeft = platform::PixelsToTwips(txtTitle->x());
  if (const double w = width - kMargin - titleLeft; w >= 0) txtTitle->resize(Px(w), txtTitle->height());
  const double queryLeft = width - kMargin - platform::PixelsToTwips(cmdQuery->width());
  cmdQuery->move(Px(queryLeft), cmdQuery->y());
  const double typeLeft = platform::PixelsToTwips(txtType->x());
  if (const double w = queryLeft - 100 - typeLeft; w >= 0) txtType->resize(Px(w), txtType->height());
  ListView1->move(Px(50), ListView1->y());
  if (const double w = width - 100; w >= 0) ListView1->resize(Px(w), ListView1->height());
  if (const double h = height - 50 - kListTop; h >= 0) ListView1->resize(ListView1->width(), Px(h));
}

void frmMoneysView::closeEvent(QCloseEvent* event) {
  Form_Unload();
  QWidget::closeEvent(event);
}

void frmMoneysView::Form_Unload() {
  // A maximised or minimised window keeps the last normal place.
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  options::SavePlaceTwips("MoneysViewLeft", platform::PixelsToTwips(x()));
  options::SavePlaceTwips("MoneysViewTop", platform::PixelsToTwips(y()));
  options::SavePlaceTwips("MoneysViewWidth", platform::PixelsToTwips(width()) + kFrameWidth);
  options::SavePlaceTwips("MoneysViewHeight", platform::PixelsToTwips(height()) + kFrameHeight);
}
