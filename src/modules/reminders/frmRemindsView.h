#pragma once
// The reminder pop-up: a top-level window above all others with the time, title and content of
// the reminder that fired, one reminder per pop-up. Its first activation opens the reminder's
// file; it closes itself when it is activated after the data set was closed.

#include <QString>
#include <QWidget>

class QDateTime;
class QLabel;
class QPlainTextEdit;
class QTextEdit;
class QWindow;

namespace reminders {
struct DueEntry;
}

class frmRemindsView : public QWidget {
  Q_OBJECT
public:
  // The pop-up on screen; null when none is.
  static frmRemindsView* Instance();
  // Shows a reminder in a fresh pop-up; the caller waits until none is on screen.
  static frmRemindsView* ShowReminder(const QDateTime& due, const reminders::DueEntry& entry);

  QLabel* LabTime = nullptr;
  // The title: read only, wrapped, scrolled past four lines.
  QTextEdit* LabTitle = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  // The path of the reminder's file; "" for none.
  QString Tag;
  // The first activation since the pop-up opened has been handled.
  bool blnActivated = false;

  void Form_Activate();

signals:
  void Closed();

protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  frmRemindsView();
  // Back above the window that took the focus.
  void KeepAbove(QWindow* focused);
};
