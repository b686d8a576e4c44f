#include "fees/jfbz_rule.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "business/date_time.h"

namespace velmor::fees {

using Json = nlohmann::ordered_json;

bool IsCatchAll(std::string_view code) {
  if (code.empty()) return true;
  if (code.size() != 4) return false;
  std::string lower;
  for (char c : code) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "null";
}

bool IsOptionAll(std::string_view value) { return value == kOptionAll; }

namespace {

SqlFragment CatchAll(const char* column) {
  return SqlFragment::Trusted(FormatSql("(%s isnull or lower(%s) = 'null' or %s='')",
                                        {SqlFragment::Trusted(column), SqlFragment::Trusted(column),
                                         SqlFragment::Trusted(column)}));
}

SqlFragment BothSexes() { return " (xb isnull or xb='' or lower(xb)='null' or xb<>'1' and xb<>'2')"; }

std::string Text(const Json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return {};
  return it->is_string() ? it->get<std::string>() : it->dump();
}

}  // namespace

SqlFragment CodeCondition(const char* column, const std::string& value) {
  if (IsOptionAll(value)) return {};
  if (IsCatchAll(value)) return SqlFragment::Trusted(" and " + CatchAll(column).str());
  return SqlFragment::Trusted(FormatSql(" and (%s = '%s' or %s)",
                                        {SqlFragment::Trusted(column), V(value), CatchAll(column)}));
}

SqlFragment SexCondition(const std::string& xb) {
  if (IsOptionAll(xb)) return {};
  if (xb == "1" || xb == "2") return SqlFragment::Trusted(FormatSql(" and (xb = '%s' or%s)", {V(xb), BothSexes()}));
  return SqlFragment::Trusted(" and" + BothSexes().str());
}

SqlFragment PersonCondition(const JfbzKey& key) {
  if (key.pmlx != "01") return SqlFragment(" and nldq<0 and nldz<0") + SexCondition("");
  SqlFragment out;
  if (!IsCatchAll(key.csrq) && !IsOptionAll(key.csrq)) {
    const int age = AgeOn(key.csrq, key.rq);
    out += SqlFragment::Trusted(FormatSql(" and nldq <= %d and (nldz >= %d or nldz < 0)", {age, age}));
  }
  return out + SexCondition(key.xb);
}

std::optional<std::string> NormalDate(std::string_view text) {
  std::string digits;
  for (char c : text.substr(0, std::min<size_t>(text.size(), 10)))
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    else if (c != '-' && c != '/') return std::nullopt;
  if (digits.size() != 8) return std::nullopt;
  const int y = std::atoi(digits.substr(0, 4).c_str()), m = std::atoi(digits.substr(4, 2).c_str()),
            d = std::atoi(digits.substr(6, 2).c_str());
  TDateTime probe{};
  if (!TryEncodeDate(y, m, d, probe)) return std::nullopt;
  return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

int AgeOn(const std::string& csrq, const std::string& rq) {
  std::optional<std::string> birth = NormalDate(csrq), ref = NormalDate(rq);
  if (!birth) throw std::invalid_argument("出生日期[" + csrq + "]格式错误");
  if (!ref) throw std::invalid_argument("日期[" + rq + "]格式错误");
  // Completed years on 1 January: only a birthday on 1 January itself counts in that year.
  const int years = std::atoi(ref->substr(0, 4).c_str()) - std::atoi(birth->substr(0, 4).c_str());
  const bool bornOnNewYear = birth->substr(5) == "01-01";
  return std::max(0, bornOnNewYear ? years : years - 1);
}

int Specificity(const Json& row, bool bySex) {
  int score = 0;
  if (!IsCatchAll(Text(row, "sbjbjgdm"))) score += 4;
  if (!IsCatchAll(Text(row, "zszmdm"))) score += 2;
  if (bySex && row.contains("xb")) {
    const std::string xb = Text(row, "xb");
    if (xb == "1" || xb == "2") score += 1;
  }
  return score;
}

Json MostSpecificFirst(Json rows, bool bySex) {
  std::vector<Json> list(rows.begin(), rows.end());
  std::stable_sort(list.begin(), list.end(),
                   [&](const Json& a, const Json& b) { return Specificity(a, bySex) > Specificity(b, bySex); });
  return Json(list);
}

Json MostSpecificGroup(const Json& rows, bool bySex) {
  int best = -1;
  for (const Json& r : rows) best = std::max(best, Specificity(r, bySex));
  Json out = Json::array();
  for (const Json& r : rows)
    if (Specificity(r, bySex) == best) out.push_back(r);
  return out;
}

std::optional<long long> Cents(const Json& value) {
  double v = 0;
  if (value.is_number()) {
    v = value.get<double>();
  } else if (value.is_string()) {
    const std::string s = value.get<std::string>();
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    if (!end || *end != '\0') return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(v)) return std::nullopt;
  return std::llround(v * 100.0);
}

std::string AmountText(const Json& value) {
  std::optional<long long> cents = Cents(value);
  if (!cents) return value.is_string() ? value.get<std::string>() : value.is_null() ? "" : value.dump();
  const long long whole = *cents / 100, part = std::llabs(*cents % 100);
  std::string out = (*cents < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + ".";
  return out + (part < 10 ? "0" : "") + std::to_string(part);
}

}  // namespace velmor::fees
