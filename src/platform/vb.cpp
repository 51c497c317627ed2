#include "platform/vb.h"

#include "platform/clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>

namespace vb {

namespace {

// ---- small scanning helpers -------------------------------------------------------------------

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Locale-independent text to double (the program's locale must not change what "1.5" means).
std::optional<double> ParseAscii(const std::string& s) {
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size())
    return std::nullopt;
  return v;
}

// ---- dates ------------------------------------------------------------------------------------

struct Cursor {
  const QChar* p;
  const QChar* end;
  bool AtEnd() const { return p == end; }
  bool Peek(char16_t c) const { return p != end && *p == c; }
  bool Eat(char16_t c) {
    if (!Peek(c))
      return false;
    ++p;
    return true;
  }
  void SkipBlanks() {
    while (p != end && IsBlank(*p))
      ++p;
  }
  // Up to maxDigits decimal digits; -1 when there is none. count receives how many were read.
  int Number(int maxDigits, int* count = nullptr) {
    int value = 0, n = 0;
    while (p != end && IsDigit(*p) && n < maxDigits) {
      value = value * 10 + (p->unicode() - u'0');
      ++p;
      ++n;
    }
    if (count)
      *count = n;
    if (n == 0 || (p != end && IsDigit(*p)))
      return -1; // no digits, or more than allowed
    return value;
  }
};

// Two-digit years as the run time reads them: 00-29 are 20xx, 30-99 are 19xx.
int FullYear(int twoDigits) { return twoDigits < 30 ? 2000 + twoDigits : 1900 + twoDigits; }

// "2024-05-01", "2024/5/1", "2024.5.1", "2024年5月1日"; a two-digit year: "24-5-1", "24年5月1日";
// month/day/year: "5/1/2024"; month and day of this year: "5/1", "12-7", "5月1日"; the first of a
// month: "2024-5", "2024/5", "2024年5月". Leaves the cursor after the date.
std::optional<QDate> ParseDatePart(Cursor& c) {
  const Cursor start = c;
  const auto fail = [&]() -> std::optional<QDate> {
    c = start;
    return std::nullopt;
  };
  int digits = 0;
  const int first = c.Number(4, &digits);
  if (first < 0 || digits == 3 || (digits == 4 && first < 100))
    return fail();
  const bool fullYear = digits == 4;
  int year = 0, month = -1, day = -1;
  if (c.Eat(u'年')) {
    if (digits == 1)
      return fail();
    year = fullYear ? first : FullYear(first);
    month = c.Number(2);
    if (month < 0 || !c.Eat(u'月'))
      return fail();
    if (fullYear && (c.AtEnd() || !IsDigit(*c.p))) {
      day = 1;
    } else {
      day = c.Number(2);
      if (day < 0 || !c.Eat(u'日'))
        return fail();
    }
  } else if (!fullYear && c.Eat(u'月')) {
    year = platform::Today().year();
    month = first;
    day = c.Number(2);
    if (day < 0 || !c.Eat(u'日'))
      return fail();
  } else {
    // A dot only after a four-digit year: "1.5" and "12.7" are numbers.
    if (c.AtEnd() || !(*c.p == u'-' || *c.p == u'/' || (fullYear && *c.p == u'.')))
      return fail();
    const char16_t sep = c.p->unicode();
    ++c.p;
    const int second = c.Number(2);
    if (second < 0)
      return fail();
    if (c.Eat(sep)) {
      int thirdDigits = 0;
      const int third = c.Number(4, &thirdDigits);
      if (!fullYear && sep == u'/' && thirdDigits == 4 && third >= 100) {
        year = third; // month/day/year
        month = first;
        day = second;
      } else {
        if (digits == 1 || thirdDigits == 0 || thirdDigits > 2)
          return fail();
        year = fullYear ? first : FullYear(first);
        month = second;
        day = third;
      }
    } else if (fullYear) {
      if (sep == u'.')
        return fail(); // "2024.5" is a number
      year = first;
      month = second;
      day = 1;
    } else {
      year = platform::Today().year();
      month = first;
      day = second;
    }
  }
  const QDate date(year, month, day);
  if (!date.isValid())
    return fail();
  return date;
}

// "9:30", "9:30:15", "09:30:05", "9时30分", "9时30分15秒".
std::optional<QTime> ParseTimePart(Cursor& c) {
  const Cursor start = c;
  const int hour = c.Number(2);
  int minute = -1, second = 0;
  if (hour < 0) {
    c = start;
    return std::nullopt;
  }
  if (c.Eat(u':')) {
    minute = c.Number(2);
    if (minute < 0) {
      c = start;
      return std::nullopt;
    }
    if (c.Eat(u':')) {
      second = c.Number(2);
      if (second < 0) {
        c = start;
        return std::nullopt;
      }
    }
  } else if (c.Eat(u'时')) {
    minute = c.Number(2);
    if (minute < 0 || !c.Eat(u'分')) {
      c = start;
      return std::nullopt;
    }
    const Cursor beforeSeconds = c;
    second = c.Number(2);
    if (second < 0 || !c.Eat(u'秒')) {
      c = beforeSeconds;
      second = 0;
    }
  } else {
    c = start;
    return std::nullopt;
  }
  if (hour > 23 || minute > 59 || second > 59) {
    c = start;
    return std::nullopt;
  }
  return QTime(hour, minute, second);
}

enum class HalfDay { None, Am, Pm };

// "AM", "PM" (any case), "上午", "下午".
HalfDay EatHalfDay(Cursor& c) {
  const auto eat = [&](char16_t a, char16_t b, bool ascii) {
    if (c.end - c.p < 2)
      return false;
    const bool match = ascii ? c.p[0].toUpper() == a && c.p[1].toUpper() == b : c.p[0] == a && c.p[1] == b;
    if (match)
      c.p += 2;
    return match;
  };
  if (eat(u'A', u'M', true) || eat(u'上', u'午', false))
    return HalfDay::Am;
  if (eat(u'P', u'M', true) || eat(u'下', u'午', false))
    return HalfDay::Pm;
  return HalfDay::None;
}

// A time with an optional half of the day before or after it: "9:30 PM", "下午9:30", "12:05am".
std::optional<QTime> ParseTime(Cursor& c) {
  const Cursor start = c;
  HalfDay half = EatHalfDay(c);
  c.SkipBlanks();
  std::optional<QTime> time = ParseTimePart(c);
  if (!time) {
    c = start;
    return std::nullopt;
  }
  if (half == HalfDay::None) {
    const Cursor beforeMarker = c;
    c.SkipBlanks();
    half = EatHalfDay(c);
    if (half == HalfDay::None)
      c = beforeMarker;
  }
  if (half == HalfDay::None)
    return time;
  if (time->hour() > 12) {
    c = start;
    return std::nullopt;
  }
  const int hour = time->hour() % 12 + (half == HalfDay::Pm ? 12 : 0);
  return QTime(hour, time->minute(), time->second());
}

// Chinese input methods type full-width digits, separators and blanks ("２０２４－５－１"): read
// them as their ASCII forms.
QString Halfwidth(const QString& text) {
  const auto wide = [](QChar ch) { return (ch.unicode() >= 0xFF01 && ch.unicode() <= 0xFF5E) || ch.unicode() == 0x3000; };
  // Stored dates are ASCII: they are read without a copy.
  if (std::none_of(text.cbegin(), text.cend(), wide))
    return text;
  QString out = text;
  for (QChar& ch : out)
    if (wide(ch))
      ch = ch.unicode() == 0x3000 ? QChar(u' ') : QChar(ch.unicode() - 0xFEE0);
  return out;
}

// ---- numbers ----------------------------------------------------------------------------------

// "&HFF" / "&O17" from position i; the value, or nullopt. On success i is after the last digit.
std::optional<double> ParseRadix(const QString& s, qsizetype& i) {
  if (i + 1 >= s.size() || s[i] != u'&')
    return std::nullopt;
  const QChar kind = s[i + 1].toUpper();
  const int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
  if (base == 0)
    return std::nullopt;
  qsizetype j = i + 2;
  double value = 0;
  int digits = 0;
  while (j < s.size()) {
    const char16_t ch = s[j].toUpper().unicode();
    const int d = (ch >= u'0' && ch <= u'9') ? ch - u'0' : (ch >= u'A' && ch <= u'F') ? ch - u'A' + 10 : base;
    if (d >= base)
      break;
    value = value * base + d;
    ++digits;
    ++j;
  }
  // Too many digits overflow to infinity, which no amount may be (the run time reports an overflow).
  if (digits == 0 || !std::isfinite(value))
    return std::nullopt;
  i = j;
  return value;
}

// The decimal number at the start of s (after the caller removed what it ignores), as ASCII.
// Accepts sign, digits, one '.', and an exponent (E or D) only when digits follow it.
// With allowCommas, commas between digits of the integer part are thousands separators.
// Returns the number of characters consumed (0 when there is no number) and fills out.
qsizetype ScanDecimal(const QString& s, qsizetype from, bool allowCommas, std::string& out) {
  out.clear();
  qsizetype i = from;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    if (s[i] == u'-')
      out += '-';
    ++i;
  }
  int mantissaDigits = 0;
  while (i < s.size()) {
    if (IsDigit(s[i])) {
      out += char(s[i].unicode());
      ++mantissaDigits;
      ++i;
    } else if (allowCommas && s[i] == u',' && mantissaDigits > 0 && i + 1 < s.size() && IsDigit(s[i + 1])) {
      ++i;
    } else {
      break;
    }
  }
  if (i < s.size() && s[i] == u'.') {
    qsizetype j = i + 1;
    std::string frac;
    while (j < s.size() && IsDigit(s[j]))
      frac += char(s[j++].unicode());
    if (mantissaDigits > 0 || !frac.empty()) {
      out += '.';
      out += frac;
      mantissaDigits += int(frac.size());
      i = j;
    }
  }
  if (mantissaDigits == 0) {
    out.clear();
    return 0;
  }
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
    qsizetype j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
      exp += char(s[j++].unicode());
    bool any = false;
    while (j < s.size() && IsDigit(s[j])) {
      exp += char(s[j++].unicode());
      any = true;
    }
    if (any) {
      out += exp;
      i = j;
    }
  }
  return i - from;
}

