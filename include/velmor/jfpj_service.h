// IJfpjService: payment receipts (class TJfpjService, registered under this interface's GUID
// string): the register of IJfpjDAO for the current payer, the import of receipts from an XLS or
// XLSX workbook filled in from the template, and the template itself.
//
// The import checks the header (the ten titles of the template, in order) and each row in turn;
// valid rows are stored, rejected ones come back as {"row", "errormsg", "col_0".."col_9"} (the
// row's number in the sheet, its first failure and its ten raw values in template order).
//
// Failures never raise: an operation answers false (or -1, "[]") with the user message in
// `message` (where it has one) and as the last-error text, and logs "[TJfpjService.<op>]异常：".
// Used from the host's main thread; one object by one thread at a time. Operations are in slot
// order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IJfpjService : public IServiceIntf {
 public:
  VELMOR_IID("{52B2A53D-FA07-487F-9146-111F43919A87}")
  // 1-4: the store's operations for the current payer.
  virtual int32_t GetCount(const std::string& filter) = 0;
  virtual std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  virtual bool SaveData(const std::string& rows, int32_t& added, std::string& message) = 0;
  virtual bool DeleteData(const std::string& ids, std::string& message) = 0;
  // 5: imports the workbook at `path`; out: the valid rows (JSON array, all stored once) and the
  // rejected rows (JSON array).
  virtual bool ImportXls(const std::string& path, std::string& valid, std::string& rejected, std::string& message) = 0;
  // 6: writes the import template (an XLSX workbook) to `path`.
  virtual bool DealXlsTemplate(const std::string& path, std::string& message) = 0;

 protected:
  ~IJfpjService() = default;
};

}  // namespace velmor
