// TJfjeqrDAOImpl::Guard on the common boundary, shared by the store's implementation files.
#pragma once

#include "fees/jfjeqr_dao.h"
#include "framework/boundary.h"
#include "store/db_access.h"

namespace velmor {

template <class R, class F>
R TJfjeqrDAOImpl::Guard(std::string_view op, const char* prefix, bool appendText, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TJfjeqrDAOImpl", op}, {prefix, appendText}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

}  // namespace velmor