// ---- number formatting ------------------------------------------------------------------------

// A decimal fixed-point rendering of |value| times 10^shift rounded half away from zero at
// `decimals` places, computed on the shortest decimal text that reads back as the double (so 2.675
// rounds to 2.68). The shift is applied to the digits, so a percent of the largest double does not
// overflow. The value must be finite.
struct Fixed {
  std::string intPart;  // at least "0"
  std::string fracPart; // exactly `decimals` digits
};

// The shortest scientific text of a finite double ("-2.2250738585072014e-308" at most 24 characters),
// with `precision` significant digits when given; "0e+00" should a conversion ever fail.
std::string Scientific(double value, int precision = -1) {
  char buf[64];
  const auto res = precision < 0
                       ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific)
                       : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
  if (res.ec != std::errc()) return "0e+00";
  return std::string(buf, res.ptr);
}

Fixed ToFixed(double value, int decimals, int shift = 0) {
  const std::string sci = Scientific(std::fabs(value));
  const auto ePos = sci.find('e');
  std::string digits;
  for (size_t k = 0; k < ePos; ++k)
    if (sci[k] != '.')
      digits += sci[k];
  const int exponent = std::stoi(sci.substr(ePos + 1)) + shift;
  const int pointPos = exponent + 1; // digits before the decimal point

  Fixed f;
  if (pointPos <= 0) {
    f.intPart.assign(1, '0');
    f.fracPart = std::string(size_t(-pointPos), '0') + digits;
  } else if (size_t(pointPos) >= digits.size()) {
    f.intPart = digits + std::string(size_t(pointPos) - digits.size(), '0');
  } else {
    f.intPart = digits.substr(0, size_t(pointPos));
    f.fracPart = digits.substr(size_t(pointPos));
  }
  const bool roundUp = f.fracPart.size() > size_t(decimals) && f.fracPart[size_t(decimals)] >= '5';
  f.fracPart.resize(size_t(decimals), '0');
  if (roundUp) {
    std::string all = f.intPart + f.fracPart;
    int k = int(all.size()) - 1;
    for (; k >= 0; --k) {
      if (all[size_t(k)] == '9') {
        all[size_t(k)] = '0';
      } else {
        ++all[size_t(k)];
        break;
      }
    }
    if (k < 0)
      all.insert(all.begin(), '1');
    f.intPart = all.substr(0, all.size() - size_t(decimals));
    f.fracPart = all.substr(all.size() - size_t(decimals));
  }
  const auto firstNonZero = f.intPart.find_first_not_of('0');
  f.intPart = firstNonZero == std::string::npos ? "0" : f.intPart.substr(firstNonZero);
  return f;
}

