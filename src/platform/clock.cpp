#include "platform/clock.h"

#include "platform/vb.h"

#include <mutex>

namespace platform {

namespace {
std::mutex clockMutex;
QDateTime frozen; // invalid: the clock runs
} // namespace

QDateTime Now() {
  {
    std::lock_guard lock(clockMutex);
    if (frozen.isValid())
      return frozen;
  }
  const QDateTime local = QDateTime::currentDateTime();
  const QTime t = local.time();
  return vb::MakeDateTime(local.date(), QTime(t.hour(), t.minute(), t.second()));
}

QDate Today() { return Now().date(); }

void SetNow(const QDateTime& fixed) {
  std::lock_guard lock(clockMutex);
  if (!fixed.isValid()) {
    frozen = QDateTime();
    return;
  }
  const QTime t = fixed.time();
  frozen = vb::MakeDateTime(fixed.date(), QTime(t.hour(), t.minute(), t.second()));
}

} // namespace platform
