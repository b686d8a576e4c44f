// TEmployeeUnpaidServiceImpl: the unpaid list and its workbook (IEmployeeUnpaidService),
// registered as row 16 of the service table, over TEmployeeUnpaidDaoImpl. See
// include/velmor/employee_unpaid.h for the contract and docs/employee-service.md for the layout
// of the workbook. One object is used by one thread at a time (ErrorMessage is its state).
#pragma once

#include <string>
#include <vector>

#include "business/business_object.h"
#include "velmor/employee_unpaid.h"

namespace velmor {

// The captions of the unpaid workbook, in column order.
const std::vector<std::string>& UnpaidCaptions();

class TEmployeeUnpaidServiceImpl : public ServiceImpl<TSBBaseObj, IEmployeeUnpaidService> {
 public:
  VELMOR_PUBLISHED(TEmployeeUnpaidServiceImpl, TSBBaseObj)

  bool getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page, int32_t pageSize,
               std::vector<TEmployeeUnpaidEntity>& rows) override;
  bool exportData(const std::string& djxh, const UnpaidFilter& filter, const std::string& path,
                  int32_t& count) override;
};

}  // namespace velmor
