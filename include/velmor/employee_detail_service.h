// IEmployeeDetailService: one person's enrolments and insured items for the host's detail view
// (class TEmployeeDetailServiceImpl, registered under this interface's GUID string). Operations
// 1-4 forward to IEmployeeDetailDao (obtained from the service factory per call; "创建接口失败！"
// when it cannot be); the items come back labelled. Operation 5 gives the validity label.
//
// Failures never raise: the answer is empty and the last-error text (GetErrorMessage) says why.
// Used from the host's main thread; one object by one thread at a time. Operations are in slot
// order after IServiceIntf's two.
#pragma once

#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/employee_detail_types.h"

namespace velmor {

class IEmployeeDetailService : public IServiceIntf {
 public:
  VELMOR_IID("{7B36A752-BF62-4FB0-BF22-29C46082DECB}")
  // 1-4: as IEmployeeDetailDao's; the items of 4 carry their label in yxbzmc.
  virtual std::vector<std::string> getRybhData(const std::string& djxh, const std::string& rydjxh,
                                               const std::string& year) = 0;
  virtual std::vector<std::string> getSbjbjgData(const std::string& djxh, const std::string& rydjxh,
                                                 const std::string& rybh, const std::string& year) = 0;
  virtual std::vector<TRycbmxEntity> getData(const std::string& djxh, const std::string& rydjxh,
                                             const std::string& rybh, const std::string& sbjbjgdm) = 0;
  virtual std::vector<TRycbxmEntity> getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                                 const CbxmDetailFilter& filter) = 0;
  // 5: "有效" when the item and its enrolment are "Y" and the item's stop month is not before the
  // current month ("yyyy-mm"), else "无效".
  virtual std::string getYxbzmc(const TRycbxmEntity& item) = 0;

 protected:
  ~IEmployeeDetailService() = default;
};

}  // namespace velmor
