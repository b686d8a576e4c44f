#include "store/sys_param.h"

#include <nlohmann/json.hpp>

#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "framework/plugin_service.h"
#include "store/store_guard.h"

namespace velmor {
namespace {

using Lock = std::lock_guard<std::mutex>;

// The rows of a GetAllData answer.
template <class F>
void ForEachRow(const std::string& json, F&& add) {
  nlohmann::json rows = nlohmann::json::parse(json);
  if (!rows.is_array()) throw Exception("参数列表格式错误");
  for (const auto& row : rows) add(row.value("key", std::string()), row.value("value", std::string()));
}

}  // namespace

TSysParamImpl::TSysParamImpl() : dataVO_(Make<TMyDataVO>()) {}

void TSysParamImpl::SetDjxh(const std::string& djxh) {
  Lock lock(mutex_);
  djxh_ = djxh;
  cache_.Clear();
  GuardStore("TSysParamImpl.Load", LogForm::kTrailing, 0, [&] {
    Load();
    return 0;
  });
}

void TSysParamImpl::Load() {
  Ref<ISysParamDAO> dao = CreatePluginService<ISysParamDAO>(kNoSysParamDao);
  ForEachRow(dao->GetAllData(djxh_), [&](std::string k, std::string v) { cache_.AddOwn(std::move(k), std::move(v)); });
  ForEachRow(dao->GetAllData(kGlobalParamDjxh),
             [&](std::string k, std::string v) { cache_.AddGlobal(std::move(k), std::move(v)); });
}

std::string TSysParamImpl::GetValue(const std::string& key) {
  Lock lock(mutex_);
  const std::string* v = cache_.Find(key);
  return v ? *v : std::string();
}

std::string TSysParamImpl::GetValueDef(const std::string& key, const std::string& def) {
  std::string v = GetValue(key);
  return v.empty() ? def : v;
}

bool TSysParamImpl::SetValue(const std::string& key, const std::string& value) {
  std::string djxh;
  {
    Lock lock(mutex_);
    djxh = djxh_;
  }
  return SetValueFor(djxh, key, value);
}

bool TSysParamImpl::Store(ISysParamDAO& dao, const std::string& djxh, const std::string& key,
                          const std::string& value) {
  if (!dao.setData(djxh, key, value)) throw Exception("保存系统参数[" + key + "]失败");
  return true;
}

bool TSysParamImpl::SetValueFor(const std::string& djxh, const std::string& key, const std::string& value) {
  Lock lock(mutex_);
  return GuardStore("TSysParamImpl.SetValueFor", LogForm::kTrailing, false, [&] {
    if (djxh == djxh_) {
      // The current payer: compare with the value it reads now (its own or the global one).
      const std::string* held = cache_.Find(key);
      if (held && *held == value) return true;
      Ref<ISysParamDAO> dao = CreatePluginService<ISysParamDAO>(kNoSysParamDao);
      Store(*dao, djxh, key, value);
      cache_.SetOwn(key, value);
      return true;
    }
    Ref<ISysParamDAO> dao = CreatePluginService<ISysParamDAO>(kNoSysParamDao);
    if (djxh == kGlobalParamDjxh) {
      // A global value: the cache keeps it under the payer's own, which still shadow it.
      const std::string* held = cache_.FindGlobal(key);
      if (held && *held == value) return true;
      Store(*dao, djxh, key, value);
      cache_.SetGlobal(key, value);
      return true;
    }
    // Another payer: its values are not cached; compare with the stored one.
    if (dao->getData(djxh, key) == value && !value.empty()) return true;
    return Store(*dao, djxh, key, value);
  });
}

std::string TSysParamImpl::GetValueList() {
  Lock lock(mutex_);
  return GuardStore<std::string>("TSysParamImpl.GetValueList", LogForm::kTrailing, "[]", [&] {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& e : cache_.Effective()) {
      list.push_back({{"key", e.key}, {"value", e.value}, {"djxh", e.own ? djxh_ : std::string(kGlobalParamDjxh)}});
    }
    return JsonText(list);
  });
}

namespace {
void RegisterSysParam() { RegisterServiceClass(ServiceRowAt(kRowTSysParamImpl).iid, &ClassOf<TSysParamImpl>::Instance()); }
void UnregisterSysParam() { UnregisterServiceClass(ServiceRowAt(kRowTSysParamImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(2, velmor::RegisterSysParam, velmor::UnregisterSysParam)
