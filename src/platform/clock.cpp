#include "platform/clock.h"

#include "platform/vb.h"

#include <mutex>

namespace platform {

namespace {
std::mutex clockMutex;
QDateTime frozen; // invalid: the clock runs

// A wall-clock date-time to the whole second.
QDateTime ToSecond(const QDateTime& value) {
  const QTime t = value.time();
  return vb::MakeDateTime(value.date(), QTime(t.hour(), t.minute(), t.second()));
}
} // namespace

QDateTime Now() {
  {
    std::lock_guard lock(clockMutex);
    if (frozen.isValid())
      return frozen;
  }
  return ToSecond(QDateTime::currentDateTime());
}

QDate Today() { return Now().date(); }

void SetNow(const QDateTime& fixed) {
  std::lock_guard lock(clockMutex);
  frozen = fixed.isValid() ? ToSecond(fixed) : QDateTime();
}

} // namespace platform
