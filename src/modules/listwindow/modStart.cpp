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
#include <tmmintrin.h>
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
// Four three-byte characters a step while each is U+1000..U+CFFF (lead byte E1..EC: the common
// Chinese characters, CJK punctuation) or U+FF00..U+FFBF (EF BC..BE: full-width punctuation),
// every one ordinary; where the processor has SSSE3's byte shuffle (the build itself assumes
// only SSE2). Returns where the run ends.
__attribute__((target("ssse3"))) const uchar* DecodeThreeByteRun(const uchar* p, const uchar* end, char16_t*& out) {
  const auto bytes = [](auto... b) { return _mm_setr_epi8(static_cast<char>(b)...); };
  const __m128i shapeMask = bytes(0xF0, 0xC0, 0xC0, 0xF0, 0xC0, 0xC0, 0xF0, 0xC0, 0xC0, 0xF0, 0xC0, 0xC0, 0, 0, 0, 0);
  const __m128i shape = bytes(0xE0, 0x80, 0x80, 0xE0, 0x80, 0x80, 0xE0, 0x80, 0x80, 0xE0, 0x80, 0x80, 0, 0, 0, 0);
  const __m128i notLeads = bytes(0, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF);
  // Each character's last two bytes as one 16-bit lane (second byte high), and its lead byte.
  const __m128i tails = bytes(2, 1, 5, 4, 8, 7, 11, 10, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80);
  const __m128i heads = bytes(0, 0x80, 3, 0x80, 6, 0x80, 9, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80);
  const auto within = [](__m128i v, int low, int count) {  // low <= byte < low + count, as 0xFF
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(count - 1))), d);
  };
  for (; end - p >= 16; p += 12, out += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i shaped = _mm_cmpeq_epi8(_mm_and_si128(v, shapeMask), shape);
    const __m128i fullWidth =
        _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xEF))), _mm_srli_si128(within(v, 0xBC, 3), 1));
    const __m128i leads = _mm_or_si128(_mm_or_si128(within(v, 0xE1, 12), fullWidth), notLeads);
    if (_mm_movemask_epi8(_mm_and_si128(shaped, leads)) != 0xFFFF) break;
    const __m128i tail = _mm_shuffle_epi8(v, tails);
    const __m128i low = _mm_and_si128(tail, _mm_set1_epi16(0x3F));
    const __m128i middle = _mm_srli_epi16(_mm_and_si128(tail, _mm_set1_epi16(0x3F00)), 2);
    const __m128i high = _mm_slli_epi16(_mm_shuffle_epi8(v, heads), 12);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_or_si128(low, middle), high));
  }
  return p;
}

const bool g_ssse3 = __builtin_cpu_supports("ssse3");
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
      if (g_ssse3 && end - p >= 16) p = DecodeThreeByteRun(p, end, o);
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
