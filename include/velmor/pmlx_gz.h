// IPmlxGz: which levy sub-items (zspmDm) belong to a sub-item type (pmlx), rule "pmlxGz".
//
// Immutable after construction; any thread may read it.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IPmlxGz : public IInterface {
 public:
  VELMOR_IID("{54D11D8F-5417-411D-BF29-9AE5CC4BD13F}")
  // 1: true when the rule lists zspmDm under pmlx.
  virtual bool IsPmlx(const std::string& zspmDm, const std::string& pmlx) = 0;

 protected:
  ~IPmlxGz() = default;
};

}  // namespace velmor
