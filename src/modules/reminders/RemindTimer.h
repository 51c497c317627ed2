#pragma once
// The firing of reminders: the due list of today and the one-second timer that shows each due
// reminder once, when its second comes.
//
// The list window feeds it: every load starts with BeginLoad() (the moment to judge its rows
// against) and ends, like every delete, with SetDueList() (the due entries of all record nodes in
// tree order, which is the order in which reminders of one second fire). A tick costs no scan while
// nothing is due: the list is indexed by second and the next due second is known.
//
// Reminders never go missing: a late tick (the program was busy, the machine slept) takes every
// reminder whose second passed since the tick before, in time order; the first tick of a new day
// takes what was left of the old one and asks the window for the new day's due list.
//
// One reminder is on screen at a time and is never replaced: the others wait their turn (of one
// second, in tree order) and the next shows when the pop-up is closed. Every rebuild of the due
// list looks the waiting ones up again: one deleted or moved is dropped, a changed one shows its
// new texts.

#include "modules/reminders/RemindDue.h"

#include <QObject>
#include <deque>
#include <functional>
#include <vector>

class QTimer;

namespace reminders {

class RemindTimer : public QObject {
  Q_OBJECT
public:
  explicit RemindTimer(QObject* parent = nullptr);

  // Ticks every second exactly while a reminder is due today or waits to be shown.
  QTimer* Timer1 = nullptr;

  // The start of a load: the moment its rows are judged against.
  LoadMoment BeginLoad();
  // The end of a load or a delete: the due entries of the whole tree, in tree order.
  void SetDueList(std::vector<DueEntry> entries);

  // Asked at the first tick of a new day to rebuild the due list (BeginLoad ... SetDueList).
  std::function<void()> NewDay;
  // Shows one reminder; by default a fresh pop-up, whose closing calls PopUpClosed.
  std::function<void(const QDateTime& due, const DueEntry& entry)> Fire;
  // Whether a reminder is on screen, so the next one waits; by default whether the pop-up is open.
  std::function<bool()> Showing;

  // One tick: Timer1's, or the day watch's while Timer1 is off.
  void Timer1_Timer();
  // The reminder on screen was closed: the next one waiting shows.
  void PopUpClosed();

  const std::vector<DueEntry>& DueList() const { return entries_; }
  // Reminders whose second has passed and that wait to be shown.
  qsizetype Waiting() const { return qsizetype(waiting_.size()); }

private:
  struct Passed {
    QDateTime due;
    DueEntry entry;
  };

  // Queues the entries of the list's day due after the last checked second up to `second`.
  void CheckThrough(int second);
  void SeekPastChecked();
  void ShowNext();
  void RecheckWaiting();
  void UpdateTimers();

  std::vector<DueEntry> entries_;
  // (second, index in entries_), ascending: ties keep the tree order.
  std::vector<std::pair<int, int>> bySecond_;
  std::size_t next_ = 0;  // the first of bySecond_ after checked_
  QDate day_;             // the day of the last load, the list's day
  int checked_ = -1;      // every second of day_ up to this one has been looked at
  std::deque<Passed> waiting_;
  QTimer* dayWatch_ = nullptr;
};

} // namespace reminders
