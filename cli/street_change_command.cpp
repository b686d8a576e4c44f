// `velmor street-change submit FILE | cancel BGID... | sync FROM TO | list`: the street and
// community changes of residents.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/jdczbg_dao.h"
#include "velmor/jdczbg_service.h"

namespace velmor::cli {

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw host::HostError("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

std::string Text(const nlohmann::json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void PrintRefusals(const std::vector<JdczbgRefusal>& refused) {
  for (const auto& r : refused) std::printf("未通过 %s：%s\n", r.key.c_str(), r.sbyy.c_str());
}

}  // namespace

CLI::App* AddStreetChangeCommand(CLI::App& app, StreetChangeOptions& o) {
  CLI::App* cmd = app.add_subcommand("street-change", "Street and community changes of residents");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.submit = cmd->add_subcommand("submit", "Submit the changes of a JSON file (an array of changes)");
  o.submit->add_option("FILE", o.file, "JSON array: xm, zjlx, zjhm, xzjddm, sqhczdm, xzlxdm, lxdh, lxdz, hjszd, hh")
      ->required();
  o.cancel = cmd->add_subcommand("cancel", "Cancel changes by their bgid");
  o.cancel->add_option("BGID", o.bgid, "change identities")->required();
  o.sync = cmd->add_subcommand("sync", "Download the changes of a period");
  o.sync->add_option("FROM", o.from, "first day, yyyy-mm-dd")->required();
  o.sync->add_option("TO", o.to, "last day, yyyy-mm-dd")->required();
  o.sync->add_option("--size", o.size, "page size of the download");
  o.list = cmd->add_subcommand("list", "Print the stored changes");
  AddOutputOptions(o.list);
  o.list->add_option("--from", o.from, "first day, yyyy-mm-dd");
  o.list->add_option("--to", o.to, "last day, yyyy-mm-dd");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  for (CLI::App* sub : {o.submit, o.cancel, o.sync, o.list}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor street-change sync 2025-03-01 2025-03-31\n  velmor street-change list --page -1\n"
      "  velmor street-change submit changes.json\n  velmor street-change cancel BG12");
  return cmd;
}

int RunStreetChangeCommand(const GlobalOptions& global, const StreetChangeOptions& o) {
  nlohmann::json input;
  if (o.submit->parsed()) {
    input = nlohmann::json::parse(ReadTextFile(o.file), nullptr, false);
    if (!input.is_array()) throw host::HostError(o.file + " is not a JSON array of changes");
  }
  PluginSession session(global);
  Ref<IJdczbgService> service = session.Require<IJdczbgService>("IJdczbgService");
  std::vector<JdczbgRefusal> refused;
  if (o.submit->parsed()) {
    std::vector<JdczbgEntity> changes;
    for (const auto& j : input) {
      JdczbgEntity e;
      e.xm = Text(j, "xm");
      e.zjlx = Text(j, "zjlx");
      e.zjhm = Text(j, "zjhm");
      e.xzjddm = Text(j, "xzjddm");
      e.sqhczdm = Text(j, "sqhczdm");
      e.xzlxdm = Text(j, "xzlxdm");
      e.sbjbjgdm = Text(j, "sbjbjgdm");
      e.rybh = Text(j, "rybh");
      e.lxdh = Text(j, "lxdh");
      e.lxdz = Text(j, "lxdz");
      e.hjszd = Text(j, "hjszd");
      e.hh = Text(j, "hh");
      changes.push_back(std::move(e));
    }
    const bool ok = service->submitBGData(changes, refused);
    PrintRefusals(refused);
    if (!ok) session.Fail(service->GetErrorMessage());
    std::printf("已提交 %zu 条变更，%zu 条未通过\n", changes.size(), refused.size());
  } else if (o.cancel->parsed()) {
    const bool ok = service->cancelBGData(o.bgid, refused);
    PrintRefusals(refused);
    if (!ok) session.Fail(service->GetErrorMessage());
    std::printf("已撤销 %zu 条变更\n", o.bgid.size());
  } else if (o.sync->parsed()) {
    int32_t total = 0;
    if (!service->queryBGData(o.from, o.to, o.size, nullptr, total)) session.Fail(service->GetErrorMessage());
    std::printf("已下载 %d 条变更\n", total);
  } else {
    Ref<IJdczbgDao> dao = session.Require<IJdczbgDao>("IJdczbgDao");
    JdczbgFilter f;
    f.bgsjq = o.from;
    f.bgsjz = o.to;
    std::vector<JdczbgEntity> rows;
    const std::string djxh = session.Host().Config().Get("portal", "djxh");
    if (!dao->getData(djxh, f, o.page, o.size, rows)) session.Fail(dao->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const auto& e : rows)
      table.push_back({e.bgid, e.bgsj, e.xm, e.zjhm, e.xzjddm, e.sqhczdm, e.bgzt, e.cxbz});
    PrintTable({{"bgid", "变更ID"},
                {"bgsj", "变更时间"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"xzjddm", "乡镇街道"},
                {"sqhczdm", "社区村组"},
                {"bgzt", "变更状态"},
                {"cxbz", "撤销标志"}},
               table);
    std::fprintf(stderr, "共 %d 条变更\n", dao->getCount(djxh, f));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
