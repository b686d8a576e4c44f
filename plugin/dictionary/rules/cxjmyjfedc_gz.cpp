#include "dictionary/rules/cxjmyjfedc_gz.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/rule_match.h"

namespace velmor {

Ref<ICxjmyjfedcGzItem> TCxjmyjfedcGzItem::Clone() {
  Ref<TCxjmyjfedcGzItem> copy = New<TCxjmyjfedcGzItem>();
  copy->bzje = bzje;
  copy->czbtje = czbtje;
  copy->dcDm = dcDm;
  copy->dcmc = dcmc;
  copy->dtjfbz = dtjfbz;
  copy->grsjje = grsjje;
  copy->jfndq = jfndq;
  copy->jfndz = jfndz;
  copy->nldq = nldq;
  copy->nldz = nldz;
  copy->sbjbjgDm = sbjbjgDm;
  copy->sex = sex;
  copy->syrqlxDm = syrqlxDm;
  copy->zfdjje = zfdjje;
  copy->zspmDm = zspmDm;
  copy->zsxmDm = zsxmDm;
  copy->zszmDm = zszmDm;
  return copy;
}

TCxjmyjfedcGzImpl::TCxjmyjfedcGzImpl(const nlohmann::json& rule) : Rows(Make<TCxjmyjfedcGzItems>()) {
  for (const nlohmann::json& row : RuleRows(rule)) {
    if (!row.is_object()) continue;
    Ref<TCxjmyjfedcGzItem> item = New<TCxjmyjfedcGzItem>();
    item->bzje = MemberText(row, "bzje");
    item->czbtje = MemberText(row, "czbtje");
    item->dcDm = MemberText(row, "dcDm");
    item->dcmc = MemberText(row, "dcmc");
    item->dtjfbz = MemberText(row, "dtjfbz");
    item->grsjje = MemberText(row, "grsjje");
    item->jfndq = MemberText(row, "jfndq");
    item->jfndz = MemberText(row, "jfndz");
    item->nldq = MemberText(row, "nldq");
    item->nldz = MemberText(row, "nldz");
    item->sbjbjgDm = MemberText(row, "sbjbjgDm");
    item->sex = MemberText(row, "sex");
    item->syrqlxDm = MemberText(row, "syrqlxDm");
    item->zfdjje = MemberText(row, "zfdjje");
    item->zspmDm = MemberText(row, "zspmDm");
    item->zsxmDm = MemberText(row, "zsxmDm");
    item->zszmDm = MemberText(row, "zszmDm");
    int32_t at = Rows->Add(static_cast<ICxjmyjfedcGzItem*>(item.get()));
    std::string key = dict::JoinKey({item->sbjbjgDm, item->zsxmDm, item->zspmDm});
    auto* list = static_cast<std::vector<int32_t>*>(Index.GetObject(key));
    if (!list) {
      Positions.emplace_back();
      list = &Positions.back();
      Index.Add(key, list);
    }
    list->push_back(at);
  }
}

TCxjmyjfedcGzItem& TCxjmyjfedcGzImpl::Row(int32_t i) {
  return *static_cast<TCxjmyjfedcGzItem*>(Rows->GetYjfedcItem(i).get());
}

std::vector<int32_t> TCxjmyjfedcGzImpl::Candidates(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                   const std::string& zspmDm, const std::string& zszmDm,
                                                   const std::string& jfnd) {
  std::vector<int32_t> out;
  const std::string keys[] = {dict::JoinKey({sbjbjgDm, zsxmDm, zspmDm}), dict::JoinKey({dict::kWildcard, zsxmDm, zspmDm})};
  for (size_t k = 0; k < 2; ++k) {
    if (k == 1 && keys[1] == keys[0]) break;
    const auto* list = static_cast<const std::vector<int32_t>*>(Index.GetObject(keys[k]));
    if (!list) continue;
    for (int32_t i : *list) {
      TCxjmyjfedcGzItem& r = Row(i);
      // Payment years compare as texts, as the rule's four-digit years do.
      if (r.zszmDm == zszmDm && r.jfndq <= jfnd && jfnd <= r.jfndz) out.push_back(i);
    }
  }
  return out;
}

Ref<ICxjmyjfedcGzItems> TCxjmyjfedcGzImpl::GetYjfedcList(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                         const std::string& zspmDm, const std::string& zszmDm,
                                                         const std::string& jfnd) {
  Ref<TCxjmyjfedcGzItems> out = Make<TCxjmyjfedcGzItems>();
  for (int32_t i : Candidates(sbjbjgDm, zsxmDm, zspmDm, zszmDm, jfnd)) out->Add(Row(i).Clone().get());
  return out;
}

Ref<ICxjmyjfedcGzItems> TCxjmyjfedcGzImpl::GetYjfedcListOfPerson(const std::string& sbjbjgDm,
                                                                 const std::string& zsxmDm,
                                                                 const std::string& zspmDm,
                                                                 const std::string& zszmDm, const std::string& jfnd,
                                                                 int age, const std::string& sex,
                                                                 const std::string& syrqlxDm) {
  Ref<TCxjmyjfedcGzItems> out = Make<TCxjmyjfedcGzItems>();
  for (int32_t i : Candidates(sbjbjgDm, zsxmDm, zspmDm, zszmDm, jfnd)) {
    TCxjmyjfedcGzItem& r = Row(i);
    nlohmann::json range = {{"nldq", r.nldq}, {"nldz", r.nldz}};
    if (!dict::InNumberRange(age, range, "nldq", "nldz")) continue;
    if (!r.sex.empty() && !dict::CodeMatches(r.sex, sex)) continue;
    if (!syrqlxDm.empty() && !r.syrqlxDm.empty() && !dict::CodeMatches(r.syrqlxDm, syrqlxDm)) continue;
    out->Add(r.Clone().get());
  }
  return out;
}

Ref<ICxjmyjfedcGzItem> TCxjmyjfedcGzImpl::GetYjfedc(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                    const std::string& zspmDm, const std::string& zszmDm,
                                                    const std::string& jfnd, const std::string& dcDm) {
  for (int32_t i : Candidates(sbjbjgDm, zsxmDm, zspmDm, zszmDm, jfnd))
    if (Row(i).dcDm == dcDm) return Row(i).Clone();
  return nullptr;
}

}  // namespace velmor
