// The collection status of a payer's scheme account, two-step JSON calls:
//   "0339" units of a year (body data: sbjbjgdm, jdxzdm, sqczdm, zsxmdm, zspmdm, zszmdm, jfnd):
//          answers yblshLb, one serial per two units; "0340" hands out zjqkList by serial.
//   "0341" persons behind one figure of a unit (data: dwbh, swjgdm, swksdm, sbjbjgdm, jdxzdm,
//          sqczdm, jfnd, mxlx "1"-"5"): yblshLb, one serial per five persons; "0342" rymxList.
// A unit is an agency of the payer's items of the year (dwbh "DW" + agency); its persons are the
// payer's persons insured there that year. By a person's position: every third has not paid, the
// others paid, half of those without feedback yet; a payer's channel follows the position too.
// A year without items gives empty lists; an unknown serial "30001"; without jfnd "30339".
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;

constexpr const char* kChannels[] = {"DT", "WB", "PK", "XNHDT", "XNHWB", "SY"};

struct Book {
  std::map<std::string, std::pair<std::string, Json>> rows;  // serial -> (code asked, rows)
};
using BookPtr = std::shared_ptr<Book>;

std::string Data(const Call& call, const char* key) {
  auto d = call.body.find("data");
  if (d == call.body.end() || !d->is_object()) return "";
  auto v = d->find(key);
  return v != d->end() && v->is_string() ? v->get<std::string>() : "";
}

struct Member {
  const Person* person;
  size_t position;
};

// The persons of each agency of the payer's items of the year, in roster order.
std::map<std::string, std::vector<Member>> Units(const State& s, const std::string& djxh, const std::string& jfnd) {
  // The agencies of each person, from one pass over the items (not one pass per person).
  std::unordered_map<std::string_view, std::set<std::string>> agenciesOf;
  for (const Item& it : s.items)
    if (it.jfnd == jfnd) agenciesOf[it.rydjxh].insert(it.sbjbjgDm);
  std::map<std::string, std::vector<Member>> out;
  auto [first, last] = s.PersonsOf(djxh);
  for (const Person* p = first; p != last; ++p) {
    auto agencies = agenciesOf.find(p->rydjxh);
    if (agencies == agenciesOf.end()) continue;
    for (const std::string& a : agencies->second) out[a].push_back({p, static_cast<size_t>(p - first)});
  }
  return out;
}

bool Paid(size_t i) { return i % 3 != 0; }
bool FedBack(size_t i) { return Paid(i) && i % 2 == 0; }
const char* Channel(size_t i) { return kChannels[i % 6]; }

bool InFigure(const std::string& mxlx, size_t i) {
  if (mxlx == "1") return true;
  if (mxlx == "2") return !Paid(i);
  if (mxlx == "3") return Paid(i);
  if (mxlx == "4") return Paid(i) && !FedBack(i);
  return FedBack(i);
}

Json UnitRow(const Payer& payer, const std::string& agency, const std::string& jfnd, const std::vector<Member>& ms) {
  std::map<std::string, int> byChannel;
  int paid = 0, fed = 0;
  for (const Member& m : ms) {
    if (!Paid(m.position)) continue;
    ++paid;
    fed += FedBack(m.position);
    ++byChannel[Channel(m.position)];
  }
  auto n = [](int v) { return std::to_string(v); };
  return {{"dwbh", "DW" + agency},          {"dwmc", "模拟单位" + agency},
          {"swjgdm", payer.zgswjgDm},        {"swjgmc", "模拟税务局"},
          {"swksdm", payer.zgswjgDm + "01"}, {"swksmc", "第一税务所"},
          {"sbjbjgdm", agency},              {"sbjbjgmc", "社保经办机构" + agency},
          {"jdxzdm", "110101001"},           {"jdxzmc", "模拟街道"},
          {"sqczdm", "110101001001"},        {"sqczmc", "模拟社区"},
          {"jfnd", jfnd},                    {"cbrs", n(static_cast<int>(ms.size()))},
          {"wjfrs", n(static_cast<int>(ms.size()) - paid)},
          {"yjfrs", n(paid)},                {"yjfwfkrs", n(paid - fed)},
          {"yfkrs", n(fed)},                 {"xnhdtrs", n(byChannel["XNHDT"])},
          {"xnhwbrs", n(byChannel["XNHWB"])}, {"grdtrs", n(byChannel["DT"])},
          {"grwbrs", n(byChannel["WB"])},    {"grsyrs", n(byChannel["SY"])},
          {"grpkrs", n(byChannel["PK"])}};
}

