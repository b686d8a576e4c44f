// TRcsbMgr's exports through the plug-in's workbook engine: ExportSbmx (a declaration's details
// and declared persons, one sheet each), ExportSbrymx (the persons alone) and ExportSbrymxJyjg
// (the persons with the outcome of the server's check). Counts and amounts are numbers, ID types
// shown by name. The engine writes under a temporary name and renames, so a failed export leaves
// no partial file.
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "dictionary/dict_access.h"
#include "workbook/workbook.h"

namespace velmor {

using namespace declaration;

namespace {

// What a column holds, and so how its cells are written: counts and amounts as numbers (a
// workbook sums and sorts them), ID types by their dictionary name, the rest as text.
enum class Kind { kText, kCount, kAmount, kIdType };

struct Column {
  const char* key;
  const char* caption;
  Kind kind;
};

constexpr Column kDetailColumns[] = {{"jfnd", "缴费年度", Kind::kText},
                                     {"zsxmdm", "征收项目", Kind::kText},
                                     {"zspmdm", "征收品目", Kind::kText},
                                     {"zszmdm", "征收子目", Kind::kText},
                                     {"fkssqq", "费款所属期起", Kind::kText},
                                     {"fkssqz", "费款所属期止", Kind::kText},
                                     {"zrs", "人数", Kind::kCount},
                                     {"zje", "金额", Kind::kAmount},
                                     {"yjfjeHj", "已缴费金额合计", Kind::kAmount},
                                     {"ybtfeHJ", "应补退费额合计", Kind::kAmount}};
constexpr Column kPersonColumns[] = {
    {"mxxh", "序号", Kind::kCount},         {"xm", "姓名", Kind::kText},         {"zjlx", "证件类型", Kind::kIdType},
    {"zjhm", "证件号码", Kind::kText},      {"rybh", "社保编码", Kind::kText},   {"jfnd", "缴费年度", Kind::kText},
    {"zspmdm", "征收品目", Kind::kText},    {"jfje", "缴费金额", Kind::kAmount}, {"yjfje", "已缴费金额", Kind::kAmount},
    {"ybtfe", "应补退费额", Kind::kAmount}, {"sbyy", "原因", Kind::kText}};

constexpr Column kCheckedPersonColumns[] = {{"mxxh", "序号", Kind::kCount},      {"xm", "姓名", Kind::kText},
                                            {"zjlx", "证件类型", Kind::kIdType}, {"zjhm", "证件号码", Kind::kText},
                                            {"rybh", "社保编码", Kind::kText},   {"jfnd", "缴费年度", Kind::kText},
                                            {"zspmdm", "征收品目", Kind::kText}, {"jfje", "缴费金额", Kind::kAmount},
                                            {"jyjg", "校验结果", Kind::kText},   {"sbyy", "校验信息", Kind::kText}};

// A person failed the server's check when it was marked (jyzt 1) or given a reason.
std::string CheckResult(const Json& person) {
  return Text(person, "jyzt") == "1" || !Text(person, "sbyy").empty() ? "校验不通过" : "校验通过";
}

// The name of an ID type from the dictionary, looked up once per code; the code itself when the
// dictionary lacks it (or cannot be had), so that nothing shown is lost.
class IdTypeNames {
 public:
  const std::string& operator()(const std::string& code) {
    auto [at, added] = names_.try_emplace(code, code);
    if (added && !code.empty()) {
      try {
        if (std::string name = DictName("dict_zjlx", code); !name.empty()) at->second = std::move(name);
      } catch (const std::exception&) {
      }
    }
    return at->second;
  }

 private:
  std::map<std::string, std::string> names_;
};

// A whole number written as text ("12"); nullopt for anything else.
std::optional<double> WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 15) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stod(text);
}

template <size_t N>
void Fill(workbook::Sheet& sheet, const Column (&columns)[N], const Json& rows) {
  std::vector<std::string> captions;
  for (const Column& c : columns) captions.emplace_back(c.caption);
  sheet.SetHeader(captions);
  IdTypeNames idTypes;
  uint32_t row = 1;
  for (const Json& r : rows) {
    for (uint32_t col = 0; col < N; ++col) {
      const std::string text = Text(r, columns[col].key);
      const Kind kind = columns[col].kind;
      if (kind == Kind::kAmount && !text.empty()) {
        sheet.SetNumber(row, col, Amount(r, columns[col].key), "#,##0.00");
      } else if (auto n = WholeNumber(text); kind == Kind::kCount && n) {
        sheet.SetNumber(row, col, *n, "0");
      } else {
        sheet.SetText(row, col, kind == Kind::kIdType ? idTypes(text) : text);
      }
    }
    ++row;
  }
  for (uint32_t col = 0; col < N; ++col) sheet.SetColumnWidth(col, std::string_view(columns[col].key) == "zjhm" ? 22 : 14);
}

}  // namespace

bool TRcsbMgr::ExportSbmx(int32_t id, const std::string& path, std::string& error) {
  return Boundary("ExportSbmx", "导出申报明细异常：", true, error, ErrorMessage, [&] {
    if (path.empty()) throw Exception("导出文件名为空");
    Ref<IRcsbDAO> dao = Dao();
    Json master = Master(*dao, id);
    std::string details, persons;
    Check(*dao, dao->GetSbmxData(id, "", details));
    Check(*dao, dao->GetSbRymxData(id, persons));
    workbook::Workbook book;
    Fill(book.AddSheet("申报明细"), kDetailColumns, Json::parse(details));
    Fill(book.AddSheet("人员明细"), kPersonColumns, Json::parse(persons));
    book.Save(path);
  });
}

bool TRcsbMgr::ExportPersons(const char* op, int32_t id, const std::string& path, bool withCheck,
                             std::string& error) {
  return Boundary(op, "导出申报明细异常：", true, error, ErrorMessage, [&] {
    if (path.empty()) throw Exception("导出文件名为空");
    Ref<IRcsbDAO> dao = Dao();
    (void)Master(*dao, id);
    std::string persons;
    Check(*dao, dao->GetSbRymxData(id, persons));
    Json rows = Json::parse(persons);
    workbook::Workbook book;
    if (withCheck) {
      for (Json& r : rows) r["jyjg"] = CheckResult(r);
      Fill(book.AddSheet("申报人员校验结果"), kCheckedPersonColumns, rows);
    } else {
      Fill(book.AddSheet("申报人员明细"), kPersonColumns, rows);
    }
    book.Save(path);
  });
}

bool TRcsbMgr::ExportSbrymx(int32_t id, const std::string& path, std::string& error) {
  return ExportPersons("ExportSbrymx", id, path, false, error);
}

bool TRcsbMgr::ExportSbrymxJyjg(int32_t id, const std::string& path, std::string& error) {
  return ExportPersons("ExportSbrymxJyjg", id, path, true, error);
}

}  // namespace velmor
