// Paying declared fees (docs/payment.md). The arrears are the lines of the declared entries of
// State::declarations (one per person: yzpzmxxh its position, zsuuid "<yzpzxh>-<n>", qfje its
// yjfe) not yet paid and not on a valid voucher; an entry's office is its `swjg` (else the
// payer's), its deadline its `jkqx` (else, by position, ten days past, today, ten days ahead).
// What State::payments keeps and tests steer:
//   outcomes {zsuuid: code}: the deduction answer of a line ("000" when absent; "FFF", "999",
//     any other; "OMIT" leaves the line out of the feedback; "NOVOUCHER" out of a voucher);
//   failOffices {office: message}: "0007" answers that office with code "FAIL";
//   timeoutNext: the next deduction is refused with "10042" and its lines are paid regardless;
//   vouchers {dzsphm: {state, swjg, djxh, day}} (tests may set a state "1".."4");
//   sbfjnLines [line...]: further arrears lines that only the social-insurance payment service
//     knows ("0901" answers them for the levy documents asked, with the owed lines of those).
// The lines paid and those on vouchers are in State::ledger. A day's payment answers every
// person of a roster-sized declaration, so a line's fields are made only when it is answered and
// the long answers are written as text, member by member in the order of a dumped tree.
// "0006" agreements, "0007" arrears, "0008" deduction (a paid amount counts in the entry's
// `paid`, so "0014" sees it), "0010" vouchers, "0011" void, "0035" (taxML) and "0237" (JSON) the
// paid lines of a payer; for the host's social-insurance payment service "0901" the arrears of
// given levy documents and "0902" the states of the vouchers issued between two days.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/handlers/handler_support.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;

// What object.value(key, Json::array()) gives, by reference instead of as a copy: a deduction or
// voucher request of 100,000 lines is one array of the call's body, and value() copied it into a
// tree of another kind. The member when present (of any kind), else an empty array; a value that
// is no object raises as value() does.
template <class AnyJson>
const AnyJson& MemberOrEmpty(const AnyJson& object, const char* key) {
  static const AnyJson kEmpty = AnyJson::array();
  if (!object.is_object()) (void)object.value(key, kEmpty);
  const auto it = object.find(key);
  return it == object.end() ? kEmpty : *it;
}

std::string Day(int offsetDays) {
  return LocalTimeText("%Y-%m-%d", long(offsetDays) * 86400);
}

Json& Book(State& s, const char* part) {
  Json& p = s.payments;
  if (!p.is_object()) p = Json::object();
  if (!p.contains(part) || !p[part].is_object()) p[part] = Json::object();
  return p[part];
}

// A declared entry of the payer with what its lines share.
struct Document {
  Json* entry;
  DeclaredPersons persons;
  std::string yzpzxh, office, jkqx;
  DeclaredPersons::Member jfnd, yjfe, sbbm, sbjbjgDm, zsxmDm, zspmDm, zszmDm;

  Document(State& s, Json& d, std::string defaultOffice, std::string defaultJkqx)
      : entry(&d),
        persons(s, d),
        yzpzxh(d.value("yzpzxh", "")),
        office(d.value("swjg", defaultOffice)),
        jkqx(d.value("jkqx", defaultJkqx)),
        jfnd(persons.Find("jfnd")),
        yjfe(persons.Find("yjfe")),
        sbbm(persons.Find("cxjmsbbm")),
        sbjbjgDm(persons.Find("sbjbjgDm")),
        zsxmDm(persons.Find("zsxmDm")),
        zspmDm(persons.Find("zspmDm")),
        zszmDm(persons.Find("zszmDm")) {}
  size_t Count() const { return persons.size(); }
};

// A line: its entry and position (from 1); its fields are made when asked.
struct Line {
  Document* doc;
  size_t n;

