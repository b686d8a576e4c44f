// IXzqhGzIntf: the regions of residents' insurance and their superiors (rule "rsxzqhGz", rows
// xzqhDm and sjxzqhDm; "000000" and "null" stand for no code).
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IXzqhGzIntf : public IInterface {
 public:
  VELMOR_IID("{8A60E33F-A91C-4690-AC80-D134D66A2EC6}")
  // 1: true when the rule lists the region.
  virtual bool IsXzqh(const std::string& xzqhDm) = 0;
  // 2: the superior of a region (first row wins); empty when none or unknown.
  virtual std::string GetSjxzqhDm(const std::string& xzqhDm) = 0;
  // 3: the regions directly under a superior, one per line, sorted, without duplicates.
  virtual std::string GetXjxzqhList(const std::string& sjxzqhDm) = 0;

 protected:
  ~IXzqhGzIntf() = default;
};

}  // namespace velmor
