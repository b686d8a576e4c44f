// The residents' declaration states: "0056" (the states of up to 1000 xzid, a taxML answer read
// by the client's fast XML document), "0210" / "0211" (self-declared states: submitted, then
// collected under the submission's serial, "10042" while not ready), "0223" (the year check: the
// payer's undeclared lines) and "0270" (declaration-and-payment states of residents by identity
// number). "0108" (approved declarations) lives with the roster's codes (handlers/roster.cpp).
//
// A line is declared when the last digit of its xzid is even: deterministic, so that tests know
// the answer; the payment state is "10" (paid) for declared lines and "31" (unpaid) otherwise.
// xzid the payer does not have are left out of the answers (the client keeps their lines as they
// were and marks them "not declared" only for batches that answered).
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "taxsim/handlers.h"
#include "taxsim/handlers/position_index.h"

namespace velmor::taxsim {
namespace {

void RequirePayer(const State& s, const Call& call) {
  if (!s.FindPayer(call.Djxh())) throw Refusal("10042", "缴费人[" + call.Djxh() + "]不存在");
}

const nlohmann::ordered_json& RequireArray(const Call& call, const char* key) {
  auto it = call.body.find(key);
  if (it == call.body.end() || !it->is_array()) throw Refusal("10009", std::string("缺少") + key);
  return *it;
}

std::string XzidText(const nlohmann::ordered_json& x) { return x.is_string() ? x.get<std::string>() : x.dump(); }

// Every payer's items by (djxh, xzid), so that a batch of a thousand asked xzid costs a thousand
// lookups whatever the roster's size (200 batches over 200,000 items walked every item per
// batch). Rebuilt when the State's items changed in number or place: the roster control adds and
// removes items, nothing edits an item's djxh or xzid in place. Used under the simulator's state
// lock, like the State.
struct ItemIndex {
  size_t indexed = SIZE_MAX;
  const Item* base = nullptr;
  PositionIndex items;

