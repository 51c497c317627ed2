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
  // Every row as tall as a line of Latin and Chinese text: by default the rows take the first
  // row's height, too low for Chinese after a Latin first row, and lay its whole text out at every
  // search. The width is left out: only fitting the column asks for it (ResultView).
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // The size the style gives the row's own text.
  QSize TextSizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
  // The row height, kept for the font and image size it was measured with.
  mutable QString heightFont_;
  mutable QSize heightImage_;
  mutable int height_ = -1;
};

} // namespace listwindow
