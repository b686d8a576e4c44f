// The daily declaration on the simulated server: submission ("0004"), feedback by serial
// ("0005") and by business id ("0103"), void ("0054"), the declaration list ("0053", and "0299"
// for the data interface), the persons of a voucher ("0081") and its payment amounts ("0014":
// "wjkje" unpaid, "yjkje" paid, from the entry's `paid`, which a test sets through WithState).
//
// Each submission becomes an entry of State::declarations: {yblsh, tranSeq, djxh, yzpzxh, state,
// yjfe, personRows} (its persons in State::declaredPersons). How it is answered depends on the
// first person's `jhsx`, so a scenario (or a test) can steer it without faults: "QUEUE" refuses
// with "10042" and answers later under the serial (as does every submission when
// State::queueDeclarations is set); "ASYNC" accepts without a final result, completed by "0103".
// A person that breaks the server's rules fails the declaration with that person and the reason
// in `cwmxList`: a `cxjmsbbm` starting with "ERR" always, and by State::personRules a negative
// amount, a missing person number or one the roster does not hold. Otherwise it is declared at
// once with a voucher number. A voided voucher answers "30035" when voided again.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/handlers/group_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

using Json = nlohmann::json;

Json* FindDeclaration(State& state, const char* key, const std::string& value) {
  for (Json& d : state.declarations) {
    if (d.value(key, "") == value) return &d;
  }
  return nullptr;
}

namespace {

// A text's number as pugixml's as_double reads it (strtod), the usual plain decimal without it.
double Number(const char* text) {
  const char* const end = text + std::strlen(text);
  double v = 0;
  const auto [stop, ec] = std::from_chars(text, end, v);
  return ec == std::errc() && stop == end && stop != text ? v : std::strtod(text, nullptr);
}

// A member name met after `rows.count` persons were stored: an empty cell at the end of each of
// their rows (moved into place from the last row back).
void AddColumn(PersonRows& rows, const char* name) {
  const size_t width = rows.names.size();
  rows.names.emplace_back(name);
  if (rows.count == 0) return;
  rows.ends.resize(rows.count * (width + 1));
  rows.present.resize(rows.count * (width + 1));
  for (size_t r = rows.count; r-- > 0;) {
    const size_t from = r * width, to = r * (width + 1);
    rows.ends[to + width] = width == 0 ? 0 : rows.ends[from + width - 1];  // no cells: no text yet
    rows.present[to + width] = false;
    for (size_t c = width; c-- > 0;) {
      rows.ends[to + c] = rows.ends[from + c];
      rows.present[to + c] = rows.present[from + c];
    }
  }
}

}  // namespace

Json& AddDeclaration(const Call& call, State& state) {
  Json d = {{"yblsh", call.Yblsh()}, {"tranSeq", call.Key("tranSeq")}, {"djxh", call.Djxh()},
            {"yzpzxh", ""},          {"state", "pending"},             {"yjfe", 0.0},
            {"paid", 0.0},           {"personRows", state.declaredPersons.size()}};
  PersonRows rows;
  const pugi::xml_node list = call.document->Root().child("sbfJfsbbmxList");
  // One walk of the persons (2.6 million members for 200,000 of them): the member names are taken
  // in the order met, and a name first met after some persons were stored adds an empty cell to
  // each of their rows (it is mostly met in the first person). The column of a member that
  // follows the one in column `k - 1`: rows mostly repeat the order of the names met so far, so
  // the next column is tried before the names are searched; the number of names when it is none
  // of them.
  auto column = [&rows](size_t k, const char* name) {
    if (k < rows.names.size() && std::strcmp(rows.names[k].c_str(), name) == 0) return k;
    k = 0;
    while (k < rows.names.size() && std::strcmp(rows.names[k].c_str(), name) != 0) ++k;
    return k;
  };
  // The values are the document's texts, or shorter, and a cell takes at least the seven bytes of
  // "<a></a>": room enough from the document's size, taken once (only what is written is ever
  // touched; grown by doubling, the cells' ends held twice their room at the last step).
  const size_t room = call.document->text.size();
  rows.text.reserve(room);
  rows.ends.reserve(room / 7);
  rows.present.reserve(room / 7);
  std::vector<const char*> row;  // the person's value of each name; null when absent
  size_t yjfeColumn = SIZE_MAX;
  double total = 0;
  for (pugi::xml_node p : list.children("sbfJfsbbmxDTO")) {
    std::fill(row.begin(), row.end(), nullptr);
    pugi::xml_node yjfe;  // the first one, as the amount is summed
    size_t k = 0;
    for (pugi::xml_node f : p.children()) {
      k = column(k, f.name());
      if (k == rows.names.size()) {
        AddColumn(rows, f.name());
        row.push_back(nullptr);
        if (rows.names.back() == "yjfe") yjfeColumn = k;
      }
      if (k == yjfeColumn && !yjfe) yjfe = f;
      row[k] = f.text().get();  // a repeated member: the last one counts
      ++k;
    }
    for (const char* value : row) {
      if (value) rows.text.append(value);
      rows.present.push_back(value != nullptr);
      rows.ends.push_back(rows.text.size());
    }
    ++rows.count;
    total += Number(yjfe.text().get());
  }
  d["yjfe"] = total;
  state.declaredPersons.push_back(std::move(rows));
  state.declarations.push_back(std::move(d));
  return state.declarations.back();
}

