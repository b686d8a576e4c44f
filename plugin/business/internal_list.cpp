#include "business/internal_list.h"

#include <algorithm>
#include <utility>

#include "velmor/exceptions.h"

namespace velmor {

void TInternalList::Check(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
}

void TInternalList::Notify(void* ptr, ListNotification action) {
  if (OnNotify) OnNotify(ptr, action);
}

void* TInternalList::Get(int32_t index) const {
  Check(index);
  return items_[static_cast<size_t>(index)];
}

void TInternalList::Put(int32_t index, void* ptr) {
  Check(index);
  void* old = std::exchange(items_[static_cast<size_t>(index)], ptr);
  if (old == ptr) return;
  if (old) Notify(old, ListNotification::Deleted);
  if (ptr) Notify(ptr, ListNotification::Added);
}

int32_t TInternalList::Add(void* ptr) {
  items_.push_back(ptr);
  int32_t index = Count() - 1;
  if (ptr) Notify(ptr, ListNotification::Added);
  return index;
}

void TInternalList::Insert(int32_t index, void* ptr) {
  if (index < 0 || index > Count()) throw EListError::IndexOutOfBounds(index);
  items_.insert(items_.begin() + index, ptr);
  if (ptr) Notify(ptr, ListNotification::Added);
}

void TInternalList::Delete(int32_t index) {
  Check(index);
  void* ptr = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (ptr) Notify(ptr, ListNotification::Deleted);
}

void* TInternalList::Extract(void* ptr) {
  int32_t i = IndexOf(ptr);
  if (i < 0) return nullptr;
  items_.erase(items_.begin() + i);
  if (ptr) Notify(ptr, ListNotification::Extracted);
  return ptr;
}

void TInternalList::Exchange(int32_t index1, int32_t index2) {
  Check(index1);
  Check(index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

int32_t TInternalList::IndexOf(const void* ptr) const {
  auto it = std::find(items_.begin(), items_.end(), ptr);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

void TInternalList::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
  items_.shrink_to_fit();
}

}  // namespace velmor
