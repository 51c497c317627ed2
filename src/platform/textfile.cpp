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

enum class Utf8Reading {
  Invalid,    // not UTF-8
  Plain,      // ASCII only: both readings agree
  Ambiguous,  // every other character is one that GB18030 text of ours can turn into (see below)
  Genuine,    // holds a character that only real UTF-8 text has
};

// Whether a character that bytes read as UTF-8 hold is one that UTF-8 text of other programs holds
// but GB18030 text read as UTF-8 hardly ever turns into: symbols, punctuation, the scripts up to
// U+33FF (kana among them), the common Chinese characters, Hangul, full-width forms and plane 1
// (emoji). A GB18030 double-byte character whose second byte lies in 0x80-0xBF reads as a two-byte
// character (U+0080-U+07FF: Latin, Greek, Cyrillic, Arabic ...); runs of them can also read as
// rare Chinese (extension A, plane 2), presentation forms or private-use characters.
bool IsUtf8TextCharacter(char32_t cp) {
  return (cp >= 0x800 && cp < 0x3400) || (cp >= 0x4E00 && cp < 0xA000) || (cp >= 0xAC00 && cp < 0xD800) ||
         (cp >= 0xFF00 && cp < 0xFFF0) || (cp >= 0x10000 && cp < 0x20000);
}

// Reads bytes as UTF-8 (strictly: no overlong forms, no surrogates) and says what kind of text it
// would be.
Utf8Reading ReadAsUtf8(QByteArrayView bytes) {
  Utf8Reading kind = Utf8Reading::Plain;
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const uchar lead = uchar(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
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
      return Utf8Reading::Invalid;
    }
    if (i + length > n) return Utf8Reading::Invalid;
    for (int k = 1; k < length; ++k) {
      const uchar next = uchar(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return Utf8Reading::Invalid;
      cp = (cp << 6) | (next & 0x3F);
    }
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return Utf8Reading::Invalid;
    if (IsUtf8TextCharacter(cp))
      kind = Utf8Reading::Genuine;
    else if (kind == Utf8Reading::Plain)
      kind = Utf8Reading::Ambiguous;
    i += length;
  }
  return kind;
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
// there (GB18030 has the euro elsewhere and no 0x80 character).
QString DecodeGb18030(QByteArrayView bytes) {
  static const std::vector<char16_t> pairs = DoubleByteTable();
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
    // Four-byte characters (lead, digit, lead, digit) and broken bytes go through the converter,
    // one broken byte at a time, so it never swallows the start of the next character. A broken
    // byte reads as a replacement character (the converter drops a cut-off one), so a reader
    // can refuse it.
    const auto isDigit = [](uchar d) { return d >= '0' && d <= '9'; };
    const bool fourBytes =
        b < 0xFF && i + 3 < n && isDigit(next) && in[i + 2] > 0x80 && in[i + 2] < 0xFF && isDigit(in[i + 3]);
    const qsizetype take = fourBytes ? 4 : 1;
    QStringDecoder gb(kGb18030, QStringConverter::Flag::Stateless);
    QString piece = gb.decode(bytes.sliced(i, take));
    if (piece.isEmpty()) piece = QChar(QChar::ReplacementCharacter);
    if (length + piece.size() > text.size()) {  // the converter gives one character per byte at most; still
      text.resize(length + piece.size() + (n - i));
      out = reinterpret_cast<char16_t*>(text.data());
    }
    std::copy(piece.utf16(), piece.utf16() + piece.size(), out + length);
    length += piece.size();
    i += take;
  }
  text.truncate(length);
  return text;
}

// Text as a person writes it: no control characters but tab and line breaks, no private-use,
// unassigned or undecodable characters.
bool IsCleanText(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c < 0xA0) || c == 0xFFFD ||
        (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000 || QChar::category(c) == QChar::Other_NotAssigned)
      return false;
  }
  return true;
}

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

} // namespace

QByteArray EncodeText(const QString& text) {
  static const std::vector<quint32> table = EncodeTable();
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

// The reading rule. Files we write are GB18030 without a byte-order mark, so:
// - a UTF-8 byte-order mark means UTF-8 (when UTF-8 follows it: "锘" starts GB18030 text with the
//   mark's first two bytes);
// - bytes that are not UTF-8 are GB18030 (code page 936 included, its 0x80 the euro sign);
// - UTF-8 holding a character that GB18030 text hardly ever turns into (common Chinese,
//   punctuation, emoji: IsUtf8TextCharacter) is UTF-8;
// - otherwise (short GB18030 texts such as "谢谢", which read as UTF-8 "лл") the text is GB18030
//   when that reading is clean text, else UTF-8. UTF-8 files of other programs that hold only
//   Latin, Greek, Cyrillic and similar letters besides ASCII need their byte-order mark.
QString DecodeText(const QByteArray& bytes) {
  static const QByteArray bom("\xEF\xBB\xBF");
  // fromUtf8 drops the mark itself, and only the first one: a U+FEFF after it is text.
  if (bytes.startsWith(bom) && ReadAsUtf8(QByteArrayView(bytes).sliced(bom.size())) != Utf8Reading::Invalid)
    return QString::fromUtf8(bytes);
  switch (ReadAsUtf8(bytes)) {
  case Utf8Reading::Plain:
    return QString::fromLatin1(bytes);
  case Utf8Reading::Genuine:
    return QString::fromUtf8(bytes);
  case Utf8Reading::Invalid:
    return DecodeGb18030(bytes);
  case Utf8Reading::Ambiguous:
    break;
  }
  const QString gb = DecodeGb18030(bytes);
  return IsCleanText(gb) ? gb : QString::fromUtf8(bytes);
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
