#include "modules/scratchpad/frmTemp.h"

#include "modules/listwindow/icons.h"
#include "modules/listwindow/WindowParts.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"
#include "platform/widgets/exacttext.h"
#include "modules/listwindow/modStart.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

using listwindow::AddSearchHistory;
using listwindow::FindWrapping;
using listwindow::LoadSearchHistory;
using listwindow::MakeBar;
using listwindow::MakeBarButton;
using listwindow::MakeBarImage;
using listwindow::MakeFootButton;
using listwindow::MakeSearchBox;
using listwindow::MakeTextBox;
using listwindow::SaveSearchHistory;
using platform::TwipsToPixels;

namespace {

const char* const kSection = "Temp";
const char* const kTextFilter = "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*";

datastore::clsDate& db() { return modStart::objDate(); }

QString FromStored(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
QString ToStored(QString text) { return text.replace(u'\n', QStringLiteral("\r\n")); }

QString TimeStamp() { return platform::Now().toString(QStringLiteral("yyyyMMddhhmmss")); }

} // namespace

frmTemp::frmTemp(QWidget* parent) : QWidget(parent) {
  setObjectName("frmTemp");
  resize(TwipsToPixels(7245), TwipsToPixels(6555));

  picTop = MakeBar(this, "picTop");
  Image1 = MakeBarImage(picTop, listwindow::PagePixmap(QColor(0x30, 0x90, 0x30)));
  LabTitle = MakeBarButton(picTop, "LabTitle", "临时记事便条", 345);
  LabTitle->SetPressable(false);
  LabTitle->setCursor(Qt::ArrowCursor);
  LabAllOpen = MakeBarButton(picTop, "LabAllOpen", "保存内容", 5760);

  Combo1 = MakeSearchBox(this);
  Combo1->setToolTip("按 CTRL+F 快捷键快速查找下一个！");

  txtContent = MakeTextBox(this, "txtContent");
  txtContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  picFoot = MakeBar(this, "picFoot");
  LabAdd = MakeFootButton(picFoot, "LabAdd", "&A.全选", 100);
  LabModify = MakeFootButton(picFoot, "LabModify", "&C.复制", 821);
  LabDelete = MakeFootButton(picFoot, "LabDelete", "&X.剪切", 1542);
  LabGoto = MakeFootButton(picFoot, "LabGoto", "&V.粘贴", 2263);
  labHas = MakeFootButton(picFoot, "labHas", "&L.另存", 2985);
  LabAd = MakeBarButton(picFoot, "LabAd", QString(), 3840);

  connect(LabAllOpen, &listwindow::LabelButton::clicked, this, &frmTemp::LabAllOpen_Click);
  connect(LabAdd, &listwindow::LabelButton::clicked, this, &frmTemp::LabAdd_Click);
  connect(LabModify, &listwindow::LabelButton::clicked, this, &frmTemp::LabModify_Click);
  connect(LabDelete, &listwindow::LabelButton::clicked, this, &frmTemp::LabDelete_Click);
  connect(LabGoto, &listwindow::LabelButton::clicked, this, &frmTemp::LabGoto_Click);
  connect(labHas, &listwindow::LabelButton::clicked, this, &frmTemp::labHas_Click);
  connect(LabAd, &listwindow::LabelButton::clicked, this, &frmTemp::LabAd_Click);
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });

  // Key preview: the window sees the keys of all its controls first.
  qApp->installEventFilter(this);
  Form_Load();
  // The window opens ready for typing into the text, not into the find box.
  txtContent->setFocus();
}

frmTemp::~frmTemp() {
  qApp->removeEventFilter(this);
  Combo1->disconnect(this);
}

QString frmTemp::Text() const { return platform::ExactText(txtContent); }

QString frmTemp::Content() const { return ToStored(Text()); }

void frmTemp::Form_Load() {
  LabAd->SetCaption(datastore::clsSystem::AppUrl());
  platform::SetExactText(txtContent, FromStored(db().GetUserNote()));
  Tag = Text();
  LoadSearchHistory(Combo1, kSection);
}

// ---- save and unload --------------------------------------------------------------------------

void frmTemp::LabAllOpen_Click() {
  const QString text = Text();
  // A failure has been shown by the data store; the text stays counted as changed.
  if (!db().UserNote_Modify(ToStored(text))) return;
  Tag = text;
  platform::MsgBox("请放心，当前的内容已保存！", platform::MsgButtons::OK, platform::MsgIcon::Information, "保存内容");
}

QString frmTemp::KeepInFile(const QString& content) {
  const QString dataSet = db().objConn.Path();
  QStringList folders;
  if (!dataSet.isEmpty()) folders << QFileInfo(dataSet).absolutePath();
  folders << QFileInfo(platform::SettingsFile()).absolutePath();
  const QString base = (dataSet.isEmpty() ? QStringLiteral("Almanor") : QFileInfo(dataSet).completeBaseName()) +
                       "-临时记事便条-" + TimeStamp();
  for (const QString& folder : folders) {
    QDir dir(folder);
    QString path = dir.filePath(base + ".txt");
    // An earlier kept text is never replaced.
    for (int n = 2; QFileInfo::exists(path); ++n) path = dir.filePath(base + "-" + QString::number(n) + ".txt");
    if (platform::WriteTextFile(path, content).isEmpty()) return QDir::toNativeSeparators(path);
  }
  return QString();
}

