// Residents' payment registration: "0160" (the payer's registration for the residents' schemes),
// "0162" (a registration request of one office, kept under its serial) and "0163" (the verdict
// of a request, asked by that serial as jywysbh).
//
// "0160" answers the payer's office with one entry per kind of its persons' items (the same
// unit and kinds the scheme account "0001" gives), the second with the community "null", plus a
// closed office (jfrztDm "07"). A verdict is given at once: a person without a name or ID
// number is rejected ("20001") with its lines, the others accepted; a request whose first
// person's name begins with "拒绝" is refused as a whole ("30001"). While the state's
// residents.jfdjProcessingPolls is above zero, verdicts answer "10001" (still processing) and
// count it down.
#include <cstdio>
#include <set>
#include <tuple>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

std::string UnitNumber(const Payer& p) { return "DW" + p.djxh.substr(p.djxh.size() > 8 ? p.djxh.size() - 8 : 0); }

Answer Registration(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  std::set<std::tuple<std::string, std::string, std::string>> kinds;
  for (const Item& it : s.items)
    if (it.djxh == p.djxh && it.yxbz != "N") kinds.emplace(it.xzlxDm, it.zsxmDm, it.zspmDm);
  TaxmlAnswer doc;
  pugi::xml_node offices = doc.AddList("cxjmXnhJbxxList");
  for (const char* state : {"03", "07"}) {
    pugi::xml_node o = TaxmlAnswer::AddRow(offices, "cxjmXnhJbxxDTO");
    const std::string office = state == std::string("03") ? p.zgswjgDm : p.zgswjgDm + "9";
    TaxmlAnswer::AddValue(o, "zgswjgDm", office);
    TaxmlAnswer::AddValue(o, "jfrztDm", state);
    TaxmlAnswer::AddValue(o, "zgswksDm", office + "01");
    pugi::xml_node entries = o.append_child("cxjmxnhJfDjxxList");
    int n = 0;
    for (const auto& [xzlx, zsxm, zspm] : kinds) {
      pugi::xml_node e = TaxmlAnswer::AddRow(entries, "cxjmxnhJfDjxxDTO");
      const std::pair<const char*, std::string> values[] = {
          {"sbjbjgDm", p.sbjbjgDm},      {"zzbh", UnitNumber(p)},          {"dsXzqhDm", p.xzqhDm},
          {"lxr2", "联系人"},             {"lxdh", "010-12345678"},         {"jfrdjlxDm", "110"},
          {"sshydlDm", "S"},             {"lxdzyx", "sim@example.com"},    {"jdxzDm", p.xzqhDm + "001"},
          {"zsxmDm", zsxm},              {"zspmDm", zspm},                 {"zszmDm", ""},
          {"dsJdszDm", p.xzqhDm + "001"}, {"dsSqczDm", n == 1 ? std::string("null") : p.xzqhDm + "001001"},
          {"xzlxDm", xzlx}};
      for (const auto& [k, v] : values) TaxmlAnswer::AddValue(e, k, v);
      ++n;
    }
  }
  return Answer::Taxml(std::move(doc));
}

Answer Submit(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  if (!call.document) throw Refusal("10002", "缺少请求报文");
  pugi::xml_node head = call.document->Root().child("sbfXnhGrjfdjHead");
  if (std::string(head.child_value("djxh")) != p.djxh) return Answer::Error("10004", "申请缴费人与请求不符");
  nlohmann::json persons = nlohmann::json::array();
  for (pugi::xml_node r : DocumentRows(call, "sbfXnhGrDetailList")) {
    nlohmann::json person = nlohmann::json::object();
    nlohmann::json lines = nlohmann::json::array();
    for (pugi::xml_node f : r.children()) {
      if (std::string_view(f.name()) != "grxzDetailList") {
        person[f.name()] = f.child_value();
        continue;
      }
      for (pugi::xml_node l : f.children()) {
        nlohmann::json line = nlohmann::json::object();
        for (pugi::xml_node v : l.children()) line[v.name()] = v.child_value();
        lines.push_back(std::move(line));
      }
    }
    person["lines"] = std::move(lines);
    persons.push_back(std::move(person));
  }
  if (persons.empty()) return Answer::Error("10002", "申请人员列表为空");
  s.residents["jfdj"][call.Serial()] = {
      {"djxh", p.djxh}, {"zgswjgDm", head.child_value("zgswjgDm")}, {"persons", std::move(persons)}};
  TaxmlAnswer doc;
  doc.Add("jywysbh", call.Serial());
  return Answer::Taxml(std::move(doc));
}

