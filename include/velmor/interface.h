// IInterface: the root of every interface shared by host and plug-in.
//
// The rules are those of reference-counted component interfaces: an object starts with the
// references its creator hands out, AddRef and Release change the count atomically (any thread),
// and the Release that brings the count to zero destroys the object. QueryInterface hands out a new
// reference (already added) in *out, or sets *out to null and returns kNoInterface. Operations of
// every derived interface are declared in their published slot order; callers match interfaces by
// identity (kIid) and slot, never by name. Hold references with velmor::Ref (ref.h).
#pragma once

#include <cstdint>

#include "velmor/guid.h"

namespace velmor {

using HResult = int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);

class IInterface {
 public:
  VELMOR_IID("{00000000-0000-0000-C000-000000000046}")
  virtual HResult QueryInterface(const Guid& iid, void** out) = 0;
  virtual int32_t AddRef() = 0;
  virtual int32_t Release() = 0;

 protected:
  // Objects die through Release, never through delete on an interface pointer.
  ~IInterface() = default;
};

template <class T>
concept InterfaceType = requires {
  { T::kIid } -> std::convertible_to<const Guid&>;
};

}  // namespace velmor
