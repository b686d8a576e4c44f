#include "dictionary/rules/cxjm_fkssq_gz.h"

#include <cctype>

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "framework/log.h"

namespace velmor {

std::string ResolvePeriodSpec(const std::string& spec, const std::string& jfnd) {
  if (spec.size() != 4 || jfnd.size() != 4) return {};
  for (char c : jfnd)
    if (!std::isdigit(static_cast<unsigned char>(c))) return {};
  if (!std::isdigit(static_cast<unsigned char>(spec[2])) || !std::isdigit(static_cast<unsigned char>(spec[3])))
    return {};
  std::string year;
  std::string marker = spec.substr(0, 2);
  if (marker == "DN") {
    year = jfnd;
  } else if (marker == "CN") {
    year = std::to_string(std::stoi(jfnd) + 1);
  } else {
    return {};
  }
  return year + "-" + spec.substr(2, 2);
}

TCxjmFkssqGzImpl::TCxjmFkssqGzImpl(const nlohmann::json& rule) {
  try {
    for (const nlohmann::json& row : RuleRows(rule)) {
      std::string agency = MemberText(row, "sbjbjgDm");
      if (agency == "%") agency.clear();
      Rows.try_emplace(agency + MemberText(row, "fkssqlx"),
                       Period{MemberText(row, "fkssqq"), MemberText(row, "fkssqz")});
    }
  } catch (const std::exception& e) {
    LogException("TCxjmFkssqGzImpl.Create", e.what());
  }
}

bool TCxjmFkssqGzImpl::GetFkssq(const std::string& key1, const std::string& key2, const std::string& jfnd,
                                std::string& fkssqq, std::string& fkssqz, std::string& errorText) {
  errorText = kFkssqConfigError;
  fkssqq.clear();
  fkssqz.clear();
  auto it = Rows.find(key1 + key2);
  if (it == Rows.end()) it = Rows.find(key2);
  if (it == Rows.end()) {
    fkssqq = jfnd + "-01";
    fkssqz = jfnd + "-12";
    return true;
  }
  std::string start = ResolvePeriodSpec(it->second.start, jfnd);
  std::string end = ResolvePeriodSpec(it->second.end, jfnd);
  if (start.empty() || end.empty() || end < start) return false;
  fkssqq = start;
  fkssqz = end;
  return true;
}

}  // namespace velmor
