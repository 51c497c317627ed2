#pragma once
// The run-time text conversions every dialog validates with: the date, number and format rules
// that users of this program know from the data sets and record files it reads and writes.
//
// Date values are wall-clock date-times without a zone: QDateTime in Qt::UTC, so no
// daylight-saving gap can make a typed time invalid. Use vb::MakeDateTime to build one.

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace vb {

// A wall-clock date-time (see above).
QDateTime MakeDateTime(const QDate& date, const QTime& time = QTime(0, 0));

// Date text test and conversion: "2024-05-01", "2024/5/1", "2024.5.1", "2024-5-1 9:30",
// "2024年5月1日", with or without a time ("9:30", "9:30:15", "9时30分", "9:30 PM", "下午9:30"); a time
// alone is that time on day zero, 1899-12-30. Short forms: two-digit years ("24-5-1", "26/12/7";
// 00-29 are 20xx, 30-99 19xx), month and day of the clock's year ("5/1", "12-7", "5月1日"), and a
// month's first day ("2024-5", "2024年5月"). Month/day/year: "5/1/2024". Full-width digits,
// separators and blanks read as their ASCII forms ("２４年５月１日"). Blanks around the text are
// ignored. Refuses "2024-02-30", "abc", "25:00", "2024-13-01", "12", "1.5", "13/45", "".
bool IsDate(const QString& text);
std::optional<QDateTime> CDate(const QString& text);

// Numeric text test: "1,000", " 12.5 ", "-3", "+4", ".5", "1e3", "&HFF" are numeric (blanks around
// ignored, commas only between digits of the whole part); "12ab", "1-", " " and "" are not.
bool IsNumeric(const QString& text);
// The leading number of a text, 0 when there is none ("12ab" -> 12, "abc" -> 0). Blanks, tabs and
// line feeds anywhere are skipped (" 1 2 " -> 12); commas end the number; "&H10" -> 16.
double Val(const QString& text);
// The whole text as a number (thousands separators accepted); nullopt when it is not numeric.
std::optional<double> CDbl(const QString& text);

// Format with a date pattern: yyyy, yy, m/mm (month; minutes when the last token was h/hh, literals
// between allowed, or when s/ss follows after only ':' or blanks), d/dd, h/hh, n/nn, s/ss, letters
// in any case; anything else (and "quoted" or \\escaped text) is literal: "yyyy年mm月dd日",
// "hh:mm", "yyyymmddhhmmss", "yyyy-mm-dd hh:mm:ss", "h时m分". An invalid date gives "".
QString Format(const QDateTime& value, const QString& pattern);
// Format with a number pattern such as "#0.00", "0", "#,##0.00", "0%", with optional ';' sections
// (positive;negative;zero). Rounds half away from zero on the shortest decimal form of the double.
// Under a date pattern the number is a date serial (days since 1899-12-30; 45413 is 2024-05-01).
// Infinities and NaN give "Infinity", "-Infinity" and "NaN" under any pattern.
QString Format(double value, const QString& pattern);
// Format of a field value: a date, a date text, a number or a numeric text; Null gives "".
// A number pattern has 0/# placeholders and no date letters; anything else is a date pattern.
// A numeric text under a number pattern and a date text under a date pattern are formatted; any
// other text is returned unchanged. An empty pattern gives the default text (CStr).
QString Format(const QVariant& value, const QString& pattern);

// Default number to text: up to 15 significant digits, no trailing zeros (2 -> "2", 1.5 -> "1.5",
// 0.1 + 0.2 -> "0.3"); scientific from 1E+15 up and below 0.0001 ("1E+20", "1.5E-05").
QString CStr(double value);
// Default date to text: "yyyy-mm-dd", then a blank and the time "hh:nn:ss" (hour zero-padded, the
// form the data set stores) only when it is not midnight ("2024-05-01", "2024-05-01 09:30:00").
// A time alone (on day zero, 1899-12-30) gives just the time ("09:30:00"); invalid gives "".
QString CStr(const QDateTime& value);

// Trim removes leading and trailing blanks (spaces only, as the run time does).
QString Trim(const QString& text);

// Titles and categories compare as the data set (Access) and the tree's keys compare them: ASCII
// letters without regard to case, every other character exactly. Two texts compare equal when
// their keys are equal; the key is the text with A-Z lowered, as SQLite's lower() lowers it.
QString TextKey(const QString& text);

} // namespace vb
