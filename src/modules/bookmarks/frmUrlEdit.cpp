#include "modules/bookmarks/frmUrlEdit.h"

#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"
#include "platform/widgets/exacttext.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr double kFieldLeft = 1170;
constexpr double kFieldWidth = 5145;
constexpr double kAddressWidth = 3855;
constexpr double kRowHeight = 300;
constexpr double kButtonWidth = 1095;
constexpr double kButtonHeight = 375;
const QString kBlankAddress = QStringLiteral("http://");

listwindow::EditDialogDesign UrlDesign() {
  listwindow::EditDialogDesign design;
  design.objectName = QStringLiteral("frmUrlEdit");
  design.placePrefix = QStringLiteral("Url");
  design.clientTwips = QSizeF(6720, 5580);
  // A fixed dialog's frame: its border and its title bar.
  design.windowTwips = QSizeF(6720 + 90, 5580 + 480);
  design.classKey = QStringLiteral("UrlClass");
  return design;
}

} // namespace

frmUrlEdit::frmUrlEdit(QWidget* parent) : EditDialog(UrlDesign(), parent) {
  setWindowTitle(QStringLiteral("网址收藏管理编辑"));
  MakeBand(QStringLiteral("网址收藏资料编辑"), QStringLiteral("除收藏描述内容可选填外其它内容都必须填写"));

  const auto label = [this](const char* name, const QString& text, double top) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    Place(l, 270, top, kFieldLeft - 270 - 60, kRowHeight);
  };
  label("Label1", QStringLiteral("收藏标题"), 1260);
  label("Label2", QStringLiteral("收藏网址"), 1710);
  label("Label5", QStringLiteral("收藏描述"), 2160);
  label("Label6", QStringLiteral("收藏分类"), 4350);

  txtTitle = listwindow::MakeLineBox(this, QStringLiteral("txtTitle"), 100);
  Place(txtTitle, kFieldLeft, 1260, kFieldWidth, kRowHeight);

  txtAddress = listwindow::MakeLineBox(this, QStringLiteral("txtAddress"), 150, kBlankAddress);
  Place(txtAddress, kFieldLeft, 1710, kAddressWidth, kRowHeight);

  txtContent = listwindow::MakeTextBox(this, QStringLiteral("txtContent"));
  txtContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Place(txtContent, kFieldLeft, 2160, kFieldWidth, 2040);

  cobClass = new QComboBox(this);
  cobClass->setObjectName(QStringLiteral("cobClass"));
  cobClass->setEditable(true);
  cobClass->setInsertPolicy(QComboBox::NoInsert);
  // Completion would turn a new category typed as the start of an existing one into that one.
  cobClass->setCompleter(nullptr);
  Place(cobClass, kFieldLeft, 4350, kFieldWidth, kRowHeight);

  cmdOk = MakeButton("cmdOk", QStringLiteral("确定(&O)"));
  cmdCancel = MakeButton("cmdCancel", QStringLiteral("取消(&C)"));
  cmdHelp = MakeButton("cmdHelp", QStringLiteral("帮助(&H)"));
  cmdGoto = MakeButton("cmdGoto", QStringLiteral("转到(&G)"));
  Place(cmdGoto, kFieldLeft + kAddressWidth + 105, 1695, kFieldWidth - kAddressWidth - 105, kRowHeight + 30);
  Place(cmdHelp, 270, 4965, kButtonWidth, kButtonHeight);
  Place(cmdCancel, kFieldLeft + kFieldWidth - kButtonWidth, 4965, kButtonWidth, kButtonHeight);
  Place(cmdOk, kFieldLeft + kFieldWidth - 2 * kButtonWidth - 120, 4965, kButtonWidth, kButtonHeight);

  listwindow::SetTabChain({txtTitle, txtAddress, txtContent, cobClass, cmdOk, cmdCancel, cmdHelp, cmdGoto});

  connect(cmdOk, &QPushButton::clicked, this, &frmUrlEdit::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmUrlEdit::cmdCancel_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmUrlEdit::cmdHelp_Click);
  connect(cmdGoto, &QPushButton::clicked, this, &frmUrlEdit::cmdGoto_Click);

  FillClasses(cobClass, modStart::objDate().Url_GetClass(), QStringLiteral("urlclass"));
}

frmUrlEdit::~frmUrlEdit() = default;

void frmUrlEdit::SetContent(const QString& text) {
  platform::SetExactText(txtContent, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString frmUrlEdit::Content() const {
  return platform::ExactText(txtContent).replace(u'\n', QStringLiteral("\r\n"));
}

void frmUrlEdit::LoadRecord(datastore::RowSet& row) {
  const QString title = row.Fields("urltext").toString();
  const QString address = row.Fields("urladdress").toString();
  // An imported title or address may be longer than typing allows: it is shown and kept whole.
  txtTitle->setMaxLength(qMax(txtTitle->maxLength(), int(title.size())));
  txtAddress->setMaxLength(qMax(txtAddress->maxLength(), int(address.size())));
  txtTitle->setText(title);
  TitleTag = title;
  SetContent(row.Fields("urlmemo").toString());
  txtAddress->setText(address);
  cobClass->setCurrentText(row.Fields("urlclass").toString());
}

void frmUrlEdit::txtAddress_GotFocus() {
  if (txtAddress->text().size() > 10)
    txtAddress->selectAll();
  else
    txtAddress->setCursorPosition(int(txtAddress->text().size()));  // continue "http://", not replace it
}

bool frmUrlEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtAddress && event->type() == QEvent::FocusIn) {
    // After the focus event the line edit places the caret itself; the rule applies once it is done.
    QTimer::singleShot(0, this, [this] {
      if (txtAddress->hasFocus()) txtAddress_GotFocus();
    });
  }
  return EditDialog::eventFilter(watched, event);
}

void frmUrlEdit::cmdGoto_Click() {
  const QString address = txtAddress->text();
  if (address.isEmpty() || address == kBlankAddress) {
    platform::MsgBox(QStringLiteral("您没有输入收藏地址，无法转到浏览。"), platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, QStringLiteral("条件不足"));
    txtAddress->setFocus();
    return;
  }
  modStart::OpenWebPage(address);
}

void frmUrlEdit::cmdOk_Click() {
  if (!IsCheckInputTrue(txtTitle, QStringLiteral("收藏标题"), true, false, false, true)) return;
  if (!IsCheckInputTrue(txtAddress, QStringLiteral("收藏网址"), true, false, false, true)) return;
  const QString strClass = cobClass->currentText();
  if (strClass.isEmpty()) {
    platform::MsgBox(QStringLiteral("条件不足：[收藏分类] 不允许为空，请您输入！"), platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, QStringLiteral("条件不足"));
    cobClass->setFocus();
    return;
  }

  datastore::clsDate& db = modStart::objDate();
  const QString title = txtTitle->text();
  qint64 result = 0;
  if (const std::optional<qint64> id = RecordId()) {
    // Only a changed title is tested; the bookmark's own title never counts against it.
    if (title != TitleTag && db.Url_CheckUrlText(title, *id)) {
      txtTitle->setFocus();
      return;
    }
    result = db.Url_Modify(*id, title, txtAddress->text(), Content(), strClass);
  } else {
    if (db.Url_CheckUrlText(title)) {
      txtTitle->setFocus();
      return;
    }
    result = db.Url_Add(title, txtAddress->text(), Content(), strClass, QString());
  }
  // A failure has been shown by the data store; the dialog stays open for another try.
  if (result < 1) return;
  Saved(strClass, strClass);
}
