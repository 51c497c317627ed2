#pragma once
// Screen units and colour numbers in the layout the data sets and record files keep.

#include <QColor>

namespace platform {

// 1440 twips per logical inch: 15 twips per pixel at 96 DPI.
int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);

// The system window colour number (&H80000005).
constexpr qint64 kSystemWindowColor = 0x80000005LL;

// Colour number red + green*256 + blue*65536 (255 red, 16777215 white) to QColor and back;
// kSystemWindowColor maps to the palette's base colour.
QColor ColorFromVb(qint64 value);
qint64 ColorToVb(const QColor& color);
QColor SystemWindowColor();

} // namespace platform
