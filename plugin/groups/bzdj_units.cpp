// The start-up procedure of the collective and government payers: the three classes registered
// in the order of their rows (44, 45, 46), withdrawn in reverse.
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "groups/bzdj_impl.h"

namespace velmor {
namespace {

void RegisterGroups() {
  RegisterServiceClass(ServiceRowAt(kRowTBzDjImpl).iid, &ClassOf<TBzDjImpl>::Instance());
  RegisterServiceClass(ServiceRowAt(kRowTJtbzhImpl).iid, &ClassOf<TJtbzhImpl>::Instance());
  RegisterServiceClass(ServiceRowAt(kRowTZfdjhImpl).iid, &ClassOf<TZfdjhImpl>::Instance());
}

void UnregisterGroups() {
  UnregisterServiceClass(ServiceRowAt(kRowTZfdjhImpl).iid);
  UnregisterServiceClass(ServiceRowAt(kRowTJtbzhImpl).iid);
  UnregisterServiceClass(ServiceRowAt(kRowTBzDjImpl).iid);
}

}  // namespace
}  // namespace velmor

VELMOR_SERVICE_UNIT(44, velmor::RegisterGroups, velmor::UnregisterGroups)
