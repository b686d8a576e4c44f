#include "framework/module.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/registry.h"
#include "velmor/module.h"

namespace velmor {
namespace {

// Each entry carries its unit order; plain adds carry kAppended and so stay after every unit
// added before them.
constexpr int kAppended = 1 << 30;
struct ProcEntry {
  int order;
  ServiceProc proc;
};
struct ProcLists {
  std::vector<ProcEntry> init;
  std::vector<ProcEntry> final;
};

// Created on first use (the first add may come from another unit's static initialiser).
ProcLists& Lists() {
  static ProcLists lists;
  return lists;
}

bool Contains(const std::vector<ProcEntry>& list, ServiceProc p) {
  return std::any_of(list.begin(), list.end(), [&](const ProcEntry& e) { return e.proc == p; });
}

void Insert(std::vector<ProcEntry>& list, int order, ServiceProc proc) {
  if (!proc || Contains(list, proc)) return;
  auto at = std::upper_bound(list.begin(), list.end(), order,
                             [](int o, const ProcEntry& e) { return o < e.order; });
  list.insert(at, ProcEntry{order, proc});
}

struct ModuleState {
  std::string dllPath;
  std::string dir;
  platform::WindowHandle savedAppHandle = 0;
  platform::FormatSettings formatSettings;

  ModuleState() {
    formatSettings = platform::GetUserLocaleSettings();
    formatSettings.dateSeparator = '-';
    formatSettings.timeSeparator = ':';
    formatSettings.timeAmString.clear();
    formatSettings.timePmString.clear();
    formatSettings.shortDateFormat = "yyyy-m-d";
    formatSettings.longDateFormat = "yyyy-mm-dd";
    formatSettings.shortTimeFormat = "hh:nn:ss";
  }

  // Library unload, in the documented order.
  ~ModuleState() {
    ReleaseServiceClassList();
    if (savedAppHandle != 0) platform::SetApplicationHandle(savedAppHandle);
    Lists().init.clear();
    Lists().final.clear();
    dir.clear();
    dllPath.clear();
    ReleaseServiceClassList();
    ReleaseRegistryState();
  }
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

template <class F>
void Guarded(F&& f) noexcept {
  try {
    f();
  } catch (...) {
    // Start-up and shut-down failures are discarded by design: one failing unit must not keep
    // the others from registering, and nothing may reach the host.
  }
}

}  // namespace

void AddServiceInitProc(ServiceProc proc) { Insert(Lists().init, kAppended, proc); }
void AddServiceFinalProc(ServiceProc proc) { Insert(Lists().final, kAppended, proc); }

void AddServiceUnit(int unitOrder, ServiceProc init, ServiceProc final) {
  Insert(Lists().init, unitOrder, init);
  Insert(Lists().final, unitOrder, final);
}

std::string GetParamValue(std::string_view params, std::string_view key) {
  if (key.empty()) return {};
  std::string needle(key);
  needle.push_back('=');
  size_t at = params.find(needle);
  if (at == std::string_view::npos) return {};
  size_t start = at + needle.size();
  size_t end = params.find(';', start);
  if (end == std::string_view::npos) end = params.size();
  return std::string(params.substr(start, end - start));
}

std::string DirectoryPart(std::string_view path) {
  size_t at = path.find_last_of("\\/:");
  if (at == std::string_view::npos) return {};
  return std::string(path.substr(0, at + 1));
}

const std::string& ServiceDllPath() { return State().dllPath; }
const std::string& ServiceDir() { return State().dir; }
platform::WindowHandle SavedAppHandle() { return State().savedAppHandle; }
const platform::FormatSettings& ModuleFormatSettings() { return State().formatSettings; }

void RunServiceInitProcs() {
  // Copy: a procedure may add to the lists while they run.
  std::vector<ProcEntry> procs = Lists().init;
  for (const ProcEntry& e : procs)
    if (e.proc) Guarded(e.proc);
}

void RunServiceFinalProcs() {
  std::vector<ProcEntry> procs = Lists().final;
  for (auto it = procs.rbegin(); it != procs.rend(); ++it)
    if (it->proc) Guarded(it->proc);
}

size_t TEST_InitProcCount() { return Lists().init.size(); }
size_t TEST_FinalProcCount() { return Lists().final.size(); }
void TEST_ResetProcLists() {
  Lists().init.clear();
  Lists().final.clear();
}

namespace {
// Fill the format settings when the library loads, as the classic unit initialisation does.
[[maybe_unused]] const bool g_state_ready = (State(), true);
}  // namespace

}  // namespace velmor

// ---- The C entry points ------------------------------------------------------------------------
using velmor::State;

extern "C" __attribute__((visibility("default"))) void SetAppHandle_50F165E61988(uint32_t handle) {
  auto& s = State();
  s.savedAppHandle = velmor::platform::GetApplicationHandle();
  velmor::platform::SetApplicationHandle(handle);
}

extern "C" __attribute__((visibility("default"))) void SetServiceFactory_50F165E61988(void* /*factory*/) {
  // Accepted and ignored: the plug-in finds the host's factory through the window class.
}

extern "C" __attribute__((visibility("default"))) void ServicesInit_50F165E61988(const char16_t* params) {
  velmor::Guarded([&] {
    std::string text = params ? velmor::platform::Utf16ToUtf8(params) : std::string();
    auto& s = State();
    s.dllPath = velmor::GetParamValue(text, "SERVICEDLL");
    s.dir = velmor::DirectoryPart(s.dllPath);
    velmor::RunServiceInitProcs();
  });
}

extern "C" __attribute__((visibility("default"))) void ServicesFinal_50F165E61988() {
  velmor::Guarded([] { velmor::RunServiceFinalProcs(); });
  velmor::WithdrawHostRegistrations();
}
