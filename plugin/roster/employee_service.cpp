#include "roster/employee_service.h"

#include <chrono>
#include <ctime>
#include <sys/time.h>

#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "roster/employee_service_guard.h"
#include "roster/name_check.h"
#include "roster/ygcbxx_download.h"
#include "store/background/async_call.h"

namespace velmor {

Ref<IEmployeeDao> EmployeeDao() { return CreatePluginService<IEmployeeDao>("创建平台组件接口[IEmployeeDao]失败！"); }

Ref<ISysParamIntf> SysParams(const std::string& djxh) {
  Ref<ISysParamIntf> p = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  p->SetDjxh(djxh);
  return p;
}

bool TEmployeeServiceImpl::CheckName(const std::string& name, std::string& message) {
  bool ok = CheckPersonName(name, message);
  ErrorMessage = message;
  return ok;
}

std::string TEmployeeServiceImpl::queryRyList(const std::string& djxh, const RyListFilter& filter, int32_t page,
                                              int32_t pageSize, int32_t& zs) {
  std::string out = "[]", message;
  Run("queryRyList", "查询异常：", true, message, [&] {
    Ref<IEmployeeDao> dao = EmployeeDao();
    out = dao->queryRyList(djxh, filter, page, pageSize, zs);
    if (!dao->GetErrorMessage().empty()) throw taxml::Failure(dao->GetErrorMessage());
  });
  return out;
}

int32_t TEmployeeServiceImpl::getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) {
  int32_t n = -1;
  std::string message;
  Run("getRyCount", "查询异常：", true, message, [&] { n = EmployeeDao()->getRyCount(djxh, ly, cbzt); });
  return n;
}

int32_t TEmployeeServiceImpl::getItemCount(const std::string& djxh) {
  int32_t n = -1;
  std::string message;
  Run("getItemCount", "查询异常：", true, message, [&] { n = EmployeeDao()->getCount_V2(djxh, CbxmFilter{}); });
  return n;
}

std::string TEmployeeServiceImpl::getUpdateData(const std::string& djxh, const RyUpdateFilter& filter, int32_t page,
                                                int32_t pageSize) {
  std::string out = "[]", message;
  Run("getUpdateData", "查询异常：", true, message,
      [&] { out = EmployeeDao()->getUpdateData(djxh, filter, page, pageSize); });
  return out;
}

bool TEmployeeServiceImpl::StartUpdateYgcbxx(const std::string& djxh) {
  std::string message;
  return Run("StartUpdateYgcbxx", "同步异常：", false, message, [&] {
    // A second start is refused while a download runs or waits: taking over the waiting call's
    // payer would leave the first caller's payer silently not downloaded.
    if (background_ && !background_->Done()) throw service::OpRefusal("人员登记信息正在后台下载。");
    // The parameter service and the store are obtained here, on the host's thread (an absent one
    // fails the start with its own message); the pool thread reads the payer from the value bag.
    Ref<ISysParamIntf> params = SysParams(djxh);
    params->GetDataVO()->SetStrValue(kYgcbxxDjxhKey, djxh);
    Ref<IEmployeeDao> dao = EmployeeDao();
    GetNetComm();
    GetCommonFunctions();
    background_ = RunAsyncCall("updateYgcbxx", [dao, params] {
      const std::string payer = params->GetDataVO()->GetStrValue(kYgcbxxDjxhKey, "");
      try {
        DownloadYgcbxx(payer, true, *params, *dao);
      } catch (const std::exception& e) {
        LogException("TEmployeeServiceImpl.updateYgcbxx", e.what());
        throw;
      }
    });
  });
}

bool TEmployeeServiceImpl::WaitUpdateYgcbxx(int32_t timeoutMs, std::string& message) {
  message.clear();
  if (!background_) return true;
  if (!background_->Wait(std::chrono::milliseconds(timeoutMs))) return false;
  message = background_->ErrorText();
  return true;
}

namespace {
void RegisterEmployeeService() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeServiceImpl).iid, &ClassOf<TEmployeeServiceImpl>::Instance());
}
void UnregisterEmployeeService() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(11, velmor::RegisterEmployeeService, velmor::UnregisterEmployeeService)
