#include "host/platform_manager.h"

#include <filesystem>
#include <system_error>

#include "host/db/database.h"
#include "host/log_level.h"

namespace velmor::host {

PlatformManager::PlatformManager(std::string dataDir, std::shared_ptr<const HostConfig> config, Ref<IDebugger> log,
                                 std::function<void(IDBMechanism&)> setup)
    : dataDir_(std::move(dataDir)),
      config_(std::move(config)),
      log_(std::move(log)),
      setup_(std::move(setup)),
      pool_(DatabasePath(), kMainConnection) {}

Ref<IDBMechanism> PlatformManager::GetDBMechanism(const std::string& connectionName) {
  if (connectionName != kMainConnection) {
    Log(kLogError, "GetDBMechanism(" + connectionName + "): unknown connection name, the host offers only " +
                       kMainConnection);
    return nullptr;
  }
  std::string error;
  Ref<IDBMechanism> db = pool_.Acquire(&error);
  if (!db) {
    Log(kLogError, "GetDBMechanism(" + connectionName + "): " + error);
    return db;
  }
  std::lock_guard lock(setupMutex_);
  if (!setupDone_ && setup_) setup_(*db);
  setupDone_ = true;
  return db;
}

std::string PlatformManager::DatabasePath() const { return dataDir_ + "/" + db::kDatabaseFileName; }

std::string PlatformManager::GetModuleDataDir(const std::string& moduleKey) {
  if (moduleKey.empty() || moduleKey == "." || moduleKey == ".." ||
      moduleKey.find_first_of(std::string("/\\:\0", 4)) != std::string::npos) {
    Log(kLogError, "GetModuleDataDir: \"" + moduleKey + "\" is not a module key");
    return {};
  }
  std::string dir = dataDir_ + "/" + moduleKey + "/";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir, ec)) {
    Log(kLogError, "GetModuleDataDir(" + moduleKey + "): cannot create " + dir + ": " + ec.message());
    return {};
  }
  return dir;
}

std::string PlatformManager::GetModuleSetting(const std::string& moduleKey, const std::string& key) {
  return config_->Get(moduleKey, key);
}

std::string PlatformManager::GetPlatformName() {
  return config_->Get(HostConfig::kPlatform, "name", kDefaultPlatformName);
}

void PlatformManager::Log(int32_t level, const std::string& message) {
  if (log_ && log_->IsActive()) log_->WriteLog(message.c_str(), "platform", level);
}

}  // namespace velmor::host
