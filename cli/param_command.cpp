// `velmor param list|get|set [--djxh X] [KEY [VALUE]]`: the system parameters of a payer, through
// the plug-in's parameter service (ISysParamIntf). Without --djxh the parameters of no payer
// ("global_param") are meant.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "host/host_error.h"
#include "velmor/sys_param.h"
#include "velmor/sys_param_dao.h"

namespace velmor::cli {

CLI::App* AddParamCommand(CLI::App& app, ParamOptions& options) {
  CLI::App* cmd = app.add_subcommand("param", "Read and write the system parameters of a payer");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  auto djxh = [&](CLI::App* sub) {
    sub->add_option("--djxh", options.djxh, "the payer (default: global_param, the parameters of no payer)")
        ->type_name("X");
    sub->fallthrough();
  };
  options.list = cmd->add_subcommand("list", "Print the parameters the payer reads, with where each comes from");
  djxh(options.list);
  AddOutputOptions(options.list);
  options.get = cmd->add_subcommand("get", "Print the value of one parameter (an empty line when unset)");
  djxh(options.get);
  options.get->add_option("KEY", options.key, "parameter key")->required();
  options.set = cmd->add_subcommand("set", "Store the value of one parameter (written only when it changes)");
  djxh(options.set);
  options.set->add_option("KEY", options.key, "parameter key")->required();
  options.set->add_option("VALUE", options.value, "the new value")->required();
  cmd->footer(
      "A payer's own value shadows the global_param value of the same key.\n"
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor param set --djxh 10001 ygcbxx_gxsj \"2024-05-01 10:00:00\"\n"
      "  velmor param get --djxh 10001 ygcbxx_gxsj\n  velmor param list --djxh 10001");
  return cmd;
}

int RunParamCommand(const GlobalOptions& global, const ParamOptions& options) {
  const std::string djxh = options.djxh.empty() ? std::string(kGlobalParamDjxh) : options.djxh;
  if ((options.get->parsed() || options.set->parsed()) && options.key.empty())
    throw host::HostError("KEY must not be empty");
  PluginSession session(global);
  Ref<ISysParamIntf> params = session.Plugin().CreateService<ISysParamIntf>();
  params->SetDjxh(djxh);
  if (options.list->parsed()) {
    // The source column names the payer whose value shadows, or global_param for an inherited one.
    Output out;
    out.Begin("", {{"key", "参数"}, {"value", "值"}, {"djxh", "来源"}});
    for (const auto& row : nlohmann::json::parse(params->GetValueList()))
      out.Row({row.value("key", ""), row.value("value", ""), row.value("djxh", "")});
    out.Finish();
  } else if (options.get->parsed()) {
    const std::string value = params->GetValue(options.key);
    // An empty value is "not set" only when the parameters could be read; a failed read logs.
    if (value.empty() && !session.Host().Debugger().LastError().empty()) session.Fail("读取系统参数失败");
    std::printf("%s\n", value.c_str());
  } else if (!params->SetValue(options.key, options.value)) {
    session.Fail("保存系统参数[" + options.key + "]失败（" + djxh + "）");
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
