// FaultInjection: a process-wide switch that makes the host database fail on purpose, so tests
// can prove that a failure loses nothing and is reported, and a trace of the statements run.
//
// A "statement" is one SQL statement the database runs for a caller: each statement of an
// ExecSQL or Execute text, each OpenQuery, each row written by Post. Transaction control
// (BeginTrans, CommitTrans, RollbackTrans) and the host's own bookkeeping are not counted.
// An injected statement failure looks to the caller exactly like an engine failure: false, with
// the message in the error text. An injected commit failure rolls the transaction back.
//
// Thread-safety: every function may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmor::host::db {

class FaultInjection {
 public:
  static constexpr const char* kStatementMessage = "injected fault: statement failed";
  static constexpr const char* kCommitMessage = "injected fault: commit failed";

  // The n-th statement run from now on fails (1 = the next one); n <= 0 disarms.
  static void FailStatement(int64_t n, std::string message = kStatementMessage);
  // The n-th commit from now on fails (1 = the next one); n <= 0 disarms.
  static void FailCommit(int64_t n = 1, std::string message = kCommitMessage);
  // Disarms both and stops and empties the trace.
  static void Clear();

  // Statements run since the process started.
  static int64_t StatementCount();

  // While on, every statement text is recorded (in the order run).
  static void SetTracing(bool on);
  static std::vector<std::string> TakeTrace();

  // Called by the database before it runs a statement: counts it, traces it, and answers true
  // (with *message set) when this statement is the one to fail.
  static bool OnStatement(const char* sql, std::string* message);
  // Called before a commit: true (with *message set) when this commit is the one to fail.
  static bool OnCommit(std::string* message);
};

}  // namespace velmor::host::db
