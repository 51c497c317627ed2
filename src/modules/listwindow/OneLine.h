#pragma once
// Node and result texts shown on one line: a note's line breaks would make its row several lines
// tall, and with rows of one height push the other rows out of sight.

#include <QStyledItemDelegate>

namespace listwindow {

// The text with each line break (CR LF, CR, LF, U+2028, U+2029) shown as one blank.
QString OneLine(const QString& text);

// Draws the result list's items on one line, with grid lines at their right and bottom. Drawn
// here rather than by a style sheet, which would take over the selected item's look.
class OneLineGridDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QString displayText(const QVariant& value, const QLocale& locale) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace listwindow