// Splits a format text at ';' outside quotes and escapes.
QStringList Sections(const QString& pattern) {
  QStringList parts;
  QString cur;
  bool quoted = false;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar ch = pattern[i];
    if (ch == u'"')
      quoted = !quoted;
    if (ch == u'\\' && i + 1 < pattern.size()) {
      cur += ch;
      cur += pattern[++i];
      continue;
    }
    if (ch == u';' && !quoted) {
      parts << cur;
      cur.clear();
      continue;
    }
    cur += ch;
  }
  parts << cur;
  return parts;
}

// A literal piece of a format: text in double quotes, a backslash-escaped character, or the
// character itself. Advances i past it and appends the text.
void TakeLiteral(const QString& pattern, qsizetype& i, QString& out) {
  const QChar ch = pattern[i];
  if (ch == u'"') {
    const qsizetype close = pattern.indexOf(u'"', i + 1);
    const qsizetype stop = close < 0 ? pattern.size() : close;
    out += pattern.mid(i + 1, stop - i - 1);
    i = close < 0 ? pattern.size() : close + 1;
  } else if (ch == u'\\' && i + 1 < pattern.size()) {
    out += pattern[i + 1];
    i += 2;
  } else {
    out += ch;
    ++i;
  }
}

bool IsNumberPlaceholder(QChar c) { return c == u'0' || c == u'#' || c == u'.' || c == u','; }

