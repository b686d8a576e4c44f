#include "host/plugin_host.h"

#include <dlfcn.h>

#include <filesystem>

#include "velmor/platform.h"

namespace velmor::host {
namespace {

std::string LoaderError() {
  const char* e = ::dlerror();
  std::string s = e ? e : "unknown error";
  for (char& c : s)
    if (c == '\n') c = ' ';
  return s;
}

}  // namespace

PluginHost::~PluginHost() { Stop(); }

void PluginHost::Load(const std::string& path) {
  namespace fs = std::filesystem;
  if (handle_) throw HostError("a plug-in is already loaded (" + path_ + ")");
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(path, ec)) throw HostError("plug-in not found: " + path);
  std::string absolute = fs::absolute(path, ec).lexically_normal().string();
  if (ec) absolute = path;
  ::dlerror();
  void* handle = ::dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw HostError("cannot load plug-in " + absolute + ": " + LoaderError());
  Exports e;
  auto resolve = [&](const char* name) {
    void* sym = ::dlsym(handle, name);
    if (!sym) {
      ::dlclose(handle);
      throw HostError("plug-in " + absolute + " does not export " + name);
    }
    return sym;
  };
  e.setAppHandle = reinterpret_cast<SetAppHandleFn>(resolve("SetAppHandle_50F165E61988"));
  e.setServiceFactory = reinterpret_cast<SetServiceFactoryFn>(resolve("SetServiceFactory_50F165E61988"));
  e.servicesInit = reinterpret_cast<ServicesInitFn>(resolve("ServicesInit_50F165E61988"));
  e.getServiceClass = reinterpret_cast<GetServiceClassFn>(resolve("GetServiceClass_50F165E61988"));
  e.servicesFinal = reinterpret_cast<ServicesFinalFn>(resolve("ServicesFinal_50F165E61988"));
  handle_ = handle;
  path_ = absolute;
  exports_ = e;
}

void PluginHost::RequireLoaded() const {
  if (!handle_) throw HostError("no plug-in is loaded");
}

void PluginHost::Start(uint32_t appHandle, void* factory, const std::string& extraParams) {
  RequireLoaded();
  if (started_) return;
  exports_.setAppHandle(appHandle);
  exports_.setServiceFactory(factory);
  std::u16string params = platform::Utf8ToUtf16("SERVICEDLL=" + path_ + ";" + extraParams);
  exports_.servicesInit(params.c_str());
  started_ = true;
}

void PluginHost::Stop() {
  if (!handle_) return;
  if (started_) exports_.servicesFinal();
  started_ = false;
  ::dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
  exports_ = Exports{};
}

const ClassRef* PluginHost::GetServiceClass(const std::string& guid, std::string* errorText) {
  RequireLoaded();
  std::u16string wide = platform::Utf8ToUtf16(guid);
  char16_t* error = nullptr;
  const ClassRef* cls = exports_.getServiceClass(wide.c_str(), &error);
  if (errorText) *errorText = error ? platform::Utf16ToUtf8(error) : std::string();
  platform::velmor_wstr_free(error);
  return cls;
}

Ref<IInterface> PluginHost::CreateInstance(const std::string& guid) {
  std::string error;
  const ClassRef* cls = GetServiceClass(guid, &error);
  if (!cls) throw HostError(error.empty() ? guid + ": no service class" : error);
  Ref<IInterface> obj = cls->CreateInstance();
  if (!obj) throw HostError(std::string(cls->ClassName()) + " created no instance");
  return obj;
}

std::string PluginHost::MissingInterfaceText(const std::string& guid, const Guid& iid) {
  std::string error;
  const ClassRef* cls = GetServiceClass(guid, &error);
  std::string name = cls ? std::string(cls->ClassName()) : guid;
  return name + " does not implement " + iid.ToString();
}

}  // namespace velmor::host
