// ISysParamIntf: the system parameters of the current payer, cached (class TSysParamImpl).
//
// SetDjxh loads the payer's own parameters and those under "global_param"; a payer's value
// shadows a global one of the same key. Writes go to the store only when the value changes.
// Reading never throws; a failure of the store is written to the host's debug log. One object is
// used by one thread at a time (calls are serialised internally all the same). Operations are in
// slot order; the ninth is a host convenience after the published eight.
#pragma once

#include <string>

#include "velmor/data_vo.h"
#include "velmor/interface.h"
#include "velmor/ref.h"

namespace velmor {

class ISysParamIntf : public IInterface {
 public:
  VELMOR_IID("{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}")
  // 1: makes `djxh` the current payer and reloads the cache.
  virtual void SetDjxh(const std::string& djxh) = 0;
  // 2: the service's own in-memory bag of values (never stored), for handing values between
  // threads; the same object for the service's life.
  virtual Ref<IDataVO> GetDataVO() = 0;
  // 3: the cached value; empty when absent.
  virtual std::string GetValue(const std::string& key) = 0;
  // 4: GetValue, or `def` when that is empty.
  virtual std::string GetValueDef(const std::string& key, const std::string& def) = 0;
  // 5: SetValueFor with the current payer.
  virtual bool SetValue(const std::string& key, const std::string& value) = 0;
  // 6: stores the value for `djxh` unless it already holds it; true when the value is stored
  // (written now or already there), false when writing failed (the cache is then unchanged).
  virtual bool SetValueFor(const std::string& djxh, const std::string& key, const std::string& value) = 0;
  // 7, 8: two text properties that nothing assigns; they read as empty.
  virtual std::string GetExtraText1() = 0;
  virtual std::string GetExtraText2() = 0;
  // 9 (host convenience): the effective parameters of the current payer as a JSON array of
  // {"key", "value", "djxh"} (djxh: where the value comes from), payer's own first.
  virtual std::string GetValueList() = 0;

 protected:
  ~ISysParamIntf() = default;
};

}  // namespace velmor
