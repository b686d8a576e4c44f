#include "taxsim/handlers/roster_book.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "taxsim/call.h"

namespace velmor::taxsim {

std::string RosterBook::NextStamp() {
  int64_t now = static_cast<int64_t>(std::time(nullptr));
  lastStamp = std::max(now, lastStamp + 1);
  std::time_t t = static_cast<std::time_t>(lastStamp);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

const std::string& RosterBook::PersonStamp(const std::string& rydjxh) const {
  static const std::string base = kBaseStamp;
  auto it = personStamp.find(rydjxh);
  return it == personStamp.end() ? base : it->second;
}

const std::string& RosterBook::ItemStamp(const std::string& xzid) const {
  static const std::string base = kBaseStamp;
  auto it = itemStamp.find(xzid);
  return it == itemStamp.end() ? base : it->second;
}

void RosterBook::NumberPersons(const State& s) {
  for (const Person& p : s.persons)
    if (regId.emplace(p.rydjxh, lastRegId + 1).second) ++lastRegId;
}

void RosterBook::Reindex(const State& s) {
  if (indexedPersons == s.persons.size() && indexedEnrolments == s.enrolments.size() &&
      personsBase == s.persons.data() && enrolmentsBase == s.enrolments.data())
    return;
  personAt.Build(s.persons, true);
  enrolmentAt.Build(s.enrolments, false);
  indexedPersons = s.persons.size();
  indexedEnrolments = s.enrolments.size();
  personsBase = s.persons.data();
  enrolmentsBase = s.enrolments.data();
}

const std::vector<size_t>& RosterBook::ItemsOf(const State& s, const std::string& djxh) {
  if (indexedItems != s.items.size() || itemsBase != s.items.data()) {
    itemsOfPayer.clear();
    for (size_t i = 0; i < s.items.size(); ++i) itemsOfPayer[s.items[i].djxh].push_back(i);
    indexedItems = s.items.size();
    itemsBase = s.items.data();
  }
  static const std::vector<size_t> none;
  auto it = itemsOfPayer.find(djxh);
  return it == itemsOfPayer.end() ? none : it->second;
}

const Person* RosterBook::FindPerson(const State& s, const std::string& rydjxh) {
  Reindex(s);
  const size_t at = personAt.Find(s.persons, rydjxh);
  return at == RydjxhIndex::kNone ? nullptr : &s.persons[at];
}

Enrolment* RosterBook::FindEnrolment(State& s, const std::string& rydjxh) {
  Reindex(s);
  const size_t at = enrolmentAt.Find(s.enrolments, rydjxh);
  return at == RydjxhIndex::kNone ? nullptr : &s.enrolments[at];
}

namespace {

std::string Str(const nlohmann::json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::string LastMonth() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  int y = tm.tm_year + 1900, m = tm.tm_mon;  // tm_mon is 0-based: last month is m (1-based) unless 0
  if (m == 0) {
    --y;
    m = 12;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d", y, m);
  return buf;
}

Person& RequirePerson(State& s, RosterBook& book, const std::string& rydjxh) {
  const Person* p = book.FindPerson(s, rydjxh);
  if (!p) throw Refusal("10009", "人员[" + rydjxh + "]不存在");
  return const_cast<Person&>(*p);
}

void StampItems(State& s, RosterBook& book, const std::string& rydjxh, const std::string& stamp) {
  for (const Item& it : s.items)
    if (it.rydjxh == rydjxh) book.itemStamp[it.xzid] = stamp;
}

nlohmann::json Add(State& s, RosterBook& book, const nlohmann::json& r) {
  const std::string djxh = Str(r, "djxh");
  const Payer* payer = s.FindPayer(djxh);
  if (!payer) throw Refusal("10009", "缴费人[" + djxh + "]不存在");
  Person p;
  p.djxh = djxh;
  p.rydjxh = Str(r, "rydjxh").empty() ? "9" + std::to_string(1000000000000000000ULL + s.NextNumber()) : Str(r, "rydjxh");
  if (book.FindPerson(s, p.rydjxh)) throw Refusal("10009", "人员[" + p.rydjxh + "]已存在");
  p.xm = Str(r, "xm").empty() ? "新增人员" : Str(r, "xm");
  p.zjlxDm = "201";
  p.zjhm = Str(r, "zjhm").empty() ? "11010119900101" + std::to_string(1000 + s.NextNumber() % 9000) : Str(r, "zjhm");
  p.lxdh = Str(r, "lxdh");
  p.xbDm = "1";
  p.gjdqDm = "156";
  Enrolment e{djxh, p.rydjxh, payer->sbjbjgDm, "RN" + p.rydjxh.substr(p.rydjxh.size() - 10), payer->zgswjgDm, "Y"};
  Item it;
  it.djxh = djxh;
  it.rydjxh = p.rydjxh;
  it.sbjbjgDm = e.sbjbjgDm;
  it.rybh = e.rybh;
  it.xzid = "N" + std::to_string(1000000000000ULL + s.NextNumber());
  it.xzlxDm = Str(r, "xzlxDm").empty() ? "110" : Str(r, "xzlxDm");
  it.zsxmDm = it.xzlxDm == "310" ? "10212" : it.xzlxDm == "410" ? "10213" : "10210";
  it.zspmDm = it.xzlxDm == "310" ? "102121000" : it.xzlxDm == "410" ? "102131000" : "102101000";
  it.ksjfyf = "2024-01";
  it.tzjfyf = "9999-12";
  it.jfnd = "2024";
  it.yxbz = "Y";
  it.yjfe = 300;
  // Persons stay grouped by payer: insert after the payer's last person.
  auto range = s.PersonsOf(djxh);
  size_t at = range.first == range.second ? s.persons.size() : static_cast<size_t>(range.second - s.persons.data());
  s.persons.insert(s.persons.begin() + static_cast<std::ptrdiff_t>(at), p);
  s.enrolments.push_back(e);
  s.items.push_back(it);
  s.Reindex();
  book.Invalidate();
  const std::string stamp = book.NextStamp();
  book.personStamp[p.rydjxh] = stamp;
  book.itemStamp[it.xzid] = stamp;
  book.NumberPersons(s);
  return {{"ok", true}, {"rydjxh", p.rydjxh}, {"xzid", it.xzid}, {"xgrq", stamp}};
}

nlohmann::json Change(State& s, RosterBook& book, const nlohmann::json& r) {
  const std::string rydjxh = Str(r, "rydjxh");
  Person& p = RequirePerson(s, book, rydjxh);
  if (r.contains("xm")) p.xm = Str(r, "xm");
  if (r.contains("lxdh")) p.lxdh = Str(r, "lxdh");
  const std::string stamp = book.NextStamp();
  book.personStamp[rydjxh] = stamp;
  StampItems(s, book, rydjxh, stamp);
  return {{"ok", true}, {"xgrq", stamp}};
}

nlohmann::json End(State& s, RosterBook& book, const nlohmann::json& r) {
  const std::string rydjxh = Str(r, "rydjxh");
  RequirePerson(s, book, rydjxh);
  if (Enrolment* e = book.FindEnrolment(s, rydjxh)) e->yxbz = "N";
  const std::string month = LastMonth();
  for (Item& it : s.items)
    if (it.rydjxh == rydjxh) {
      it.yxbz = "N";
      it.tzjfyf = month;
    }
  const std::string stamp = book.NextStamp();
  book.personStamp[rydjxh] = stamp;
  StampItems(s, book, rydjxh, stamp);
  return {{"ok", true}, {"xgrq", stamp}};
}

nlohmann::json Remove(State& s, RosterBook& book, const nlohmann::json& r) {
  const std::string rydjxh = Str(r, "rydjxh");
  RequirePerson(s, book, rydjxh);
  auto gone = [&](const auto& x) { return x.rydjxh == rydjxh; };
  std::erase_if(s.persons, gone);
  std::erase_if(s.enrolments, gone);
  std::erase_if(s.items, gone);
  s.Reindex();
  book.Invalidate();
  return {{"ok", true}};
}

nlohmann::json AddPayer(State& s, RosterBook& book, const nlohmann::json& r) {
  Payer p;
  p.djxh = Str(r, "djxh");
  if (p.djxh.empty() || s.FindPayer(p.djxh)) throw Refusal("10009", "缴费人[" + p.djxh + "]无效或已存在");
  p.nsrsbh = "91110000" + p.djxh.substr(p.djxh.size() > 10 ? p.djxh.size() - 10 : 0);
  p.nsrmc = "新增缴费单位";
  p.zgswjgDm = "11101009999";
  p.sbjbjgDm = "11101009999";
  p.xzqhDm = "110101";
  s.payers.push_back(p);
  s.Reindex();
  book.Invalidate();
  return {{"ok", true}};
}

}  // namespace

nlohmann::json RosterControl(State& s, RosterBook& book, const nlohmann::json& request) {
  if (!request.is_object()) throw Refusal("10009", "控制请求不是对象");
  book.NumberPersons(s);
  const std::string op = Str(request, "op");
  if (op == "add") return Add(s, book, request);
  if (op == "change") return Change(s, book, request);
  if (op == "end") return End(s, book, request);
  if (op == "remove") return Remove(s, book, request);
  if (op == "addPayer") return AddPayer(s, book, request);
  throw Refusal("10009", "未知的控制操作：" + op);
}

}  // namespace velmor::taxsim
