// Paying declared fees (docs/payment.md). The arrears are the lines of the declared entries of
// State::declarations (one per person: yzpzmxxh its position, zsuuid "<yzpzxh>-<n>", qfje its
// yjfe) not yet paid and not on a valid voucher; an entry's office is its `swjg` (else the
// payer's), its deadline its `jkqx` (else, by position, ten days past, today, ten days ahead).
// What State::payments keeps and tests steer:
//   outcomes {zsuuid: code}: the deduction answer of a line ("000" when absent; "FFF", "999",
//     any other; "OMIT" leaves the line out of the feedback; "NOVOUCHER" out of a voucher);
//   failOffices {office: message}: "0007" answers that office with code "FAIL";
//   timeoutNext: the next deduction is refused with "10042" and its lines are paid regardless;
//   paid {zsuuid: dzsphm}, vouchers {dzsphm: {state, zsuuids, swjg, djxh, day}} (tests may set a
//     state "1".."4"), lineVoucher {zsuuid: dzsphm};
//   sbfjnLines [line...]: further arrears lines that only the social-insurance payment service
//     knows ("0901" answers them for the levy documents asked, with the owed lines of those).
// "0006" agreements, "0007" arrears, "0008" deduction (a paid amount counts in the entry's
// `paid`, so "0014" sees it), "0010" vouchers, "0011" void, "0035" (taxML) and "0237" (JSON) the
// paid lines of a payer; for the host's social-insurance payment service "0901" the arrears of
// given levy documents and "0902" the states of the vouchers issued between two days.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;

std::string Day(int offsetDays) {
  return LocalTimeText("%Y-%m-%d", long(offsetDays) * 86400);
}

Json& Book(State& s, const char* part) {
  Json& p = s.payments;
  if (!p.is_object()) p = Json::object();
  if (!p.contains(part) || !p[part].is_object()) p[part] = Json::object();
  return p[part];
}

std::string Outcome(State& s, const std::string& zsuuid) {
  const Json& o = Book(s, "outcomes");
  return o.contains(zsuuid) ? o[zsuuid].get<std::string>() : "000";
}

// Every line of the payer's declared entries, with the entry it belongs to.
struct Line {
  Json* entry;
  size_t person;
  Json row;
};

std::vector<Line> LinesOf(State& s, const std::string& djxh) {
  std::vector<Line> out;
  const Payer* payer = s.FindPayer(djxh);
  const std::string defaultOffice = payer ? payer->zgswjgDm : "13201000000";
  size_t k = 0;
  for (Json& d : s.declarations) {
    if (d.value("djxh", "") != djxh || d.value("state", "") != "declared") continue;
    const std::string yzpzxh = d.value("yzpzxh", "");
    const std::string office = d.value("swjg", defaultOffice);
    const std::string jkqx = d.value("jkqx", Day(k % 3 == 0 ? -10 : k % 3 == 1 ? 0 : 10));
    ++k;
    const Json& persons = d["persons"];
    for (size_t i = 0; i < persons.size(); ++i) {
      const Json& p = persons[i];
      const std::string jfnd = p.value("jfnd", "2026");
      Json v = p.value("yjfe", Json());
      const double yjfe = v.is_number() ? v.get<double>() : v.is_string() ? std::atof(v.get<std::string>().c_str()) : 0;
      Json row = {{"yzpzxh", yzpzxh}, {"yzpzmxxh", std::to_string(i + 1)}, {"zsuuid", yzpzxh + "-" + std::to_string(i + 1)},
                  {"qfje", Money(yjfe)}, {"hsjg", office}, {"zsjgDm", office}, {"zsswjgMc", "税务所" + office},
                  {"skgkDm", "GK" + office}, {"skgkMc", "国库" + office}, {"zsxmDm", p.value("zsxmDm", "")},
                  {"zspmDm", p.value("zspmDm", "")}, {"zszmDm", p.value("zszmDm", "")},
                  {"skssqq", jfnd + "-01-01"}, {"skssqz", jfnd + "-12-31"}, {"jkqx", jkqx},
                  {"sbbm", p.value("cxjmsbbm", "")}, {"sbjbjgDm", p.value("sbjbjgDm", "")}};
      out.push_back({&d, i, std::move(row)});
    }
  }
  return out;
}

