#include "taxsim/state.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include "include/velmor/json_depth.h"

#include "taxsim/group_accounts.h"

namespace velmor::taxsim {
namespace {

// Field tables: the scenario names of each record's string members, in scenario order.
template <class T>
struct Field {
  const char* name;
  std::string T::*member;
};

constexpr Field<Payer> kPayerFields[] = {{"djxh", &Payer::djxh},         {"nsrsbh", &Payer::nsrsbh},
                                         {"nsrmc", &Payer::nsrmc},       {"zgswjgDm", &Payer::zgswjgDm},
                                         {"sbjbjgDm", &Payer::sbjbjgDm}, {"xzqhDm", &Payer::xzqhDm}};
constexpr Field<Person> kPersonFields[] = {
    {"djxh", &Person::djxh},     {"rydjxh", &Person::rydjxh}, {"xm", &Person::xm},     {"zjlxDm", &Person::zjlxDm},
    {"zjhm", &Person::zjhm},     {"xbDm", &Person::xbDm},     {"csrq", &Person::csrq}, {"gjdqDm", &Person::gjdqDm},
    {"lxdh", &Person::lxdh},     {"hjxzDm", &Person::hjxzDm}};
constexpr Field<Enrolment> kEnrolmentFields[] = {{"djxh", &Enrolment::djxh},     {"rydjxh", &Enrolment::rydjxh},
                                                 {"sbjbjgDm", &Enrolment::sbjbjgDm}, {"rybh", &Enrolment::rybh},
                                                 {"swjgDm", &Enrolment::swjgDm}, {"yxbz", &Enrolment::yxbz}};
constexpr Field<Item> kItemFields[] = {
    {"djxh", &Item::djxh},     {"rydjxh", &Item::rydjxh}, {"sbjbjgDm", &Item::sbjbjgDm}, {"rybh", &Item::rybh},
    {"xzid", &Item::xzid},     {"xzlxDm", &Item::xzlxDm}, {"zsxmDm", &Item::zsxmDm},     {"zspmDm", &Item::zspmDm},
    {"zszmDm", &Item::zszmDm}, {"ksjfyf", &Item::ksjfyf}, {"tzjfyf", &Item::tzjfyf},     {"jfnd", &Item::jfnd},
    {"yxbz", &Item::yxbz}};

// splitmix64: a fixed, portable sequence (the standard distributions are not portable).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t n) { return Next() % n; }

 private:
  uint64_t s_;
};

// Appends `value` in decimal, zero-padded to `width` digits (all its digits when it has more):
// written by hand, as printf's "%0*llu" writes it, a dozen times for each of 100,000 generated
// persons, into strings whose room is taken once.
void AppendDigits(std::string& out, uint64_t value, int width) {
  char buf[24];
  char* end = buf + sizeof buf;
  char* at = end;
  do {
    *--at = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (width > end - at) out.append(static_cast<size_t>(width - (end - at)), '0');
  out.append(at, end);
}

std::string Digits(uint64_t value, int width) {
  std::string out;
  AppendDigits(out, value, width);
  return out;
}

// `prefix` followed by `value` as AppendDigits writes it, in one allocation at most.
std::string Numbered(std::string_view prefix, uint64_t value, int width) {
  std::string out;
  out.reserve(prefix.size() + static_cast<size_t>(width));
  out.append(prefix);
  AppendDigits(out, value, width);
  return out;
}

// The check character of an 18-character resident identity number (ISO 7064 MOD 11-2).
char IdCheck(const std::string& first17) {
  static const int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
  static const char kChecks[] = "10X98765432";
  int sum = 0;
  for (int i = 0; i < 17; ++i) sum += (first17[i] - '0') * kWeights[i];
  return kChecks[sum % 11];
}

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟",
                              "涛", "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "玉", "兰", "文", "辉",
                              "建", "国", "红", "梅", "鑫", "波", "斌", "宇", "浩", "凯", "婷", "雪"};

struct ItemKind {
  const char* xzlxDm;
  const char* zsxmDm;
  const char* zspmDm;
  double yjfe;
};
const ItemKind kItemKinds[] = {{"110", "10210", "102101000", 300.0},
                               {"310", "10212", "102121000", 380.0},
                               {"410", "10213", "102131000", 120.0}};

template <class T, size_t N>
T ReadRecord(const nlohmann::json& j, const Field<T> (&fields)[N], const std::string& where) {
  if (!j.is_object()) throw ScenarioError(where + " 不是对象");
  T record{};
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (const auto& f : fields) {
      if (it.key() != f.name) continue;
      if (!it->is_string()) throw ScenarioError(where + "." + it.key() + " 不是字符串");
      record.*f.member = it->get<std::string>();
      known = true;
    }
    if constexpr (std::is_same_v<T, Item>) {
      if (it.key() == "yjfe") {
        if (!it->is_number()) throw ScenarioError(where + ".yjfe 不是数值");
        record.yjfe = it->get<double>();
        known = true;
      }
    }
    if (!known) throw ScenarioError(where + " 含未知成员 " + it.key());
  }
  return record;
}

