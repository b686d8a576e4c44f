#include "fake_debugger.h"

#include "framework/registry.h"
#include "velmor/platform.h"

namespace velmor::testing {
namespace {

class Factory : public Object<IServiceFactory> {
 public:
  Ref<IListProvider> GetListProvider() override { return nullptr; }
  Ref<IDebugger> GetDebugger() override { return debugger; }
  Ref<IInterface> FindService(const Guid&) override { return nullptr; }
  Ref<IInterface> FindNamedService(const Guid&, const std::string&) override { return nullptr; }
  void RegisterService(const Guid&, IInterface*) override {}
  void RegisterNamedService(const Guid&, const std::string&, IInterface*) override {}
  bool CreateService(const std::string&, const Guid&, Ref<IInterface>&) override { return false; }
  bool CreateNamedService(const std::string&, const Guid&, const std::string&, Ref<IInterface>&) override {
    return false;
  }
  Ref<IDebugger> debugger;
};

Factory* g_factory = nullptr;

void GetFactory(IServiceFactory** out) {
  *out = g_factory;
  if (g_factory) g_factory->AddRef();
}

ServiceFactoryRecord g_record{&GetFactory, nullptr};

}  // namespace

FakeDebugHost::FakeDebugHost() : debugger_(Make<FakeDebugger>()) {
  TEST_ResetRegistryCaches();
  g_factory = new Factory();
  g_factory->AddRef();
  g_factory->debugger = debugger_;
  platform::RegisterWindowClass({kServiceLibraryWindowClass, &g_record});
}

FakeDebugHost::~FakeDebugHost() {
  platform::UnregisterWindowClass(kServiceLibraryWindowClass);
  g_factory->Release();
  g_factory = nullptr;
  TEST_ResetRegistryCaches();
}

}  // namespace velmor::testing
