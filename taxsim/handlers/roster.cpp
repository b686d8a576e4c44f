// The roster codes of the employee service: "0040" (registrations, incremental by gxsj/maxid),
// "0058" (enrolment records of one insurance type, incremental by xgrq), "0059" (the person
// records of up to 1000 cbxxIDs), "0108" (declaration states, counted then paged, optionally of the persons of zrrDjxhList), "0057"
// (which outside persons the server knows), and the control code "9002" that adds, changes,
// ends and removes persons between calls (taxsim/handlers/roster_book.h).
//
// "0058" and "0059" answer, as the real server does for large lists, with the records as one
// JSON array, gzip-compressed and Base64-encoded in "response" ("null" when there are none);
// the answer's "responseData" is the record count. Records of "0058" come newest first.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_set>

#include "taxsim/append_parts.h"
#include "taxsim/codec.h"
#include "taxsim/group_accounts.h"
#include "taxsim/handlers.h"
#include "taxsim/handlers/roster_book.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {
namespace {

using BookPtr = std::shared_ptr<RosterBook>;

const Payer& RequirePayer(const State& s, const Call& call) {
  const Payer* p = s.FindPayer(call.Djxh());
  if (!p) throw Refusal("10042", "缴费人[" + call.Djxh() + "]不存在");
  return *p;
}

// A JSON string: runs of plain bytes are copied whole, only quotes, backslashes and control
// characters are escaped.
void JsonString(std::string& out, std::string_view v) {
  out += '"';
  size_t run = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    const bool quote = c == '"' || c == '\\';
    if (!quote && static_cast<unsigned char>(c) >= 0x20) continue;
    out.append(v.data() + run, i - run);
    run = i + 1;
    if (quote) {
      out += '\\';
      out += c;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
      out += buf;
    }
  }
  out.append(v.data() + run, v.size() - run);
  out += '"';
}

// The records of a "0058" or "0059" answer as one JSON array. The answer is packed at zlib's
// fastest level: an enrolment answer of a large roster is tens of megabytes of text, packed on
// every call, and the client unpacks any level alike.
class Records {
 public:
  // `expected` records, to take the room for the text at once.
  explicit Records(size_t expected = 0) {
    out_.reserve(1 + expected * kBytesPerRecord);
    out_ += '[';
  }
  void Begin() {
    out_ += count_ ? ",{" : "{";
    first_ = true;
  }
  void Field(std::string_view name, std::string_view value) {
    if (Plain(name) && Plain(value)) {
      // Nearly every field (17 a record, 200,000 records an enrolment answer): written at once.
      AppendParts(out_, {first_ ? "" : ",", "\"", name, "\":\"", value, "\""});
      first_ = false;
      return;
    }
    if (!first_) out_ += ',';
    first_ = false;
    JsonString(out_, name);
    out_ += ':';
    JsonString(out_, value);
  }
  // Fields written as Field writes them, for Fixed: the part of a record that every record of an
  // answer repeats.
  static std::string Render(std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    Records r;
    r.Begin();
    for (const auto& [name, value] : fields) r.Field(name, value);
    return r.out_.substr(2);  // after "[{"
  }
  // Adds fields that Render wrote.
  void Fixed(std::string_view rendered) {
    if (rendered.empty()) return;
    if (!first_) out_ += ',';
    first_ = false;
    out_ += rendered;
  }
  void End() {
    out_ += '}';
    ++count_;
  }
  Answer Take() {
    Answer a;
    a.envelope.status = wire::kAnswered;
    a.envelope.responseData = std::to_string(count_);
    out_ += ']';
    a.envelope.response = count_ ? Base64Encode(Gzip(out_, 1)) : "null";
    std::string().swap(out_);
    return a;
  }

 private:
  // What JsonString writes as it is between the quotes: no quote, backslash or control byte.
  static bool Plain(std::string_view v) {
    for (const char c : v)
      if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
  }

  static constexpr size_t kBytesPerRecord = 400;
  std::string out_;
  size_t count_ = 0;
  bool first_ = true;
};

