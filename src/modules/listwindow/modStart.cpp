#include "modules/listwindow/modStart.h"

#include "modules/listwindow/Options.h"
#include "platform/ui.h"
#include "platform/vb.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <QWidget>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define ALMANOR_SSSE3_RUNS 1
#endif

namespace modStart {

namespace {

QPointer<QWidget> g_mainForm;
int g_mainTop = 0;

bool MainFormIsNormal() {
  return g_mainForm && !(g_mainForm->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

// Swallows Enter (Shift+Enter too, which arrives as Enter) in a single-line field and moves to
// the next field in tab order; Ctrl and Alt combinations reach the field.
class EnterToTabFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    if (auto* w = qobject_cast<QWidget*>(watched)) {
      if (QWidget* next = w->nextInFocusChain()) {
        // Skip children of the field itself (a combo box's line edit) and unfocusable widgets.
        while (next != w && (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() ||
                             !next->isEnabled() || w->isAncestorOf(next) || next->isAncestorOf(w)))
          next = next->nextInFocusChain();
        if (next != w) next->setFocus(Qt::TabFocusReason);
      }
    }
    return true;
  }
};

class SelectAllFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) {
      // After the focus event the line edit places the caret itself; select once it is done.
      QPointer<QLineEdit> txt = qobject_cast<QLineEdit*>(watched);
      QTimer::singleShot(0, txt, [txt] {
        if (txt) SelectAllText(txt);
      });
    }
    return false;
  }
};

} // namespace

datastore::clsDate& objDate() {
  static datastore::clsDate date;
  return date;
}

void SetMainForm(QWidget* mainForm) {
  g_mainForm = mainForm;
  if (mainForm) g_mainTop = mainForm->y();
}

QWidget* MainForm() { return g_mainForm; }

void RecordMainTop(int top) { g_mainTop = top; }

void HideMainForm() {
  if (!MainFormIsNormal() || !platform::GetSetting(options::HideMain)) return;
  g_mainForm->move(g_mainForm->x(), -(g_mainForm->frameGeometry().height() + 100));
}

void ShowMainForm() {
  if (!MainFormIsNormal() || !platform::GetSetting(options::HideMain)) return;
  g_mainForm->move(g_mainForm->x(), g_mainTop);
}

