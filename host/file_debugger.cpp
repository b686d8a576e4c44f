#include "host/file_debugger.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "host/host_error.h"
#include "velmor/platform.h"

namespace velmor::host {
namespace {

std::string TimeStamp() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return buf;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
}

std::string ProcText(std::string_view verb, const std::string& name, const std::string& detail) {
  std::string s(verb);
  s += ' ';
  s += name;
  if (!detail.empty()) s += " (" + detail + ")";
  return s;
}

}  // namespace

FileDebugger::FileDebugger(Options options)
    : path_(std::move(options.path)),
      active_(options.active),
      threshold_(options.threshold),
      echo_(options.echoToStderr) {
  file_ = std::fopen(path_.c_str(), "ab");
  if (!file_) throw HostError("cannot open log file " + path_ + ": " + std::strerror(errno));
}

FileDebugger::~FileDebugger() {
  if (file_) std::fclose(file_);
}

void FileDebugger::Write(int32_t level, std::string_view category, std::string_view message) {
  if (level <= kLogError && !message.empty()) {
    std::lock_guard lock(mutex_);
    lastError_.assign(message);
  }
  if (!IsActive() || level > Threshold()) return;
  std::string line = TimeStamp();
  line += " L" + std::to_string(level) + " " + std::to_string(::gettid()) + " [";
  AppendEscaped(line, category);
  line += "] ";
  AppendEscaped(line, message);
  line += '\n';
  std::lock_guard lock(mutex_);
  // Flushed per record so that the log is complete up to a crash.
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
  if (echo_) std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string FileDebugger::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void FileDebugger::EnterProc(const std::string& name, const std::string& detail) {
  Write(kLogDebug, "proc", ProcText("Enter", name, detail));
}

void FileDebugger::LeaveProc(const std::string& name, const std::string& detail) {
  Write(kLogDebug, "proc", ProcText("Leave", name, detail));
}

void FileDebugger::WriteLog(const char* message, const char* category, int32_t level) {
  Write(level, category ? category : "", message ? message : "");
}

void FileDebugger::WriteText(const char* message, const char* category, int32_t level) {
  Write(level, category ? category : "", message ? message : "");
}

void FileDebugger::WriteWideText(const std::u16string& message, const std::u16string& category, int32_t level) {
  Write(level, platform::Utf16ToUtf8(category), platform::Utf16ToUtf8(message));
}

}  // namespace velmor::host
