// The collective and government payers on the simulated server: the registration ("0214"), a
// declaration ("0215"), its verdict ("0216"), the record of the payer's declarations ("0228",
// asynchronous), the payer's summary ("0229") and the declaration list of payer types "8" and
// "9" ("0053", through GroupDeclarationList). Void ("0054"), persons ("0081") and deduction
// result ("0014") are the daily declaration's handlers: a group declaration is an entry of
// State::declarations like any other, with its `jfrlx` and office added and its lines as persons
// (`cxjmsbbm` the person number).
//
// The first line's person number steers the verdict without faults: "WAIT..." answers "30015"
// (waiting) once, then accepts; "FAIL..." refuses the declaration ("20001"). Lines whose person
// number starts with "ERR" are rejected in `cwxxList` of an accepted declaration.
#include "taxsim/group_accounts.h"
#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/handlers/group_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

using Json = nlohmann::json;

namespace {

constexpr const char* kSbrq = "2026-01-15 10:00:00";

const Json& RequireAccount(const State& s, const std::string& djxh) {
  const Json* a = FindGroupAccount(s, djxh);
  if (!a) throw Refusal("10042", "缴费人[" + djxh + "]不是集体补助户或政府代缴户");
  return *a;
}

std::string Lead(const Json& d) {
  const Json& persons = d.at("persons");
  return persons.empty() ? "" : persons[0].value("cxjmsbbm", "");
}

bool Starts(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

Answer Registration(const Call& call, State& s) {
  const std::string djxh = call.document ? call.document->Value("djxh") : call.Djxh();
  const Json* account = FindGroupAccount(s, djxh);
  if (!account) return Answer::Error("20001", "该缴费人不是集体补助户或政府代缴户");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("jtbzhCbxxList");
  for (const Json& u : account->at("units")) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "jtbzhCbxxDTO");
    for (auto it = u.begin(); it != u.end(); ++it) {
      if (it.key() == "cbxzList") continue;
      TaxmlAnswer::AddValue(row, it.key(), it->get<std::string>());
    }
    pugi::xml_node lines = row.append_child("cbxzList");
    for (const Json& x : u.at("cbxzList")) {
      pugi::xml_node line = TaxmlAnswer::AddRow(lines, "cbxzDTO");
      for (auto it = x.begin(); it != x.end(); ++it) TaxmlAnswer::AddValue(line, it.key(), it->get<std::string>());
    }
  }
  return Answer::Taxml(std::move(doc));
}

Answer Declare(const Call& call, State& s) {
  if (!call.document) return Answer::Refuse("10003", "缺少申报报文");
  const RequestDocument& d = *call.document;
  const Json& account = RequireAccount(s, d.Value("djxh"));
  if (d.Value("jfrlxDm") != account.value("jfrlx", ""))
    return Answer::Error("20002", "缴费人类型与登记不符");
  Json entry = {{"yblsh", call.Yblsh()}, {"tranSeq", ""},  {"djxh", d.Value("djxh")}, {"yzpzxh", ""},
                {"state", "pending"},    {"yjfe", 0.0},   {"paid", 0.0},             {"persons", Json::array()},
                {"jfrlx", d.Value("jfrlxDm")}, {"zgswjgDm", d.Value("zgswjgDm")}, {"verdicts", 0}};
  double total = 0;
  for (pugi::xml_node l : d.Root().child("sbmxList").children("sbmxDTO")) {
    Json line = {{"jfmxxh", l.child_value("jfmxxh")}, {"sbjbjgDm", l.child_value("sbjbjgDm")},
                 {"cxjmsbbm", l.child_value("rybh")}, {"xzlx", l.child_value("xzlx")},
                 {"jfnd", l.child_value("jfnd")},     {"yjfe", l.child_value("yjfe")}};
    total += l.child("yjfe").text().as_double();
    entry["persons"].push_back(line);
  }
  if (entry["persons"].empty()) return Answer::Error("20003", "申报明细为空");
  entry["yjfe"] = total;
  s.declarations.push_back(entry);
  TaxmlAnswer doc;
  doc.Add("jylsh", call.Yblsh());
  return Answer::Taxml(std::move(doc));
}

Answer Verdict(const Call& call, State& s) {
  const std::string jylsh = call.document ? call.document->Value("jylsh") : "";
  Json* d = FindDeclaration(s, "yblsh", jylsh);
  if (!d || !d->contains("jfrlx")) return Answer::Error("30001", "未找到该交易流水号的申报");
  const int asked = (*d)["verdicts"].get<int>() + 1;
  (*d)["verdicts"] = asked;
  TaxmlAnswer doc;
  const std::string lead = Lead(*d);
  if (Starts(lead, "WAIT") && asked == 1) {
    doc.Add("cljgDm", "30015");
    doc.Add("sbyy", "申报处理中");
    return Answer::Taxml(std::move(doc));
  }
  if (Starts(lead, "FAIL") || d->value("state", "") == "failed") {
    (*d)["state"] = "failed";
    doc.Add("cljgDm", "20001");
    doc.Add("sbyy", "缴费人参保信息校验不通过");
    return Answer::Taxml(std::move(doc));
  }
  if (d->value("yzpzxh", "").empty()) d->at("yzpzxh") = "8" + std::to_string(100000000 + s.NextNumber());
  if (d->value("state", "") == "pending") (*d)["state"] = "declared";
  doc.Add("cljgDm", "00000");
  doc.Add("sbyy", "申报成功");
  doc.Add("yjfehj", Amount(d->value("yjfe", 0.0)));
  doc.Add("yzpzxh", d->value("yzpzxh", ""));
  doc.Add("sbrq", kSbrq);
  pugi::xml_node errors = doc.AddList("cwxxList");
  for (const Json& p : d->at("persons")) {
    if (!Starts(p.value("cxjmsbbm", ""), "ERR")) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(errors, "cwxxDTO");
    TaxmlAnswer::AddValue(row, "jfmxxh", p.value("jfmxxh", ""));
    TaxmlAnswer::AddValue(row, "cwxx", "人员编号不存在");
  }
  return Answer::Taxml(std::move(doc));
}

