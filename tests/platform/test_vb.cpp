// The run-time conversions every dialog validates with.
#include "platform/vb.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace vb;

namespace {

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return MakeDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Beyond the largest double: no amount may read as infinity.
const std::string kHugeHex = "&H" + std::string(300, 'F');

} // namespace

TEST(VbDate, AcceptsTheFormsUsersType) {
  const struct {
    const char* text;
    QDateTime expected;
  } cases[] = {
      {"2024-05-01", At(2024, 5, 1)},
      {"2024/5/1", At(2024, 5, 1)},
      {"2024.5.1", At(2024, 5, 1)},
      {"2024-5-1 9:30", At(2024, 5, 1, 9, 30)},
      {"2024-05-01 09:30:05", At(2024, 5, 1, 9, 30, 5)},
      {"2024/05/01 9:30:15", At(2024, 5, 1, 9, 30, 15)},
      {"2024年5月1日", At(2024, 5, 1)},
      {"2024年05月01日 9:30", At(2024, 5, 1, 9, 30)},
      {"2024年5月1日  9时30分", At(2024, 5, 1, 9, 30)},
      {"2024年5月1日9时30分", At(2024, 5, 1, 9, 30)},
      {"2024年5月1日9:30", At(2024, 5, 1, 9, 30)},
      {"2024年5月1日9时30分15秒", At(2024, 5, 1, 9, 30, 15)},
      {"2024-5-1 9时30分15秒", At(2024, 5, 1, 9, 30, 15)},
      {"  2024-05-01  ", At(2024, 5, 1)},
      {"2024-02-29", At(2024, 2, 29)},
      {"2024-12-31 23:59:59", At(2024, 12, 31, 23, 59, 59)},
      {"9:30", At(1899, 12, 30, 9, 30)},
      {"0:00:00", At(1899, 12, 30)},
      // Short forms: two-digit years 00-29 are 20xx, 30-99 19xx; month and day alone are this year.
      {"24-5-1", At(2024, 5, 1)},
      {"26/12/7", At(2026, 12, 7)},
      {"30-1-1", At(1930, 1, 1)},
      {"00/2/29 9:30", At(2000, 2, 29, 9, 30)},
      {"24年5月1日", At(2024, 5, 1)},
      {"5/1", At(2023, 5, 1)},
      {"12-7", At(2023, 12, 7)},
      {"5月1日 9:30", At(2023, 5, 1, 9, 30)},
      {"2024-5-1 9:30 PM", At(2024, 5, 1, 21, 30)},
      {"2024-5-1 下午9:30", At(2024, 5, 1, 21, 30)},
      {"2024-5-1 上午 9:30:15", At(2024, 5, 1, 9, 30, 15)},
      {"2024-5-1 12:05am", At(2024, 5, 1, 0, 5)},
      {"12:00 PM", At(1899, 12, 30, 12)},
      {"下午3时5分", At(1899, 12, 30, 15, 5)},
      // Month/day/year, a month's first day, and what Chinese input methods type.
      {"5/1/2024", At(2024, 5, 1)},
      {"12/31/2024 9:30", At(2024, 12, 31, 9, 30)},
      {"2024-5", At(2024, 5, 1)},
      {"2024/05 9:30", At(2024, 5, 1, 9, 30)},
      {"2024年5月", At(2024, 5, 1)},
      {"２０２４－５－１", At(2024, 5, 1)},
      {"２４年５月１日", At(2024, 5, 1)},
      {"　２０２４／５／１　９：３０", At(2024, 5, 1, 9, 30)},
  };
  platform::SetNow(At(2023, 6, 15, 10));
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    SCOPED_TRACE(c.text);
    EXPECT_TRUE(IsDate(text));
    const auto value = CDate(text);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, c.expected);
    EXPECT_EQ(value->timeSpec(), Qt::UTC);
  }
  platform::SetNow(QDateTime());
}

TEST(VbDate, RefusesWhatIsNoDate) {
  const char* cases[] = {
      "",          " ",          "abc",           "2024-02-30",      "2023-02-29",  "2024-13-01",
      "2024-00-10", "2024-05-00", "25:00",        "2024-05-01 25:00", "9:60",       "9:30:60",
      "2024.5",     "2024-05-01x", "2024-05-01 abc",     "2024年5月1",  "12ab",
      "2024年5月1日abc", "2024年5月1日25:00", "2024年2月30日9:30", "2024-05-019:30",
      "20240501",   "1e3",        "2024--05-01",     "2024-05-001",
      "12",         "1.5",        "13/45",           "2/29",        "12.7",        "24.5.1",
      "1/2/3",      "123-5-1",    "5/1/",            "13:00 PM",    "9:30 XM",     "PM",
      "2024-5-1 PM", "下午",       "9:30 PM AM",      "下午9:30 PM", "5月1日8",     "24年5月",
      "１２",       "13/45/2024", "5/1/24",        "5/1/20245",       "2024年13月",  "2024-5-",
  };
  platform::SetNow(MakeDateTime(QDate(2023, 6, 15)));
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    EXPECT_FALSE(IsDate(QString::fromUtf8(c)));
    EXPECT_FALSE(CDate(QString::fromUtf8(c)).has_value());
  }
  platform::SetNow(QDateTime());
}

