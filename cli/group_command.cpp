#include "cli/group_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/declare_command.h"
#include "cli/long_operation.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/bzdj.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Value(const Json& row, const char* key) {
  auto it = row.find(key);
  return it == row.end() || !it->is_string() ? "" : it->get<std::string>();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw host::HostError("cannot read " + path);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void Check(IBzDjIntf& svc, bool ok) {
  if (!ok) throw host::HostError(svc.GetErrorMessage());
}

void PrintRecords(IBzDjIntf& svc, const BzDjFilter& qc) {
  std::vector<std::vector<std::string>> table;
  const std::string rows = svc.getJlData(qc);
  Check(svc, svc.GetErrorMessage().empty());
  for (const Json& r : Json::parse(rows))
    table.push_back({Value(r, "id"), Value(r, "sbrq"), Value(r, "sbzt") + " " + DeclarationStateName(Value(r, "sbzt")),
                     Value(r, "jkzt"), Value(r, "yzpzxh"), Value(r, "jfrshj"), Money(Value(r, "jfjehj")),
                     Value(r, "sbyy")});
  PrintTable({{"id", "ID"},
              {"sbrq", "申报日期"},
              {"sbzt", "申报状态"},
              {"jkzt", "缴款状态"},
              {"yzpzxh", "应征凭证序号"},
              {"zrs", "人数"},
              {"zje", "金额"},
              {"sbyy", "原因"}},
             table);
}

}  // namespace

CLI::App* AddGroupCommand(CLI::App& app, GroupOptions& o) {
  CLI::App* cmd = app.add_subcommand("group", "Declare residents' fees as a collective or government payer");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  cmd->add_flag("--government", o.government, "the government account (payer type 9); default the collective (8)");
  cmd->add_option("--djxh", o.djxh, "the payer (default: the configured one)");
  o.sync = cmd->add_subcommand("sync", "Download the payer's registration (units and insured lines)");
  o.lines = cmd->add_subcommand("lines", "List the prepared lines");
  AddOutputOptions(o.lines);
  o.lines->add_option("--year", o.year, "only this payment year");
  o.lines->add_option("--page", o.page, "page number from 1 (default: all rows)");
  o.lines->add_option("--size", o.size, "rows per page (default 20)");
  o.add = cmd->add_subcommand("add", "Add prepared lines from a JSON file (an array of lines)");
  o.add->add_option("FILE", o.file, "JSON array of {jfnd, sbjbjgdm, dwbh, rybh, xzlxdm, xm, zjlx, zjhm, yjfe}")
      ->required();
  o.import = cmd->add_subcommand("import", "Import prepared lines from a workbook (see velmor group template)");
  o.import->add_option("FILE", o.file, "workbook (.xlsx or .xls)")->required();
  o.templ = cmd->add_subcommand("template", "Write the import workbook's template");
  o.templ->add_option("FILE", o.file, "workbook to write (.xlsx)")->required();
  o.declare = cmd->add_subcommand("declare", "Declare the prepared lines of one office, agency and year");
  o.declare->add_option("--office", o.office, "tax office (zgswjgDm)")->required();
  o.declare->add_option("--agency", o.agency, "social-insurance agency (sbjbjgDm)")->required();
  o.declare->add_option("--year", o.year, "payment year")->required();
  o.verdict = cmd->add_subcommand("verdict", "Fetch the server's verdict of a declaration");
  o.verdict->add_option("ID", o.id, "record id")->required();
  o.records = cmd->add_subcommand("records", "List the declarations, newest first (--sync: download the list first)");
  AddOutputOptions(o.records);
  o.records->add_flag("--sync", o.syncFirst, "download the server's declaration list first");
  o.records->add_option("--from", o.from, "first declaration day of the download, yyyy-mm-dd");
  o.records->add_option("--to", o.to, "last declaration day of the download, yyyy-mm-dd");
  o.records->add_option("--page", o.page, "page number from 1 (default: all rows)");
  o.records->add_option("--size", o.size, "rows per page (default 20)");
  o.voidCmd = cmd->add_subcommand("void", "Void a declared declaration");
  o.voidCmd->add_option("ID", o.id, "record id")->required();
  o.paid = cmd->add_subcommand("paid", "Ask the server how much of a voucher is paid");
  o.paid->add_option("YZPZXH", o.yzpzxh, "voucher (yzpzxh)")->required();
  for (CLI::App* sub : {o.sync, o.lines, o.add, o.import, o.templ, o.declare, o.verdict, o.records, o.voidCmd, o.paid})
    sub->fallthrough();
  cmd->footer("Examples:\n  velmor group sync\n  velmor group template lines.xlsx\n  velmor group import lines.xlsx\n"
              "  velmor group lines --year 2024\n"
              "  velmor group declare --office 11101000001 --agency 11101000001 --year 2024\n"
              "  velmor group verdict 1\n  velmor group records --sync --from 2026-01-01 --to 2026-12-31\n  velmor group void 1\n"
              "  velmor group paid 8100000001\n  velmor group --government paid 8100000001\n  velmor group add examples/group-lines.json");
  return cmd;
}

