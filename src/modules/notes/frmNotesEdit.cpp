#include "modules/notes/frmNotesEdit.h"

#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "platform/widgets/exacttext.h"
#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Design places in twips.
constexpr double kMargin = 165;          // cobClass.Left, the margin of every side
constexpr double kTitleLeft = 1710;
constexpr double kContentTop = 1800;
constexpr double kButtonWidth = 1095;
constexpr double kButtonHeight = 375;
constexpr double kGap = 100;

const char* const kTextFilter = "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*";

QString BoolText(bool value) { return value ? "True" : "False"; }

// A stored "True"/"False"; anything else leaves the current value.
bool FontFlag(const QString& key, bool current) {
  const QString value = platform::GetSetting("Notes", key, BoolText(current));
  if (value.compare("True", Qt::CaseInsensitive) == 0) return true;
  if (value.compare("False", Qt::CaseInsensitive) == 0) return false;
  return current;
}

QString ToDisplay(QString text) { return text.replace("\r\n", "\n"); }

listwindow::EditDialogDesign NotesDesign() {
  // The window is 7725 x 6135 around a client area of 7605 x 5625.
  return {QStringLiteral("frmNotesEdit"), QStringLiteral("Notes"), QSizeF(7725, 6135), QSizeF(7605, 5625), true,
          QStringLiteral("NotesClass")};
}

} // namespace

frmNotesEdit::frmNotesEdit(QWidget* parent) : EditDialog(NotesDesign(), parent) {
  setWindowTitle("常用资料笔记编辑");
  MakeBand("常用资料笔记编辑", "您可以单击标题栏中的最大化增加窗口大小");

  labFont = new QLabel("字体设置", Picture1);
  labFont->setObjectName("labFont");
  QFont underlined = labFont->font();
  underlined.setUnderline(true);
  labFont->setFont(underlined);
  QPalette blue = labFont->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  labFont->setPalette(blue);
  labFont->setCursor(Qt::PointingHandCursor);
  labFont->installEventFilter(this);

  cobClass = new QComboBox(this);
  cobClass->setObjectName("cobClass");
  cobClass->setEditable(true);
  cobClass->setInsertPolicy(QComboBox::NoInsert);
  // Completion would turn a new category typed as the start of an existing one into that one.
  cobClass->setCompleter(nullptr);

  txtTitle = listwindow::MakeLineBox(this, "txtTitle", 100);

  txtContent = listwindow::MakeTextBox(this, "txtContent");
  txtContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  cmdOk = MakeButton("cmdOk", "保存(&S)");
  cmdCancel = MakeButton("cmdCancel", "取消(&C)");
  cmdExp = MakeButton("cmdExp", "导出(&E)");
  cmdImp = MakeButton("cmdImp", "导入(&I)");
  cmdFind = MakeButton("cmdFind", "查找(&F)");
  cmdFind->setToolTip("按 Ctrl+F 查找下一个！");

  listwindow::SetTabChain({cobClass, txtTitle, txtContent, cmdOk, cmdCancel, cmdExp, cmdImp, cmdFind});

  connect(cmdOk, &QPushButton::clicked, this, &frmNotesEdit::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmNotesEdit::cmdCancel_Click);
  connect(cmdExp, &QPushButton::clicked, this, &frmNotesEdit::cmdExp_Click);
  connect(cmdImp, &QPushButton::clicked, this, &frmNotesEdit::cmdImp_Click);
  connect(cmdFind, &QPushButton::clicked, this, &frmNotesEdit::cmdFind_Click);

  modStart::EnterToTab(cobClass);
  modStart::EnterToTab(txtTitle);
  modStart::SelectAllOnFocus(txtTitle);

  PlaceControls();
  LoadFontSettings();
  FillClasses(cobClass, modStart::objDate().Notes_GetClass(), "notesclass");
  txtTitle->setText("无相关的主题");
}

frmNotesEdit::~frmNotesEdit() = default;

void frmNotesEdit::SetContent(const QString& text) { platform::SetExactText(txtContent, ToDisplay(text)); }

QString frmNotesEdit::Content() const { return platform::ExactText(txtContent).replace("\n", "\r\n"); }

