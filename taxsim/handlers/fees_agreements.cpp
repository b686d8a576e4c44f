// Payment-amount confirmation and personal payment agreements (docs/fees.md has the layouts):
// "0037" confirms the lines of a SbfCxjmYjfeSzRequest (under "qqbw"): jfjsQrList of jfjsQrDTO
// (cxjmsbbm, zspmDm, yjfe); a line without cxjmsbbm gives code "30037".
// "0038" answers sfxyList of the payer: the authorisations stored by "0039" (pkbz "3", sbfxybz
// "Y") and one agreement that is not a deduction authorisation (pkbz "1").
// "0039" stores an authorisation; without fkzh: code "30039".
// "0043" hands out a new agreement number (sfxyh); without skssswjgDm: code "30043".
// "0044"-"0047" take a HXZGZS00193Request with one ZSsfxyVO: "0044" stores it and answers its new
// sfxydjuuid; "0045" updates it; "0046" verifies it (recode "FDA" for an agreement number
// beginning with "FDA", else "000"); "0047" revokes it ("FBD" likewise). "0048" withdraws a
// number by sfxydjuuid (unknown: code "30048"). Every answer is taxML.
#include "taxsim/handlers/fee_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

Answer Confirm(const Call& call, State& s) {
  RequirePayer(s, call);
  std::vector<pugi::xml_node> lines = DocumentRows(call, "xzjfjeQrList");
  Result list = Result::array();
  for (pugi::xml_node l : lines) {
    if (std::string(l.child_value("cxjmsbbm")).empty()) return Answer::Error("30037", "居民申报编码不能为空");
    list.push_back({{"cxjmsbbm", l.child_value("cxjmsbbm")},
                    {"zspmDm", l.child_value("zspmDm")},
                    {"yjfe", l.child_value("yjfe")}});
  }
  return ResultAnswer(call, {{"jfjsQrList", list}});
}

Answer Authorisations(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  Result list = Result::array();
  for (const auto& a : book.authorisations[call.Djxh()])
    list.push_back({{"pkbz", "3"},
                    {"sbfxybz", "Y"},
                    {"qsyhhh", a.value("yhdm", "")},
                    {"yhhbDm", a.value("yhzlDm", "")},
                    {"khyhhh", a.value("khhyhDm", "")},
                    {"khyhmc", a.value("khhyhmc", "")},
                    {"jkzh", a.value("fkzh", "")},
                    {"sfxyh", a.value("xysh", "")},
                    {"lrrq", a.value("wtrq", "")}});
  list.push_back({{"pkbz", "1"}, {"sbfxybz", "N"}, {"qsyhhh", "105"}, {"jkzh", "6217000000000000"}, {"sfxyh", "XY-1"}});
  return ResultAnswer(call, {{"sfxyList", list}});
}

Answer Authorise(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  if (call.Key("fkzh").empty()) return Answer::Error("30039", "付款账号不能为空");
  FeeBook::Row row = FeeBook::Row::object();
  for (auto it = call.body.begin(); it != call.body.end(); ++it)
    if (it->is_string()) row[it.key()] = it.value();
  auto& list = book.authorisations[call.Djxh()];
  std::erase_if(list, [&](const FeeBook::Row& r) { return r.value("zjhm", "") == call.Key("zjhm"); });
  list.push_back(row);
  return ResultAnswer(call, Result::object());
}

Answer NewNumber(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  if (call.Key("skssswjgDm").empty()) return Answer::Error("30043", "税务机关代码不能为空");
  return ResultAnswer(call, {{"sfxyh", "SFXY" + std::to_string(100000 + ++book.serial)}});
}

FeeBook::Row Agreement(const Call& call) {
  FeeBook::Row out = FeeBook::Row::object();
  if (!call.document) throw Refusal("10009", "缺少三方协议报文");
  for (pugi::xml_node m : call.document->Root().child("ZSsfxyVO").children())
    if (m.type() == pugi::node_element) out[m.name()] = m.child_value();
  return out;
}

Answer SaveAgreement(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  FeeBook::Row a = Agreement(call);
  if (a.value("sfxyh", "").empty()) return Answer::Error("30044", "三方协议号不能为空");
  const std::string id = "UUID" + std::to_string(100000 + ++book.serial);
  a["sfxydjuuid"] = id;
  book.agreements[id] = a;
  return ResultAnswer(call, {{"sfxydjuuid", id}});
}

Answer UpdateAgreement(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  FeeBook::Row a = Agreement(call);
  auto it = book.agreements.find(a.value("sfxydjuuid", ""));
  if (it == book.agreements.end()) return Answer::Error("30045", "三方协议不存在");
  it->second = a;
  return ResultAnswer(call, {{"returnmessage", "更新成功"}});
}

Answer Verdict(const Call& call, State& s, const char* refusal, const char* done) {
  RequirePayer(s, call);
  FeeBook::Row a = Agreement(call);
  const bool refused = a.value("sfxyh", "").rfind(refusal, 0) == 0;
  return ResultAnswer(call, {{"recode", refused ? refusal : "000"}, {"returnmessage", refused ? "银行端拒绝" : done}});
}

Answer Withdraw(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  if (book.agreements.erase(call.Key("sfxydjuuid")) == 0) return Answer::Error("30048", "三方协议登记不存在");
  return ResultAnswer(call, {{"returnmessage", "撤销成功"}});
}

}  // namespace

void RegisterConfirmationHandlers(HandlerRegistry& r, const FeeBookPtr& book) {
  auto with = [book](Answer (*f)(const Call&, State&, FeeBook&)) {
    return [book, f](const Call& call, State& s) { return f(call, s, *book); };
  };
  r.Add("0037", Confirm);
  r.Add("0038", with(Authorisations));
  r.Add("0039", with(Authorise));
  r.Add("0043", with(NewNumber));
  r.Add("0044", with(SaveAgreement));
  r.Add("0045", with(UpdateAgreement));
  r.Add("0046", [](const Call& call, State& s) { return Verdict(call, s, "FDA", "验证通过"); });
  r.Add("0047", [](const Call& call, State& s) { return Verdict(call, s, "FBD", "撤销成功"); });
  r.Add("0048", with(Withdraw));
}

}  // namespace velmor::taxsim
