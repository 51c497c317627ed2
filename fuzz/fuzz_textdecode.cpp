// The text-file decoder: any bytes give text; a UTF-8 file with its byte-order mark reads as UTF-8;
// other bytes read as UTF-8 or as GB18030; the decoder's own GB18030 table reads valid text exactly
// as the converter does, broken bytes as marks a reader can refuse, and a short text we write
// reads back as written.
#include "check.h"
#include "platform/textfile.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// GB18030 read one character at a time by the converter, with code page 936's euro sign at 0x80
// (GB18030 has no 0x80 character): the reading the decoder's table must give. None when a byte
// starts no character.
std::optional<QString> ReferenceGb18030(QByteArrayView bytes) {
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
    if (b == 0x80) {
      text += QChar(0x20AC);
    } else {
      QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
      const QString read = gb.decode(piece);
      if (gb.hasError() || read.isEmpty()) return std::nullopt;
      text += read;
    }
    i += piece.size();
  }
  return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = platform::DecodeText(bytes);
  FUZZ_CHECK(text.size() <= bytes.size(), bytes.toHex());

  const std::optional<QString> asGb = ReferenceGb18030(bytes);

  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  const QString asUtf8 = utf8.decode(bytes);
  if (utf8.hasError()) {
    // Broken bytes must show, so that an import can refuse the line instead of losing a character.
    FUZZ_CHECK(asGb ? text == *asGb : platform::HoldsBrokenBytes(text), bytes.toHex());
  } else if (bytes.startsWith("\xEF\xBB\xBF")) {
    FUZZ_CHECK(text == asUtf8.mid(1), bytes.toHex());
  } else {
    FUZZ_CHECK(text == asUtf8 || (asGb && text == *asGb), bytes.toHex());
  }

  // Bytes we would write for a text with fewer than five characters beyond ASCII read as that text,
  // unless they start with the byte-order mark ("锘" and a character whose first byte is 0xBF).
  if (asGb && !bytes.startsWith("\xEF\xBB\xBF") && platform::EncodeText(*asGb) == bytes &&
      std::count_if(asGb->begin(), asGb->end(), [](QChar c) { return c.unicode() >= 0x80; }) < 5)
    FUZZ_CHECK(text == *asGb, bytes.toHex());
  return 0;
}
