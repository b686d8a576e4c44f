#include "framework/fake_host.h"

#include <strings.h>

#include "framework/registry.h"
#include "velmor/exceptions.h"
#include "velmor/platform.h"

namespace velmor::testing {
namespace {

FakeFactory* g_current = nullptr;

void GetFactory(IServiceFactory** out) {
  *out = g_current;
  if (g_current) g_current->AddRef();
}

ServiceFactoryRecord g_record{&GetFactory, reinterpret_cast<void*>(0x5eed)};

}  // namespace

const ClassRef* FakeClassList::GetClassAt(int32_t index) {
  if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
  return entries[static_cast<size_t>(index)].second;
}
void FakeClassList::SetClassAt(int32_t index, const ClassRef* cls) {
  if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
  entries[static_cast<size_t>(index)].second = cls;
}
void FakeClassList::AddClass(const std::string& name, const ClassRef* cls) { entries.emplace_back(name, cls); }
int32_t FakeClassList::IndexOfName(const std::string& name) {
  if (throwOnIndexOfName) throw Exception("类列表已损坏");
  for (size_t i = 0; i < entries.size(); ++i)
    if (strcasecmp(entries[i].first.c_str(), name.c_str()) == 0) return static_cast<int32_t>(i);
  return -1;
}
void FakeClassList::Delete(int32_t index) {
  if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
  entries.erase(entries.begin() + index);
}

FakeFactory::FakeFactory() : classList(Make<FakeClassList>()) {}

Ref<INamedClassList> FakeFactory::GetNamedList(int32_t listId) {
  ++listRequests;
  return listId == kServiceClassListId ? Ref<INamedClassList>(classList) : nullptr;
}
Ref<IInterface> FakeFactory::FindService(const Guid& iid) { return FindNamedService(iid, ""); }
Ref<IInterface> FakeFactory::FindNamedService(const Guid& iid, const std::string& name) {
  auto it = instances.find({iid.ToString(), name});
  return it == instances.end() ? nullptr : it->second;
}
void FakeFactory::RegisterService(const Guid& iid, IInterface* instance) { RegisterNamedService(iid, "", instance); }
void FakeFactory::RegisterNamedService(const Guid& iid, const std::string& name, IInterface* instance) {
  instances[{iid.ToString(), name}] = Ref<IInterface>(instance);
}
bool FakeFactory::CreateService(const std::string& classKey, const Guid& iid, Ref<IInterface>& out) {
  return CreateNamedService(classKey, iid, "", out);
}
bool FakeFactory::CreateNamedService(const std::string& classKey, const Guid&, const std::string&,
                                     Ref<IInterface>& out) {
  ++createCalls;
  auto it = creatable.find(classKey);
  if (it == creatable.end()) return false;
  out = it->second;
  return true;
}

FakeHost::FakeHost() : factory_(Make<FakeFactory>()) {
  TEST_ResetRegistryCaches();
  g_current = factory_.get();
  platform::RegisterWindowClass({kServiceLibraryWindowClass, &g_record});
}

FakeHost::~FakeHost() {
  platform::UnregisterWindowClass(kServiceLibraryWindowClass);
  g_current = nullptr;
  TEST_ResetRegistryCaches();
}

}  // namespace velmor::testing
