#include "store/code_name_dao.h"

#include <nlohmann/json.hpp>

#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql.h"
#include "store/store_guard.h"

namespace velmor {

std::string TCodeNameDAO::GetCodeNameList(int32_t lb) {
  return GuardStore<std::string>("TCodeNameDAO.GetCodeNameList", LogForm::kTrailing, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds;
    if (!db->OpenQuery(FormatSql("select * from sb_dmmcb where lb=%d", {lb}), ds)) {
      LogStoreLine("TCodeNameDAO.GetCodeNameList(数据库查询失败，" + db->GetErrorText());
      return std::string("[]");
    }
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (; !ds->Eof(); ds->Next()) {
      list.push_back({{"code", FieldText(*ds, "dm")}, {"name", FieldText(*ds, "mc")}});
    }
    return JsonText(list);
  });
}

bool TCodeNameDAO::AddCodeName(int32_t lb, const std::string& dm, const std::string& mc) {
  return GuardStore("TCodeNameDAO.AddCodeName", LogForm::kTrailing, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    std::string update = FormatSql(" update sb_dmmcb set mc = %s where lb = %d and dm = %s ", {Q(mc), lb, Q(dm)});
    std::string insert = FormatSql(" insert into sb_dmmcb(lb, dm, mc) values (%d, %s, %s) ", {lb, Q(dm), Q(mc)});
    std::string error;
    if (!UpdateElseInsert(*db, update, insert, &error)) throw StoreError(kDbUpdateFailed, error);
    return true;
  });
}

namespace {
void RegisterCodeNameDAO() {
  RegisterServiceClass(ServiceRowAt(kRowTCodeNameDAO).iid, &ClassOf<TCodeNameDAO>::Instance());
}
void UnregisterCodeNameDAO() { UnregisterServiceClass(ServiceRowAt(kRowTCodeNameDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(3, velmor::RegisterCodeNameDAO, velmor::UnregisterCodeNameDAO)
