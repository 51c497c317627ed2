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
  bool Matches(QStringView text) const;

private:
  bool RestMatches(const char16_t* at) const;

  QString word_;
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
