// TEmployeeUnpaidDaoImpl: the unpaid list (IEmployeeUnpaidDao), registered as row 17 of the
// service table. See include/velmor/employee_unpaid.h for the contract.
// One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include <string>

#include "business/business_object.h"
#include "store/sql.h"
#include "velmor/employee_unpaid.h"

namespace velmor {

// The statement of one page of the unpaid list.
std::string UnpaidListSql(const std::string& djxh, const UnpaidFilter& filter, int32_t page, int32_t pageSize);

class TEmployeeUnpaidDaoImpl : public ServiceImpl<TSBBaseObj, IEmployeeUnpaidDao> {
 public:
  VELMOR_PUBLISHED(TEmployeeUnpaidDaoImpl, TSBBaseObj)

  bool getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page, int32_t pageSize,
               std::vector<TEmployeeUnpaidEntity>& rows) override;
};

}  // namespace velmor
