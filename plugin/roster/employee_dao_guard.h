// TEmployeeDaoImpl::Guard and the two small runners every operation file uses (private to the
// store's implementation files).
#pragma once

#include <exception>

#include "roster/employee_dao.h"
#include "roster/roster_sql.h"

namespace velmor {

template <class R, class F>
R TEmployeeDaoImpl::Guard(std::string_view op, LogForm form, const char* failText, R fallback, F&& body) {
  ErrorMessage.clear();
  const std::string where = "TEmployeeDaoImpl." + std::string(op);
  try {
    return std::forward<F>(body)();
  } catch (const DbError& e) {
    ErrorMessage = e.FixedText();
    LogStoreFailure(form, where, e.what());
  } catch (const std::exception& e) {
    ErrorMessage = std::string(failText) + e.what();
    LogStoreFailure(form, where, e.what());
  } catch (...) {
    ErrorMessage = failText;
    LogStoreFailure(form, where, "unknown exception");
  }
  return fallback;
}

}  // namespace velmor
