// TRcsbMgr's exports through the plug-in's workbook engine: ExportSbmx (a declaration's details
// and declared persons, one sheet each), ExportSbrymx (the persons alone) and ExportSbrymxJyjg
// (the persons with the outcome of the server's check). The engine writes under a temporary name
// and renames, so a failed export leaves no partial file.
#include <string_view>
#include <vector>

#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "workbook/workbook.h"

namespace velmor {

using namespace declaration;

namespace {

struct Column {
  const char* key;
  const char* caption;
  bool amount;
};

constexpr Column kDetailColumns[] = {
    {"jfnd", "缴费年度", false},   {"zsxmdm", "征收项目", false}, {"zspmdm", "征收品目", false},
    {"zszmdm", "征收子目", false}, {"fkssqq", "费款所属期起", false}, {"fkssqz", "费款所属期止", false},
    {"zrs", "人数", false},        {"zje", "金额", true},         {"yjfjeHj", "已缴费金额合计", true},
    {"ybtfeHJ", "应补退费额合计", true}};
constexpr Column kPersonColumns[] = {
    {"mxxh", "序号", false},       {"xm", "姓名", false},         {"zjlx", "证件类型", false},
    {"zjhm", "证件号码", false},   {"rybh", "社保编码", false},   {"jfnd", "缴费年度", false},
    {"zspmdm", "征收品目", false}, {"jfje", "缴费金额", true},    {"yjfje", "已缴费金额", true},
    {"ybtfe", "应补退费额", true}, {"sbyy", "原因", false}};

constexpr Column kCheckedPersonColumns[] = {
    {"mxxh", "序号", false},       {"xm", "姓名", false},       {"zjlx", "证件类型", false},
    {"zjhm", "证件号码", false},   {"rybh", "社保编码", false}, {"jfnd", "缴费年度", false},
    {"zspmdm", "征收品目", false}, {"jfje", "缴费金额", true},  {"jyjg", "校验结果", false},
    {"sbyy", "校验信息", false}};

// A person failed the server's check when it was marked (jyzt 1) or given a reason.
std::string CheckResult(const Json& person) {
  return Text(person, "jyzt") == "1" || !Text(person, "sbyy").empty() ? "校验不通过" : "校验通过";
}

template <size_t N>
void Fill(workbook::Sheet& sheet, const Column (&columns)[N], const Json& rows) {
  std::vector<std::string> captions;
  for (const Column& c : columns) captions.emplace_back(c.caption);
  sheet.SetHeader(captions);
  uint32_t row = 1;
  for (const Json& r : rows) {
    for (uint32_t col = 0; col < N; ++col) {
      const std::string text = Text(r, columns[col].key);
      if (columns[col].amount && !text.empty()) {
        sheet.SetNumber(row, col, Amount(r, columns[col].key), "#,##0.00");
      } else {
        sheet.SetText(row, col, text);
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