void frmNotesEdit::LoadRecord(datastore::RowSet& row) {
  const QString title = row.Fields("notestitle").toString();
  // An imported title may be longer than typing allows: it is shown and compared whole.
  txtTitle->setMaxLength(qMax(txtTitle->maxLength(), int(title.size())));
  txtTitle->setText(title);
  TitleTag = title;
  SetContent(row.Fields("notescontent").toString());
  cobClass->setCurrentText(row.Fields("notesclass").toString());
}

void frmNotesEdit::PlaceControls() {
  labFont->move(Px(3885), Px(555));
  labFont->adjustSize();
  Place(cobClass, kMargin, 1305, 1425, 300);
  Place(txtTitle, kTitleLeft, 1320, 5685, 270);
  Place(txtContent, kMargin, kContentTop, 7275, 2790);
  Place(cmdOk, 5025, 5175, kButtonWidth, kButtonHeight);
  Place(cmdCancel, 6270, 5175, kButtonWidth, kButtonHeight);
  Place(cmdExp, 255, 5145, kButtonWidth, kButtonHeight);
  Place(cmdImp, 1440, 5130, kButtonWidth, kButtonHeight);
  Place(cmdFind, 2715, 5100, kButtonWidth, kButtonHeight);
}

void frmNotesEdit::LoadFontSettings() {
  QFont font = txtContent->font();
  font.setBold(FontFlag("FontBold", font.bold()));
  font.setItalic(FontFlag("FontItalic", font.italic()));
  const QString name = platform::GetSetting("Notes", "FontName", font.family());
  if (!vb::Trim(name).isEmpty()) font.setFamily(name);
  const auto size = vb::CDbl(platform::GetSetting("Notes", "FontSize", vb::CStr(font.pointSizeF())));
  if (size && *size > 0) font.setPointSizeF(*size);
  font.setStrikeOut(FontFlag("FontStrikethru", font.strikeOut()));
  font.setUnderline(FontFlag("FontUnderline", font.underline()));
  txtContent->setFont(font);
}

void frmNotesEdit::cmdOk_Click() {
  datastore::clsDate& db = modStart::objDate();
  if (!IsCheckInputTrue(txtTitle, "资料标题", true, false, false, true)) return;

  const QString strClass = cobClass->currentText();
  if (strClass.isEmpty()) {
    platform::MsgBox("条件不足：[资料分类] 不允许为空，请您输入！", platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, "条件不足");
    cobClass->setFocus();
    return;
  }

  const QString strTitle = txtTitle->text();
  if (!Tag.isEmpty()) {
    // The note keeps its own title without a duplicate question.
    if (strTitle != TitleTag && db.Notes_CheckTitle(strTitle, Tag.toLongLong())) {
      txtTitle->setFocus();
      return;
    }
    if (db.Notes_Modify(Tag.toLongLong(), strTitle, Content(), strClass) < 1) return;
  } else {
    if (db.Notes_CheckTitle(strTitle)) {
      txtTitle->setFocus();
      return;
    }
    if (db.Notes_Add(strTitle, Content(), strClass, "") < 1) return;
  }

  Saved(strClass, strClass);
}

void frmNotesEdit::cmdFind_Click() {
  const QString answer = platform::InputBox("请您输入要查找的关键字：", "查找：按 Ctrl+F 查找下一个",
                                            platform::GetSetting("Temp", "NotesFind", ""));
  if (answer.isEmpty()) return;
  platform::SaveSetting("Temp", "NotesFind", answer);
  FindTag = answer;
  FindNext();
}

void frmNotesEdit::FindNext() {
  if (FindTag.isEmpty()) {
    cmdFind_Click();
    return;
  }
  txtContent->setFocus();
  listwindow::FindWrapping(txtContent, txtContent->toPlainText(), FindTag);
}

void frmNotesEdit::cmdExp_Click() {
  const std::optional<QString> file =
      platform::FileDialog(platform::SaveRequest("导出内容", txtTitle->text(), kTextFilter));
  if (!file) return;

  const QString error = platform::WriteTextFile(*file, Content());
  if (!error.isEmpty()) {
    platform::MsgBox("将内容导出过程中发生错误，" + error, platform::MsgButtons::OK, platform::MsgIcon::Critical,
                     "发生错误");
    return;
  }
  if (platform::MsgBox("已将内容导出到 " + *file + " 文件中，是否打开？", platform::MsgButtons::YesNo,
                       platform::MsgIcon::Question, "是否打开") == platform::MsgResult::Yes)
    platform::ShellOpen(*file);
}

