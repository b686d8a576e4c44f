// `velmor scheme sync` and `velmor roster sync|registrations|list|count|refresh-states|
// check-name` (the workbook, detail and unpaid leaves are in roster_workbooks.cpp): the scheme-account manager (IXnhMgr) and the employee service (IEmployeeService)
// of the plug-in for the configured payer ([portal] djxh, or --djxh).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/long_operation.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/roster_listing.h"
#include "host/host_error.h"
#include "velmor/employee_service.h"
#include "velmor/xnh_mgr.h"

namespace velmor::cli {

namespace {

std::string Payer(PluginSession& session, const std::string& given) {
  std::string djxh = given.empty() ? session.Host().Config().Get("portal", "djxh") : given;
  if (djxh.empty()) throw host::HostError("no payer: give --djxh or set [portal] djxh (velmor init --djxh)");
  return djxh;
}
}  // namespace

CLI::App* AddSchemeCommand(CLI::App& app, RosterOptions& options) {
  CLI::App* cmd = app.add_subcommand("scheme", "The payer's scheme account (offices, units, insured items)");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  options.schemeSync = cmd->add_subcommand("sync", "Download the scheme account and the collection modes");
  options.schemeSync->fallthrough();
  cmd->footer("Example:\n  velmor scheme sync");
  return cmd;
}

CLI::App* AddRosterCommand(CLI::App& app, RosterOptions& options) {
  CLI::App* cmd = app.add_subcommand("roster", "The payer's roster of insured persons");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  cmd->add_option("--djxh", options.djxh, "payer registration number (default: [portal] djxh)");
  options.sync = cmd->add_subcommand("sync", "Download enrolments and persons (incremental unless --full)");
  options.sync->add_flag("--full", options.full, "download everything; persons the server no longer has are removed");
  options.sync->fallthrough();
  options.registrations = cmd->add_subcommand("registrations", "Download the payment registrations (\"0040\")");
  options.registrations->add_flag("--full", options.full, "download all, not only what changed");
  options.registrations->fallthrough();
  options.list = cmd->add_subcommand("list", "Print a page of persons");
  options.list->add_option("--name", options.name, "part of the name");
  options.list->add_option("--state", options.state, "summary state: 1 insured, 2 items ended, 3 no item");
  options.list->add_option("--page", options.page, "page from 1 (default 1)")->check(CLI::PositiveNumber);
  options.list->add_option("--size", options.size, "persons per page")->check(CLI::Range(1, 10000000));
  AddOutputOptions(options.list);
  options.list->fallthrough();
  options.count = cmd->add_subcommand("count", "Print the numbers of persons (all, local, server) and items");
  AddOutputOptions(options.count);
  options.count->fallthrough();
  options.refresh = cmd->add_subcommand("refresh-states", "Recompute the persons' summary states if due");
  options.refresh->add_flag("--force", options.force, "recompute even when done today");
  options.refresh->fallthrough();
  options.checkName = cmd->add_subcommand("check-name", "Check a person's name against the name rules");
  options.checkName->add_option("NAME", options.name, "the name")->required();
  options.checkName->fallthrough();
  AddRosterWorkbookCommands(*cmd, options);
  cmd->footer(
      "Examples:\n  velmor roster sync --full\n  velmor roster registrations\n  velmor roster count\n"
      "  velmor roster list --name 张 --page 1 --size 20\n"
      "  velmor roster list --size 100000 --format tsv --fields xm,zjhm,cbzt\n  velmor roster refresh-states\n"
      "  velmor roster check-name 张三\n  velmor roster template persons.xlsx\n"
      "  velmor roster import persons.xlsx\n  velmor roster import-phones phones.xlsx\n"
      "  velmor roster export roster.xlsx --form zzsb\n  velmor roster details 44030000000000000001\n"
      "  velmor roster unpaid --year 2025 --export unpaid.xlsx");
  return cmd;
}

int RunSchemeCommand(const GlobalOptions& global, const RosterOptions&) {
  PluginSession session(global);
  LongOperation op("scheme sync");
  Ref<IXnhMgr> mgr = session.Require<IXnhMgr>("IXnhMgr");
  bool ok = mgr->DjxxXz(op.Start("下载参保登记信息"));
  op.Finished(ok);
  if (!ok) session.Fail(mgr->GetErrorMessage());
  ok = mgr->downloadZjms(op.Start("下载征集模式"));
  op.Finished(ok);
  if (!ok) session.Fail(mgr->GetErrorMessage());
  Ref<IXnhDAO> dao = mgr->GetDAO();
  std::vector<std::string> types;
  const std::string djxh = session.Host().Config().Get("portal", "djxh");
  if (!mgr->GetXzlxList(djxh, types)) session.Fail(mgr->GetErrorMessage());
  int32_t total = 0, m01 = 0, m02 = 0;
  if (dao) dao->getZjms(djxh, total, m01, m02);
  std::string joined;
  for (const auto& t : types) joined += (joined.empty() ? "" : ",") + t;
  std::printf("参保登记信息已保存：%d个项目（征集模式01：%d，02：%d），险种类型 %s\n", total, m01, m02,
              joined.empty() ? "（无）" : joined.c_str());
  std::fflush(stdout);
  return 0;
}

int RunRosterCommand(const GlobalOptions& global, const RosterOptions& o) {
  if (IsRosterWorkbookCommand(o)) return RunRosterWorkbookCommand(global, o);
  PluginSession session(global);
  const std::string djxh = Payer(session, o.djxh);
  Ref<IEmployeeService> svc = session.Require<IEmployeeService>("IEmployeeService");
  std::string message;
  if (o.sync->parsed()) {
    LongOperation op("roster sync");
    Ref<IXnhMgr> mgr = session.Plugin().CreateService<IXnhMgr>();
    Ref<IXnhDAO> dao = mgr ? mgr->GetDAO() : Ref<IXnhDAO>();
    if (dao && !dao->HasXnhDjxx(djxh)) {
      bool ok = mgr->DjxxXz(op.Start("下载参保登记信息"));
      op.Finished(ok);
      if (!ok) session.Fail(mgr->GetErrorMessage());
    }
    bool ok = svc->updateCbryxx(djxh, !o.full, op.Start(o.full ? "全量下载参保人员" : "增量下载参保人员", 1000), message);
    op.Finished(ok);
    if (!ok) session.Fail(message);
    // Stored, but records were refused: said, by name.
    if (!message.empty()) std::fprintf(stderr, "velmor: %s\n", message.c_str());
    std::printf("花名册已保存：%d人，%d个参保项目\n", svc->getRyCount(djxh, RyOrigin::kAll, ""),
                svc->getItemCount(djxh));
  } else if (o.registrations->parsed()) {
    LongOperation op("roster registrations");
    op.Start("下载缴费登记信息");
    bool ok = svc->updateYgcbxx(djxh, message, !o.full);
    op.Finished(ok);
    if (!ok) session.Fail(message);
    std::printf("缴费登记信息已保存：%d人\n", svc->getRyCount(djxh, RyOrigin::kAll, ""));
  } else if (o.list->parsed()) {
    RyListFilter filter;
    filter.xm = o.name;
    filter.cbzt = o.state;
    const int32_t zs = PrintPersons(session, *svc, djxh, filter, o.page, o.size);
    std::fprintf(stderr, "共 %d 人符合条件\n", zs);
  } else if (o.count->parsed()) {
    const int32_t all = svc->getRyCount(djxh, RyOrigin::kAll, ""), local = svc->getRyCount(djxh, RyOrigin::kLocal, ""),
                  server = svc->getRyCount(djxh, RyOrigin::kServer, ""), items = svc->getItemCount(djxh);
    // A count of -1 is a store that could not be read, never a number to print.
    if (all < 0 || local < 0 || server < 0 || items < 0)
      session.Fail(svc->GetErrorMessage().empty() ? "读取人员数量失败" : svc->GetErrorMessage());
    Output out;
    out.Begin("", {{"persons", "人员总数"}, {"local", "本地添加"}, {"server", "服务器下载"}, {"items", "参保项目数"}});
    out.Row({std::to_string(all), std::to_string(local), std::to_string(server), std::to_string(items)});
    out.Finish();
  } else if (o.refresh->parsed()) {
    LongOperation op("roster refresh-states");
    int32_t r = svc->refreshCbzt(djxh, false, o.force, op.Start("计算参保状态"), message);
    op.Finished(r >= 0);
    if (r < 0) session.Fail(message);
    std::printf("%s\n", r == 2 ? "参保状态已重新计算" : "参保状态今日已计算，无需重算");
  } else {
    if (!svc->CheckName(o.name, message)) {
      std::printf("%s\n", message.c_str());
      std::fflush(stdout);
      return 1;
    }
    std::printf("姓名有效。\n");
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
