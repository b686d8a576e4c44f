// The failure conventions of the stores: every store operation catches any exception at its
// boundary, writes one line to the host's debug log naming class and operation, and answers an
// empty result or false. No store raises to its caller.
//
// Two line forms are in use, each store keeping to the one of its tradition:
//   kTrailing:   "[TCodeNameDAO.AddCodeName]异常：" + text
//   kBracketed:  "[异常]TSysParamDaoImpl.getData：[" + text + "]"
//
//   return GuardStore("TCodeNameDAO.AddCodeName", LogForm::kTrailing, false, [&] { ...; return true; });
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace velmor {

enum class LogForm { kTrailing, kBracketed };

// Writes the exception line; never throws (a failing debugger is ignored).
void LogStoreFailure(LogForm form, std::string_view where, std::string_view text) noexcept;
// Writes a plain line ("TCodeNameDAO.GetCodeNameList(数据库查询失败，<engine text>"); never throws.
void LogStoreLine(const std::string& line) noexcept;

// Runs body(); when it raises, logs the line and answers `fallback`.
template <class R, class F>
R GuardStore(std::string_view where, LogForm form, R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (const std::exception& e) {
    LogStoreFailure(form, where, e.what());
  } catch (...) {
    LogStoreFailure(form, where, "unknown exception");
  }
  return fallback;
}

}  // namespace velmor
