// `velmor receipts ...`: the import of a receipt workbook (accepted and rejected rows with their
// messages), the register, the template and deletion.
#include "cli/receipts_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/text_table.h"
#include "velmor/jfpj_service.h"

namespace velmor::cli {

namespace {

using Json = nlohmann::json;

}  // namespace

CLI::App* AddReceiptsCommand(CLI::App& app, ReceiptsOptions& o) {
  CLI::App* cmd = app.add_subcommand("receipts", "Payment receipts: import from a workbook, list, template, delete");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.import = cmd->add_subcommand("import", "Import the receipts of an XLS or XLSX workbook made from the template");
  o.import->add_option("FILE", o.file, "the workbook")->required();
  o.list = cmd->add_subcommand("list", "Print the stored receipts");
  AddOutputOptions(o.list);
  o.list->add_option("--name", o.name, "part of the name");
  o.list->add_option("--zjhm", o.zjhm, "part of the ID number");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  o.templ = cmd->add_subcommand("template", "Write the import template (XLSX)");
  o.templ->add_option("FILE", o.file, "where to write it, ending in .xlsx")->required();
  o.remove = cmd->add_subcommand("delete", "Delete receipts by their id");
  o.remove->add_option("ID", o.ids, "receipt ids")->required();
  for (CLI::App* sub : {o.import, o.list, o.templ, o.remove}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor receipts template receipts.xlsx\n  velmor receipts import receipts.xlsx\n"
      "  velmor receipts list --name 张 --page -1\n  velmor receipts delete 3 4");
  return cmd;
}

int RunReceiptsCommand(const GlobalOptions& global, const ReceiptsOptions& o) {
  PluginSession session(global);
  Ref<IJfpjService> service = session.Require<IJfpjService>("IJfpjService");
  std::string message;
  if (o.import->parsed()) {
    std::string valid, rejected;
    const int32_t before = service->GetCount("");
    if (!service->ImportXls(o.file, valid, rejected, message)) session.Fail(message);
    const Json good = Json::parse(valid), bad = Json::parse(rejected);
    for (const Json& r : good)
      std::printf("导入 %s %s %s %s\n", CellText(r, "xm").c_str(), CellText(r, "zjhm").c_str(), CellText(r, "je").c_str(),
                  CellText(r, "jfrq").c_str());
    for (const Json& r : bad)
      std::printf("第%s行未导入（%s %s）：%s\n", CellText(r, "row").c_str(), CellText(r, "col_0").c_str(),
                  CellText(r, "col_2").c_str(), CellText(r, "errormsg").c_str());
    const int32_t after = service->GetCount("");
    std::printf("导入成功 %zu 条（新增 %d 条），失败 %zu 条\n", good.size(), after - before, bad.size());
  } else if (o.templ->parsed()) {
    if (!service->DealXlsTemplate(o.file, message)) session.Fail(message);
    std::printf("模板已写入：%s\n", o.file.c_str());
  } else if (o.remove->parsed()) {
    if (!service->DeleteData(Json(o.ids).dump(), message)) session.Fail(message);
    std::printf("已删除 %zu 条缴费凭证\n", o.ids.size());
  } else {
    const std::string filter = Json{{"xm", o.name}, {"zjhm", o.zjhm}}.dump();
    const int32_t total = service->GetCount(filter);
    if (total < 0) session.Fail(service->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(service->GetData(filter, o.page, o.size)))
      table.push_back({CellText(r, "id"), CellText(r, "xm"), CellText(r, "zjhm"), CellText(r, "zsxmmc"), CellText(r, "fkssqq"),
                       CellText(r, "fkssqz"), CellText(r, "jfje"), CellText(r, "jfrq"), CellText(r, "drrq"), CellText(r, "rydjxh")});
    PrintTable({{"id", "ID"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"zsxmmc", "征收项目名称"},
                {"fkssqq", "费款所属期起"},
                {"fkssqz", "费款所属期止"},
                {"jfje", "缴费金额"},
                {"jfrq", "缴费日期"},
                {"drrq", "导入日期"},
                {"rydjxh", "人员登记序号"}},
               table);
    std::fprintf(stderr, "共 %d 条缴费凭证\n", total);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
