// IJfpjDAO: the local register of payment receipts, payments made outside the client, in ds_jfpj
// (class TJfpjDAO, registered under this interface's GUID string).
//
// Rows and filters are JSON: a filter is an object whose non-empty members add their condition
// (xm and zjhm as parts, zjlx, drrqq / drrqz import dates, jfrqq / jfrqz payment dates); rows are
// arrays of objects, values as text; pages count from 1, -1 for all rows. A receipt is stored
// once: saving an equal one again (same person, agency, items, period, amount and date) adds
// nothing. ID numbers of type "201" are kept in upper case.
//
// Failures never raise: an operation answers false, -1 or "[]" with the user message as the
// last-error text and logs "[TJfpjDAO.<op>]异常：<text>". Each operation takes its own database
// connection; one object is used by one thread at a time. Operations are in slot order after
// IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IJfpjDAO : public IServiceIntf {
 public:
  VELMOR_IID("{8BCD8594-66BB-44CD-A11A-BB15AC56957B}")
  // 1, 2: count and page (by name, newest import first) of the payer's receipts. Page rows hold
  // id, xm, zjlx, zjhm, sbjbjgmc, zsxmmc, zspmmc, zszmmc, fkssqq, fkssqz, jfje, jfrq, drrq, drsj
  // and the person's rydjxh from the roster ("" when the roster has no such person).
  virtual int32_t GetCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 3: stores the receipts (JSON array of objects: xm, zjlx, zjhm, sbjbjgmc, zsxmmc, zspmmc,
  // zszmmc, fkssqq, fkssqz, jfje, jfrq) not yet held, stamped with now, in one transaction;
  // `added` receives how many were new.
  virtual bool SaveData(const std::string& djxh, const std::string& rows, int32_t& added) = 0;
  // 4: deletes the payer's receipts of these ids (JSON array of integers) in one transaction.
  virtual bool DeleteData(const std::string& djxh, const std::string& ids) = 0;

 protected:
  ~IJfpjDAO() = default;
};

}  // namespace velmor
