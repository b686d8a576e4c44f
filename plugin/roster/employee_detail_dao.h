// TEmployeeDetailDaoImpl: the detail reads of one person (IEmployeeDetailDao), registered as row
// 15 of the service table. See include/velmor/employee_detail_dao.h for the contract.
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include "business/business_object.h"
#include "store/sql.h"
#include "velmor/employee_detail_dao.h"

namespace velmor {

// The optional conditions of getCbxmData, in their fixed order; `month` is the current month.
SqlFragment CbxmDetailConditions(const CbxmDetailFilter& f, const std::string& month);

class TEmployeeDetailDaoImpl : public ServiceImpl<TSBBaseObj, IEmployeeDetailDao> {
 public:
  VELMOR_PUBLISHED(TEmployeeDetailDaoImpl, TSBBaseObj)

  std::vector<std::string> getRybhData(const std::string& djxh, const std::string& rydjxh,
                                       const std::string& year) override;
  std::vector<std::string> getSbjbjgData(const std::string& djxh, const std::string& rydjxh, const std::string& rybh,
                                         const std::string& year) override;
  std::vector<TRycbmxEntity> getData(const std::string& djxh, const std::string& rydjxh, const std::string& rybh,
                                     const std::string& sbjbjgdm) override;
  std::vector<TRycbxmEntity> getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                         const CbxmDetailFilter& filter) override;
};

}  // namespace velmor
