// The failure convention of the stores on the common boundary (framework/boundary.h): every
// store operation catches any exception, writes one line to the host's debug log naming class
// and operation, and answers an empty result or false. No store raises to its caller.
//
//   return GuardStore("TCodeNameDAO.AddCodeName", LogForm::kTrailing, false, [&] { ...; return true; });
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "framework/boundary.h"
#include "framework/log.h"

namespace velmor {

inline void LogStoreFailure(LogForm form, std::string_view where, std::string_view text) noexcept {
  LogFailure(form, where, text);
}

// Writes a plain line ("TCodeNameDAO.GetCodeNameList(数据库查询失败，<engine text>"); never throws.
inline void LogStoreLine(const std::string& line) noexcept {
  try {
    LogMessage(line, {}, kLevelError);
  } catch (...) {
  }
}

// Runs body(); when it raises, logs the line under `where` ("Class.Op") and answers `fallback`.
template <class R, class F>
R GuardStore(std::string_view where, LogForm form, R fallback, F&& body) noexcept {
  return Guarded<>({where, {}, form}, {}, nullptr, std::move(fallback), std::forward<F>(body));
}

}  // namespace velmor
