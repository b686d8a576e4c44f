// NamedClassList: the host's ordered list of (name, class reference) entries; list 389 of the
// service factory holds the plug-in's service classes under their GUID strings.
//
// Names compare without regard to ASCII case and are otherwise taken as given (braces included),
// so "{ED2E...}" and "{ed2e...}" are one name but "ED2E..." is another. Names are unique and never
// empty. The list holds ClassRefs by pointer and does not own them: a plug-in must take its
// entries out before it is unloaded (its shut-down procedures do). Every operation locks, so the
// list may be read from worker threads although the plug-in uses it on the main thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "velmor/named_class_list.h"
#include "velmor/object.h"

namespace velmor::host {

class NamedClassList final : public Object<INamedClassList> {
 public:
  struct Entry {
    std::string name;
    const ClassRef* cls = nullptr;
  };

  // The published operations. An index out of range raises EListError ("List index out of
  // bounds (%d)"); AddClass of an empty name or of a name already present raises EListError.
  const ClassRef* GetClassAt(int32_t index) override;
  void SetClassAt(int32_t index, const ClassRef* cls) override;
  void AddClass(const std::string& name, const ClassRef* cls) override;
  int32_t IndexOfName(const std::string& name) override;
  void Delete(int32_t index) override;
  int32_t Count() override;
  std::string GetNameAt(int32_t index) override;

  // Host side: the class registered under name, or null; a consistent copy of all entries.
  const ClassRef* FindClass(const std::string& name);
  std::vector<Entry> Entries();

 private:
  // Requires mutex_ held.
  void CheckIndex(int32_t index) const;
  int32_t IndexOfLocked(const std::string& name) const;

  std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace velmor::host