template <class T, size_t N>
nlohmann::ordered_json WriteRecord(const T& record, const Field<T> (&fields)[N]) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  for (const auto& f : fields) j[f.name] = record.*f.member;
  if constexpr (std::is_same_v<T, Item>) j["yjfe"] = record.yjfe;
  return j;
}

void Require(const std::string& value, const std::string& where, const char* name) {
  if (value.empty()) throw ScenarioError(where + " 缺少 " + name);
}

}  // namespace

const Payer* State::FindPayer(std::string_view djxh) const {
  auto it = payerIndex_.find(djxh);
  return it == payerIndex_.end() ? nullptr : &payers[it->second];
}

std::pair<const Person*, const Person*> State::PersonsOf(std::string_view djxh) const {
  auto it = personRange_.find(djxh);
  if (it == personRange_.end()) return {nullptr, nullptr};
  return {persons.data() + it->second.first, persons.data() + it->second.second};
}

void State::Reindex() {
  payerIndex_.clear();
  personRange_.clear();
  for (size_t i = 0; i < payers.size(); ++i) payerIndex_[payers[i].djxh] = i;
  for (size_t i = 0; i < persons.size();) {
    size_t j = i;
    while (j < persons.size() && persons[j].djxh == persons[i].djxh) ++j;
    personRange_[persons[i].djxh] = {i, j};
    i = j;
  }
}

std::string GeneratedDjxh(int64_t k) { return "1" + Digits(static_cast<uint64_t>(k), 19); }

