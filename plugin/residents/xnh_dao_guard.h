// TXnhDAO::Guard on the common boundary, shared by the store's implementation files: a
// StoreError gives its fixed text, any other failure failText alone.
#pragma once

#include "framework/boundary.h"
#include "residents/xnh_dao.h"
#include "store/db_access.h"

namespace velmor {

template <class R, class F>
R TXnhDAO::Guard(std::string_view op, const char* failText, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TXnhDAO", op}, {failText, false}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

}  // namespace velmor
