// TYjxxServiceImpl::exportData: the payer's payable rows of a condition in one sheet of an XLSX
// workbook. The fee period shows when the payer's system parameter "ENABLE_DSSBFSB_SHOW_FKSSQ" is
// "Y", the validity date when the condition's "zjyxrq_enabled" is "Y". The engine writes under a
// temporary name and renames, so a failed export leaves no partial file.
#include <vector>

#include <nlohmann/json.hpp>

#include "codec/json_parse.h"
#include "declaration/dao_support.h"
#include "declaration/yjxx_service.h"
#include "framework/host_access.h"
#include "service/taxml_json.h"
#include "velmor/sys_param.h"
#include "velmor/yjxx_dao.h"
#include "workbook/workbook.h"

namespace velmor {

using namespace declaration;

namespace {
struct Column {
  const char* key;
  const char* caption;
};

std::string Param(const std::string& key) {
  Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  params->SetDjxh(CurrentDjxh());
  return params->GetValueDef(key, "");
}
}  // namespace

bool TYjxxServiceImpl::exportData(const std::string& qc, const std::string& path, std::string& message) {
  return Op("exportData", true, message, [&] {
    if (path.empty()) throw service::OpRefusal("导出文件名为空");
    Json c = qc.empty() ? Json::object() : ParseOutsideJson<Json>(qc);
    if (!c.is_object()) throw service::OpRefusal("查询条件不是JSON对象。");
    const bool validity = Text(c, "zjyxrq_enabled") == "Y";
    c.erase("zjyxrq_enabled");
    c["djxh"] = CurrentDjxh();
    Ref<IYjxxDao> dao = CreatePluginService<IYjxxDao>("创建平台组件接口[IYjxxDao]失败！");
    std::string text;
    if (!dao->getData(c.dump(), -1, 0, text)) throw service::OpRefusal(dao->GetErrorMessage());
    const Json rows = Json::parse(text);

    std::vector<Column> columns = {{"zjtzlsh", "征集通知流水号"}, {"xm", "姓名"},         {"zjlx", "证件类型"},
                                   {"zjhm", "证件号码"},         {"cxjmsbbm", "社保编码"}, {"sbjbjgDm", "社保经办机构"},
                                   {"zsxmDm", "征收项目"},       {"zspmDm", "征收品目"},   {"zszmDm", "征收子目"}};
    if (Param("ENABLE_DSSBFSB_SHOW_FKSSQ") == "Y") {
      columns.push_back({"fkssqq", "费款所属期起"});
      columns.push_back({"fkssqz", "费款所属期止"});
    }
    if (validity) columns.push_back({"zjyxrq", "征集有效日期"});
    columns.push_back({"yjfe", "应缴费额"});
    columns.push_back({"bz", "备注"});

    workbook::Workbook book;
    workbook::Sheet& sheet = book.AddSheet("应缴信息");
    std::vector<std::string> captions;
    for (const Column& col : columns) captions.emplace_back(col.caption);
    sheet.SetHeader(captions);
    uint32_t row = 1;
    for (const Json& r : rows) {
      for (uint32_t col = 0; col < columns.size(); ++col) {
        if (std::string_view(columns[col].key) == "yjfe") {
          sheet.SetNumber(row, col, Amount(r, "yjfe"), "#,##0.00");
        } else {
          sheet.SetText(row, col, Text(r, columns[col].key));
        }
      }
      ++row;
    }
    book.Save(path);
  });
}

}  // namespace velmor
