#pragma once
// Finds a word in texts without regard to letter case, exactly as QStringMatcher does with
// Qt::CaseInsensitive (each UTF-16 unit compared by its simple case folding), but quicker for the
// keyword search over every node of a large tree: the word's first unit is looked for eight
// units at a time (where SSE2 is there) in each of its foldings, and only there is the rest
// compared, through a table of the foldings of every unit. A word with surrogates is matched as QStringView::contains does.

#include <QString>
#include <QStringView>
#include <vector>

namespace listwindow {

class WordMatcher {
public:
  explicit WordMatcher(const QString& word);
  bool Matches(QStringView text) const;

private:
  QString word_;
  bool surrogates_ = false;
  std::vector<char16_t> folded_;  // the word, each unit folded
  std::vector<char16_t> firsts_;  // every unit that folds to the word's first
};

} // namespace listwindow
