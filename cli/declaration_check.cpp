#include "cli/text_table.h"
#include "cli/declaration_check.h"

#include <cmath>
#include <cstdlib>
#include <set>

namespace velmor::cli {
namespace {

using Json = nlohmann::json;

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// An amount field: nullopt when absent; NaN when present but not a number.
std::optional<double> Amount(const Json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return std::nullopt;
  if (it->is_number()) return it->get<double>();
  if (!it->is_string() || it->get<std::string>().empty()) return std::nullopt;
  const std::string text = it->get<std::string>();
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(v) ? v : NAN;
}

long long Cents(double v) { return std::llround(v * 100); }

std::string Money(long long cents) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", cents < 0 ? "-" : "", std::llabs(cents) / 100,
                std::llabs(cents) % 100);
  return buf;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

class Checker {
 public:
  explicit Checker(const CodeLookup& codes) : codes_(codes) {}

  std::vector<std::string> Run(const Json& doc) {
    if (!doc.is_object()) return {"申报文件不是JSON对象"};
    Code("申报", doc, "swjgdm", "税务机关代码", "dict_swjg");
    for (const auto& [key, name] :
         {std::pair{"zje", "金额"}, {"yjfjeHj", "已缴费金额合计"}, {"ybtfeHJ", "应补退费额合计"}})
      NonNegative("申报", doc, key, name);
    auto details = doc.find("details");
    if (details == doc.end() || !details->is_array() || details->empty()) {
      problems_.push_back("申报没有明细（details为空）");
      return problems_;
    }
    long long zje = 0, ybtfe = 0;
    bool ybtfeGiven = true;
    std::set<std::string> people;
    int n = 0;
    for (const Json& d : *details) {
      const std::string where = "第" + std::to_string(++n) + "条明细";
      if (!d.is_object()) {
        problems_.push_back(where + "不是JSON对象");
        continue;
      }
      Detail(where, d, people);
      zje += Cents(NonNegative(where, d, "zje", "金额").value_or(0));
      const auto hj = NonNegative(where, d, "ybtfeHJ", "应补退费额合计");
      if (hj) ybtfe += Cents(*hj);
      else ybtfeGiven = false;
    }
    Total("申报", doc, "zje", "金额", zje, "各条明细金额之和");
    if (ybtfeGiven) Total("申报", doc, "ybtfeHJ", "应补退费额合计", ybtfe, "各条明细应补退费额合计之和");
    if (auto zrs = Amount(doc, "zrs"); zrs && !std::isnan(*zrs) && *zrs != static_cast<double>(people.size()))
      problems_.push_back("申报人数（zrs）" + CellText(doc, "zrs") + "与明细中的人数" + std::to_string(people.size()) +
                          "不符");
    return problems_;
  }

 private:
  void Detail(const std::string& where, const Json& d, std::set<std::string>& people) {
    for (const char* key : {"zsxmdm", "zspmdm"})
      if (Blank(CellText(d, key))) problems_.push_back(where + "：" + key + "为空");
    Code(where, d, "sbjbjgdm", "社保经办机构代码", "dict_sbjbjg");
    NonNegative(where, d, "yjfjeHj", "已缴费金额合计");
    auto persons = d.find("persons");
    if (persons == d.end() || !persons->is_array() || persons->empty()) {
      if (CellText(d, "sfyrymx") == "1") problems_.push_back(where + "没有人员明细（persons为空）");
      return;
    }
    long long sum = 0;
    std::set<std::string> inDetail;
    for (const Json& p : *persons) {
      const std::string row = "第" + std::to_string(++row_) + "行人员";
      if (!p.is_object()) {
        problems_.push_back(row + "不是JSON对象");
        continue;
      }
      const std::string xm = CellText(p, "xm");
      const std::string who = Blank(xm) ? row : row + "（" + xm + "）";
      Person(who, p);
      const std::string key = CellText(p, "zjlx") + "|" + CellText(p, "zjhm");
      if (!Blank(CellText(p, "zjhm")) && !inDetail.insert(key).second)
        problems_.push_back(who + "：证件号码" + CellText(p, "zjhm") + "在" + where + "中重复");
      people.insert(Blank(CellText(p, "zjhm")) ? row : key);
      sum += Cents(Amount(p, "ybtfe").value_or(0));
    }
    if (auto zrs = Amount(d, "zrs"); zrs && !std::isnan(*zrs) && *zrs != static_cast<double>(persons->size()))
      problems_.push_back(where + "人数（zrs）" + CellText(d, "zrs") + "与人员行数" + std::to_string(persons->size()) +
                          "不符");
    Total(where, d, "zje", "金额", sum, "人员应补退费额之和");
    Total(where, d, "ybtfeHJ", "应补退费额合计", sum, "人员应补退费额之和");
  }

