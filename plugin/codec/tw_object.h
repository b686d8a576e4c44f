// TTWObject and TTWInterfacedObject: the small object base of the fast XML document.
//
// TTWObject carries a version string ("1.0.0.0" unless a class overrides Version()).
// TTWInterfacedObject<I...> adds an interlocked reference count and implements ITWInterface and
// the listed interfaces (each of which derives from ITWInterface). A new object has count 0; the
// first Ref takes it to 1 and the Release that brings it back to 0 destroys the object through
// Destroy(), which a class may override (the XML nodes do, to free deep trees without deep
// recursion, and to give arena memory back). Reference counts are safe on any thread; nothing else is.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <tuple>

#include "velmor/tw_interface.h"

namespace velmor {

class TTWObject {
 public:
  TTWObject() = default;
  TTWObject(const TTWObject&) = delete;
  TTWObject& operator=(const TTWObject&) = delete;
  virtual ~TTWObject() = default;
  virtual const char* Version() const { return "1.0.0.0"; }
};

template <class... Interfaces>
class TTWInterfacedObject : public TTWObject, public Interfaces... {
 public:
  HResult QueryInterface(const Guid& iid, void** out) override {
    *out = nullptr;
    if (iid == IInterface::kIid || iid == ITWInterface::kIid) {
      *out = static_cast<ITWInterface*>(static_cast<First*>(this));
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
    if (left == 0) Destroy();
    return left;
  }
  std::string GetVersion() override { return Version(); }
  int32_t RefCountForTest() const { return count_.load(); }

 protected:
  TTWInterfacedObject() = default;
  virtual void Destroy() { delete this; }
  // For an object not yet shared: starts it with references held by its creator.
  void InitRefCount(int32_t n) { count_.store(n, std::memory_order_relaxed); }
  // Gives up one reference without destroying the object; the count left (0: it is the
  // caller's to destroy).
  int32_t DropRef() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  using First = std::tuple_element_t<0, std::tuple<Interfaces..., ITWInterface>>;
  template <class I>
  bool TryOne(const Guid& iid, void** out) {
    if (iid != I::kIid) return false;
    *out = static_cast<I*>(this);
    return true;
  }
  std::atomic<int32_t> count_{0};
};

// The plain interfaced object (implements ITWInterface only).
template <>
class TTWInterfacedObject<> : public TTWObject, public ITWInterface {
 public:
  HResult QueryInterface(const Guid& iid, void** out) override {
    *out = nullptr;
    if (iid != IInterface::kIid && iid != ITWInterface::kIid) return kNoInterface;
    *out = static_cast<ITWInterface*>(this);
    AddRef();
    return kOk;
  }
  int32_t AddRef() override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
  int32_t Release() override {
    int32_t left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  std::string GetVersion() override { return Version(); }

 protected:
  TTWInterfacedObject() = default;

 private:
  std::atomic<int32_t> count_{0};
};

}  // namespace velmor
