#include "roster/employee_detail_service.h"

#include "business/date_time.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "velmor/employee_detail_dao.h"

namespace velmor {

std::string CbxmValidityLabel(const TRycbxmEntity& item, const std::string& month) {
  // Months compare as text ("yyyy-mm"); a longer stop date ("yyyy-mm-dd") compares by its month.
  const bool valid = item.yxbz == "Y" && item.cbjgYxbz == "Y" && item.tzjfyf.substr(0, 7) >= month;
  return valid ? "有效" : "无效";
}

template <class R, class F>
R TEmployeeDetailServiceImpl::Forward(std::string_view op, F&& read) {
  ErrorMessage.clear();
  return Guarded<Exception>({"TEmployeeDetailServiceImpl", op, LogForm::kBracketed}, {"", true, UnknownText::kShown},
                            &ErrorMessage, R{}, [&] {
                              Ref<IEmployeeDetailDao> dao = CreatePluginService<IEmployeeDetailDao>(kDetailDaoMissing);
                              R out = read(*dao);
                              ErrorMessage = dao->GetErrorMessage();
                              return out;
                            });
}

std::vector<std::string> TEmployeeDetailServiceImpl::getRybhData(const std::string& djxh, const std::string& rydjxh,
                                                                 const std::string& year) {
  return Forward<std::vector<std::string>>(
      "getRybhData", [&](IEmployeeDetailDao& dao) { return dao.getRybhData(djxh, rydjxh, year); });
}

std::vector<std::string> TEmployeeDetailServiceImpl::getSbjbjgData(const std::string& djxh, const std::string& rydjxh,
                                                                   const std::string& rybh, const std::string& year) {
  return Forward<std::vector<std::string>>(
      "getSbjbjgData", [&](IEmployeeDetailDao& dao) { return dao.getSbjbjgData(djxh, rydjxh, rybh, year); });
}

std::vector<TRycbmxEntity> TEmployeeDetailServiceImpl::getData(const std::string& djxh, const std::string& rydjxh,
                                                               const std::string& rybh, const std::string& sbjbjgdm) {
  return Forward<std::vector<TRycbmxEntity>>(
      "getData", [&](IEmployeeDetailDao& dao) { return dao.getData(djxh, rydjxh, rybh, sbjbjgdm); });
}

std::vector<TRycbxmEntity> TEmployeeDetailServiceImpl::getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                                                   const CbxmDetailFilter& filter) {
  return Forward<std::vector<TRycbxmEntity>>("getCbxmData", [&](IEmployeeDetailDao& dao) {
    std::vector<TRycbxmEntity> items = dao.getCbxmData(djxh, rydjxh, filter);
    const std::string month = CurrentMonth();
    for (TRycbxmEntity& item : items) item.yxbzmc = CbxmValidityLabel(item, month);
    return items;
  });
}

std::string TEmployeeDetailServiceImpl::getYxbzmc(const TRycbxmEntity& item) {
  return CbxmValidityLabel(item, CurrentMonth());
}

namespace {
void RegisterDetailService() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeDetailServiceImpl).iid,
                       &ClassOf<TEmployeeDetailServiceImpl>::Instance());
}
void UnregisterDetailService() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeDetailServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(14, velmor::RegisterDetailService, velmor::UnregisterDetailService)
