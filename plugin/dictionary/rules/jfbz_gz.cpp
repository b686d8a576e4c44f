#include "dictionary/rules/jfbz_gz.h"

#include <set>

#include "dictionary/dictionary.h"
#include "dictionary/name_list.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"

namespace velmor {

TJfbzGzImpl::TJfbzGzImpl(const nlohmann::json& rule, std::string yilbxDm)
    : Rows(RuleRows(rule)), YilbxDm(yilbxDm.empty() ? kDefaultYilbxDm : std::move(yilbxDm)) {}

std::string TJfbzGzImpl::GetJfdcByAge(const std::string& zsxmDm, const std::string& zspmDm,
                                      const std::string& sbjbjgDm, const std::string& rq, int age) {
  return Collect(zsxmDm, zspmDm, sbjbjgDm, rq, &age);
}

std::string TJfbzGzImpl::GetJfdc(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                                 const std::string& rq) {
  return Collect(zsxmDm, zspmDm, sbjbjgDm, rq, nullptr);
}

std::string TJfbzGzImpl::Collect(const std::string& zsxmDm, const std::string& zspmDm, const std::string& sbjbjgDm,
                                 const std::string& rq, const int* age) {
  std::optional<long> date = dict::DateNumber(rq);
  if (!date) return {};
  // The medical item has one branch of its own: its grades hold at every age.
  if (dict::EqualsIgnoreCase(zsxmDm, YilbxDm)) age = nullptr;
  // Amounts in ascending numeric order ("300" before "1000"), each once.
  std::set<std::pair<double, std::string>> amounts;
  for (const nlohmann::json& row : Rows) {
    if (!dict::EqualsIgnoreCase(MemberText(row, "zsxmDm"), zsxmDm) ||
        !dict::EqualsIgnoreCase(MemberText(row, "zspmDm"), zspmDm) ||
        !dict::EqualsIgnoreCase(MemberText(row, "sbjbjgDm"), sbjbjgDm))
      continue;
    if (!dict::InDateRange(*date, row, "yxqq", "yxqz")) continue;
    if (age && !dict::InNumberRange(*age, row, "nldq", "nldz")) continue;
    auto dcje = row.find("dcje");
    std::optional<double> amount = dcje == row.end() ? std::nullopt : dict::NumberOf(*dcje);
    if (!amount) continue;  // a grade without an amount is no grade
    amounts.emplace(*amount, MemberText(row, "dcje"));
  }
  std::string out;
  double last = 0;
  bool first = true;
  for (const auto& [value, text] : amounts) {
    if (!first && value == last) continue;  // "300" and 300.0 are one amount
    if (!first) out += "\r\n";
    out += text;
    last = value;
    first = false;
  }
  return out;
}

}  // namespace velmor
