// The date conversions: a text that is a date reads back from its default text and from the
// stored form unchanged (the ledger's record file and the data set depend on both), and any
// pattern formats it without fault. The input is "text" or "text\0pattern".
#include "check.h"
#include "platform/vb.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype nul = bytes.indexOf('\0');
  const QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.first(nul));
  const QString pattern = nul < 0 ? QString() : QString::fromUtf8(bytes.sliced(nul + 1));

  const std::optional<QDateTime> date = vb::CDate(text);
  FUZZ_CHECK(vb::IsDate(text) == date.has_value(), text);
  if (!date) {
    // Under a date pattern a text that is no date stays as it is.
    FUZZ_CHECK(vb::Format(QVariant(text), QStringLiteral("yyyy-mm-dd")) == text, text);
    if (!pattern.isEmpty()) vb::Format(QVariant(text), pattern);
    return 0;
  }
  FUZZ_CHECK(date->isValid() && date->timeSpec() == Qt::UTC, text);
  const QString defaultText = vb::CStr(*date);
  FUZZ_CHECK(vb::CDate(defaultText) == date, text + u'|' + defaultText);
  const QString stored = vb::Format(*date, QStringLiteral("yyyy-mm-dd hh:nn:ss"));
  FUZZ_CHECK(vb::CDate(stored) == date, text + u'|' + stored);
  FUZZ_CHECK(vb::Format(QVariant(text), QStringLiteral("yyyy-mm-dd hh:nn:ss")) == stored, text);
  if (!pattern.isEmpty()) {
    const QString formatted = vb::Format(*date, pattern);
    FUZZ_CHECK(vb::Format(QVariant(*date), pattern) == formatted, text + u'|' + pattern);
  }
  return 0;
}