  void Person(const std::string& who, const Json& p) {
    if (Blank(CellText(p, "xm"))) problems_.push_back(who + "：姓名为空");
    const std::string zjlx = CellText(p, "zjlx"), zjhm = CellText(p, "zjhm");
    if (Blank(zjlx)) {
      problems_.push_back(who + "：证件类型为空");
    } else if (codes_ && codes_("dict_zjlx", zjlx) == false) {
      problems_.push_back(who + "：证件类型[" + zjlx + "]不在证件类型字典中");
    }
    if (Blank(zjhm)) {
      problems_.push_back(who + "：证件号码为空");
    } else if (zjlx == "201") {
      if (const std::string why = IdNumberProblem(zjhm); !why.empty()) problems_.push_back(who + "：" + why);
    }
    Code(who, p, "sbjbjgdm", "社保经办机构代码", "dict_sbjbjg");
    for (const auto& [key, name] :
         {std::pair{"jfje", "缴费金额"}, {"sjyjfe", "实际应缴费额"}, {"yjfje", "已缴费金额"}, {"ybtfe", "应补退费额"}})
      NonNegative(who, p, key, name);
  }

  // A code of the row that, when given, its dictionary must know.
  void Code(const std::string& where, const Json& row, const char* key, const char* name, const char* dict) {
    const std::string code = CellText(row, key);
    if (Blank(code)) {
      if (std::string(key) == "swjgdm") problems_.push_back(where + "：" + name + "（" + key + "）为空");
      return;
    }
    if (codes_ && codes_(dict, code) == false) problems_.push_back(where + "：" + name + "[" + code + "]不在字典中");
  }

  std::optional<double> NonNegative(const std::string& where, const Json& row, const char* key, const char* name) {
    const auto v = Amount(row, key);
    if (!v) return v;
    if (std::isnan(*v)) {
      problems_.push_back(where + "：" + name + "（" + key + "）不是数字：" + CellText(row, key));
      return std::nullopt;
    }
    if (*v < 0) problems_.push_back(where + "：" + name + "（" + key + "）为负数：" + CellText(row, key));
    return v;
  }

  // A total that, when given, must equal the sum of its rows (to the cent).
  void Total(const std::string& where, const Json& row, const char* key, const char* name, long long sum,
             const char* of) {
    const auto v = Amount(row, key);
    if (!v || std::isnan(*v) || Cents(*v) == sum) return;
    problems_.push_back(where + name + "（" + key + "）" + Money(Cents(*v)) + "不等于" + of + Money(sum));
  }

  const CodeLookup& codes_;
  std::vector<std::string> problems_;
  int row_ = 0;
};

}  // namespace

std::string IdNumberProblem(const std::string& zjhm) {
  if (zjhm.size() != 18) return "居民身份证号码应为18位，实为" + std::to_string(zjhm.size()) + "位";
  for (size_t i = 0; i < 17; ++i)
    if (zjhm[i] < '0' || zjhm[i] > '9') return "居民身份证号码前17位应为数字";
  const char last = zjhm[17];
  if (!((last >= '0' && last <= '9') || last == 'X' || last == 'x')) return "居民身份证号码末位应为数字或X";
  const int year = std::atoi(zjhm.substr(6, 4).c_str()), month = std::atoi(zjhm.substr(10, 2).c_str()),
            day = std::atoi(zjhm.substr(12, 2).c_str());
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool dateOk = year >= 1900 && month >= 1 && month <= 12 && day >= 1 &&
                      day <= kDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
  if (!dateOk) return "居民身份证号码中的出生日期" + zjhm.substr(6, 8) + "无效";
  static const int kWeights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
  int sum = 0;
  for (size_t i = 0; i < 17; ++i) sum += (zjhm[i] - '0') * kWeights[i];
  const char expected = "10X98765432"[sum % 11];
  if ((last == 'x' ? 'X' : last) != expected) return std::string("居民身份证号码校验位错误（应为") + expected + "）";
  return "";
}

std::vector<std::string> CheckDeclaration(const nlohmann::json& document, const CodeLookup& codes) {
  return Checker(codes).Run(document);
}

}  // namespace velmor::cli
