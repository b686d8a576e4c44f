// `velmor payable ...`: download, list, sum and export the payable rows of the current payer,
// and declare rows electronically and fetch the feedback of such a declaration.
#include "cli/payable_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/long_operation.h"
#include "cli/plugin_session.h"
#include "cli/text_table.h"
#include "velmor/dzsb_mgr.h"
#include "velmor/yjxx_service.h"

namespace velmor::cli {

namespace {

using Json = nlohmann::ordered_json;

Json Condition(const PayableOptions& o) {
  Json c = {{"xm", o.name}, {"zjhm", o.zjhm}, {"zjtzlsh", o.zjtzlsh}};
  if (!o.serials.empty()) c["zjtzlshList"] = o.serials;
  return c;
}

}  // namespace

CLI::App* AddPayableCommand(CLI::App& app, PayableOptions& o) {
  CLI::App* cmd = app.add_subcommand(
      "payable", "Payable information of residents' payers: download, list, sum, export, declare electronically");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.sync = cmd->add_subcommand("sync", "Download the payable rows of a year, replacing the stored ones");
  o.sync->add_option("--year", o.jfnd, "payment year");
  o.sync->add_flag("--batch", o.batch, "send the request as a one-request batch");
  o.sync->add_flag("--keep-validity", o.zjyxrq, "keep the collection validity date (zjyxrq)");
  o.list = cmd->add_subcommand("list", "Print the stored payable rows with the matched persons");
  o.list->add_option("--name", o.name, "part of the name");
  o.list->add_option("--zjhm", o.zjhm, "part of the ID number");
  o.list->add_option("--notice", o.zjtzlsh, "part of the collection notice serial");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  o.stats = cmd->add_subcommand("stats", "Print the row count, amount total and payment years");
  o.exportCmd = cmd->add_subcommand("export", "Write the stored payable rows to an XLSX workbook");
  o.exportCmd->add_option("FILE", o.file, "where to write it, ending in .xlsx")->required();
  o.exportCmd->add_flag("--validity", o.zjyxrq, "add the validity date column");
  o.declare = cmd->add_subcommand("declare", "Declare the stored rows of collection notices electronically (0031)");
  o.declare->add_option("NOTICE", o.serials, "collection notice serials (zjtzlsh)")->required();
  o.declare->add_option("--remark", o.bz, "remark sent with the declaration");
  o.feedback = cmd->add_subcommand("feedback", "Fetch the feedback of an electronic declaration (0029)");
  o.feedback->add_option("SERIAL", o.yblsh, "the serial the declaration was sent with")->required();
  for (CLI::App* sub : {o.sync, o.list, o.stats, o.exportCmd, o.declare, o.feedback}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor payable sync --year 2026\n  velmor payable list --page -1\n  velmor payable stats\n"
      "  velmor payable export payable.xlsx --validity\n  velmor payable declare ZJ2026-1 --remark 电子申报\n"
      "  velmor payable feedback 6C0D2F1A2B3C4D5E");
  return cmd;
}

int RunPayableCommand(const GlobalOptions& global, const PayableOptions& o) {
  PluginSession session(global);
  Ref<IYjxxService> service = session.Require<IYjxxService>("IYjxxService");
  std::string message;
  if (o.sync->parsed()) {
    LongOperation op("payable sync");
    int32_t count = 0;
    const Json options = {{"batch", o.batch}, {"zjyxrq_enabled", o.zjyxrq ? "Y" : "N"}};
    if (!service->downloadData(o.jfnd, options.dump(), nullptr, count, message)) session.Fail(message);
    std::printf("已保存 %s 年度应缴信息 %d 条\n", o.jfnd.c_str(), count);
  } else if (o.stats->parsed()) {
    const Json stats = Json::parse(service->getStatistics());
    if (!service->GetErrorMessage().empty()) session.Fail(service->GetErrorMessage());
    std::printf("条数 %s，合计 %s，年度 %s\n", CellText(stats, "zs").c_str(), CellText(stats, "zje").c_str(),
                service->getJfnd().c_str());
  } else if (o.exportCmd->parsed()) {
    const Json c = {{"zjyxrq_enabled", o.zjyxrq ? "Y" : "N"}};
    if (!service->exportData(c.dump(), o.file, message)) session.Fail(message);
    std::printf("应缴信息已导出：%s\n", o.file.c_str());
  } else if (o.declare->parsed()) {
    LongOperation op("payable declare");
    const std::string rows = service->getData(Condition(o).dump(), -1, 0);
    if (!service->GetErrorMessage().empty()) session.Fail(service->GetErrorMessage());
    Ref<IDzsbMgr> mgr = session.Require<IDzsbMgr>("IDzsbMgr");
    std::string yblsh;
    int32_t id = 0;
    if (!mgr->SbSend(rows, o.bz, nullptr, yblsh, id, message)) session.Fail(message);
    std::printf("申报 %d 已受理，流水号 %s；获取反馈：velmor payable feedback %s\n", id,
                yblsh.c_str(), yblsh.c_str());
  } else if (o.feedback->parsed()) {
    Ref<IDzsbMgr> mgr = session.Require<IDzsbMgr>("IDzsbMgr");
    std::string result;
    if (!mgr->GetSbFk(o.yblsh, nullptr, result, message)) session.Fail(message);
    const Json r = Json::parse(result);
    std::printf("申报 %s 申报成功，应征凭证序号 %s\n", CellText(r, "id").c_str(), CellText(r, "yzpzxh").c_str());
  } else {
    const std::string filter = Condition(o).dump();
    const int32_t total = service->getCount(filter);
    if (total < 0) session.Fail(service->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(service->getData(filter, o.page, o.size)))
      table.push_back({CellText(r, "zjtzlsh"), CellText(r, "xm"), CellText(r, "zjhm"), CellText(r, "cxjmsbbm"), CellText(r, "zspmDm"),
                       CellText(r, "fkssqq"), CellText(r, "fkssqz"), CellText(r, "yjfe"), CellText(r, "xzjddm")});
    PrintTable({"zjtzlsh", "xm", "zjhm", "cxjmsbbm", "zspmDm", "fkssqq", "fkssqz", "yjfe", "xzjddm"}, table);
    std::fprintf(stderr, "共 %d 条应缴信息\n", total);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
