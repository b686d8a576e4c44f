// An example host of the Velmor service plug-in, built against an installed Velmor only (the CMake
// package or the pkg-config file; see README.md beside this file). It does what every host does:
// publishes its service factory through the platform library, loads the plug-in with dlopen,
// drives it through its five exports, lists the service classes the plug-in registered, and shuts
// it down again.
//
//   velmor-example-host [PLUGIN [DATADIR]]       (PLUGIN: the installed one when left out)
//
// Exits 0 when the plug-in registered at least one class and every class is found again by its
// GUID; 1 with one line on stderr otherwise.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "velmor/exceptions.h"
#include "velmor/module.h"
#include "velmor/object.h"
#include "velmor/platform.h"
#include "velmor/service_factory.h"
#include "velmor/version.h"

namespace {

using namespace velmor;

// The service class list (list 389): the plug-in adds one entry per class at start-up and
// removes them at shut-down. Names are GUID strings, compared without regard to case.
class ClassList final : public Object<INamedClassList> {
 public:
  const ClassRef* GetClassAt(int32_t index) override { return At(index).second; }
  void SetClassAt(int32_t index, const ClassRef* cls) override { At(index).second = cls; }
  void AddClass(const std::string& name, const ClassRef* cls) override {
    if (name.empty() || IndexOfName(name) >= 0) throw EListError("Class list refuses the name \"" + name + "\"");
    entries_.emplace_back(name, cls);
  }
  int32_t IndexOfName(const std::string& name) override {
    for (size_t i = 0; i < entries_.size(); ++i)
      if (SameText(entries_[i].first, name)) return static_cast<int32_t>(i);
    return -1;
  }
  void Delete(int32_t index) override {
    At(index);
    entries_.erase(entries_.begin() + index);
  }
  int32_t Count() override { return static_cast<int32_t>(entries_.size()); }
  std::string GetNameAt(int32_t index) override { return At(index).first; }

 private:
  std::pair<std::string, const ClassRef*>& At(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) throw EListError::IndexOutOfBounds(index);
    return entries_[index];
  }
  static bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
      if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
  }
  std::vector<std::pair<std::string, const ClassRef*>> entries_;
};

class ListProvider final : public Object<IListProvider> {
 public:
  explicit ListProvider(Ref<ClassList> classes) : classes_(std::move(classes)) {}
  Ref<INamedClassList> GetNamedList(int32_t listId) override {
    return listId == kServiceClassListId ? Ref<INamedClassList>(classes_) : nullptr;
  }

 private:
  Ref<ClassList> classes_;
};

// A factory with no host components: enough to start the plug-in and look at its classes. A real
// host registers its database, network, debugger and progress views here (see the interfaces
// under velmor/ that the plug-in asks the factory for).
class Factory final : public Object<IServiceFactory> {
 public:
  Ref<ClassList> classes = Make<ClassList>();

  Ref<IListProvider> GetListProvider() override { return Make<ListProvider>(classes); }
  Ref<IDebugger> GetDebugger() override { return nullptr; }
  Ref<IInterface> FindService(const Guid&) override { return nullptr; }
  Ref<IInterface> FindNamedService(const Guid&, const std::string&) override { return nullptr; }
  void RegisterService(const Guid&, IInterface*) override {}
  void RegisterNamedService(const Guid&, const std::string&, IInterface*) override {}
  bool CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) override {
    return CreateNamedService(classKey, iid, "", out);
  }
  bool CreateNamedService(const std::string& classKey, const Guid& iid, const std::string&,
                          Ref<IInterface>& out) override {
    out = nullptr;
    int32_t i = classes->IndexOfName(classKey);
    if (i < 0) return false;
    void* raw = nullptr;
    Ref<IInterface> instance = classes->GetClassAt(i)->CreateInstance();
    if (instance->QueryInterface(iid, &raw) != kOk || !raw) return false;
    out = Ref<IInterface>::Adopt(static_cast<IInterface*>(raw));
    return true;
  }
};

// The plug-in finds the factory through a window class of the platform library whose
// window-procedure field points at this record.
Factory* g_factory = nullptr;
void GetFactory(IServiceFactory** out) {
  *out = g_factory;
  if (g_factory) g_factory->AddRef();
}
const ServiceFactoryRecord kRecord{&GetFactory, nullptr};

template <class Fn>
Fn Resolve(void* library, const char* name) {
  void* symbol = ::dlsym(library, name);
  if (!symbol) throw std::runtime_error(std::string("the plug-in does not export ") + name);
  return reinterpret_cast<Fn>(symbol);
}

int Run(const std::string& pluginPath, const std::string& dataDir) {
  std::printf("Velmor %s example host\n", VELMOR_VERSION);
  Ref<Factory> factory = Make<Factory>();
  g_factory = factory.get();
  if (!platform::RegisterWindowClass({kServiceLibraryWindowClass, const_cast<ServiceFactoryRecord*>(&kRecord)}))
    throw std::runtime_error("another host has published its factory in this process");

  void* library = ::dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error(std::string("cannot load the plug-in: ") + ::dlerror());
  auto setAppHandle = Resolve<SetAppHandleFn>(library, "SetAppHandle_50F165E61988");
  auto setServiceFactory = Resolve<SetServiceFactoryFn>(library, "SetServiceFactory_50F165E61988");
  auto servicesInit = Resolve<ServicesInitFn>(library, "ServicesInit_50F165E61988");
  auto getServiceClass = Resolve<GetServiceClassFn>(library, "GetServiceClass_50F165E61988");
  auto servicesFinal = Resolve<ServicesFinalFn>(library, "ServicesFinal_50F165E61988");

  setAppHandle(1);
  setServiceFactory(static_cast<IServiceFactory*>(factory.get()));
  std::string params = "SERVICEDLL=" + pluginPath + ";" + (dataDir.empty() ? "" : "DATADIR=" + dataDir);
  servicesInit(platform::Utf8ToUtf16(params).c_str());

  int32_t count = factory->classes->Count();
  int found = 0;
  for (int32_t i = 0; i < count; ++i) {
    std::string guid = factory->classes->GetNameAt(i);
    char16_t* error = nullptr;
    const ClassRef* cls = getServiceClass(platform::Utf8ToUtf16(guid).c_str(), &error);
    platform::velmor_wstr_free(error);  // the caller frees the error text, set or not
    if (cls && cls == factory->classes->GetClassAt(i)) ++found;
    std::printf("%s  %s\n", guid.c_str(), cls ? std::string(cls->ClassName()).c_str() : "(not found)");
  }
  std::printf("%d service classes, %d found by GUID\n", count, found);

  // Class references point into the plug-in's code: nothing may hold one past dlclose.
  servicesFinal();
  ::dlclose(library);
  platform::UnregisterWindowClass(kServiceLibraryWindowClass);
  g_factory = nullptr;
  if (count == 0) throw std::runtime_error("the plug-in registered no service class");
  if (found != count) throw std::runtime_error("a registered class was not found by its GUID");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3) {
    std::fprintf(stderr, "usage: velmor-example-host [PLUGIN [DATADIR]]\n");
    return 2;
  }
  try {
    return Run(argc > 1 ? argv[1] : VELMOR_EXAMPLE_PLUGIN, argc > 2 ? argv[2] : "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor-example-host: %s\n", e.what());
    return 1;
  }
}
