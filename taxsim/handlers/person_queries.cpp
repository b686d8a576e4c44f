// The person queries of the employee service over the State's persons and items:
// "0032" registrations and "0033"/"0086" payment registrations by ID number, "0036" collection
// information, "0042" payment grades, "0060" bank accounts, "0061" amounts due, "0063"
// verification, "0065" payment states (one person or a list; also as asynchronous jobs),
// "0080" fees paid per person number, "0082" cancellation of amounts due, "0095"/"0096" batch
// deductions and their cancellation, "0122" assessment data of flexibly employed persons.
//
// What the queries change (cancelled amounts, cancelled deductions) is kept in one book per
// registry; a cancelled amount is no longer due, a cancelled deduction period shows state "9".
#include <map>
#include <memory>
#include <set>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

struct QueryBook {
  std::set<std::string> voidedYjfe;  // djxh|xzid
  std::set<std::string> voidedQc;    // qcid
};
using BookPtr = std::shared_ptr<QueryBook>;

Result PersonRow(const Person& p) {
  return {{"rydjxh", p.rydjxh}, {"xm", p.xm},       {"sfzjlx", p.zjlxDm}, {"sfzjhm", p.zjhm}, {"xb", p.xbDm},
          {"csrq", p.csrq},     {"gjdq", p.gjdqDm}, {"lxdh", p.lxdh},     {"jfrdjxh", p.djxh}};
}

Result JfdjRow(const Item& it) {
  return {{"rydjxh", it.rydjxh}, {"sbjbjgDm", it.sbjbjgDm},
          {"rybh", it.rybh},     {"xzid", it.xzid},
          {"zsxmDm", it.zsxmDm}, {"zspmDm", it.zspmDm},
          {"zszmDm", it.zszmDm}, {"ksjfyf", it.ksjfyf},
          {"tzjfyf", it.tzjfyf}, {"yxbz", it.yxbz.empty() ? "Y" : it.yxbz},
          {"jfrdjxh", it.djxh}};
}

// Paid or not, fixed by the item: every other item is paid.
bool Paid(const Item& it) { return !it.xzid.empty() && (it.xzid.back() - '0') % 2 == 1; }

Answer Registrations(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  const std::string zjhm = Param(call, "zjhm");
  if (zjhm.empty()) throw Refusal("10009", "缺少证件号码zjhm");
  Result list = Result::array();
  for (const Person& p : s.persons)
    if (p.zjhm == zjhm && (call.Key("zjlx").empty() || p.zjlxDm == call.Key("zjlx"))) list.push_back(PersonRow(p));
  return ResultAnswer(call, {{"zrrDjxxList", list}});
}

// "0033" (body keys zjlx, zjhm) and "0086" (document sfzjlx, sfzjhm).
Answer PaymentRegistrations(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  const std::string zjhm = call.document ? Param(call, "sfzjhm") : Param(call, "zjhm");
  const std::string zjlx = call.document ? Param(call, "sfzjlx") : Param(call, "zjlx");
  if (zjhm.empty()) throw Refusal("10009", "缺少证件号码");
  Result list = Result::array();
  if (const Person* p = FindByZjhm(s, zjhm, zjlx))
    for (const Item* it : ItemsOf(s, p->rydjxh, Param(call, "jfnd"))) list.push_back(JfdjRow(*it));
  return ResultAnswer(call, {{"jfdjxxList", list}});
}

Answer Collection(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  Result list = Result::array();
  if (const Person* p = FindByZjhm(s, call.Key("zjhm")))
    for (const Item* it : ItemsOf(s, p->rydjxh, call.Key("jfnd")))
      list.push_back({{"sbjbjgDm", it->sbjbjgDm},
                      {"zsxmDm", it->zsxmDm},
                      {"zspmDm", it->zspmDm},
                      {"jfnd", it->jfnd},
                      {"yjfe", Amount(it->yjfe)},
                      {"zjmsDm", "01"}});
  return ResultAnswer(call, {{"zjxxList", list}});
}

Answer Grades(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  if (Param(call, "zspmDm").empty()) throw Refusal("10009", "缺少征收品目zspmDm");
  static const char* const kNames[] = {"一档", "二档", "三档"};
  static const double kAmounts[] = {380, 580, 880};
  Result list = Result::array();
  for (int i = 0; i < 3; ++i)
    list.push_back({{"jfdcDm", "0" + std::to_string(i + 1)},
                    {"jfdcMc", kNames[i]},
                    {"jfbz", Amount(kAmounts[i])},
                    {"zspmDm", Param(call, "zspmDm")},
                    {"jfnd", Param(call, "jfnd")}});
  return ResultAnswer(call, {{"jfdcList", list}});
}

