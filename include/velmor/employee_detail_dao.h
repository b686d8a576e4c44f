// IEmployeeDetailDao: the reads of one person's enrolments and insured items for the detail view
// (class TEmployeeDetailDaoImpl, registered under this interface's GUID string), over the roster
// tables sb_rycbjgxxb and sb_rycbxmb.
//
// Failures never raise: the line "[异常]TEmployeeDetailDaoImpl.<op>：[<text>]" goes to the debug
// log, "数据库查询失败。" becomes the last-error text and the answer is empty. Every value is
// quote-doubled in its statement. Each call takes its own connection; one object is used by one
// thread at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/employee_detail_types.h"

namespace velmor {

class IEmployeeDetailDao : public IServiceIntf {
 public:
  VELMOR_IID("{C765BF4E-710B-489A-92DE-5C1C49EFCE7A}")
  // 1: the person numbers of a person, those with an item registered in `year` when it is given.
  virtual std::vector<std::string> getRybhData(const std::string& djxh, const std::string& rydjxh,
                                               const std::string& year) = 0;
  // 2: the agencies of a person, narrowed to one person number and to `year` when given.
  virtual std::vector<std::string> getSbjbjgData(const std::string& djxh, const std::string& rydjxh,
                                                 const std::string& rybh, const std::string& year) = 0;
  // 3: the enrolment of a person under one person number and agency (at most one row in practice).
  virtual std::vector<TRycbmxEntity> getData(const std::string& djxh, const std::string& rydjxh,
                                             const std::string& rybh, const std::string& sbjbjgdm) = 0;
  // 4: the insured items of a person with their enrolment's validity, by the filter; "valid"
  // means the item and its enrolment are "Y" and the item's stop month is not before this month.
  virtual std::vector<TRycbxmEntity> getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                                 const CbxmDetailFilter& filter) = 0;

 protected:
  ~IEmployeeDetailDao() = default;
};

}  // namespace velmor
