#include "modules/ledger/entrytext.h"

#include "platform/vb.h"

#include <QStringDecoder>
#include <charconv>
#include <cmath>

namespace ledger {

namespace {

// Beyond this the general conversions take over (their exponent forms and long digit runs).
constexpr double kPlainLimit = 1e15;

} // namespace

QString AmountText(double value) {
  if (!(std::fabs(value) < kPlainLimit)) return vb::Format(value, QStringLiteral("#0.00"));
  // The shortest decimal form, written out without an exponent. A tiny amount's form is longer
  // than the room (4.9e-324 has 324 places); the general conversion takes it.
  char digits[64];
  const auto written = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed);
  if (written.ec != std::errc()) return vb::Format(value, QStringLiteral("#0.00"));
  const std::string_view text(digits, size_t(written.ptr - digits));
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  // Hundredths as one whole number: exact below the limit.
  qint64 hundredths = 0;
  for (const char c : whole) hundredths = hundredths * 10 + (c - '0');
  for (size_t k = 0; k < 2; ++k) hundredths = hundredths * 10 + (k < fraction.size() ? fraction[k] - '0' : 0);
  if (fraction.size() > 2 && fraction[2] >= '5') ++hundredths;
  QString out;
  if (value < 0 && hundredths != 0) out += u'-';
  out += QString::number(hundredths / 100);
  out += u'.';
  const int cents = int(hundredths % 100);
  out += QChar(u'0' + cents / 10);
  out += QChar(u'0' + cents % 10);
  return out;
}

QString QuantityText(double value) {
  // Whole numbers are most quantities, and their text is their digits.
  if (std::fabs(value) < kPlainLimit && value == std::trunc(value)) return QString::number(qint64(value));
  return vb::CStr(value);
}

QString FieldText(QByteArrayView utf8) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return decoder(utf8);
}

} // namespace ledger
