#include "dictionary/rules/xzylgx_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/name_list.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"
#include "framework/log.h"

namespace velmor {

TXzylgxGz::TXzylgxGz(const nlohmann::json& rule) {
  try {
    // Rows without the related type can never answer; leaving them out keeps lookups simple.
    for (const nlohmann::json& row : RuleRows(rule))
      if (!MemberText(row, "ylxzlxDm").empty()) Rows.push_back(row);
  } catch (const std::exception& e) {
    LogException("TXzylgxGz.Load", e.what());
  }
}

std::string TXzylgxGz::GetYlxzlxDm(const std::string& sbjbjgDm, const std::string& xzlxDm, const std::string& rq) {
  std::optional<long> date = dict::DateNumber(rq);
  if (!date) return {};
  for (const nlohmann::json& row : Rows) {
    if (dict::CodeMatches(MemberText(row, "sbjbjgDm"), sbjbjgDm) &&
        dict::EqualsIgnoreCase(MemberText(row, "xzlxDm"), xzlxDm) && dict::InDateRange(*date, row, "yxqq", "yxqz"))
      return MemberText(row, "ylxzlxDm");
  }
  return {};
}

}  // namespace velmor
