#pragma once
// Finds a word in texts without regard to letter case, exactly as QStringMatcher does with
// Qt::CaseInsensitive (each UTF-16 unit compared by its simple case folding), but quicker for the
// keyword search over every node of a large tree: the word's first unit and another (its last, or
// one of fewer foldings) are looked for at their distance eight places at a time (where SSE2 is
// there), each in any of its foldings, and only there is the rest compared, through a table of
// the foldings of every unit. A word with surrogates is matched as QStringView::contains does.

#include <QString>
#include <QStringView>
#include <type_traits>
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
      const Filter filter = filter_;
      const char16_t* const s = text.utf16();
      qsizetype p = 0;
      for (; p + 8 <= last + 1; p += 8)
        if (FoundAmong(filter, s, p)) return true;
      // The last places in one more step that overlaps the one before.
      return p <= last && FoundAmong(filter, s, last - 7);
    }
#endif
    return MatchesUnitByUnit(text);
  }

  qsizetype Size() const { return size_; }
  // Whether the word is looked for eight places a step (Candidates), else only by Matches.
  bool Steps() const {
#if defined(__SSE2__)
    return vectors_;
#else
    return false;
#endif
  }
#if defined(__SSE2__)
  // The word's first unit and the other one compared in each of their foldings, for a scan eight
  // places a step: kept in registers by whoever copies it.
  struct Filter {
    // Each unit compared once: as it is, or for an ASCII letter's pair (X and x) with the case bit
    // set; with each other folding of it compared as it is.
    __m128i firstBit, first, lastBit, last;
    __m128i firstOthers[2], lastOthers[2];
    int firstOtherCount, lastOtherCount;
    qsizetype second;  // the place in the word of the unit compared beside the first (`last`)
    // The places at..at+7 where both fit, two mask bits a place; reads s[at .. at + 7 + Size() - 1].
    // The counts of other foldings as the filter's (a scan of many steps decides once).
    template <int FirstOthers, int LastOthers>
    unsigned Candidates(const char16_t* s, qsizetype at) const {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + second));
      __m128i firsts = _mm_cmpeq_epi16(_mm_or_si128(a, firstBit), first);
      __m128i lasts = _mm_cmpeq_epi16(_mm_or_si128(b, lastBit), last);
      for (int i = 0; i < FirstOthers; ++i) firsts = _mm_or_si128(firsts, _mm_cmpeq_epi16(a, firstOthers[i]));
      for (int i = 0; i < LastOthers; ++i) lasts = _mm_or_si128(lasts, _mm_cmpeq_epi16(b, lastOthers[i]));
      return unsigned(_mm_movemask_epi8(_mm_and_si128(firsts, lasts)));
    }
    // Runs scan<FirstOthers, LastOthers>() as the filter's counts say.
    template <class Scan>
    void Dispatch(Scan&& scan) const {
      const auto last = [&](auto firstOthers) {
        switch (lastOtherCount) {
        case 0: return scan.template operator()<decltype(firstOthers)::value, 0>();
        case 1: return scan.template operator()<decltype(firstOthers)::value, 1>();
        default: return scan.template operator()<decltype(firstOthers)::value, 2>();
        }
      };
      switch (firstOtherCount) {
      case 0: return last(std::integral_constant<int, 0>());
      case 1: return last(std::integral_constant<int, 1>());
      default: return last(std::integral_constant<int, 2>());
      }
    }
    unsigned Candidates(const char16_t* s, qsizetype at) const {
      unsigned mask = 0;
      Dispatch([&]<int F, int L>() { mask = Candidates<F, L>(s, at); });
      return mask;
    }
  };
  // Valid where Steps().
  const Filter& StepFilter() const { return filter_; }
#endif
  // Whether the word's units after its first match those at `at` (the first one checked already).
  bool RestMatches(const char16_t* at) const;

private:
  bool MatchesUnitByUnit(QStringView text) const;
#if defined(__SSE2__)
  // Whether the word starts at one of the places at..at+7.
  bool FoundAmong(const Filter& filter, const char16_t* s, qsizetype at) const {
    for (unsigned mask = filter.Candidates(s, at); mask; mask &= mask - 1) {
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
  std::vector<char16_t> lasts_;   // and to the unit compared beside it
#if defined(__SSE2__)
  // Most words have one to three foldings of their first and of the other unit; a word with
  // more is looked for unit by unit.
  bool vectors_ = false;
  Filter filter_{};
#endif
};

} // namespace listwindow
