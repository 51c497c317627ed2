#include "modules/reminders/RemindDue.h"

#include "datastore/connection.h"
#include "platform/vb.h"

namespace reminders {

namespace {

// "yyyy-mm-dd hh:nn:ss", the form the data set stores, read without building a text: this runs
// for every reminder of every load.
std::optional<QDateTime> IsoTime(QByteArrayView text) {
  if (text.size() != 19) return std::nullopt;
  int n[6] = {};
  const int start[6] = {0, 5, 8, 11, 14, 17};
  const int width[6] = {4, 2, 2, 2, 2, 2};
  for (int f = 0; f < 6; ++f)
    for (int i = start[f]; i < start[f] + width[f]; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      n[f] = n[f] * 10 + (text[i] - '0');
    }
  if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
  const QDate date(n[0], n[1], n[2]);
  const QTime time(n[3], n[4], n[5]);
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  return vb::MakeDateTime(date, time);
}

QDateTime TimeFromText(QByteArrayView utf8) {
  if (const auto iso = IsoTime(utf8)) return *iso;
  return vb::CDate(QString::fromUtf8(utf8)).value_or(QDateTime());
}

} // namespace

const char* ImageKey(Status status) {
  switch (status) {
  case Status::Daily: return "remindstop";
  case Status::Pending: return "remindsyes";
  case Status::Past: break;
  }
  return "remindsno";
}

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
  if (time > at.now) {
    j.status = Status::Pending;
    j.pendingToday = ofToday;
  }
  j.due = ofToday && time > at.since;
  return j;
}

RowJudgement JudgeRow(const datastore::RowSet& rs, const LoadMoment& at, std::optional<DueEntry>& entry) {
  const QDateTime time = TimeFromText(rs.Utf8("remindstime"));
  const RowJudgement j = Judge(time, !rs.Fields("remindsstring2").isNull(), at);
  if (j.due)
    entry = DueEntry{time.time().msecsSinceStartOfDay() / 1000, rs.Fields("remindstitle").toString(),
                     rs.Fields("remindscontent").toString(), rs.Fields("remindsfile").toString()};
  else
    entry.reset();
  return j;
}

QString FiringTimeText(const QDateTime& due) { return vb::Format(due, "yyyy年mm月dd日hh时nn分ss秒"); }

} // namespace reminders
