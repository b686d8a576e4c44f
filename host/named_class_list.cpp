#include "host/named_class_list.h"

#include "host/text_util.h"
#include "velmor/exceptions.h"

namespace velmor::host {

void NamedClassList::CheckIndex(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) throw EListError::IndexOutOfBounds(index);
}

int32_t NamedClassList::IndexOfLocked(const std::string& name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (EqualsIgnoreCase(entries_[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

const ClassRef* NamedClassList::GetClassAt(int32_t index) {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  return entries_[index].cls;
}

void NamedClassList::SetClassAt(int32_t index, const ClassRef* cls) {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  entries_[index].cls = cls;
}

void NamedClassList::AddClass(const std::string& name, const ClassRef* cls) {
  std::lock_guard lock(mutex_);
  if (name.empty()) throw EListError("Class list does not allow an empty name");
  // Unique names keep IndexOfName unambiguous; the plug-in replaces through SetClassAt.
  if (IndexOfLocked(name) >= 0) throw EListError("Class list does not allow duplicates (" + name + ")");
  entries_.push_back(Entry{name, cls});
}

int32_t NamedClassList::IndexOfName(const std::string& name) {
  std::lock_guard lock(mutex_);
  return IndexOfLocked(name);
}

void NamedClassList::Delete(int32_t index) {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  entries_.erase(entries_.begin() + index);
}

int32_t NamedClassList::Count() {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(entries_.size());
}

std::string NamedClassList::GetNameAt(int32_t index) {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  return entries_[index].name;
}

const ClassRef* NamedClassList::FindClass(const std::string& name) {
  std::lock_guard lock(mutex_);
  int32_t i = IndexOfLocked(name);
  return i >= 0 ? entries_[i].cls : nullptr;
}

std::vector<NamedClassList::Entry> NamedClassList::Entries() {
  std::lock_guard lock(mutex_);
  return entries_;
}

}  // namespace velmor::host