bool Owed(State& s, const std::string& zsuuid) {
  if (Book(s, "paid").contains(zsuuid)) return false;
  const Json& lv = Book(s, "lineVoucher");
  if (!lv.contains(zsuuid)) return true;
  const Json& vouchers = Book(s, "vouchers");
  const std::string dzsphm = lv[zsuuid];
  return !vouchers.contains(dzsphm) || vouchers[dzsphm].value("state", "") == "3";
}

void Pay(State& s, Line& l, const std::string& dzsphm) {
  Book(s, "paid")[l.row["zsuuid"].get<std::string>()] = dzsphm;
  (*l.entry)["paid"] = l.entry->value("paid", 0.0) + std::atof(l.row["qfje"].get<std::string>().c_str());
}

std::string NewNumber(State& s, const char* prefix) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%012llu", prefix, static_cast<unsigned long long>(s.NextNumber()));
  return buf;
}

Answer Agreements(const Call& call, State& s) {
  const std::string djxh = call.Key("kjywrdjxh");
  const Payer* payer = s.FindPayer(djxh);
  Json list = Json::array();
  if (payer)
    list.push_back({{"sfxyh", "SFXY" + djxh.substr(djxh.size() > 8 ? djxh.size() - 8 : 0)}, {"jkzh", "6217000012345678"},
                    {"zhmc", payer->nsrmc}, {"yhhbMc", "建设银行"}, {"yhyywdMc", "建设银行第一支行"},
                    {"skssswjgDm", payer->zgswjgDm}});
  return Answer::Json({{"sfxyList", list}}, 2, "null");
}

Answer Arrears(const Call& call, State& s) {
  const std::string djxh = call.Djxh();
  std::vector<Line> lines = LinesOf(s, djxh);
  std::vector<std::string> offices;
  if (call.body.contains("zgswskfjdmList") && call.body["zgswskfjdmList"].is_array())
    for (const auto& o : call.body["zgswskfjdmList"]) offices.push_back(o.value("zgswksDm", ""));
  if (offices.empty())
    for (const Line& l : lines)
      if (std::find(offices.begin(), offices.end(), l.row["hsjg"]) == offices.end()) offices.push_back(l.row["hsjg"]);
  const Json& fail = Book(s, "failOffices");
  Json entries = Json::array();
  for (const std::string& office : offices) {
    if (fail.contains(office)) {
      entries.push_back({{"code", "FAIL"}, {"message", fail[office]}, {"zgswskfjdm", office}});
      continue;
    }
    Json mx = Json::array();
    for (Line& l : lines)  // a line of one office only: its row moves to the answer
      if (l.row["hsjg"] == office && Owed(s, l.row["zsuuid"])) mx.push_back(std::move(l.row));
    entries.push_back({{"code", "SUCCESS"}, {"message", ""}, {"zgswskfjdm", office}, {"qfxxMxList", mx.empty() ? Json("null") : std::move(mx)}});
  }
  return Answer::Json({{"qfxxList", entries}}, 2, "null");
}

// The payer's lines grouped by the value of `key`, each group in the order of `lines`: a request
// naming thousands of lines finds each in its group instead of scanning every line.
std::map<std::string, std::vector<Line*>> LinesBy(std::vector<Line>& lines, const char* key) {
  std::map<std::string, std::vector<Line*>> by;
  for (Line& l : lines) {
    const Json& v = l.row[key];
    if (v.is_string()) by[v.get<std::string>()].push_back(&l);
  }
  return by;
}

