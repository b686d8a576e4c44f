#include "framework/taxml_host.h"

#include <mutex>

#include "framework/module.h"
#include "framework/registry.h"

namespace velmor::taxml {
namespace {

struct Cache {
  std::mutex mutex;
  Ref<IServiceFactory> factory;  // the factory the components came from
  Ref<INetCommIntf> net;
  Ref<ICommonFunctions> common;
  Ref<IPortalAgent> portal;
  Ref<IReturnCodeMessage> messages;
  Ref<ISyspzxxIntf> syspzxx;
  bool finalProcAdded = false;

  void Clear() {
    net = nullptr;
    common = nullptr;
    portal = nullptr;
    messages = nullptr;
    syspzxx = nullptr;
    factory = nullptr;
  }
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

template <class T>
Ref<T> Cached(Ref<T> Cache::*slot, const std::string& instance, const std::string& failure) {
  Cache& c = TheCache();
  std::lock_guard lock(c.mutex);
  Ref<IServiceFactory> f = GetServiceFactory();
  // A host that stopped and another that started (the same process, tests) has new components.
  if (c.factory != f) {
    c.Clear();
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

Ref<INetCommIntf> GetNetComm() { return Cached(&Cache::net, "", "创建平台组件接口失败！"); }
Ref<ICommonFunctions> GetCommonFunctions() {
  return Cached(&Cache::common, "Default", "创建公共函数集组件接口失败！");
}
Ref<IPortalAgent> GetPortalAgent() { return Cached(&Cache::portal, "", "创建门户代理组件接口失败！"); }
Ref<IReturnCodeMessage> GetReturnCodeMessage() {
  return Cached(&Cache::messages, "", "创建返回码信息组件接口失败！");
}
Ref<ISyspzxxIntf> GetSyspzxx() { return Cached(&Cache::syspzxx, "", "创建系统配置组件接口失败！"); }

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
  Cache& c = TheCache();
  std::lock_guard lock(c.mutex);
  c.Clear();
  c.finalProcAdded = false;  // the final list runs once; a later start adds it again
}

}  // namespace velmor::taxml
