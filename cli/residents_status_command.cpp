// `velmor residents status query|self|list|count|export|approved|payment|year-check` and
// `velmor residents states list|count|clear`. The status query may ask whether to go on waiting
// for a slow server: asked on a terminal, answered by --wait / --no-wait otherwise (no answer
// means "no", so a script never hangs on a question).
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include <nlohmann/json.hpp>

#include "cli/long_operation.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/residents_status_command.h"
#include "cli/text_table.h"
#include "velmor/bg_task_service.h"
#include "velmor/cxjm_sbzt_query.h"
#include "velmor/platform_manager.h"
#include "velmor/rysbzt_dao.h"

namespace velmor::cli {

namespace {

using json = nlohmann::json;

void AddFilters(CLI::App* cmd, ResidentsStatusOptions& o) {
  cmd->add_option("--year", o.year, "payment year, yyyy");
  cmd->add_option("--name", o.name, "part of the person's name");
  cmd->add_option("--zjhm", o.zjhm, "part of the identity number");
  cmd->add_option("--group", o.group, "group id (its subgroups' persons too)");
}

void AddPaging(CLI::App* cmd, ResidentsStatusOptions& o) {
  AddOutputOptions(cmd);
  cmd->add_option("--page", o.page, "page from 1; -1 for all");
  cmd->add_option("--size", o.size, "rows per page");
}

json Filter(const ResidentsStatusOptions& o) {
  json q = json::object();
  auto put = [&](const char* key, const std::string& v) {
    if (!v.empty()) q[key] = v;
  };
  put("jfnd", o.year);
  put("xm", o.name);
  put("zjhm", o.zjhm);
  put("fzid", o.group);
  return q;
}

void RequireYear(const ResidentsStatusOptions& o) {
  if (o.year.size() != 4 || o.year.find_first_not_of("0123456789") != std::string::npos)
    throw UsageError("--year must be a year, yyyy");
}

// The answer to "go on waiting?": the flag, else the terminal, else no.
host::UIManager::Answerer WaitAnswerer(const ResidentsStatusOptions& o) {
  if (o.wait) return [](const std::string&) { return true; };
  if (o.noWait || !::isatty(STDIN_FILENO)) return [](const std::string& q) {
    std::fprintf(stderr, "%s 否（--wait 可继续等待）\n", q.c_str());
    return false;
  };
  return [](const std::string& q) {
    std::fprintf(stderr, "%s [y/N] ", q.c_str());
    std::fflush(stderr);
    std::string line;
    if (!std::getline(std::cin, line)) return false;
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
  };
}

std::vector<std::vector<std::string>> Table(const json& rows, const std::vector<const char*>& keys) {
  std::vector<std::vector<std::string>> out;
  for (const json& r : rows) {
    std::vector<std::string> row;
    for (const char* k : keys) row.push_back(CellText(r, k));
    out.push_back(std::move(row));
  }
  return out;
}

// Collects a two-step answer: asks until the server has it (at most about a minute).
json Collect(PluginSession& session, ICXJMSBStatusQueryService& svc, const std::string& serial, bool payment) {
  for (int i = 0; i < 600; ++i) {
    bool ready = false;
    std::string result;
    const bool ok = payment ? svc.synCxjmzzSbjfztCxFk(serial, ready, result) : svc.synHdsbztCxFk(serial, ready, result);
    if (!ok) session.Fail(svc.GetErrorMessage());
    if (ready) return json::parse(result);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  session.Fail("等待反馈超时：" + serial);
}

int RunYearCheck(PluginSession& session, const std::string& djxh) {
  if (!session.Host().PublishHomePage()) session.Fail("无法记录首页窗口（系统参数homepage_handle）。");
  session.Host().HomePage().SetSink([](const host::components::HomePage::Notice& n) {
    const json notice = json::parse(n.text, nullptr, false);
    std::printf("0x%04X %s %s\n", static_cast<unsigned>(n.message),
                notice.is_object() ? notice.value("action", "").c_str() : "?",
                notice.is_object() ? notice.value("message", "").c_str() : n.text.c_str());
  });
  // Scheduled the way a host schedules background work: a section of the task file.
  Ref<IPlatformManager> platform =
      Query<IPlatformManager>(session.Host().Factory().FindNamedService(IPlatformManager::kIid, "Default"));
  const std::string dir = platform->GetModuleDataDir("M8") + "Task";
  const std::string file = dir + "/TaskFile.ini", section = "[yctx_" + djxh + "]";
  std::filesystem::create_directories(dir);
  {
    std::ofstream ini(file, std::ios::app);
    ini << section << "\r\nTaskType=qvlmt_task_TAsynQueryYctxData\r\nTaskData=" << djxh << "\r\n";
  }
  // The task takes its section out of the file once it has run.
  auto pending = [&] {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {}).find(section) != std::string::npos;
  };
  Ref<IBgTaskService> tasks = session.Require<IBgTaskService>("IBgTaskService");
  if (!tasks->LoadTasks()) session.Fail("无法读取任务文件：" + dir + "/TaskFile.ini");
  tasks->Start();
  tasks->Wake();
  for (int i = 0; i < 600 && pending(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  tasks->Stop();
  session.Host().HomePage().SetSink({});
  if (session.Host().HomePage().Notices().empty())
    session.Fail("年度申报检查未完成，原因见日志：" + session.LogPath());
  return 0;
}

}  // namespace

void AddResidentsStatusCommands(CLI::App& residents, ResidentsStatusOptions& o) {
  CLI::App* status = residents.add_subcommand("status", "Declaration state of the residents' insured lines");
  status->require_subcommand(1);
  status->fallthrough();
  o.query = status->add_subcommand("query", "Ask the server which lines of a year are declared and store it");
  o.self = status->add_subcommand("self", "Ask the server for the self-declared states of a year and store them");
  for (CLI::App* c : {o.query, o.self}) {
    AddFilters(c, o);
    c->add_flag("--wait", o.wait, "when the server is slow, go on waiting without asking");
    c->add_flag("--no-wait", o.noWait, "when the server is slow, stop without asking");
  }
  o.list = status->add_subcommand("list", "Print the lines with their stored state");
  o.count = status->add_subcommand("count", "Print the number of lines");
  for (CLI::App* c : {o.list, o.count}) {
    AddFilters(c, o);
    c->add_option("--state", o.state, "declared or undeclared")->check(CLI::IsMember({"declared", "undeclared"}));
  }
  AddPaging(o.list, o);
  o.exportCmd = status->add_subcommand("export", "Write the lines with their state to a workbook (.xlsx)");
  o.exportCmd->add_option("FILE", o.file, "the workbook to write")->required();
  AddFilters(o.exportCmd, o);
  o.approved = status->add_subcommand("approved", "Approved declarations of natural persons (by their djxh)");
  o.approved->add_option("PERSON", o.persons, "natural persons' djxh")->required();
  o.payment = status->add_subcommand("payment", "Declaration and payment states of residents (by identity number)");
  o.payment->add_option("ZJHM", o.persons, "identity numbers")->required();
  o.yearCheck = status->add_subcommand("year-check", "Run the background check of this year and show its notice");
  for (CLI::App* sub : {o.query, o.self, o.list, o.count, o.exportCmd, o.approved, o.payment, o.yearCheck})
    sub->fallthrough();
  status->footer(
      "Examples:\n  velmor residents status query --year 2024\n  velmor residents status query --year 2024 --no-wait\n"
      "  velmor residents status self --year 2024 --wait\n"
      "  velmor residents status list --year 2024 --state undeclared --format tsv\n"
      "  velmor residents status count --year 2024 --state declared\n"
      "  velmor residents status export status.xlsx --year 2024\n"
      "  velmor residents status approved 10100000000000000001\n"
      "  velmor residents status payment 430102199001011234\n  velmor residents status year-check");

  CLI::App* states = residents.add_subcommand("states", "Stored declaration and payment states per year");
  states->require_subcommand(1);
  states->fallthrough();
  o.statesList = states->add_subcommand("list", "Print the stored states with the persons and groups");
  o.statesCount = states->add_subcommand("count", "Print the number of stored lines");
  for (CLI::App* c : {o.statesList, o.statesCount}) {
    AddFilters(c, o);
    c->add_option("--paid", o.paid, "paid or unpaid")->check(CLI::IsMember({"paid", "unpaid"}));
  }
  AddPaging(o.statesList, o);
  o.statesClear = states->add_subcommand("clear", "Delete the stored states of a year");
  o.statesClear->add_option("--year", o.year, "payment year, yyyy")->required();
  for (CLI::App* sub : {o.statesList, o.statesCount, o.statesClear}) sub->fallthrough();
  states->footer(
      "Examples:\n  velmor residents states list --year 2024 --paid unpaid\n"
      "  velmor residents states count --year 2024\n  velmor residents states clear --year 2023");
}

bool IsResidentsStatusCommand(const ResidentsStatusOptions& o) {
  for (const CLI::App* c : {o.query, o.self, o.list, o.count, o.exportCmd, o.approved, o.payment, o.yearCheck,
                            o.statesList, o.statesCount, o.statesClear})
    if (c && c->parsed()) return true;
  return false;
}

int RunResidentsStatusCommand(const GlobalOptions& global, const ResidentsStatusOptions& o) {
  if (o.wait && o.noWait) throw UsageError("--wait and --no-wait exclude each other");
  if (o.query->parsed() || o.self->parsed() || o.statesClear->parsed()) RequireYear(o);
  PluginSession session(global);
  const std::string djxh = session.Host().Config().Get("portal", "djxh");
  json q = Filter(o);

  if (o.statesList->parsed() || o.statesCount->parsed() || o.statesClear->parsed()) {
    Ref<IRysbztDAO> store = session.Require<IRysbztDAO>("IRysbztDAO");
    if (!o.paid.empty()) q["jfzt"] = o.paid == "paid" ? "1" : "0";
    if (o.statesClear->parsed()) {
      if (!store->clearData(djxh, o.year)) session.Fail(store->GetErrorMessage());
      std::printf("已删除 %s 年度的申报状态\n", o.year.c_str());
    } else if (o.statesCount->parsed()) {
      const int32_t n = store->getCount(djxh, q.dump());
      if (!store->GetErrorMessage().empty()) session.Fail(store->GetErrorMessage());
      std::printf("共 %d 条申报状态\n", n);
    } else {
      const json rows = json::parse(store->getData(djxh, q.dump(), o.page, o.size));
      if (!store->GetErrorMessage().empty()) session.Fail(store->GetErrorMessage());
      PrintTable({{"jfnd", "年度"},
                  {"xm", "姓名"},
                  {"zjhm", "证件号码"},
                  {"zspmdm", "征收品目"},
                  {"sbztName", "申报状态"},
                  {"jfzt", "缴费状态"},
                  {"ybtfe", "应补退费额"},
                  {"jdxzMc", "乡镇街道"},
                  {"fullname", "分组"}},
                 Table(rows, {"jfnd", "xm", "zjhm", "zspmdm", "sbztName", "jfzt", "ybtfe", "jdxzMc", "fullname"}));
    }
    std::fflush(stdout);
    return 0;
  }

  Ref<ICXJMSBStatusQueryService> svc = session.Require<ICXJMSBStatusQueryService>("ICXJMSBStatusQueryService");
  auto fail = [&] { session.Fail(svc->GetErrorMessage()); };
  if (!o.state.empty()) q["sbzt"] = o.state == "declared" ? "1" : "0";
  if (o.query->parsed() || o.self->parsed()) {
    session.Host().UI().SetAnswerer(WaitAnswerer(o));
    LongOperation op("申报状态查询");
    int32_t n = 0;
    const bool ok = o.query->parsed() ? svc->synSbztCx(djxh, q.dump(), op.Start("正在查询"), n)
                                      : svc->synZzsbztCx_098(djxh, q.dump(), op.Start("正在查询"), n);
    op.Finished(ok);
    if (!ok) fail();
    std::printf("已查询 %d 条参保险种的申报状态\n", n);
  } else if (o.count->parsed()) {
    const int32_t n = svc->getCount(djxh, q.dump());
    if (!svc->GetErrorMessage().empty()) fail();
    std::printf("共 %d 条参保险种\n", n);
  } else if (o.list->parsed()) {
    const json rows = json::parse(svc->getData(djxh, q.dump(), o.page, o.size));
    if (!svc->GetErrorMessage().empty()) fail();
    PrintTable({{"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"sbjbjgdm", "社保经办机构"},
                {"zsxmdm", "征收项目"},
                {"zspmdm", "征收品目"},
                {"sbztName", "申报状态"},
                {"fullname", "分组"}},
               Table(rows, {"xm", "zjhm", "sbjbjgdm", "zsxmdm", "zspmdm", "sbztName", "fullname"}));
  } else if (o.exportCmd->parsed()) {
    if (!svc->exportData(djxh, q.dump(), o.file)) fail();
    std::printf("已导出：%s\n", o.file.c_str());
  } else if (o.approved->parsed()) {
    std::string serial;
    if (!svc->synHdsbztCx(djxh, json{{"zrrDjxhList", o.persons}}.dump(), serial)) fail();
    const json answer = Collect(session, *svc, serial, false);
    PrintTable({{"xzid", "险种ID"}, {"jfnd", "年度"}, {"sbrq", "申报日期"}, {"sbzt", "申报状态"}, {"jfzt", "缴费状态"}},
               Table(answer.value("sbztList", json::array()), {"xzid", "jfnd", "sbrq", "sbzt", "jfzt"}));
  } else if (o.payment->parsed()) {
    json list = json::array();
    for (const std::string& z : o.persons) list.push_back({{"zjhm", z}});
    std::string serial;
    if (!svc->synCxjmzzSbjfztCx(djxh, list.dump(), serial)) fail();
    const json answer = Collect(session, *svc, serial, true);
    PrintTable({{"xm", "姓名"}, {"zjhm", "证件号码"}, {"zspmDm", "征收品目"}, {"sbzt", "申报状态"}, {"jfzt", "缴费状态"}},
               Table(answer.value("sbjfztList", json::array()), {"xm", "zjhm", "zspmDm", "sbzt", "jfzt"}));
  } else {
    svc = nullptr;
    return RunYearCheck(session, djxh);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
