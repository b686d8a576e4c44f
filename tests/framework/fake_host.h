// A minimal in-process host for the framework tests: a service factory with a named class list,
// reachable through the service-library window class, and call counters for the assertions.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "velmor/object.h"
#include "velmor/service_factory.h"
#include "velmor/sys_differ.h"

namespace velmor::testing {

class FakeClassList : public Object<INamedClassList> {
 public:
  const ClassRef* GetClassAt(int32_t index) override;
  void SetClassAt(int32_t index, const ClassRef* cls) override;
  void AddClass(const std::string& name, const ClassRef* cls) override;
  int32_t IndexOfName(const std::string& name) override;
  void Delete(int32_t index) override;
  int32_t Count() override { return static_cast<int32_t>(entries.size()); }
  std::string GetNameAt(int32_t index) override { return entries.at(static_cast<size_t>(index)).first; }

  std::vector<std::pair<std::string, const ClassRef*>> entries;
  bool throwOnIndexOfName = false;
};

class FakeFactory : public Object<IServiceFactory, IListProvider> {
 public:
  FakeFactory();
  Ref<IListProvider> GetListProvider() override { return Ref<IListProvider>(this); }
  Ref<INamedClassList> GetNamedList(int32_t listId) override;
  Ref<IDebugger> GetDebugger() override { return debugger; }
  Ref<IInterface> FindService(const Guid& iid) override;
  Ref<IInterface> FindNamedService(const Guid& iid, const std::string& name) override;
  void RegisterService(const Guid& iid, IInterface* instance) override;
  void RegisterNamedService(const Guid& iid, const std::string& name, IInterface* instance) override;
  bool CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) override;
  bool CreateNamedService(const std::string& classKey, const Guid& iid, const std::string& name,
                          Ref<IInterface>& out) override;

  Ref<FakeClassList> classList;
  Ref<IDebugger> debugger;
  std::map<std::pair<std::string, std::string>, Ref<IInterface>> instances;  // (iid, name)
  std::map<std::string, Ref<IInterface>> creatable;                           // by class key
  int createCalls = 0;
  int listRequests = 0;
};

// Installs a FakeFactory behind the service-library window class for the life of the object,
// and resets the plug-in's registry caches on both ends.
class FakeHost {
 public:
  FakeHost();
  ~FakeHost();
  FakeFactory& factory() { return *factory_; }

 private:
  Ref<FakeFactory> factory_;
};

class FakeSysDiffer : public Object<ISysDiffer> {
 public:
  std::string GetDifferValue(const std::string& key) override { return "v:" + key; }
};

}  // namespace velmor::testing
