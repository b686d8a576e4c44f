#include "roster/employee_dao.h"

#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "roster/employee_dao_guard.h"

namespace velmor {

std::string TEmployeeDaoImpl::QueryJson(std::string_view op, const std::string& sql) {
  return Guard<std::string>(op, LogForm::kBracketed, kQueryException, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return RowsJson(*db, sql);
  });
}

bool TEmployeeDaoImpl::Exec(std::string_view op, const std::string& sql, const char* failText) {
  return Guard(op, LogForm::kTrailing, failText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, sql, failText);
    return true;
  });
}

namespace {
void RegisterEmployeeDao() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeDaoImpl).iid, &ClassOf<TEmployeeDaoImpl>::Instance());
}
void UnregisterEmployeeDao() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(12, velmor::RegisterEmployeeDao, velmor::UnregisterEmployeeDao)
