#include "host/file_debugger.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
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
  maxBytes_ = options.maxBytes;
  file_ = std::fopen(path_.c_str(), "ab");
  if (file_) {
    std::fseek(file_, 0, SEEK_END);
    size_ = std::ftell(file_);
    if (maxBytes_ > 0 && size_ >= maxBytes_) RotateLocked();  // not shared yet: no lock needed
    return;
  }
  const std::string why = "cannot open log file " + path_ + ": " + std::strerror(errno);
  if (!options.stderrWhenUnwritable) throw HostError(why);
  std::fprintf(stderr, "velmor: %s; warnings and errors go to stderr\n", why.c_str());
}

bool FileDebugger::HasFile() const {
  std::lock_guard lock(mutex_);
  return file_ != nullptr;
}

void FileDebugger::RotateLocked() {
  std::fclose(file_);
  if (std::rename(path_.c_str(), RotatedPath().c_str()) != 0) {
    // Cannot rotate (e.g. the directory is read-only): go on appending.
    file_ = std::fopen(path_.c_str(), "ab");
    maxBytes_ = 0;
    return;
  }
  file_ = std::fopen(path_.c_str(), "ab");
  size_ = 0;
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
  if (!file_) {
    if (echo_ || level <= kLogWarning) std::fwrite(line.data(), 1, line.size(), stderr);
    return;
  }
  if (maxBytes_ > 0 && size_ + static_cast<int64_t>(line.size()) > maxBytes_ && size_ > 0) RotateLocked();
  if (!file_) return;
  // Flushed per record so that the log is complete up to a crash.
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
  size_ += static_cast<int64_t>(line.size());
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
