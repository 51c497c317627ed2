#include "platform/vbcolor.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <cmath>

namespace platform {

namespace {

bool HaveGuiApp() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

double LogicalDpi() {
  if (HaveGuiApp()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const double dpi = screen->logicalDotsPerInch();
      if (dpi > 0)
        return dpi;
    }
  }
  return 96.0;
}

} // namespace

int TwipsToPixels(double twips) { return int(std::lround(twips * LogicalDpi() / 1440.0)); }

double PixelsToTwips(int pixels) { return pixels * 1440.0 / LogicalDpi(); }

QColor SystemWindowColor() {
  if (HaveGuiApp())
    return QGuiApplication::palette().color(QPalette::Base);
  return QColor(Qt::white);
}

QColor ColorFromVb(qint64 value) {
  if (value == kSystemWindowColor)
    return SystemWindowColor();
  if (value < 0 || value > 0xFFFFFF)
    return QColor();
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

qint64 ColorToVb(const QColor& color) {
  if (!color.isValid())
    return kSystemWindowColor;
  const QColor rgb = color.toRgb();
  return qint64(rgb.red()) + qint64(rgb.green()) * 256 + qint64(rgb.blue()) * 65536;
}

} // namespace platform
