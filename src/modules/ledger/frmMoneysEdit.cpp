#include "modules/ledger/frmMoneysEdit.h"

#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "platform/widgets/exacttext.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr qint64 kWarnColor = 0xC0C0FF;  // light red

listwindow::EditDialogDesign MoneysDesign() {
  // A fixed window around a client area of 6720 x 5445.
  return {QStringLiteral("frmMoneysEdit"), QStringLiteral("Moneys"), QSizeF(6840, 5955), QSizeF(6720, 5445), false,
          QString()};
}

void SetBackColor(QWidget* box, bool warn) {
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, warn ? platform::ColorFromVb(kWarnColor) : platform::SystemWindowColor());
  box->setPalette(palette);
}

// A stored text longer than typing allows is shown whole, so saving does not cut it.
void SetWhole(QLineEdit* box, const QString& text) {
  box->setMaxLength(qMax(box->maxLength(), int(text.size())));
  box->setText(text);
}

QString Text(const QVariant& value) { return value.isNull() ? QString() : value.toString(); }

QString Amount(const QVariant& value) {
  return value.isNull() ? QString() : vb::Format(value.toDouble(), QStringLiteral("#0.00"));
}

// What a box counts for in the amount: the number it reads as, thousands separators and all;
// a text that is no number counts its leading number (letters alone count 0).
double AmountFactor(const QString& text) { return vb::CDbl(text).value_or(vb::Val(text)); }

} // namespace

frmMoneysEdit::frmMoneysEdit(QWidget* parent) : EditDialog(MoneysDesign(), parent) {
  setWindowTitle("日常收支帐目编辑");
  MakeBand("日常收支帐目编辑", "这里所有的有效输入框都是必须填写的");

  struct Caption {
    const char* name;
    const char* text;
    double left, top;
  };
  const Caption captions[] = {{"Label5", "收支日期", 345, 1320},  {"Label6", "收支方向", 3360, 1320},
                              {"Label7", "收支主题", 345, 1788},  {"Label8", "收支描述", 345, 2211},
                              {"Label9", "收支数量", 345, 3879},  {"Label10", "收支单位", 3360, 3879},
                              {"Label11", "收支单价", 345, 4350}, {"Label12", "收支金额", 3360, 4350}};
  for (const Caption& c : captions) {
    auto* label = new QLabel(QString::fromUtf8(c.text), this);
    label->setObjectName(c.name);
    label->move(Px(c.left), Px(c.top) - 2);
    label->adjustSize();
  }

  txtDate = listwindow::MakeLineBox(this, "txtDate", 20);
  cobType = new QComboBox(this);
  cobType->setObjectName("cobType");
  cobType->setEditable(true);
  cobType->setInsertPolicy(QComboBox::NoInsert);
  // Completion would turn a direction typed as the start of a listed one into that one.
  cobType->setCompleter(nullptr);
  txtTitle = listwindow::MakeLineBox(this, "txtTitle", 100);
  txtContent = listwindow::MakeTextBox(this, "txtContent");
  txtShow = listwindow::MakeLineBox(this, "txtShow", 20, "0.00");
  txtUnit = listwindow::MakeLineBox(this, "txtUnit", 10);
  txtSprice = listwindow::MakeLineBox(this, "txtSprice", 20, "0.00");
  txtSum = listwindow::MakeLineBox(this, "txtSum", 100, "0.00");
  txtSum->setEnabled(false);
  cmdHelp = MakeButton("cmdHelp", "帮助(&H)");
  cmdOk = MakeButton("cmdOk", "确定(&O)");
  cmdCancel = MakeButton("cmdCancel", "取消(&C)");

  Place(txtDate, 1125, 1275, 2130, 270);
  Place(cobType, 4140, 1260, 2130, 300);
  Place(txtTitle, 1125, 1743, 5145, 270);
  Place(txtContent, 1125, 2211, 5145, 1425);
  Place(txtShow, 1125, 3834, 2130, 270);
  Place(txtUnit, 4140, 3834, 2130, 270);
  Place(txtSprice, 1125, 4305, 2130, 270);
  Place(txtSum, 4140, 4305, 2130, 270);
  Place(cmdHelp, 345, 4845, 1095, 375);
  Place(cmdOk, 3975, 4845, 1095, 375);
  Place(cmdCancel, 5220, 4845, 1095, 375);

  listwindow::SetTabChain(
      {txtDate, cobType, txtTitle, txtContent, txtShow, txtUnit, txtSprice, cmdOk, cmdCancel, cmdHelp});

  for (QWidget* field : std::initializer_list<QWidget*>{txtDate, cobType, txtTitle, txtShow, txtUnit, txtSprice})
    modStart::EnterToTab(field);
  for (QLineEdit* box : {txtTitle, txtUnit, txtShow, txtSprice}) modStart::SelectAllOnFocus(box);

  connect(txtShow, &QLineEdit::textChanged, this, [this] { ComputeSum(txtShow); });
  connect(txtSprice, &QLineEdit::textChanged, this, [this] { ComputeSum(txtSprice); });
  connect(txtDate, &QLineEdit::textChanged, this, &frmMoneysEdit::txtDate_Change);
  connect(cmdOk, &QPushButton::clicked, this, &frmMoneysEdit::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmMoneysEdit::cmdCancel_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmMoneysEdit::cmdHelp_Click);

  cobType->addItems({"收入", "支出", "借出", "还入"});
  cobType->setCurrentIndex(1);
  txtDate->setText(platform::Today().toString("yyyy-MM-dd"));
  txtDate->setFocus();
}

