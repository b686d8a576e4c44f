// Rows 34 and 35 of the registration table: service identities the host may ask for that carry
// no business of their own yet. Both classes are registered under their GUIDs (every row of the
// table is), so the host gets a working object with the business object's operations instead of
// "not registered"; docs/residents-status.md records them as reserved.
#include "business/business_object.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "velmor/cqcyhcx_service.h"
#include "velmor/cxjmdpkqc_service.h"

namespace velmor {

class TCxjmdpkqcServiceImpl : public ServiceImpl<TSBBaseObj, ICxjmdpkqcServiceIntf> {
 public:
  VELMOR_PUBLISHED(TCxjmdpkqcServiceImpl, TSBBaseObj)
};

class TCqcyhcxServiceImpl : public ServiceImpl<TSBBaseObj, ICqcyhcxService> {
 public:
  VELMOR_PUBLISHED(TCqcyhcxServiceImpl, TSBBaseObj)
};

namespace {
void RegisterCxjmdpkqc() {
  RegisterServiceClass(ServiceRowAt(kRowTCxjmdpkqcServiceImpl).iid, &ClassOf<TCxjmdpkqcServiceImpl>::Instance());
}
void UnregisterCxjmdpkqc() { UnregisterServiceClass(ServiceRowAt(kRowTCxjmdpkqcServiceImpl).iid); }
void RegisterCqcyhcx() {
  RegisterServiceClass(ServiceRowAt(kRowTCqcyhcxServiceImpl).iid, &ClassOf<TCqcyhcxServiceImpl>::Instance());
}
void UnregisterCqcyhcx() { UnregisterServiceClass(ServiceRowAt(kRowTCqcyhcxServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(34, velmor::RegisterCxjmdpkqc, velmor::UnregisterCxjmdpkqc)
VELMOR_SERVICE_UNIT(35, velmor::RegisterCqcyhcx, velmor::UnregisterCqcyhcx)
