// Residents' basic-information collection: "0202" (one person with its insurance lines),
// "0203" (social-insurance registration numbers of persons) and "0208" (the rule service: the
// lines a resident may register; a JSON answer).
//
// "0202" refuses a person without an ID number ("20001", its message) and a line without an
// insurance type ("20002"); the others are accepted. "0203" knows the payer's persons of the
// state: registration number "S" + rydjxh. "0208" answers the
// kinds of the payer's items: the first open for registration, the others not (sfkdj "N").
#include <set>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

Answer Submit(const Call& call, const State& s) {
  RequirePayer(s, call);
  if (!call.document) throw Refusal("10002", "缺少请求报文");
  pugi::xml_node root = call.document->Root();
  if (!*root.child_value("zjhm")) return Answer::Error("20001", "证件号码不能为空");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("cxjmjfDjxxRespList");
  for (pugi::xml_node l : DocumentRows(call, "cxjmjfDjxxReqList")) {
    pugi::xml_node r = TaxmlAnswer::AddRow(list, "cxjmjfDjxxRespDTO");
    for (const char* f : {"sbjbjgDm", "xzlxDm", "jdxzDm", "sqczDm"}) TaxmlAnswer::AddValue(r, f, l.child_value(f));
    const bool ok = *l.child_value("xzlxDm") != '\0';
    TaxmlAnswer::AddValue(r, "code", ok ? kOkCode : "20002");
    TaxmlAnswer::AddValue(r, "message", ok ? "登记成功" : "险种类型不能为空");
  }
  return Answer::Taxml(std::move(doc));
}

Answer Numbers(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  auto it = call.body.find("rydjxhList");
  if (it == call.body.end() || !it->is_array() || it->empty()) return Answer::Error("20001", "人员登记序号列表为空");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbdjxhList");
  auto [first, last] = s.PersonsOf(p.djxh);
  for (const auto& v : *it) {
    if (!v.is_string()) continue;
    const std::string rydjxh = v.get<std::string>();
    bool known = false;
    for (const Person* q = first; q != last && !known; ++q) known = q->rydjxh == rydjxh;
    if (!known) continue;
    pugi::xml_node r = TaxmlAnswer::AddRow(list, "sbdjxhDTO");
    TaxmlAnswer::AddValue(r, "rydjxh", rydjxh);
    TaxmlAnswer::AddValue(r, "sbdjxh", "S" + rydjxh);
  }
  return Answer::Taxml(std::move(doc));
}

Answer OpenLines(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  auto common = call.body.find("commonValues");
  auto priv = call.body.find("privateValues");
  if (common == call.body.end() || priv == call.body.end() || !common->is_object())
    return Answer::Json({{"code", "20003"}, {"message", "缺少规则参数"}});
  std::set<std::string> kinds;
  for (const Item& it : s.items)
    if (it.djxh == p.djxh) kinds.insert(it.xzlxDm);
  nlohmann::json rows = nlohmann::json::array();
  int n = 0;
  for (const std::string& k : kinds) {
    rows.push_back({{"grjfxzId", "GX" + k},
                    {"sbjbjgDm", p.sbjbjgDm},
                    {"xzlxDm", k},
                    {"cbsf", "0"},
                    {"sfkdj", n++ == 0 ? "Y" : "N"},
                    {"ksjfrq", "20250101"},
                    {"tzjfrq", "20991231"},
                    {"bcbz", "N"},
                    {"cbrytslbList", {{{"cbrytslbDm", "01"}}}}});
  }
  return Answer::Json({{"code", kOkCode}, {"message", "成功"}, {"jfdjxzList", rows}});
}

}  // namespace

void RegisterBasicInfoHandlers(HandlerRegistry& registry) {
  registry.Add("0202", Submit);
  registry.Add("0203", Numbers);
  registry.Add("0208", OpenLines);
}

}  // namespace velmor::taxsim
