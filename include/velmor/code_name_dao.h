// ICodeNameDAO: the store of code/name pairs grouped by a numeric category `lb` (table sb_dmmcb),
// the service registered under this interface's GUID string (class TCodeNameDAO).
//
// Each call takes its own database connection. No operation throws: a failure is written to
// the host's debug log and answers the empty result or false. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"

namespace velmor {

class ICodeNameDAO : public IInterface {
 public:
  VELMOR_IID("{3AF7A5C0-9432-4293-8799-173B96B243CA}")
  // The pairs of a category as a JSON array of {"code": dm, "name": mc}, in store order; "[]"
  // when there are none or reading failed.
  virtual std::string GetCodeNameList(int32_t lb) = 0;
  // Sets the name of (lb, dm), adding the pair when it is new; true when stored.
  virtual bool AddCodeName(int32_t lb, const std::string& dm, const std::string& mc) = 0;

 protected:
  ~ICodeNameDAO() = default;
};

}  // namespace velmor