std::string Amount4(const std::string& text) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", text.empty() ? 0.0 : std::stod(text));
  return buf;
}

Answer Verdict(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  const std::string serial = Param(call, "jywysbh");
  nlohmann::json& book = s.residents["jfdj"];
  if (!book.contains(serial) || book[serial].value("djxh", "") != p.djxh)
    return Answer::Error("10003", "未找到登记申请[" + serial + "]");
  nlohmann::json& polls = s.residents["jfdjProcessingPolls"];
  if (polls.is_number_integer() && polls.get<int>() > 0) {
    polls = polls.get<int>() - 1;
    return Answer::Error("10001", "申请正在处理中");
  }
  const nlohmann::json& request = book[serial];
  const nlohmann::json& persons = request["persons"];
  if (persons[0].value("xm", "").rfind("拒绝", 0) == 0) return Answer::Error("30001", "登记申请被拒绝");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("cxjmdjDetailList");
  for (const auto& person : persons) {
    const bool ok = !person.value("xm", "").empty() && !person.value("zjhm", "").empty();
    const std::string code = ok ? kOkCode : "20001", reason = ok ? "" : "姓名或证件号码为空";
    pugi::xml_node r = TaxmlAnswer::AddRow(list, "cxjmdjDetailDTO");
    TaxmlAnswer::AddValue(r, "czlxDm", person.value("czlx", ""));
    TaxmlAnswer::AddValue(r, "djxh", p.djxh);
    TaxmlAnswer::AddValue(r, "xm", person.value("xm", ""));
    TaxmlAnswer::AddValue(r, "dqdm", person.value("sjgghdqDm", ""));
    TaxmlAnswer::AddValue(r, "zjlxDm", person.value("zjlxDm", ""));
    TaxmlAnswer::AddValue(r, "zjhm", person.value("zjhm", ""));
    TaxmlAnswer::AddValue(r, "cljg", code);
    TaxmlAnswer::AddValue(r, "cwyy", reason);
    pugi::xml_node lines = r.append_child("cxjmxzDetailList");
    for (const auto& l : person["lines"]) {
      pugi::xml_node x = TaxmlAnswer::AddRow(lines, "cxjmxzDetailDTO");
      TaxmlAnswer::AddValue(x, "czlxDm", l.value("czlx", ""));
      TaxmlAnswer::AddValue(x, "xzid", l.value("xzId", ""));
      TaxmlAnswer::AddValue(x, "xzlxDm", l.value("xzlxDm", ""));
      TaxmlAnswer::AddValue(x, "xzqh", l.value("jfdXzqhDm", ""));
      TaxmlAnswer::AddValue(x, "zzbh", l.value("zzbh", ""));
      TaxmlAnswer::AddValue(x, "rycbtslb", l.value("cbrytslbDm", ""));
      TaxmlAnswer::AddValue(x, "jdxzDm", l.value("jfdJdxzDm", ""));
      TaxmlAnswer::AddValue(x, "sqczDm", l.value("jfdSqczDm", ""));
      TaxmlAnswer::AddValue(x, "ksjfyf", l.value("ksjfyf", ""));
      TaxmlAnswer::AddValue(x, "jcrq", l.value("jcrq", ""));
      TaxmlAnswer::AddValue(x, "jfbz", Amount4(l.value("jfbz", "")));
      TaxmlAnswer::AddValue(x, "cljg", code);
      TaxmlAnswer::AddValue(x, "cwyy", reason);
    }
  }
  return Answer::Taxml(std::move(doc));
}

}  // namespace

void RegisterRegistrationHandlers(HandlerRegistry& registry) {
  registry.Add("0160", Registration);
  registry.Add("0162", Submit);
  registry.Add("0163", Verdict);
}

}  // namespace velmor::taxsim
