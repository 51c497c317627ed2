#pragma once
// The reminder pop-up: a top-level window above all others with the time, title and content of
// the reminder that fired. Its first activation after each opening opens the reminder's file; it
// closes itself when it is activated after the data set was closed.

#include <QString>
#include <QWidget>

class QDateTime;
class QLabel;
class QPlainTextEdit;

namespace reminders {
struct DueEntry;
}

class frmRemindsView : public QWidget {
  Q_OBJECT
public:
  // The one pop-up while it is open; null when it is not.
  static frmRemindsView* Instance();
  // Shows a reminder in the pop-up, opening the pop-up when it is not open.
  static void ShowReminder(const QDateTime& due, const reminders::DueEntry& entry);

  QLabel* LabTime = nullptr;
  QLabel* LabTitle = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  // The path of the reminder's file; "" for none.
  QString Tag;
  // The first activation since the pop-up opened has been handled.
  bool blnActivated = false;

  void Form_Activate();

protected:
  bool event(QEvent* event) override;

private:
  frmRemindsView();
};
