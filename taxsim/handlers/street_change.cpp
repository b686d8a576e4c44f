// Street and community changes of residents: "0070" (submit), "0071" (cancel) and "0072" (the
// record of a period: the count with sftj "Y", then pages).
//
// A payer's record is made up from its persons when first asked: one change for each of its
// first five persons, on the first days of March 2025, so a download always has several pages
// at a small page size. Submitted changes are dated now; an entry without an ID number or
// street is refused ("20101" when others passed, "10001" when none did).
#include <ctime>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

constexpr size_t kSeeded = 5;

std::string NowText() {
  return LocalTimeText("%Y-%m-%d %H:%M:%S");
}

nlohmann::json& Changes(State& s, const Payer& p) {
  nlohmann::json& book = s.residents["jdczbg"];
  if (!book.contains(p.djxh)) {
    nlohmann::json rows = nlohmann::json::array();
    auto [first, last] = s.PersonsOf(p.djxh);
    size_t n = 0;
    for (const Person* q = first; q != last && n < kSeeded; ++q, ++n) {
      rows.push_back({{"bgId", "BG" + std::to_string(s.NextNumber())},
                      {"bgSj", "2025-03-0" + std::to_string(n + 1) + " 10:00:00"},
                      {"bgState", "2"},
                      {"cxBz", "N"},
                      {"xm", q->xm},
                      {"sfzjlxDm", q->zjlxDm},
                      {"sfzjhm", q->zjhm},
                      {"jdxzDm", p.xzqhDm + "001"},
                      {"sqczDm", p.xzqhDm + "001001"},
                      {"xzlxDm", "110"},
                      {"sbjbjgDm", p.sbjbjgDm},
                      {"rybh", "RY" + q->rydjxh},
                      {"lxdh", q->lxdh},
                      {"lxdz", "模拟路" + std::to_string(n + 1) + "号"},
                      {"hjszd", "模拟区"},
                      {"hh", "H" + std::to_string(n + 1)}});
    }
    book[p.djxh] = std::move(rows);
  }
  return book[p.djxh];
}

void Result(TaxmlAnswer& doc, size_t failed, size_t total) {
  if (failed == 0) doc.Add("cljgDm", kOkCode).Add("cljgSm", "处理成功");
  else if (failed < total) doc.Add("cljgDm", "20101").Add("cljgSm", "部分处理成功");
  else doc.Add("cljgDm", "10001").Add("cljgSm", "全部处理失败");
}

Answer Submit(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  nlohmann::json& changes = Changes(s, p);
  TaxmlAnswer doc;
  pugi::xml_node failures = doc.AddList("bgsbList");
  const std::vector<pugi::xml_node> rows = DocumentRows(call, "bgryList");
  size_t failed = 0;
  for (pugi::xml_node r : rows) {
    std::string reason;
    if (!*r.child_value("sfzjhm")) reason = "证件号码不能为空";
    else if (!*r.child_value("jdxzDm")) reason = "街道乡镇不能为空";
    if (!reason.empty()) {
      pugi::xml_node f = TaxmlAnswer::AddRow(failures, "bgsbDTO");
      TaxmlAnswer::AddValue(f, "bgjlxh", r.child_value("bgjlxh"));
      TaxmlAnswer::AddValue(f, "sbyy", reason);
      ++failed;
      continue;
    }
    changes.push_back({{"bgId", "BG" + std::to_string(s.NextNumber())},
                       {"bgSj", NowText()},
                       {"bgState", "1"},
                       {"cxBz", "N"},
                       {"xm", r.child_value("xm")},
                       {"sfzjlxDm", r.child_value("sfzjlxDm")},
                       {"sfzjhm", r.child_value("sfzjhm")},
                       {"jdxzDm", r.child_value("jdxzDm")},
                       {"sqczDm", r.child_value("sqczDm")},
                       {"xzlxDm", r.child_value("xzlxDm")},
                       {"sbjbjgDm", r.child_value("sbjbjgDm")},
                       {"rybh", r.child_value("rybh")},
                       {"lxdh", r.child_value("lxdh")},
                       {"lxdz", r.child_value("lxdz")},
                       {"hjszd", r.child_value("hjszd")},
                       {"hh", r.child_value("hh")}});
  }
  if (rows.empty()) return Answer::Error("10002", "变更人员列表为空");
  Result(doc, failed, rows.size());
  return Answer::Taxml(std::move(doc));
}

Answer Cancel(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  nlohmann::json& changes = Changes(s, p);
  TaxmlAnswer doc;
  pugi::xml_node failures = doc.AddList("cxsbList");
  const std::vector<pugi::xml_node> rows = DocumentRows(call, "cxryList");
  size_t failed = 0;
  for (pugi::xml_node r : rows) {
    const std::string id = r.child_value("bgjluuid");
    std::string reason = "变更记录不存在";
    for (auto& c : changes) {
      if (c.value("bgId", "") != id) continue;
      if (c.value("cxBz", "") == "Y") {
        reason = "变更记录已撤销";
      } else {
        c["cxBz"] = "Y";
        c["bgState"] = "3";
        reason.clear();
      }
      break;
    }
    if (reason.empty()) continue;
    pugi::xml_node f = TaxmlAnswer::AddRow(failures, "cxsbDTO");
    TaxmlAnswer::AddValue(f, "bgjluuid", id);
    TaxmlAnswer::AddValue(f, "sbyy", reason);
    ++failed;
  }
  if (rows.empty()) return Answer::Error("10002", "撤销人员列表为空");
  Result(doc, failed, rows.size());
  return Answer::Taxml(std::move(doc));
}

Answer Record(const Call& call, State& s) {
  const Payer& p = RequirePayer(s, call);
  const std::string from = Param(call, "bgsjq"), to = Param(call, "bgsjz");
  std::vector<const nlohmann::json*> found;
  for (const auto& c : Changes(s, p)) {
    const std::string when = c.value("bgSj", "");
    if (when >= from && when <= to) found.push_back(&c);
  }
  TaxmlAnswer doc;
  if (Param(call, "sftj") == "Y") {
    doc.Add("totalSize", std::to_string(found.size()));
    return Answer::Taxml(std::move(doc));
  }
  int64_t page = 0, size = 0;
  try {
    page = std::stoll(Param(call, "pageNum"));
    size = std::stoll(Param(call, "pageSize"));
  } catch (const std::exception&) {
  }
  if (page < 1 || size < 1) return Answer::Error("10003", "分页参数无效");
  pugi::xml_node list = doc.AddList("bgjlList");
  for (size_t i = static_cast<size_t>((page - 1) * size); i < found.size() && i < static_cast<size_t>(page * size); ++i) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "bgjlDTO");
    for (auto it = found[i]->begin(); it != found[i]->end(); ++it)
      TaxmlAnswer::AddValue(row, it.key(), it->get<std::string>());
  }
  return Answer::Taxml(std::move(doc));
}

}  // namespace

void RegisterStreetChangeHandlers(HandlerRegistry& registry) {
  registry.Add("0070", Submit);
  registry.Add("0071", Cancel);
  registry.Add("0072", Record);
}

}  // namespace velmor::taxsim
