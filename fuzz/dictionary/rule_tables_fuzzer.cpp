// Builds every rule table from one rule object parsed from the input (the rule file comes from
// the server) and asks each a few questions with codes taken from the rows themselves. Nothing
// may crash, and every table must answer for a rule of any shape.
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "dictionary/rules/cbxm_impl.h"
#include "dictionary/rules/cxjm_fkssq_gz.h"
#include "dictionary/rules/cxjm_syrqlx_dz_gz.h"
#include "dictionary/rules/cxjmyjfedc_gz.h"
#include "dictionary/dictionary.h"
#include "dictionary/rules/grcbrytslbdz_gz.h"
#include "dictionary/rules/grdjxzdz_gz.h"
#include "dictionary/rules/jfbz_gz.h"
#include "dictionary/rules/key_value_gz.h"
#include "dictionary/rules/pmlx_gz.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "dictionary/rules/ryzt_gz.h"
#include "dictionary/rules/sbjbjg_zspm_dz_gz.h"
#include "dictionary/rules/sfzjlx_gj_gz.h"
#include "dictionary/rules/xnhflbs_gz.h"
#include "dictionary/rules/xzqh_gz.h"
#include "dictionary/rules/xzylgx_gz.h"
#include "dictionary/rules/yhhb_gz.h"

using namespace velmor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlohmann::json rule = nlohmann::json::parse(data, data + size, nullptr, false);
  if (rule.is_discarded()) return 0;
  const nlohmann::json& rows = RuleRows(rule);
  const nlohmann::json first = rows.empty() ? nlohmann::json::object() : rows[0];
  auto c = [&](const char* key) { return MemberText(first, key); };
  std::string a, b, e;

  New<TCbxmImpl>(rule)->GetCbxmList(c("dm"));
  New<TJfbzGzImpl>(rule)->GetJfdcByAge(c("zsxmDm"), c("zspmDm"), c("sbjbjgDm"), c("yxqq"), 30);
  New<TXzylgxGz>(rule)->GetYlxzlxDm(c("sbjbjgDm"), c("xzlxDm"), c("yxqz"));
  Ref<TSbjbjgZspmDzGz> dz = New<TSbjbjgZspmDzGz>(rule);
  dz->GetZszmList(c("sbjbjgDm"), c("zspmDm"));
  dz->HasZszm(c("sbjbjgDm"), c("zspmDm"), c("zszmDm"));
  New<TYhhbGzImpl>(rule)->GetYhhbMc(c("yhhbDm"));
  New<TSfzjlxGjGzImpl>(rule)->GetGjList(c("sfzjlxDm"));
  New<TXzqhGzImpl>(rule)->GetXjxzqhList(c("sjxzqhDm"));
  New<TGrdjxzdzGzImpl>(rule)->GetItems(c("grsfDm"), c("tsrylbDm"), c("xzqhDm"));
  New<TGrcbrytslbdzGzImpl>(rule)->GetCbrytslbList(c("grsfDm"), c("tsrylbDm"), c("xzqhDm"), c("xzlxDm"));
  Ref<TCxjmyjfedcGzImpl> grades = New<TCxjmyjfedcGzImpl>(rule);
  grades->GetYjfedcListOfPerson(c("sbjbjgDm"), c("zsxmDm"), c("zspmDm"), c("zszmDm"), c("jfndq"), 40, c("sex"),
                                c("syrqlxDm"));
  grades->GetYjfedc(c("sbjbjgDm"), c("zsxmDm"), c("zspmDm"), c("zszmDm"), c("jfndz"), c("dcDm"));
  New<TRyztGzImpl>(rule)->GetRyztList();
  New<TKeyValueGzImpl>(rule)->GetValue(c("key"));
  New<TCxjmCbrytslbSyrqlxDzGzImpl>(rule)->GetSyrqlxDm(c("cbrytslbDm"), a, e);
  New<TXnhflbsGzImpl>(rule)->GetXnhflbsList();
  New<TPmlxGzImpl>(rule)->IsPmlx(c("zspmDm"), c("pmlx"));
  New<TRS_xzjd_sqcz>(rule)->GetSqczList(c("sbjbjgDm"), c("jdxzDm"));
  New<TCxjmFkssqGzImpl>(rule)->GetFkssq(c("sbjbjgDm"), c("fkssqlx"), "2024", a, b, e);
  return 0;
}