Answer Deduct(const Call& call, State& s) {
  std::vector<Line> lines = LinesOf(s, call.Key("zzdjxh"));
  const auto byZsuuid = LinesBy(lines, "zsuuid");
  std::vector<Line*> asked;
  for (const auto& g : call.body.value("yzpzxhGridlb", Json::array()))
    for (const auto& m : g.value("yzpzmxxhGridlb", Json::array())) {
      auto found = byZsuuid.find(m.value("zsuuid", ""));
      if (found == byZsuuid.end()) continue;
      for (Line* l : found->second)
        if (Owed(s, l->row["zsuuid"])) asked.push_back(l);
    }
  if (s.payments.value("timeoutNext", false)) {
    s.payments["timeoutNext"] = false;
    for (Line* l : asked) Pay(s, *l, NewNumber(s, "4"));
    return Answer::Refuse("10042", "服务超时，请稍后查询扣款结果");
  }
  Json codes = Json::array(), rows = Json::array();
  for (Line* l : asked) {
    const std::string code = Outcome(s, l->row["zsuuid"]);
    if (code == "OMIT") continue;
    std::string dzsphm;
    if (code == "000") {
      dzsphm = NewNumber(s, "4");
      Pay(s, *l, dzsphm);
    }
    bool known = false;
    for (const auto& c : codes) known = known || c["kkfhdm"] == code;
    if (!known) codes.push_back({{"kkfhdm", code}, {"kkfhmc", code == "000" ? "扣款成功" : "扣款失败：" + code}});
    Json r = {{"yzpzxh", l->row["yzpzxh"]}, {"yzpzmxxh", l->row["yzpzmxxh"]}, {"kkfhdm", code}, {"dzsphm", dzsphm},
              {"ybtse", l->row["qfje"]}, {"skgkDm", l->row["skgkDm"]}, {"zsswjgDm", l->row["zsjgDm"]}};
    for (const char* k : {"skgkMc", "zsswjgMc", "zsxmDm", "zspmDm", "skssqq", "skssqz"}) r[k] = l->row[k];
    rows.push_back(std::move(r));
  }
  return Answer::Json({{"kkfkLb", codes}, {"szmxLb", rows}}, 2, "null");
}

Answer Vouchers(const Call& call, State& s) {
  std::vector<Line> lines = LinesOf(s, call.Key("zzdjxh"));
  const auto byYzpzxh = LinesBy(lines, "yzpzxh");
  Json out = Json::array();
  for (const auto& m : call.body.value("mxlb", Json::array())) {
    std::string dzsphm;
    auto group = byYzpzxh.find(m.value("yzpzxh", ""));
    if (group == byYzpzxh.end()) continue;
    for (Line* line : group->second) {
      Line& l = *line;
      const std::string zsuuid = l.row["zsuuid"];
      if (!Owed(s, zsuuid) || Outcome(s, zsuuid) == "NOVOUCHER") continue;
      if (dzsphm.empty()) {
        dzsphm = NewNumber(s, "3");
        Book(s, "vouchers")[dzsphm] = {{"state", "1"},           {"swjg", l.row["zsjgDm"]}, {"zsuuids", Json::array()},
                                       {"djxh", call.Key("zzdjxh")}, {"day", Day(0)}};
      }
      Book(s, "vouchers")[dzsphm]["zsuuids"].push_back(zsuuid);
      Book(s, "lineVoucher")[zsuuid] = dzsphm;
      out.push_back({{"sjje", l.row["qfje"]}, {"jkqx", l.row["jkqx"]}, {"swjgDm", l.row["zsjgDm"]}, {"dzsphm", dzsphm},
                     {"zsuuid", zsuuid}});
    }
  }
  return Answer::Json({{"szxxlb", out}}, 2, "null");
}

Answer Void(const Call& call, State& s) {
  Json& vouchers = Book(s, "vouchers");
  const std::string dzsphm = call.Key("dzsphm");
  if (!vouchers.contains(dzsphm)) return Answer::Json({{"kkfhDm", "001"}, {"kkfhmc", "缴款凭证不存在"}}, 2, "null");
  Json& v = vouchers[dzsphm];
  if (v.value("state", "") == "3") return Answer::Json({{"kkfhDm", "002"}, {"kkfhmc", "缴款凭证已作废"}}, 2, "null");
  v["state"] = "3";
  return Answer::Json({{"kkfhDm", "000"}, {"kkfhmc", "作废成功"}}, 2, "null");
}

