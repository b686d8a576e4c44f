// The scheme account of a payer: "0001" (the account), "0055" (collection modes), "0224"
// (registration numbers per office) and "0343" (the payment list of a period, asynchronous).
//
// The account is derived from the state: one office (the payer's tax office) with one unit (the
// payer's agency) whose insured items are the distinct kinds (insurance type, levy item,
// sub-item) of the payer's persons' items. A payer without persons has a unit without items,
// hence no insurance types. The second item of a unit has the community "null", as the real
// server writes an absent one.
#include <map>
#include <set>
#include <tuple>

#include "taxsim/handlers.h"

namespace velmor::taxsim {
namespace {

struct Kind {
  std::string xzlxDm, zsxmDm, zspmDm;
  double yjfe = 0;
  bool operator<(const Kind& o) const { return std::tie(xzlxDm, zsxmDm, zspmDm) < std::tie(o.xzlxDm, o.zsxmDm, o.zspmDm); }
};

std::vector<Kind> KindsOf(const State& s, std::string_view djxh) {
  std::map<Kind, double> kinds;
  for (const Item& it : s.items)
    if (it.djxh == djxh && it.yxbz != "N") kinds.emplace(Kind{it.xzlxDm, it.zsxmDm, it.zspmDm, 0}, it.yjfe);
  std::vector<Kind> out;
  for (auto& [k, yjfe] : kinds) out.push_back({k.xzlxDm, k.zsxmDm, k.zspmDm, yjfe});
  return out;
}

const Payer& RequirePayer(const State& s, const Call& call) {
  const Payer* p = s.FindPayer(call.Djxh());
  if (!p) throw Refusal("10042", "缴费人[" + call.Djxh() + "]不存在");
  return *p;
}

Answer Account(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  TaxmlAnswer doc;
  pugi::xml_node offices = doc.AddList("cxjmXnhDjxxList");
  pugi::xml_node o = TaxmlAnswer::AddRow(offices, "cxjmXnhDjxxDTO");
  TaxmlAnswer::AddValue(o, "zgswjgDm", p.zgswjgDm);
  TaxmlAnswer::AddValue(o, "jfrztDm", "03");
  TaxmlAnswer::AddValue(o, "zgswksDm", p.zgswjgDm + "01");
  TaxmlAnswer::AddValue(o, "zgswksMc", "第一税务所");
  TaxmlAnswer::AddValue(o, "glbz", "1");
  TaxmlAnswer::AddValue(o, "flbsDm", "0101");
  pugi::xml_node units = o.append_child("cxjmXnhCbxxList");
  pugi::xml_node u = TaxmlAnswer::AddRow(units, "cxjmXnhCbxxDTO");
  TaxmlAnswer::AddValue(u, "yxbz", "Y");
  TaxmlAnswer::AddValue(u, "sbjbjgDm", p.sbjbjgDm);
  TaxmlAnswer::AddValue(u, "sbbm", "DW" + p.djxh.substr(p.djxh.size() > 8 ? p.djxh.size() - 8 : 0));
  TaxmlAnswer::AddValue(u, "xzqhDm", p.xzqhDm);
  TaxmlAnswer::AddValue(u, "xzqhMc", "模拟区");
  TaxmlAnswer::AddValue(u, "lxrxm", "联系人");
  TaxmlAnswer::AddValue(u, "lxdhhm", "010-12345678");
  TaxmlAnswer::AddValue(u, "lxdz", "模拟路1号");
  TaxmlAnswer::AddValue(u, "dwcbztDm", "1");
  TaxmlAnswer::AddValue(u, "dwcbztMc", "正常参保");
  TaxmlAnswer::AddValue(u, "tsdwlbDm", "01");
  TaxmlAnswer::AddValue(u, "tsdwlbMc", "普通单位");
  TaxmlAnswer::AddValue(u, "djzclxDm", "110");
  pugi::xml_node items = u.append_child("cxjmXnhCbxzList");
  int n = 0;
  for (const Kind& k : KindsOf(s, p.djxh)) {
    pugi::xml_node x = TaxmlAnswer::AddRow(items, "cxjmXnhCbxzDTO");
    TaxmlAnswer::AddValue(x, "cbxzId", "XZ" + p.djxh.substr(p.djxh.size() - 4) + k.xzlxDm);
    TaxmlAnswer::AddValue(x, "xzlxDm", k.xzlxDm);
    TaxmlAnswer::AddValue(x, "zsxmDm", k.zsxmDm);
    TaxmlAnswer::AddValue(x, "zspmDm", k.zspmDm);
    TaxmlAnswer::AddValue(x, "zszmDm", "");
    TaxmlAnswer::AddValue(x, "tcqBm", p.xzqhDm);
    TaxmlAnswer::AddValue(x, "tcqMc", "模拟统筹区");
    TaxmlAnswer::AddValue(x, "jdxzDm", p.xzqhDm + "001");
    TaxmlAnswer::AddValue(x, "jdxzMc", "模拟街道");
    TaxmlAnswer::AddValue(x, "sqczDm", n == 1 ? "null" : p.xzqhDm + "001001");
    TaxmlAnswer::AddValue(x, "sqczMc", n == 1 ? "" : "模拟社区");
    TaxmlAnswer::AddValue(x, "dwcbtslbDm", "01");
    TaxmlAnswer::AddValue(x, "dwcbtslbMc", "一般");
    TaxmlAnswer::AddValue(x, "ksjfyf", "2024-01");
    TaxmlAnswer::AddValue(x, "tzjfyf", n == 2 ? "" : "9999-12");
    ++n;
  }
  return Answer::Taxml(std::move(doc));
}

// "00", "01", "09" in turn: the plug-in stores "01", "02" and "00" for them.
Answer Modes(const Call& call, State& s) {
  RequirePayer(s, call);
  if (!call.document) throw Refusal("10002", "缺少请求报文");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("xzInfoList");
  const char* modes[] = {"00", "01", "09"};
  int n = 0;
  for (pugi::xml_node r : call.document->Root().child("xzInfoList").children("xzInfoReqDTO")) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "xzInfoDTO");
    for (const char* f : {"sbjbjgDm", "zsxmDm", "zspmDm", "zszmDm"}) TaxmlAnswer::AddValue(row, f, r.child_value(f));
    TaxmlAnswer::AddValue(row, "zjms", modes[n++ % 3]);
  }
  return Answer::Taxml(std::move(doc));
}