Answer Enrolments(const Call& call, State& s, RosterBook& book) {
  RequirePayer(s, call);
  const std::string djxh = call.Djxh(), xzlx = call.Key("xzlxDm");
  std::string since = call.Key("gxsj");
  if (since.empty()) since = "1900-01-01 00:00:00";
  // Each item with its change time, looked up once.
  std::vector<std::pair<const Item*, const std::string*>> rows;
  for (const Item& it : s.items) {
    if (it.djxh != djxh || it.xzlxDm != xzlx) continue;
    const std::string& stamp = book.ItemStamp(it.xzid);
    if (stamp > since) rows.emplace_back(&it, &stamp);
  }
  if (!book.itemStamp.empty())
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return *a.second > *b.second; });
  Records r(rows.size());
  // The township, community and category every generated item has.
  const std::string place = Records::Render({{"xzjdDm", "110101001"},
                                             {"xzjdMc", "模拟街道"},
                                             {"sqczDm", "110101001001"},
                                             {"sqczMc", "模拟社区"},
                                             {"rycbtslbDm", "01"},
                                             {"rycbtslbMc", "普通居民"}});
  std::string id, date;
  for (const auto& [it, stamp] : rows) {
    r.Begin();
    r.Field("cbxxID", id.assign("CB").append(it->rydjxh));
    r.Field("djxh", it->rydjxh);
    r.Field("cbxzID", it->xzid);
    r.Field("zsxmDm", it->zsxmDm);
    r.Field("zspmDm", it->zspmDm);
    r.Field("zszmDm", it->zszmDm);
    r.Field("xzlxDm", it->xzlxDm);
    r.Fixed(place);
    r.Field("ksjfrq", date.assign(it->ksjfyf).append("-01"));
    r.Field("tzjfrq", date.assign(it->tzjfyf).append("-28"));
    r.Field("xgrq", *stamp);
    r.Field("yxbz", it->yxbz.empty() ? std::string_view("Y") : std::string_view(it->yxbz));
    r.End();
  }
  return r.Take();
}

Answer Persons(const Call& call, State& s, RosterBook& book) {
  RequirePayer(s, call);
  auto ids = call.body.find("cbxxIds");
  if (ids == call.body.end() || !ids->is_array()) throw Refusal("10009", "缺少cbxxIds");
  if (ids->size() > 1000) throw Refusal("10009", "cbxxIds超过1000个");
  const std::string djxh = call.Djxh();
  Records r(ids->size());
  for (const auto& id : *ids) {
    if (!id.is_string()) continue;
    const std::string cbxx = id.get<std::string>();
    if (cbxx.rfind("CB", 0) != 0) continue;
    const std::string rydjxh = cbxx.substr(2);
    const Person* p = book.FindPerson(s, rydjxh);
    if (!p || p->djxh != djxh) continue;
    const Enrolment* e = book.FindEnrolment(s, rydjxh);
    r.Begin();
    r.Field("cbxxID", cbxx);
    r.Field("djxh", p->rydjxh);
    r.Field("xm", p->xm);
    r.Field("zjlxDm", p->zjlxDm);
    r.Field("zjhm", p->zjhm);
    r.Field("sbjbjgDm", e ? std::string_view(e->sbjbjgDm) : std::string_view());
    r.Field("sbbm", e ? std::string_view(e->rybh) : std::string_view());
    r.Field("lxdh", p->lxdh);
    r.Field("xgrq", book.PersonStamp(p->rydjxh));
    r.Field("yxbz", e && !e->yxbz.empty() ? std::string_view(e->yxbz) : std::string_view("Y"));
    r.End();
  }
  return r.Take();
}

