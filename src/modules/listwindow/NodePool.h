#pragma once
// Memory for the record nodes of one tree. A window may hold a million of them: one block from
// malloc each would cost a header and rounding apiece, and freeing a whole tree a million calls.
// Blocks are carved from large chunks, a freed block is kept for the next one of its size (a
// reloaded group brings back records of the sizes it gave up), and Clear drops every block at once.

#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace listwindow {

class NodePool {
public:
  NodePool() = default;
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;
  ~NodePool();

  // Sizes are whole multiples of kAlign.
  static constexpr size_t kAlign = 8;
  void* Allocate(size_t bytes);
  void Free(void* block, size_t bytes);
  // Every block goes, in use or not. The chunks are kept for the next tree (a reload is usually
  // about as big as the tree it replaces, and memory used again is not faulted in and zeroed
  // again) until Release.
  void Clear();
  // Frees the chunks that a Clear kept and no block has taken since.
  void Release();
  // Whether every block handed out is in use: none freed since the last Clear waits for reuse.
  bool Full() const { return freed_ == 0; }
  // Every stretch of memory that holds blocks, back to back as they were handed out (a chunk's
  // part in use; each larger block alone): visit(first byte, bytes).
  template <class Visit>
  void ForEachSpan(Visit visit) const {
    for (size_t i = 0; i < chunks_.size(); ++i) visit(chunks_[i].get(), i < used_.size() ? used_[i] : kChunk - left_);
    for (const auto& [block, bytes] : largeSizes_) visit(static_cast<const std::byte*>(block), bytes);
  }

private:
  static constexpr size_t kChunk = size_t(1) << 20;
  // Larger blocks (a title of thousands of characters) are rare: each is its own allocation.
  static constexpr size_t kLargest = 4096;

  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::vector<std::unique_ptr<std::byte[]>> spare_;
  std::byte* next_ = nullptr;
  size_t left_ = 0;
  std::array<void*, kLargest / kAlign + 1> free_{};  // a list of freed blocks per size
  std::unordered_map<void*, std::unique_ptr<std::byte[]>> large_;
  std::unordered_map<void*, size_t> largeSizes_;
  std::vector<size_t> used_;  // of each chunk but the last, where the blocks end
  size_t freed_ = 0;          // blocks in the lists of freed blocks
};

} // namespace listwindow
