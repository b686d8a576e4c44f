// Fixtures for tests that need a running reference host, and the real plug-in loaded into it.
//
//   StartedHost env;                 // temporary data directory + started host::Host
//   LoadedPlugin env("[differ]\nk = v\n");   // the same, plus libVelmorService.so loaded and started
//   env.plugin().GetServiceClass("{...}", &error);
//
// Both raise host::HostError from the constructor when the host or the plug-in cannot start (a
// test then fails with that message). The destructor stops the plug-in before the host and
// removes the directory. One of them may exist at a time in a process (one host per process).
#pragma once

#include <string>

#include "host/host.h"
#include "host/plugin_host.h"
#include "support/temp_dir.h"

namespace velmor::testing {

class StartedHost {
 public:
  // configText, when not empty, is written to velmor.conf before the host starts.
  explicit StartedHost(const std::string& configText = "");
  ~StartedHost();
  StartedHost(const StartedHost&) = delete;
  StartedHost& operator=(const StartedHost&) = delete;

  host::Host& host() { return host_; }
  host::ServiceFactory& factory() { return host_.Factory(); }
  const TempDir& dir() const { return dir_; }
  const std::string& dataDir() const { return host_.DataDir(); }
  // The whole debug log written so far.
  std::string LogText() const;

 private:
  TempDir dir_;
  host::Host host_;
};

class LoadedPlugin : public StartedHost {
 public:
  // Loads VELMOR_PLUGIN_PATH (the built plug-in) and runs its start-up.
  explicit LoadedPlugin(const std::string& configText = "");
  ~LoadedPlugin();

  host::PluginHost& plugin() { return plugin_; }
  // Shut-down and unload ahead of the destructor (to check what they leave behind).
  void Unload() { plugin_.Stop(); }

 private:
  host::PluginHost plugin_;
};

// The path of the built plug-in.
const char* PluginPath();

}  // namespace velmor::testing
