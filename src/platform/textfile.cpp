#include "platform/textfile.h"

#include "platform/errortext.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

// GB18030 comes from ICU through Qt's converters (QStringConverter has no enum value for it).
constexpr const char* kGb18030 = "GB18030";

// The GB18030 bytes of every BMP character but the surrogates, taken once from the converter in one
// call: a value below 0x100 is one byte, below 0x10000 two, else four, most significant first.
// Empty when the converter's output does not split into one code per character.
std::vector<quint32> EncodeTable() {
  QString all;
  for (char32_t c = 0; c < 0x10000; ++c)
    if (!QChar::isSurrogate(c)) all += QChar(c);
  QStringEncoder gb(kGb18030, QStringConverter::Flag::Stateless);
  const QByteArray bytes = gb.encode(all);
  std::vector<quint32> table(0x10000);
  const auto* in = reinterpret_cast<const uchar*>(bytes.constData());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (QChar::isSurrogate(c)) continue;
    if (i >= n) return {};
    const uchar b = in[i];
    const int length = b < 0x80 ? 1 : (i + 1 < n && in[i + 1] >= '0' && in[i + 1] <= '9') ? 4 : 2;
    if (b == 0x80 || b == 0xFF || i + length > n) return {};
    quint32 code = 0;
    for (int k = 0; k < length; ++k) code = (code << 8) | in[i + k];
    table[c] = code;
    i += length;
  }
  if (i != n) return {};
  return table;
}

// The GB18030 code of a character, through the table: its bytes, most significant first.
const std::vector<quint32>& Gb18030Table() {
  static const std::vector<quint32> table = EncodeTable();
  return table;
}

quint32 Gb18030Code(char32_t c) {
  const std::vector<quint32>& table = Gb18030Table();
  return c < table.size() ? table[c] : 0;
}

// Whether a character (U+0800 and up) belongs to ordinary Chinese text: the 3755 common Chinese
// characters, the punctuation and the full-width forms of GB2312 (rows 16-55, 1 and 3). GB18030
// text read as UTF-8 seldom turns into several of them.
bool IsOrdinaryChinese(char32_t c) {
  const quint32 code = Gb18030Code(c);
  const quint32 row = code >> 8, cell = code & 0xFF;
  return c >= 0x800 && code <= 0xFFFF && cell >= 0xA1 && cell <= 0xFE &&
         (row == 0xA1 || row == 0xA3 || (row >= 0xB0 && row <= 0xD7));
}

// The characters of GB2312 (rows 1-9 and 16-87 of its two-byte codes). Text a person writes in
// Chinese seldom leaves them; UTF-8 Chinese read as GB18030 nearly always does.
bool IsGb2312(char16_t c) {
  const quint32 code = Gb18030Code(c);
  const quint32 row = code >> 8, cell = code & 0xFF;
  return code <= 0xFFFF && cell >= 0xA1 && cell <= 0xFE &&
         ((row >= 0xA1 && row <= 0xA9) || (row >= 0xB0 && row <= 0xF7));
}

// What bytes read as UTF-8 (strictly: no overlong forms, no surrogates) would be.
struct Utf8Reading {
  bool valid = true;
  bool ascii = true;
  qsizetype ordinary = 0;  // characters of ordinary Chinese text
  qsizetype other = 0;     // the other characters beyond ASCII
};

Utf8Reading ReadAsUtf8(QByteArrayView bytes) {
  Utf8Reading reading;
  const auto invalid = [&reading] {
    reading.valid = false;
    return reading;
  };
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const uchar lead = uchar(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    reading.ascii = false;
    int length;
    char32_t cp;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
    } else {
      return invalid();
    }
    if (i + length > n) return invalid();
    for (int k = 1; k < length; ++k) {
      const uchar next = uchar(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return invalid();
      cp = (cp << 6) | (next & 0x3F);
    }
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return invalid();
    ++(IsOrdinaryChinese(cp) ? reading.ordinary : reading.other);
    i += length;
  }
  return reading;
}

