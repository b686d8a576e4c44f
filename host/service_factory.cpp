#include "host/service_factory.h"

#include <mutex>

#include "host/log_level.h"
#include "host/text_util.h"
#include "velmor/exceptions.h"

namespace velmor::host {

ServiceFactory::ServiceFactory()
    : classes_(Make<NamedClassList>()), provider_(Make<ListProvider>(classes_)) {}

ServiceFactory::Key ServiceFactory::MakeKey(const Guid& iid, const std::string& instanceName) {
  return {iid.ToString(), AsciiLower(instanceName)};
}

Ref<IDebugger> ServiceFactory::GetDebugger() { return Query<IDebugger>(FindService(IDebugger::kIid)); }

Ref<IInterface> ServiceFactory::FindService(const Guid& iid) { return FindNamedService(iid, std::string()); }

Ref<IInterface> ServiceFactory::FindNamedService(const Guid& iid, const std::string& instanceName) {
  std::shared_lock lock(mutex_);
  auto it = instances_.find(MakeKey(iid, instanceName));
  return it == instances_.end() ? nullptr : it->second;
}

void ServiceFactory::RegisterService(const Guid& iid, IInterface* instance) {
  RegisterNamedService(iid, std::string(), instance);
}

void ServiceFactory::RegisterNamedService(const Guid& iid, const std::string& instanceName, IInterface* instance) {
  // Check before taking the lock: QueryInterface is the instance's code.
  if (instance) {
    void* probe = nullptr;
    if (instance->QueryInterface(iid, &probe) != kOk || !probe)
      throw Exception("RegisterService: the instance does not implement " + iid.ToString());
    static_cast<IInterface*>(probe)->Release();
  }
  Ref<IInterface> old;  // released outside the lock: its destructor may call back into the factory
  {
    std::unique_lock lock(mutex_);
    Key key = MakeKey(iid, instanceName);
    auto it = instances_.find(key);
    if (it != instances_.end()) {
      old = std::move(it->second);
      instances_.erase(it);
    }
    if (instance) instances_.emplace(std::move(key), Ref<IInterface>(instance));
  }
}

bool ServiceFactory::CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) {
  return CreateNamedService(classKey, iid, std::string(), out);
}

bool ServiceFactory::CreateNamedService(const std::string& classKey, const Guid& iid,
                                        const std::string& instanceName, Ref<IInterface>& out) {
  out = nullptr;
  std::string what = "CreateService(" + classKey + (instanceName.empty() ? "" : ", " + instanceName) + ")";
  const ClassRef* cls = classes_->FindClass(classKey);
  if (!cls) {
    Log(kLogWarning, what + ": no class is registered under this key");
    return false;
  }
  try {
    Ref<IInterface> instance = cls->CreateInstance();
    void* raw = nullptr;
    if (!instance || instance->QueryInterface(iid, &raw) != kOk || !raw) {
      Log(kLogWarning, what + ": class " + std::string(cls->ClassName()) + " does not implement " + iid.ToString());
      return false;
    }
    // Every interface derives singly from IInterface, so the iid pointer is an IInterface pointer.
    out = Ref<IInterface>::Adopt(static_cast<IInterface*>(raw));
    return true;
  } catch (const std::exception& e) {
    Log(kLogError, what + ": constructor of " + std::string(cls->ClassName()) + " failed: " + e.what());
  } catch (...) {
    Log(kLogError, what + ": constructor of " + std::string(cls->ClassName()) + " failed");
  }
  return false;
}

void ServiceFactory::Clear() {
  std::map<Key, Ref<IInterface>> old;
  {
    std::unique_lock lock(mutex_);
    old.swap(instances_);
  }
}

size_t ServiceFactory::RegisteredCount() {
  std::shared_lock lock(mutex_);
  return instances_.size();
}

void ServiceFactory::Log(int32_t level, const std::string& message) {
  try {
    if (Ref<IDebugger> d = GetDebugger(); d && d->IsActive()) d->WriteLog(message.c_str(), "factory", level);
  } catch (...) {
    // The reason is informational; a failing log must not change the answer.
  }
}

}  // namespace velmor::host