int RunGroupCommand(const GlobalOptions& global, const GroupOptions& o) {
  const std::string lines = o.add->parsed() ? ReadText(o.file) : "";
  PluginSession session(global);
  Ref<IBzDjIntf> svc = o.government ? Ref<IBzDjIntf>(session.Require<IZfdjhIntf>("IZfdjhIntf").get())
                                    : Ref<IBzDjIntf>(session.Require<IJtbzhIntf>("IJtbzhIntf").get());
  svc->SetDjxh(o.djxh);
  BzDjFilter qc;
  qc.page = o.page;
  qc.pageSize = o.size;
  if (o.sync->parsed()) {
    LongOperation op("group sync");
    const bool ok = svc->synCxjmjtbzhjfdjxxCx(op.Start("下载登记信息"));
    op.Finished(ok);
    Check(*svc, ok);
    std::printf("已下载登记信息：%d 条参保险种\n", svc->getCbxzCount({}));
  } else if (o.lines->parsed()) {
    qc.jfnd = o.year;
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(svc->getData(qc)))
      table.push_back({Value(r, "jfnd"), Value(r, "sbjbjgdm"), Value(r, "rybh"), Value(r, "xm"), Value(r, "zjhm"),
                       Money(Value(r, "yjfe"))});
    Check(*svc, svc->GetErrorMessage().empty());
    PrintTable({{"jfnd", "缴费年度"},
                {"sbjbjgdm", "社保经办机构"},
                {"rybh", "人员编号"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"yjfe", "应缴费额"}},
               table);
    double sum = 0;
    Check(*svc, svc->getYjfehj(qc, sum));
    std::fprintf(stderr, "合计 %d 条，%s 元\n", svc->getCount(qc), Money(sum).c_str());
  } else if (o.add->parsed()) {
    int32_t added = 0;
    Check(*svc, svc->addDatas(lines, nullptr, added));
    std::printf("已添加 %d 条\n", added);
  } else if (o.import->parsed()) {
    TBzDjImportResult result;
    Check(*svc, svc->importData(o.file, nullptr, result));
    std::printf("导入成功 %d 条，失败 %d 条\n", result.accepted, result.rejected);
    if (!result.failureFile.empty()) std::printf("失败的行及原因已写入：%s\n", result.failureFile.c_str());
  } else if (o.templ->parsed()) {
    Check(*svc, svc->handTemplate(o.file));
    std::printf("模板已写入：%s\n", o.file.c_str());
  } else if (o.declare->parsed()) {
    int32_t id = 0;
    LongOperation op("group declare");
    const bool ok = svc->synCxjmjtbzsb(Json{{"zgswjgDm", o.office}, {"sbjbjgDm", o.agency}, {"jfnd", o.year}}.dump(),
                                       op.Start("发送申报"), id);
    op.Finished(ok);
    Check(*svc, ok);
    std::printf("申报已受理：ID %d（用 velmor group verdict %d 获取结果）\n", id, id);
  } else if (o.verdict->parsed()) {
    std::string sbzt;
    Check(*svc, svc->synCxjmjtbzsbjgCx(o.id, nullptr, sbzt));
    std::printf("申报 %d：状态 %s %s\n", o.id, sbzt.c_str(), DeclarationStateName(sbzt));
    if (sbzt == "3") {
      std::fflush(stdout);
      throw host::HostError("服务器未通过申报 " + std::to_string(o.id) + "，原因见 velmor group records");
    }
  } else if (o.records->parsed()) {
    if (o.syncFirst) {
      LongOperation op("group records");
      const bool ok = svc->synSbqdCx(o.from, o.to, op.Start("下载申报清单"));
      op.Finished(ok);
      Check(*svc, ok);
    }
    PrintRecords(*svc, qc);
  } else if (o.voidCmd->parsed()) {
    Check(*svc, svc->synSbZf(o.id, nullptr));
    std::printf("申报 %d 已作废\n", o.id);
  } else if (o.paid->parsed()) {
    std::string jkzt;
    Check(*svc, svc->synKkjgCx(o.yzpzxh, nullptr, jkzt));
    std::printf("%s：缴款状态 %s %s\n", o.yzpzxh.c_str(), jkzt.c_str(), PaymentStateName(std::stoi(jkzt)));
  }
  return 0;
}

}  // namespace velmor::cli
