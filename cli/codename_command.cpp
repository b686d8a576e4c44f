// `velmor codename list|add LB [DM MC]`: the code/name pairs of a numeric category, through the
// plug-in's code/name store (ICodeNameDAO).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "host/host_error.h"
#include "velmor/code_name_dao.h"

namespace velmor::cli {

CLI::App* AddCodeNameCommand(CLI::App& app, CodeNameOptions& options) {
  CLI::App* cmd = app.add_subcommand("codename", "List and add the code/name pairs of a category");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  options.list = cmd->add_subcommand("list", "Print the code/name pairs of category LB");
  options.list->add_option("LB", options.lb, "numeric category")->required();
  AddOutputOptions(options.list);
  options.list->fallthrough();
  options.add = cmd->add_subcommand("add", "Add a pair, or change the name of an existing code");
  options.add->add_option("LB", options.lb, "numeric category")->required();
  options.add->add_option("DM", options.dm, "code")->required();
  options.add->add_option("MC", options.mc, "name")->required();
  options.add->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor codename add 6 440305001 南头街道\n  velmor codename list 6");
  return cmd;
}

int RunCodeNameCommand(const GlobalOptions& global, const CodeNameOptions& options) {
  if (options.add->parsed() && options.dm.empty()) throw host::HostError("DM must not be empty");
  PluginSession session(global);
  Ref<ICodeNameDAO> dao = session.Plugin().CreateService<ICodeNameDAO>();
  if (options.list->parsed()) {
    Output out;
    out.Begin("", {{"dm", "代码"}, {"mc", "名称"}});
    for (const auto& pair : nlohmann::json::parse(dao->GetCodeNameList(options.lb)))
      out.Row({pair.value("code", ""), pair.value("name", "")});
    out.Finish();
  } else if (!dao->AddCodeName(options.lb, options.dm, options.mc)) {
    session.Fail("保存代码[" + options.dm + "]失败（类别" + std::to_string(options.lb) + "）");
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
