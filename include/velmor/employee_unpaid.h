// The unpaid records of the roster: the insured items for which no payment registration
// (ds_sbjfrydjxxb) exists in a year.
//
// IEmployeeUnpaidDao (class TEmployeeUnpaidDaoImpl) reads the list; IEmployeeUnpaidService (class
// TEmployeeUnpaidServiceImpl) forwards the read and writes the list to a workbook. Both are
// registered under their interface's GUID string. Only valid items (item "Y") whose payment
// months overlap the year asked are listed: an item stopped before the year, or starting after
// it, is never unpaid in it.
//
// Failures never raise: the answer is false and the last-error text (GetErrorMessage) says why;
// the store logs "[异常]TEmployeeUnpaidDaoImpl.getData：[<text>]", the export
// "[异常]TEmployeeUnpaidServiceImpl.exportData：[<text>]". Each call takes its own connection;
// one object is used by one thread at a time. Operations are in slot order after IServiceIntf's
// two.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/employee_detail_types.h"

namespace velmor {

class IEmployeeUnpaidDao : public IServiceIntf {
 public:
  VELMOR_IID("{6F5F2780-D6DC-48B0-B69F-B36B4AEF1A82}")
  // 1: one page (from 1; -1 for all) of the payer's unpaid items by the filter, ordered by name
  // and sub-item.
  virtual bool getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page, int32_t pageSize,
                       std::vector<TEmployeeUnpaidEntity>& rows) = 0;

 protected:
  ~IEmployeeUnpaidDao() = default;
};

class IEmployeeUnpaidService : public IServiceIntf {
 public:
  VELMOR_IID("{D3BDCF3B-70C6-44FF-BF1E-F9B43F6DFDBD}")
  // 1: IEmployeeUnpaidDao::getData.
  virtual bool getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page, int32_t pageSize,
                       std::vector<TEmployeeUnpaidEntity>& rows) = 0;
  // 2: writes the whole list (all pages) to an XLSX workbook at `path` (replaced atomically);
  // `count` receives the number of rows written. The item type of a sub-item the roster does not
  // carry is taken from the fee standards (IJfbzDAO, "创建平台组件接口[IJfbzDAO]失败！").
  virtual bool exportData(const std::string& djxh, const UnpaidFilter& filter, const std::string& path,
                          int32_t& count) = 0;

 protected:
  ~IEmployeeUnpaidService() = default;
};

}  // namespace velmor
