// Helpers shared by the files of TRcsbMgr: the store it forwards to, the operation boundary that
// turns exceptions into the user's message and the log line, and small steps of the exchanges.
//
// Plain functions; each uses only its arguments and the module's host components, so the
// thread rule is that of the caller (one manager object per thread at a time).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "declaration/dao_support.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "store/store_guard.h"
#include "velmor/progress_view.h"
#include "velmor/rcsb_dao.h"

namespace velmor::declaration {

inline Ref<IRcsbDAO> Dao() { return CreatePluginService<IRcsbDAO>("创建平台组件接口[IRcsbDAO]失败！"); }

// "[TRcsbMgr.<op>]异常：<text>" to the host debug log; never throws.
inline void LogMgr(std::string_view op, std::string_view text) noexcept { LogFailure({"TRcsbMgr", op}, text); }

// Runs body on the common boundary; any exception gives `prefix` (+ its text when appendText) to
// the user in `error` and in the last-error text `last`, and the log line. Clears both on success.
// The exception types named in `Own` are the operation's own refusals, shown without the prefix.
template <class... Own, class F>
bool Boundary(const char* op, const std::string& prefix, bool appendText, std::string& error, std::string& last,
              F&& body) noexcept {
  const bool ok = Attempt<Own...>({"TRcsbMgr", op}, {prefix, appendText}, &error, [&] {
    body();
    error.clear();
    last.clear();
  });
  if (!ok) last = error;
  return ok;
}

// Raises the store's error text when a store call failed.
inline void Check(IRcsbDAO& dao, bool ok) {
  if (!ok) throw Exception(dao.GetErrorMessage());
}

// The stored master of the current payer selected by `key` ("id" or "yzpzxh"); raises
// "申报记录[value]不存在" when there is none.
Json MasterBy(IRcsbDAO& dao, const char* key, const Json& value);
inline Json Master(IRcsbDAO& dao, int32_t id) { return MasterBy(dao, "id", id); }

// The answer's document as stored: its root element printed without formatting.
std::string RawText(const taxml::Response& answer);

// The "0053" list query of one payer type; empty dates leave that range open.
taxml::Call SbqdQueryCall(const std::string& djxh, const std::string& jfrlx, const std::string& sbrqq,
                          const std::string& sbrqz, const std::string& fkssqq, const std::string& fkssqz,
                          IProgressView* progress);

inline void Advance(IProgressView* progress, int32_t by) {
  if (progress && by > 0) progress->SetPosition(progress->GetPosition() + by);
}

}  // namespace velmor::declaration
