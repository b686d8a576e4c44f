// ServiceFactory: the reference host's IServiceFactory, the registry of component instances and
// the creator of service objects from the service class list (list 389 of its list provider).
//
// Instances are held by reference under (interface GUID, instance name); names compare without
// regard to ASCII case, and the empty name is the unnamed registration (RegisterService and
// RegisterNamedService(iid, "", x) are one slot). Registering null removes the slot. Registration
// and lookup lock, so worker threads may call Find* while the main thread registers. CreateService
// never throws: a missing class, a class lacking the interface or a failing constructor answers
// false and writes the reason to the registered debugger.
//
// Ownership: the factory owns its class list and provider and one reference to every registered
// instance until Clear() (host stop) or its destruction.
#pragma once

#include <map>
#include <shared_mutex>
#include <string>
#include <utility>

#include "host/list_provider.h"
#include "host/named_class_list.h"
#include "velmor/object.h"
#include "velmor/service_factory.h"

namespace velmor::host {

class ServiceFactory final : public Object<IServiceFactory> {
 public:
  ServiceFactory();

  Ref<IListProvider> GetListProvider() override { return provider_; }
  // The instance registered under IDebugger (unnamed); null when none.
  Ref<IDebugger> GetDebugger() override;
  Ref<IInterface> FindService(const Guid& iid) override;
  Ref<IInterface> FindNamedService(const Guid& iid, const std::string& instanceName) override;
  // Replaces an earlier registration of the slot. An instance that does not answer iid raises
  // velmor::Exception and registers nothing.
  void RegisterService(const Guid& iid, IInterface* instance) override;
  void RegisterNamedService(const Guid& iid, const std::string& instanceName, IInterface* instance) override;
  // Looks classKey up in the service class list, creates an instance and asks it for iid; `out`
  // holds the iid interface on success. Does not register the instance.
  bool CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) override;
  bool CreateNamedService(const std::string& classKey, const Guid& iid, const std::string& instanceName,
                          Ref<IInterface>& out) override;

  // Host side.
  const Ref<NamedClassList>& ServiceClasses() const { return classes_; }
  // Drops every registered instance (host stop: breaks cycles between components and factory).
  void Clear();
  size_t RegisteredCount();

 private:
  using Key = std::pair<std::string, std::string>;  // GUID string, lower-cased instance name
  static Key MakeKey(const Guid& iid, const std::string& instanceName);
  void Log(int32_t level, const std::string& message);

  const Ref<NamedClassList> classes_;
  const Ref<ListProvider> provider_;
  std::shared_mutex mutex_;
  std::map<Key, Ref<IInterface>> instances_;
};

}  // namespace velmor::host
