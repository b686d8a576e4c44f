#include "dictionary/rules/grcbrytslbdz_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/name_list.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"

namespace velmor {

bool TGrcbrytslbdzGzItem::Matches(const std::string& grsf, const std::string& tsrylb, const std::string& xzqh,
                                  const std::string& xzlx) const {
  return dict::CodeMatches(grsfDm, grsf) && dict::CodeMatches(tsrylbDm, tsrylb) && dict::CodeMatches(xzqhDm, xzqh) &&
         dict::CodeMatches(xzlxDm, xzlx);
}

TGrcbrytslbdzGzImpl::TGrcbrytslbdzGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    Ref<TGrcbrytslbdzGzItem> item = New<TGrcbrytslbdzGzItem>();
    item->grsfDm = MemberText(row, "grsfDm");
    item->tsrylbDm = MemberText(row, "tsrylbDm");
    item->xzqhDm = MemberText(row, "xzqhDm");
    item->xzlxDm = MemberText(row, "xzlxDm");
    item->cbrytslbDm = MemberText(row, "cbrytslbDm");
    if (!item->cbrytslbDm.empty()) Rows.push_back(std::move(item));
  }
}

std::string TGrcbrytslbdzGzImpl::GetCbrytslbList(const std::string& grsfDm, const std::string& tsrylbDm,
                                                 const std::string& xzqhDm, const std::string& xzlxDm) {
  dict::SortedLines out;
  for (const auto& row : Rows)
    if (row->Matches(grsfDm, tsrylbDm, xzqhDm, xzlxDm)) out.Add(row->cbrytslbDm);
  return out.Text();
}

Ref<IGrcbrytslbdzGzItems> TGrcbrytslbdzGzImpl::GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                                        const std::string& xzqhDm, const std::string& xzlxDm) {
  Ref<TGrcbrytslbdzGzItems> list = Make<TGrcbrytslbdzGzItems>();
  for (const auto& row : Rows)
    if (row->Matches(grsfDm, tsrylbDm, xzqhDm, xzlxDm)) list->Add(static_cast<IGrcbrytslbdzGzItem*>(row.get()));
  return list;
}

}  // namespace velmor
