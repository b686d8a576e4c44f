// How a failed command is reported: one line on stderr naming the real cause. A service often
// answers with a generic text ("系统异常，请稍后再试") while the cause it logged is specific, so the
// session records the last error its log saw and where that log is, and the final message adds
// both. Main thread only (one session per run).
#pragma once

#include <string>

namespace velmor::cli {

// Called by a session as it ends: the last error record of its log ("" when none) and the log's
// path ("" when the log was stderr).
void RememberSessionLog(const std::string& lastError, const std::string& logPath);

// The cause part of a logged error record: "[TRcsbMgr.GetSbFk]异常：申报记录[1]不存在" gives
// "申报记录[1]不存在"; other texts are returned as they are.
std::string CauseOfRecord(const std::string& record);

// The line for a failed command's message: the message, the cause when the message does not
// already name it, and "(see LOG)" once a session had a log.
std::string DescribeFailure(const std::string& message);

}  // namespace velmor::cli