State Generate(const GenerateOptions& o) {
  State s;
  Rng rng(o.seed);
  int64_t payerCount = o.payers < 1 ? 1 : o.payers;
  for (int64_t k = 1; k <= payerCount; ++k) {
    Payer p;
    p.djxh = GeneratedDjxh(k);
    p.nsrsbh = "91110000" + Digits(static_cast<uint64_t>(k), 10);
    p.nsrmc = "模拟缴费单位" + std::to_string(k);
    p.zgswjgDm = "1110100" + Digits(static_cast<uint64_t>(k % 10000), 4);
    p.sbjbjgDm = "1110100" + Digits(static_cast<uint64_t>(k % 10000), 4);
    p.xzqhDm = "110101";
    s.payers.push_back(std::move(p));
  }
  int64_t perPayer = (o.persons + payerCount - 1) / payerCount;
  uint64_t xzid = 0;
  // Room taken once (a person has at most three items): grown by doubling, each step moved every
  // row made so far.
  const size_t persons = o.persons > 0 ? static_cast<size_t>(o.persons) : 0;
  s.persons.reserve(persons);
  s.enrolments.reserve(persons);
  s.items.reserve(persons * 3);
  for (int64_t i = 0; i < o.persons; ++i) {
    const Payer& payer = s.payers[static_cast<size_t>(perPayer ? i / perPayer : 0)];
    Person p;
    p.djxh = payer.djxh;
    p.rydjxh = Numbered("2", static_cast<uint64_t>(i + 1), 19);
    p.xm = std::string(kSurnames[rng.Below(std::size(kSurnames))]) + kGiven[rng.Below(std::size(kGiven))];
    if (rng.Below(2)) p.xm += kGiven[rng.Below(std::size(kGiven))];
    int year = 1950 + static_cast<int>(rng.Below(55));
    int month = 1 + static_cast<int>(rng.Below(12));
    int day = 1 + static_cast<int>(rng.Below(28));
    bool male = rng.Below(2) == 0;
    // Sequence digits 15-17: the last one odd for men, even for women.
    uint64_t seq = rng.Below(500) * 2 + (male ? 1 : 0);
    p.zjhm.reserve(18);
    p.zjhm = "110101";
    AppendDigits(p.zjhm, static_cast<uint64_t>(year), 4);
    AppendDigits(p.zjhm, static_cast<uint64_t>(month), 2);
    AppendDigits(p.zjhm, static_cast<uint64_t>(day), 2);
    AppendDigits(p.zjhm, seq, 3);
    p.zjhm += IdCheck(p.zjhm);
    p.zjlxDm = "201";
    p.xbDm = male ? "1" : "2";
    p.csrq = p.zjhm.substr(6, 4) + "-" + p.zjhm.substr(10, 2) + "-" + p.zjhm.substr(12, 2);
    p.gjdqDm = "156";
    p.lxdh = Numbered("13", rng.Below(1000000000), 9);
    p.hjxzDm = rng.Below(2) ? "10" : "20";

    Enrolment e;
    e.djxh = p.djxh;
    e.rydjxh = p.rydjxh;
    e.sbjbjgDm = payer.sbjbjgDm;
    e.rybh = Numbered("RY", static_cast<uint64_t>(i + 1), 10);
    e.swjgDm = payer.zgswjgDm;
    e.yxbz = "Y";

    int itemCount = 1 + static_cast<int>(rng.Below(3));
    for (int n = 0; n < itemCount; ++n) {
      const ItemKind& kind = kItemKinds[n];
      Item it;
      it.djxh = p.djxh;
      it.rydjxh = p.rydjxh;
      it.sbjbjgDm = e.sbjbjgDm;
      it.rybh = e.rybh;
      it.xzid = Numbered("X", ++xzid, 12);
      it.xzlxDm = kind.xzlxDm;
      it.zsxmDm = kind.zsxmDm;
      it.zspmDm = kind.zspmDm;
      it.ksjfyf = "2024-01";
      it.tzjfyf = "9999-12";
      it.jfnd = "2024";
      it.yxbz = "Y";
      it.yjfe = kind.yjfe;
      s.items.push_back(std::move(it));
    }
    s.persons.push_back(std::move(p));
    s.enrolments.push_back(std::move(e));
  }
  s.Reindex();
  s.groups = GenerateGroupAccounts(s);
  return s;
}

