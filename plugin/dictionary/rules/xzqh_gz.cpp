#include "dictionary/rules/xzqh_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

std::string RegionCode(const std::string& code) {
  size_t b = code.find_first_not_of(" \t"), e = code.find_last_not_of(" \t");
  if (b == std::string::npos) return {};
  std::string trimmed = code.substr(b, e - b + 1);
  if (trimmed == "000000" || dict::EqualsIgnoreCase(trimmed, "null")) return {};
  return trimmed;
}

TXzqhGzImpl::TXzqhGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    std::string region = RegionCode(MemberText(row, "xzqhDm"));
    if (region.empty()) continue;
    std::string superior = RegionCode(MemberText(row, "sjxzqhDm"));
    Superior.try_emplace(region, superior);
    if (!superior.empty()) Subordinates[superior].Add(region);
  }
}

bool TXzqhGzImpl::IsXzqh(const std::string& xzqhDm) {
  std::string region = RegionCode(xzqhDm);
  return !region.empty() && Superior.count(region) > 0;
}

std::string TXzqhGzImpl::GetSjxzqhDm(const std::string& xzqhDm) {
  auto it = Superior.find(RegionCode(xzqhDm));
  return it == Superior.end() ? std::string() : it->second;
}

std::string TXzqhGzImpl::GetXjxzqhList(const std::string& sjxzqhDm) {
  auto it = Subordinates.find(RegionCode(sjxzqhDm));
  return it == Subordinates.end() ? std::string() : it->second.Text();
}

}  // namespace velmor
