// ITsrqsbjfDAO: the local record of special-group declarations, one row per declared line in
// ds_tsrqsbjlb (class TTsrqsbjfDAOImpl, registered under this interface's GUID string).
//
// Rows and filters are JSON: a filter is an object whose non-empty members add their condition
// (xm, zjlx, zjhm, sbjbjgdm, sblx, and sbzt / jfzt as comma-separated integers "2,6"); rows are
// arrays of objects keyed by column name, values as text; pages count from 1, -1 for all rows.
// Declaration states (sbzt): 1 submitted, verdict outstanding; 2 declared; 3 failed; 6 declared
// elsewhere (counts as declared). Payment states (jfzt): 0 unpaid, 1 paid.
//
// Failures never raise: an operation answers false, -1 or "[]" with the user message as the
// last-error text and logs "[TTsrqsbjfDAOImpl.<op>]异常：<text>". Each operation takes its own
// database connection; one object is used by one thread at a time. Operations are in slot
// order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class ITsrqsbjfDAO : public IServiceIntf {
 public:
  VELMOR_IID("{AFE31544-F133-40F5-9292-605C0DF6044D}")
  // 1, 2: count and page of the payer's declared lines (grouped per declaration and line).
  virtual int32_t GetCount(const std::string& djxh, const std::string& filter) = 0;
  virtual std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 3: the verdict of a submission: the rows of `oldYzpzxh` (the submission's serial) get the
  // state, the levy document `yzpzxh`, the error text and, when not empty, the declaration date.
  virtual bool UpdateSbzt(const std::string& oldYzpzxh, int32_t sbzt, const std::string& yzpzxh,
                          const std::string& cwxx, const std::string& sbrq) = 0;
  // 4: the payment state of one item of a declaration (zszmdm "null" or "": any detail).
  virtual bool UpdateJfzt(const std::string& yzpzxh, const std::string& zsxmdm, const std::string& zspmdm,
                          const std::string& zszmdm, int32_t jfzt, const std::string& cwxx) = 0;
  // 5: every row of a declaration, as a JSON array.
  virtual std::string getByYzpzxh(const std::string& yzpzxh) = 0;
  // 6: sets jfzt on a declaration whose declared rows (sbzt 2 or 6) total 0.
  virtual bool UpdateLjeJfzt(const std::string& yzpzxh, int32_t jfzt) = 0;
  // 7 (added to the store's six so the manager writes through it): inserts the lines (JSON array
  // of objects with the table's columns) in one transaction; nothing is stored when one fails.
  virtual bool SaveSbjl(const std::string& rows) = 0;

 protected:
  ~ITsrqsbjfDAO() = default;
};

}  // namespace velmor
