#include "store/store_guard.h"

#include "framework/log.h"

namespace velmor {

void LogStoreFailure(LogForm form, std::string_view where, std::string_view text) noexcept {
  try {
    if (form == LogForm::kTrailing) {
      LogException(where, text);
    } else {
      std::string line = "[异常]";
      line.append(where).append("：[").append(text).append("]");
      LogMessage(line, {}, kLevelError);
    }
  } catch (...) {
  }
}

void LogStoreLine(const std::string& line) noexcept {
  try {
    LogMessage(line, {}, kLevelError);
  } catch (...) {
  }
}

}  // namespace velmor