  std::string_view Text(const DeclaredPersons::Member& m) const { return doc->persons.Text(n - 1, m); }
  std::string Zsuuid() const { return doc->yzpzxh + "-" + std::to_string(n); }
  std::string Qfje() const { return Amount(doc->persons.Amount(n - 1, doc->yjfe)); }
  std::string Jfnd() const { return std::string(doc->persons.Text(n - 1, doc->jfnd, "2026")); }
};

// The payer's declared entries, in order; a line's `doc` points into it.
std::vector<Document> DocumentsOf(State& s, const std::string& djxh) {
  std::vector<Document> out;
  const Payer* payer = s.FindPayer(djxh);
  const std::string defaultOffice = payer ? payer->zgswjgDm : "13201000000";
  size_t k = 0;
  for (Json& d : s.declarations) {
    if (d.value("djxh", "") != djxh || d.value("state", "") != "declared") continue;
    out.emplace_back(s, d, defaultOffice, Day(k % 3 == 0 ? -10 : k % 3 == 1 ? 0 : 10));
    ++k;
  }
  return out;
}

std::vector<Line> LinesOf(std::vector<Document>& docs) {
  size_t count = 0;
  for (const Document& d : docs) count += d.Count();
  std::vector<Line> out;
  out.reserve(count);
  for (Document& d : docs)
    for (size_t i = 1; i <= d.Count(); ++i) out.push_back({&d, i});
  return out;
}

// Whether a line is owed: neither paid nor on a voucher that is still valid.
class Owing {
 public:
  explicit Owing(State& s) : ledger_(s.ledger), vouchers_(Book(s, "vouchers")) {}
  bool operator()(const std::string& zsuuid) const {
    if (ledger_.paid.count(zsuuid)) return false;
    auto on = ledger_.lineVoucher.find(zsuuid);
    if (on == ledger_.lineVoucher.end()) return true;
    auto v = vouchers_.find(on->second);
    return v == vouchers_.end() || v->value("state", "") == "3";
  }

 private:
  const PaymentLedger& ledger_;
  const Json& vouchers_;
};

// The row of an arrears line, its members in the order of the answer's tree.
void WriteArrearsRow(JsonWriter& w, const Line& l, const std::string& zsuuid) {
  const Document& d = *l.doc;
  const std::string& office = d.office;
  const std::string jfnd = l.Jfnd();
  w.BeginObject();
  w.Member("hsjg", office);
  w.Member("jkqx", l.doc->jkqx);
  w.Member("qfje", l.Qfje());
  w.Member("sbbm", l.Text(d.sbbm));
  w.Member("sbjbjgDm", l.Text(d.sbjbjgDm));
  w.Member("skgkDm", "GK", office);
  w.Member("skgkMc", "国库", office);
  w.Member("skssqq", jfnd, "-01-01");
  w.Member("skssqz", jfnd, "-12-31");
  w.Member("yzpzmxxh", std::to_string(l.n));
  w.Member("yzpzxh", l.doc->yzpzxh);
  w.Member("zsjgDm", office);
  w.Member("zspmDm", l.Text(d.zspmDm));
  w.Member("zsswjgMc", "税务所", office);
  w.Member("zsuuid", zsuuid);
  w.Member("zsxmDm", l.Text(d.zsxmDm));
  w.Member("zszmDm", l.Text(d.zszmDm));
  w.EndObject();
}

// About what one arrears row takes written (some 400 bytes), rounded up: room is reserved by it.
constexpr size_t kArrearsRowRoom = 512;
// The same for a voucher row (some 150 bytes).
constexpr size_t kVoucherRowRoom = 256;

// `count` rows as values of the array open in w, row(out, i) writing row i into `out`; a long
// list in two halves at once, the second into a writer of its own (room for `rowRoom` bytes a
// row) spliced after the first. `row` may only read the state.
template <class Row>
void WriteRowsInHalves(JsonWriter& w, size_t count, size_t rowRoom, const Row& row) {
  JsonWriter second(w.Written());
  InHalves(count, [&](size_t from, size_t to, int half) {
    JsonWriter& out = half == 0 ? w : second;
    if (half == 1) out.Reserve((to - from) * rowRoom);
    for (size_t i = from; i < to; ++i) row(out, i);
  });
  w.Splice(second);
}

