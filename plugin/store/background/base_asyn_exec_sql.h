// TBaseAsynExecSql: the writer base of the residents' downloads and of the declaration-state
// query: statement items executed in one transaction per batch on the writer's own connection
// (see sql_writer.h), with counters, explicit commit or rollback, and an overridable
// ProcessItem.
//
// Item kinds: 0 statement, 1 end of batch and commit, 2 end of batch and roll back, 3 counting
// on, 4 counting off. While counting is on, the default ProcessItem adds rows inserted, rows
// updated and statements executed to the counters.
// Failures: an exception from ProcessItem (the default raises for any failing statement), a
// transaction that cannot begin and a failed commit end the batch: it is rolled back, the error
// flag is set and the waiting caller raises "保存数据库失败！".
//
// Ownership: create writers of this class and of derived classes with MakeWriter, which starts
// the thread once the most-derived constructor has run (a thread started by a base constructor
// would call into a half-built object) and whose deleter stops it before any destructor runs. Busy flag: ModuleBusy() covers every
// TBaseAsynExecSql of the module. Thread-safety: public members may be called from any thread;
// ProcessItem runs on the writer thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "store/background/sql_writer.h"
#include "velmor/progress_view.h"

namespace velmor {

// The span of the progress view covers this many milliseconds of waiting.
inline constexpr int64_t kWaitProgressFullMs = 600000;

class TBaseAsynExecSql : public SqlWriter {
 public:
  // Not started yet: MakeWriter<TBaseAsynExecSql>(db) creates and starts it.
  explicit TBaseAsynExecSql(Ref<IDBMechanism> db);
  ~TBaseAsynExecSql() override { StopThread(); }

  void AddSql(std::string first, std::string second, uint8_t flag, std::string third);
  void AddSql(SqlItem item);
  uint64_t FinishCommit() { return EnqueueMarker(1); }
  uint64_t FinishRollback() { return EnqueueMarker(2); }
  void StartCounting() { EnqueueMarker(3); }
  void StopCounting() { EnqueueMarker(4); }

  // Ends the batch (commit or roll back as asked) and waits until the writer has dealt with it:
  // true when it did within `timeoutMs` (negative: one pass only). With a progress view, each
  // pass sets its position to the start position + min(span, elapsed / 600000 x span). Raises
  // Exception("保存数据库失败！") when a batch failed since the last wait.
  bool WaitForIdle(bool commit, IProgressView* progress, int64_t timeoutMs, int32_t span);

  int64_t InsertCount() const { return inserted_.load(); }
  int64_t UpdateCount() const { return updated_.load(); }
  int64_t ExecCount() const { return executed_.load(); }
  bool Counting() const { return counting_.load(); }

  static bool ModuleBusy() { return moduleBusy_.load() > 0; }

 protected:
  // For derived writers that pass their own class name (the debug-output lines).
  TBaseAsynExecSql(std::string className, Ref<IDBMechanism> db);

  // Executes one statement item; raise to end the batch as failed. The default applies the
  // statement-item rules and counts while counting is on.
  virtual void ProcessItem(IDBCommand& cmd, const SqlItem& item);
  // The flag of the item being processed.
  uint8_t CurrentFlag() const { return currentFlag_; }
  // Adds to the counters when counting is on (for overrides of ProcessItem).
  void Count(const ItemCounts& counts);

  ItemKind Classify(const SqlItem& item) const override;
  bool Commits(const SqlItem& endItem) const override { return endItem.kind == 1; }
  void OnControl(const SqlItem& item) override;
  void RunItem(IDBCommand& cmd, SqlItem& item) override;
  std::string LogName() const override { return "TBaseAsynExecSql.Execute"; }

 private:
  static std::atomic<int> moduleBusy_;
  std::atomic<bool> counting_{false};
  std::atomic<int64_t> inserted_{0}, updated_{0}, executed_{0};
  uint8_t currentFlag_ = 0;  // writer thread only
};

}  // namespace velmor
