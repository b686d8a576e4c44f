#include "cli/failure.h"

namespace velmor::cli {
namespace {
std::string g_lastError;
std::string g_logPath;

constexpr std::string_view kGeneric = "系统异常，请稍后再试";
constexpr std::string_view kExceptionMark = "异常：";
}  // namespace

void RememberSessionLog(const std::string& lastError, const std::string& logPath) {
  g_lastError = lastError;
  g_logPath = logPath;
}

std::string CauseOfRecord(const std::string& record) {
  // The plug-in's failure records read "[Class.Method]异常：cause" or "[异常]Class.Method：[cause]".
  if (record.empty() || record[0] != '[') return record;
  constexpr std::string_view kOtherForm = "[异常]";
  if (record.compare(0, kOtherForm.size(), kOtherForm) == 0) {
    const size_t open = record.find("：[");
    if (open == std::string::npos || record.back() != ']') return record;
    const size_t start = open + std::string_view("：[").size();
    return start < record.size() - 1 ? record.substr(start, record.size() - 1 - start) : record;
  }
  const size_t close = record.find(']');
  if (close == std::string::npos) return record;
  std::string rest = record.substr(close + 1);
  if (rest.compare(0, kExceptionMark.size(), kExceptionMark) == 0) rest.erase(0, kExceptionMark.size());
  return rest.empty() ? record : rest;
}

std::string DescribeFailure(const std::string& message) {
  std::string line = message;
  const std::string cause = CauseOfRecord(g_lastError);
  if (!cause.empty() && message.find(cause) == std::string::npos) {
    // A generic text says nothing the cause does not; otherwise keep both.
    line = message == kGeneric ? cause : message + "：" + cause;
  }
  if (!g_logPath.empty() && line.find(" (see ") == std::string::npos) line += " (see " + g_logPath + ")";
  return line;
}

}  // namespace velmor::cli
