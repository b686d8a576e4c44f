// IPlatformManager: the host component that hands out database connections and data directories.
//
// GetDBMechanism is the first slot (connection "VELMORMainCon"); a new connection object per call,
// null with a logged reason for an unknown name. Module directories end with the platform
// separator and exist when returned. Safe on any thread.
#pragma once

#include <string>

#include "velmor/db_mechanism.h"
#include "velmor/interface.h"
#include "velmor/ref.h"

namespace velmor {

inline constexpr const char* kMainConnection = "VELMORMainCon";
inline constexpr const char* kModuleKey = "M8";

class IPlatformManager : public IInterface {
 public:
  VELMOR_IID("{644D3FE1-3F3E-47E4-A51C-8FC1179C5494}")
  virtual Ref<IDBMechanism> GetDBMechanism(const std::string& connectionName) = 0;
  // The data directory of a module key ("M8"), with a trailing separator; created when missing.
  virtual std::string GetModuleDataDir(const std::string& moduleKey) = 0;
  // A platform setting of a module ("M8", "sbztcxExistsJfzt"); empty when not set.
  virtual std::string GetModuleSetting(const std::string& moduleKey, const std::string& key) = 0;
  // The platform's name (the subfolder of per-platform difference files).
  virtual std::string GetPlatformName() = 0;

 protected:
  ~IPlatformManager() = default;
};

}  // namespace velmor
