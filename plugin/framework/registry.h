// Service registry and lookup: registering the module's service classes in the host's named
// class list (list 389 of the service factory), finding the host's service factory through the
// platform's window-class registry, and the cached host singletons.
//
// Everything here runs on the host's main thread; the caches carry no lock. Services obtain the
// singletons on the main thread before handing them to worker threads.
#pragma once

#include <string>

#include "velmor/class_ref.h"
#include "velmor/debugger.h"
#include "velmor/exceptions.h"
#include "velmor/named_class_list.h"
#include "velmor/platform_manager.h"
#include "velmor/ref.h"
#include "velmor/service_factory.h"
#include "velmor/sys_differ.h"

namespace velmor {

// Registers cls under the GUID string of iid, replacing an entry of that name. Does nothing
// (silently) when iid is null or the class list is unavailable.
void RegisterServiceClass(const Guid& iid, const ClassRef* cls);
void UnregisterServiceClass(const Guid& iid);

// The host's factory, or null when the host registered no service-library window class.
Ref<IServiceFactory> GetServiceFactory();
bool IsServiceFactoryAvailable();
// The host's debugger, afresh from the factory; null without a factory.
Ref<IDebugger> GetDebugger();

// The service class list (cached once found); null without a factory.
Ref<INamedClassList> GetServiceClassList();
void ReleaseServiceClassList();
// Removes from the host's factory the instances that ObtainHostComponent created and registered
// there, where the slot still holds them: they are objects of this module and must not outlive
// its code. Runs at shut-down (ServicesFinal) and at unload; never throws.
void WithdrawHostRegistrations() noexcept;
// Library unload: withdraws those registrations and frees the module's registry state (the cached factory getter, class list and
// host singletons). A later call of any function here starts afresh.
void ReleaseRegistryState();

// Cached host singletons. Each raises velmor::Exception with its fixed message when the host can
// neither find nor create it ("创建差异化接口失败！", "创建门户代理平台组件接口失败！",
// "创建通用界面管理接口失败！"); nothing is cached then, so the next call tries again.
Ref<ISysDiffer> GetSysDiffer();
Ref<IPlatformManager> GetPlatformManager();
Ref<IUIManager> GetUIManager();

// Finds a host component (FindService / FindNamedService), or creates and registers it
// (CreateService / CreateNamedService with the GUID string as class key, then Register*).
// Raises velmor::Exception(failureMessage) when neither works. instanceName empty = unnamed.
Ref<IInterface> ObtainHostComponent(const Guid& iid, const std::string& instanceName,
                                    const std::string& failureMessage);
template <InterfaceType T>
Ref<T> ObtainHostComponent(const std::string& instanceName, const std::string& failureMessage) {
  Ref<T> r = Query<T>(ObtainHostComponent(T::kIid, instanceName, failureMessage));
  if (!r) throw Exception(failureMessage);
  return r;
}

// The body of GetServiceClass_50F165E61988: the class or null with errorText set.
const ClassRef* LookUpServiceClass(const std::string& guid, std::string& errorText);

// Drops the cached factory getter and singletons (tests that swap hosts in one process).
void TEST_ResetRegistryCaches();

}  // namespace velmor
