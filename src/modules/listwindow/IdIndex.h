#pragma once
// The record nodes of a tree by id: one pointer a slot (the id is the node's own), open addressing
// with linear probing, the table sized to the records rather than to a power of two. A million
// records take about 10 MB, half of what a general hash with its own entries takes.

#include "modules/listwindow/NodeModel.h"

#include <vector>

namespace listwindow {

class IdIndex {
public:
  TreeNode* Find(qint64 id) const;
  // The node already shown under the id, else null after adding the one that make() gives; make
  // runs only then, so a load looks the id up once.
  template <class Make>
  TreeNode* Insert(qint64 id, Make make) {
    if (Room(size_ + 1) > slots_.size()) Rehash(Room(size_ + 1) * 2);
    TreeNode*& slot = slots_[Slot(id)];
    if (slot) return slot;
    slot = make();
    ++size_;
    return nullptr;
  }
  TreeNode* Insert(TreeNode* node) {
    return Insert(node->Id(), [node] { return node; });
  }
  // Only this node's own entry goes.
  void Erase(const TreeNode* node);
  // Empty, with room for this many records.
  void Clear(qsizetype expected);
  qsizetype Size() const { return size_; }

private:
  // Kept below 0.8 full, so a probe stays short.
  static constexpr size_t Room(qsizetype records) { return static_cast<size_t>(records) * 5 / 4 + 16; }
  size_t Home(qint64 id) const;
  size_t Slot(qint64 id) const;  // where the id is, or the empty slot where it would go
  void Rehash(size_t capacity);

  std::vector<TreeNode*> slots_;
  qsizetype size_ = 0;
};

} // namespace listwindow
