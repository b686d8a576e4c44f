// IXzylgxGz: the payment-method rule (rule "jnfsGz"): for an agency and insurance type, the
// related insurance type (ylxzlxDm) valid at a date.
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IXzylgxGz : public IInterface {
 public:
  VELMOR_IID("{F33DA7FA-3FA4-42F5-A638-ABE9C5065E3D}")
  // 1: ylxzlxDm of the first row of the agency ("%" rows: any) and xzlxDm (letter case ignored)
  // whose yxqq-yxqz (yyyymmdd, an empty bound open) holds `rq` ("yyyy-mm-dd" or "yyyymmdd");
  // empty when none matches or `rq` is no date.
  virtual std::string GetYlxzlxDm(const std::string& sbjbjgDm, const std::string& xzlxDm, const std::string& rq) = 0;

 protected:
  ~IXzylgxGz() = default;
};

}  // namespace velmor
