// Special-group declarations on the simulated server:
//  "0136" grades of an item over years (JSON): 100.00 to 500.00 per year; without zsxmDm the
//         answer lacks jfdcList; jfndq after jfndz: code "30136".
//  "0135" payment history of a person (taxML): hisJfxxResList with one row per enrolment and
//         year; a djxh that names no person: code "3C010" without a list (nothing on record).
//  "0134" declaration (taxML): declared at once with a new yzpzxh, the total of the content's
//         jfje elements and today's date, unless the content's <bz> says otherwise: "FAIL"
//         refuses the declaration (code "20001"); "QUEUE" refuses with "10042" and keeps it for
//         "0137" under the serial; "QUEUE_SLOW" also answers the first "0137" with "10042";
//         "QUEUE_FAIL" queues it and fails it at "0137". A busy server (State::queueDeclarations)
//         queues every declaration.
//  "0137" verdict of a queued declaration by "yblsh" (taxML); unknown serial: code "30001".
//  "0152" first year of an agency (document djxh, sbjbjgDm; JSON answer): "2014"; an empty agency
//         gets no sdnd; one starting "ERR": code "30152".
//  "0151" back-payment grades of a year (document djxh, jfnd; JSON answer): three grades; a year
//         before 2000 gets no lnbjdcList.
// Queued declarations live in State::residents["tsrq"] by serial.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

namespace {

using Json = nlohmann::json;

std::string TodayText() {
  return LocalTimeText("%Y-%m-%d");
}

Answer JsonOk(Json members) {
  Json body = {{"code", kOkCode}, {"message", "处理成功"}};
  for (auto it = members.begin(); it != members.end(); ++it) body[it.key()] = it.value();
  return Answer::Json(body);
}

Answer Grades(const Call& call, State&) {
  const std::string q = call.Key("jfndq"), z = call.Key("jfndz");
  if (!q.empty() && !z.empty() && q > z)
    return Answer::Json({{"code", "30136"}, {"message", "缴费年度起止不正确"}});
  if (call.Key("zsxmDm").empty()) return JsonOk(Json::object());
  Json list = Json::array();
  for (int i = 1; i <= 5; ++i) list.push_back({{"dcmc", "第" + std::to_string(i) + "档"}, {"dcje", Amount(100.0 * i)}});
  return JsonOk({{"jfdcList", list}});
}

Answer History(const Call& call, State& s) {
  const std::string djxh = Param(call, "djxh");
  const Person* p = FindByRydjxh(s, djxh);
  if (!p) return Answer::Error("3C010", "未查询到历史缴费信息");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("hisJfxxResList");
  for (const Enrolment& e : s.enrolments) {
    if (e.rydjxh != p->rydjxh) continue;
    for (const char* year : {"2024", "2025"}) {
      pugi::xml_node row = TaxmlAnswer::AddRow(list, "hisJfxxResDTO");
      TaxmlAnswer::AddValue(row, "sbjbjgDm", e.sbjbjgDm);
      TaxmlAnswer::AddValue(row, "sbjbjgMc", "社保经办机构" + e.sbjbjgDm);
      TaxmlAnswer::AddValue(row, "rybh", e.rybh);
      TaxmlAnswer::AddValue(row, "cbztDm", "1");
      TaxmlAnswer::AddValue(row, "jfztDm", "1");
      TaxmlAnswer::AddValue(row, "jfnd", year);
      TaxmlAnswer::AddValue(row, "jfys", "12");
    }
  }
  return Answer::Taxml(std::move(doc));
}

// The verdict answer of a declaration entry.
Answer Verdict(State& s, Json& entry) {
  if (entry.value("mode", "") == "QUEUE_FAIL" || entry.value("mode", "") == "FAIL")
    return Answer::Error("20001", "申报校验不通过：缴费年度已申报");
  if (entry.value("yzpzxh", "").empty()) entry["yzpzxh"] = "3" + std::to_string(100000000 + s.NextNumber());
  TaxmlAnswer doc;
  doc.Add("yjfehj", Amount(entry.value("yjfehj", 0.0)));
  doc.Add("yzpzxh", entry["yzpzxh"].get<std::string>());
  doc.Add("sbrq", entry.value("sbrq", "") + " 10:00:00");
  return Answer::Taxml(std::move(doc));
}

Answer Declare(const Call& call, State& s) {
  if (!call.document) return Answer::Refuse("10003", "缺少申报报文");
  double total = 0;
  for (pugi::xpath_node n : call.document->Root().select_nodes(".//jfje")) total += n.node().text().as_double();
  const std::string mode = call.document->Value("bz");
  Json entry = {{"djxh", call.Djxh()}, {"mode", mode}, {"yjfehj", total}, {"sbrq", TodayText()},
                {"polls", mode == "QUEUE_SLOW" ? 1 : 0}};
  if (mode.rfind("QUEUE", 0) == 0 || s.queueDeclarations) {
    s.residents["tsrq"][call.Serial()] = entry;
    return Answer::Refuse("10042", "申报已受理，请稍后获取反馈");
  }
  return Verdict(s, entry);
}

Answer LateVerdict(const Call& call, State& s) {
  Json& book = s.residents["tsrq"];
  if (!book.is_object() || !book.contains(call.Yblsh())) return Answer::Error("30001", "未找到该流水号的申报");
  Json& entry = book[call.Yblsh()];
  if (entry.value("polls", 0) > 0) {
    entry["polls"] = entry.value("polls", 0) - 1;
    return Answer::Refuse("10042", "申报正在处理，请稍后获取反馈");
  }
  return Verdict(s, entry);
}

Answer FirstYear(const Call& call, State&) {
  const std::string agency = Param(call, "sbjbjgDm");
  if (agency.rfind("ERR", 0) == 0) return Answer::Json({{"code", "30152"}, {"message", "社保经办机构不存在"}});
  if (agency.empty()) return JsonOk(Json::object());
  return JsonOk({{"sdnd", "2014"}});
}

Answer BackPaymentGrades(const Call& call, State&) {
  const std::string year = Param(call, "jfnd");
  if (year.size() != 4 || year < "2000") return JsonOk(Json::object());
  Json list = Json::array();
  for (int i = 1; i <= 3; ++i) list.push_back({{"dcmc", year + "年第" + std::to_string(i) + "档"}, {"dcje", Amount(1000.0 * i)}});
  return JsonOk({{"lnbjdcList", list}});
}

}  // namespace

void RegisterSpecialGroupHandlers(HandlerRegistry& r) {
  r.Add("0136", Grades);
  r.Add("0135", History);
  r.Add("0134", Declare);
  r.Add("0137", LateVerdict);
  r.Add("0152", FirstYear);
  r.Add("0151", BackPaymentGrades);
}

}  // namespace velmor::taxsim
