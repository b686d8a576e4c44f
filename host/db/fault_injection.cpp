#include "host/db/fault_injection.h"

#include <mutex>
#include <utility>

namespace velmor::host::db {
namespace {

struct State {
  std::mutex mutex;
  int64_t statementCount = 0;
  int64_t statementCountdown = 0;  // 0 = disarmed
  std::string statementMessage;
  int64_t commitCountdown = 0;
  std::string commitMessage;
  bool tracing = false;
  std::vector<std::string> trace;
};

State& Shared() {
  static State state;
  return state;
}

// Counts down an armed switch; true when it reaches zero (and disarms it).
bool Tick(int64_t& countdown) {
  if (countdown <= 0) return false;
  return --countdown == 0;
}

}  // namespace

void FaultInjection::FailStatement(int64_t n, std::string message) {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  s.statementCountdown = n > 0 ? n : 0;
  s.statementMessage = std::move(message);
}

void FaultInjection::FailCommit(int64_t n, std::string message) {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  s.commitCountdown = n > 0 ? n : 0;
  s.commitMessage = std::move(message);
}

void FaultInjection::Clear() {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  s.statementCountdown = 0;
  s.commitCountdown = 0;
  s.tracing = false;
  s.trace.clear();
}

int64_t FaultInjection::StatementCount() {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  return s.statementCount;
}

void FaultInjection::SetTracing(bool on) {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  s.tracing = on;
}

std::vector<std::string> FaultInjection::TakeTrace() {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  return std::exchange(s.trace, {});
}

bool FaultInjection::OnStatement(const char* sql, std::string* message) {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  ++s.statementCount;
  if (s.tracing) s.trace.emplace_back(sql ? sql : "");
  if (!Tick(s.statementCountdown)) return false;
  *message = s.statementMessage;
  return true;
}

bool FaultInjection::OnCommit(std::string* message) {
  State& s = Shared();
  std::lock_guard lock(s.mutex);
  if (!Tick(s.commitCountdown)) return false;
  *message = s.commitMessage;
  return true;
}

}  // namespace velmor::host::db