void OpenWebPage(QString Url) {
  if (Url.isEmpty()) Url = datastore::clsSystem::AppUrl();
  // The opener would take a leading "-" as one of its options.
  if (Url.startsWith(u'-')) {
    platform::MsgBox("网址 " + Url + " 以“-”开头，不是有效的网址，无法打开。", platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, "格式错误");
    return;
  }
  // A handler that cannot open the address is reported rather than ignored.
  if (!platform::ShellOpen(Url))
    platform::MsgBox("打开 " + Url + " 网址时发生错误，" + "没有可以打开该地址的程序。", platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
}

void SetTopMost(QWidget* frm, bool CheckOption) {
  if (!frm) return;
  if (CheckOption && !platform::GetSetting(options::Most)) return;
  const bool visible = frm->isVisible();
  frm->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // Changing window flags hides a shown window; show it again as it was.
  if (visible) frm->show();
}

QString FormatFileSize(double Size) {
  if (Size < 1024) return vb::Format(Size, "#0.00") + " 字节";
  if (Size < 1048576) return vb::Format(Size / 1024, "#0.00") + " KB";
  if (Size < 1073741824) return vb::Format(Size / 1048576, "#0.00") + " MB";
  return vb::Format(Size / 1073741824, "#0.00") + " GB";
}

void EnterToTab(QWidget* field) {
  if (field) field->installEventFilter(new EnterToTabFilter(field));
}

void SelectAllText(QLineEdit* txt) {
  if (txt) txt->setSelection(0, txt->text().length());
}

void SelectAllOnFocus(QLineEdit* txt) {
  if (txt) txt->installEventFilter(new SelectAllFilter(txt));
}

qsizetype ShortenedLength(QStringView trimmed) {
  if (trimmed.length() <= 200) return -1;
  // Never half a character: a pair of surrogates stays whole or goes whole.
  return trimmed.at(199).isHighSurrogate() ? 199 : 200;
}

QString ShortenText(const QString& Text) {
  const QString trimmed = vb::Trim(Text);
  const qsizetype cut = ShortenedLength(trimmed);
  return cut < 0 ? trimmed : trimmed.left(cut) + " ...";
}

namespace {

// 200 units take at most 600 bytes, so 606 hold the first 201 whole: a longer text is cut anyway.
constexpr qsizetype kExcerptBytes = 3 * 202;

} // namespace

// A byte gives at most one UTF-16 unit.
qsizetype Utf8Room(QByteArrayView bytes) { return bytes.size() + 1; }

qsizetype ExcerptRoom(QByteArrayView bytes) { return qMin(bytes.size(), kExcerptBytes) + 5; }

namespace {

#if defined(ALMANOR_SSSE3_RUNS)
// Runs of three-byte characters decoded a block at a time while each is U+1000..U+CFFF (lead byte
// E1..EC: the common Chinese characters, CJK punctuation) or U+FF00..U+FFBF (EF BC..BE: full-width
// punctuation), every one ordinary; where the processor has SSSE3's byte shuffle, or AVX2 (the
// build itself assumes only SSE2). Four characters (twelve bytes) to a 16-byte half. A block that
// holds another character is decoded up to it, and the run ends there.
struct alignas(32) RunTables {
  // Twice each: for each half of a 32-byte register.
  uchar shapeMask[32], shape[32], notLeads[32], tails[32], heads[32];
};
constexpr RunTables MakeRunTables() {
  RunTables t{};
  for (int i = 0; i < 32; ++i) {
    const int at = i % 16, inChar = at % 3;
    const bool used = at < 12;
    t.shapeMask[i] = !used ? 0 : inChar == 0 ? 0xF0 : 0xC0;
    t.shape[i] = !used ? 0 : inChar == 0 ? 0xE0 : 0x80;
    t.notLeads[i] = used && inChar == 0 ? 0 : 0xFF;
    // Each character's last two bytes as one 16-bit lane (second byte high), and its lead byte.
    t.tails[i] = at < 8 ? uchar(at / 2 * 3 + (at % 2 ? 1 : 2)) : 0x80;
    t.heads[i] = at < 8 && at % 2 == 0 ? uchar(at / 2 * 3) : 0x80;
  }
  return t;
}
constexpr RunTables kRun = MakeRunTables();

// How many whole characters lie before the first byte that fails, given the block's mask of
// bytes that pass (a half's last four bytes always pass).
inline int GoodCharacters(unsigned passing) {
  const int bad = __builtin_ctz(~passing);
  return bad < 16 ? bad / 3 : 4 + (bad - 16) / 3;
}

__attribute__((target("ssse3"))) const uchar* DecodeThreeByteRun(const uchar* p, const uchar* end, char16_t*& out) {
  const auto table = [](const uchar* bytes) { return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes)); };
  for (; end - p >= 16;) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i shaped = _mm_cmpeq_epi8(_mm_and_si128(v, table(kRun.shapeMask)), table(kRun.shape));
    const __m128i e1 = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0xE1)));
    const __m128i common = _mm_cmpeq_epi8(_mm_min_epu8(e1, _mm_set1_epi8(11)), e1);
    const __m128i bc = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0xBC)));
    const __m128i fullWidth = _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xEF))),
                                            _mm_srli_si128(_mm_cmpeq_epi8(_mm_min_epu8(bc, _mm_set1_epi8(2)), bc), 1));
    const __m128i leads = _mm_or_si128(_mm_or_si128(common, fullWidth), table(kRun.notLeads));
    const unsigned passing = unsigned(_mm_movemask_epi8(_mm_and_si128(shaped, leads))) | 0xFFFF0000u;
    const __m128i tail = _mm_shuffle_epi8(v, table(kRun.tails));
    const __m128i low = _mm_and_si128(tail, _mm_set1_epi16(0x3F));
    const __m128i middle = _mm_srli_epi16(_mm_and_si128(tail, _mm_set1_epi16(0x3F00)), 2);
    const __m128i high = _mm_slli_epi16(_mm_shuffle_epi8(v, table(kRun.heads)), 12);
    // Written whole: the room left is at least a unit per byte left.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_or_si128(low, middle), high));
    const int good = passing == 0xFFFFFFFFu ? 4 : GoodCharacters(passing);
    p += 3 * good;
    out += good;
    if (good < 4) break;
  }
  return p;
}