frmMoneysEdit::~frmMoneysEdit() = default;

QString frmMoneysEdit::Content() const { return platform::ExactText(txtContent).replace("\n", "\r\n"); }

void frmMoneysEdit::ComputeSum(QLineEdit* changed) {
  const double product = AmountFactor(txtShow->text()) * AmountFactor(txtSprice->text());
  txtSum->setText(vb::Format(product, "#0.00"));
  const QString text = changed->text();
  SetBackColor(changed, !text.isEmpty() && !vb::IsNumeric(text));
}

void frmMoneysEdit::txtDate_Change() {
  const QString text = txtDate->text();
  SetBackColor(txtDate, !text.isEmpty() && !vb::IsDate(text));
}

void frmMoneysEdit::LoadRecord(datastore::RowSet& row) {
  // The date in the default date text: the day, and the time only when it is not midnight.
  const QString stored = Text(row.Fields("moneysdate"));
  const auto date = vb::CDate(stored);
  SetWhole(txtDate, date ? vb::CStr(*date) : stored);
  cobType->setCurrentText(Text(row.Fields("moneystype")));
  SetWhole(txtTitle, Text(row.Fields("moneystitle")));
  platform::SetExactText(txtContent, Text(row.Fields("moneyscontent")).replace("\r\n", "\n"));
  SetWhole(txtShow, Amount(row.Fields("moneysshow")));
  SetWhole(txtUnit, Text(row.Fields("moneysunit")));
  SetWhole(txtSprice, Amount(row.Fields("moneyssprice")));
  // Last: the entry opens with its stored amount, whatever quantity times unit price makes.
  SetWhole(txtSum, Amount(row.Fields("moneyssum")));
}

void frmMoneysEdit::cmdOk_Click() {
  if (!IsCheckInputTrue(txtDate, "收支日期", true, false, true, false)) return;
  if (!IsCheckInputTrue(txtTitle, "收支主题", true, false, false, true)) return;
  if (!IsCheckInputTrue(txtContent, "收支描述", true, false, false, true)) return;
  if (!IsCheckInputTrue(txtShow, "收支数量", true, true, false, false)) return;
  if (!IsCheckInputTrue(txtUnit, "收支单位", true, false, false, true)) return;
  if (!IsCheckInputTrue(txtSprice, "收支单价", true, true, false, false)) return;
  const QString type = cobType->currentText();
  if (type.isEmpty()) {
    platform::MsgBox("条件不足：[收支方向] 不允许为空，请您输入！", platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, "条件不足");
    cobType->setFocus();
    return;
  }
  // A product beyond the range of a number shows as no number, and is not stored; the amount box
  // takes no focus, the quantity does.
  if (!IsCheckInputTrue(txtSum, "收支金额", true, true, false, false)) {
    txtShow->setFocus();
    return;
  }

  datastore::clsDate& db = modStart::objDate();
  const double show = *vb::CDbl(txtShow->text());
  const double sprice = *vb::CDbl(txtSprice->text());
  const double sum = *vb::CDbl(txtSum->text());
  const std::optional<qint64> id = RecordId();
  const qint64 saved = id ? db.Moneys_Modify(*id, txtDate->text(), type, txtTitle->text(), Content(), show,
                                             txtUnit->text(), sprice, sum)
                          : db.Moneys_Add(txtDate->text(), type, txtTitle->text(), Content(), show, txtUnit->text(),
                                          sprice, sum, QString());
  if (saved < 1) return;
  Saved(vb::Format(*vb::CDate(txtDate->text()), "yyyy年mm月dd日"));
}

bool frmMoneysEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && (watched == txtShow || watched == txtSprice)) {
    // Leaving the box rewrites a number with two decimals; switching to another window does not.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      auto* box = static_cast<QLineEdit*>(watched);
      box->setText(vb::Format(QVariant(box->text()), "#0.00"));
    }
  }
  return EditDialog::eventFilter(watched, event);
}
