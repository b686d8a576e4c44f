// IRyztGzIntf: the person statuses (rule "ryztGz", rows ryztDm, ryztMc and attributes such as
// sfjf, "Y" when a person of that status pays).
//
// Immutable after construction; any thread may read it. Codes are compared ignoring letter
// case; the first row of a code wins. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"

namespace velmor {

class IRyztGzIntf : public IInterface {
 public:
  VELMOR_IID("{B1D3703E-BA26-492B-828A-F0689A88BA56}")
  // 1: the name of a status; empty when unknown.
  virtual std::string GetRyztMc(const std::string& ryztDm) = 0;
  // 2: the code of a status name (exact); empty when unknown.
  virtual std::string GetRyztDm(const std::string& ryztMc) = 0;
  // 3: every status as "code=name" lines, sorted, without duplicates.
  virtual std::string GetRyztList() = 0;
  // 4: true when the rule lists the status.
  virtual bool IsRyzt(const std::string& ryztDm) = 0;
  // 5: the text of any column of the status's row ("sfjf"); empty when either is unknown.
  virtual std::string GetAttribute(const std::string& ryztDm, const std::string& column) = 0;
  // 6: true when the status's sfjf is "Y".
  virtual bool IsSfjf(const std::string& ryztDm) = 0;
  // 7: number of distinct statuses.
  virtual int32_t GetCount() = 0;

 protected:
  ~IRyztGzIntf() = default;
};

}  // namespace velmor