// The rows of these lines (with their zsuuid), as values of the array open in w.
void WriteArrearsRows(JsonWriter& w, const std::vector<std::pair<Line, std::string>>& lines) {
  WriteRowsInHalves(w, lines.size(), kArrearsRowRoom,
                    [&](JsonWriter& out, size_t i) { WriteArrearsRow(out, lines[i].first, lines[i].second); });
}

// {"qfxxList": [...]} around the entries `body` writes, with room for `rows` rows (at most).
template <class Body>
Answer ArrearsAnswer(size_t rows, Body body) {
  JsonWriter w(JsonWriter::Form::kInEnvelope);
  w.Reserve(256 + rows * kArrearsRowRoom);
  w.BeginObject();
  w.Key("qfxxList");
  w.BeginArray();
  body(w);
  w.EndArray();
  w.EndObject();
  return Answer::JsonText(std::move(w));
}

// An office's entry: code and message, then its list (the caller's), then the office.
void BeginOffice(JsonWriter& w) {
  w.BeginObject();
  w.Member("code", "SUCCESS");
  w.Member("message", "");
  w.Key("qfxxMxList");
}

void EndOffice(JsonWriter& w, const std::string& office) {
  w.Member("zgswskfjdm", office);
  w.EndObject();
}

// The lines one request pays: each in the ledger, and its amount added to its entry's `paid`. The
// sums are made in a local, line after line in the order paid (the same additions as adding each
// to the entry), and written to the entries when the object goes: 100,000 lines asked the entry's
// tree for its member twice each.
class Paying {
 public:
  explicit Paying(State& s) : s_(s) {}
  Paying(const Paying&) = delete;
  Paying& operator=(const Paying&) = delete;
  ~Paying() {
    try {
      for (const auto& [entry, sum] : sums_) (*entry)["paid"] = sum;
    } catch (...) {  // out of memory writing a number back: the sum is lost, the lines stay paid
    }
  }
  // `qfje` is the line's amount as its rows write it (Line::Qfje).
  void Pay(const Line& l, const std::string& zsuuid, const std::string& dzsphm, const std::string& qfje) {
    s_.ledger.paid[zsuuid] = dzsphm;
    Json* entry = l.doc->entry;
    auto sum = std::find_if(sums_.begin(), sums_.end(), [entry](const auto& p) { return p.first == entry; });
    if (sum == sums_.end()) sum = sums_.insert(sums_.end(), {entry, entry->value("paid", 0.0)});
    sum->second += std::atof(qfje.c_str());
  }

 private:
  State& s_;
  std::vector<std::pair<Json*, double>> sums_;  // an entry per levy document: a few
};

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
  std::vector<Document> docs = DocumentsOf(s, call.Djxh());
  std::vector<std::string> offices;
  if (call.body.contains("zgswskfjdmList") && call.body["zgswskfjdmList"].is_array())
    for (const auto& o : call.body["zgswskfjdmList"]) offices.push_back(o.value("zgswksDm", ""));
  if (offices.empty())
    for (const Document& d : docs)
      if (d.Count() > 0 && std::find(offices.begin(), offices.end(), d.office) == offices.end())
        offices.push_back(d.office);
  const Json& fail = Book(s, "failOffices");
  const Owing owed(s);
  std::set<std::string> answered;  // an office asked twice answers its lines once
  size_t rows = 0;
  for (const Document& d : docs) rows += d.Count();
  return ArrearsAnswer(rows, [&](JsonWriter& w) {
    for (const std::string& office : offices) {
      if (fail.contains(office)) {
        w.Value({{"code", "FAIL"}, {"message", fail[office]}, {"zgswskfjdm", office}});
        continue;
      }
      BeginOffice(w);
      std::vector<std::pair<Line, std::string>> owing;  // with its zsuuid
      if (answered.insert(office).second) {
        owing.reserve(rows);  // grown by doubling, 200,000 lines were moved eighteen times
        for (Document& d : docs) {
          if (d.office != office) continue;
          for (size_t i = 1; i <= d.Count(); ++i) {
            const Line l{&d, i};
            std::string zsuuid = l.Zsuuid();
            if (owed(zsuuid)) owing.emplace_back(l, std::move(zsuuid));
          }
        }
      }
      if (!owing.empty()) {
        w.BeginArray();
        WriteArrearsRows(w, owing);
        w.EndArray();
      } else {
        w.String("null");
      }
      EndOffice(w, office);
    }
  });
}

