#include "host/host.h"

#include <charconv>
#include <filesystem>
#include <mutex>

#include "host/host_error.h"
#include "host/log_level.h"
#include "host/components/group_store.h"
#include "host/components/network_components.h"
#include "host/components/payment_components.h"
#include "host/db/database.h"
#include "host/platform_manager.h"
#include "host/sys_differ.h"
#include "host/text_util.h"
#include "host/ui_manager.h"
#include "velmor/platform.h"

namespace velmor::host {
namespace {

// The factory that the window class hands out; guarded so that the plug-in's lookups from any
// thread never see a factory half torn down.
std::mutex g_mutex;
IServiceFactory* g_current = nullptr;  // holds one reference while set

void GetCurrentFactory(IServiceFactory** out) {
  if (!out) return;
  std::lock_guard lock(g_mutex);
  *out = g_current;
  if (g_current) g_current->AddRef();
}

constexpr char kRecordExtra[] = "velmor-host/1";
const ServiceFactoryRecord kRecord{&GetCurrentFactory, const_cast<char*>(kRecordExtra)};

}  // namespace

const ServiceFactoryRecord& Host::Record() { return kRecord; }

LogSettings ReadLogSettings(const HostConfig& config, const std::string& origin) {
  LogSettings s;
  if (auto size = config.Find(HostConfig::kLog, "max_size_mb"); size && !size->empty()) {
    int64_t mb = -1;
    auto [end, ec] = std::from_chars(size->data(), size->data() + size->size(), mb);
    if (ec != std::errc() || end != size->data() + size->size() || mb < 0 || mb > 1 << 20)
      throw HostError(origin + ": [log] max_size_mb must be a number of megabytes (0: no limit), not \"" + *size +
                      "\"");
    s.maxBytes = mb << 20;
  }
  auto level = config.Find(HostConfig::kLog, "level");
  if (!level || level->empty()) return s;
  if (EqualsIgnoreCase(*level, "off")) {
    s.active = false;
    return s;
  }
  int32_t v = 0;
  auto [end, ec] = std::from_chars(level->data(), level->data() + level->size(), v);
  if (ec != std::errc() || end != level->data() + level->size())
    throw HostError(origin + ": [log] level must be an integer or \"off\", not \"" + *level + "\"");
  s.threshold = v;
  return s;
}

std::string NotADataDirectory(const std::string& dir) {
  return "not a data directory: " + dir + " (run velmor init --data " + dir + ")";
}

Host::Host(HostOptions options) : options_(std::move(options)) {}

Host::~Host() { Stop(); }

void Host::Start() {
  namespace fs = std::filesystem;
  if (IsStarted()) return;
  if (options_.dataDir.empty()) throw HostError("no data directory given");
  std::error_code ec;
  fs::path dir = fs::absolute(options_.dataDir, ec).lexically_normal();
  std::string text = dir.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  if (!options_.createDataDir && !fs::is_directory(text))
    throw HostError(NotADataDirectory(text));
  if (options_.createDataDir) fs::create_directories(text, ec);
  if (!fs::is_directory(text)) {
    throw HostError("cannot create data directory " + text + (ec ? ": " + ec.message() : ": not a directory"));
  }
  std::string configPath = text + "/" + HostConfig::kFileName;
  auto config = std::make_shared<const HostConfig>(HostConfig::Load(configPath));
  LogSettings log = ReadLogSettings(*config, configPath);

  FileDebugger::Options dopts;
  dopts.path = text + "/" + FileDebugger::kFileName;
  dopts.active = log.active || options_.logLevel >= 0;
  dopts.threshold = options_.logLevel >= 0 ? options_.logLevel : log.threshold;
  dopts.maxBytes = log.maxBytes;
  dopts.echoToStderr = options_.verbose;
  dopts.stderrWhenUnwritable = true;  // a read-only data directory can still be read
  Ref<FileDebugger> debugger = Make<FileDebugger>(std::move(dopts));

  auto homePage = std::make_unique<components::HomePage>();
  Ref<ServiceFactory> factory = Make<ServiceFactory>();
  factory->RegisterService(IDebugger::kIid, debugger.get());
  factory->RegisterService(ISysDiffer::kIid, Make<SysDiffer>(config).get());
  Ref<PlatformManager> platform = Make<PlatformManager>(text, config, Ref<IDebugger>(debugger));
  factory->RegisterNamedService(IPlatformManager::kIid, "Default", platform.get());
  Ref<UIManager> ui = Make<UIManager>();
  factory->RegisterNamedService(IUIManager::kIid, "Default", ui.get());
  factory->RegisterService(IGroupServiceDAO::kIid,
                           Make<components::GroupStore>(text + "/" + db::kDatabaseFileName,
                                                        [debugger](const std::string& line) {
                                                          debugger->Write(kLogError, "host", line);
                                                        })
                               .get());
  components::RegisterNetworkComponents(*factory, *config, text, configPath,
                                        [debugger](int32_t level, const std::string& line) {
                                          debugger->Write(level, "net", line);
                                        });
  components::RegisterPaymentComponents(*factory, *config);

  {
    std::lock_guard lock(g_mutex);
    platform::WindowClassInfo info{kServiceLibraryWindowClass, const_cast<ServiceFactoryRecord*>(&kRecord)};
    if (g_current || !platform::RegisterWindowClass(info)) {
      factory->Clear();
      throw HostError("another host is already started in this process");
    }
    g_current = factory.get();
    g_current->AddRef();
  }
  dataDir_ = text;
  config_ = std::move(config);
  debugger_ = std::move(debugger);
  factory_ = std::move(factory);
  homePage_ = std::move(homePage);
  platform_ = std::move(platform);
  ui_ = std::move(ui);
  debugger_->Write(kLogInfo, "host", "host started, data directory " + dataDir_);
}

bool Host::PublishHomePage() {
  if (!IsStarted()) return false;
  Ref<IDBMechanism> db = platform_->GetDBMechanism(kMainConnection);
  if (db && db->ExecSQL(homePage_->StoreHandleSql())) return true;
  debugger_->Write(kLogError, "host", "cannot store the home-page window handle");
  return false;
}

void Host::Stop() {
  if (!IsStarted()) return;
  IServiceFactory* published = nullptr;
  {
    std::lock_guard lock(g_mutex);
    platform::UnregisterWindowClass(kServiceLibraryWindowClass);
    published = std::exchange(g_current, nullptr);
  }
  if (published) published->Release();
  debugger_->Write(kLogInfo, "host", "host stopped");
  factory_->Clear();
  factory_ = nullptr;
  homePage_ = nullptr;
  platform_ = nullptr;
  ui_ = nullptr;
  debugger_ = nullptr;
  config_ = nullptr;
}

}  // namespace velmor::host