Answer Registrations(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  auto it = call.body.find("zgswjgList");
  if (it == call.body.end() || !it->is_array() || it->empty()) return Answer::Error("20001", "税务机关列表为空");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("xnhsbdjxhList");
  for (const auto& office : *it) {
    if (!office.is_string()) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "xnhsbdjxhDTO");
    TaxmlAnswer::AddValue(row, "zgswjgDm", office.get<std::string>());
    TaxmlAnswer::AddValue(row, "sbdjxh", "3" + p.djxh.substr(1));
  }
  return Answer::Taxml(std::move(doc));
}

// The payment list: one line per kind of the payer's items; an empty period answers "70001".
Answer PaymentList(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  const std::string from = call.Key("fkssqq"), to = call.Key("fkssqz");
  if (from.empty() || to.empty() || from > to) return Answer::Error("70001", "所属期内无缴费清单");
  std::vector<Kind> kinds = KindsOf(s, p.djxh);
  if (kinds.empty()) return Answer::Error("70002", "无缴费清单");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbfJfQdList");
  for (const Kind& k : kinds) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfJfQdDTO");
    TaxmlAnswer::AddValue(row, "jfrlxDm", "5");
    TaxmlAnswer::AddValue(row, "zsxmDm", k.zsxmDm);
    TaxmlAnswer::AddValue(row, "zspmDm", k.zspmDm);
    TaxmlAnswer::AddValue(row, "fkssqq", from);
    TaxmlAnswer::AddValue(row, "fkssqz", to);
    TaxmlAnswer::AddValue(row, "yjfe", std::to_string(static_cast<int>(k.yjfe)) + ".00");
  }
  return Answer::Taxml(std::move(doc));
}

}  // namespace

void RegisterSchemeHandlers(HandlerRegistry& registry) {
  registry.Add("0001", Account);
  registry.Add("0055", Modes);
  registry.Add("0224", Registrations);
  registry.Add("0343", PaymentList);
}

}  // namespace velmor::taxsim
