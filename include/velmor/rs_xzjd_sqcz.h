// IRS_xzjd_sqcz: the rule of sub-districts (jdxz) and communities (sqcz) of each
// social-insurance agency (rule "sbjbjgjdxzsqczdzGz"), from the dictionary manager.
//
// Immutable after construction; any thread may read it. Lists are texts of "code=name" lines,
// sorted, without duplicates. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IRS_xzjd_sqcz : public IInterface {
 public:
  VELMOR_IID("{CFFEAD46-1E40-4C37-AEEF-F63068BA6CFE}")
  // 1: sub-districts of the agencies (one code per line; empty: of all agencies).
  virtual std::string GetJdxzList(const std::string& sbjbjgDms) = 0;
  // 2: the name of a sub-district; empty when unknown.
  virtual std::string GetJdxzName(const std::string& jdxzDm) = 0;
  // 3: communities of the agencies and (when given, ignoring case) of one sub-district.
  virtual std::string GetSqczList(const std::string& sbjbjgDms, const std::string& jdxzDm) = 0;
  // 4: the name of a community; empty when unknown.
  virtual std::string GetSqczName(const std::string& sqczDm) = 0;
  // 5: true when one row holds exactly these three codes.
  virtual bool IsValidCombination(const std::string& sbjbjgDm, const std::string& jdxzDm,
                                  const std::string& sqczDm) = 0;

 protected:
  ~IRS_xzjd_sqcz() = default;
};

}  // namespace velmor