// The lines a request names by zsuuid ("<yzpzxh>-<n>"), each once, in the order asked.
class LineFinder {
 public:
  explicit LineFinder(std::vector<Document>& docs) {
    for (Document& d : docs) byYzpzxh_[d.yzpzxh].push_back(&d);
  }
  // Appends the lines of that zsuuid not taken before.
  void Take(std::string_view zsuuid, std::vector<Line>& out) {
    const size_t dash = zsuuid.rfind('-');
    if (dash == std::string_view::npos) return;
    auto docs = byYzpzxh_.find(zsuuid.substr(0, dash));
    if (docs == byYzpzxh_.end()) return;
    const size_t n = LineNumber(zsuuid.substr(dash + 1));
    if (n == 0) return;
    for (Document* d : docs->second) {
      if (n > d->Count()) continue;
      std::vector<bool>& taken = taken_[d];
      if (taken.empty()) taken.resize(d->Count() + 1);
      if (taken[n]) continue;
      taken[n] = true;
      out.push_back({d, n});
    }
  }
  std::vector<Document*>* Documents(const std::string& yzpzxh) {
    auto it = byYzpzxh_.find(yzpzxh);
    return it == byYzpzxh_.end() ? nullptr : &it->second;
  }

 private:
  // The line number a zsuuid ends with: decimal digits as std::to_string writes a positive
  // number (no sign, blank or leading zero), else 0.
  static size_t LineNumber(std::string_view digits) {
    if (digits.empty() || digits.front() == '0') return 0;
    size_t n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size() ? n : 0;
  }

  std::map<std::string, std::vector<Document*>, std::less<>> byYzpzxh_;
  std::map<const Document*, std::vector<bool>> taken_;  // per document, by line number
};

