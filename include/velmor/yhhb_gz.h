// IYhhbGzIntf: the bank kinds (rule "yhhbGz"): the name of a bank-kind code.
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IYhhbGzIntf : public IInterface {
 public:
  VELMOR_IID("{DB584D2C-D82B-46F0-BEC7-C1B7A0DBFD33}")
  // 1: yhhbMc of the first row of yhhbDm (exact match); empty when unknown.
  virtual std::string GetYhhbMc(const std::string& yhhbDm) = 0;

 protected:
  ~IYhhbGzIntf() = default;
};

}  // namespace velmor
