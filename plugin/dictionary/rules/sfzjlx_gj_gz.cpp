#include "dictionary/rules/sfzjlx_gj_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TSfzjlxGjGzImpl::TSfzjlxGjGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    std::string zjlx = MemberText(row, "sfzjlxDm"), gj = MemberText(row, "gjDm");
    if (zjlx.empty() || gj.empty()) continue;
    Pair(ByZjlx, ZjlxLists, zjlx, gj);
    Pair(ByGj, GjLists, gj, zjlx);
  }
}

void TSfzjlxGjGzImpl::Pair(THashTable& index, std::map<std::string, dict::SortedLines>& lists,
                           const std::string& key, const std::string& value) {
  dict::SortedLines& list = lists[key];
  list.Add(value);
  if (!index.Contains(key)) index.Add(key, &list);
}

std::string TSfzjlxGjGzImpl::Lookup(THashTable& index, const std::string& key) {
  const auto* list = static_cast<const dict::SortedLines*>(index.GetObject(key));
  return list ? list->Text() : std::string();
}

}  // namespace velmor
