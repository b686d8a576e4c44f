// TEmployeeDetailServiceImpl: one person's enrolments and insured items for the detail view
// (IEmployeeDetailService), registered as row 14 of the service table, over
// TEmployeeDetailDaoImpl. See include/velmor/employee_detail_service.h for the contract.
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include "business/business_object.h"
#include "velmor/employee_detail_service.h"

namespace velmor {

inline constexpr const char* kDetailDaoMissing = "创建接口失败！";

// The validity label of an insured item in `month` ("yyyy-mm").
std::string CbxmValidityLabel(const TRycbxmEntity& item, const std::string& month);

class TEmployeeDetailServiceImpl : public ServiceImpl<TSBBaseObj, IEmployeeDetailService> {
 public:
  VELMOR_PUBLISHED(TEmployeeDetailServiceImpl, TSBBaseObj)

  std::vector<std::string> getRybhData(const std::string& djxh, const std::string& rydjxh,
                                       const std::string& year) override;
  std::vector<std::string> getSbjbjgData(const std::string& djxh, const std::string& rydjxh, const std::string& rybh,
                                         const std::string& year) override;
  std::vector<TRycbmxEntity> getData(const std::string& djxh, const std::string& rydjxh, const std::string& rybh,
                                     const std::string& sbjbjgdm) override;
  std::vector<TRycbxmEntity> getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                         const CbxmDetailFilter& filter) override;
  std::string getYxbzmc(const TRycbxmEntity& item) override;

 private:
  // Runs `read` on the store; its last-error text becomes this service's.
  template <class R, class F>
  R Forward(std::string_view op, F&& read);
};

}  // namespace velmor