__attribute__((target("avx2"))) const uchar* DecodeThreeByteRunAvx2(const uchar* p, const uchar* end, char16_t*& out) {
#define TABLE(name) _mm256_load_si256(reinterpret_cast<const __m256i*>(kRun.name))
  for (; end - p >= 28;) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    const __m256i shaped = _mm256_cmpeq_epi8(_mm256_and_si256(v, TABLE(shapeMask)), TABLE(shape));
    const __m256i e1 = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(0xE1)));
    const __m256i common = _mm256_cmpeq_epi8(_mm256_min_epu8(e1, _mm256_set1_epi8(11)), e1);
    const __m256i bc = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(0xBC)));
    const __m256i fullWidth =
        _mm256_and_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xEF))),
                         _mm256_srli_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(bc, _mm256_set1_epi8(2)), bc), 1));
    const __m256i leads = _mm256_or_si256(_mm256_or_si256(common, fullWidth), TABLE(notLeads));
    const auto passing = unsigned(_mm256_movemask_epi8(_mm256_and_si256(shaped, leads)));
    const __m256i tail = _mm256_shuffle_epi8(v, TABLE(tails));
    const __m256i low = _mm256_and_si256(tail, _mm256_set1_epi16(0x3F));
    const __m256i middle = _mm256_srli_epi16(_mm256_and_si256(tail, _mm256_set1_epi16(0x3F00)), 2);
    const __m256i high = _mm256_slli_epi16(_mm256_shuffle_epi8(v, TABLE(heads)), 12);
    // The first eight bytes of each half together, written whole: the room left is at least a
    // unit per byte left.
    const __m256i units = _mm256_permute4x64_epi64(_mm256_or_si256(_mm256_or_si256(low, middle), high), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(units));
    const int good = passing == 0xFFFFFFFFu ? 8 : GoodCharacters(passing);
    p += 3 * good;
    out += good;
    if (good < 8) return p;
  }
#undef TABLE
  return DecodeThreeByteRun(p, end, out);
}

using RunDecoder = const uchar* (*)(const uchar*, const uchar*, char16_t*&);
const RunDecoder g_decodeRun = __builtin_cpu_supports("avx2")    ? DecodeThreeByteRunAvx2
                               : __builtin_cpu_supports("ssse3") ? DecodeThreeByteRun
                                                                 : nullptr;
#endif

} // namespace

