#include "modules/listwindow/OneLine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace listwindow {

namespace {

bool IsLineBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

QString OneLine(const QString& text) {
  if (std::none_of(text.begin(), text.end(), IsLineBreak)) return text;
  QString line;
  line.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (!IsLineBreak(c)) {
      line.append(c);
      continue;
    }
    line.append(u' ');
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
  }
  return line;
}

QString OneLineGridDelegate::displayText(const QVariant& value, const QLocale& locale) const {
  // Folded before the base class makes each "\n" a line separator: CR LF stays one blank.
  if (value.typeId() == QMetaType::QString)
    return QStyledItemDelegate::displayText(OneLine(value.toString()), locale);
  return QStyledItemDelegate::displayText(value, locale);
}

QSize OneLineGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem line = option;
  initStyleOption(&line, index);
  const QString font = line.font.key();
  const QSize image = line.features & QStyleOptionViewItem::HasDecoration ? line.decorationSize : QSize();
  if (height_ < 0 || font != heightFont_ || image != heightImage_) {
    line.text = QStringLiteral("Ag国");
    line.features |= QStyleOptionViewItem::HasDisplay;
    const QWidget* widget = line.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    height_ = style->sizeFromContents(QStyle::CT_ItemViewItem, &line, QSize(), widget).height();
    heightFont_ = font;
    heightImage_ = image;
  }
  return {0, height_};
}

QSize OneLineGridDelegate::TextSizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  return QStyledItemDelegate::sizeHint(option, index);
}

void OneLineGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  const QRect r = option.rect;
  painter->save();
  painter->setPen(QColor(0xd4, 0xd4, 0xd4));
  painter->drawLine(r.topRight(), r.bottomRight());
  painter->drawLine(r.bottomLeft(), r.bottomRight());
  painter->restore();
}

} // namespace listwindow
