#pragma once
// Finds a word in texts without regard to letter case, exactly as QStringMatcher does with
// Qt::CaseInsensitive (each UTF-16 unit compared by its simple case folding), but quicker for the
// keyword search over every node of a large tree: the word's first and last units are looked for
// at their distance eight places at a time (where SSE2 is there), each in any of its foldings,
// and only there is the rest compared, through a table of the foldings of every unit. A word with
// surrogates is matched as QStringView::contains does.

#include <QString>
#include <QStringView>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace listwindow {

class WordMatcher {
public:
  explicit WordMatcher(const QString& word);
  // Inline: it runs once per node of the tree.
  bool Matches(QStringView text) const {
    if (surrogates_) return MatchesUnitByUnit(text);
    const qsizetype last = text.size() - size_;  // the last place the word can start
    if (size_ == 0 || last < 0) return size_ == 0;
#if defined(__SSE2__)
    if (vectors_ && last >= 7) {
      const char16_t* const s = text.utf16();
      qsizetype p = 0;
      for (; p + 8 <= last + 1; p += 8)
        if (FoundAmong(s, p)) return true;
      // The last places in one more step that overlaps the one before.
      return p <= last && FoundAmong(s, last - 7);
    }
#endif
    return MatchesUnitByUnit(text);
  }

private:
  bool MatchesUnitByUnit(QStringView text) const;
  bool RestMatches(const char16_t* at) const;
#if defined(__SSE2__)
  // Whether the word starts at one of the places at..at+7, where both its first and its last
  // unit fit (each unit of two mask bits).
  bool FoundAmong(const char16_t* s, qsizetype at) const {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + size_ - 1));
    const __m128i firsts =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(a, first_[0]), _mm_cmpeq_epi16(a, first_[1])), _mm_cmpeq_epi16(a, first_[2]));
    const __m128i lasts =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(b, last_[0]), _mm_cmpeq_epi16(b, last_[1])), _mm_cmpeq_epi16(b, last_[2]));
    for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(firsts, lasts))); mask; mask &= mask - 1) {
      mask &= mask - 1;
      if (RestMatches(s + at + __builtin_ctz(mask) / 2)) return true;
    }
    return false;
  }
#endif

  QString word_;
  qsizetype size_ = 0;
  bool surrogates_ = false;
  std::vector<char16_t> folded_;  // the word, each unit folded
  std::vector<char16_t> firsts_;  // every unit that folds to the word's first
  std::vector<char16_t> lasts_;   // and to its last
#if defined(__SSE2__)
  // Most words have one to three foldings of their first and of their last unit (a word with
  // more is looked for unit by unit): each broadcast, the first ones repeated to three.
  bool vectors_ = false;
  __m128i first_[3]{};
  __m128i last_[3]{};
#endif
};

} // namespace listwindow