std::string DeclarationMode(const State& state, const Json& entry) {
  DeclaredPersons persons(state, entry);
  return persons.empty() ? "" : std::string(persons.Text(0, "jhsx"));
}

// Why the server refuses a declared person; "" when it takes it.
std::string PersonError(const State& state, const DeclaredPersons& persons, size_t i) {
  const std::string sbbm(persons.Text(i, "cxjmsbbm"));
  if (sbbm.rfind("ERR", 0) == 0) return "证件号码校验不通过";
  if (state.personRules == State::PersonRules::kNone) return "";
  for (const char* k : {"yjfe", "yjfje", "ybtfe"}) {
    const std::string v(persons.Text(i, k));
    if (!v.empty() && std::strtod(v.c_str(), nullptr) < 0) return std::string(k) + "不能为负数";
  }
  if (sbbm.empty()) return "居民申报编码不能为空";
  if (state.personRules == State::PersonRules::kRoster) {
    for (const Enrolment& e : state.enrolments)
      if (e.rybh == sbbm) return "";
    return "未找到人员编号为" + sbbm + "的参保登记";
  }
  return "";
}

// The final answer of a declaration (it becomes declared or failed).
Answer FinalAnswer(State& state, Json& d) {
  std::vector<std::pair<std::string, std::string>> errors;  // jfmxxh, why
  {
    const DeclaredPersons persons(state, d);
    for (size_t i = 0; i < persons.size(); ++i) {
      std::string why = PersonError(state, persons, i);
      if (!why.empty()) errors.emplace_back(persons.Text(i, "jfmxxh"), std::move(why));
    }
  }
  if (!errors.empty()) {
    d["state"] = "failed";
    TaxmlAnswer doc("20001", "申报校验不通过");
    pugi::xml_node list = doc.AddList("cwmxList");
    for (const auto& [jfmxxh, why] : errors) {
      pugi::xml_node row = TaxmlAnswer::AddRow(list, "cwmxDTO");
      TaxmlAnswer::AddValue(row, "jfmxxh", jfmxxh);
      TaxmlAnswer::AddValue(row, "cwxx", why);
    }
    return Answer::Taxml(std::move(doc));
  }
  if (d.value("yzpzxh", "").empty()) d["yzpzxh"] = "1" + std::to_string(100000000 + state.NextNumber());
  d["state"] = "declared";
  TaxmlAnswer doc;
  doc.Add("yzpzxh", d["yzpzxh"].get<std::string>());
  doc.Add("ybtfe", Amount(d.value("yjfe", 0.0)));
  return Answer::Taxml(std::move(doc));
}

