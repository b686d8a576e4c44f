#include "dictionary/rules/xnhflbs_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TXnhflbsItem::TXnhflbsItem(nlohmann::json row)
    : flbsDm(MemberText(row, "flbsDm")), flbsMc(MemberText(row, "flbsMc")), Row(std::move(row)) {}

std::string TXnhflbsItem::GetValue(const std::string& column) { return MemberText(Row, column.c_str()); }

TXnhflbsGzImpl::TXnhflbsGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule))
    if (row.is_object()) Rows.push_back(New<TXnhflbsItem>(row));
}

Ref<IXnhflbsItems> TXnhflbsGzImpl::GetXnhflbsList() {
  Ref<TXnhflbsItems> list = Make<TXnhflbsItems>();
  for (const auto& row : Rows) list->Add(static_cast<IXnhflbsItem*>(row.get()));
  return list;
}

}  // namespace velmor
