#include "modules/listwindow/IdIndex.h"

namespace listwindow {

TreeNode** IdIndex::ArraySlot(qint64 id) {
  if (byId_.empty()) first_ = id;
  // Unsigned: an id below the first wraps to far beyond.
  const quint64 at = static_cast<quint64>(id) - static_cast<quint64>(first_);
  if (at < byId_.size()) return &byId_[at];
  if (at >= 2 * static_cast<quint64>(size_ + 1) + kArraySlack) return nullptr;
  byId_.resize(static_cast<size_t>(at) + 1, nullptr);
  return &byId_[at];
}

size_t IdIndex::Home(qint64 id) const {
  // Spread the ids over the table, then map onto its size.
  const quint64 mixed = static_cast<quint64>(id) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>((static_cast<unsigned __int128>(mixed) * slots_.size()) >> 64);
}

size_t IdIndex::Slot(qint64 id) const {
  size_t i = Home(id);
  while (slots_[i] && slots_[i]->Id() != id) i = i + 1 == slots_.size() ? 0 : i + 1;
  return i;
}

TreeNode* IdIndex::FindHashed(qint64 id) const { return hashed_ == 0 ? nullptr : slots_[Slot(id)]; }

TreeNode* IdIndex::Find(qint64 id) const {
  const quint64 at = static_cast<quint64>(id) - static_cast<quint64>(first_);
  if (at < byId_.size() && byId_[at]) return byId_[at];
  return FindHashed(id);
}

void IdIndex::Erase(const TreeNode* node) {
  const quint64 at = static_cast<quint64>(node->Id()) - static_cast<quint64>(first_);
  if (at < byId_.size() && byId_[at] == node) {
    byId_[at] = nullptr;
    --size_;
    return;
  }
  if (hashed_ == 0) return;
  size_t hole = Slot(node->Id());
  if (slots_[hole] != node) return;
  // Entries after the hole that could not sit at their home move back into it.
  for (size_t j = hole;;) {
    j = j + 1 == slots_.size() ? 0 : j + 1;
    if (!slots_[j]) break;
    const size_t home = Home(slots_[j]->Id());
    const bool between = hole <= j ? hole < home && home <= j : hole < home || home <= j;
    if (between) continue;
    slots_[hole] = slots_[j];
    hole = j;
  }
  slots_[hole] = nullptr;
  --hashed_;
  --size_;
}

void IdIndex::Clear(qsizetype expected) {
  byId_.clear();
  byId_.reserve(static_cast<size_t>(expected));
  slots_.clear();
  hashed_ = 0;
  size_ = 0;
}

void IdIndex::Rehash(size_t capacity) {
  std::vector<TreeNode*> old(capacity, nullptr);
  old.swap(slots_);
  for (TreeNode* node : old)
    if (node) slots_[Slot(node->Id())] = node;
}

} // namespace listwindow