  void Refresh(const State& s) {
    if (indexed == s.items.size() && base == s.items.data()) return;
    items.Build(
        s.items.size(), [&](size_t i) { return PositionIndex::Hash(s.items[i].djxh, s.items[i].xzid); },
        [&](size_t i, size_t j) { return s.items[i].djxh == s.items[j].djxh && s.items[i].xzid == s.items[j].xzid; },
        false);
    indexed = s.items.size();
    base = s.items.data();
  }
  // Whether `xzid` is an item of `djxh`.
  bool Has(const State& s, const std::string& djxh, const std::string& xzid) const {
    return items.Find(PositionIndex::Hash(djxh, xzid), [&](size_t at) {
      return s.items[at].xzid == xzid && s.items[at].djxh == djxh;
    }) != PositionIndex::kNone;
  }
};

Answer States(const Call& call, State& s, ItemIndex& index) {
  RequirePayer(s, call);
  const auto& asked = RequireArray(call, "xzidList");
  if (asked.size() > 1000) throw Refusal("10009", "xzidList超过1000条");
  const bool jfzt = call.Key("jfzt") == "Y";
  index.Refresh(s);
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbztList");
  for (const auto& x : asked) {
    const std::string xzid = XzidText(x);
    if (!index.Has(s, call.Djxh(), xzid)) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbztDTO");
    TaxmlAnswer::AddValue(row, "xzid", xzid);
    TaxmlAnswer::AddValue(row, "sbzt", XzidDeclared(xzid) ? "Y" : "N");
    if (jfzt) TaxmlAnswer::AddValue(row, "jfzt", XzidDeclared(xzid) ? "10" : "31");
  }
  return Answer::Taxml(std::move(doc));
}

// The self-declared submissions waiting to be collected, by serial: each is "10042" once.
struct SelfDeclared {
  std::mutex mutex;
  struct Entry {
    nlohmann::json rows;
    int pending = 1;
  };
  std::map<std::string, Entry> bySerial;
};

Answer SubmitSelfDeclared(const Call& call, State& s, SelfDeclared& book, ItemIndex& index) {
  RequirePayer(s, call);
  const auto& asked = RequireArray(call, "xzidList");
  if (call.Yblsh().empty()) throw Refusal("10005", "缺少yblsh");
  index.Refresh(s);
  nlohmann::json rows = nlohmann::json::array();
  for (const auto& x : asked) {
    const std::string xzid = XzidText(x);
    if (index.Has(s, call.Djxh(), xzid)) rows.push_back({{"xzid", xzid}, {"sbzt", XzidDeclared(xzid) ? "Y" : "N"}});
  }
  std::lock_guard lock(book.mutex);
  book.bySerial[call.Yblsh()] = {std::move(rows), 1};
  return Answer::Json({{"code", kOkCode}, {"message", "SUCCESS"}});
}

Answer CollectSelfDeclared(const Call& call, State&, SelfDeclared& book) {
  std::lock_guard lock(book.mutex);
  auto it = book.bySerial.find(call.Yblsh());
  if (it == book.bySerial.end()) throw Refusal("10009", "查询流水号不存在：" + call.Yblsh());
  if (it->second.pending-- > 0) throw Refusal("10042", "结果尚未生成");
  // The list travels as bracketed text, as the real answer carries it.
  Answer a = Answer::Json({{"code", kOkCode}, {"message", "SUCCESS"}, {"data", it->second.rows.dump()}});
  book.bySerial.erase(it);
  return a;
}

Answer YearCheck(const Call& call, State& s) {
  RequirePayer(s, call);
  if (call.Key("jfnd").empty()) throw Refusal("10009", "缺少jfnd");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("wsbryList");
  int n = 0;
  for (const Item& it : s.items) {
    if (it.djxh != call.Djxh() || it.yxbz == "N" || XzidDeclared(it.xzid)) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "wsbryDTO");
    TaxmlAnswer::AddValue(row, "rydjxh", it.rydjxh);
    TaxmlAnswer::AddValue(row, "xzid", it.xzid);
    ++n;
  }
  doc.Add("wsbrs", std::to_string(n));
  return Answer::Taxml(std::move(doc));
}

Answer PaymentStates(const Call& call, State& s) {
  RequirePayer(s, call);
  const auto& asked = RequireArray(call, "cxjmList");
  std::unordered_map<std::string, const Person*> byZjhm;
  auto [first, last] = s.PersonsOf(call.Djxh());
  for (const Person* p = first; p != last; ++p) byZjhm.emplace(p->zjhm, p);
  nlohmann::json rows = nlohmann::json::array();
  for (const auto& r : asked) {
    const std::string zjhm = r.is_object() && r.contains("zjhm") && r["zjhm"].is_string() ? r["zjhm"].get<std::string>() : "";
    auto p = byZjhm.find(zjhm);
    if (p == byZjhm.end()) continue;
    for (const Item& it : s.items) {
      if (it.djxh != call.Djxh() || it.rydjxh != p->second->rydjxh) continue;
      rows.push_back({{"xm", p->second->xm},
                      {"zjhm", zjhm},
                      {"xzid", it.xzid},
                      {"zspmDm", it.zspmDm},
                      {"sbzt", XzidDeclared(it.xzid) ? "Y" : "N"},
                      {"jfzt", XzidDeclared(it.xzid) ? "10" : "31"}});
    }
  }
  return Answer::Json({{"code", kOkCode}, {"message", "处理成功"}, {"sbjfztList", rows}});
}

}  // namespace

void RegisterResidentsStatusHandlers(HandlerRegistry& registry) {
  auto book = std::make_shared<SelfDeclared>();
  auto index = std::make_shared<ItemIndex>();
  registry.Add("0056", [index](const Call& call, State& s) { return States(call, s, *index); });
  registry.Add("0210",
               [book, index](const Call& call, State& s) { return SubmitSelfDeclared(call, s, *book, *index); });
  registry.Add("0211", [book](const Call& call, State& s) { return CollectSelfDeclared(call, s, *book); });
  registry.Add("0223", YearCheck);
  registry.Add("0270", PaymentStates);
}

}  // namespace velmor::taxsim
