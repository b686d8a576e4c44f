#include "framework/registry.h"

#include <cstring>
#include <utility>
#include <vector>

#include "framework/host_access.h"
#include "velmor/exceptions.h"
#include "velmor/module.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

struct RegistryState {
  void (*factoryGetter)(IServiceFactory**) = nullptr;
  void* factoryExtra = nullptr;
  Ref<INamedClassList> classList;
  // Instances of this module's classes that ObtainHostComponent registered in the host's
  // factory. The factory would otherwise release them after the module's code is unloaded.
  struct HostRegistration {
    Guid iid;
    std::string instanceName;
    const IInterface* instance;
  };
  std::vector<HostRegistration> hostRegistrations;
};

// Not a static object: the module's unload sequence (ModuleState's destructor) releases the
// class list and then frees this state explicitly, whatever the order of static destruction.
RegistryState* g_state = nullptr;

RegistryState& State() {
  if (!g_state) g_state = new RegistryState();
  return *g_state;
}

}  // namespace

Ref<IServiceFactory> GetServiceFactory() {
  RegistryState& s = State();
  if (!s.factoryGetter) {
    platform::WindowClassInfo info;
    if (platform::GetWindowClassInfo(kServiceLibraryWindowClass, &info) && info.windowProc) {
      const auto* record = static_cast<const ServiceFactoryRecord*>(info.windowProc);
      s.factoryGetter = record->getter;
      s.factoryExtra = record->extra;
    }
  }
  if (!s.factoryGetter) return nullptr;
  IServiceFactory* raw = nullptr;
  s.factoryGetter(&raw);
  return Ref<IServiceFactory>::Adopt(raw);
}

bool IsServiceFactoryAvailable() { return static_cast<bool>(GetServiceFactory()); }

Ref<IDebugger> GetDebugger() {
  Ref<IServiceFactory> f = GetServiceFactory();
  return f ? f->GetDebugger() : nullptr;
}

Ref<INamedClassList> GetServiceClassList() {
  RegistryState& s = State();
  if (!s.classList) {
    if (Ref<IServiceFactory> f = GetServiceFactory()) {
      if (Ref<IListProvider> provider = f->GetListProvider()) s.classList = provider->GetNamedList(kServiceClassListId);
    }
  }
  return s.classList;
}

void ReleaseServiceClassList() {
  if (g_state) g_state->classList = nullptr;
}

void WithdrawHostRegistrations() noexcept {
  if (!g_state || g_state->hostRegistrations.empty()) return;
  auto registrations = std::move(g_state->hostRegistrations);
  g_state->hostRegistrations.clear();
  try {
    Ref<IServiceFactory> f = GetServiceFactory();
    if (!f) return;
    for (const auto& r : registrations) {
      const bool unnamed = r.instanceName.empty();
      Ref<IInterface> current = unnamed ? f->FindService(r.iid) : f->FindNamedService(r.iid, r.instanceName);
      // Only our own instance: the host may have replaced the slot since.
      if (current.get() != r.instance) continue;
      current = nullptr;
      if (unnamed)
        f->RegisterService(r.iid, nullptr);
      else
        f->RegisterNamedService(r.iid, r.instanceName, nullptr);
    }
  } catch (...) {
    // Unload must go on; a host that cannot be reached holds nothing of ours to withdraw.
  }
}

void ReleaseRegistryState() {
  WithdrawHostRegistrations();
  // The host outlives the loaded module: its components are released while it is still there.
  ReleaseHostComponents();
  delete std::exchange(g_state, nullptr);
}

void RegisterServiceClass(const Guid& iid, const ClassRef* cls) {
  if (iid.IsNull()) return;
  std::string name = iid.ToString();
  Ref<INamedClassList> list = GetServiceClassList();
  if (!list) return;
  int32_t index = list->IndexOfName(name);
  if (index >= 0)
    list->SetClassAt(index, cls);
  else
    list->AddClass(name, cls);
}

void UnregisterServiceClass(const Guid& iid) {
  Ref<INamedClassList> list = GetServiceClassList();
  if (!list || iid.IsNull()) return;
  int32_t index = list->IndexOfName(iid.ToString());
  if (index >= 0) list->Delete(index);
}

Ref<IInterface> ObtainHostComponent(const Guid& iid, const std::string& instanceName,
                                    const std::string& failureMessage) {
  Ref<IServiceFactory> f = GetServiceFactory();
  if (!f || iid.IsNull()) throw Exception(failureMessage);
  Ref<IInterface> found = instanceName.empty() ? f->FindService(iid) : f->FindNamedService(iid, instanceName);
  if (found) return found;
  Ref<IInterface> created;
  bool ok = instanceName.empty() ? f->CreateService(iid.ToString(), iid, created)
                                 : f->CreateNamedService(iid.ToString(), iid, instanceName, created);
  if (!ok || !created) throw Exception(failureMessage);
  if (instanceName.empty())
    f->RegisterService(iid, created.get());
  else
    f->RegisterNamedService(iid, instanceName, created.get());
  State().hostRegistrations.push_back({iid, instanceName, created.get()});
  return created;
}

const ClassRef* LookUpServiceClass(const std::string& guid, std::string& errorText) {
  errorText.clear();
  try {
    Ref<INamedClassList> list = GetServiceClassList();
    if (!list) {
      errorText = "服务类列表不可用：宿主未提供服务工厂，无法查找" + guid + "服务！";
      return nullptr;
    }
    int32_t index = list->IndexOfName(guid);
    if (index >= 0) return list->GetClassAt(index);
    // "%s服务不存在或尚未注册！"
    errorText = guid + "服务不存在或尚未注册！";
  } catch (const std::exception& e) {
    errorText = e.what();
  } catch (...) {
    errorText = "查找服务类时发生未知异常！";
  }
  return nullptr;
}

void TEST_ResetRegistryCaches() {
  RegistryState& s = State();
  s.factoryGetter = nullptr;
  s.factoryExtra = nullptr;
  s.classList = nullptr;
  s.hostRegistrations.clear();
  ReleaseHostComponents();
}

}  // namespace velmor

extern "C" __attribute__((visibility("default"))) const velmor::ClassRef* GetServiceClass_50F165E61988(
    const char16_t* guid, char16_t** errorText) {
  std::string message;
  const velmor::ClassRef* result = nullptr;
  try {
    std::string text = guid ? velmor::platform::Utf16ToUtf8(guid) : std::string();
    result = velmor::LookUpServiceClass(text, message);
  } catch (...) {
    message = "查找服务类时发生未知异常！";
    result = nullptr;
  }
  if (errorText) {
    velmor::platform::velmor_wstr_free(*errorText);
    *errorText = nullptr;
    if (!message.empty()) {
      std::u16string w = velmor::platform::Utf8ToUtf16(message);
      *errorText = velmor::platform::velmor_wstr_alloc(w.data(), static_cast<uint32_t>(w.size()));
    }
  }
  return result;
}
