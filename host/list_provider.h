// ListProvider: hands out the host's named class lists by number. Only kServiceClassListId (389,
// the service classes) exists; every other number answers null. Holds its list; thread-safe
// (immutable after construction).
#pragma once

#include "host/named_class_list.h"
#include "velmor/named_class_list.h"
#include "velmor/object.h"

namespace velmor::host {

class ListProvider final : public Object<IListProvider> {
 public:
  explicit ListProvider(Ref<NamedClassList> serviceClasses) : serviceClasses_(std::move(serviceClasses)) {}
  Ref<INamedClassList> GetNamedList(int32_t listId) override {
    if (listId == kServiceClassListId) return serviceClasses_;
    return nullptr;
  }

 private:
  const Ref<NamedClassList> serviceClasses_;
};

}  // namespace velmor::host
