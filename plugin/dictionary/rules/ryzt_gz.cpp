#include "dictionary/rules/ryzt_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"

namespace velmor {

TRyztGzImpl::TRyztGzImpl(const nlohmann::json& rule) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    std::string dm = MemberText(row, "ryztDm");
    if (dm.empty() || MemberText(row, "ryztMc").empty() || Codes.Contains(dm)) continue;
    Codes.Add(dm);
    Rows.push_back(row);
  }
}

std::string TRyztGzImpl::GetRyztMc(const std::string& ryztDm) { return GetAttribute(ryztDm, "ryztMc"); }

std::string TRyztGzImpl::GetRyztDm(const std::string& ryztMc) {
  for (size_t i = 0; i < Codes.Size(); ++i)
    if (MemberText(Rows[i], "ryztMc") == ryztMc) return Codes.At(i);
  return {};
}

std::string TRyztGzImpl::GetRyztList() {
  dict::SortedLines out;
  for (size_t i = 0; i < Codes.Size(); ++i) out.Add(Codes.At(i) + "=" + MemberText(Rows[i], "ryztMc"));
  return out.Text();
}

std::string TRyztGzImpl::GetAttribute(const std::string& ryztDm, const std::string& column) {
  size_t i = Codes.IndexOf(ryztDm);
  return i == dict::NameList::kNotFound ? std::string() : MemberText(Rows[i], column.c_str());
}

}  // namespace velmor