// One section of a number format applied to a non-negative magnitude.
QString FormatSection(double magnitude, const QString& section, bool negative) {
  QString prefix, suffix, run;
  bool percent = false;
  qsizetype i = 0;
  // Literals before the digit placeholders.
  while (i < section.size() && !IsNumberPlaceholder(section[i])) {
    if (section[i] == u'%')
      percent = true;
    TakeLiteral(section, i, prefix);
  }
  while (i < section.size() && IsNumberPlaceholder(section[i]))
    run += section[i++];
  while (i < section.size()) {
    if (section[i] == u'%')
      percent = true;
    TakeLiteral(section, i, suffix);
  }
  const qsizetype point = run.indexOf(u'.');
  const QString intSpec = point < 0 ? run : run.left(point);
  const QString fracSpec = point < 0 ? QString() : run.mid(point + 1).remove(u',');
  const int maxDecimals = int(fracSpec.size());
  const int minDecimals = int(fracSpec.lastIndexOf(u'0') + 1);
  const int minIntDigits = int(intSpec.count(u'0'));
  const bool grouping = intSpec.contains(u',');

  Fixed f = ToFixed(magnitude, maxDecimals, percent ? 2 : 0);
  while (int(f.fracPart.size()) > minDecimals && f.fracPart.back() == '0')
    f.fracPart.pop_back();
  std::string intDigits = f.intPart == "0" ? std::string() : f.intPart;
  if (int(intDigits.size()) < minIntDigits)
    intDigits.insert(0, size_t(minIntDigits) - intDigits.size(), '0');
  if (grouping) {
    for (int k = int(intDigits.size()) - 3; k > 0; k -= 3)
      intDigits.insert(size_t(k), 1, ',');
  }
  const bool isZero = f.intPart == "0" && f.fracPart.find_first_not_of('0') == std::string::npos;

  QString out;
  if (negative && !isZero)
    out += u'-';
  out += prefix;
  out += QString::fromLatin1(intDigits);
  if (point >= 0)
    out += u'.';
  out += QString::fromLatin1(f.fracPart);
  out += suffix;
  return out;
}

