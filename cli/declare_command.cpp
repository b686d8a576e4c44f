#include "cli/declare_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/declaration_check.h"
#include "cli/long_operation.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/text_table.h"
#include "host/host_config.h"
#include "host/host_error.h"
#include "velmor/dict_mgr.h"
#include "velmor/json_depth.h"
#include "velmor/rcsb_mgr.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Value(const Json& row, const char* key) {
  auto it = row.find(key);
  return it == row.end() || !it->is_string() ? "" : it->get<std::string>();
}

std::string Djxh(PluginSession& session) { return session.Host().Config().Get("portal", "djxh"); }

// Writes the masters the filter selects as a table (named `section` when the output has several).
void PrintMasters(IRcsbMgr& mgr, const Json& filter, int32_t page, int32_t size, Output& out,
                  const std::string& section) {
  std::string rows;
  if (!mgr.GetSbzbData(filter.dump(), page, size, rows)) throw host::HostError(mgr.GetErrorMessage());
  out.Begin(section, {{"id", "ID"},
                      {"sbsj", "申报时间"},
                      {"sbzt", "申报状态"},
                      {"jkzt", "缴款状态"},
                      {"yzpzxh", "应征凭证序号"},
                      {"zje", "金额"},
                      {"sbyy", "原因"}});
  for (const Json& r : Json::parse(rows)) {
    const std::string jkzt = Value(r, "jkzt");
    out.Row({Value(r, "id"), Value(r, "sbsj"), StateCell(Value(r, "sbzt"), DeclarationStateName(Value(r, "sbzt"))),
             StateCell(jkzt, jkzt.empty() ? "" : PaymentStateName(std::atoi(jkzt.c_str()))), Value(r, "yzpzxh"),
             Money(Value(r, "zje")), Value(r, "sbyy")});
  }
}

// The declaration file's text; raises naming the file when it cannot be read or is not JSON.
std::string ReadDeclaration(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw host::HostError("无法读取申报文件 " + file);
  std::ostringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  if (!JsonDepthWithin(text) || !Json::accept(text)) throw host::HostError(file + " 不是JSON文档");
  return text;
}

// Runs the checks of cli/declaration_check.h with the loaded dictionaries: the numbered reasons go
// to stdout and the command fails, unless `force` lets the declaration go anyway. A pass is said
// when `sayPass` (check, --dry-run); a submission goes on to say what the server did.
void RequirePassing(IDictMgr& dicts, const std::string& text, const std::string& file, bool force, bool sayPass) {
  const bool rules = dicts.LoadRules();
  const CodeLookup codes = [&](const std::string& dict, const std::string& code) -> std::optional<bool> {
    Ref<IDictionary> d = rules ? dicts.GetJsonDictionary(dict) : Ref<IDictionary>();
    if (!d || d->GetCodesText().empty()) return std::nullopt;  // not loaded: nothing to compare with
    return !d->GetNameByCode(code).empty();
  };
  const std::vector<std::string> problems = CheckDeclaration(Json::parse(text), codes);
  if (problems.empty()) {
    if (sayPass) std::printf("申报校验通过：%s\n", file.c_str());
    std::fflush(stdout);
    return;
  }
  for (size_t i = 0; i < problems.size(); ++i) std::printf("%zu. %s\n", i + 1, problems[i].c_str());
  std::fflush(stdout);
  const std::string summary = "申报校验不通过：" + file + " 有" + std::to_string(problems.size()) + "处错误";
  if (!force) throw host::HostError(summary + "（改正后再提交，或用 --force 照样提交）");
  std::fprintf(stderr, "velmor: %s，按 --force 照样提交\n", summary.c_str());
}

std::string MonthDay(const std::string& month, bool last) {
  if (month.empty()) return "";
  if (month.size() != 7 || month[4] != '-') throw host::HostError("month must be yyyy-mm: " + month);
  return month + (last ? "-31" : "-01");
}
}  // namespace

const char* DeclarationStateName(const std::string& sbzt) {
  if (sbzt == "1") return "已受理待反馈";
  if (sbzt == "2") return "申报成功";
  if (sbzt == "3") return "申报失败";
  if (sbzt == "5") return "已作废";
  if (sbzt == "6") return "申报成功";
  if (sbzt == "9") return "待确认";
  if (sbzt == "10" || sbzt == "11") return "发送中，受理情况未确认";
  return "未申报";
}

const char* PaymentStateName(int jkzt) {
  if (jkzt == 2) return "部分缴款";
  if (jkzt == 3) return "已缴款";
  if (jkzt == 8) return "无需缴款";
  return "未缴款";
}

