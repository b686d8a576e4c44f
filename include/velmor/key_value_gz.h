// IKeyValueGzIntf: a plain key-to-value rule (such as "swryGz"). Rows carry "key" and "value";
// rows of a code table ("dm", "mc") are read the same way.
//
// Immutable after construction; any thread may read it. Keys are compared ignoring letter case;
// the first row of a key wins. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IKeyValueGzIntf : public IInterface {
 public:
  VELMOR_IID("{E8924DA7-BFD5-4876-8BAB-647FB1CE12F2}")
  // 1: the value of a key; empty when unknown.
  virtual std::string GetValue(const std::string& key) = 0;
  // 2: every pair as "key=value" lines, sorted, without duplicates.
  virtual std::string GetKeyValueList() = 0;

 protected:
  ~IKeyValueGzIntf() = default;
};

}  // namespace velmor