// A number format has digit placeholders and no date tokens.
bool IsNumberPattern(const QString& pattern) {
  bool placeholder = false;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar ch = pattern[i];
    if (ch == u'"') {
      const qsizetype close = pattern.indexOf(u'"', i + 1);
      i = close < 0 ? pattern.size() : close;
      continue;
    }
    if (ch == u'\\') {
      ++i;
      continue;
    }
    if (ch == u'0' || ch == u'#')
      placeholder = true;
    switch (ch.toLower().unicode()) {
    case u'y': case u'm': case u'd': case u'h': case u'n': case u's':
      return false;
    default:
      break;
    }
  }
  return placeholder;
}

QString Pad(int value, int width) { return QString::number(value).rightJustified(width, u'0'); }

} // namespace

QDateTime MakeDateTime(const QDate& date, const QTime& time) { return QDateTime(date, time, Qt::UTC); }

namespace {

// The stored form "yyyy-MM-dd hh:mm:ss" of a valid moment, which every stored date and every
// exported line has, read directly; anything else is left to the general reading, which gives
// this form the same moment.
std::optional<QDateTime> StoredForm(const QString& text) {
  if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':' ||
      text[16] != u':')
    return std::nullopt;
  auto num = [&text](int from, int len) {
    int v = 0;
    for (int i = from; i < from + len; ++i) {
      if (!IsDigit(text[i])) return -1;
      v = v * 10 + (text[i].unicode() - u'0');
    }
    return v;
  };
  const int year = num(0, 4), month = num(5, 2), day = num(8, 2);
  const int hour = num(11, 2), minute = num(14, 2), second = num(17, 2);
  if (year < 100 || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second)) return std::nullopt;
  return MakeDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

} // namespace

std::optional<QDateTime> CDate(const QString& text) {
  if (auto stored = StoredForm(text)) return stored;
  const QString trimmed = Halfwidth(text).trimmed();
  if (trimmed.isEmpty())
    return std::nullopt;
  Cursor c{trimmed.constData(), trimmed.constData() + trimmed.size()};
  const std::optional<QDate> date = ParseDatePart(c);
  std::optional<QTime> time;
  if (date) {
    if (!c.AtEnd()) {
      // A Chinese date ends in 日, so a time may follow it directly ("2024年5月1日9时30分").
      const bool endsInDay = c.p[-1] == u'日';
      if (!IsBlank(*c.p) && !endsInDay)
        return std::nullopt;
      c.SkipBlanks();
      time = ParseTime(c);
      if (!time)
        return std::nullopt;
    }
  } else {
    time = ParseTime(c);
    if (!time)
      return std::nullopt;
  }
  if (!c.AtEnd())
    return std::nullopt;
  // A time alone is a time on the run time's day zero, 30 December 1899.
  return MakeDateTime(date.value_or(QDate(1899, 12, 30)), time.value_or(QTime(0, 0)));
}

bool IsDate(const QString& text) { return CDate(text).has_value(); }

std::optional<double> CDbl(const QString& text) {
  // Plain decimals ("41", "20.5"), most numbers of a record file, read as the general reading
  // below reads them: the same characters to from_chars.
  if (!text.isEmpty() && text.size() <= 24 && IsDigit(text[0])) {
    char plain[24];
    bool point = false, ok = true;
    for (qsizetype i = 0; ok && i < text.size(); ++i) {
      const QChar c = text[i];
      ok = IsDigit(c) || (c == u'.' && !std::exchange(point, true));
      plain[i] = char(c.unicode());
    }
    double v = 0;
    const auto [end, error] = ok ? std::from_chars(plain, plain + text.size(), v) : std::from_chars_result{};
    if (ok && error == std::errc() && end == plain + text.size()) return v;
  }
  qsizetype from = 0, to = text.size();
  while (from < to && IsBlank(text[from]))
    ++from;
  while (to > from && IsBlank(text[to - 1]))
    --to;
  if (from == to)
    return std::nullopt;
  const QString body = text.mid(from, to - from);
  qsizetype i = 0;
  if (auto radix = ParseRadix(body, i); radix && i == body.size())
    return radix;
  std::string ascii;
  const qsizetype used = ScanDecimal(body, 0, true, ascii);
  if (used == 0 || used != body.size())
    return std::nullopt;
  return ParseAscii(ascii);
}

