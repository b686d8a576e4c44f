// TRS_xzjd_sqcz: the sub-districts and communities of each agency, from rule
// "sbjbjgjdxzsqczdzGz" (rows sbjbjgDm, jdxzDm, jdxzMc, sqczDm, sqczMc). Immutable after
// construction; it keeps a copy of the rows.
#pragma once

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/rs_xzjd_sqcz.h"

namespace velmor {

class TRS_xzjd_sqcz : public Implements<TBusinessObject, IRS_xzjd_sqcz> {
 public:
  VELMOR_PUBLISHED(TRS_xzjd_sqcz, TBusinessObject)
  // rule: the rule object, or null (an empty table).
  explicit TRS_xzjd_sqcz(const nlohmann::json& rule = nullptr);

  std::string GetJdxzList(const std::string& sbjbjgDms) override;
  std::string GetJdxzName(const std::string& jdxzDm) override { return Jdxz.ValueOf(jdxzDm); }
  std::string GetSqczList(const std::string& sbjbjgDms, const std::string& jdxzDm) override;
  std::string GetSqczName(const std::string& sqczDm) override { return Sqcz.ValueOf(sqczDm); }
  bool IsValidCombination(const std::string& sbjbjgDm, const std::string& jdxzDm, const std::string& sqczDm) override;

 private:
  nlohmann::json Rows = nlohmann::json::array();
  dict::PairList Jdxz, Sqcz;
};

// The "gzLb" array of a rule object; an empty array when the rule or the member is missing or
// is not an array.
const nlohmann::json& RuleRows(const nlohmann::json& rule);

}  // namespace velmor
