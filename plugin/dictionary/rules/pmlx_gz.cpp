#include "dictionary/rules/pmlx_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TPmlxGzImpl::TPmlxGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) Pairs.Add(MemberText(row, "pmlx") + "=" + MemberText(row, "zspmDm"));
}

bool TPmlxGzImpl::IsPmlx(const std::string& zspmDm, const std::string& pmlx) {
  return Pairs.Contains(pmlx + "=" + zspmDm);
}

}  // namespace velmor