namespace {

Answer Submit(const Call& call, State& state) {
  if (!call.document) return Answer::Refuse("10003", "缺少申报报文");
  Json& stored = AddDeclaration(call, state);
  const std::string mode = DeclarationMode(state, stored);
  if (mode == "QUEUE" || state.queueDeclarations) return Answer::Refuse("10042", "申报已受理，请稍后获取反馈");
  if (mode == "ASYNC") return Answer::Taxml(TaxmlAnswer());
  return FinalAnswer(state, stored);
}

Answer FeedbackBySerial(const Call& call, State& state) {
  Json* d = FindDeclaration(state, "yblsh", call.Yblsh());
  Answer a = d ? FinalAnswer(state, *d) : Answer::Error("30001", "未找到该流水号的申报");
  a.envelope.status = 1;  // this call answers with status 1, found or not
  return a;
}

Answer FeedbackByBusinessId(const Call& call, State& state) {
  const std::string tranSeq = call.document ? call.document->Value("tran_seq") : "";
  Json* d = FindDeclaration(state, "tranSeq", tranSeq);
  if (!d) return Answer::Error("30001", "未找到该业务的申报");
  return FinalAnswer(state, *d);
}

Answer Void(const Call& call, State& state) {
  Json* d = FindDeclaration(state, "yzpzxh", call.Key("yzpzxh"));
  if (!d || d->value("state", "") == "failed") return Answer::Json({{"code", "30036"}, {"message", "未找到该应征凭证"}}, 2, "1");
  if (d->value("state", "") == "voided") return Answer::Json({{"code", "30035"}, {"message", "该申报已作废"}}, 2, "1");
  (*d)["state"] = "voided";
  return Answer::Json({{"code", "00000"}, {"message", "作废成功"}}, 2, "1");
}

Answer List(const Call& call, State& state) {
  if (IsGroupJfrlx(call.Key("jfrlx"))) return GroupDeclarationList(call, state);
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbqkxxList");
  for (const Json& d : state.declarations) {
    if (d.value("djxh", "") != call.Djxh() || d.value("yzpzxh", "").empty() || d.contains("jfrlx")) continue;
    const std::string st = d.value("state", "");
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbqkxxDTO");
    TaxmlAnswer::AddValue(row, "yzpzxh", d["yzpzxh"].get<std::string>());
    TaxmlAnswer::AddValue(row, "sbrq", "2026-01-15 09:30:00");
    TaxmlAnswer::AddValue(row, "yxbz", st == "voided" ? "N" : "Y");
    TaxmlAnswer::AddValue(row, "sbzt", "2");
    TaxmlAnswer::AddValue(row, "yjfehj", Amount(d.value("yjfe", 0.0)));
    pugi::xml_node details = row.append_child("sbDetailList");
    pugi::xml_node detail = TaxmlAnswer::AddRow(details, "sbDetailDTO");
    const DeclaredPersons persons(state, d);
    // The first person's codes stand for the declaration's.
    auto first = [&persons](const char* k, std::string_view fallback = "") {
      return std::string(persons.empty() ? fallback : persons.Text(0, k, fallback));
    };
    TaxmlAnswer::AddValue(detail, "jfrs", std::to_string(persons.size()));
    TaxmlAnswer::AddValue(detail, "yjfe", Amount(d.value("yjfe", 0.0)));
    TaxmlAnswer::AddValue(detail, "fkssqq", first("jfnd", "2026") + "-01-01");
    TaxmlAnswer::AddValue(detail, "fkssqz", first("jfnd", "2026") + "-12-31");
    TaxmlAnswer::AddValue(detail, "zsxmDm", first("zsxmDm"));
    TaxmlAnswer::AddValue(detail, "zspmDm", first("zspmDm"));
    TaxmlAnswer::AddValue(detail, "zszmDm", first("zszmDm"));
    TaxmlAnswer::AddValue(detail, "sbjbjgDm", first("sbjbjgDm"));
    TaxmlAnswer::AddValue(detail, "sfczmx", "Y");
    TaxmlAnswer::AddValue(detail, "sblsh", d.value("yblsh", ""));
    TaxmlAnswer::AddValue(detail, "xxh", "1");
  }
  return Answer::Taxml(std::move(doc));
}

// The persons of a declared voucher; names and documents come from the roster by `cxjmsbbm`
// (the agency's person number), empty for a person the roster does not know.
Answer Persons(const Call& call, State& state) {
  Json* d = FindDeclaration(state, "yzpzxh", call.Key("yzpzxh"));
  TaxmlAnswer doc;
  if (!d || d->value("djxh", "") != call.Djxh() || d->value("state", "") != "declared" ||
      DeclaredPersons(state, *d).empty()) {
    doc.Add("cljgcode", "30062");
    doc.Add("cljgmsg", "未查询到申报明细");
    return Answer::Taxml(std::move(doc));
  }
  doc.Add("cljgcode", "00000");
  doc.Add("cljgmsg", "成功");
  pugi::xml_node list = doc.AddList("sbfRysbMxList");
  const DeclaredPersons persons(state, *d);
  // The person of each person number: the last enrolment of that number whose person is known
  // (looked up once, not by walking every enrolment and person for each of 200,000 rows).
  std::unordered_map<std::string_view, const Person*> byRydjxh, byRybh;
  for (const Person& person : state.persons) byRydjxh[person.rydjxh] = &person;
  for (const Enrolment& e : state.enrolments) {
    if (e.rybh.empty()) continue;
    auto found = byRydjxh.find(e.rydjxh);
    if (found != byRydjxh.end()) byRybh[e.rybh] = found->second;
  }
  for (size_t i = 0; i < persons.size(); ++i) {
    auto text = [&](const char* k, std::string_view fallback = "") { return persons.Text(i, k, fallback); };
    const std::string sbbm(text("cxjmsbbm"));
    auto known = byRybh.find(sbbm);
    const Person* who = known == byRybh.end() ? nullptr : known->second;
    const std::string jfnd(text("jfnd", "2026"));
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfRysbMxDTO");
    TaxmlAnswer::AddValue(row, "xm", who ? who->xm : "");
    TaxmlAnswer::AddValue(row, "sfzjlx", who ? who->zjlxDm : "");
    TaxmlAnswer::AddValue(row, "sfzjhm", who ? who->zjhm : "");
    TaxmlAnswer::AddValue(row, "sbjbjgDm", text("sbjbjgDm"));
    TaxmlAnswer::AddValue(row, "sbbm", sbbm);
    TaxmlAnswer::AddValue(row, "fkssqq", jfnd + "-01-01");
    TaxmlAnswer::AddValue(row, "fkssqz", jfnd + "-12-31");
    for (const char* k : {"zsxmDm", "zspmDm", "zszmDm", "yjfe"}) TaxmlAnswer::AddValue(row, k, text(k));
    TaxmlAnswer::AddValue(row, "jdxz", text("xzjdDm"));
    TaxmlAnswer::AddValue(row, "sqcz", text("sqczDm"));
    for (const char* k : {"yjfje", "ybtfe"}) TaxmlAnswer::AddValue(row, k, text(k));
    TaxmlAnswer::AddValue(row, "jmfe", "0");
  }
  return Answer::Taxml(std::move(doc));
}

// The deduction result of a voucher: an empty object for a voucher the server does not know.
Answer PaymentAmounts(const Call& call, State& state) {
  Json* d = FindDeclaration(state, "yzpzxh", call.Key("yzpzxh"));
  if (!d || d->value("djxh", "") != call.Djxh()) return Answer::Json(Json::object(), 2, "null");
  const double due = d->value("yjfe", 0.0), paid = d->value("paid", 0.0);
  return Answer::Json({{"yzpzxh", call.Key("yzpzxh")}, {"wjkje", Amount(due - paid)}, {"yjkje", Amount(paid)}}, 2,
                      "null");
}

}  // namespace

void RegisterDeclaration(HandlerRegistry& registry) {
  registry.Add("0004", Submit);
  registry.Add("0005", FeedbackBySerial);
  registry.Add("0103", FeedbackByBusinessId);
  registry.Add("0054", Void);
  registry.Add("0053", List);
  registry.Add("0299", List);
  registry.Add("0081", Persons);
  registry.Add("0014", PaymentAmounts);
}

}  // namespace velmor::taxsim