TEST(VbNumber, IsNumericAndCDbl) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"1,000", 1000},    {" 12.5 ", 12.5},   {"-3", -3},         {"1e3", 1000},    {"+4", 4},
      {".5", 0.5},        {"1.", 1},          {"1,234,567.25", 1234567.25},       {"2.5E-1", 0.25},
      {"1d2", 100},       {"&HFF", 255},      {"&h10", 16},       {"&O17", 15},     {"0", 0},
      {"\t7\t", 7},
      {"12ab", std::nullopt}, {"", std::nullopt}, {" ", std::nullopt}, {"1-", std::nullopt},
      {"abc", std::nullopt},  {".", std::nullopt}, {"-", std::nullopt}, {"1e", std::nullopt},
      {",100", std::nullopt}, {"100,", std::nullopt}, {"1.2.3", std::nullopt}, {"1 2", std::nullopt},
      {"&H", std::nullopt},   {"&HFG", std::nullopt}, {"2024-05-01", std::nullopt},
      {kHugeHex.c_str(), std::nullopt}, {"1e400", std::nullopt},
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsNumeric(text), c.value.has_value());
    EXPECT_EQ(CDbl(text), c.value);
  }
}

TEST(VbNumber, ValReadsTheLeadingNumber) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"12ab", 12},  {"abc", 0},       {"", 0},         {" 1 2 ", 12},  {"3.5e2x", 350},
      {"&H10", 16},  {"-7.25 kg", -7.25}, {"1,000", 1}, {".5", 0.5},    {"1e", 1},
      {"2e+", 2},    {"--1", 0},       {"1.2.3", 1.2},  {"\t4\n2", 42}, {"+8", 8},
      {kHugeHex.c_str(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value);
  }
}

TEST(VbFormat, DatePatterns) {
  const QDateTime t = At(2024, 5, 1, 9, 7, 5);
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"yyyy-mm-dd", "2024-05-01"},
      {"yyyy年mm月dd日", "2024年05月01日"},
      {"yyyy年mm月", "2024年05月"},
      {"hh:mm", "09:07"},
      {"hhmmss", "090705"},
      {"yyyymmdd", "20240501"},
      {"yyyymmddhhmmss", "20240501090705"},
      {"yyyy-mm-dd hh:mm:ss", "2024-05-01 09:07:05"},
      {"yyyy-mm-dd hh:nn:ss", "2024-05-01 09:07:05"},
      {"yy/m/d h:n:s", "24/5/1 9:7:5"},
      {"mm:ss", "07:05"},
      {"h时m分", "9时7分"},
      {"YYYY-MM-DD", "2024-05-01"},
      {"\\d\\a\\y d", "day 1"},
      {"\"mm\" mm", "mm 05"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(Format(t, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected));
  }
  EXPECT_EQ(Format(QDateTime(), QStringLiteral("yyyy")), QString());
}

