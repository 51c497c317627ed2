#include "modules/reminders/RemindTimer.h"

#include "datastore/clsDate.h"
#include "modules/listwindow/modStart.h"
#include "modules/reminders/frmRemindsView.h"
#include "platform/clock.h"
#include "platform/vb.h"

#include <QTimer>
#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

namespace reminders {

namespace {

constexpr int kLastSecond = 86399;

int SecondOfDay(const QDateTime& moment) { return moment.time().msecsSinceStartOfDay() / 1000; }

} // namespace

RemindTimer::RemindTimer(QObject* parent) : QObject(parent), Timer1(new QTimer(this)), dayWatch_(new QTimer(this)) {
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  dayWatch_->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &RemindTimer::Timer1_Timer);
  connect(dayWatch_, &QTimer::timeout, this, &RemindTimer::Timer1_Timer);
  Fire = [this](const QDateTime& due, const DueEntry& entry) {
    connect(frmRemindsView::ShowReminder(due, entry), &frmRemindsView::Closed, this, &RemindTimer::PopUpClosed,
            Qt::QueuedConnection);
  };
  Showing = [] { return frmRemindsView::Instance() != nullptr; };
}

LoadMoment RemindTimer::BeginLoad() {
  const QDateTime now = platform::Now();
  QDateTime since;
  if (day_.isValid() && now.date() > day_) {
    // A new day: what was left of the old day's list is shown first, and nothing of the new day
    // has been looked at yet.
    CheckThrough(kLastSecond);
    since = vb::MakeDateTime(now.date()).addSecs(-1);
  } else if (Timer1->isActive() && now.date() == day_ && SecondOfDay(now) >= checked_) {
    since = vb::MakeDateTime(day_).addSecs(checked_);
  } else {
    since = now.addSecs(-1);
  }
  day_ = now.date();
  checked_ = since.date() < day_ ? -1 : SecondOfDay(since);
  return {now, since};
}

void RemindTimer::SetDueList(std::vector<DueEntry> entries) {
  if (!day_.isValid()) BeginLoad();
  entries_ = std::move(entries);
  bySecond_.clear();
  bySecond_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) bySecond_.emplace_back(entries_[i].second, int(i));
  std::sort(bySecond_.begin(), bySecond_.end());
  SeekPastChecked();
  RecheckWaiting();
  UpdateTimers();
}

void RemindTimer::RecheckWaiting() {
  // Taken out first: the data store's error box lets ticks run meanwhile.
  std::deque<Passed> checking = std::exchange(waiting_, {});
  std::deque<Passed> kept;
  for (Passed& passed : checking) {
    const datastore::RowSetPtr rs = modStart::objDate().Reminds_GetModify(passed.entry.id);
    // When the data set cannot be read just now, the reminder waits as it was.
    if (!rs || (!rs->Eof() && DueAgain(*rs, passed.due, passed.entry))) kept.push_back(std::move(passed));
  }
  std::move(waiting_.begin(), waiting_.end(), std::back_inserter(kept));
  waiting_ = std::move(kept);
}

void RemindTimer::SeekPastChecked() {
  next_ = std::size_t(std::upper_bound(bySecond_.begin(), bySecond_.end(), std::pair(checked_, INT_MAX)) -
                      bySecond_.begin());
}

void RemindTimer::CheckThrough(int second) {
  for (; next_ < bySecond_.size() && bySecond_[next_].first <= second; ++next_) {
    const DueEntry& entry = entries_[std::size_t(bySecond_[next_].second)];
    waiting_.push_back({vb::MakeDateTime(day_).addSecs(entry.second), entry});
  }
  checked_ = std::max(checked_, second);
}

void RemindTimer::Timer1_Timer() {
  const QDateTime now = platform::Now();
  if (day_.isValid() && now.date() != day_ && NewDay) NewDay();
  if (now.date() == day_) {
    const int second = SecondOfDay(now);
    if (second < checked_) {
      // The clock was set back: go on from the new time.
      checked_ = second - 1;
      SeekPastChecked();
    }
    CheckThrough(second);
  }
  ShowNext();
  UpdateTimers();
}

void RemindTimer::PopUpClosed() {
  ShowNext();
  UpdateTimers();
}

void RemindTimer::ShowNext() {
  if (waiting_.empty() || (Showing && Showing())) return;
  const Passed passed = waiting_.front();
  waiting_.pop_front();
  if (Fire) Fire(passed.due, passed.entry);
}

void RemindTimer::UpdateTimers() {
  const bool busy = !entries_.empty() || !waiting_.empty();
  if (busy != Timer1->isActive()) busy ? Timer1->start() : Timer1->stop();
  if (busy || !day_.isValid()) {
    dayWatch_->stop();
    return;
  }
  // Nothing due today: wake at the next midnight to arm the new day, and at least every minute
  // so a changed clock or a sleep is noticed.
  const int toMidnight = (kLastSecond + 1 - SecondOfDay(platform::Now())) * 1000;
  dayWatch_->start(std::clamp(toMidnight + 50, 1000, 60000));
}

} // namespace reminders
