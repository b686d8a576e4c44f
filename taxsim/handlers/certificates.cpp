// Payment-detail certificates on the simulated server (every answer taxML):
//  "0174" the paid lines of a djxh (a person's rydjxh, else a payer): one line per insured item,
//         the last of them already on a certificate; an unknown djxh: code "30174".
//  "0175" a certificate over the chosen lines (by yzpzxh): a line that is not the djxh's, or is on
//         a valid certificate already: code "30175"; no lines: "30176".
//  "0176" the djxh's certificates (the one numbered pzhm, when given) in sbfCyhsbfZmList.
//  "0177" voids a certificate of the djxh: unknown "30177", voided already "30178".
//  "0178" checks a certificate by number and holder: unknown "30179", holder not matching
//         "30180"; each check counts in zxcs.
// Certificates live in State::residents["zm"] by number, the lines made per djxh in "zmLines".
#include <chrono>
#include <ctime>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

namespace {

using Json = nlohmann::json;

constexpr const char* kLineKeys[] = {"yzpzxh", "dzsphm", "zsswjgDm", "sbjbjgDm", "jfrlx", "rybh", "zsxmDm",
                                     "zspmDm", "zszmDm", "fkssqq",   "fkssqz",   "rkrq",  "jfje", "tbrq"};

std::string Today() {
  return LocalTimeText("%Y-%m-%d");
}

// The holder of a djxh: {nsrsbh, nsrmc}; null for an unknown one.
Json Holder(const State& s, const std::string& djxh) {
  if (const Person* p = FindByRydjxh(s, djxh)) return {{"nsrsbh", p->zjhm}, {"nsrmc", p->xm}};
  if (const Payer* p = s.FindPayer(djxh)) return {{"nsrsbh", p->nsrsbh}, {"nsrmc", p->nsrmc}};
  return nullptr;
}

std::string NewPzhm(State& s) {
  std::string n = std::to_string(s.NextNumber());
  return "ZM" + std::string(n.size() < 10 ? 10 - n.size() : 0, '0') + n;
}

Json& Certificates(State& s) {
  Json& book = s.residents["zm"];
  if (!book.is_object()) book = Json::object();
  return book;
}

Json Certificate(State& s, const std::string& djxh, const Json& lines) {
  const Json holder = Holder(s, djxh);
  double total = 0;
  for (const Json& l : lines) total += std::stod(l.value("jfje", "0"));
  return {{"djxh", djxh}, {"pzhm", NewPzhm(s)}, {"zsswjgDm", lines.empty() ? "" : lines[0].value("zsswjgDm", "")},
          {"nsrsbh", holder.value("nsrsbh", "")}, {"nsrmc", holder.value("nsrmc", "")}, {"tpr", ""},
          {"qdId", "01"}, {"qdMc", "客户端"}, {"tbrq", Today()}, {"jfje", Amount(total)}, {"pzztDm", "0"},
          {"zxcs", 0}, {"lines", lines}};
}

// The lines of a djxh, made on first use from its insured items; null for an unknown djxh.
Json* LinesOf(State& s, const std::string& djxh) {
  Json& all = s.residents["zmLines"];
  if (!all.is_object()) all = Json::object();
  if (all.contains(djxh)) return &all[djxh];
  std::vector<const Item*> items;
  const Payer* payer = nullptr;
  if (const Person* p = FindByRydjxh(s, djxh)) {
    items = ItemsOf(s, p->rydjxh);
    payer = s.FindPayer(p->djxh);
  } else if ((payer = s.FindPayer(djxh))) {
    items = PayerItems(s, djxh);
    if (items.size() > 6) items.resize(6);
  } else {
    return nullptr;
  }
  Json lines = Json::array();
  int k = 0;
  for (const Item* i : items) {
    ++k;
    const std::string year = i->jfnd.empty() ? "2025" : i->jfnd;
    lines.push_back({{"yzpzxh", "Y" + i->rydjxh + std::to_string(k)}, {"dzsphm", "D" + i->rydjxh + std::to_string(k)},
                     {"zsswjgDm", payer ? payer->zgswjgDm : ""}, {"sbjbjgDm", i->sbjbjgDm}, {"jfrlx", "1"},
                     {"rybh", i->rybh}, {"zsxmDm", i->zsxmDm}, {"zspmDm", i->zspmDm}, {"zszmDm", i->zszmDm},
                     {"fkssqq", year + "-01-01"}, {"fkssqz", year + "-12-31"}, {"rkrq", year + "-03-15"},
                     {"jfje", Amount(i->yjfe > 0 ? i->yjfe : 100.0 * k)}, {"tbrq", year + "-03-10"}});
  }
  all[djxh] = lines;
  // The last line is on a certificate from the start.
  if (!lines.empty()) {
    Json c = Certificate(s, djxh, Json::array({lines.back()}));
    Certificates(s)[c["pzhm"].get<std::string>()] = c;
  }
  return &all[djxh];
}

// The number of the valid certificate holding a line; empty when none.
std::string PzhmOf(State& s, const std::string& yzpzxh) {
  for (auto& [pzhm, c] : Certificates(s).items()) {
    if (c.value("pzztDm", "") != "0") continue;
    for (const Json& l : c["lines"])
      if (l.value("yzpzxh", "") == yzpzxh) return pzhm;
  }
  return {};
}

void AddLine(pugi::xml_node list, const Json& l, const char* extraKey = nullptr, const std::string& extra = {}) {
  pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfCyhsbfjfmxDTO");
  for (const char* k : kLineKeys) TaxmlAnswer::AddValue(row, k, l.value(k, ""));
  if (extraKey) TaxmlAnswer::AddValue(row, extraKey, extra);
}

void AddCertificateKeys(pugi::xml_node node, const Json& c, std::initializer_list<const char*> keys) {
  for (const char* k : keys) {
    const Json& v = c[k];
    TaxmlAnswer::AddValue(node, k, v.is_string() ? v.get<std::string>() : v.dump());
  }
}

Answer PaidLines(const Call& call, State& s) {
  const std::string djxh = Param(call, "djxh");
  Json* lines = LinesOf(s, djxh);
  if (!lines) return Answer::Error("30174", "未查询到缴费人");
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbfjfqdList");
  for (const Json& l : *lines) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfjfqdDTO");
    for (const char* k : kLineKeys) TaxmlAnswer::AddValue(row, k, l.value(k, ""));
    TaxmlAnswer::AddValue(row, "pzhm", PzhmOf(s, l.value("yzpzxh", "")));
  }
  return Answer::Taxml(std::move(doc));
}