void frmNotesEdit::cmdImp_Click() {
  platform::FileDialogRequest request;
  request.filter = kTextFilter;
  request.mustExist = true;
  const std::optional<QString> file = platform::FileDialog(request);
  if (!file) return;

  const platform::TextFileResult result = platform::ReadTextFile(*file);
  if (!result.ok) {
    platform::MsgBox("导入文本文件时发生错误，" + result.error, platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
    return;
  }
  // Replaces the selection, or inserts at the caret when nothing is selected.
  platform::InsertExactText(txtContent, ToDisplay(platform::ShowBrokenBytes(result.text)));
}

void frmNotesEdit::labFont_Click() {
  const std::optional<platform::FontChoice> choice =
      platform::FontDialog(platform::FontChoice::FromFont(txtContent->font()));
  if (!choice) return;
  QFont font = txtContent->font();
  choice->ApplyTo(font);
  txtContent->setFont(font);
  platform::SaveSetting("Notes", "FontName", choice->name);
  platform::SaveSetting("Notes", "FontBold", BoolText(choice->bold));
  platform::SaveSetting("Notes", "FontItalic", BoolText(choice->italic));
  platform::SaveSetting("Notes", "FontSize", vb::CStr(choice->size));
  platform::SaveSetting("Notes", "FontStrikethru", BoolText(choice->strikethrough));
  platform::SaveSetting("Notes", "FontUnderline", BoolText(choice->underline));
}

void frmNotesEdit::Form_Resize() {
  if (isMinimized()) return;
  // The minimum size keeps the window at 3510 x 5000 twips or more.
  const double width = platform::PixelsToTwips(this->width());
  const double height = platform::PixelsToTwips(this->height());

  txtTitle->resize(Px(width - kTitleLeft - kMargin), txtTitle->height());

  const double cancelTop = height - 200 - kButtonHeight;
  const double cancelLeft = width - kMargin - kButtonWidth;
  Place(cmdCancel, cancelLeft, cancelTop, kButtonWidth, kButtonHeight);

  double okLeft = cancelLeft - kGap - kButtonWidth;
  double okWidth = kButtonWidth;

  const double expLeft = kMargin;
  const double impLeft = expLeft + kButtonWidth + kGap;
  const double findLeft = impLeft + kButtonWidth + kGap;
  Place(cmdExp, expLeft, cancelTop, kButtonWidth, kButtonHeight);
  Place(cmdImp, impLeft, cancelTop, kButtonWidth, kButtonHeight);
  Place(cmdFind, findLeft, cancelTop, kButtonWidth, kButtonHeight);
  // Each one stays only while it keeps 100 twips clear of the save button.
  cmdFind->setVisible(findLeft + kButtonWidth + kGap <= okLeft);
  cmdImp->setVisible(impLeft + kButtonWidth + kGap <= okLeft);
  cmdExp->setVisible(expLeft + kButtonWidth + kGap <= okLeft);
  if (cmdFind->isHidden() && cmdImp->isHidden() && cmdExp->isHidden()) {
    okLeft = kMargin;
    okWidth = cancelLeft - kGap - kMargin;
  }
  Place(cmdOk, okLeft, cancelTop, okWidth, kButtonHeight);

  Place(txtContent, kMargin, kContentTop, width - 2 * kMargin, cancelTop - 200 - kContentTop);
}

void frmNotesEdit::resizeEvent(QResizeEvent* event) {
  EditDialog::resizeEvent(event);
  Form_Resize();
}

bool frmNotesEdit::Form_KeyDown(QKeyEvent* event) {
  if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier || event->key() != Qt::Key_F) return false;
  FindNext();
  return true;
}

bool frmNotesEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == txtContent && key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_A) {
      txtContent->selectAll();
      return true;
    }
  }
  if (watched == labFont && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && labFont->rect().contains(mouse->position().toPoint())) {
      labFont_Click();
      return true;
    }
  }
  return EditDialog::eventFilter(watched, event);
}
