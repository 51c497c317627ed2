#pragma once
// The reminders list window: every reminder under its day, newest day first, each with its status
// image; every load also hands the reminders due today to the timer that makes them go off. The
// main window opens it at every start, so reminders fire without the user opening anything.

#include "modules/listwindow/ListWindow.h"
#include "modules/reminders/RemindDue.h"

#include <QHash>
#include <optional>

class QTimer;

namespace reminders {
class RemindTimer;
}

class frmReminds : public listwindow::ListWindow {
  Q_OBJECT
public:
  explicit frmReminds(QWidget* parent = nullptr);
  ~frmReminds() override;

  listwindow::LabelButton* LabRefresh = nullptr;
  void LabRefresh_Click();

  // The due list and its one-second timer; Timer1 is the timer's.
  reminders::RemindTimer* Firing = nullptr;
  QTimer* Timer1 = nullptr;

  // The count and caption, then the due list from the record nodes now in the tree.
  void ShowRecordCount() override;

  // The image of a reminder of this status.
  static QIcon StatusIcon(reminders::Status status);

  // The time, title and content excerpt of a reminder row: "09:30：标题（内容）".
  static QString ReminderNodeText(const QVariant& time, const QString& title, const QString& content);

protected:
  QString RecordNodeText(datastore::RowSet& rs) override;
  // The status image, and the due entry of a reminder due today.
  void RecordLoaded(listwindow::TreeNode& node, datastore::RowSet& rs) override;
  // A reloaded day; after a whole load today's first reminder when one is still to come, else the root.
  listwindow::TreeNode* NodeToSelect(const QString& strClass) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabRefresh_Click(); }

private:
  const reminders::LoadMoment& Moment();
  // The first tick of a new day: a whole load, or under a modal window the due list straight from
  // the data set and the load once that window has gone.
  void NewDay();

  // The due entries by record id, as the last load of each node judged them; nodes removed since
  // are dropped when the due list is rebuilt.
  QHash<qint64, reminders::DueEntry> due_;
  std::optional<reminders::LoadMoment> load_;  // the moment of the load running now
  bool pendingToday_ = false;
  QTimer* treeOwed_ = nullptr;  // looks every second for the modal window to be gone
};
