#include "dictionary/rules/cxjm_syrqlx_dz_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/name_list.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"
#include "framework/log.h"

namespace velmor {

TCxjmCbrytslbSyrqlxDzGzImpl::TCxjmCbrytslbSyrqlxDzGzImpl(const nlohmann::json& rule) {
  try {
    for (const nlohmann::json& row : RuleRows(rule)) {
      std::string category = dict::FoldCase(MemberText(row, "cbrytslbDm"));
      if (category.empty()) continue;
      std::string type = MemberText(row, "syrqlxDm");
      auto [it, fresh] = Rows.try_emplace(category, Entry{type, type.empty()});
      // Two rows that disagree leave no way to tell which one holds.
      if (!fresh && (it->second.syrqlxDm != type || type.empty())) it->second.bad = true;
    }
  } catch (const std::exception& e) {
    LogException("TCxjmCbrytslbSyrqlxDzGzImpl.Create", e.what());
  }
}

bool TCxjmCbrytslbSyrqlxDzGzImpl::GetSyrqlxDm(const std::string& cbrytslbDm, std::string& syrqlxDm,
                                              std::string& errorText) {
  syrqlxDm.clear();
  errorText = kSyrqlxConfigError;
  auto it = Rows.find(dict::FoldCase(cbrytslbDm));
  if (it == Rows.end()) it = Rows.find(dict::kWildcard);
  if (it == Rows.end() || it->second.bad) return false;
  syrqlxDm = it->second.syrqlxDm;
  errorText.clear();
  return true;
}

}  // namespace velmor
