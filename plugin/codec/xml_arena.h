// XmlArena: the memory of the nodes (and their names and texts) that one load of the fast XML
// document creates.
//
// Allocation is a pointer bump in blocks small enough for the heap to reuse; nothing is freed
// on its own. The arena counts the nodes living in it and frees all its blocks when the last one
// dies (plus one count held by the loader while it runs). Allocate/Copy are for the loader's
// thread only; Release may come from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmor {

class XmlArena {
 public:
  // A new arena holding one count (the loader's).
  static XmlArena* Create() { return new XmlArena(); }
  XmlArena(const XmlArena&) = delete;
  XmlArena& operator=(const XmlArena&) = delete;

  // `n` bytes aligned to 8; raises std::bad_alloc.
  void* Allocate(size_t n) {
    n = (n + 7) & ~size_t{7};
    if (n > left_) return Grow(n);
    void* p = cur_;
    cur_ += n;
    left_ -= n;
    return p;
  }
  template <class T, class... Args>
  T* New(Args&&... args) {
    return new (Allocate(sizeof(T))) T(static_cast<Args&&>(args)...);
  }

  void AddCount(int64_t n) { count_.fetch_add(n, std::memory_order_relaxed); }
  void Release(int64_t n = 1) {
    if (count_.fetch_sub(n, std::memory_order_acq_rel) == n) delete this;
  }

 private:
  static constexpr size_t kBlockSize = 60 * 1024;  // below the heap's mmap threshold

  XmlArena() = default;
  ~XmlArena();
  void* Grow(size_t n);

  std::atomic<int64_t> count_{1};
  std::vector<char*> blocks_;
  char* cur_ = nullptr;
  size_t left_ = 0;
};

}  // namespace velmor