std::string StateCode(const Json& d) {
  const std::string st = d.value("state", "");
  return st == "declared" ? "2" : st == "failed" ? "3" : st == "voided" ? "5" : "1";
}

Answer Record(const Call& call, State& s) {
  RequireAccount(s, call.Djxh());
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbxxList");
  for (const Json& d : s.declarations) {
    if (!d.contains("jfrlx") || d.value("djxh", "") != call.Djxh()) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbxxDTO");
    TaxmlAnswer::AddValue(row, "jylsh", d.value("yblsh", ""));
    TaxmlAnswer::AddValue(row, "yzpzxh", d.value("yzpzxh", ""));
    TaxmlAnswer::AddValue(row, "sbzt", StateCode(d));
    TaxmlAnswer::AddValue(row, "yjfehj", Amount(d.value("yjfe", 0.0)));
    TaxmlAnswer::AddValue(row, "jfrs", std::to_string(d.at("persons").size()));
  }
  return Answer::Taxml(std::move(doc));
}

Answer PayerSummary(const Call& call, State& s) {
  const Json* a = FindGroupAccount(s, call.Djxh());
  if (!a) return Answer::Json({{"code", "20001"}, {"message", "该缴费人不是集体补助户或政府代缴户"}});
  size_t lines = 0, declared = 0;
  for (const Json& u : a->at("units")) lines += u.at("cbxzList").size();
  for (const Json& d : s.declarations) declared += d.contains("jfrlx") && d.value("djxh", "") == call.Djxh();
  return Answer::Json({{"code", "00000"},
                       {"message", "成功"},
                       {"djxh", call.Djxh()},
                       {"nsrmc", a->value("nsrmc", "")},
                       {"jfrlx", a->value("jfrlx", "")},
                       {"dws", std::to_string(a->at("units").size())},
                       {"cbxzs", std::to_string(lines)},
                       {"sbs", std::to_string(declared)}});
}

}  // namespace

Answer GroupDeclarationList(const Call& call, State& s) {
  const std::string jfrlx = call.Key("jfrlx");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbqkxxList");
  for (const Json& d : s.declarations) {
    if (d.value("jfrlx", "") != jfrlx || d.value("djxh", "") != call.Djxh() || d.value("yzpzxh", "").empty()) continue;
    const Json& first = d["persons"].empty() ? Json::object() : d["persons"][0];
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbqkxxDTO");
    TaxmlAnswer::AddValue(row, "yzpzxh", d.value("yzpzxh", ""));
    TaxmlAnswer::AddValue(row, "sbrq", kSbrq);
    TaxmlAnswer::AddValue(row, "yxbz", d.value("state", "") == "voided" ? "N" : "Y");
    TaxmlAnswer::AddValue(row, "sbzt", "2");
    TaxmlAnswer::AddValue(row, "yzpzzlDm", "BDA0610994");
    TaxmlAnswer::AddValue(row, "yjfehj", Amount(d.value("yjfe", 0.0)));
    pugi::xml_node details = row.append_child("sbDetailList");
    pugi::xml_node detail = TaxmlAnswer::AddRow(details, "sbDetailDTO");
    TaxmlAnswer::AddValue(detail, "zgswjgDm", d.value("zgswjgDm", ""));
    TaxmlAnswer::AddValue(detail, "sbjbjgDm", first.value("sbjbjgDm", ""));
    TaxmlAnswer::AddValue(detail, "sblsh", d.value("yblsh", ""));
    TaxmlAnswer::AddValue(detail, "xxh", "1");
    TaxmlAnswer::AddValue(detail, "fkssqq", first.value("jfnd", "2026") + "-01-01");
    TaxmlAnswer::AddValue(detail, "fkssqz", first.value("jfnd", "2026") + "-12-31");
    TaxmlAnswer::AddValue(detail, "jfrs", std::to_string(d["persons"].size()));
    TaxmlAnswer::AddValue(detail, "yjfe", Amount(d.value("yjfe", 0.0)));
    TaxmlAnswer::AddValue(detail, "hzmxxh", "HZ" + d.value("yzpzxh", ""));
    TaxmlAnswer::AddValue(detail, "xzlxdm", first.value("xzlx", ""));
  }
  return Answer::Taxml(std::move(doc));
}

void RegisterGroupHandlers(HandlerRegistry& registry) {
  registry.Add("0214", Registration);
  registry.Add("0215", Declare);
  registry.Add("0216", Verdict);
  registry.Add("0228", Record);
  registry.Add("0229", PayerSummary);
}

}  // namespace velmor::taxsim
