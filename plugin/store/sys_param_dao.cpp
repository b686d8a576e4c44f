#include "store/sys_param_dao.h"

#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql.h"
#include "store/store_guard.h"

namespace velmor {
namespace {

std::string KeyedSelect(const std::string& djxh, const std::string& key) {
  return FormatSql(" select * from sb_xtcsb where djxh = '%s' and key = '%s' ", {V(djxh), V(key)});
}

}  // namespace

std::string TSysParamDaoImpl::getData(const std::string& djxh, const std::string& key) {
  return GuardStore<std::string>("TSysParamDaoImpl.getData", LogForm::kBracketed, "", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(*db, KeyedSelect(djxh, key));
    return ds->Eof() ? std::string() : FieldText(*ds, "value");
  });
}

bool TSysParamDaoImpl::setData(const std::string& djxh, const std::string& key, const std::string& value) {
  return GuardStore("TSysParamDaoImpl.setData", LogForm::kBracketed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const FieldValue fields[] = {{"djxh", djxh}, {"key", key}, {"value", value}};
    std::string error;
    if (!SaveKeyedRow(*db, KeyedSelect(djxh, key), fields, &error)) throw StoreError(kDbUpdateFailed, error);
    return true;
  });
}

std::string TSysParamDaoImpl::GetAllData(const std::string& djxh) {
  return GuardStore<std::string>("TSysParamDaoImpl.GetAllData", LogForm::kBracketed, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(*db, FormatSql(" select * from sb_xtcsb where djxh = '%s'", {V(djxh)}));
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (; !ds->Eof(); ds->Next()) {
      list.push_back({{"key", FieldText(*ds, "key")}, {"value", FieldText(*ds, "value")}});
    }
    return JsonText(list);
  });
}

namespace {
void RegisterSysParamDao() {
  RegisterServiceClass(ServiceRowAt(kRowTSysParamDaoImpl).iid, &ClassOf<TSysParamDaoImpl>::Instance());
}
void UnregisterSysParamDao() { UnregisterServiceClass(ServiceRowAt(kRowTSysParamDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(4, velmor::RegisterSysParamDao, velmor::UnregisterSysParamDao)
