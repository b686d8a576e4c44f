#include "dictionary/rules/key_value_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TKeyValueGzImpl::TKeyValueGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    bool keyed = row.is_object() && row.contains("key");
    std::string key = MemberText(row, keyed ? "key" : "dm");
    std::string value = MemberText(row, keyed ? "value" : "mc");
    if (key.empty() || !Pairs.ValueOf(key).empty()) continue;
    if (value.empty()) continue;  // an empty value answers like an absent key anyway
    Pairs.Add(key, value);
    List.Add(key + "=" + value);
  }
}

}  // namespace velmor
