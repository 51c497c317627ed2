#include "modules/listwindow/WindowParts.h"

#include "modules/listwindow/ListWindow.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace listwindow {

using platform::PixelsToTwips;
using platform::TwipsToPixels;

namespace {

constexpr int kBarHeight = 360;
constexpr int kFootButtonWidth = 540;

} // namespace

QFrame* MakeBar(QWidget* parent, const QString& name) {
  auto* bar = new QFrame(parent);
  bar->setObjectName(name);
  QPalette pal = bar->palette();
  pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  bar->setPalette(pal);
  bar->setAutoFillBackground(true);
  bar->setFixedHeight(TwipsToPixels(kBarHeight));
  return bar;
}

LabelButton* MakeBarButton(QWidget* bar, const QString& name, const QString& caption, int left) {
  auto* button = new LabelButton(caption, bar);
  button->setObjectName(name);
  // The design's top of 90 twips assumes a small font; centring keeps any font inside the bar.
  button->move(TwipsToPixels(left), qMax(0, (bar->height() - button->height()) / 2));
  return button;
}

LabelButton* MakeFootButton(QWidget* bar, const QString& name, const QString& caption, int left) {
  LabelButton* button = MakeBarButton(bar, name, caption, left);
  button->SetFixedTextWidth(TwipsToPixels(kFootButtonWidth));
  return button;
}

QLabel* MakeBarImage(QWidget* bar, const QPixmap& pixmap) {
  auto* image = new QLabel(bar);
  image->setObjectName("Image1");
  image->setGeometry(TwipsToPixels(50), TwipsToPixels(60), TwipsToPixels(240), TwipsToPixels(240));
  image->setPixmap(pixmap);
  image->setScaledContents(true);
  return image;
}

void PlaceBars(const QWidget* window, QFrame* top, QComboBox* box, QFrame* foot) {
  const int m50 = TwipsToPixels(50);
  const int m100 = TwipsToPixels(100);
  top->setGeometry(m50, m50, qMax(0, window->width() - m100), top->height());
  foot->setGeometry(m50, window->height() - m50 - foot->height(), top->width(), foot->height());
  box->setGeometry(m50, top->y() + top->height() + m50, qMax(0, window->width() - m100), box->sizeHint().height());
}

void PlaceAd(LabelButton* ad, const QWidget* last) {
  ad->move(ad->parentWidget()->width() - ad->width() - TwipsToPixels(100), ad->y());
  ad->setVisible(PixelsToTwips(last->x() + last->width()) + 181 <= PixelsToTwips(ad->x()));
}

QComboBox* MakeSearchBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName("Combo1");
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  // Completion would change what was typed into a history entry before the search runs.
  box->setCompleter(nullptr);
  box->setMaxVisibleItems(10);
  box->setEditText(ListWindow::kPlaceholder);
  return box;
}

void LoadSearchHistory(QComboBox* box, const QString& section) {
  const QString shown = box->currentText();
  const QSignalBlocker block(box);
  for (int n = 10; n >= 1; --n) {
    const QString entry = platform::GetSetting(section, "Down" + QString::number(n), "");
    if (!entry.isEmpty()) box->addItem(entry);
  }
  box->setEditText(shown);
}

void AddSearchHistory(QComboBox* box, const QString& strText) {
  if (box->findText(strText, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) return;
  // Adding an entry must not replace what the box shows.
  const QString shown = box->currentText();
  const QSignalBlocker block(box);
  box->addItem(strText);
  box->setEditText(shown);
}

void SaveSearchHistory(const QComboBox* box, const QString& section) {
  int k = 1;
  for (int i = box->count() - 1; i >= 0 && k <= 10; --i, ++k)
    platform::SaveSetting(section, "Down" + QString::number(k), box->itemText(i));
}

bool IsSearchEnter(const QKeyEvent* key, const QWidget* widget, const QComboBox* box) {
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  return enter && !(key->modifiers() & Qt::ControlModifier) && (widget == box || widget == box->lineEdit());
}

QLineEdit* MakeLineBox(QWidget* parent, const QString& name, int maxLength, const QString& text) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setMaxLength(maxLength);
  return box;
}

QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(name);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setTabChangesFocus(true);
  return box;
}

void SetTabChain(std::initializer_list<QWidget*> widgets) {
  auto it = widgets.begin();
  for (QWidget* previous = *it++; it != widgets.end(); previous = *it++) QWidget::setTabOrder(previous, *it);
}

void KeepHighlightWhenInactive(QWidget* view) {
  QPalette pal = view->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  view->setPalette(pal);
}

bool FindWrapping(QPlainTextEdit* edit, const QString& text, const QString& find) {
  // Each Yes to the question starts over from the top; the loop ends with a match or a No.
  for (;;) {
    QTextCursor cursor = edit->textCursor();
    const qsizetype found = text.indexOf(find, cursor.selectionEnd(), Qt::CaseInsensitive);
    if (found >= 0) {
      cursor.setPosition(static_cast<int>(found));
      cursor.setPosition(static_cast<int>(found + find.size()), QTextCursor::KeepAnchor);
      edit->setTextCursor(cursor);
      edit->setFocus();
      return true;
    }
    if (platform::MsgBox("在当前位置以下没有找到匹配的字符串,是否从头开始吗?", platform::MsgButtons::YesNo,
                         platform::MsgIcon::Question, "查找") != platform::MsgResult::Yes)
      return false;
    cursor.setPosition(0);
    edit->setTextCursor(cursor);
  }
}

} // namespace listwindow
