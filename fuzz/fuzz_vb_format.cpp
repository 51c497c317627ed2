// Format under any pattern, of a double (the input's first eight bytes), of a text and of a date:
// no fault, and a number pattern gives the same text for a number and for its numeric text.
// The input is eight bytes of a double, then "pattern" or "pattern\0text".
#include "check.h"
#include "platform/vb.h"

#include <QLocale>
#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(double)) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  const QByteArray rest(reinterpret_cast<const char*>(data) + sizeof value, qsizetype(size - sizeof value));
  const qsizetype nul = rest.indexOf('\0');
  const QString pattern = QString::fromUtf8(nul < 0 ? rest : rest.first(nul));
  const QString text = nul < 0 ? QString() : QString::fromUtf8(rest.sliced(nul + 1));

  const QString formatted = vb::Format(value, pattern);
  FUZZ_CHECK(vb::Format(QVariant(value), pattern) == formatted, pattern);
  if (std::isfinite(value)) {
    const QString shortest = QString::number(value, 'g', QLocale::FloatingPointShortest);
    FUZZ_CHECK(vb::Format(QVariant(shortest), pattern) == formatted || !vb::IsNumeric(shortest) ||
                   vb::Format(QVariant(shortest), pattern) == shortest,
               pattern + u'|' + shortest);
  }
  if (!text.isEmpty()) {
    vb::Format(QVariant(text), pattern);
    if (const auto date = vb::CDate(text)) vb::Format(*date, pattern);
  }
  return 0;
}
