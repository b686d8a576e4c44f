// Payable information of residents' payers: "0027" (the collected amounts of a payer and year,
// a gzip-compressed UTF-8 answer) and "0238" (the residents' collected information, answered as
// an asynchronous job).
//
// "0027" makes one row per insured item of the payer's persons (dated in the asked year), three rows
// to a collection notice (zjtzlsh); every other row carries a validity date (zjyxrq) and a
// township (xzjddm), the others leave them empty; one more row names a person the roster lacks.
#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

Answer Payable(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  std::string jfnd = Param(call, "jfnd");
  if (jfnd.empty()) jfnd = "2026";
  TaxmlAnswer doc;
  // A row per item (200,000 at 100,000 persons): kept as text, not as a DOM of millions of nodes.
  TextRows& list = doc.AddTextList("sbfWsbZjxxDetailList", "sbfWsbZjxxDetailDTO");
  const std::vector<const Item*> items = PayerItems(s, p.djxh);
  list.Reserve((items.size() + 1) * 768);  // a row takes some 650 bytes
  // What every row repeats, written once: the area, the periods and dates of the year asked, and
  // the validity, township and community that every other row carries.
  const std::string area = TextRows::Element("tcqBm", p.xzqhDm) + TextRows::Element("fkssqq", jfnd + "-01-01") +
                           TextRows::Element("fkssqz", jfnd + "-12-31");
  const std::string sjscrq = TextRows::Element("sjscrq", jfnd + "-01-05");
  const std::string evenTail = TextRows::Element("zjyxrq", jfnd + "-06-30") +
                               TextRows::Element("xzjddm", p.xzqhDm + "001") +
                               TextRows::Element("sqczdm", p.xzqhDm + "001001") + TextRows::Element("bz", "");
  const std::string oddTail = TextRows::Element("zjyxrq", "") + TextRows::Element("xzjddm", "") +
                              TextRows::Element("sqczdm", "") + TextRows::Element("bz", "");
  const std::string sjly = TextRows::Element("sjly", "03");
  const std::string hdPrefix = "HD" + p.djxh.substr(p.djxh.size() > 4 ? p.djxh.size() - 4 : 0);
  const std::string zjPrefix = "ZJ" + jfnd + "-";
  // The n-th row (from 0) into `rows`; `number` is the writer's scratch.
  auto row = [&](TextRows& rows, std::string& number, size_t n, const std::string& sbjbjgDm,
                 const std::string& cxjmsbbm, const std::string& zsxmDm, const std::string& zspmDm,
                 const std::string& zszmDm, double yjfe) {
    rows.Row();
    const std::string next = std::to_string(n + 1);
    rows.Value("cxjmhdid", number.assign(hdPrefix).append(next));
    rows.Fixed(sjly);
    rows.Value("jhsx", std::to_string(n % 3 + 1));
    rows.Value("zjtzlsh", number.assign(zjPrefix).append(std::to_string(n / 3 + 1)));
    rows.Value("sblsh", number.assign("SB").append(next));
    rows.Value("xxh", next);
    rows.Value("sbjbjgDm", sbjbjgDm);
    rows.Value("cxjmsbbm", cxjmsbbm);
    rows.Fixed(area);
    rows.Value("zsxmDm", zsxmDm);
    rows.Value("zspmDm", zspmDm);
    rows.Value("zszmDm", zszmDm);
    rows.Fixed(sjscrq);
    rows.Value("yjfe", Amount(yjfe));
    rows.Fixed(n % 2 == 0 ? evenTail : oddTail);
  };
  // Every item of the payer's persons, for whatever year is asked: the year sets the periods.
  // A long list in two halves at once, the second into a part appended after the first.
  TextRows second = list.Part();
  InHalves(items.size(), [&](size_t from, size_t to, int half) {
    TextRows& rows = half == 0 ? list : second;
    if (half == 1) rows.Reserve((to - from) * 768);
    std::string number;
    for (size_t n = from; n < to; ++n) {
      const Item& item = *items[n];
      row(rows, number, n, item.sbjbjgDm, item.rybh, item.zsxmDm, item.zspmDm, item.zszmDm,
          item.yjfe > 0 ? item.yjfe : 380);
    }
  });
  list.Append(std::move(second));
  std::string number;
  row(list, number, items.size(), p.sbjbjgDm, "WZ" + p.djxh, "10210", "102100100", "", 250);
  return Answer::Taxml(std::move(doc), AnswerEncoding{.gbk = false, .gzip = true});
}

// "0238": for each agency of "sbjbjgDmList", the payer's items with that agency, as
// {"cxjmzjxxList": [{sbjbjgDm, zsxmDm, zspmDm, zszmDm, cxjmsbbm, yjfe}]}.
Answer Cxjmzjxx(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  const nlohmann::ordered_json agencies = call.body.value("sbjbjgDmList", nlohmann::ordered_json::array());
  Result result{{"cxjmzjxxList", nlohmann::ordered_json::array()}};
  for (const Item* item : PayerItems(s, p.djxh)) {
    bool wanted = agencies.empty();
    for (const auto& a : agencies) wanted = wanted || (a.is_string() && a.get<std::string>() == item->sbjbjgDm);
    if (!wanted) continue;
    result["cxjmzjxxList"].push_back({{"sbjbjgDm", item->sbjbjgDm}, {"zsxmDm", item->zsxmDm},
                                      {"zspmDm", item->zspmDm}, {"zszmDm", item->zszmDm},
                                      {"cxjmsbbm", item->rybh}, {"yjfe", Amount(item->yjfe)}});
  }
  return ResultAnswer(call, result);
}

}  // namespace

void RegisterPayableHandlers(HandlerRegistry& registry) {
  registry.Add("0027", Payable);
  registry.Add("0238", Cxjmzjxx);
}

}  // namespace velmor::taxsim
