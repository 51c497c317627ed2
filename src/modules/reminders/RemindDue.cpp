#include "modules/reminders/RemindDue.h"

#include "datastore/connection.h"
#include "platform/vb.h"

namespace reminders {

namespace {

constexpr char kStoredForm[] = "yyyy-MM-dd hh:mm:ss";

// The second of the day of a time in "yyyy-mm-dd hh:nn:ss", the form the data set stores, when the
// text has that form and names a real moment: read without building a date, as this runs for every
// reminder of every load.
std::optional<int> StoredSecond(QByteArrayView text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  int n[6] = {};
  const int start[6] = {0, 5, 8, 11, 14, 17};
  for (int f = 0; f < 6; ++f)
    for (int i = start[f]; i < start[f] + (f == 0 ? 4 : 2); ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      n[f] = n[f] * 10 + (text[i] - '0');
    }
  if (!QDate::isValid(n[0], n[1], n[2]) || !QTime::isValid(n[3], n[4], n[5])) return std::nullopt;
  return n[3] * 3600 + n[4] * 60 + n[5];
}

DueEntry EntryOf(const datastore::RowSet& rs, int second) {
  return {second, rs.Fields("remindstitle").toString(), rs.Fields("remindscontent").toString(),
          rs.Fields("remindsfile").toString(), rs.Fields("remindsid").toLongLong()};
}

} // namespace

QString ImageKey(Status status) {
  // Literals: no text is built for the key of every loaded reminder.
  switch (status) {
  case Status::Daily: return QStringLiteral("remindstop");
  case Status::Pending: return QStringLiteral("remindsyes");
  case Status::Past: break;
  }
  return QStringLiteral("remindsno");
}

LoadMoment::LoadMoment(const QDateTime& now_, const QDateTime& since_)
    : now(now_), since(since_), nowText(now_.toString(kStoredForm).toLatin1()),
      sinceText(since_.toString(kStoredForm).toLatin1()) {}

RowJudgement Judge(const QDateTime& time, bool daily, const LoadMoment& at) {
  RowJudgement j;
  const QDate today = at.now.date();
  // A time that is not a date never fires, whatever its kind.
  if (daily) {
    j.status = Status::Daily;
    j.due = time.isValid() && time.date() <= today;
    return j;
  }
  if (!time.isValid()) return j;
  const bool ofToday = time.date() == today;
  if (time > at.since) {
    j.status = Status::Pending;
    j.pendingToday = ofToday;
  }
  j.due = ofToday && time > at.since;
  return j;
}

RowJudgement JudgeRow(const datastore::RowSet& rs, const LoadMoment& at, std::optional<DueEntry>& entry) {
  const QByteArrayView text = rs.Utf8("remindstime");
  const bool daily = !rs.Fields("remindsstring2").isNull();
  RowJudgement j;
  int second = 0;
  if (const std::optional<int> stored = StoredSecond(text)) {
    // The same rules as Judge, on texts that compare as the times do.
    const QByteArrayView day = text.first(10);
    const QByteArrayView today = QByteArrayView(at.nowText).first(10);
    if (daily) {
      j.status = Status::Daily;
      j.due = day <= today;
    } else {
      const bool ofToday = day == today;
      if (text > QByteArrayView(at.sinceText)) {
        j.status = Status::Pending;
        j.pendingToday = ofToday;
      }
      j.due = ofToday && text > QByteArrayView(at.sinceText);
    }
    second = *stored;
  } else {
    // Any other date text of an older data set.
    const QDateTime time = vb::CDate(QString::fromUtf8(text)).value_or(QDateTime());
    j = Judge(time, daily, at);
    second = time.time().msecsSinceStartOfDay() / 1000;
  }
  if (j.due)
    entry = EntryOf(rs, second);
  else
    entry.reset();
  return j;
}

bool DueAgain(const datastore::RowSet& rs, const QDateTime& due, DueEntry& entry) {
  const std::optional<QDateTime> time = vb::CDate(rs.Fields("remindstime").toString());
  if (!time) return false;
  const int second = time->time().msecsSinceStartOfDay() / 1000;
  const bool daily = !rs.Fields("remindsstring2").isNull();
  const bool same = (daily ? time->date() <= due.date() : time->date() == due.date()) &&
                    second == due.time().msecsSinceStartOfDay() / 1000;
  if (same) entry = EntryOf(rs, second);
  return same;
}

QString FiringTimeText(const QDateTime& due) { return vb::Format(due, "yyyy年mm月dd日hh时nn分ss秒"); }

} // namespace reminders
