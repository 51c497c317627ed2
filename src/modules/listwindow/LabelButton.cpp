#include "modules/listwindow/LabelButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace listwindow {

namespace {
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
constexpr int kPad = 2;  // room for the pressed border around the text
} // namespace

LabelButton::LabelButton(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
  setCursor(Qt::PointingHandCursor);
  Resize();
}

void LabelButton::SetCaption(const QString& caption) {
  caption_ = caption;
  Resize();
  update();
}

void LabelButton::SetFixedTextWidth(int pixels) {
  fixedWidth_ = pixels;
  Resize();
}

QSize LabelButton::sizeHint() const {
  const QSize text = fontMetrics().size(kTextFlags, caption_);
  const int width = qMax(fixedWidth_, text.width() + 2 * kPad);
  return {width, text.height() + 2};
}

void LabelButton::Resize() { resize(sizeHint()); }

void LabelButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Disabled commands keep the grey bar readable: a dimmed white.
  p.setPen(isEnabled() ? QColor(Qt::white) : QColor(0xC8, 0xC8, 0xC8));
  p.drawText(rect().adjusted(kPad, 0, -kPad, 0), kTextFlags, caption_);
  if (pressed_) {
    p.setPen(QColor(Qt::black));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void LabelButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressable_) return;
  pressed_ = true;
  update();
}

void LabelButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  update();
  if (rect().contains(event->position().toPoint())) emit clicked();
}

void LabelButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) Resize();
  QWidget::changeEvent(event);
}

} // namespace listwindow
