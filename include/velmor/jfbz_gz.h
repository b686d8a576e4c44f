// IJfbzGzIntf: the fee-standard grade amounts (rule "jfbzGz"): rows of levy item, sub-item and
// agency with a validity range (yxqq-yxqz, yyyymmdd), an age range (nldq-nldz) and the amount
// dcje.
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IJfbzGzIntf : public IInterface {
 public:
  VELMOR_IID("{A2140E93-4A5D-4D05-8D76-9550EE5215B9}")
  // 1: the amounts of the rows matching the codes (letter case ignored), valid at `rq`
  // ("yyyy-mm-dd" or "yyyymmdd") and whose age range holds `age`; one amount per line, in
  // ascending order, without duplicates. For the medical levy item (system parameter
  // "zsxmdm_yilbx", default "10212") the age range is not applied. Empty for a bad date.
  virtual std::string GetJfdcByAge(const std::string& zsxmDm, const std::string& zspmDm,
                                   const std::string& sbjbjgDm, const std::string& rq, int age) = 0;
  // 2: the same without an age.
  virtual std::string GetJfdc(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                              const std::string& rq) = 0;

 protected:
  ~IJfbzGzIntf() = default;
};

}  // namespace velmor