Answer Deduct(const Call& call, State& s) {
  std::vector<Document> docs = DocumentsOf(s, call.Key("zzdjxh"));
  LineFinder finder(docs);
  std::vector<Line> named;
  for (const auto& g : MemberOrEmpty(call.body, "yzpzxhGridlb"))
    for (const auto& m : MemberOrEmpty(g, "yzpzmxxhGridlb")) finder.Take(m.value("zsuuid", ""), named);
  const Owing owed(s);
  std::vector<std::pair<Line, std::string>> asked;  // with its zsuuid
  for (const Line& l : named) {
    std::string zsuuid = l.Zsuuid();
    if (owed(zsuuid)) asked.emplace_back(l, std::move(zsuuid));
  }
  Paying paying(s);
  if (s.payments.value("timeoutNext", false)) {
    s.payments["timeoutNext"] = false;
    for (const auto& [l, zsuuid] : asked) paying.Pay(l, zsuuid, NewNumber(s, "4"), l.Qfje());
    return Answer::Refuse("10042", "服务超时，请稍后查询扣款结果");
  }
  const Json& outcomes = Book(s, "outcomes");
  std::vector<std::string> codes;
  // Each line's outcome, number and payment in order (the numbers are drawn one after another);
  // then the codes met, and the feedback rows written in two halves at once after them.
  struct Outcome {
    const Line* line;
    std::string code, dzsphm, qfje;
  };
  std::vector<Outcome> outcome;
  outcome.reserve(asked.size());
  for (const auto& [l, zsuuid] : asked) {
    auto steered = outcomes.find(zsuuid);
    std::string code = steered == outcomes.end() ? "000" : steered->get<std::string>();
    if (code == "OMIT") continue;
    Outcome o{&l, std::move(code), {}, l.Qfje()};
    if (o.code == "000") {
      o.dzsphm = NewNumber(s, "4");
      paying.Pay(l, zsuuid, o.dzsphm, o.qfje);
    }
    if (std::find(codes.begin(), codes.end(), o.code) == codes.end()) codes.push_back(o.code);
    outcome.push_back(std::move(o));
  }
  JsonWriter w(JsonWriter::Form::kInEnvelope);
  w.Reserve(256 + outcome.size() * kArrearsRowRoom);  // a feedback row is written much as an arrears row
  w.BeginObject();
  w.Key("kkfkLb");
  w.BeginArray();
  for (const std::string& code : codes) {
    w.BeginObject();
    w.Member("kkfhdm", code);
    w.Member("kkfhmc", code == "000" ? "扣款成功" : "扣款失败：", code == "000" ? "" : code);
    w.EndObject();
  }
  w.EndArray();
  w.Key("szmxLb");
  w.BeginArray();
  WriteRowsInHalves(w, outcome.size(), kArrearsRowRoom, [&](JsonWriter& out, size_t i) {
    const Outcome& o = outcome[i];
    const Line& l = *o.line;
    const std::string& office = l.doc->office;
    const std::string jfnd = l.Jfnd();
    out.BeginObject();
    out.Member("dzsphm", o.dzsphm);
    out.Member("kkfhdm", o.code);
    out.Member("skgkDm", "GK", office);
    out.Member("skgkMc", "国库", office);
    out.Member("skssqq", jfnd, "-01-01");
    out.Member("skssqz", jfnd, "-12-31");
    out.Member("ybtse", o.qfje);
    out.Member("yzpzmxxh", std::to_string(l.n));
    out.Member("yzpzxh", l.doc->yzpzxh);
    out.Member("zspmDm", l.Text(l.doc->zspmDm));
    out.Member("zsswjgDm", office);
    out.Member("zsswjgMc", "税务所", office);
    out.Member("zsxmDm", l.Text(l.doc->zsxmDm));
    out.EndObject();
  });
  w.EndArray();
  w.EndObject();
  return Answer::JsonText(std::move(w));
}

