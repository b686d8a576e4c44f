// IRysbztDAO: the store of residents' declaration states (class TRysbztDAOImpl), table
// ds_rysbztb: per payer and payment year, the declaration and payment state of each insured line
// (`xzid`) as the server reported it, listed joined with the roster and its groups. Registered
// under this interface's GUID.
//
// Lines travel as JSON text: saveData takes an array of objects ("xzid", "sbrq", "ybtfe", "sbzt",
// "jfzt"); getData answers an array of objects. The query object may hold "jfnd", "sbzt",
// "xzjddm", "sqhczdm", "zsxmdm", "zspmdm", "zszmdm", "jfzt" ("0" unpaid, "1" paid), "xm", "zjlx",
// "zjhm" and "fzid"; an absent or empty key sets no filter.
//
// Failures never raise: "[异常]TRysbztDAOImpl.<op>：[<text>]" goes to the debug log, the user
// message becomes the last-error text, and the answer is false, 0 or "[]". Every value is
// quote-doubled. Each call takes its own connection; one object is used by one thread at a time.
// Operations are in slot order after the two of IServiceIntf.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IRysbztDAO : public IServiceIntf {
 public:
  VELMOR_IID("{0D4E42D2-800B-41F9-8FA8-E5F25B45E87E}")
  // 1: deletes the year's rows of the payer.
  virtual bool clearData(const std::string& djxh, const std::string& jfnd) = 0;
  // 2: replaces the year's rows of the payer by the lines of `lines` (a JSON array), in one
  // transaction: when any line cannot be stored nothing changes and the answer is false.
  virtual bool saveData(const std::string& djxh, const std::string& jfnd, const std::string& lines) = 0;
  // 3: the number of lines getData would list without paging.
  virtual int32_t getCount(const std::string& djxh, const std::string& query) = 0;
  // 4: one page of the lines (page from 1, -1 for all) as a JSON array.
  virtual std::string getData(const std::string& djxh, const std::string& query, int32_t page,
                              int32_t pageSize) = 0;

 protected:
  ~IRysbztDAO() = default;
};

}  // namespace velmor
