// PageAllocator: an allocator for the blocks of a large query result. A request of kPagedBytes or
// more gets pages of its own from the system, which go back to the system when freed; smaller
// requests go to operator new.
//
// Why: a dataset lets go of the rows its reader has passed while the reader builds something as
// large (the JSON text of 200,000 rows). The C allocator serves requests of a few megabytes from
// its heap once larger blocks have been freed, and memory freed in the middle of that heap stays
// with the process, so passed rows would still count against its peak.
//
// Stateless; any thread.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>

namespace velmor::host::db {

inline constexpr size_t kPagedBytes = size_t{1} << 20;

template <typename T>
class PageAllocator {
 public:
  using value_type = T;

  PageAllocator() noexcept = default;
  template <typename U>
  PageAllocator(const PageAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const size_t bytes = n * sizeof(T);
    if (bytes < kPagedBytes) return static_cast<T*>(::operator new(bytes));
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<T*>(p);
  }

  void deallocate(T* p, size_t n) noexcept {
    const size_t bytes = n * sizeof(T);
    if (bytes < kPagedBytes) ::operator delete(p);
    else munmap(p, bytes);
  }

  template <typename U>
  bool operator==(const PageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace velmor::host::db