CLI::App* AddDeclareCommand(CLI::App& app, DeclareOptions& o) {
  CLI::App* cmd = app.add_subcommand("declare", "Submit, follow, void and list the daily declarations");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.sync = cmd->add_subcommand("sync", "Download the declaration list from the server into the local store");
  o.sync->add_option("--jfrlx", o.jfrlx, "payer type (default 5)");
  o.sync->add_option("--from", o.from, "first fee month, yyyy-mm");
  o.sync->add_option("--to", o.to, "last fee month, yyyy-mm");
  o.list = cmd->add_subcommand("list", "List the stored declarations, newest first");
  o.list->add_option("--state", o.state, "only this declaration state");
  o.list->add_option("--page", o.page, "page number from 1 (default: all rows)");
  o.list->add_option("--size", o.size, "rows per page (default 20)");
  o.show = cmd->add_subcommand("show", "Show one declaration with its details and persons");
  o.show->add_option("ID", o.id, "declaration id")->required();
  o.check = cmd->add_subcommand(
      "check", "Check a declaration file without sending it (names, ID numbers, codes, amounts, totals)");
  o.check->add_option("FILE", o.file, "declaration document (see examples/declaration.json)")->required();
  o.submit = cmd->add_subcommand("submit", "Check and submit a declaration read from a JSON file");
  o.submit->add_option("FILE", o.file, "declaration document (see examples/declaration.json)")->required();
  o.submit->add_flag("--dry-run", o.dryRun, "check the declaration and stop before sending it");
  o.submit->add_flag("--force", o.force, "send the declaration even when the checks fail");
  o.submit->add_flag("--second-form", o.secondForm, "submit in the second form (UTF-8 document, services 0083/0084)");
  o.feedback = cmd->add_subcommand("feedback", "Fetch the server's feedback of a declaration");
  o.feedback->add_option("ID", o.id, "declaration id")->required();
  o.feedback->add_flag("--second-form", o.secondForm, "the declaration was submitted in the second form (0085)");
  o.voidCmd = cmd->add_subcommand("void", "Void a declared declaration");
  o.voidCmd->add_option("ID", o.id, "declaration id")->required();
  o.paymentState = cmd->add_subcommand("payment-state", "Ask the server for the payment state of unpaid vouchers");
  o.exportCmd = cmd->add_subcommand("export", "Write a declaration's details and persons to an XLSX workbook");
  o.exportCmd->add_option("ID", o.id, "declaration id")->required();
  o.exportCmd->add_option("FILE", o.file, "workbook to write (.xlsx)")->required();
  o.exportCmd->add_option("--form", o.form,
                          "1 details and persons (default), 2 declared persons, 3 persons with check result")
      ->check(CLI::Range(1, 3));
  for (CLI::App* sub : {o.sync, o.list, o.show, o.check, o.submit, o.feedback, o.voidCmd, o.paymentState, o.exportCmd})
    sub->fallthrough();
  for (CLI::App* sub : {o.list, o.show, o.paymentState}) AddOutputOptions(sub);
  cmd->footer(
      "Examples (in this order, on a data directory set up with velmor init):\n"
      "  velmor declare sync --from 2026-01 --to 2026-12\n"
      "  velmor declare check examples/declaration.json\n"
      "  velmor declare submit examples/declaration.json --dry-run\n"
      "  velmor declare submit examples/declaration.json\n"
      "  velmor declare list --state 2\n"
      "  velmor declare list --format tsv --fields id,sbzt,zje\n"
      "  velmor declare show 1\n"
      "  velmor declare export 1 sbmx.xlsx\n"
      "  velmor declare export 1 persons.xlsx --form 2\n"
      "  velmor declare export 1 checked.xlsx --form 3\n"
      "  velmor declare payment-state\n"
      "  velmor declare void 1\n"
      "  velmor declare submit examples/declaration.json --second-form\n"
      "  velmor declare feedback 2 --second-form");
  return cmd;
}

