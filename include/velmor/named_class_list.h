// INamedClassList: the host's ordered list of (name, class reference) entries, and the list
// provider that hands out lists by number. List kServiceClassListId holds the service classes,
// keyed by GUID string.
//
// The host's list compares names without regard to case. Entries hold ClassRefs by pointer (see
// class_ref.h: they are not reference-counted). Used on the host's main thread only.
#pragma once

#include <string>

#include "velmor/class_ref.h"
#include "velmor/interface.h"

namespace velmor {

inline constexpr int32_t kServiceClassListId = 389;

class INamedClassList : public IInterface {
 public:
  VELMOR_IID("{48F523B4-3FE6-4274-A7C1-BE4EC9CF6FF4}")
  // The five operations the plug-in uses, in slot order. An index out of range raises EListError.
  virtual const ClassRef* GetClassAt(int32_t index) = 0;
  virtual void SetClassAt(int32_t index, const ClassRef* cls) = 0;
  virtual void AddClass(const std::string& name, const ClassRef* cls) = 0;
  virtual int32_t IndexOfName(const std::string& name) = 0;  // negative when absent
  virtual void Delete(int32_t index) = 0;
  // Host-side conveniences after the published slots.
  virtual int32_t Count() = 0;
  virtual std::string GetNameAt(int32_t index) = 0;

 protected:
  ~INamedClassList() = default;
};

class IListProvider : public IInterface {
 public:
  VELMOR_IID("{6E0C7B1A-2D43-4C55-9A61-3F1B8E2C7D90}")
  // The list of that number, or null when the host keeps none under it.
  virtual Ref<INamedClassList> GetNamedList(int32_t listId) = 0;

 protected:
  ~IListProvider() = default;
};

}  // namespace velmor