Answer Issue(const Call& call, State& s) {
  const std::string djxh = Param(call, "djxh");
  Json* lines = LinesOf(s, djxh);
  if (!lines) return Answer::Error("30174", "未查询到缴费人");
  Json chosen = Json::array();
  for (pugi::xml_node r : DocumentRows(call, "sbfCyhsbfjfmxList")) {
    const std::string yzpzxh = r.child("yzpzxh").text().get();
    const Json* found = nullptr;
    for (const Json& l : *lines)
      if (l.value("yzpzxh", "") == yzpzxh) found = &l;
    if (!found) return Answer::Error("30175", "缴费记录[" + yzpzxh + "]不存在");
    if (!PzhmOf(s, yzpzxh).empty()) return Answer::Error("30175", "缴费记录[" + yzpzxh + "]已开具证明");
    chosen.push_back(*found);
  }
  if (chosen.empty()) return Answer::Error("30176", "未选择缴费记录");
  Json c = Certificate(s, djxh, chosen);
  Certificates(s)[c["pzhm"].get<std::string>()] = c;
  TaxmlAnswer doc;
  AddCertificateKeys(doc.Root(), c, {"pzhm", "zsswjgDm", "nsrsbh", "nsrmc", "tpr", "qdId", "qdMc", "tbrq", "jfje"});
  pugi::xml_node list = doc.AddList("sbfCyhsbfjfmxList");
  for (const Json& l : chosen) AddLine(list, l);
  return Answer::Taxml(std::move(doc));
}

Answer Find(const Call& call, State& s) {
  const std::string djxh = Param(call, "djxh"), pzhm = Param(call, "pzhm");
  LinesOf(s, djxh);
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("sbfCyhsbfZmList");
  for (auto& [number, c] : Certificates(s).items()) {
    if (c.value("djxh", "") != djxh || (!pzhm.empty() && number != pzhm)) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "sbfCyhsbfZmDTO");
    AddCertificateKeys(row, c, {"pzhm", "qdId", "qdMc", "tpr", "tbrq", "nsrsbh", "nsrmc", "zsswjgDm"});
    pugi::xml_node lines = row.append_child("sbfCyhsbfjfmxList");
    for (const Json& l : c["lines"]) AddLine(lines, l);
  }
  return Answer::Taxml(std::move(doc));
}

Answer Void(const Call& call, State& s) {
  Json& book = Certificates(s);
  const std::string pzhm = Param(call, "pzhm");
  if (!book.contains(pzhm) || book[pzhm].value("djxh", "") != Param(call, "djxh"))
    return Answer::Error("30177", "证明[" + pzhm + "]不存在");
  if (book[pzhm].value("pzztDm", "") == "1") return Answer::Error("30178", "证明[" + pzhm + "]已作废");
  book[pzhm]["pzztDm"] = "1";
  return Answer::Taxml(TaxmlAnswer());
}

Answer Check(const Call& call, State& s) {
  Json& book = Certificates(s);
  const std::string pzhm = Param(call, "pzhm");
  if (!book.contains(pzhm)) return Answer::Error("30179", "证明[" + pzhm + "]不存在");
  Json& c = book[pzhm];
  if (c.value("nsrsbh", "") != Param(call, "nsrsbh") || c.value("nsrmc", "") != Param(call, "nsrmc"))
    return Answer::Error("30180", "纳税人信息与证明不符");
  c["zxcs"] = c.value("zxcs", 0) + 1;
  Json shown = c;
  shown["qdid"] = c["qdId"];
  TaxmlAnswer doc;
  AddCertificateKeys(doc.Root(), shown, {"nsrsbh", "nsrmc", "tbrq", "qdid", "qdMc", "tpr", "zxcs", "pzztDm"});
  pugi::xml_node list = doc.AddList("cymxList");
  for (const Json& l : c["lines"]) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "cymxDTO");
    for (const char* k : kLineKeys) TaxmlAnswer::AddValue(row, k, l.value(k, ""));
    TaxmlAnswer::AddValue(row, "jfzt", "0");
  }
  return Answer::Taxml(std::move(doc));
}

}  // namespace

void RegisterCertificateHandlers(HandlerRegistry& r) {
  r.Add("0174", PaidLines);
  r.Add("0175", Issue);
  r.Add("0176", Find);
  r.Add("0177", Void);
  r.Add("0178", Check);
}

}  // namespace velmor::taxsim
