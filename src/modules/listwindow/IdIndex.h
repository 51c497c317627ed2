#pragma once
// The record nodes of a tree by id. Ids are mostly a run of consecutive integers: those within
// reach of the first id stand in a plain array by id, so a load in id order fills it in sequence
// and a walk by id reads the nodes in the order they were made. The others (an id far off, or
// below the first) go to a hash table of one pointer a slot (the id is the node's own), open
// addressing with linear probing, sized to its records rather than to a power of two.

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
    TreeNode** slot = ArraySlot(id);
    if (slot && *slot) return *slot;
    // An id that was far off when it came stays in the table after the array has reached it.
    if (hashed_ > 0 || !slot) {
      if (TreeNode* shown = FindHashed(id)) return shown;
    }
    TreeNode* node = make();
    if (slot) {
      *slot = node;
    } else {
      if (Room(hashed_ + 1) > slots_.size()) Rehash(Room(hashed_ + 1) * 2);
      slots_[Slot(id)] = node;
      ++hashed_;
    }
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

  // Every node: those of the array by ascending id, then the others.
  template <class Visit>
  void ForEach(Visit visit) const {
    const size_t count = byId_.size();
    for (size_t i = 0; i < count; ++i) {
      // After edits the nodes no longer lie in id order: fetch ahead of the walk.
      if (i + 8 < count) __builtin_prefetch(byId_[i + 8]);
      if (byId_[i]) visit(byId_[i]);
    }
    for (TreeNode* node : slots_)
      if (node) visit(node);
  }

private:
  // The array stays at least half full (past a small start), so it never takes more than twice
  // the room of the table it spares.
  static constexpr quint64 kArraySlack = 1024;
  // The id's place in the array, grown to reach it when that keeps the array half full; null
  // for an id beyond.
  TreeNode** ArraySlot(qint64 id);
  // Kept below 0.8 full, so a probe stays short.
  static constexpr size_t Room(qsizetype records) { return static_cast<size_t>(records) * 5 / 4 + 16; }
  TreeNode* FindHashed(qint64 id) const;
  size_t Home(qint64 id) const;
  size_t Slot(qint64 id) const;  // where the id is, or the empty slot where it would go
  void Rehash(size_t capacity);

  qint64 first_ = 0;                // the id of byId_[0]
  std::vector<TreeNode*> byId_;
  std::vector<TreeNode*> slots_;
  qsizetype hashed_ = 0;
  qsizetype size_ = 0;
};

} // namespace listwindow
