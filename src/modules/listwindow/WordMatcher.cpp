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

namespace {

// Every unit that folds as this one does.
std::vector<char16_t> UnitsFoldingTo(char16_t folded) {
  std::vector<char16_t> units;
  const auto& pairs = ByFolding();
  for (auto it = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(folded, char16_t(0)));
       it != pairs.end() && it->first == folded; ++it)
    units.push_back(it->second);
  return units;
}

} // namespace

WordMatcher::WordMatcher(const QString& word) : word_(word), size_(word.size()) {
  surrogates_ = std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSurrogate(); });
  if (surrogates_ || word.isEmpty()) return;
  const auto& fold = Folding();
  for (const QChar c : word) folded_.push_back(fold[c.unicode()]);
  firsts_ = UnitsFoldingTo(folded_.front());
  lasts_ = UnitsFoldingTo(folded_.back());
#if defined(__SSE2__)
  // Beside the first unit, the one of fewest comparisons is looked for (an ASCII letter's pair
  // costs one), the farthest of them: "haystack" by its "c", as "k" has three foldings.
  const auto comparisons = [](const std::vector<char16_t>& units) {
    const bool pair = units.size() >= 2 && units[0] < 0x80 && QChar(units[0]).isLetter() &&
                      std::find(units.begin(), units.end(), char16_t(units[0] | 0x20)) != units.end();
    return units.size() - (pair ? 1 : 0);
  };
  size_t second = folded_.size() - 1;
  for (size_t k = folded_.size() - 1; k >= 1 && comparisons(lasts_) > 1; --k) {
    std::vector<char16_t> units = UnitsFoldingTo(folded_[k]);
    if (comparisons(units) < comparisons(lasts_)) {
      lasts_ = std::move(units);
      second = k;
    }
  }
  filter_.second = qsizetype(second);
  vectors_ = firsts_.size() <= 3 && lasts_.size() <= 3;
  if (!vectors_) return;
  // An ASCII letter's pair as one comparison with the case bit set; each other folding alone.
  const auto side = [](std::vector<char16_t> units, __m128i& bit, __m128i& main, __m128i* others, int& count) {
    char16_t compared = units.front();
    bool letter = false;
    for (const char16_t u : units) {
      const char16_t lower = u | 0x20;
      if (u < 0x80 && lower >= u'a' && lower <= u'z' && u != lower &&
          std::find(units.begin(), units.end(), lower) != units.end()) {
        compared = lower;
        letter = true;
        units.erase(std::find(units.begin(), units.end(), lower));
        units.erase(std::find(units.begin(), units.end(), u));
        break;
      }
    }
    if (!letter) units.erase(units.begin());
    bit = _mm_set1_epi16(letter ? 0x20 : 0);
    main = _mm_set1_epi16(short(compared));
    count = int(units.size());
    for (int i = 0; i < count; ++i) others[i] = _mm_set1_epi16(short(units[size_t(i)]));
  };
  side(firsts_, filter_.firstBit, filter_.first, filter_.firstOthers, filter_.firstOtherCount);
  side(lasts_, filter_.lastBit, filter_.last, filter_.lastOthers, filter_.lastOtherCount);
#endif
}

bool WordMatcher::RestMatches(const char16_t* at) const {
  const auto& fold = Folding();
  for (size_t k = 1; k < folded_.size(); ++k)
    if (fold[at[k]] != folded_[k]) return false;
  return true;
}

bool WordMatcher::MatchesUnitByUnit(QStringView text) const {
  if (surrogates_) return text.contains(word_, Qt::CaseInsensitive);
  const qsizetype n = qsizetype(folded_.size());
  const auto& fold = Folding();
  const char16_t* const s = text.utf16();
  for (qsizetype p = 0; p <= text.size() - n; ++p)
    if (fold[s[p]] == folded_[0] && fold[s[p + n - 1]] == folded_[size_t(n - 1)] && RestMatches(s + p)) return true;
  return false;
}

} // namespace listwindow