Answer Registrations(const Call& call, State& s, RosterBook& book) {
  RequirePayer(s, call);
  book.NumberPersons(s);
  const std::string since = call.Key("gxsj");
  const std::string maxidText = call.Key("maxid");
  uint64_t maxid = 0;
  try {
    maxid = maxidText.empty() ? 0 : std::stoull(maxidText);
  } catch (const std::exception&) {
    throw Refusal("10009", "maxid无效：" + maxidText);
  }
  const std::string djxh = call.Djxh();
  auto [first, last] = s.PersonsOf(djxh);
  std::unordered_map<std::string, std::vector<const Item*>> itemsOf;
  for (const Item& it : s.items)
    if (it.djxh == djxh) itemsOf[it.rydjxh].push_back(&it);
  TaxmlAnswer doc;
  const std::string now = book.NextStamp();
  doc.Add("gxsj", now);
  uint64_t top = maxid;
  pugi::xml_node list = doc.AddList("cxjmDjxxList");
  size_t n = 0;
  for (const Person* p = first; p != last; ++p) {
    uint64_t id = book.regId[p->rydjxh];
    bool changed = !since.empty() && book.PersonStamp(p->rydjxh) > since;
    if (id <= maxid && !changed && !(since.empty() && maxidText.empty())) continue;
    top = std::max(top, id);
    ++n;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "cxjmDjxxDTO");
    TaxmlAnswer::AddValue(row, "djxh", p->rydjxh);
    TaxmlAnswer::AddValue(row, "xm", p->xm);
    TaxmlAnswer::AddValue(row, "sfzjlx", p->zjlxDm);
    TaxmlAnswer::AddValue(row, "sfzjhm", p->zjhm);
    TaxmlAnswer::AddValue(row, "gjDm", p->gjdqDm);
    TaxmlAnswer::AddValue(row, "csrq", p->csrq);
    TaxmlAnswer::AddValue(row, "sex", p->xbDm);
    const Enrolment* e = book.FindEnrolment(s, p->rydjxh);
    if (!e) continue;
    pugi::xml_node enrols = row.append_child("cxjmCbxxList");
    pugi::xml_node er = TaxmlAnswer::AddRow(enrols, "cxjmCbxxDTO");
    TaxmlAnswer::AddValue(er, "sbjbjgDm", e->sbjbjgDm);
    TaxmlAnswer::AddValue(er, "rybh", e->rybh);
    TaxmlAnswer::AddValue(er, "sbhm", e->rybh);
    TaxmlAnswer::AddValue(er, "ssxzqhDm", "110101");
    TaxmlAnswer::AddValue(er, "sqczDm", "110101001001");
    TaxmlAnswer::AddValue(er, "gxsj", book.PersonStamp(p->rydjxh));
    TaxmlAnswer::AddValue(er, "yxbz", e->yxbz.empty() ? "Y" : e->yxbz);
    pugi::xml_node items = er.append_child("cxjmCbxzList");
    for (const Item* it : itemsOf[p->rydjxh]) {
      pugi::xml_node ir = TaxmlAnswer::AddRow(items, "cxjmCbxzDTO");
      TaxmlAnswer::AddValue(ir, "id", it->xzid);
      TaxmlAnswer::AddValue(ir, "zsxmDm", it->zsxmDm);
      TaxmlAnswer::AddValue(ir, "zspmDm", it->zspmDm);
      TaxmlAnswer::AddValue(ir, "zszmDm", it->zszmDm);
      TaxmlAnswer::AddValue(ir, "yxbz", it->yxbz.empty() ? "Y" : it->yxbz);
      TaxmlAnswer::AddValue(ir, "tcqBm", "110101");
      TaxmlAnswer::AddValue(ir, "jdxzDm", "110101001");
      TaxmlAnswer::AddValue(ir, "sqczDm", "110101001001");
      TaxmlAnswer::AddValue(ir, "cbrytslbDm", "01");
      TaxmlAnswer::AddValue(ir, "ksjfyf", it->ksjfyf);
      TaxmlAnswer::AddValue(ir, "tzjfyf", it->tzjfyf);
      TaxmlAnswer::AddValue(ir, "gxsj", book.ItemStamp(it->xzid));
    }
  }
  if (n == 0 && !(since.empty() && maxidText.empty())) return Answer::Refuse("10042", "无新增或变更的登记信息");
  doc.Add("maxid", std::to_string(top));
  return Answer::Taxml(std::move(doc));
}

