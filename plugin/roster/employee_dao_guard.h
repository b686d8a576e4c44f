// TEmployeeDaoImpl::Guard on the common boundary (private to the store's implementation files):
// a StoreError gives its fixed text, any other failure failText + its text.
#pragma once

#include "framework/boundary.h"
#include "roster/employee_dao.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"

namespace velmor {

template <class R, class F>
R TEmployeeDaoImpl::Guard(std::string_view op, LogForm form, const char* failText, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TEmployeeDaoImpl", op, form}, {failText}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

}  // namespace velmor