// The paid lines of a payer, as rows of the payment list.
Json PaidRows(State& s, const std::string& djxh) {
  Json rows = Json::array();
  const Json& paid = Book(s, "paid");
  for (Line& l : LinesOf(s, djxh)) {
    const std::string zsuuid = l.row["zsuuid"];
    if (!paid.contains(zsuuid)) continue;
    rows.push_back({{"zsuuid", zsuuid}, {"yzpzxh", l.row["yzpzxh"]}, {"zspmDm", l.row["zspmDm"]},
                    {"sjje", l.row["qfje"]}, {"dzsphm", paid[zsuuid]}});
  }
  return rows;
}

Answer PaymentList(const Call& call, State& s) {
  Json rows = PaidRows(s, call.Djxh());
  if (rows.empty()) return Answer::Error("70001", "未查询到缴费信息");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbfjfqdList");
  for (const auto& r : rows) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfjfqd");
    for (auto it = r.begin(); it != r.end(); ++it) TaxmlAnswer::AddValue(row, it.key(), it.value().get<std::string>());
  }
  return Answer::Taxml(std::move(doc));
}

Answer History(const Call& call, State& s) {
  return Answer::Json({{"code", "00000"}, {"message", "处理成功"}, {"jfqdList", PaidRows(s, call.Djxh())}}, 2, "null");
}

Answer ArrearsOfDocuments(const Call& call, State& s) {
  const std::string djxh = call.Djxh();
  std::vector<std::string> asked;
  if (call.body.contains("yzpzxhList") && call.body["yzpzxhList"].is_array())
    for (const auto& y : call.body["yzpzxhList"])
      if (y.is_string()) asked.push_back(y.get<std::string>());
  auto wanted = [&](const Json& row) {
    return std::find(asked.begin(), asked.end(), row.value("yzpzxh", "")) != asked.end();
  };
  std::map<std::string, Json> byOffice;
  auto add = [&](Json row) {
    Json& mx = byOffice[row.value("hsjg", "")];
    if (!mx.is_array()) mx = Json::array();
    mx.push_back(std::move(row));
  };
  for (Line& l : LinesOf(s, djxh))
    if (wanted(l.row) && Owed(s, l.row["zsuuid"])) add(std::move(l.row));
  if (s.payments.contains("sbfjnLines") && s.payments["sbfjnLines"].is_array())
    for (const Json& row : s.payments["sbfjnLines"])
      if (wanted(row) && !Book(s, "paid").contains(row.value("zsuuid", ""))) add(row);
  Json entries = Json::array();
  for (auto& [office, mx] : byOffice)
    entries.push_back({{"code", "SUCCESS"}, {"message", ""}, {"zgswskfjdm", office}, {"qfxxMxList", std::move(mx)}});
  return Answer::Json({{"qfxxList", entries}}, 2, "null");
}

Answer VoucherStates(const Call& call, State& s) {
  const std::string djxh = call.Djxh(), from = call.Key("kjrqq"), to = call.Key("kjrqz");
  Json list = Json::array();
  for (auto& [dzsphm, v] : Book(s, "vouchers").items()) {
    const std::string day = v.value("day", "");
    if (v.value("djxh", "") != djxh || day < from || day > to) continue;
    list.push_back({{"dzsphm", dzsphm}, {"zt", v.value("state", "")}});
  }
  return Answer::Json({{"dzsphmList", list}}, 2, "null");
}

}  // namespace

void RegisterPaymentHandlers(HandlerRegistry& registry) {
  registry.Add("0006", Agreements);
  registry.Add("0007", Arrears);
  registry.Add("0008", Deduct);
  registry.Add("0010", Vouchers);
  registry.Add("0011", Void);
  registry.Add("0035", PaymentList);
  registry.Add("0237", History);
  registry.Add("0901", ArrearsOfDocuments);
  registry.Add("0902", VoucherStates);
}

}  // namespace velmor::taxsim
