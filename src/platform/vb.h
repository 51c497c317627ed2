#pragma once
// The run-time text conversions every dialog validates with: the date, number and format rules
// that users of this program know from the data sets and record files it reads and writes.
//
// Date values are wall-clock date-times without a zone: QDateTime with Qt::UTC as its spec, so no
// daylight-saving gap can make a typed time invalid. Use vb::MakeDateTime to build one.

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace vb {

// A wall-clock date-time (see above).
QDateTime MakeDateTime(const QDate& date, const QTime& time = QTime(0, 0));

// Date text test and conversion: "2024-05-01", "2024/5/1", "2024-5-1 9:30", "2024年5月1日",
// with or without a time ("9:30", "9:30:15", "9时30分"); refuses "2024-02-30", "abc", "25:00".
bool IsDate(const QString& text);
std::optional<QDateTime> CDate(const QString& text);

// Numeric text test: "1,000", " 12.5 ", "-3", "1e3", "&HFF" are numeric; "12ab" and "" are not.
bool IsNumeric(const QString& text);
// The leading number of a text, 0 when there is none ("12ab" -> 12, "abc" -> 0).
double Val(const QString& text);
// The whole text as a number (thousands separators accepted); nullopt when it is not numeric.
std::optional<double> CDbl(const QString& text);

// Format with a date pattern: yyyy, yy, m/mm (month, or minutes right after h/hh), d/dd, h/hh,
// n/nn, s/ss, and literal text ("yyyy年mm月dd日", "hh:mm", "yyyymmddhhmmss", "yyyy-mm-dd hh:mm:ss").
QString Format(const QDateTime& value, const QString& pattern);
// Format with a number pattern such as "#0.00", "0", "#,##0.00".
QString Format(double value, const QString& pattern);
// Format of a field value: a date, a date text, a number or a numeric text; Null gives "".
// Any other text is returned unchanged.
QString Format(const QVariant& value, const QString& pattern);

// Default number to text: up to 15 significant digits, no trailing zeros (2 -> "2", 1.5 -> "1.5").
QString CStr(double value);
// Default date to text: "yyyy-mm-dd", then " h:mm:ss" style time only when it is not midnight
// ("2024-05-01", "2024-05-01 9:30:00").
QString CStr(const QDateTime& value);

// Trim removes leading and trailing blanks (spaces only, as the run time does).
QString Trim(const QString& text);

} // namespace vb
