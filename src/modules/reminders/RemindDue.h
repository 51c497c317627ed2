#pragma once
// What a reminder row is at a load: its status image and, when it is due today, its due entry.
// Due entries are kept as values, so no title, content or path can break one apart.

#include <QDateTime>
#include <QString>
#include <optional>

namespace datastore {
class RowSet;
}

namespace reminders {

// A reminder due today: the second of the day it fires at and what the pop-up shows and opens.
struct DueEntry {
  int second = 0;  // 0 .. 86399
  QString title;
  QString content;
  QString file;

  bool operator==(const DueEntry&) const = default;
};

enum class Status { Daily, Pending, Past };

// The image keys of the list window.
inline constexpr char kGroupImage[] = "remindsclass";
QString ImageKey(Status status);

// The moment of a load: `now` decides the status; one-off reminders later than `since` are due
// (since is a second before now, or earlier when seconds went by unchecked: a late tick, a new day).
struct LoadMoment {
  LoadMoment(const QDateTime& now, const QDateTime& since);
  QDateTime now;
  QDateTime since;
  // Both as the data set stores times, which compare as the times do.
  QByteArray nowText;
  QByteArray sinceText;
};

struct RowJudgement {
  Status status = Status::Past;
  bool due = false;
  bool pendingToday = false;  // a one-off reminder later today: the whole load selects today's first
};

// The rules for a reminder at `time` (invalid when its text is not a date), daily or one-off.
RowJudgement Judge(const QDateTime& time, bool daily, const LoadMoment& at);

// The same for the current row of a reminds row set; `entry` gets the due entry when it is due.
RowJudgement JudgeRow(const datastore::RowSet& rs, const LoadMoment& at, std::optional<DueEntry>& entry);

// The pop-up's time line: "2026年12月06日09时30分00秒".
QString FiringTimeText(const QDateTime& due);

} // namespace reminders
