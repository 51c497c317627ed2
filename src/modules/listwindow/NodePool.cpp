#include "modules/listwindow/NodePool.h"

#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Blocks not handed out are poisoned, so a node used after it was freed is still reported.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace listwindow {

NodePool::~NodePool() {
  Clear();
  Release();
}

void* NodePool::Allocate(size_t bytes) {
  if (bytes > kLargest) {
    auto block = std::unique_ptr<std::byte[]>(new std::byte[bytes]);
    void* p = block.get();
    large_.emplace(p, std::move(block));
    largeSizes_.emplace(p, bytes);
    return p;
  }
  void*& head = free_[bytes / kAlign];
  if (head) {
    void* p = head;
    POOL_UNPOISON(p, bytes);
    std::memcpy(&head, p, sizeof head);
    --freed_;
    return p;
  }
  if (left_ < bytes) {
    if (next_) {
      POOL_POISON(next_, left_);
      used_.push_back(kChunk - left_);
    }
    if (spare_.empty()) {
      chunks_.emplace_back(new std::byte[kChunk]);
      POOL_POISON(chunks_.back().get(), kChunk);
    } else {
      chunks_.push_back(std::move(spare_.back()));
      spare_.pop_back();
    }
    next_ = chunks_.back().get();
    left_ = kChunk;
  }
  void* p = next_;
  next_ += bytes;
  left_ -= bytes;
  POOL_UNPOISON(p, bytes);
  return p;
}

void NodePool::Free(void* block, size_t bytes) {
  if (bytes > kLargest) {
    large_.erase(block);
    largeSizes_.erase(block);
    return;
  }
  void*& head = free_[bytes / kAlign];
  std::memcpy(block, &head, sizeof head);
  POOL_POISON(block, bytes);
  head = block;
  ++freed_;
}

void NodePool::Clear() {
  for (auto& chunk : chunks_) {
    POOL_POISON(chunk.get(), kChunk);
    spare_.push_back(std::move(chunk));
  }
  chunks_.clear();
  used_.clear();
  large_.clear();
  largeSizes_.clear();
  free_.fill(nullptr);
  freed_ = 0;
  next_ = nullptr;
  left_ = 0;
}

void NodePool::Release() {
  for (auto& chunk : spare_) POOL_UNPOISON(chunk.get(), kChunk);
  spare_.clear();
}

} // namespace listwindow
