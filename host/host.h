// Host: the reference host of one data directory. Start() reads the configuration, opens the
// debug log, registers the host components in a new ServiceFactory and publishes the factory
// through the service-library window class, where the plug-in looks for it; Stop() undoes that.
//
// Components registered while started (all shared with the plug-in through the factory):
//   IDebugger        (unnamed)    FileDebugger on <data dir>/velmor.log
//   ISysDiffer       (unnamed)    SysDiffer over [differ]
//   IPlatformManager "Default"    PlatformManager
//   IUIManager       "Default"    UIManager (UI(): who answers its questions)
//   and the components of host/components/network_components.h (INetCommIntf,
//   ICommonFunctions, IPortalAgent, IReturnCodeMessage, ISyspzxxIntf) and of
//   host/components/payment_components.h (ISbfjnService, ISealService, IDocumentViewer)
// and the home-page window (host/components/home_page.h), whose handle is stored as the system
// parameter "homepage_handle" by PublishHomePage(), only by the commands that show notices (a
// command that does not is never made to write the database).
// One Host may be started per process at a time (the window class is process-wide). Start and
// Stop run on the main thread; the components themselves are thread-safe. Stop the plug-in
// (PluginHost) before the host that it found.
#pragma once

#include <memory>
#include <string>

#include "host/components/home_page.h"
#include "host/file_debugger.h"
#include "host/host_config.h"
#include "host/platform_manager.h"
#include "host/service_factory.h"
#include "host/ui_manager.h"
#include "velmor/ref.h"

namespace velmor::host {

struct HostOptions {
  std::string dataDir;   // relative paths are taken from the current directory
  bool verbose = false;  // echo log records to stderr
  // Whether a missing data directory is created; when false it is refused with "not a data
  // directory" (a mistyped path must not leave a new directory behind).
  bool createDataDir = true;
  // The log's level for this run, instead of [log] level; -1: as configured.
  int32_t logLevel = -1;
};

// The refusal of a data directory that does not exist: "not a data directory: DIR (run velmor init ...)".
std::string NotADataDirectory(const std::string& dir);

class Host {
 public:
  explicit Host(HostOptions options);
  ~Host();  // Stop()
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Raises HostError, leaving nothing registered: no data directory, a directory that cannot be
  // created, a malformed velmor.conf, a log that cannot be opened, another host already started.
  // Does nothing when already started.
  void Start();
  // Idempotent; never throws.
  void Stop();
  bool IsStarted() const { return factory_ != nullptr; }

  // Absolute, without a trailing separator; set by Start().
  const std::string& DataDir() const { return dataDir_; }
  std::string ConfigPath() const { return dataDir_ + "/" + HostConfig::kFileName; }
  // Valid while started.
  const HostConfig& Config() const { return *config_; }
  ServiceFactory& Factory() const { return *factory_; }
  FileDebugger& Debugger() const { return *debugger_; }
  // The home-page window: the notices it received. Valid while started.
  components::HomePage& HomePage() const { return *homePage_; }
  // The user-interface manager: install who answers the plug-in's yes/no questions. Valid while
  // started.
  UIManager& UI() const { return *ui_; }
  // Stores the home-page window's handle as the system parameter "homepage_handle" in the main
  // database, so that services can send it notices; false (logged) when it cannot be written.
  bool PublishHomePage();

  // The service-library window class record points here: getter and extra (a version text).
  static const ServiceFactoryRecord& Record();

 private:
  HostOptions options_;
  std::string dataDir_;
  std::shared_ptr<const HostConfig> config_;
  Ref<FileDebugger> debugger_;
  Ref<ServiceFactory> factory_;
  std::unique_ptr<components::HomePage> homePage_;
  Ref<PlatformManager> platform_;
  Ref<UIManager> ui_;
};

// The debug-log settings of a configuration: [log] level as an integer threshold, "off" (the log
// is inactive), or every level when unset or empty. Raises HostError for any other text.
struct LogSettings {
  bool active = true;
  int32_t threshold = FileDebugger::kAllLevels;
  int64_t maxBytes = int64_t{10} << 20;  // [log] max_size_mb (default 10; 0: no limit)
};
LogSettings ReadLogSettings(const HostConfig& config, const std::string& origin);

}  // namespace velmor::host
