// Ref<T>: the one smart reference for interfaces.
//
// Copying adds a reference, destruction and reset release one, moving transfers it. A Ref is not
// itself synchronised: one Ref object is used by one thread at a time, but separate Refs to one
// object may live on different threads (the counts are atomic).
#pragma once

#include <utility>

#include "velmor/interface.h"

namespace velmor {

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Takes a new reference to p (AddRef).
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.get())) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(Ref<U>&& o) noexcept : p_(o.Detach()) {}
  ~Ref() { reset(); }

  Ref& operator=(const Ref& o) {
    Ref(o).swap(*this);
    return *this;
  }
  Ref& operator=(Ref&& o) noexcept {
    Ref(std::move(o)).swap(*this);
    return *this;
  }
  Ref& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  // Wraps a pointer that already carries a reference for the caller (no AddRef).
  static Ref Adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(p_, nullptr); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  void swap(Ref& o) noexcept { std::swap(p_, o.p_); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// Asks `from` for interface T; an empty Ref when `from` is null or lacks T.
template <InterfaceType T, class From>
Ref<T> Query(From* from) {
  if (!from) return nullptr;
  void* out = nullptr;
  if (from->QueryInterface(T::kIid, &out) != kOk || !out) return nullptr;
  return Ref<T>::Adopt(static_cast<T*>(out));
}
template <InterfaceType T, class From>
Ref<T> Query(const Ref<From>& from) {
  return Query<T>(from.get());
}

}  // namespace velmor
