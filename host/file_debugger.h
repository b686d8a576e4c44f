// FileDebugger: the host's IDebugger, appending one line per record to a log file (velmor.log in
// the data directory), optionally echoed to stderr.
//
// A line is "<yyyy-mm-dd hh:nn:ss.zzz> L<level> <thread> [<category>] <message>"; line breaks
// inside a message are written as "\n" and "\r" so every record stays one line. EnterProc and
// LeaveProc write "Enter <name>" / "Leave <name>" (with " (<detail>)" when given) at kLogDebug in
// category "proc". Records above the level threshold are dropped; while inactive nothing is
// written and IsActive answers false, so callers skip formatting (error records are still
// remembered for LastError). A failed write is dropped:
// logging never throws into the caller. Thread-safe: records from several threads are whole lines.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>

#include "host/log_level.h"
#include "velmor/debugger.h"
#include "velmor/object.h"

namespace velmor::host {

class FileDebugger final : public Object<IDebugger> {
 public:
  static constexpr const char* kFileName = "velmor.log";
  static constexpr int32_t kAllLevels = std::numeric_limits<int32_t>::max();

  struct Options {
    std::string path;
    int32_t threshold = kAllLevels;  // records with level <= threshold are written
    bool active = true;
    bool echoToStderr = false;
    // When the file cannot be opened (a read-only data directory): warnings and errors go to
    // stderr instead of raising.
    bool stderrWhenUnwritable = false;
    // When the file reaches this size it is renamed to "<path>.1" (replacing an older one) and a
    // new file begins; 0: no limit.
    int64_t maxBytes = 0;
  };

  // Opens the file for appending (created when missing). Raises HostError when it cannot, unless
  // stderrWhenUnwritable.
  explicit FileDebugger(Options options);
  ~FileDebugger() override;

  bool IsActive() override { return active_.load(std::memory_order_relaxed); }
  void EnterProc(const std::string& name, const std::string& detail) override;
  void LeaveProc(const std::string& name, const std::string& detail) override;
  void WriteLog(const char* message, const char* category, int32_t level) override;
  void WriteText(const char* message, const char* category, int32_t level) override;
  void WriteWideText(const std::u16string& message, const std::u16string& category, int32_t level) override;

  // Host side.
  void SetActive(bool active) { active_.store(active, std::memory_order_relaxed); }
  void SetThreshold(int32_t threshold) { threshold_.store(threshold, std::memory_order_relaxed); }
  int32_t Threshold() const { return threshold_.load(std::memory_order_relaxed); }
  const std::string& Path() const { return path_; }
  // One record, subject to the switch and threshold.
  void Write(int32_t level, std::string_view category, std::string_view message);
  // The message of the last error record (level <= kLogError) of this debugger's life, kept even
  // when the log is off or above the threshold: the command line shows it as a failure's cause.
  std::string LastError() const;
  // False when the file could not be opened and records go to stderr.
  bool HasFile() const;
  // "<path>.1": where the log goes when it is rotated.
  std::string RotatedPath() const { return path_ + ".1"; }

 private:
  // Under the lock: renames a full file and opens a new one (kept on the old one on failure).
  void RotateLocked();

  std::string path_;
  int64_t maxBytes_ = 0;
  int64_t size_ = 0;  // bytes in the open file
  std::atomic<bool> active_;
  std::atomic<int32_t> threshold_;
  const bool echo_;
  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string lastError_;
};

}  // namespace velmor::host
