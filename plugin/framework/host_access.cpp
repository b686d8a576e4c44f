#include "framework/host_access.h"

#include <mutex>
#include <utility>

#include "framework/module.h"

namespace velmor {
namespace {

struct HostCache {
  Ref<IServiceFactory> factory;  // the factory the components came from
  Ref<ISysDiffer> sysDiffer;
  Ref<IPlatformManager> platformManager;
  Ref<IUIManager> uiManager;
  Ref<INetCommIntf> net;
  Ref<ICommonFunctions> common;
  Ref<IPortalAgent> portal;
  Ref<IReturnCodeMessage> messages;
  Ref<ISyspzxxIntf> syspzxx;
  Ref<ISealService> seal;
  Ref<ISbfjnService> sbfjn;
  Ref<IDocumentViewer> viewer;
  Ref<IHttpClient> http;
  Ref<IGroupServiceDAO> groups;
  bool finalProcAdded = false;
};

// The one lock of the cache. Constant-initialised, so it is usable whatever the order in which
// the module's statics are set up or torn down; the cache itself lives on the heap, freed by
// ReleaseHostComponents (the module's unload calls it after every thread has ended).
std::mutex g_mutex;
HostCache* g_cache = nullptr;

template <InterfaceType T>
Ref<T> Cached(Ref<T> HostCache::*slot, const char* instance, const char* failure) {
  std::lock_guard lock(g_mutex);
  if (!g_cache) g_cache = new HostCache();
  HostCache& c = *g_cache;
  Ref<IServiceFactory> f = GetServiceFactory();
  // A host that stopped and another that started (the same process, tests) has new components.
  if (c.factory != f) {
    const bool added = c.finalProcAdded;
    c = HostCache();
    c.finalProcAdded = added;
    c.factory = f;
  }
  if (!c.finalProcAdded) {
    AddServiceFinalProc(&ReleaseHostComponents);
    c.finalProcAdded = true;
  }
  if (!(c.*slot)) c.*slot = ObtainHostComponent<T>(instance, failure);
  return c.*slot;
}

}  // namespace

Ref<ISysDiffer> GetSysDiffer() { return Cached(&HostCache::sysDiffer, "", "创建差异化接口失败！"); }
Ref<IPlatformManager> GetPlatformManager() {
  return Cached(&HostCache::platformManager, "Default", "创建门户代理平台组件接口失败！");
}
Ref<IUIManager> GetUIManager() { return Cached(&HostCache::uiManager, "Default", "创建通用界面管理接口失败！"); }
Ref<INetCommIntf> GetNetComm() { return Cached(&HostCache::net, "", "创建平台组件接口失败！"); }
Ref<ICommonFunctions> GetCommonFunctions() {
  return Cached(&HostCache::common, "Default", "创建公共函数集组件接口失败！");
}
Ref<IPortalAgent> GetPortalAgent() { return Cached(&HostCache::portal, "", "创建门户代理组件接口失败！"); }
Ref<IReturnCodeMessage> GetReturnCodeMessage() {
  return Cached(&HostCache::messages, "", "创建返回码信息组件接口失败！");
}
Ref<ISyspzxxIntf> GetSyspzxx() { return Cached(&HostCache::syspzxx, "", "创建系统配置组件接口失败！"); }
Ref<ISealService> GetSealService() { return Cached(&HostCache::seal, "", "创建平台组件接口[ISealService]失败！"); }
Ref<ISbfjnService> GetSbfjnService() {
  return Cached(&HostCache::sbfjn, "", "创建平台组件接口[ISbfjnService]失败！");
}
Ref<IDocumentViewer> GetDocumentViewer() {
  return Cached(&HostCache::viewer, "", "创建平台组件接口[IDocumentViewer]失败！");
}
Ref<IHttpClient> GetHttpClient() { return Cached(&HostCache::http, "", "创建HTTP客户端组件接口失败！"); }
Ref<IGroupServiceDAO> GetGroupServiceDAO() {
  return Cached(&HostCache::groups, "", "创建平台组件接口[IGroupServiceDAO]失败！");
}

std::string NewSerialNo() { return GetCommonFunctions()->NewSerialNo(); }
std::string CurrentDjxh() { return GetPortalAgent()->GetDjxh(); }

std::string RenderMessage(const std::string& code, const std::string& message) {
  Ref<IReturnCodeMessage> m;
  try {
    m = GetReturnCodeMessage();
  } catch (const std::exception&) {
    return message;
  }
  return m->RenderMessage(code, message);
}

void ReleaseHostComponents() {
  HostCache* dropped = nullptr;
  {
    std::lock_guard lock(g_mutex);
    // The shut-down list runs once; a later start adds the procedure again.
    dropped = std::exchange(g_cache, nullptr);
  }
  // Released outside the lock: a component's destructor may call back into the host.
  delete dropped;
}

}  // namespace velmor
