// The employee service's requests that the server answers under their serial, and the times it
// keeps: "0149"/"0150" residents' data submitted and its processing result, "0204"-"0207"
// changed residents (count and data, each a request then its feedback), "0212"/"0213" the batch
// payment-registration query and its feedback, "0271" the residents' insurance update time,
// "0324" changed payment records (request, then feedback with "fkbz" "Y"), "0359"/"0360" the
// update time of medical-account registrations (their count and pages, "0187", are
// medical_accounts.cpp's).
//
// A change time before kBaseStamp (or none) sees every person of the payer as changed, a later
// one none: nothing changes after the roster book's base stamp unless the control code says so.
// Feedback of a serial that made no request of the matching code answers "30001".
#include <map>
#include <memory>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"
#include "taxsim/handlers/roster_book.h"

namespace velmor::taxsim {
namespace {

struct Request {
  std::string code, djxh, gxsj;
  std::vector<Result> rows;
};

struct ExchangeBook {
  std::map<std::string, Request> requests;                      // yblsh -> request
  std::map<std::string, std::vector<Result>> imports;           // drpch -> submitted rows
  std::map<std::string, std::string> cxjmcbxzGxsj, ybgrzhGxsj;  // djxh -> time
};
using BookPtr = std::shared_ptr<ExchangeBook>;

bool SeesChanges(const std::string& gxsj) { return gxsj.empty() || gxsj < kBaseStamp; }

std::vector<const Person*> ChangedPersons(const State& s, const std::string& djxh, const std::string& gxsj) {
  std::vector<const Person*> out;
  if (!SeesChanges(gxsj)) return out;
  auto [first, last] = s.PersonsOf(djxh);
  for (const Person* p = first; p != last; ++p) out.push_back(p);
  return out;
}

Result ResidentRow(const Person& p) {
  return {{"rydjxh", p.rydjxh}, {"xm", p.xm}, {"sfzjlx", p.zjlxDm}, {"sfzjhm", p.zjhm}, {"xgrq", kBaseStamp}};
}

Answer Remember(const Call& call, ExchangeBook& book, Request r) {
  const std::string serial = call.Serial();
  if (serial.empty()) throw Refusal("10005", "缺少yblsh");
  r.code = call.serviceCode;
  r.djxh = call.Djxh();
  book.requests[serial] = std::move(r);
  return ResultAnswer(call, {{"slzt", "1"}});
}

// The request a feedback asks for; null when the serial made none of that code for this payer.
const Request* Asked(const Call& call, const ExchangeBook& book, const char* code) {
  auto it = book.requests.find(call.Serial());
  if (it == book.requests.end() || it->second.code != code || it->second.djxh != call.Djxh()) return nullptr;
  return &it->second;
}

Answer SubmitResidents(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  std::vector<Result> rows;
  for (pugi::xml_node r : DocumentRows(call, "cxjmxxList"))
    rows.push_back(
        {{"xm", r.child_value("xm")}, {"sfzjlx", r.child_value("sfzjlx")}, {"sfzjhm", r.child_value("sfzjhm")}});
  if (rows.empty()) throw Refusal("10009", "导入人员为空");
  const std::string drpch = "DR" + std::to_string(s.NextNumber());
  book.imports[drpch] = std::move(rows);
  return ResultAnswer(call, {{"drpch", drpch}});
}

Answer ImportResult(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  auto it = book.imports.find(Param(call, "drpch"));
  if (it == book.imports.end()) return ResultError(call, "30001", "导入批次不存在");
  Result list = Result::array();
  for (const Result& r : it->second) {
    const bool ok = r.value("sfzjhm", std::string()).size() == 18;
    Result row = r;
    row["cljg"] = ok ? "1" : "2";
    row["sbyy"] = ok ? "" : "证件号码格式错误";
    list.push_back(std::move(row));
  }
  return ResultAnswer(call, {{"drpch", it->first}, {"jgList", list}});
}

Answer ChangedRequest(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  return Remember(call, book, {"", "", call.Key("gxsj"), {}});
}

Answer ChangedCount(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  const Request* r = Asked(call, book, "0204");
  if (!r) return ResultError(call, "30001", "未找到该请求");
  return ResultAnswer(call, {{"zs", std::to_string(ChangedPersons(s, r->djxh, r->gxsj).size())}});
}

Answer ChangedData(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  const Request* r = Asked(call, book, "0206");
  if (!r) return ResultError(call, "30001", "未找到该请求");
  Result list = Result::array();
  for (const Person* p : ChangedPersons(s, r->djxh, r->gxsj)) list.push_back(ResidentRow(*p));
  return ResultAnswer(call, {{"cxjmxxList", list}});
}

Answer BatchRegistrations(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  Request r;
  for (pugi::xml_node agency : DocumentRows(call, "sbjbjgList"))
    for (pugi::xml_node p : agency.child("cxjmXxList").children("cxjmXxDTO"))
      r.rows.push_back({{"sbjbjgDm", agency.child_value("sbjbjgDm")},
                        {"xm", p.child_value("xm")},
                        {"sfzjlx", p.child_value("sfzjlx")},
                        {"sfzjhm", p.child_value("sfzjhm")}});
  if (r.rows.empty()) throw Refusal("10009", "查询名单为空");
  return Remember(call, book, std::move(r));
}

Answer BatchRegistrationsFeedback(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  const Request* r = Asked(call, book, "0212");
  if (!r) return ResultError(call, "30001", "未找到该请求");
  Result list = Result::array();
  for (const Result& row : r->rows) {
    const Person* p = FindByZjhm(s, row.value("sfzjhm", std::string()));
    const bool known = p && p->xm == row.value("xm", std::string());
    Result out = row;
    out["djzt"] = known ? "1" : "0";
    out["rydjxh"] = known ? p->rydjxh : "";
    out["jfzt"] = known && !ItemsOf(s, p->rydjxh).empty() ? "1" : "0";
    list.push_back(std::move(out));
  }
  return ResultAnswer(call, {{"jfdjxxList", list}});
}

Answer InsuranceTime(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  std::string& kept = book.cxjmcbxzGxsj[call.Djxh()];
  if (!call.Key("gxsj").empty()) kept = call.Key("gxsj");
  return ResultAnswer(call, {{"gxsj", kept.empty() ? kBaseStamp : kept}});
}

Answer ChangedPayments(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  if (call.Key("fkbz") != "Y") return Remember(call, book, {"", "", call.Key("gxsj"), {}});
  const Request* r = Asked(call, book, "0324");
  if (!r) return ResultError(call, "30001", "未找到该请求");
  Result list = Result::array();
  if (SeesChanges(r->gxsj))
    for (const Item* it : PayerItems(s, r->djxh))
      list.push_back({{"rydjxh", it->rydjxh},
                      {"xzid", it->xzid},
                      {"jfnd", it->jfnd},
                      {"sjje", Amount(it->yjfe)},
                      {"jkrq", "2024-01-15"}});
  return ResultAnswer(call, {{"jfjlList", list}});
}

Answer AccountTime(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  auto it = book.ybgrzhGxsj.find(call.Djxh());
  return ResultAnswer(call, {{"gxsj", it == book.ybgrzhGxsj.end() ? kBaseStamp : it->second}});
}

Answer SaveAccountTime(const Call& call, State& s, ExchangeBook& book) {
  RequirePayer(s, call);
  if (call.Key("gxsj").empty()) throw Refusal("10009", "缺少更新时间gxsj");
  book.ybgrzhGxsj[call.Djxh()] = call.Key("gxsj");
  return ResultAnswer(call, {{"bczt", "1"}});
}

Handler With(BookPtr book, Answer (*fn)(const Call&, State&, ExchangeBook&)) {
  return [book, fn](const Call& call, State& s) { return fn(call, s, *book); };
}

}  // namespace

void RegisterRosterExchanges(HandlerRegistry& r) {
  BookPtr book = std::make_shared<ExchangeBook>();
  r.Add("0149", With(book, SubmitResidents));
  r.Add("0150", With(book, ImportResult));
  r.Add("0204", With(book, ChangedRequest));
  r.Add("0205", With(book, ChangedCount));
  r.Add("0206", With(book, ChangedRequest));
  r.Add("0207", With(book, ChangedData));
  r.Add("0212", With(book, BatchRegistrations));
  r.Add("0213", With(book, BatchRegistrationsFeedback));
  r.Add("0271", With(book, InsuranceTime));
  r.Add("0324", With(book, ChangedPayments));
  r.Add("0359", With(book, AccountTime));
  r.Add("0360", With(book, SaveAccountTime));
}

}  // namespace velmor::taxsim