// Declaration states: one per item of the payer; "isQueryCount" "Y" answers the count only,
// otherwise the records recBeginNo..recEndNo (from 1).
Answer DeclarationStates(const Call& call, State& s, RosterBook& book) {
  RequirePayer(s, call);
  // "zrrDjxhList" narrows the answer to those natural persons (their rydjxh); absent: every one.
  std::unordered_set<std::string> persons;
  bool narrowed = false;
  if (auto list = call.body.find("zrrDjxhList"); list != call.body.end() && list->is_array()) {
    narrowed = true;
    for (const auto& p : *list)
      if (p.is_string()) persons.insert(p.get<std::string>());
  }
  // The payer's items come from the book's list of them; only a narrowed call reads each.
  const std::vector<size_t>& payerItems = book.ItemsOf(s, call.Djxh());
  std::vector<size_t> chosen;
  if (narrowed)
    for (size_t i : payerItems)
      if (persons.count(s.items[i].rydjxh)) chosen.push_back(i);
  const std::vector<size_t>& rows = narrowed ? chosen : payerItems;
  nlohmann::json out = {{"jltj", rows.size()}};
  if (call.Key("isQueryCount") == "Y") return Answer::Json(out);
  size_t from = 1, to = rows.size();
  try {
    if (!call.Key("recBeginNo").empty()) from = std::stoul(call.Key("recBeginNo"));
    if (!call.Key("recEndNo").empty()) to = std::stoul(call.Key("recEndNo"));
  } catch (const std::exception&) {
    throw Refusal("10009", "记录范围无效");
  }
  // Written member by member in the order of the tree's sorted keys: the same text as the tree's
  // dump, without a tree of every record of the page.
  JsonWriter w(JsonWriter::Form::kInEnvelope);
  w.BeginObject();
  w.Key("jltj");
  w.Value(rows.size());
  w.Key("sbztList");
  w.BeginArray();
  for (size_t i = from; i >= 1 && i <= to && i <= rows.size(); ++i) {
    const Item& it = s.items[rows[i - 1]];
    w.BeginObject();
    w.Member("jfnd", it.jfnd);
    w.Member("jfzt", i % 2 ? "1" : "0");
    w.Member("sbrq", "2024-01-15");
    w.Member("sbzt", it.yxbz == "N" ? "0" : "1");
    w.Member("xzid", it.xzid);
    w.Key("ybtfe");
    w.Value(it.yjfe);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return Answer::JsonText(std::move(w));
}

// Outside persons: known when some payer has a person with the same ID number.
Answer OutsidePersons(const Call& call, State& s, RosterBook&) {
  // Collective and government accounts ask about the residents they pay for, too.
  if (!FindGroupAccount(s, call.Djxh())) RequirePayer(s, call);
  if (!call.document) throw Refusal("10002", "缺少请求报文");
  std::unordered_map<std::string, const Person*> byZjhm;
  for (const Person& p : s.persons) byZjhm.emplace(p.zjhm, &p);
  TaxmlAnswer doc;
  pugi::xml_node known = doc.AddList("cgryXxList");
  pugi::xml_node unknown = doc.AddList("sbryXxList");
  for (pugi::xml_node agency : call.document->Root().child("sbjbjgList").children("sbjgjgDTO")) {
    for (pugi::xml_node r : agency.child("cxjmXxList").children("cxjmXxDTO")) {
      auto it = byZjhm.find(r.child_value("sfzjhm"));
      bool found = it != byZjhm.end() && it->second->xm == r.child_value("xm");
      pugi::xml_node row = TaxmlAnswer::AddRow(found ? known : unknown, found ? "cgryXxDTO" : "sbryXxDTO");
      TaxmlAnswer::AddValue(row, "xm", r.child_value("xm"));
      TaxmlAnswer::AddValue(row, "sfzjlx", r.child_value("sfzjlx"));
      TaxmlAnswer::AddValue(row, "sfzjhm", r.child_value("sfzjhm"));
      if (found)
        TaxmlAnswer::AddValue(row, "hh", "HH" + it->second->rydjxh.substr(it->second->rydjxh.size() - 8));
      else
        TaxmlAnswer::AddValue(row, "sbyy", "未查询到该居民信息");
    }
  }
  return Answer::Taxml(std::move(doc));
}

Handler With(BookPtr book, Answer (*fn)(const Call&, State&, RosterBook&)) {
  return [book, fn](const Call& call, State& s) { return fn(call, s, *book); };
}

}  // namespace

void RegisterRosterHandlers(HandlerRegistry& registry) {
  BookPtr book = std::make_shared<RosterBook>();
  registry.Add("0040", With(book, Registrations));
  registry.Add("0058", With(book, Enrolments));
  registry.Add("0059", With(book, Persons));
  registry.Add("0108", With(book, DeclarationStates));
  registry.Add("0057", With(book, OutsidePersons));
  registry.Add(kRosterControlCode, [book](const Call& call, State& s) {
    return Answer::Json(RosterControl(s, *book, nlohmann::json(call.body)));
  });
}

}  // namespace velmor::taxsim
