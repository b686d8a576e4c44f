#include "cli/roster_declaration.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace velmor::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Text(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  return it != row.end() && it->is_string() ? it->get<std::string>() : "";
}

double Amount(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end()) return 0;
  if (it->is_number()) return it->get<double>();
  if (!it->is_string()) return 0;
  const std::string text = it->get<std::string>();
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  return text.empty() || *end != '\0' || !std::isfinite(v) ? 0 : v;
}

// Two decimals, as amounts are declared.
double Cents(double v) { return std::round(v * 100) / 100; }

bool Valid(const nlohmann::json& row, const char* key) {
  const std::string v = Text(row, key);
  return v == "Y" || v == "y";
}

}  // namespace

std::map<std::string, double> AssessedAmounts(const nlohmann::json& rows) {
  std::map<std::string, double> out;
  if (!rows.is_array()) return out;
  for (const auto& row : rows) {
    if (!row.is_object() || Text(row, "xzid").empty()) continue;
    const double v = Amount(row, "ybtfe");
    if (v > 0) out[Text(row, "xzid")] = v;
  }
  return out;
}

RosterDeclaration DeclarationFromRoster(const nlohmann::json& rows, const std::map<std::string, double>& amounts,
                                        const std::string& swjgdm, int jfnd) {
  if (!rows.is_array()) throw std::invalid_argument("花名册数据不是列表");
  const std::string year = std::to_string(jfnd);
  using Key = std::tuple<std::string, std::string, std::string, std::string>;
  std::map<Key, size_t> detailOf;  // detail rows in the order first seen
  Json details = Json::array();
  RosterDeclaration out;
  std::set<std::string> people;
  for (const auto& row : rows) {
    if (!row.is_object()) throw std::invalid_argument("花名册数据的行不是对象");
    if (!Valid(row, "xmyxbz") || (row.contains("cbjgyxbz") && !Valid(row, "cbjgyxbz"))) continue;
    auto assessed = amounts.find(Text(row, "xzid"));
    const double yjfe = Cents(assessed != amounts.end() ? assessed->second : Amount(row, "yjfe"));
    if (!(yjfe > 0)) continue;
    Key key{Text(row, "sbjbjgdm"), Text(row, "zsxmdm"), Text(row, "zspmdm"), Text(row, "zszmdm")};
    auto [at, added] = detailOf.try_emplace(key, details.size());
    if (added) {
      details.push_back({{"jfnd", year},
                         {"zsxmdm", std::get<1>(key)},
                         {"zspmdm", std::get<2>(key)},
                         {"zszmdm", std::get<3>(key)},
                         {"sjly", "00"},
                         {"dwbh", ""},
                         {"sbjbjgdm", std::get<0>(key)},
                         {"sfyrymx", 1},
                         {"fkssqq", year + "-01-01"},
                         {"fkssqz", year + "-12-31"},
                         {"zrs", 0},
                         {"zje", 0.0},
                         {"persons", Json::array()}});
    }
    Json& detail = details[at->second];
    Json& persons = detail["persons"];
    persons.push_back({{"mxxh", std::to_string(persons.size() + 1)},
                       {"xm", Text(row, "xm")},
                       {"zjlx", Text(row, "zjlx")},
                       {"zjhm", Text(row, "zjhm")},
                       {"rybh", Text(row, "rybh")},
                       {"sbjbjgdm", std::get<0>(key)},
                       {"xz_xzjddm", Text(row, "xzjddm")},
                       {"xz_sqhczdm", Text(row, "sqhczdm")},
                       {"jfnd", year},
                       {"zsxmdm", std::get<1>(key)},
                       {"zspmdm", std::get<2>(key)},
                       {"zszmdm", std::get<3>(key)},
                       {"pmlx", Text(row, "pmlx")},
                       {"jfje", yjfe},
                       {"sjyjfe", yjfe},
                       {"yjfje", yjfe},
                       {"ybtfe", yjfe}});
    detail["zrs"] = detail["zrs"].get<int>() + 1;
    detail["zje"] = Cents(detail["zje"].get<double>() + yjfe);
    out.persons += 1;
    const std::string who = Text(row, "rydjxh");
    people.insert(who.empty() ? Text(row, "zjlx") + "|" + Text(row, "zjhm") : who);
    out.amount = Cents(out.amount + yjfe);
  }
  if (out.persons == 0) throw std::invalid_argument("花名册中没有应申报的参保项目");
  for (Json& d : details) d["yjfjeHj"] = d["ybtfeHJ"] = d["zje"];
  out.document = {{"swjgdm", swjgdm},       {"sblx", "00"},         {"bz", year + "年度花名册申报"},
                  {"zrs", people.size()},     {"zje", out.amount},    {"yjfjeHj", out.amount},
                  {"ybtfeHJ", out.amount},  {"details", std::move(details)}};
  return out;
}

}  // namespace velmor::cli
