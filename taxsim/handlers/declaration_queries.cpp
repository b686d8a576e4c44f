// The residents' and co-operative medical queries of the declaration screens, answered from the
// state of the payer named by "djxh" (normally as asynchronous jobs):
//   "0296" residents' declarations for a second payment: sbfEcjfList of the payer's declared
//          vouchers (yzpzxh, yjfe, yjkje paid, wjkje unpaid), optionally one "yzpzxh";
//   "0297" co-operative medical fees: xnhsfList of the payer's items (rybh, zsxmDm, zspmDm,
//          jfnd, yjfe), optionally of one "jfnd";
//   "0298" co-operative medical registration objects: djdxList of the payer's persons (rydjxh,
//          xm, zjlx, zjhm), optionally one "zjhm";
//   "0361" residents' medical payable amount of a year ("jfnd" required): rs and yjfje;
//   "0300" residents' payment records: cxlx "1" every person of the payer (jfxxList: xm, zjhm,
//          jfnd, yjfe summed over the person's items), cxlx "2" the person "zjhm" ("30062" when
//          unknown).
// Deterministic: the same state gives the same answer.
#include <map>

#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;

Answer Missing(const char* what) { return Answer::Error("30001", std::string("缺少查询条件") + what); }

Answer SecondPayments(const Call& call, State& state) {
  const std::string only = call.Key("yzpzxh");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbfEcjfList");
  for (const Json& d : state.declarations) {
    if (d.value("djxh", "") != call.Djxh() || d.value("state", "") != "declared") continue;
    if (!only.empty() && d.value("yzpzxh", "") != only) continue;
    const double due = d.value("yjfe", 0.0), paid = d.value("paid", 0.0);
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfEcjfDTO");
    TaxmlAnswer::AddValue(row, "yzpzxh", d.value("yzpzxh", ""));
    TaxmlAnswer::AddValue(row, "yjfe", Amount(due));
    TaxmlAnswer::AddValue(row, "yjkje", Amount(paid));
    TaxmlAnswer::AddValue(row, "wjkje", Amount(due - paid));
  }
  return Answer::Taxml(std::move(doc));
}

Answer CooperativeFees(const Call& call, State& state) {
  const std::string jfnd = call.Key("jfnd");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("xnhsfList");
  for (const Item& item : state.items) {
    if (item.djxh != call.Djxh() || (!jfnd.empty() && item.jfnd != jfnd)) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "xnhsfDTO");
    TaxmlAnswer::AddValue(row, "rybh", item.rybh);
    TaxmlAnswer::AddValue(row, "zsxmDm", item.zsxmDm);
    TaxmlAnswer::AddValue(row, "zspmDm", item.zspmDm);
    TaxmlAnswer::AddValue(row, "jfnd", item.jfnd);
    TaxmlAnswer::AddValue(row, "yjfe", Amount(item.yjfe));
  }
  return Answer::Taxml(std::move(doc));
}

Answer RegistrationObjects(const Call& call, State& state) {
  const std::string zjhm = call.Key("zjhm");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("djdxList");
  auto [first, last] = state.PersonsOf(call.Djxh());
  for (const Person* p = first; p != last; ++p) {
    if (!zjhm.empty() && p->zjhm != zjhm) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "djdxDTO");
    TaxmlAnswer::AddValue(row, "rydjxh", p->rydjxh);
    TaxmlAnswer::AddValue(row, "xm", p->xm);
    TaxmlAnswer::AddValue(row, "zjlx", p->zjlxDm);
    TaxmlAnswer::AddValue(row, "zjhm", p->zjhm);
  }
  return Answer::Taxml(std::move(doc));
}

Answer MedicalPayable(const Call& call, State& state) {
  const std::string jfnd = call.Key("jfnd");
  if (jfnd.empty()) return Missing("[jfnd]");
  double total = 0;
  std::map<std::string, bool> persons;
  for (const Item& item : state.items) {
    if (item.djxh != call.Djxh() || item.jfnd != jfnd) continue;
    total += item.yjfe;
    persons[item.rydjxh] = true;
  }
  TaxmlAnswer doc;
  doc.Add("jfnd", jfnd);
  doc.Add("rs", std::to_string(persons.size()));
  doc.Add("yjfje", Amount(total));
  return Answer::Taxml(std::move(doc));
}

Answer PaymentRecords(const Call& call, State& state) {
  const std::string cxlx = call.Key("cxlx");
  const std::string zjhm = call.Key("zjhm");
  if (cxlx != "1" && cxlx != "2") return Answer::Error("30001", "查询类型无效：" + cxlx);
  if (cxlx == "2" && zjhm.empty()) return Missing("[zjhm]");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("jfxxList");
  int rows = 0;
  auto [first, last] = state.PersonsOf(call.Djxh());
  for (const Person* p = first; p != last; ++p) {
    if (cxlx == "2" && p->zjhm != zjhm) continue;
    std::map<std::string, double> byYear;
    for (const Item& item : state.items) {
      if (item.djxh == p->djxh && item.rydjxh == p->rydjxh) byYear[item.jfnd] += item.yjfe;
    }
    for (const auto& [jfnd, yjfe] : byYear) {
      pugi::xml_node row = TaxmlAnswer::AddRow(list, "jfxxDTO");
      TaxmlAnswer::AddValue(row, "xm", p->xm);
      TaxmlAnswer::AddValue(row, "zjhm", p->zjhm);
      TaxmlAnswer::AddValue(row, "jfnd", jfnd);
      TaxmlAnswer::AddValue(row, "yjfe", Amount(yjfe));
      ++rows;
    }
  }
  if (cxlx == "2" && rows == 0) return Answer::Error("30062", "未查询到缴费信息");
  return Answer::Taxml(std::move(doc));
}

}  // namespace

void RegisterDeclarationQueries(HandlerRegistry& registry) {
  registry.Add("0296", SecondPayments);
  registry.Add("0297", CooperativeFees);
  registry.Add("0298", RegistrationObjects);
  registry.Add("0300", PaymentRecords);
  registry.Add("0361", MedicalPayable);
}

}  // namespace velmor::taxsim
