#include "support/host_fixture.h"

#include "velmor/service_factory.h"

namespace velmor::testing {
namespace {
host::HostOptions OptionsFor(const TempDir& dir, const std::string& configText) {
  if (!configText.empty() && !WriteFile(dir.File(host::HostConfig::kFileName), configText))
    throw host::HostError("cannot write the test configuration");
  return host::HostOptions{dir.path(), false};
}
}  // namespace

const char* PluginPath() { return VELMOR_PLUGIN_PATH; }

StartedHost::StartedHost(const std::string& configText) : host_(OptionsFor(dir_, configText)) { host_.Start(); }

StartedHost::~StartedHost() { host_.Stop(); }

std::string StartedHost::LogText() const { return ReadFile(dir_.File(host::FileDebugger::kFileName)); }

LoadedPlugin::LoadedPlugin(const std::string& configText) : StartedHost(configText) {
  plugin_.Load(PluginPath());
  plugin_.Start(0, static_cast<IServiceFactory*>(&factory()), "DATADIR=" + dataDir());
}

LoadedPlugin::~LoadedPlugin() { plugin_.Stop(); }

}  // namespace velmor::testing
