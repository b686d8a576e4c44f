// The roster's workbook exports: the persons in the phone-number template layout (exportData),
// ready to edit and import again, and the insured items in the self-service declaration layout
// (exportData_zzsb). Both fill the ID-type dropdown of their template first.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "codec/text_utils.h"
#include "dictionary/dict_access.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"
#include "roster/roster_workbook.h"
#include "store/json_text.h"
#include "workbook/xls_util.h"

namespace velmor {

namespace {

constexpr const char* kListSheet = "下拉数据";
constexpr uint32_t kDropdownRows = 5000;  // rows below the captions that offer the dropdown

std::string RegionCode() { return TrimBlanks(GetSyspzxx()->GetValue(roster::kRegionCodeKey)); }

// A new workbook of one sheet with `captions`, its column `zjlxColumn` offering the ID-type names.
workbook::Workbook Template(const std::string& sheetName, const std::vector<std::string>& captions,
                            uint32_t zjlxColumn, Ref<IDictionary> zjlx, uint32_t rows) {
  workbook::Workbook book;
  workbook::Sheet& sheet = book.AddSheet(sheetName);
  sheet.SetHeader(captions);
  LogText("需要填充模板下拉");
  std::vector<std::string> names = zjlx ? SplitText(zjlx->GetNamesText(), '\n') : std::vector<std::string>{};
  std::string error;
  const workbook::CellRange target{{1, zjlxColumn}, {std::max(rows, kDropdownRows), zjlxColumn}};
  if (!workbook::TXlsUtil::addDropdown(book, sheetName, target, kListSheet, 0, names, false, 0, &error))
    throw Exception(error);
  LogText("模板下拉已经填充成功");
  return book;
}

std::string NameOf(Ref<IDictionary>& dict, const std::string& code) {
  const std::string name = dict ? dict->GetNameByCode(code) : std::string();
  return name.empty() ? code : name;
}

}  // namespace

bool TEmployeeServiceImpl::exportData(const std::string& djxh, const RyListFilter& filter, const std::string& path,
                                      int32_t& count, std::string& message) {
  count = 0;
  return Run("exportData", "导出异常：", true, message, [&] {
    if (path.empty()) throw service::OpRefusal("请指定导出文件。");
    Ref<IEmployeeDao> dao = EmployeeDao();
    int32_t zs = 0;
    const std::string text = dao->queryRyList(djxh, filter, -1, 0, zs);
    if (!dao->GetErrorMessage().empty()) throw service::OpRefusal(dao->GetErrorMessage());
    const nlohmann::ordered_json persons = nlohmann::ordered_json::parse(text);
    const roster::ImportLayout layout = roster::PhoneLayout(RegionCode());
    Ref<IDictionary> zjlx = DictZjlx();
    workbook::Workbook book =
        Template("人员信息", layout.captions, 1, zjlx, static_cast<uint32_t>(persons.size()));
    workbook::Sheet& sheet = book.FirstSheet();
    uint32_t r = 1;
    for (const auto& p : persons) {
      std::vector<std::string> cells(layout.captions.size());
      cells[0] = RowText(p, "xm");
      cells[1] = NameOf(zjlx, RowText(p, "zjlx"));
      cells[2] = RowText(p, "zjhm");
      cells[static_cast<size_t>(layout.phone)] = RowText(p, "phonenumber");
      const std::vector<std::string> groups = SplitText(RowText(p, "fullname"), '/');
      for (int i = 0; i < layout.groupCount && static_cast<size_t>(i) < groups.size(); ++i)
        cells[static_cast<size_t>(layout.groupFirst + i)] = groups[static_cast<size_t>(i)];
      cells[static_cast<size_t>(layout.remark)] = RowText(p, "bzxx");
      sheet.SetRow(r++, cells);
    }
    book.Save(path);
    count = static_cast<int32_t>(persons.size());
  });
}

bool TEmployeeServiceImpl::exportData_zzsb(const std::string& djxh, const std::string& path, int32_t& count,
                                           std::string& message) {
  count = 0;
  return Run("exportData_zzsb", "导出异常：", true, message, [&] {
    if (path.empty()) throw service::OpRefusal("请指定导出文件。");
    Ref<IEmployeeDao> dao = EmployeeDao();
    const std::string text = dao->getData_V2(djxh, CbxmFilter{}, -1, 0);
    if (!dao->GetErrorMessage().empty()) throw service::OpRefusal(dao->GetErrorMessage());
    const nlohmann::ordered_json items = nlohmann::ordered_json::parse(text);
    // The "4403" layout carries the person's phone number and group for the regional form.
    const bool regional = RegionCode() == roster::kFiveLevelRegion;
    std::vector<std::string> captions = {"*姓名",   "*证件类型", "*证件号码", "社保经办机构", "人员编号",
                                         "征收项目", "征收品目",  "征收子目",  "开始缴费月份", "停止缴费月份",
                                         "有效标志", "登记年度",  "应缴费额"};
    if (regional) captions.insert(captions.end(), {"手机号码", "分组路径"});
    Ref<IDictionary> zjlx = DictZjlx();
    workbook::Workbook book;
    try {
      book = Template("自助申报人员", captions, 1, zjlx, static_cast<uint32_t>(items.size()));
    } catch (const std::exception& e) {
      LogFailure(LogForm::kTrailing, "TEmployeeServiceImpl.exportData_zzsb._handleTemplate", e.what());
      throw;
    }
    workbook::Sheet& sheet = book.FirstSheet();
    uint32_t r = 1;
    for (const auto& i : items) {
      std::vector<std::string> cells = {RowText(i, "xm"),     NameOf(zjlx, RowText(i, "zjlx")), RowText(i, "zjhm"),
                                        RowText(i, "sbjbjgdm"), RowText(i, "rybh"),   RowText(i, "zsxmdm"),
                                        RowText(i, "zspmdm"),   RowText(i, "zszmdm"), RowText(i, "ksjfyf"),
                                        RowText(i, "tzjfyf"),   RowText(i, "yxbz"),   RowText(i, "djnd"),
                                        RowText(i, "yjfe")};
      if (regional) cells.insert(cells.end(), {RowText(i, "phonenumber"), RowText(i, "fullpath")});
      sheet.SetRow(r++, cells);
    }
    book.Save(path);
    count = static_cast<int32_t>(items.size());
  });
}

}  // namespace velmor