Answer Vouchers(const Call& call, State& s) {
  const std::string djxh = call.Key("zzdjxh");
  std::vector<Document> docs = DocumentsOf(s, djxh);
  LineFinder finder(docs);
  const Json& outcomes = Book(s, "outcomes");
  Json& vouchers = Book(s, "vouchers");
  const Owing owed(s);
  JsonWriter w(JsonWriter::Form::kInEnvelope);
  size_t lines = 0;
  for (const Document& d : docs) lines += d.Count();
  w.Reserve(64 + lines * kVoucherRowRoom);  // the payer's lines at most
  w.BeginObject();
  w.Key("szxxlb");
  w.BeginArray();
  // The lines put on vouchers and the vouchers made, in order (a levy document named twice finds
  // its lines on a voucher the second time), then their rows written in two halves at once.
  struct OnVoucher {
    Line line;
    const std::string* zsuuid;  // the ledger's key, which stays in place
    size_t voucher;             // in `numbers`
  };
  std::vector<OnVoucher> put;
  std::vector<std::string> numbers;
  for (const auto& m : MemberOrEmpty(call.body, "mxlb")) {
    std::vector<Document*>* group = finder.Documents(m.value("yzpzxh", ""));
    if (!group) continue;
    std::string dzsphm;
    for (Document* d : *group)
      for (size_t i = 1; i <= d->Count(); ++i) {
        const Line l{d, i};
        std::string zsuuid = l.Zsuuid();
        if (!owed(zsuuid)) continue;
        auto steered = outcomes.find(zsuuid);
        if (steered != outcomes.end() && *steered == "NOVOUCHER") continue;
        if (dzsphm.empty()) {
          dzsphm = NewNumber(s, "3");
          vouchers[dzsphm] = {{"state", "1"}, {"swjg", d->office}, {"djxh", djxh}, {"day", Day(0)}};
          numbers.push_back(dzsphm);
        }
        const auto on = s.ledger.lineVoucher.insert_or_assign(zsuuid, dzsphm).first;
        put.push_back({l, &on->first, numbers.size() - 1});
        s.ledger.voucherLines[dzsphm].push_back(std::move(zsuuid));
      }
  }
  WriteRowsInHalves(w, put.size(), kVoucherRowRoom, [&](JsonWriter& out, size_t i) {
    const OnVoucher& v = put[i];
    const Document& d = *v.line.doc;
    out.BeginObject();
    out.Member("dzsphm", numbers[v.voucher]);
    out.Member("jkqx", d.jkqx);
    out.Member("sjje", v.line.Qfje());
    out.Member("swjgDm", d.office);
    out.Member("zsuuid", *v.zsuuid);
    out.EndObject();
  });
  w.EndArray();
  w.EndObject();
  return Answer::JsonText(std::move(w));
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
  std::vector<Document> docs = DocumentsOf(s, djxh);
  for (const Line& l : LinesOf(docs)) {
    const std::string zsuuid = l.Zsuuid();
    auto paid = s.ledger.paid.find(zsuuid);
    if (paid == s.ledger.paid.end()) continue;
    rows.push_back({{"zsuuid", zsuuid}, {"yzpzxh", l.doc->yzpzxh}, {"zspmDm", l.Text(l.doc->zspmDm)},
                    {"sjje", l.Qfje()}, {"dzsphm", paid->second}});
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
  std::set<std::string, std::less<>> asked;
  if (call.body.contains("yzpzxhList") && call.body["yzpzxhList"].is_array())
    for (const auto& y : call.body["yzpzxhList"])
      if (y.is_string()) asked.insert(y.get<std::string>());
  // Per office (in order): the owed lines of the documents asked, then the service's own lines.
  struct Entry {
    std::vector<std::pair<Line, std::string>> lines;  // with its zsuuid
    std::vector<const Json*> extra;
  };
  std::map<std::string, Entry> byOffice;
  std::vector<Document> docs = DocumentsOf(s, call.Djxh());
  const Owing owed(s);
  for (Document& d : docs) {
    if (!asked.count(d.yzpzxh)) continue;
    std::vector<std::pair<Line, std::string>>* lines = nullptr;  // the office's, from its first owed line
    for (size_t i = 1; i <= d.Count(); ++i) {
      const Line l{&d, i};
      std::string zsuuid = l.Zsuuid();
      if (!owed(zsuuid)) continue;
      if (!lines) {
        lines = &byOffice[d.office].lines;
        lines->reserve(lines->size() + d.Count() - i + 1);  // not grown by doubling
      }
      lines->emplace_back(l, std::move(zsuuid));
    }
  }
  if (s.payments.contains("sbfjnLines") && s.payments["sbfjnLines"].is_array())
    for (const Json& row : s.payments["sbfjnLines"])
      if (asked.count(row.value("yzpzxh", "")) && !s.ledger.paid.count(row.value("zsuuid", "")))
        byOffice[row.value("hsjg", "")].extra.push_back(&row);
  size_t rows = 0;
  for (const auto& [office, entry] : byOffice) rows += entry.lines.size();
  return ArrearsAnswer(rows, [&](JsonWriter& w) {
    for (const auto& [office, entry] : byOffice) {
      BeginOffice(w);
      w.BeginArray();
      WriteArrearsRows(w, entry.lines);
      for (const Json* row : entry.extra) w.Value(*row);
      w.EndArray();
      EndOffice(w, office);
    }
  });
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
