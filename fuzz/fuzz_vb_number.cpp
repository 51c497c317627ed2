// The number conversions: a numeric text is a finite double that IsNumeric accepts, and the
// default text of a double reads back (to its 15 digits) as the ledger's record file needs. The
// input is a text; its first eight bytes are also taken as a double.
#include "check.h"
#include "platform/vb.h"

#include <QLocale>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

void CheckDefaultText(double value) {
  if (!std::isfinite(value)) return;
  const QString text = vb::CStr(value);
  const std::optional<double> back = vb::CDbl(text);
  // The 15 digits of the largest doubles round up past the largest double, as in the run time.
  if (std::fabs(value) < 1e308) {
    FUZZ_CHECK(back, text);
    FUZZ_CHECK(*back == value || std::fabs(*back - value) <= std::fabs(value) * 1e-14, text);
  }
  // The record file writes the shortest form when the default text loses digits; it reads back exact.
  const QString shortest = QString::number(value, 'g', QLocale::FloatingPointShortest);
  FUZZ_CHECK(vb::CDbl(shortest) == value, shortest);
  FUZZ_CHECK(vb::Val(shortest) == value, shortest);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<double> number = vb::CDbl(text);
  FUZZ_CHECK(vb::IsNumeric(text) == number.has_value(), text);
  const double val = vb::Val(text);
  FUZZ_CHECK(std::isfinite(val), text);
  if (number) {
    FUZZ_CHECK(std::isfinite(*number), text);
    CheckDefaultText(*number);
  }
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckDefaultText(raw);
  }
  return 0;
}