Answer Keep(const Call& call, Book& book, const char* collectCode, const Json& rows, size_t perSerial) {
  Json serials = Json::array();
  for (size_t i = 0; i < rows.size(); i += perSerial) {
    Json chunk = Json::array();
    for (size_t j = i; j < rows.size() && j < i + perSerial; ++j) chunk.push_back(rows[j]);
    const std::string serial = call.Yblsh() + "-" + std::to_string(i / perSerial + 1);
    book.rows[serial] = {collectCode, std::move(chunk)};
    serials.push_back(serial);
  }
  return Answer::Json({{"code", "00000"}, {"message", "处理成功"}, {"yblshLb", serials}});
}

Answer Collect(const Call& call, Book& book, const char* code, const char* list) {
  auto it = book.rows.find(call.Yblsh());
  if (it == book.rows.end() || it->second.first != code)
    return Answer::Json({{"code", "30001"}, {"message", "未找到该请求"}});
  return Answer::Json({{"code", "00000"}, {"message", "处理成功"}, {list, it->second.second}});
}

Answer UnitsSubmit(const Call& call, State& s, Book& book) {
  const Payer& payer = RequirePayer(s, call);
  const std::string jfnd = Data(call, "jfnd"), agency = Data(call, "sbjbjgdm");
  if (jfnd.empty()) return Answer::Json({{"code", "30339"}, {"message", "缴费年度不能为空"}});
  Json rows = Json::array();
  for (const auto& [a, members] : Units(s, payer.djxh, jfnd))
    if (agency.empty() || agency == a) rows.push_back(UnitRow(payer, a, jfnd, members));
  return Keep(call, book, "0340", rows, 2);
}

Answer PersonsSubmit(const Call& call, State& s, Book& book) {
  const Payer& payer = RequirePayer(s, call);
  const std::string jfnd = Data(call, "jfnd"), dwbh = Data(call, "dwbh"), mxlx = Data(call, "mxlx");
  if (jfnd.empty()) return Answer::Json({{"code", "30339"}, {"message", "缴费年度不能为空"}});
  Json rows = Json::array();
  for (const auto& [a, members] : Units(s, payer.djxh, jfnd)) {
    if ("DW" + a != dwbh) continue;
    for (const Member& m : members) {
      if (!InFigure(mxlx, m.position)) continue;
      const bool paid = Paid(m.position);
      rows.push_back({{"dwbh", dwbh},
                      {"dwmc", "模拟单位" + a},
                      {"swjgmc", "模拟税务局"},
                      {"swksmc", "第一税务所"},
                      {"sbjbjgmc", "社保经办机构" + a},
                      {"jdxzmc", "模拟街道"},
                      {"sqczmc", "模拟社区"},
                      {"xm", m.person->xm},
                      {"sfzjlx", m.person->zjlxDm},
                      {"sfzjlxmc", "居民身份证"},
                      {"sfzjhm", m.person->zjhm},
                      {"rybh", "RY" + m.person->rydjxh},
                      {"sjhm", m.person->lxdh},
                      {"cbrytslbdm", "01"},
                      {"cbrytslbmc", "普通居民"},
                      {"fkssqq", jfnd + "-01-01"},
                      {"fkssqz", jfnd + "-12-31"},
                      {"jfje", paid ? "380.00" : "0.00"},
                      {"jfsj", paid ? jfnd + "-01-15 10:00:00" : ""},
                      {"jfqd", paid ? Channel(m.position) : ""},
                      {"fksj", FedBack(m.position) ? jfnd + "-01-16 10:00:00" : ""}});
    }
  }
  return Keep(call, book, "0342", rows, 5);
}

Handler With(BookPtr book, Answer (*fn)(const Call&, State&, Book&)) {
  return [book, fn](const Call& call, State& s) { return fn(call, s, *book); };
}

}  // namespace

void RegisterCollectionStatusHandlers(HandlerRegistry& r) {
  BookPtr book = std::make_shared<Book>();
  r.Add("0339", With(book, UnitsSubmit));
  r.Add("0340", [book](const Call& call, State&) { return Collect(call, *book, "0340", "zjqkList"); });
  r.Add("0341", With(book, PersonsSubmit));
  r.Add("0342", [book](const Call& call, State&) { return Collect(call, *book, "0342", "rymxList"); });
}

}  // namespace velmor::taxsim
