// Service registry: registering the module's service classes in the host's named class list
// (list 389 of the service factory), finding the host's service factory through the platform's
// window-class registry, and obtaining host components from it. The cached host components and
// the lookup of other services are in host_access.h, with their thread rule.
//
// Registration and the class list run on the host's main thread (start-up, shut-down, the
// GetServiceClass export). GetServiceFactory may be called from any thread once the main thread
// has called it: it only reads the getter found then, and the host's getter is thread-safe.
#pragma once

#include <string>

#include "velmor/class_ref.h"
#include "velmor/debugger.h"
#include "velmor/exceptions.h"
#include "velmor/named_class_list.h"
#include "velmor/ref.h"
#include "velmor/service_factory.h"

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
// Library unload: withdraws those registrations and frees the module's registry state (the
// cached factory getter and class list) and the cached host components. A later call of any
// function here starts afresh.
void ReleaseRegistryState();

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

// Drops the cached factory getter, class list and host components (tests that swap hosts in one
// process).
void TEST_ResetRegistryCaches();

}  // namespace velmor