State LoadScenarioText(std::string_view text, const std::string& origin) {
  if (!JsonDepthWithin(text)) throw ScenarioError(origin + ": " + JsonTooDeepText());
  nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded()) throw ScenarioError(origin + ": 不是有效的JSON");
  if (!j.is_object()) throw ScenarioError(origin + ": 顶层不是对象");
  static const std::set<std::string> kTop = {"payers", "persons", "enrolments", "items",
                                             "rules", "declarations", "agreements", "groups"};
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (!kTop.count(it.key())) throw ScenarioError(origin + ": 未知的成员 " + it.key());
    if (!it->is_array()) throw ScenarioError(origin + ": " + it.key() + " 不是数组");
  }
  auto array = [&](const char* name) { return j.contains(name) ? j[name] : nlohmann::json::array(); };
  State s;
  try {
    std::set<std::string> payerIds;
    const nlohmann::json payers = array("payers");
    for (size_t i = 0; i < payers.size(); ++i) {
      std::string where = "payers[" + std::to_string(i) + "]";
      Payer p = ReadRecord(payers[i], kPayerFields, where);
      Require(p.djxh, where, "djxh");
      if (!payerIds.insert(p.djxh).second) throw ScenarioError(where + " 重复的djxh " + p.djxh);
      s.payers.push_back(std::move(p));
    }
    std::set<std::pair<std::string, std::string>> personIds;
    const nlohmann::json persons = array("persons");
    for (size_t i = 0; i < persons.size(); ++i) {
      std::string where = "persons[" + std::to_string(i) + "]";
      Person p = ReadRecord(persons[i], kPersonFields, where);
      Require(p.djxh, where, "djxh");
      Require(p.rydjxh, where, "rydjxh");
      if (!payerIds.count(p.djxh)) throw ScenarioError(where + " 的djxh不是已知的缴费单位：" + p.djxh);
      if (!personIds.insert({p.djxh, p.rydjxh}).second) throw ScenarioError(where + " 重复的rydjxh " + p.rydjxh);
      s.persons.push_back(std::move(p));
    }
    // Persons are kept grouped by payer (stable, so file order survives within a payer).
    std::stable_sort(s.persons.begin(), s.persons.end(),
                     [&](const Person& a, const Person& b) { return a.djxh < b.djxh; });
    auto requirePerson = [&](const std::string& djxh, const std::string& rydjxh, const std::string& where) {
      Require(djxh, where, "djxh");
      Require(rydjxh, where, "rydjxh");
      if (!personIds.count({djxh, rydjxh})) throw ScenarioError(where + " 指向未知的人员 " + rydjxh);
    };
    const nlohmann::json enrolments = array("enrolments");
    for (size_t i = 0; i < enrolments.size(); ++i) {
      std::string where = "enrolments[" + std::to_string(i) + "]";
      Enrolment e = ReadRecord(enrolments[i], kEnrolmentFields, where);
      requirePerson(e.djxh, e.rydjxh, where);
      s.enrolments.push_back(std::move(e));
    }
    const nlohmann::json items = array("items");
    for (size_t i = 0; i < items.size(); ++i) {
      std::string where = "items[" + std::to_string(i) + "]";
      Item it = ReadRecord(items[i], kItemFields, where);
      requirePerson(it.djxh, it.rydjxh, where);
      s.items.push_back(std::move(it));
    }
  } catch (const ScenarioError& e) {
    throw ScenarioError(origin + ": " + e.what());
  }
  s.rules = array("rules");
  s.declarations = array("declarations");
  s.agreements = array("agreements");
  s.groups = array("groups");
  s.Reindex();
  return s;
}

State LoadScenario(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError(path + ": 无法读取场景文件");
  std::ostringstream text;
  text << in.rdbuf();
  return LoadScenarioText(text.str(), path);
}

nlohmann::ordered_json ToScenario(const State& s) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  auto put = [&](const char* name, const auto& records, const auto& fields) {
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const auto& r : records) a.push_back(WriteRecord(r, fields));
    j[name] = std::move(a);
  };
  put("payers", s.payers, kPayerFields);
  put("persons", s.persons, kPersonFields);
  put("enrolments", s.enrolments, kEnrolmentFields);
  put("items", s.items, kItemFields);
  j["rules"] = s.rules;
  // A declaration whose persons are rows gets them back as "persons", in its members' usual order.
  nlohmann::ordered_json declarations = nlohmann::ordered_json::array();
  for (const nlohmann::json& d : s.declarations) {
    auto rows = d.find("personRows");
    if (rows == d.end()) {
      declarations.push_back(nlohmann::ordered_json(d));
      continue;
    }
    nlohmann::json entry = d;
    const size_t at = rows->is_number_unsigned() ? rows->get<size_t>() : s.declaredPersons.size();
    entry.erase("personRows");
    nlohmann::json& persons = entry["persons"] = nlohmann::json::array();
    if (at < s.declaredPersons.size()) {
      const PersonRows& r = s.declaredPersons[at];
      const size_t width = r.names.size();
      for (size_t i = 0; i < r.count; ++i) {
        nlohmann::json person = nlohmann::json::object();
        for (size_t k = 0; k < width; ++k)
          if (r.present[i * width + k]) person[r.names[k]] = std::string(r.Value(i * width + k));
        persons.push_back(std::move(person));
      }
    }
    declarations.push_back(nlohmann::ordered_json(entry));
  }
  j["declarations"] = std::move(declarations);
  j["agreements"] = s.agreements;
  j["groups"] = s.groups;
  return j;
}

bool XzidDeclared(const std::string& xzid) {
  return !xzid.empty() && xzid.back() >= '0' && xzid.back() <= '9' && (xzid.back() - '0') % 2 == 0;
}

}  // namespace velmor::taxsim
