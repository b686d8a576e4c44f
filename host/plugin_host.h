// PluginHost: loads the service plug-in (libVelmorService.so) with dlopen and drives it only
// through its five C entry points (velmor/module.h).
//
//   PluginHost plugin;
//   plugin.Load(path);      // dlopen + resolve the five exports
//   plugin.Start();         // SetAppHandle, SetServiceFactory, ServicesInit("SERVICEDLL=<path>;...")
//   Ref<IFoo> foo = plugin.CreateService<IFoo>();   // GetServiceClass(IFoo GUID) -> instance
//   plugin.Stop();          // ServicesFinal, dlclose
//
// A Host must be started before Start() so that the plug-in finds the factory. Service objects
// and class references obtained from the plug-in must be released before Stop(): their code is
// unmapped by dlclose. Failures raise HostError with one line. Not thread-safe: the host's main
// thread drives the plug-in. The dynamic loader shares one loaded copy between PluginHosts that
// load the same file.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_error.h"
#include "velmor/class_ref.h"
#include "velmor/module.h"
#include "velmor/ref.h"

namespace velmor::host {

class PluginHost {
 public:
  static constexpr const char* kLibraryName = "libVelmorService.so";

  // The resolved entry points.
  struct Exports {
    SetAppHandleFn setAppHandle = nullptr;
    SetServiceFactoryFn setServiceFactory = nullptr;
    ServicesInitFn servicesInit = nullptr;
    GetServiceClassFn getServiceClass = nullptr;
    ServicesFinalFn servicesFinal = nullptr;
  };

  PluginHost() = default;
  ~PluginHost();  // Stop(), errors swallowed
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Raises HostError "plug-in not found: <path>", "cannot load plug-in <path>: <loader error>",
  // "plug-in <path> does not export <name>" (the library is closed again), or "a plug-in is
  // already loaded".
  void Load(const std::string& path);
  // Start-up: SetAppHandle_50F165E61988(appHandle), SetServiceFactory_50F165E61988(factory),
  // ServicesInit_50F165E61988(u"SERVICEDLL=<absolute path>;" + extraParams). Raises HostError
  // when nothing is loaded. Does nothing when already started.
  void Start(uint32_t appHandle = 0, void* factory = nullptr, const std::string& extraParams = "");
  // ServicesFinal_50F165E61988 when started, then dlclose. Idempotent, never throws.
  void Stop();

  bool IsLoaded() const { return handle_ != nullptr; }
  bool IsStarted() const { return started_; }
  // The absolute path of the loaded library ("" when none).
  const std::string& Path() const { return path_; }
  const Exports& GetExports() const { return exports_; }

  // GetServiceClass_50F165E61988: the class registered under guid, or null with *errorText set to
  // the plug-in's text (its WideString is freed here). Raises HostError when nothing is loaded.
  const ClassRef* GetServiceClass(const std::string& guid, std::string* errorText = nullptr);
  // A new service object from the class under guid, as interface T. Raises HostError with the
  // plug-in's text when the class is missing, or "<class> does not implement <iid>".
  template <InterfaceType T>
  Ref<T> CreateService(const std::string& guid) {
    Ref<IInterface> obj = CreateInstance(guid);
    Ref<T> r = Query<T>(obj);
    if (!r) throw HostError(MissingInterfaceText(guid, T::kIid));
    return r;
  }
  template <InterfaceType T>
  Ref<T> CreateService() {
    return CreateService<T>(T::kIid.ToString());
  }

 private:
  Ref<IInterface> CreateInstance(const std::string& guid);
  std::string MissingInterfaceText(const std::string& guid, const Guid& iid);
  void RequireLoaded() const;

  void* handle_ = nullptr;
  std::string path_;
  Exports exports_;
  bool started_ = false;
};

}  // namespace velmor::host