int RunDeclareCommand(const GlobalOptions& global, const DeclareOptions& o) {
  std::string text;
  if (o.submit->parsed() || o.check->parsed()) text = ReadDeclaration(o.file);
  const std::string fkssqq = MonthDay(o.from, false), fkssqz = MonthDay(o.to, true);
  PluginSession session(global);
  Ref<IRcsbMgr> mgr = session.Require<IRcsbMgr>("IRcsbMgr");
  std::string error;
  int32_t state = 0, id = o.id;
  Json filter = {{"djxh", Djxh(session)}};
  // Server calls show progress on stderr and stop on Ctrl-C; the view ends before the result is printed.
  if (o.sync->parsed()) {
    LongOperation op("declare sync");
    const bool ok = mgr->synSbqdCx(o.jfrlx, fkssqq, fkssqz, op.Start("下载申报清单", 1), error);
    op.Finished(ok);
    if (!ok) throw host::HostError(error);
    int32_t count = 0;
    mgr->GetSbzbCount(filter.dump(), count);
    std::printf("已同步申报清单，本地共 %d 条申报记录\n", count);
  } else if (o.list->parsed()) {
    if (o.state >= 0) filter["sbzt"] = std::to_string(o.state);
    Output out;
    PrintMasters(*mgr, filter, o.page, o.size, out, "");
    out.Finish();
  } else if (o.show->parsed()) {
    filter["id"] = o.id;
    std::string rows;
    if (!mgr->GetSbzbData(filter.dump(), -1, 0, rows)) throw host::HostError(mgr->GetErrorMessage());
    if (Json::parse(rows).empty()) throw host::HostError("申报记录[" + std::to_string(o.id) + "]不存在");
    Output out;
    PrintMasters(*mgr, filter, -1, 0, out, "declaration");
    if (!mgr->GetSbmxData(o.id, "", rows)) throw host::HostError(mgr->GetErrorMessage());
    out.Begin(
        "details",
        {{"jfnd", "缴费年度"}, {"zspmdm", "征收品目"}, {"fkssq", "费款所属期"}, {"zrs", "人数"}, {"zje", "金额"}});
    for (const Json& r : Json::parse(rows))
      out.Row({Value(r, "jfnd"), Value(r, "zspmdm"), Value(r, "fkssqq") + "~" + Value(r, "fkssqz"), Value(r, "zrs"),
               Money(Value(r, "zje"))});
    if (!mgr->GetSbRymxData(o.id, rows)) throw host::HostError(mgr->GetErrorMessage());
    out.Begin("persons",
              {{"mxxh", "序号"}, {"xm", "姓名"}, {"zjhm", "证件号码"}, {"jfje", "缴费金额"}, {"sbyy", "原因"}});
    for (const Json& r : Json::parse(rows))
      out.Row({Value(r, "mxxh"), Value(r, "xm"), Value(r, "zjhm"), Money(Value(r, "jfje")), Value(r, "sbyy")});
    out.Finish();
  } else if (o.check->parsed()) {
    RequirePassing(*session.Require<IDictMgr>("IDictMgr"), text, o.file, false, true);
  } else if (o.submit->parsed()) {
    RequirePassing(*session.Require<IDictMgr>("IDictMgr"), text, o.file, o.force, o.dryRun);
    if (o.dryRun) {
      std::printf("未发送（--dry-run）\n");
      std::fflush(stdout);
      return 0;
    }
    LongOperation op("declare submit");
    IProgressView* view = op.Start("发送申报", 1);
    const bool ok = o.secondForm ? mgr->SbSend_61(text, view, id, state, error)
                                 : mgr->SbSend(text, view, id, state, error);
    op.Finished(ok);
    if (!ok) throw host::HostError(error);
    std::printf("申报已提交：ID %d，状态 %d %s\n", id, state, DeclarationStateName(std::to_string(state)));
    // Stored, but the server refused it: the command has not done what was asked.
    if (state == 3) {
      std::fflush(stdout);
      throw host::HostError("服务器未通过申报 " + std::to_string(id) + "，原因见 velmor declare show " + std::to_string(id));
    }
  } else if (o.feedback->parsed()) {
    const bool ok = o.secondForm ? mgr->GetSbFk_61(id, nullptr, state, error) : mgr->GetSbFk(id, nullptr, state, error);
    if (!ok) throw host::HostError(error);
    std::printf("申报 %d：状态 %d %s\n", id, state, DeclarationStateName(std::to_string(state)));
  } else if (o.voidCmd->parsed()) {
    if (!mgr->Sbzf(id, nullptr, state, error)) throw host::HostError(error);
    std::printf("申报 %d：状态 %d %s\n", id, state, DeclarationStateName(std::to_string(state)));
  } else if (o.paymentState->parsed()) {
    std::string vouchers, states;
    if (!mgr->GetWjkDataLb(filter["djxh"].get<std::string>(), "2,6", vouchers)) {
      throw host::HostError(mgr->GetErrorMessage());
    }
    const Json list = Json::parse(vouchers);
    if (list.empty()) {
      std::printf("没有未缴款的申报\n");
    } else {
      LongOperation op("declare payment-state");
      const bool ok = mgr->BatGetJkzt(vouchers, op.Start("查询缴款状态", 100), 100, states, error);
      op.Finished(ok);
      if (!ok) throw host::HostError(error);
      std::vector<std::vector<std::string>> table;
      const Json answered = Json::parse(states);
      for (const auto& [yzpzxh, jkzt] : answered.items()) {
        table.push_back({yzpzxh, StateCell(std::to_string(jkzt.get<int>()), PaymentStateName(jkzt.get<int>()))});
      }
      PrintTable({{"yzpzxh", "应征凭证序号"}, {"jkzt", "缴款状态"}}, table);
    }
  } else if (o.exportCmd->parsed()) {
    const bool ok = o.form == 2   ? mgr->ExportSbrymx(id, o.file, error)
                    : o.form == 3 ? mgr->ExportSbrymxJyjg(id, o.file, error)
                                  : mgr->ExportSbmx(id, o.file, error);
    if (!ok) throw host::HostError(error);
    std::printf("已导出申报 %d 的%s：%s\n", id, o.form == 1 ? "明细" : o.form == 2 ? "人员明细" : "人员校验结果",
                o.file.c_str());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