TEST(VbFormat, NumberPatterns) {
  const struct {
    double value;
    const char* pattern;
    const char* expected;
  } cases[] = {
      {30, "#0.00", "30.00"},        {1234.5, "#0.00", "1234.50"}, {3 * 2.5, "#0.00", "7.50"},
      {-1.5, "#0.00", "-1.50"},      {0, "#0.00", "0.00"},         {0.5, "#0.00", "0.50"},
      {2.675, "#0.00", "2.68"},      {1.005, "#0.00", "1.01"},     {-2.5, "0", "-3"},
      {2.5, "0", "3"},               {0.004, "#0.00", "0.00"},     {-0.004, "#0.00", "0.00"},
      {9.999, "#0.00", "10.00"},     {1234567.891, "#,##0.00", "1,234,567.89"},
      {1e20, "#0.00", "100000000000000000000.00"},                  {0.1 + 0.2, "#0.00", "0.30"},
      {0.5, "#.##", ".5"},           {5, "#.##", "5."},            {0.256, "0%", "26%"},
      {42, "0.0 元", "42.0 元"},      {-3, "0;(0)", "(3)"},         {0, "0;-0;零", "零"},
      {123, "00000", "00123"},       {1024, "#0.00 字节", "1024.00 字节"},
      {45413.5, "yyyy-mm-dd hh:nn", "2024-05-01 12:00"}, {-1.25, "yyyy-mm-dd hh:nn", "1899-12-29 06:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " " + std::to_string(c.value));
    EXPECT_EQ(Format(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected));
  }
}

// No value and no pattern may read past a buffer: a percent of a finite number beyond the double
// range is still written out, and infinities and NaN have their own text under every pattern.
TEST(VbFormat, ExtremeValuesUnderEveryPattern) {
  const QString huge = QStringLiteral("1") + QString(309, u'0');
  EXPECT_EQ(Format(1e307, QStringLiteral("0%")), huge + "%");
  EXPECT_EQ(Format(QVariant(QStringLiteral("1e307")), QStringLiteral("0.00%")), huge + ".00%");
  EXPECT_EQ(Format(-1e307, QStringLiteral("0%;(0%)")), "(" + huge + "%)");
  EXPECT_EQ(Format(0.07, QStringLiteral("0%")), "7%");
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double values[] = {1e307, -1.7976931348623157e308, 5e-324, 0.0, -0.0, inf, -inf, nan};
  const char* patterns[] = {"0%", "#,##0.00%", "%0", "0.0%%", "\\%0", "\"%\"0", "0;0%;%", "yyyy-mm-dd %",
                            "0.00E+00", "", ";", "%", ".%", ",0%", "\\"};
  for (const double v : values)
    for (const char* p : patterns) {
      SCOPED_TRACE(std::string(p) + " " + std::to_string(v));
      const QString text = Format(v, QString::fromUtf8(p));
      if (std::isnan(v)) EXPECT_EQ(text, "NaN");
      else if (std::isinf(v)) EXPECT_EQ(text, v > 0 ? "Infinity" : "-Infinity");
      else EXPECT_FALSE(text.isEmpty());
      EXPECT_EQ(Format(QVariant(v), QString::fromUtf8(p)), text);
    }
}

TEST(VbFormat, FieldValues) {
  const QString money = QStringLiteral("#0.00");
  const QString day = QStringLiteral("yyyy-mm-dd");
  EXPECT_EQ(Format(QVariant(), money), QString());
  EXPECT_EQ(Format(QVariant(QMetaType::fromType<double>()), money), QString());
  EXPECT_EQ(Format(QVariant(30), money), "30.00");
  EXPECT_EQ(Format(QVariant(7.5), money), "7.50");
  EXPECT_EQ(Format(QVariant(qint64(45413)), day), "2024-05-01");
  EXPECT_EQ(Format(QVariant(2.5), QString()), "2.5");
  EXPECT_EQ(Format(QVariant(QStringLiteral("1,000")), money), "1000.00");
  EXPECT_EQ(Format(QVariant(QStringLiteral(" 12.5 ")), money), "12.50");
  EXPECT_EQ(Format(QVariant(QStringLiteral("12ab")), money), "12ab");
  EXPECT_EQ(Format(QVariant(QString()), money), "");
  EXPECT_EQ(Format(QVariant(At(2024, 5, 1, 9, 30)), day), "2024-05-01");
  EXPECT_EQ(Format(QVariant(QDate(2024, 5, 1)), QString::fromUtf8("yyyy年mm月dd日")),
            QString::fromUtf8("2024年05月01日"));
  EXPECT_EQ(Format(QVariant(QStringLiteral("2024-05-01 09:30:00")), day), "2024-05-01");
  EXPECT_EQ(Format(QVariant(QStringLiteral("2024/5/1")), QString::fromUtf8("yyyy年mm月")),
            QString::fromUtf8("2024年05月"));
  EXPECT_EQ(Format(QVariant(QStringLiteral("not a date")), day), "not a date");
  EXPECT_EQ(Format(QVariant(QStringLiteral("2024-05-01")), money), "2024-05-01");
}

TEST(VbCStr, Numbers) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {2, "2"},           {1.5, "1.5"},        {0.1 + 0.2, "0.3"},   {-0.25, "-0.25"},
      {0, "0"},           {-0.0, "0"},         {1e20, "1E+20"},      {1.5e-20, "1.5E-20"},
      {123456789012345, "123456789012345"},    {1e15, "1E+15"},      {1.0 / 3, "0.333333333333333"},
      {0.0001, "0.0001"}, {0.000015, "1.5E-05"}, {1234.5, "1234.5"}, {7.5, "7.5"}, {-100, "-100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(CStr(c.value), QString::fromLatin1(c.expected));
  }
}

TEST(VbCStr, DatesAndTrim) {
  EXPECT_EQ(CStr(At(2024, 5, 1)), "2024-05-01");
  EXPECT_EQ(CStr(At(2024, 5, 1, 9, 30)), "2024-05-01 09:30:00");
  EXPECT_EQ(CStr(At(2024, 5, 1, 0, 0, 1)), "2024-05-01 00:00:01");
  EXPECT_EQ(CStr(*CDate(QStringLiteral("9:30"))), "09:30:00");
  EXPECT_EQ(CStr(QDateTime()), QString());
  // What CStr writes, CDate reads back.
  for (const QDateTime& t : {At(2024, 5, 1), At(1999, 12, 31, 23, 59, 59), At(2024, 2, 29, 12)})
    EXPECT_EQ(CDate(CStr(t)), t);

  EXPECT_EQ(Trim(QStringLiteral("  a b  ")), "a b");
  EXPECT_EQ(Trim(QStringLiteral("\ta \t")), "\ta \t");
  EXPECT_EQ(Trim(QStringLiteral("   ")), "");
}

TEST(VbText, KeysFoldOnlyAsciiLetters) {
  EXPECT_EQ(TextKey(QString::fromUtf8("Work 工作 ÉA-Z")), QString::fromUtf8("work 工作 Éa-z"));
  EXPECT_EQ(TextKey(QString::fromUtf8("工作 abc")), QString::fromUtf8("工作 abc"));
}