bool IsNumeric(const QString& text) { return CDbl(text).has_value(); }

double Val(const QString& text) {
  // Val ignores blanks, tabs and line feeds anywhere in the text.
  QString s;
  s.reserve(text.size());
  for (QChar ch : text)
    if (ch != u' ' && ch != u'\t' && ch != u'\n')
      s += ch;
  qsizetype i = 0;
  if (auto radix = ParseRadix(s, i))
    return *radix;
  std::string ascii;
  if (ScanDecimal(s, 0, false, ascii) == 0)
    return 0;
  return ParseAscii(ascii).value_or(0);
}

QString Format(const QDateTime& value, const QString& pattern) {
  if (!value.isValid())
    return QString();
  const QDate d = value.date();
  const QTime t = value.time();
  QString out;
  out.reserve(pattern.size() + 8);
  // Whether the last token was an hour (literals between do not count): then m means minutes,
  // as in "hh:mm", "hhmmss" and "h时m分".
  bool afterHour = false;
  qsizetype i = 0;
  while (i < pattern.size()) {
    const QChar ch = pattern[i];
    const char16_t lower = ch.toLower().unicode();
    qsizetype run = 1;
    while (i + run < pattern.size() && pattern[i + run].toLower() == ch.toLower())
      ++run;
    switch (lower) {
    case u'y': {
      if (run >= 4) {
        out += Pad(d.year(), 4);
        run = 4;
      } else if (run >= 2) {
        out += Pad(d.year() % 100, 2);
        run = 2;
      } else {
        out += QString::number(d.dayOfYear());
      }
      afterHour = false;
      break;
    }
    case u'm': {
      run = qMin<qsizetype>(run, 2);
      bool minutes = afterHour;
      if (!minutes) {
        // m right before seconds is minutes too ("mm:ss").
        qsizetype j = i + run;
        while (j < pattern.size() && (pattern[j] == u':' || pattern[j] == u' '))
          ++j;
        minutes = j < pattern.size() && pattern[j].toLower() == u's';
      }
      const int v = minutes ? t.minute() : d.month();
      out += run == 2 ? Pad(v, 2) : QString::number(v);
      afterHour = false;
      break;
    }
    case u'd':
      run = qMin<qsizetype>(run, 2);
      out += run == 2 ? Pad(d.day(), 2) : QString::number(d.day());
      afterHour = false;
      break;
    case u'h':
      run = qMin<qsizetype>(run, 2);
      out += run == 2 ? Pad(t.hour(), 2) : QString::number(t.hour());
      afterHour = true;
      break;
    case u'n':
      run = qMin<qsizetype>(run, 2);
      out += run == 2 ? Pad(t.minute(), 2) : QString::number(t.minute());
      afterHour = false;
      break;
    case u's':
      run = qMin<qsizetype>(run, 2);
      out += run == 2 ? Pad(t.second(), 2) : QString::number(t.second());
      afterHour = false;
      break;
    default:
      TakeLiteral(pattern, i, out);
      continue;
    }
    i += run;
  }
  return out;
}

