// `velmor special ...`: grades and history from the server, a declaration with the lines it
// records, its late verdict, and the recorded lines.
#include "cli/special_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/tsjk_mgr.h"
#include "velmor/tsrqsbjf_dao.h"

namespace velmor::cli {

namespace {

using Json = nlohmann::json;

void PrintGrades(const std::string& grades) {
  std::vector<std::vector<std::string>> table;
  for (const Json& g : Json::parse(grades)) table.push_back({CellText(g, "dcmc"), CellText(g, "dcje")});
  PrintTable({{"dcmc", "档次名称"}, {"dcje", "档次金额"}}, table);
}

void PrintOutcome(const std::string& result) {
  const Json r = Json::parse(result);
  std::printf("流水号 %s，申报状态 %s，应征凭证序号 %s，申报日期 %s，应缴费额合计 %s%s%s\n", CellText(r, "yblsh").c_str(),
              CellText(r, "sbzt").c_str(), CellText(r, "yzpzxh").c_str(), CellText(r, "sbrq").c_str(), CellText(r, "yjfehj").c_str(),
              CellText(r, "cwxx").empty() ? "" : "，错误信息 ", CellText(r, "cwxx").c_str());
}

}  // namespace

CLI::App* AddSpecialCommand(CLI::App& app, SpecialOptions& o) {
  CLI::App* cmd = app.add_subcommand("special", "Special-group declarations of residents' pension contributions");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.grades = cmd->add_subcommand("grades", "Grades of an item over payment years (server)");
  AddOutputOptions(o.grades);
  o.grades->add_option("--zsxm", o.zsxm, "levy item code")->required();
  o.grades->add_option("--zspm", o.zspm, "levy sub-item code")->required();
  o.grades->add_option("--zszm", o.zszm, "levy detail code");
  o.grades->add_option("--from", o.from, "first payment year")->required();
  o.grades->add_option("--to", o.to, "last payment year")->required();
  o.grades->add_option("--agency", o.agencies, "agency code (repeat for several)");
  o.history = cmd->add_subcommand("history", "Pension payment history of a person (server)");
  AddOutputOptions(o.history);
  o.history->add_option("--djxh", o.djxh, "the person's registration number (default: the payer)");
  o.declare = cmd->add_subcommand("declare", "Declare: FILE holds the body (XML fragment or JSON object)");
  o.declare->add_option("FILE", o.file, "the declaration's body")->required();
  o.declare->add_option("--lines", o.lines, "JSON array of the lines to record with the outcome");
  o.declare->add_option("--djxh", o.djxh, "the person's registration number (default: the payer)");
  o.verdict = cmd->add_subcommand("verdict", "Fetch the verdict of a queued declaration by its serial");
  o.verdict->add_option("SERIAL", o.serial, "the yblsh the declaration printed")->required();
  o.list = cmd->add_subcommand("list", "Print the recorded lines");
  AddOutputOptions(o.list);
  o.list->add_option("--name", o.name, "part of the name");
  o.list->add_option("--state", o.state, "declaration states, e.g. 2,6");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  for (CLI::App* sub : {o.grades, o.history, o.declare, o.verdict, o.list}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor special grades --zsxm 10210 --zspm 102100100 --from 2020 --to 2025 --agency 14403\n"
      "  velmor special history --djxh 10000000000000000001\n"
      "  velmor special declare body.xml --lines lines.json\n  velmor special verdict 20260101000001\n"
      "  velmor special list --state 1,2");
  return cmd;
}

int RunSpecialCommand(const GlobalOptions& global, const SpecialOptions& o) {
  std::string content, lines = "[]";
  if (o.declare->parsed()) {
    content = ReadTextFile(o.file);
    if (!o.lines.empty()) {
      lines = ReadTextFile(o.lines);
      if (!Json::parse(lines, nullptr, false).is_array()) throw host::HostError(o.lines + " is not a JSON array of lines");
    }
  }
  PluginSession session(global);
  Ref<ITsJkMgr> mgr = session.Require<ITsJkMgr>("ITsJkMgr");
  const std::string payer = session.Host().Config().Get("portal", "djxh");
  const std::string person = Json{{"djxh", o.djxh}}.dump();
  std::string out, message;
  if (o.grades->parsed()) {
    const std::string item = Json{{"zsxmDm", o.zsxm}, {"zspmDm", o.zspm}, {"zszmDm", o.zszm}}.dump();
    const std::string years = Json{{"jfndq", o.from}, {"jfndz", o.to}}.dump();
    if (!mgr->GetJfdcList(item, years, Json(o.agencies).dump(), out, message)) session.Fail(message);
    PrintGrades(out);
  } else if (o.history->parsed()) {
    if (!mgr->YlycxtjCx(person, out, message)) session.Fail(message);
    std::vector<std::vector<std::string>> table;
    for (const Json& h : Json::parse(out))
      table.push_back({CellText(h, "sbjbjgDm"), CellText(h, "rybh"), CellText(h, "jfnd"), CellText(h, "jfys"), CellText(h, "jfztDm")});
    PrintTable({{"sbjbjgDm", "社保经办机构"},
                {"rybh", "人员编号"},
                {"jfnd", "缴费年度"},
                {"jfys", "缴费月数"},
                {"jfztDm", "缴费状态"}},
               table);
  } else if (o.declare->parsed()) {
    if (!mgr->tsrqSbfxxBc(person, content, nullptr, out, message)) session.Fail(message);
    PrintOutcome(out);
    const Json r = Json::parse(out);
    Json rows = Json::parse(lines);
    for (Json& l : rows) {
      if (CellText(l, "djxh").empty()) l["djxh"] = payer;
      l["yzpzxh"] = r["yzpzxh"];
      l["sbrq"] = r["sbrq"];
      l["sbzt"] = r["sbzt"];
    }
    if (!rows.empty() && !mgr->SaveSbjl(rows.dump(), message)) session.Fail(message);
    std::printf("已记录 %zu 条\n", rows.size());
  } else if (o.verdict->parsed()) {
    if (!mgr->tsrqSbfxxBcGetFK(o.serial, nullptr, out, message)) session.Fail(message);
    PrintOutcome(out);
  } else {
    Ref<ITsrqsbjfDAO> dao = session.Require<ITsrqsbjfDAO>("ITsrqsbjfDAO");
    const std::string filter = Json{{"xm", o.name}, {"sbzt", o.state}}.dump();
    const int32_t total = dao->GetCount(payer, filter);
    if (total < 0) session.Fail(dao->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(dao->GetData(payer, filter, o.page, o.size)))
      table.push_back({CellText(r, "yzpzxh"), CellText(r, "sbrq"), CellText(r, "xm"), CellText(r, "zjhm"), CellText(r, "sbzt"),
                       CellText(r, "jfzt"), CellText(r, "jfje"), CellText(r, "cwxx")});
    PrintTable({{"yzpzxh", "应征凭证序号"},
                {"sbrq", "申报日期"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"sbzt", "申报状态"},
                {"jfzt", "缴费状态"},
                {"jfje", "缴费金额"},
                {"cwxx", "错误信息"}},
               table);
    std::fprintf(stderr, "共 %d 条\n", total);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
