#include "modules/listwindow/WordMatcher.h"

#include <QChar>
#include <algorithm>
#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <utility>

namespace listwindow {

namespace {

// The simple case folding of every UTF-16 unit; a surrogate stands for itself, as no folding of
// a character beyond the BMP gives a unit of the BMP.
const std::array<char16_t, 65536>& Folding() {
  static const std::array<char16_t, 65536> table = [] {
    std::array<char16_t, 65536> t{};
    for (size_t u = 0; u < t.size(); ++u) {
      const QChar c(static_cast<char16_t>(u));
      t[u] = c.isSurrogate() ? c.unicode() : c.toCaseFolded().unicode();
    }
    return t;
  }();
  return table;
}

// Every unit with its folding, by folding: the units that fold alike stand together.
const std::vector<std::pair<char16_t, char16_t>>& ByFolding() {
  static const std::vector<std::pair<char16_t, char16_t>> pairs = [] {
    std::vector<std::pair<char16_t, char16_t>> p;
    const auto& fold = Folding();
    for (size_t u = 0; u < fold.size(); ++u) p.emplace_back(fold[u], static_cast<char16_t>(u));
    std::sort(p.begin(), p.end());
    return p;
  }();
  return pairs;
}

} // namespace

WordMatcher::WordMatcher(const QString& word) : word_(word) {
  surrogates_ = std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSurrogate(); });
  if (surrogates_ || word.isEmpty()) return;
  const auto& fold = Folding();
  for (const QChar c : word) folded_.push_back(fold[c.unicode()]);
  const auto& pairs = ByFolding();
  for (auto it = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(folded_[0], char16_t(0)));
       it != pairs.end() && it->first == folded_[0]; ++it)
    firsts_.push_back(it->second);
}

bool WordMatcher::Matches(QStringView text) const {
  if (surrogates_) return text.contains(word_, Qt::CaseInsensitive);
  const qsizetype n = qsizetype(folded_.size());
  if (n == 0) return true;
  const qsizetype last = text.size() - n;  // the last place the word can start
  if (last < 0) return false;
  const char16_t* const s = text.utf16();
  const auto& fold = Folding();
  const auto restMatches = [&](qsizetype p) {
    for (qsizetype k = 1; k < n; ++k)
      if (fold[s[p + k]] != folded_[size_t(k)]) return false;
    return true;
  };
  qsizetype p = 0;
#if defined(__SSE2__)
  // Most words have one to three foldings of their first unit; any other number goes unit by unit.
  if (firsts_.size() <= 3) {
    const __m128i a = _mm_set1_epi16(short(firsts_[0]));
    const __m128i b = _mm_set1_epi16(short(firsts_[firsts_.size() > 1 ? 1 : 0]));
    const __m128i c = _mm_set1_epi16(short(firsts_.back()));
    for (; p + 8 <= last + 1; p += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p));
      const __m128i eq = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, a), _mm_cmpeq_epi16(v, b)), _mm_cmpeq_epi16(v, c));
      // Two mask bits per unit.
      for (unsigned mask = unsigned(_mm_movemask_epi8(eq)); mask; mask &= mask - 1) {
        const qsizetype at = p + __builtin_ctz(mask) / 2;
        mask &= mask - 1;
        if (restMatches(at)) return true;
      }
    }
  }
#endif
  for (; p <= last; ++p)
    if (fold[s[p]] == folded_[0] && restMatches(p)) return true;
  return false;
}

} // namespace listwindow
