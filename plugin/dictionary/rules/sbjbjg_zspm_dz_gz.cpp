#include "dictionary/rules/sbjbjg_zspm_dz_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"
#include "framework/log.h"

namespace velmor {

namespace {
std::string Text(const std::map<std::string, dict::SortedLines>& lists, const std::string& key) {
  auto it = lists.find(key);
  return it == lists.end() ? std::string() : it->second.Text();
}
}  // namespace

TSbjbjgZspmDzGz::TSbjbjgZspmDzGz(const nlohmann::json& rule) {
  try {
    Load_sbjbjg_zspm_zszm(rule);
  } catch (const std::exception& e) {
    LogException("TSbjbjgZspmDzGz.Load_sbjbjg_zspm_zszm", e.what());
  }
}

void TSbjbjgZspmDzGz::Load_sbjbjg_zspm_zszm(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    std::string jg = MemberText(row, "sbjbjgDm"), pm = MemberText(row, "zspmDm"), zm = MemberText(row, "zszmDm");
    if (jg.empty() || pm.empty()) continue;
    Zspm[dict::JoinKey({jg})].Add(pm);
    std::string pmKey = dict::JoinKey({jg, pm});
    if (!Keys.Contains(pmKey)) Keys.Add(pmKey);
    if (zm.empty()) continue;
    Zszm[pmKey].Add(zm);
    std::string zmKey = dict::JoinKey({jg, pm, zm});
    if (!Keys.Contains(zmKey)) Keys.Add(zmKey);
  }
}

std::string TSbjbjgZspmDzGz::GetZspmList(const std::string& sbjbjgDm) {
  return Text(Zspm, dict::JoinKey({sbjbjgDm}));
}

std::string TSbjbjgZspmDzGz::GetZszmList(const std::string& sbjbjgDm, const std::string& zspmDm) {
  return Text(Zszm, dict::JoinKey({sbjbjgDm, zspmDm}));
}

bool TSbjbjgZspmDzGz::HasZspm(const std::string& sbjbjgDm, const std::string& zspmDm) {
  return !sbjbjgDm.empty() && !zspmDm.empty() && Keys.Contains(dict::JoinKey({sbjbjgDm, zspmDm}));
}

bool TSbjbjgZspmDzGz::HasZszm(const std::string& sbjbjgDm, const std::string& zspmDm, const std::string& zszmDm) {
  return !sbjbjgDm.empty() && !zspmDm.empty() && !zszmDm.empty() &&
         Keys.Contains(dict::JoinKey({sbjbjgDm, zspmDm, zszmDm}));
}

}  // namespace velmor
