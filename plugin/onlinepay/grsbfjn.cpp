#include "onlinepay/grsbfjn.h"

#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "onlinepay/grsbfjn_dao.h"

namespace velmor {

namespace onlinepay {
Ref<IGrsbfjnDAO> GrDao() { return CreatePluginService<IGrsbfjnDAO>(kGrNoDao); }
}  // namespace onlinepay

bool TGrsbfjn::Op(const service::OpRow& row, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  const bool ok = service::RunOp(row, message, body);
  ErrorMessage = message;
  return ok;
}

template <class R, class F>
R TGrsbfjn::Pass(const char* op, R fallback, F&& call) {
  ErrorMessage.clear();
  return Guarded({kGrClass, op}, {}, &ErrorMessage, std::move(fallback), [&] {
    Ref<IGrsbfjnDAO> dao = onlinepay::GrDao();
    R r = call(*dao);
    ErrorMessage = dao->GetErrorMessage();
    return r;
  });
}

int32_t TGrsbfjn::GetCount(const std::string& filter) {
  return Pass<int32_t>("GetCount", -1, [&](IGrsbfjnDAO& dao) { return dao.GetCount(CurrentDjxh(), filter); });
}

std::string TGrsbfjn::GetData(const std::string& filter, int32_t page, int32_t pageSize) {
  return Pass<std::string>("GetData", "[]",
                           [&](IGrsbfjnDAO& dao) { return dao.GetData(CurrentDjxh(), filter, page, pageSize); });
}

std::string TGrsbfjn::GetAllDjfDataLb() {
  return Pass<std::string>("GetAllDjfDataLb", "[]",
                           [&](IGrsbfjnDAO& dao) { return dao.GetAllDjfDataLb(CurrentDjxh(), kDdztUnpaid); });
}

bool TGrsbfjn::SaveDdZfData(const std::string& data) {
  return Pass<bool>("SaveDdZfData", false, [&](IGrsbfjnDAO& dao) { return dao.SaveDdZfData(data); });
}

std::string TGrsbfjn::GetDdZfData(const std::string& orderId, const std::string& queryId) {
  return Pass<std::string>("GetDdZfData", "{}",
                           [&](IGrsbfjnDAO& dao) { return dao.GetDdZfData(orderId, queryId); });
}

namespace {
void RegisterGrsbfjn() { RegisterServiceClass(ServiceRowAt(kRowTGrsbfjn).iid, &ClassOf<TGrsbfjn>::Instance()); }
void UnregisterGrsbfjn() { UnregisterServiceClass(ServiceRowAt(kRowTGrsbfjn).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(23, velmor::RegisterGrsbfjn, velmor::UnregisterGrsbfjn)
