#include "dictionary/rules/yhhb_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TYhhbGzImpl::TYhhbGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    Row r{MemberText(row, "yhhbDm"), MemberText(row, "yhhbMc"), MemberText(row, "yhhbJc"),
          MemberText(row, "sjyhhbDm")};
    if (r.yhhbDm.empty() || Index.Contains(r.yhhbDm)) continue;
    Rows.push_back(std::move(r));
    Index.Add(Rows.back().yhhbDm, &Rows.back());
  }
}

std::string TYhhbGzImpl::GetYhhbMc(const std::string& yhhbDm) {
  const Row* row = static_cast<const Row*>(Index.GetObject(yhhbDm));
  return row ? row->yhhbMc : std::string();
}

}  // namespace velmor
