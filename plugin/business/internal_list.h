// TInternalList: a list of untyped pointers with change notification (the classic pointer list
// plus an OnNotify event).
//
// Notify runs after an entry was added, extracted or deleted (null pointers are not notified)
// and calls OnNotify when one is set. Bad indexes raise EListError "List index out of bounds (%d)"
// before anything changes. The list never owns what the pointers point to. Not locked.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "velmor/items.h"

namespace velmor {

class TInternalList {
 public:
  using NotifyEvent = std::function<void(void* ptr, ListNotification action)>;

  TInternalList() = default;
  virtual ~TInternalList() = default;
  TInternalList(const TInternalList&) = delete;
  TInternalList& operator=(const TInternalList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void* Get(int32_t index) const;
  // Replaces the pointer; notifies Deleted for the old one and Added for the new one when they differ.
  void Put(int32_t index, void* ptr);
  int32_t Add(void* ptr);
  void Insert(int32_t index, void* ptr);  // index 0 .. Count()
  void Delete(int32_t index);
  // Removes the first occurrence of ptr and notifies Extracted; returns ptr, or null when absent.
  void* Extract(void* ptr);
  void Exchange(int32_t index1, int32_t index2);
  int32_t IndexOf(const void* ptr) const;
  // Deletes every entry, last first.
  void Clear();
  void Reserve(int32_t capacity) { items_.reserve(capacity > 0 ? static_cast<size_t>(capacity) : 0); }

  NotifyEvent OnNotify;

 protected:
  virtual void Notify(void* ptr, ListNotification action);

 private:
  void Check(int32_t index) const;
  std::vector<void*> items_;
};

}  // namespace velmor