// The well-formed sequences of ordinary characters are decoded here, a few times quicker than
// the general decoder; from the first byte that starts anything else (a malformed sequence, a
// noncharacter) Qt's decoder takes the rest, so such bytes decode as they always did.
QChar* AppendUtf8(QChar* out, QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const uchar*>(bytes.data());
  const uchar* const end = p + bytes.size();
  char16_t* o = reinterpret_cast<char16_t*>(out);
  const auto follows = [](uchar b) { return (b & 0xC0) == 0x80; };
  while (p < end) {
    // Runs of three-byte characters (most of a Chinese text) take one test of the three bytes and
    // one of the character: U+0800..U+D7FF, U+E000..U+FDCF and U+FDF0..U+FFFD are ordinary.
    while (end - p >= 3) {
#if defined(ALMANOR_SSSE3_RUNS)
      // Again after each character the steps below take (a full-width comma, say).
      if (g_decodeRun && end - p >= 16) p = g_decodeRun(p, end, o);
#endif
      // Two at a time when both lead bytes are E1..EC: U+1000..U+CFFF, every one ordinary, the
      // common Chinese characters among them.
      if (end - p >= 8) {
        quint64 v;
        std::memcpy(&v, p, sizeof v);
        if ((v & 0xC0C0F0C0C0F0ull) == 0x8080E08080E0ull && unsigned(v & 0x0F) - 1 < 12 &&
            unsigned(v >> 24 & 0x0F) - 1 < 12) {
          o[0] = char16_t((v & 0x0F) << 12 | (v & 0x3F00) >> 2 | (v >> 16 & 0x3F));
          o[1] = char16_t((v >> 24 & 0x0F) << 12 | (v >> 32 & 0x3F) << 6 | (v >> 40 & 0x3F));
          o += 2;
          p += 6;
          continue;
        }
      }
      const char32_t w = char32_t(p[0]) | char32_t(p[1]) << 8 | char32_t(p[2]) << 16;
      if ((w & 0xC0C0F0) != 0x8080E0) break;
      const char16_t c = char16_t((w & 0x0F) << 12 | (w & 0x3F00) >> 2 | (w >> 16 & 0x3F));
      if (char16_t(c - 0x800) >= 0xD800 - 0x800 && char16_t(c - 0xE000) >= 0xFDD0 - 0xE000 &&
          char16_t(c - 0xFDF0) >= 0xFFFE - 0xFDF0)
        break;
      *o++ = c;
      p += 3;
    }
#if defined(__SSE2__)
    // ASCII sixteen bytes at a time.
    for (; end - p >= 16; p += 16, o += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      if (_mm_movemask_epi8(bytes) != 0) break;
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(bytes, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    while (p < end && *p < 0x80) *o++ = *p++;
    if (p == end) break;
    const uchar b = *p;
    if (b < 0x80) {
      *o++ = b;
      ++p;
    } else if (b >= 0xC2 && b <= 0xDF && end - p >= 2 && follows(p[1])) {
      *o++ = char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else if (b >= 0xE0 && b <= 0xEF && end - p >= 3 && follows(p[1]) && follows(p[2])) {
      const char16_t c = char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
      // Overlong forms, surrogates and the noncharacters U+FDD0..U+FDEF, U+FFFE, U+FFFF go on.
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) || c >= 0xFFFE) break;
      *o++ = c;
      p += 3;
    } else if (b >= 0xF0 && b <= 0xF4 && end - p >= 4 && follows(p[1]) && follows(p[2]) && follows(p[3])) {
      const char32_t c = char32_t(b & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
                         char32_t(p[3] & 0x3F);
      if (c < 0x10000 || c > 0x10FFFF || (c & 0xFFFE) == 0xFFFE) break;
      *o++ = QChar::highSurrogate(c);
      *o++ = QChar::lowSurrogate(c);
      p += 4;
    } else {
      break;
    }
  }
  out = reinterpret_cast<QChar*>(o);
  if (p == end) return out;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return utf8.appendToBuffer(out, QByteArrayView(p, end));
}

QChar* AppendExcerpt(QChar* out, QByteArrayView bytes) {
  while (!bytes.isEmpty() && bytes.front() == ' ') bytes = bytes.sliced(1);
  while (!bytes.isEmpty() && bytes.back() == ' ') bytes.chop(1);
  QChar* const start = out;
  out = AppendUtf8(out, bytes.first(qMin(bytes.size(), kExcerptBytes)));
  const qsizetype cut = ShortenedLength(QStringView(start, out));
  if (cut < 0) return out;
  out = start + cut;
  for (const QChar c : QStringView(u" ...")) *out++ = c;
  return out;
}

} // namespace modStart