Answer BankAccounts(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  Result list = Result::array();
  if (const Person* p = FindByZjhm(s, call.Key("zjhm"))) {
    std::string digits;
    for (char c : p->zjhm)
      if (c >= '0' && c <= '9') digits += c;
    list.push_back({{"yhhbDm", "105"},
                    {"yhhbMc", "中国建设银行"},
                    {"yhzh", "6217" + digits.substr(digits.size() > 15 ? digits.size() - 15 : 0)},
                    {"zhmc", p->xm}});
  }
  return ResultAnswer(call, {{"yhzhList", list}});
}

Answer AmountsDue(const Call& call, State& s, QueryBook& book) {
  RequirePayer(s, call);
  const std::string rydjxh = Param(call, "rydjxh");
  Result list = Result::array();
  for (const Item* it : PayerItems(s, call.Djxh(), Param(call, "jfnd"))) {
    if ((!rydjxh.empty() && it->rydjxh != rydjxh) || book.voidedYjfe.count(it->djxh + "|" + it->xzid)) continue;
    list.push_back({{"rydjxh", it->rydjxh},
                    {"xzid", it->xzid},
                    {"zsxmDm", it->zsxmDm},
                    {"zspmDm", it->zspmDm},
                    {"zszmDm", it->zszmDm},
                    {"jfnd", it->jfnd},
                    {"yjfe", Amount(it->yjfe)}});
  }
  return ResultAnswer(call, {{"yjfeList", list}});
}

Answer Verify(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  const Person* p = FindByZjhm(s, call.Key("zjhm"), call.Key("zjlx"));
  if (!p) return ResultAnswer(call, {{"yzjg", "N"}, {"yzxx", "未查询到该居民信息"}});
  if (p->xm != call.Key("xm")) return ResultAnswer(call, {{"yzjg", "N"}, {"yzxx", "姓名与证件号码不一致"}});
  return ResultAnswer(call, {{"yzjg", "Y"}, {"yzxx", "验证通过"}});
}

// One person ("rydjxh") or a list ("rydjxhList"); the payer's items of the year.
Answer PaymentStates(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  std::set<std::string> wanted;
  auto list = call.body.find("rydjxhList");
  if (list != call.body.end() && list->is_array()) {
    for (const auto& v : *list)
      if (v.is_string()) wanted.insert(v.get<std::string>());
  } else if (!call.Key("rydjxh").empty()) {
    wanted.insert(call.Key("rydjxh"));
  } else {
    throw Refusal("10009", "缺少人员登记序号rydjxh");
  }
  Result rows = Result::array();
  for (const Item* it : PayerItems(s, call.Djxh(), call.Key("jfnd"))) {
    if (!wanted.count(it->rydjxh)) continue;
    const bool paid = Paid(*it);
    rows.push_back({{"rydjxh", it->rydjxh},
                    {"xzid", it->xzid},
                    {"jfnd", it->jfnd},
                    {"jfzt", paid ? "1" : "0"},
                    {"sbsj", paid ? "2024-01-15 10:00:00" : ""},
                    {"sbjbjgDm", it->sbjbjgDm},
                    {"rybh", it->rybh},
                    {"zsxmDm", it->zsxmDm},
                    {"zspmDm", it->zspmDm},
                    {"zszmDm", it->zszmDm},
                    {"xzjdDm", "110101001"},
                    {"sqczDm", "110101001001"},
                    {"cbrytslbDm", "01"}});
  }
  return ResultAnswer(call, {{"jfztList", rows}});
}

Answer FeesPaid(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  auto list = call.body.find("rybhList");
  if (list == call.body.end() || !list->is_array() || list->empty()) throw Refusal("10009", "人员编号列表为空");
  std::set<std::string> wanted;
  for (const auto& v : *list)
    if (v.is_string()) wanted.insert(v.get<std::string>());
  Result rows = Result::array();
  for (const Item* it : PayerItems(s, call.Djxh(), call.Key("jfnd")))
    if (wanted.count(it->rybh) && Paid(*it))
      rows.push_back({{"rybh", it->rybh},
                      {"rydjxh", it->rydjxh},
                      {"xzid", it->xzid},
                      {"zsxmDm", it->zsxmDm},
                      {"zspmDm", it->zspmDm},
                      {"jfnd", it->jfnd},
                      {"sjje", Amount(it->yjfe)},
                      {"jkrq", "2024-01-15"}});
  return ResultAnswer(call, {{"jfqdList", rows}});
}

