// TXnhDAO::Guard, shared by the store's implementation files.
#pragma once

#include <exception>

#include "residents/xnh_dao.h"
#include "store/store_guard.h"

namespace velmor {

template <class R, class F>
R TXnhDAO::Guard(std::string_view op, const char* failText, R fallback, F&& body) {
  ErrorMessage.clear();
  const std::string where = "TXnhDAO." + std::string(op);
  try {
    return std::forward<F>(body)();
  } catch (const DbError& e) {
    ErrorMessage = e.FixedText();
    LogStoreFailure(LogForm::kTrailing, where, e.what());
  } catch (const std::exception& e) {
    ErrorMessage = failText;
    LogStoreFailure(LogForm::kTrailing, where, e.what());
  } catch (...) {
    ErrorMessage = failText;
    LogStoreFailure(LogForm::kTrailing, where, "unknown exception");
  }
  return fallback;
}

}  // namespace velmor
