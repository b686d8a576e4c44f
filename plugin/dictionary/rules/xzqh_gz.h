// TXzqhGzImpl: the regions of rule "rsxzqhGz" (rows xzqhDm, sjxzqhDm; "000000" and "null" read
// as no code). Codes are compared exactly; the first row of a region gives its superior.
// Immutable after construction.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/xzqh_gz.h"

namespace velmor {

class TXzqhGzImpl : public Implements<TBusinessObject, IXzqhGzIntf> {
 public:
  VELMOR_PUBLISHED(TXzqhGzImpl, TBusinessObject)
  explicit TXzqhGzImpl(const nlohmann::json& rule = nullptr);
  bool IsXzqh(const std::string& xzqhDm) override;
  std::string GetSjxzqhDm(const std::string& xzqhDm) override;
  std::string GetXjxzqhList(const std::string& sjxzqhDm) override;

 private:
  std::map<std::string, std::string> Superior;  // region -> superior ("" for none)
  std::map<std::string, dict::SortedLines> Subordinates;
};

// A region code as read from the rule: "000000", "null" and blanks mean none.
std::string RegionCode(const std::string& code);

}  // namespace velmor