// The two-byte characters of GB18030 (lead 0x81-0xFE, trail 0x40-0xFE but 0x7F), taken once from
// the converter: read through the table, short texts cost no converter call each.
constexpr int kTrails = 0xFF - 0x40;
std::vector<char16_t> DoubleByteTable() {
  std::vector<char16_t> table(size_t(0xFF - 0x81) * kTrails);
  QStringDecoder gb(kGb18030, QStringConverter::Flag::Stateless);
  for (int lead = 0x81; lead < 0xFF; ++lead)
    for (int trail = 0x40; trail < 0xFF; ++trail) {
      const char pair[2] = {char(lead), char(trail)};
      const QString c = gb.decode(QByteArrayView(pair, 2));
      if (trail != 0x7F && c.size() == 1 && c[0] != QChar(0xFFFD))
        table[size_t(lead - 0x81) * kTrails + size_t(trail - 0x40)] = c[0].unicode();
    }
  return table;
}

// GB18030 as code page 936 files use it too: a 0x80 byte where a character starts is the euro sign
// there (GB18030 has the euro elsewhere and no 0x80 character). A byte that starts no character
// reads as the lone surrogate U+DC00 + byte, which no text read from a file can hold otherwise: a
// reader can refuse it and still take a U+FFFD of the file as text. `broken` tells whether any did.
QString DecodeGb18030(QByteArrayView bytes, bool& broken) {
  static const std::vector<char16_t> pairs = DoubleByteTable();
  broken = false;
  const qsizetype n = bytes.size();
  const uchar* in = reinterpret_cast<const uchar*>(bytes.data());
  QString text(n, Qt::Uninitialized);  // never more characters than bytes
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  qsizetype length = 0;
  for (qsizetype i = 0; i < n;) {
    const uchar b = in[i];
    const uchar next = i + 1 < n ? in[i + 1] : 0;
    char16_t c = 0;
    if (b < 0x80)
      c = b;
    else if (b == 0x80)
      c = 0x20AC;
    else if (b < 0xFF && next >= 0x40 && next < 0xFF)
      c = pairs[size_t(b - 0x81) * kTrails + size_t(next - 0x40)];
    if (c || b == 0) {
      out[length++] = c;
      i += b > 0x80 ? 2 : 1;
      continue;
    }
    // Four-byte characters (lead, digit, lead, digit) go through the converter. A broken byte is
    // marked alone, so it never swallows the start of the next character.
    const auto isDigit = [](uchar d) { return d >= '0' && d <= '9'; };
    if (b < 0xFF && i + 3 < n && isDigit(next) && in[i + 2] > 0x80 && in[i + 2] < 0xFF && isDigit(in[i + 3])) {
      QStringDecoder gb(kGb18030, QStringConverter::Flag::Stateless);
      const QString piece = gb.decode(bytes.sliced(i, 4));
      if (!gb.hasError() && !piece.isEmpty() && piece.size() <= 4) {
        std::copy(piece.utf16(), piece.utf16() + piece.size(), out + length);
        length += piece.size();
        i += 4;
        continue;
      }
    }
    out[length++] = char16_t(0xDC00 + b);
    broken = true;
    ++i;
  }
  text.truncate(length);
  return text;
}

// Whether GB18030 text holds a character beyond GB2312.
bool LeavesGb2312(const QString& text) {
  return std::any_of(text.begin(), text.end(),
                     [](QChar c) { return c.unicode() >= 0x80 && !IsGb2312(c.unicode()); });
}

} // namespace

