#include "modules/listwindow/icons.h"

#include <QPainter>
#include <QPolygon>

namespace listwindow {

QPixmap FolderPixmap(const QColor& color) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(color.darker(160));
  p.setBrush(color.darker(115));
  p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
  p.setBrush(color);
  p.drawRect(1, 6, 13, 7);
  return pm;
}

QPixmap PagePixmap(const QColor& lines) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QColor(0x60, 0x60, 0x60));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
  p.drawPolyline(QPolygon({QPoint(10, 1), QPoint(10, 4), QPoint(13, 4)}));
  p.setPen(lines);
  for (int y = 6; y <= 12; y += 2) p.drawLine(5, y, 11, y);
  return pm;
}

} // namespace listwindow