Answer CancelAmounts(const Call& call, State& s, QueryBook& book) {
  RequirePayer(s, call);
  std::vector<pugi::xml_node> wanted = DocumentRows(call, "zfmxList");
  if (wanted.empty()) throw Refusal("10009", "作废明细为空");
  std::set<std::string> mine;
  for (const Item* it : PayerItems(s, call.Djxh(), Param(call, "jfnd"))) mine.insert(it->xzid);
  Result rows = Result::array();
  for (pugi::xml_node r : wanted) {
    const std::string xzid = r.child_value("xzid");
    const std::string key = call.Djxh() + "|" + xzid;
    if (!mine.count(xzid))
      rows.push_back({{"xzid", xzid}, {"zfbz", "N"}, {"sbyy", "未找到应缴费额"}});
    else if (!book.voidedYjfe.insert(key).second)
      rows.push_back({{"xzid", xzid}, {"zfbz", "N"}, {"sbyy", "应缴费额已作废"}});
    else
      rows.push_back({{"xzid", xzid}, {"zfbz", "Y"}, {"sbyy", ""}});
  }
  return ResultAnswer(call, {{"zfjgList", rows}});
}

std::string PeriodId(const std::string& djxh, const std::string& jfnd) {
  return "QC" + djxh.substr(djxh.size() > 6 ? djxh.size() - 6 : 0) + jfnd;
}

Answer Deductions(const Call& call, State& s, QueryBook& book) {
  RequirePayer(s, call);
  std::map<std::string, std::pair<std::set<std::string>, double>> byYear;
  for (const Item* it : PayerItems(s, call.Djxh(), Param(call, "jfnd"))) {
    auto& [persons, sum] = byYear[it->jfnd];
    persons.insert(it->rydjxh);
    sum += it->yjfe;
  }
  Result rows = Result::array();
  for (const auto& [jfnd, v] : byYear) {
    const std::string qcid = PeriodId(call.Djxh(), jfnd);
    rows.push_back({{"qcid", qcid},
                    {"jfnd", jfnd},
                    {"kkrs", std::to_string(v.first.size())},
                    {"kkje", Amount(v.second)},
                    {"kkzt", book.voidedQc.count(qcid) ? "9" : "1"}});
  }
  return ResultAnswer(call, {{"plkkqcList", rows}});
}

Answer CancelDeduction(const Call& call, State& s, QueryBook& book) {
  RequirePayer(s, call);
  const std::string qcid = Param(call, "qcid");
  bool known = false;
  for (const Item* it : PayerItems(s, call.Djxh())) known = known || PeriodId(call.Djxh(), it->jfnd) == qcid;
  if (!known) return ResultError(call, "30011", "批量扣款期次不存在");
  if (!book.voidedQc.insert(qcid).second) return ResultError(call, "30012", "该期次已作废");
  return ResultAnswer(call, {{"qcid", qcid}, {"zfbz", "Y"}});
}

Answer FlexibleAssessment(const Call& call, State& s, QueryBook&) {
  RequirePayer(s, call);
  Result rows = Result::array();
  if (const Person* p = FindByZjhm(s, Param(call, "zjhm")))
    rows.push_back({{"xm", p->xm},
                    {"sfzjhm", p->zjhm},
                    {"ssny", Param(call, "ssny")},
                    {"hdjfjs", Amount(4000)},
                    {"hdje", Amount(800)}});
  return ResultAnswer(call, {{"hdxxList", rows}});
}

Handler With(BookPtr book, Answer (*fn)(const Call&, State&, QueryBook&)) {
  return [book, fn](const Call& call, State& s) { return fn(call, s, *book); };
}

}  // namespace

void RegisterPersonQueries(HandlerRegistry& r) {
  BookPtr book = std::make_shared<QueryBook>();
  r.Add("0032", With(book, Registrations));
  r.Add("0033", With(book, PaymentRegistrations));
  r.Add("0036", With(book, Collection));
  r.Add("0042", With(book, Grades));
  r.Add("0060", With(book, BankAccounts));
  r.Add("0061", With(book, AmountsDue));
  r.Add("0063", With(book, Verify));
  r.Add("0065", With(book, PaymentStates));
  r.Add("0080", With(book, FeesPaid));
  r.Add("0082", With(book, CancelAmounts));
  r.Add("0086", With(book, PaymentRegistrations));
  r.Add("0095", With(book, Deductions));
  r.Add("0096", With(book, CancelDeduction));
  r.Add("0122", With(book, FlexibleAssessment));
}

}  // namespace velmor::taxsim
