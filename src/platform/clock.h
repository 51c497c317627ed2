#pragma once
// The program's one source of "now" and "today"; tests set it.

#include <QDateTime>

namespace platform {

// Wall-clock now as a zone-less date-time (see vb.h), to the second.
QDateTime Now();
QDate Today();

// Tests: freeze the clock at a given wall-clock time; an invalid value lets it run again.
void SetNow(const QDateTime& fixed);

} // namespace platform
