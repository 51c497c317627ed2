#pragma once
// A label used as a command button on the grey bars: transparent, white text sized to its caption,
// a single border while the mouse button is held down on it. "&" in the caption underlines the next
// letter; the command itself is reached through the window's Ctrl key table, not through Alt.

#include <QString>
#include <QWidget>

namespace listwindow {

class LabelButton : public QWidget {
  Q_OBJECT
public:
  explicit LabelButton(const QString& caption, QWidget* parent = nullptr);

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // A fixed width in pixels; 0 sizes the label to its caption.
  void SetFixedTextWidth(int pixels);
  // False for a label that only looks like a button (no pressed border, no click).
  void SetPressable(bool pressable) { pressable_ = pressable; }

  QSize sizeHint() const override;

signals:
  void clicked();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void Resize();

  QString caption_;
  int fixedWidth_ = 0;
  bool pressable_ = true;
  bool pressed_ = false;
};

} // namespace listwindow
