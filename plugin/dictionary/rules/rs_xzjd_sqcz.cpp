#include "dictionary/rules/rs_xzjd_sqcz.h"

#include <algorithm>

#include "dictionary/dictionary.h"

namespace velmor {

const nlohmann::json& RuleRows(const nlohmann::json& rule) {
  static const nlohmann::json kEmpty = nlohmann::json::array();
  if (!rule.is_object()) return kEmpty;
  auto it = rule.find("gzLb");
  return it != rule.end() && it->is_array() ? *it : kEmpty;
}

namespace {

std::string Pair(const nlohmann::json& row, const char* code, const char* name) {
  return MemberText(row, code) + "=" + MemberText(row, name);
}

bool AmongCodes(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

TRS_xzjd_sqcz::TRS_xzjd_sqcz(const nlohmann::json& rule) : Rows(RuleRows(rule)) {
  for (const nlohmann::json& row : Rows) {
    Jdxz.Add(MemberText(row, "jdxzDm"), MemberText(row, "jdxzMc"));
    Sqcz.Add(MemberText(row, "sqczDm"), MemberText(row, "sqczMc"));
  }
}

std::string TRS_xzjd_sqcz::GetJdxzList(const std::string& sbjbjgDms) {
  std::vector<std::string> agencies = dict::SplitLines(sbjbjgDms);
  dict::SortedLines out;
  for (const nlohmann::json& row : Rows) {
    if (agencies.empty() || AmongCodes(agencies, MemberText(row, "sbjbjgDm"))) out.Add(Pair(row, "jdxzDm", "jdxzMc"));
  }
  return out.Text();
}

std::string TRS_xzjd_sqcz::GetSqczList(const std::string& sbjbjgDms, const std::string& jdxzDm) {
  std::vector<std::string> agencies = dict::SplitLines(sbjbjgDms);
  dict::SortedLines out;
  for (const nlohmann::json& row : Rows) {
    if (!agencies.empty() && !AmongCodes(agencies, MemberText(row, "sbjbjgDm"))) continue;
    if (!jdxzDm.empty() && !dict::EqualsIgnoreCase(MemberText(row, "jdxzDm"), jdxzDm)) continue;
    out.Add(Pair(row, "sqczDm", "sqczMc"));
  }
  return out.Text();
}

bool TRS_xzjd_sqcz::IsValidCombination(const std::string& sbjbjgDm, const std::string& jdxzDm,
                                       const std::string& sqczDm) {
  return std::any_of(Rows.begin(), Rows.end(), [&](const nlohmann::json& row) {
    return MemberText(row, "sbjbjgDm") == sbjbjgDm && MemberText(row, "jdxzDm") == jdxzDm &&
           MemberText(row, "sqczDm") == sqczDm;
  });
}

}  // namespace velmor
