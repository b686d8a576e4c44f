// PluginSession: what a command that works through the plug-in's services needs for its run:
// a started host on the data directory and the plug-in loaded and started in it. The destructor
// stops the plug-in, then the host. Service objects taken from plugin() must be released before
// the session ends (their code is unloaded with the plug-in). Raises HostError on failure.
#pragma once

#include <string>

#include "host/host_error.h"

#include "cli/commands.h"
#include "host/host.h"
#include "host/plugin_host.h"

namespace velmor::cli {

class PluginSession {
 public:
  explicit PluginSession(const GlobalOptions& global);
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  host::Host& Host() { return host_; }
  host::PluginHost& Plugin() { return plugin_; }
  // The debug log file, for messages that send the user there.
  std::string LogPath() const;
  // A failed service call: raises HostError with its message (main adds the cause and the log).
  [[noreturn]] void Fail(const std::string& message) const;
  // A service of the plug-in by interface; raises "创建平台组件接口[<name>]失败！" when it has none.
  template <class T>
  Ref<T> Require(const char* name) {
    Ref<T> service = plugin_.CreateService<T>();
    if (!service) throw host::HostError(std::string("创建平台组件接口[") + name + "]失败！");
    return service;
  }

 private:
  host::Host host_;
  host::PluginHost plugin_;
};

}  // namespace velmor::cli
