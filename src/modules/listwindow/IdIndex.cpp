#include "modules/listwindow/IdIndex.h"

namespace listwindow {

size_t IdIndex::Home(qint64 id) const {
  // Ids are mostly consecutive: spread them over the table, then map onto its size.
  const quint64 mixed = static_cast<quint64>(id) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>((static_cast<unsigned __int128>(mixed) * slots_.size()) >> 64);
}

size_t IdIndex::Slot(qint64 id) const {
  size_t i = Home(id);
  while (slots_[i] && slots_[i]->Id() != id) i = i + 1 == slots_.size() ? 0 : i + 1;
  return i;
}

TreeNode* IdIndex::Find(qint64 id) const { return slots_.empty() ? nullptr : slots_[Slot(id)]; }

void IdIndex::Erase(const TreeNode* node) {
  if (slots_.empty()) return;
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
  --size_;
}

void IdIndex::Clear(qsizetype expected) {
  slots_.assign(Room(expected), nullptr);
  size_ = 0;
}

void IdIndex::Rehash(size_t capacity) {
  std::vector<TreeNode*> old(capacity, nullptr);
  old.swap(slots_);
  for (TreeNode* node : old)
    if (node) slots_[Slot(node->Id())] = node;
}

} // namespace listwindow