QString Format(double value, const QString& pattern) {
  if (pattern.isEmpty() || !std::isfinite(value))
    return CStr(value);
  if (!IsNumberPattern(pattern)) {
    // A date pattern reads the number as a date serial: days since 1899-12-30, the fraction the time.
    const double days = std::trunc(value);
    if (std::fabs(days) > 3e6)
      return CStr(value);
    const int seconds = int(std::lround(std::fabs(value - days) * 86400));
    const QDateTime date = MakeDateTime(QDate(1899, 12, 30).addDays(qint64(days))).addSecs(seconds);
    return Format(date, pattern);
  }
  const QStringList sections = Sections(pattern);
  if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
    return FormatSection(-value, sections[1], false);
  if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
    return FormatSection(0, sections[2], false);
  return FormatSection(std::fabs(value), sections[0], value < 0);
}

QString Format(const QVariant& value, const QString& pattern) {
  if (value.isNull() || !value.isValid())
    return QString();
  switch (value.metaType().id()) {
  case QMetaType::QDateTime:
    return pattern.isEmpty() ? CStr(value.toDateTime()) : Format(value.toDateTime(), pattern);
  case QMetaType::QDate:
    return pattern.isEmpty() ? CStr(MakeDateTime(value.toDate())) : Format(MakeDateTime(value.toDate()), pattern);
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::Long:
  case QMetaType::ULong:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Double:
  case QMetaType::Float:
  case QMetaType::Short:
  case QMetaType::UShort:
    return Format(value.toDouble(), pattern);
  default:
    break;
  }
  const QString text = value.toString();
  if (pattern.isEmpty())
    return text;
  if (IsNumberPattern(pattern)) {
    if (auto number = CDbl(text))
      return Format(*number, pattern);
    return text;
  }
  if (auto date = CDate(text))
    return Format(*date, pattern);
  return text;
}

QString CStr(double value) {
  if (std::isnan(value))
    return QStringLiteral("NaN");
  if (std::isinf(value))
    return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
  if (value == 0)
    return QStringLiteral("0");
  const std::string sci = Scientific(value, 14);
  const auto ePos = sci.find('e');
  const bool negative = sci[0] == '-';
  std::string digits;
  for (size_t k = negative ? 1 : 0; k < ePos; ++k)
    if (sci[k] != '.')
      digits += sci[k];
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();
  const int exponent = std::stoi(sci.substr(ePos + 1));

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    // Scientific as the run time writes it: "1E+20", "1.5E-17".
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    const int a = std::abs(exponent);
    out += exponent < 0 ? "E-" : "E+";
    if (a < 10)
      out += '0';
    out += std::to_string(a);
  } else if (exponent < 0) {
    out += "0.";
    out += std::string(size_t(-exponent - 1), '0');
    out += digits;
  } else if (size_t(exponent + 1) >= digits.size()) {
    out += digits;
    out += std::string(size_t(exponent + 1) - digits.size(), '0');
  } else {
    out += digits.substr(0, size_t(exponent + 1));
    out += '.';
    out += digits.substr(size_t(exponent + 1));
  }
  return QString::fromLatin1(out);
}

QString CStr(const QDateTime& value) {
  if (!value.isValid())
    return QString();
  const QTime t = value.time();
  const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
  if (value.date() == QDate(1899, 12, 30) && !midnight)
    return Format(value, QStringLiteral("hh:nn:ss"));
  if (midnight)
    return Format(value, QStringLiteral("yyyy-mm-dd"));
  return Format(value, QStringLiteral("yyyy-mm-dd hh:nn:ss"));
}

QString Trim(const QString& text) {
  qsizetype from = 0, to = text.size();
  while (from < to && text[from] == u' ')
    ++from;
  while (to > from && text[to - 1] == u' ')
    --to;
  return text.mid(from, to - from);
}

QString TextKey(const QString& text) {
  // The tree looks a group up by key for every loaded record: most texts (Chinese, lower case)
  // have no capital to fold and are returned shared, without a copy.
  const auto isUpper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
  qsizetype i = std::find_if(text.cbegin(), text.cend(), isUpper) - text.cbegin();
  if (i == text.size())
    return text;
  QString key = text;
  for (; i < key.size(); ++i)
    if (isUpper(key[i]))
      key[i] = QChar(key[i].unicode() - u'A' + u'a');
  return key;
}

} // namespace vb
