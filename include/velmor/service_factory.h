// IServiceFactory: the host's registry of component instances and creator of services.
//
// Services and host components are found by interface identity, optionally under an instance
// name; CreateService builds an instance from the class registered in the service class list under
// `classKey` (a GUID string) and returns it as interface `iid`. Operations are in slot order.
// Used on the host's main thread; Find* may be called from worker threads.
#pragma once

#include <string>

#include "velmor/debugger.h"
#include "velmor/interface.h"
#include "velmor/named_class_list.h"
#include "velmor/ref.h"

namespace velmor {

class IServiceFactory : public IInterface {
 public:
  VELMOR_IID("{B822F3A3-8EEF-4176-A790-35A9112982E5}")
  virtual Ref<IListProvider> GetListProvider() = 0;
  virtual Ref<IDebugger> GetDebugger() = 0;
  virtual Ref<IInterface> FindService(const Guid& iid) = 0;
  virtual Ref<IInterface> FindNamedService(const Guid& iid, const std::string& instanceName) = 0;
  virtual void RegisterService(const Guid& iid, IInterface* instance) = 0;
  virtual void RegisterNamedService(const Guid& iid, const std::string& instanceName, IInterface* instance) = 0;
  // False (and `out` empty) when no class is registered under classKey, or it lacks iid.
  virtual bool CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) = 0;
  virtual bool CreateNamedService(const std::string& classKey, const Guid& iid, const std::string& instanceName,
                                  Ref<IInterface>& out) = 0;

 protected:
  ~IServiceFactory() = default;
};

// The window class through which the plug-in finds the factory (shared by host and plug-in), and
// the record its window-procedure field points to.
inline constexpr const char* kServiceLibraryWindowClass = "VelmorServiceLibraryClass";

struct ServiceFactoryRecord {
  // Fills *out with a new reference to the factory (or null).
  void (*getter)(IServiceFactory** out);
  void* extra;
};

}  // namespace velmor
