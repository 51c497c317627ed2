// The text-file decoder: any bytes give text; a UTF-8 file with its byte-order mark reads as UTF-8;
// other bytes read as UTF-8 or as GB18030; the decoder's own GB18030 table reads valid text exactly
// as the converter does, and broken bytes as replacement characters.
#include "check.h"
#include "platform/textfile.h"

#include <QStringDecoder>
#include <cstdint>

namespace {

// GB18030 read one character at a time by the converter, with code page 936's euro sign at 0x80
// (GB18030 has no 0x80 character): the reading the decoder's table must give where it is valid.
QString ReferenceGb18030(QByteArrayView bytes) {
  const auto at = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : uchar(0); };
  const auto lead = [](uchar b) { return b > 0x80 && b < 0xFF; };
  const auto digit = [](uchar b) { return b >= '0' && b <= '9'; };
  QString text;
  for (qsizetype i = 0; i < bytes.size();) {
    const uchar b = at(i);
    const qsizetype length = !lead(b)                                              ? 1
                             : digit(at(i + 1)) && lead(at(i + 2)) && digit(at(i + 3)) ? 4
                                                                                     : 2;
    const QByteArrayView piece = bytes.sliced(i, qMin(length, bytes.size() - i));
    const QString read = b == 0x80 ? QString(QChar(0x20AC))
                                   : QStringDecoder("GB18030", QStringConverter::Flag::Stateless).decode(piece);
    text += read.isEmpty() ? QString(QChar::ReplacementCharacter) : read;
    i += piece.size();
  }
  return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = platform::DecodeText(bytes);
  FUZZ_CHECK(text.size() <= bytes.size(), bytes.toHex());

  const QString asGb = ReferenceGb18030(bytes);
  const bool gbValid = !asGb.contains(QChar::ReplacementCharacter);

  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  const QString asUtf8 = utf8.decode(bytes);
  if (utf8.hasError()) {
    // Broken bytes must show, so that an import can refuse the line instead of losing a character.
    FUZZ_CHECK(gbValid ? text == asGb : text.contains(QChar::ReplacementCharacter), bytes.toHex());
  } else if (bytes.startsWith("\xEF\xBB\xBF")) {
    FUZZ_CHECK(text == asUtf8.mid(1), bytes.toHex());
  } else {
    FUZZ_CHECK(text == asUtf8 || (gbValid && text == asGb), bytes.toHex());
  }
  return 0;
}
