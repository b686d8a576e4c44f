#include "dictionary/rules/grdjxzdz_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/name_list.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"

namespace velmor {

bool TGrdjxzdzGzItem::Matches(const std::string& grsf, const std::string& tsrylb, const std::string& xzqh) const {
  return dict::CodeMatches(grsfDm, grsf) && dict::CodeMatches(tsrylbDm, tsrylb) && dict::CodeMatches(xzqhDm, xzqh);
}

TGrdjxzdzGzImpl::TGrdjxzdzGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    Ref<TGrdjxzdzGzItem> item = New<TGrdjxzdzGzItem>();
    item->grsfDm = MemberText(row, "grsfDm");
    item->tsrylbDm = MemberText(row, "tsrylbDm");
    item->xzqhDm = MemberText(row, "xzqhDm");
    item->xzlxDm = MemberText(row, "xzlxDm");
    if (!item->xzlxDm.empty()) Rows.push_back(std::move(item));
  }
}

std::string TGrdjxzdzGzImpl::GetXzlxList(const std::string& grsfDm, const std::string& tsrylbDm,
                                         const std::string& xzqhDm) {
  dict::SortedLines out;
  for (const auto& row : Rows)
    if (row->Matches(grsfDm, tsrylbDm, xzqhDm)) out.Add(row->xzlxDm);
  return out.Text();
}

Ref<IGrdjxzdzGzItems> TGrdjxzdzGzImpl::GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                                const std::string& xzqhDm) {
  Ref<TGrdjxzdzGzItems> list = Make<TGrdjxzdzGzItems>();
  for (const auto& row : Rows)
    if (row->Matches(grsfDm, tsrylbDm, xzqhDm)) list->Add(static_cast<IGrdjxzdzGzItem*>(row.get()));
  return list;
}

bool TGrdjxzdzGzImpl::IsValidXzlx(const std::string& grsfDm, const std::string& tsrylbDm, const std::string& xzqhDm,
                                  const std::string& xzlxDm) {
  for (const auto& row : Rows)
    if (row->Matches(grsfDm, tsrylbDm, xzqhDm) && dict::EqualsIgnoreCase(row->xzlxDm, xzlxDm)) return true;
  return false;
}

}  // namespace velmor
