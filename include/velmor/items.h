// IItems: an ordered list of interface references, the base of every record list of the module.
//
// The list keeps each item alive while the item is in it (one reference per entry); Clear, Delete,
// SetItem and the list's destruction release them. Indexes are 0-based. GetItem answers null
// outside 0 .. count - 1; SetItem, Delete, Exchange and Insert raise velmor::EListError
// "List index out of bounds (%d)" for a bad index and leave the list unchanged. Not locked: one
// thread at a time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <functional>

#include "velmor/interface.h"
#include "velmor/ref.h"

namespace velmor {

enum class ListNotification : int32_t { Added = 0, Extracted = 1, Deleted = 2 };

// Called after an entry was added to or removed from the list, with the entry's item (borrowed:
// valid during the call; null entries are not notified). An exception it raises reaches the
// caller of the list operation, which has completed by then.
using ListNotifyEvent = std::function<void(IInterface* item, ListNotification action)>;

class IItems : public IInterface {
 public:
  VELMOR_IID("{0D9245BA-BE8E-4BD3-A675-9062D92C523F}")
  virtual Ref<IInterface> GetItem(int32_t index) = 0;
  virtual int32_t GetCount() = 0;
  virtual ListNotifyEvent GetOnNotify() = 0;  // empty when none
  virtual void SetOnNotify(ListNotifyEvent event) = 0;
  // Replaces the reference at index (the old one is released).
  virtual void SetItem(int32_t index, IInterface* item) = 0;
  // The implementing object (its most-derived address).
  virtual void* GetObject() = 0;
  virtual void Clear() = 0;
  virtual void Delete(int32_t index) = 0;
  virtual void Exchange(int32_t index1, int32_t index2) = 0;
  // Appends a reference to item (null allowed); returns its index.
  virtual int32_t Add(IInterface* item) = 0;
  // Inserts at index (0 .. count).
  virtual void Insert(int32_t index, IInterface* item) = 0;

 protected:
  ~IItems() = default;
};

}  // namespace velmor