void frmTemp::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  if (IsChanged()) {
    const QString content = Content();
    if (db().UserNote_Modify(content)) {
      Tag = Text();
    } else {
      // The data store has shown why; the text must not go with the window.
      const QString file = KeepInFile(content);
      if (!file.isEmpty())
        platform::MsgBox("临时记事便条的内容未能保存到数据账套中，已将它保存到 " + file + " 文件中。",
                         platform::MsgButtons::OK, platform::MsgIcon::Exclamation, "保存内容");
      else
        platform::MsgBox("临时记事便条的内容未能保存到数据账套中，也无法保存到文件中，修改的内容已丢失。",
                         platform::MsgButtons::OK, platform::MsgIcon::Critical, "发生错误");
    }
  }
  SaveSearchHistory(Combo1, kSection);
}

void frmTemp::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

// ---- find and its history ---------------------------------------------------------------------

void frmTemp::Combo1_KeyPress(int keyAscii) {
  if (keyAscii != 13) return;
  txtContent->setFocus();
  const QString find = Combo1->currentText();
  // An empty find text matches at the caret and selects nothing: not worth a history entry.
  if (FindWrapping(txtContent, Text(), find) && !find.isEmpty()) AddSearchHistory(Combo1, find);
}

void frmTemp::Combo1_Click() { Combo1_KeyPress(13); }

// ---- clipboard and save-as --------------------------------------------------------------------

void frmTemp::LabAdd_Click() {
  txtContent->selectAll();
  txtContent->setFocus();
}

QString frmTemp::SelectedText() const {
  const QTextCursor cursor = txtContent->textCursor();
  return Text().mid(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
}

void frmTemp::LabModify_Click() {
  if (!txtContent->textCursor().hasSelection()) return;
  QGuiApplication::clipboard()->setText(SelectedText());
}

void frmTemp::LabDelete_Click() {
  QTextCursor cursor = txtContent->textCursor();
  if (!cursor.hasSelection()) return;
  QGuiApplication::clipboard()->setText(SelectedText());
  cursor.removeSelectedText();
  txtContent->setTextCursor(cursor);
  txtContent->setFocus();
}

void frmTemp::LabGoto_Click() {
  // No text on the clipboard pastes nothing, which still replaces the selection.
  QTextCursor cursor = txtContent->textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  txtContent->setTextCursor(cursor);
  platform::InsertExactText(txtContent, FromStored(QGuiApplication::clipboard()->text()));
  cursor.endEditBlock();
}

void frmTemp::labHas_Click() {
  const std::optional<QString> file =
      platform::FileDialog(platform::SaveRequest("临时便条另存", TimeStamp() + ".txt", kTextFilter));
  if (!file) return;
  const QString error = platform::WriteTextFile(*file, Content());
  if (!error.isEmpty()) {
    platform::MsgBox("将当前的临时记事便条内容另存时发生错误，" + error, platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
    return;
  }
  platform::MsgBox("已将当前的临时记事便条内容另存到 " + *file + " 文件中。", platform::MsgButtons::OK,
                   platform::MsgIcon::Information, "另存成功！");
}

void frmTemp::LabAd_Click() { modStart::OpenWebPage(QString()); }

// ---- layout and keys --------------------------------------------------------------------------

void frmTemp::Form_Resize() {
  if (isMinimized() || window()->isMinimized()) return;
  const int m50 = TwipsToPixels(50);
  listwindow::PlaceBars(this, picTop, Combo1, picFoot);
  LabAllOpen->move(picTop->width() - TwipsToPixels(100) - LabAllOpen->width(), LabAllOpen->y());
  const int top = Combo1->y() + Combo1->height() + m50;
  txtContent->setGeometry(m50, top, Combo1->width(), qMax(0, picFoot->y() - m50 - top));
  listwindow::PlaceAd(LabAd, labHas);
}

void frmTemp::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

bool frmTemp::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift) {
  if ((shift & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
  switch (keyCode) {
  case Qt::Key_A: LabAdd_Click(); return true;
  case Qt::Key_S: LabAllOpen_Click(); return true;
  case Qt::Key_F: Combo1_KeyPress(13); return true;
  default: return false;
  }
}

bool frmTemp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || (widget != this && !isAncestorOf(widget))) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (Form_KeyDown(key->key(), key->modifiers())) return true;
  if (listwindow::IsSearchEnter(key, widget, Combo1)) {
    // Handled here, so the box's own Enter handling cannot run the find a second time.
    Combo1_KeyPress(13);
    return true;
  }
  return false;
}
