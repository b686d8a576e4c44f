// Object<Interfaces...>: the reference-counting and QueryInterface plumbing for host-side and
// helper classes that implement one or more interfaces.
//
// A new Object has count 0; Make<C>(...) returns the first Ref. QueryInterface answers the listed
// interfaces, any interface they name as `Base` (one level up, e.g. IDBMechanism's IDBObject), and
// IInterface. The count is atomic; everything else is the implementing class's business.
// (Business objects have their own rules and base class, see business_object.h.)
#pragma once

#include <atomic>
#include <tuple>
#include <type_traits>

#include "velmor/ref.h"

namespace velmor {

template <class... Interfaces>
class Object : public Interfaces... {
  using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

 public:
  HResult QueryInterface(const Guid& iid, void** out) override {
    *out = nullptr;
    if (iid == IInterface::kIid) {
      *out = static_cast<IInterface*>(static_cast<First*>(this));
    } else {
      (TryOne<Interfaces>(iid, out) || ...);
    }
    if (!*out) return kNoInterface;
    AddRef();
    return kOk;
  }
  int32_t AddRef() override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
  int32_t Release() override {
    int32_t left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  int32_t RefCountForTest() const { return count_.load(); }

 protected:
  Object() = default;
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

 private:
  template <class I>
  bool TryOne(const Guid& iid, void** out) {
    if (iid == I::kIid) {
      *out = static_cast<I*>(this);
      return true;
    }
    if constexpr (requires { typename I::Base; }) {
      if (iid == I::Base::kIid) {
        *out = static_cast<typename I::Base*>(static_cast<I*>(this));
        return true;
      }
    }
    return false;
  }

  std::atomic<int32_t> count_{0};
};

// Creates an Object-derived class and returns its first reference.
template <class C, class... Args>
Ref<C> Make(Args&&... args) {
  return Ref<C>(new C(std::forward<Args>(args)...));
}

}  // namespace velmor
