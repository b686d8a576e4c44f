// IBusinessObject: the published properties of a business object, read and written as text by
// index or by dotted path ("head.rest" reaches into an object- or interface-typed property).
//
// Indexes are 0-based positions in the object's property list; names compare without regard to
// case. SetPropText/SetPropTextByName raise (velmor::Exception family, exceptions.h) on text that
// does not fit the property, leaving it unchanged. An object is used by one thread at a time; its
// reference count is atomic. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

// Property kind codes returned by GetPropKind.
enum PropKindCode : int32_t {
  kPropUnknown = -1,
  kPropInteger = 0,
  kPropText = 1,
  kPropFloat = 2,
  kPropCurrency = 3,
  kPropDate = 4,
  kPropTime = 5,
  kPropDateTime = 6,
  kPropEnumeration = 8,
  kPropSet = 9,
  kPropObject = 10,
  kPropMethod = 11,
  kPropArray = 12,
  kPropVariant = 13,
  kPropRecord = 14,
  kPropInterface = 15,
  kPropInt64 = 16,
  kPropDynArray = 17,
};

class IBusinessObject : public IInterface {
 public:
  VELMOR_IID("{925E9B5F-73A0-40C5-BA2A-36DFC8282801}")
  virtual std::string GetObjectTag() = 0;
  virtual int32_t GetRefCount() = 0;
  virtual int32_t GetPropKind(int32_t index) = 0;
  virtual int32_t GetPropKindByName(const std::string& name) = 0;
  virtual int32_t GetPropCount() = 0;
  virtual std::string GetPropName(int32_t index) = 0;
  virtual std::string GetPropText(int32_t index) = 0;
  virtual std::string GetPropTextByName(const std::string& name) = 0;
  virtual void SetObjectTag(const std::string& tag) = 0;
  virtual void SetPropText(int32_t index, const std::string& text) = 0;
  virtual void SetPropTextByName(const std::string& name, const std::string& text) = 0;
  // The implementing object itself (a velmor::TBusinessObject* in the plug-in).
  virtual void* GetObject() = 0;
  virtual void Assign(IBusinessObject* source) = 0;
  virtual void Clear() = 0;
  virtual bool HasProperty(const std::string& name) = 0;
  virtual int32_t IndexOfProperty(const std::string& name) = 0;

 protected:
  ~IBusinessObject() = default;
};

// The first two operations of every manager and store interface: the last-error text.
class IServiceIntf : public IInterface {
 public:
  virtual std::string GetErrorMessage() = 0;
  virtual void SetErrorMessage(const std::string& message) = 0;

 protected:
  ~IServiceIntf() = default;
};

}  // namespace velmor
