// ISysParamDAO: the store of system parameters (table sb_xtcsb), one value per payer `djxh` and
// key; parameters of no payer are kept under the payer "global_param". Registered under this
// interface's GUID string (class TSysParamDaoImpl).
//
// Each call takes its own database connection. No operation throws: a failure is written to the
// host's debug log and answers the empty result or false. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

inline constexpr const char* kGlobalParamDjxh = "global_param";

class ISysParamDAO : public IInterface {
 public:
  VELMOR_IID("{A67BEE99-9DCF-4558-9B43-CEC04E82872C}")
  // The stored value; empty when there is none (or reading failed).
  virtual std::string getData(const std::string& djxh, const std::string& key) = 0;
  // Stores the value, adding the row when it is new; true when stored.
  virtual bool setData(const std::string& djxh, const std::string& key, const std::string& value) = 0;
  // Every parameter of the payer as a JSON array of {"key", "value"}; "[]" when there are none
  // or reading failed.
  virtual std::string GetAllData(const std::string& djxh) = 0;

 protected:
  ~ISysParamDAO() = default;
};

}  // namespace velmor
