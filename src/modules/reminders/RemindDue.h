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
  qint64 id = 0;  // the reminder's record

  bool operator==(const DueEntry&) const = default;
};

enum class Status { Daily, Pending, Past };

// The image keys of the list window.
inline constexpr char kGroupImage[] = "remindsclass";
QString ImageKey(Status status);

// The moment of a load: one-off reminders of today later than `since` are due and still to come
// (since is a second before now, or earlier when seconds went by unchecked: a late tick, a new day),
// so a reminder in the second now running is listed as still to come and fires at the next tick.
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

// Whether a reminder that came due at `due` and waits to be shown is still due as the current row
// of a reminds row set holds it (same moment, or a daily one at the same time of day); when it is,
// `entry` takes the row's texts.
bool DueAgain(const datastore::RowSet& rs, const QDateTime& due, DueEntry& entry);

// The pop-up's time line: "2026年12月06日09时30分00秒".
QString FiringTimeText(const QDateTime& due);

} // namespace reminders
