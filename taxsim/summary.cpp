// What the server holds, for the demo's report and the tests that check it: per payer the
// persons, the declarations by state with their amounts, what was paid by deduction and on
// vouchers, and the residents' registrations and street changes; per collective or government
// account its declarations. Amounts are sums of the stored lines, rounded to the cent.
#include <cmath>
#include <map>
#include <string>

#include "taxsim/handlers/declaration_book.h"
#include "taxsim/state.h"

namespace velmor::taxsim {
namespace {

using OJson = nlohmann::ordered_json;

double Cents(double v) { return std::round(v * 100) / 100; }

double Number(const nlohmann::json& v) {
  if (v.is_number()) return v.get<double>();
  if (v.is_string()) return std::atof(v.get<std::string>().c_str());
  return 0;
}

// Declarations of one djxh: {"declarations": {state: count}, "declarationAmounts": {state: sum}}.
void DeclarationsOf(const State& s, const std::string& djxh, OJson& out) {
  OJson count = OJson::object(), amount = OJson::object();
  for (const nlohmann::json& d : s.declarations) {
    if (d.value("djxh", "") != djxh) continue;
    const std::string st = d.value("state", "");
    count[st] = count.value(st, 0) + 1;
    amount[st] = Cents(amount.value(st, 0.0) + Number(d.value("yjfe", nlohmann::json())));
  }
  out["declarations"] = count;
  out["declarationAmounts"] = amount;
}

// The amount of each declared line by its zsuuid ("<yzpzxh>-<n>"), as the payment handlers number them.
std::map<std::string, double> LineAmounts(const State& s, const std::string& djxh) {
  std::map<std::string, double> lines;
  for (const nlohmann::json& d : s.declarations) {
    if (d.value("djxh", "") != djxh) continue;
    const std::string yzpzxh = d.value("yzpzxh", "");
    const DeclaredPersons persons(s, d);
    const DeclaredPersons::Member yjfe = persons.Find("yjfe");
    for (size_t i = 0; i < persons.size(); ++i) lines[yzpzxh + "-" + std::to_string(i + 1)] = persons.Amount(i, yjfe);
  }
  return lines;
}

// Deductions and vouchers of a payer: lines and amounts paid by deduction, vouchers issued with
// their lines and amounts.
OJson PaymentsOf(const State& s, const std::string& djxh) {
  const std::map<std::string, double> lines = LineAmounts(s, djxh);
  const nlohmann::json& p = s.payments;
  const bool haveVouchers = p.is_object() && p.contains("vouchers") && p["vouchers"].is_object();
  int deductedLines = 0, voucherLines = 0, vouchers = 0;
  double deducted = 0, onVouchers = 0;
  for (const auto& [zsuuid, dzsphm] : s.ledger.paid) {
    auto it = lines.find(zsuuid);
    // A line paid on a voucher names that voucher; a deducted one does not.
    const bool onVoucher = haveVouchers && p["vouchers"].contains(dzsphm);
    if (it == lines.end() || onVoucher) continue;
    ++deductedLines;
    deducted += it->second;
  }
  if (haveVouchers) {
    for (const auto& [dzsphm, v] : p["vouchers"].items()) {
      if (v.value("djxh", "") != djxh || v.value("state", "") == "3") continue;  // 3: voided
      ++vouchers;
      auto held = s.ledger.voucherLines.find(dzsphm);
      if (held == s.ledger.voucherLines.end()) continue;
      for (const std::string& zsuuid : held->second) {
        auto it = lines.find(zsuuid);
        if (it == lines.end()) continue;
        ++voucherLines;
        onVouchers += it->second;
      }
    }
  }
  return {{"deductedLines", deductedLines},
          {"deducted", Cents(deducted)},
          {"vouchers", vouchers},
          {"voucherLines", voucherLines},
          {"onVouchers", Cents(onVouchers)}};
}

// Residents' registrations of a payer (persons accepted or rejected as the verdict judges them:
// a name and an ID number) and its street changes.
OJson ResidentsOf(const State& s, const std::string& djxh) {
  int requests = 0, accepted = 0, rejected = 0, changes = 0;
  if (s.residents.contains("jfdj")) {
    for (const auto& [serial, r] : s.residents["jfdj"].items()) {
      if (r.value("djxh", "") != djxh) continue;
      ++requests;
      for (const auto& person : r.value("persons", nlohmann::json::array()))
        (!person.value("xm", "").empty() && !person.value("zjhm", "").empty() ? accepted : rejected) += 1;
    }
  }
  if (s.residents.contains("jdczbg") && s.residents["jdczbg"].contains(djxh))
    changes = int(s.residents["jdczbg"][djxh].size());
  return {{"requests", requests}, {"accepted", accepted}, {"rejected", rejected}, {"streetChanges", changes}};
}

}  // namespace

nlohmann::ordered_json Summary(const State& s) {
  OJson payers = OJson::array();
  for (const Payer& p : s.payers) {
    auto [first, last] = s.PersonsOf(p.djxh);
    OJson one = {{"djxh", p.djxh},         {"nsrsbh", p.nsrsbh}, {"nsrmc", p.nsrmc},       {"zgswjgDm", p.zgswjgDm},
                 {"sbjbjgDm", p.sbjbjgDm}, {"xzqhDm", p.xzqhDm}, {"persons", last - first}};
    DeclarationsOf(s, p.djxh, one);
    one["payments"] = PaymentsOf(s, p.djxh);
    one["residents"] = ResidentsOf(s, p.djxh);
    int declared = 0, undeclared = 0;
    for (const Item& it : s.items)
      if (it.djxh == p.djxh) (XzidDeclared(it.xzid) ? declared : undeclared) += 1;
    one["lineStates"] = {{"declared", declared}, {"undeclared", undeclared}};
    payers.push_back(std::move(one));
  }
  OJson groups = OJson::array();
  for (const nlohmann::json& g : s.groups) {
    const std::string djxh = g.value("djxh", "");
    OJson one = {{"djxh", djxh}, {"jfrlx", g.value("jfrlx", "")}, {"nsrmc", g.value("nsrmc", "")}};
    const nlohmann::json units = g.value("units", nlohmann::json::array());
    for (const auto& u : units) {
      if (u.value("yxbz", "") != "Y") continue;  // the valid unit the payer declares for
      one["zgswjgDm"] = u.value("zgswjgDm", "");
      one["sbjbjgDm"] = u.value("sbjbjgDm", "");
      one["dwbh"] = u.value("dwbh", "");
      break;
    }
    DeclarationsOf(s, djxh, one);
    groups.push_back(std::move(one));
  }
  return {{"payers", payers}, {"groups", groups}};
}

}  // namespace velmor::taxsim
