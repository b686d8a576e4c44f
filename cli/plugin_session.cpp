#include "cli/plugin_session.h"

#include "cli/failure.h"
#include "cli/paths.h"
#include "host/log_level.h"

namespace velmor::cli {
namespace {
// Only `velmor init` (and the demo, in its own directory) makes a data directory: here a missing
// one is a mistyped --data or a step left out.
host::HostOptions Options(const GlobalOptions& global) {
  return {ResolveDataDir(global.dataDir), global.verbose, false, global.logLevel};
}
}  // namespace

PluginSession::PluginSession(const GlobalOptions& global) : host_(Options(global)) {
  // Resolve the plug-in first: a wrong --plugin is reported before anything is started.
  std::string pluginPath = ResolvePluginPath(global.pluginPath);
  host_.Start();
  host_.Debugger().Write(host::kLogInfo, "cli", "command: " + global.commandLine);
  plugin_.Load(pluginPath);
  plugin_.Start(0, static_cast<IServiceFactory*>(&host_.Factory()), "DATADIR=" + host_.DataDir());
}

PluginSession::~PluginSession() {
  plugin_.Stop();
  // Read before the host stops: a failure being thrown through here is reported with the cause.
  if (host_.IsStarted())
    RememberSessionLog(host_.Debugger().LastError(), host_.Debugger().HasFile() ? LogPath() : std::string());
  host_.Stop();
}

std::string PluginSession::LogPath() const { return host_.DataDir() + "/" + host::FileDebugger::kFileName; }

void PluginSession::Fail(const std::string& message) const {
  throw host::HostError(message);
}

}  // namespace velmor::cli
