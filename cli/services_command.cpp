// `velmor services`: start a host on the data directory, load the plug-in, list the service
// classes it registered (GUID string and class name), shut it down and unload it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/paths.h"
#include "host/host.h"
#include "host/plugin_host.h"

namespace velmor::cli {

CLI::App* AddServicesCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("services", "Load the plug-in and list the service classes it registers");
  cmd->footer(
      "Prints one line per registered class: its GUID string and its class name.\n"
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Example:\n  velmor --data /tmp/velmor-data services");
  return cmd;
}

int RunServicesCommand(const GlobalOptions& global) {
  // Resolve both paths first: a wrong --plugin is reported before anything is started.
  std::string pluginPath = ResolvePluginPath(global.pluginPath);
  host::Host h({ResolveDataDir(global.dataDir), global.verbose, false, global.logLevel});
  h.Start();
  host::PluginHost plugin;
  plugin.Load(pluginPath);
  plugin.Start(0, static_cast<IServiceFactory*>(&h.Factory()), "DATADIR=" + h.DataDir());
  auto entries = h.Factory().ServiceClasses()->Entries();
  for (const auto& e : entries) {
    std::string name = e.cls ? std::string(e.cls->ClassName()) : std::string("(no class)");
    std::printf("%s  %s\n", e.name.c_str(), name.c_str());
  }
  std::fflush(stdout);
  plugin.Stop();
  if (global.verbose) std::fprintf(stderr, "velmor: %zu service classes registered\n", entries.size());
  h.Stop();
  return 0;
}

}  // namespace velmor::cli
