// PlatformManager: the host's IPlatformManager (instance "Default"): data directories of modules,
// module settings from the host configuration, the platform name, and database connections.
//
// Module data directories are <data dir>/<module key>/, created on demand; a key that is not a
// plain folder name ("", ".", "..", or one holding a path separator) answers an empty text with a
// logged reason instead of reaching outside the data directory. GetDBMechanism("VELMORMainCon")
// hands out a connection of its own to <data dir>/velmor.db per call, one kept from an earlier
// caller or a new one (host/db/connection_pool.h); any other name, or a file that cannot be
// opened, answers null and logs why. The first main connection handed out is first given to the
// setup hook (the host seeds its system parameters there). Immutable after construction but for
// that one-time flag and the pool (each locked), so safe on any thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "host/db/connection_pool.h"
#include "host/host_config.h"
#include "velmor/debugger.h"
#include "velmor/object.h"
#include "velmor/platform_manager.h"

namespace velmor::host {

class PlatformManager final : public Object<IPlatformManager> {
 public:
  static constexpr const char* kDefaultPlatformName = "Velmor";

  // dataDir: absolute, without a trailing separator. log may be null.
  // setup: run once, on the first main connection opened (may be empty).
  PlatformManager(std::string dataDir, std::shared_ptr<const HostConfig> config, Ref<IDebugger> log,
                  std::function<void(IDBMechanism&)> setup = {});

  Ref<IDBMechanism> GetDBMechanism(const std::string& connectionName) override;
  std::string GetModuleDataDir(const std::string& moduleKey) override;
  // The value of `key` in the section named after the module key ("[M8]").
  std::string GetModuleSetting(const std::string& moduleKey, const std::string& key) override;
  // [platform] name, or kDefaultPlatformName.
  std::string GetPlatformName() override;

  // The database file behind the main connection.
  std::string DatabasePath() const;

 private:
  void Log(int32_t level, const std::string& message);

  const std::string dataDir_;
  const std::shared_ptr<const HostConfig> config_;
  const Ref<IDebugger> log_;
  const std::function<void(IDBMechanism&)> setup_;
  db::ConnectionPool pool_;
  std::mutex setupMutex_;
  bool setupDone_ = false;
};

}  // namespace velmor::host