QByteArray EncodeText(const QString& text) {
  const std::vector<quint32>& table = Gb18030Table();
  QStringEncoder encoder(kGb18030);
  if (!encoder.isValid()) return QByteArray();
  if (table.empty()) return encoder.encode(text);
  const qsizetype n = text.size();
  const char16_t* in = reinterpret_cast<const char16_t*>(text.utf16());
  QByteArray bytes(n * 2, Qt::Uninitialized);  // ASCII and Chinese never need more
  qsizetype length = 0;
  for (qsizetype i = 0; i < n;) {
    const char16_t c = in[i];
    if (length + 4 > bytes.size()) bytes.resize(std::max(length + 4, bytes.size() + (n - i) * 2));
    char* out = bytes.data() + length;
    if (c < 0x80) {
      *out = char(c);
      ++length;
      ++i;
      continue;
    }
    if (!QChar::isSurrogate(c)) {
      const quint32 code = table[c];
      if (code > 0xFFFF) {
        out[0] = char(code >> 24);
        out[1] = char(code >> 16);
        out[2] = char(code >> 8);
        out[3] = char(code);
        length += 4;
      } else if (code > 0xFF) {
        out[0] = char(code >> 8);
        out[1] = char(code);
        length += 2;
      } else {
        out[0] = char(code);
        ++length;
      }
      ++i;
      continue;
    }
    // A surrogate pair goes through the converter; a lone surrogate depends on what surrounds it,
    // so the converter takes the whole text then.
    if (!QChar::isHighSurrogate(c) || i + 1 == n || !QChar::isLowSurrogate(in[i + 1]))
      return QStringEncoder(kGb18030).encode(text);
    const QByteArray piece = encoder.encode(QStringView(in + i, 2));
    bytes.resize(std::max(bytes.size(), length + piece.size() + (n - i) * 2));
    std::copy(piece.begin(), piece.end(), bytes.data() + length);
    length += piece.size();
    i += 2;
  }
  bytes.truncate(length);
  return bytes;
}

// The reading rule. Files we write are GB18030 without a byte-order mark, and must read back
// exactly, so GB18030 wins unless UTF-8 is clearly meant:
// - a UTF-8 byte-order mark means UTF-8 (when UTF-8 follows it: "锘" starts GB18030 text with the
//   mark's first two bytes);
// - bytes that are not UTF-8 are GB18030 (code page 936 included, its 0x80 the euro sign);
// - UTF-8 that is not GB18030 is UTF-8;
// - bytes that are both are UTF-8 only when that reading holds at least three characters of ordinary
//   Chinese text, no fewer than its other characters beyond ASCII, and the GB18030 reading holds a
//   character beyond GB2312. GB18030 text with fewer than five characters beyond ASCII (three
//   UTF-8 Chinese characters take nine bytes), or only GB2312 ones, therefore always reads back;
//   longer GBK text seldom lines up as UTF-8 Chinese unless it is UTF-8 Chinese misread.
QString DecodeText(const QByteArray& bytes) {
  static const QByteArray bom("\xEF\xBB\xBF");
  // fromUtf8 drops the mark itself, and only the first one: a U+FEFF after it is text.
  if (bytes.startsWith(bom) && ReadAsUtf8(QByteArrayView(bytes).sliced(bom.size())).valid)
    return QString::fromUtf8(bytes);
  const Utf8Reading utf8 = ReadAsUtf8(bytes);
  if (utf8.valid && utf8.ascii) return QString::fromLatin1(bytes);
  bool broken = false;
  const QString gb = DecodeGb18030(bytes, broken);
  if (!utf8.valid) return gb;
  const bool chinese = utf8.ordinary >= 3 && utf8.ordinary >= utf8.other;
  return broken || (chinese && LeavesGb2312(gb)) ? QString::fromUtf8(bytes) : gb;
}

namespace {

// Whether the unit at i is the mark of a broken byte: a low surrogate without its high one.
bool IsBrokenByte(QStringView text, qsizetype i) {
  return text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
}

} // namespace

bool HoldsBrokenBytes(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (IsBrokenByte(text, i)) return true;
  return false;
}

QString ShowBrokenBytes(QString text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (IsBrokenByte(text, i)) text[i] = QChar::ReplacementCharacter;
  return text;
}

TextFileResult ReadTextFile(const QString& path) {
  TextFileResult result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = FileErrorText(file);
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.error = FileErrorText(file);
    return result;
  }
  result.text = DecodeText(bytes);
  result.ok = true;
  return result;
}

QString WriteTextFile(const QString& path, const QString& text) {
  if (!QStringEncoder(kGb18030).isValid())
    return QStringLiteral("The GB18030 text encoding is not available.");
  return WriteFileBytes(path, EncodeText(text));
}

QString WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return FileErrorText(file);
  // Flushed here: QSaveFile's commit does not notice a failure of the final flush of a small
  // buffered write, and would put a cut-off file in place of the old one.
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    const QString reason = FileErrorText(file);
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return FileErrorText(file);
  return QString();
}

} // namespace platform
