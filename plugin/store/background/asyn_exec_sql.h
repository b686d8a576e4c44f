// TAsynExecSql: the writer thread of the roster's bulk processor (deal_cbxx_ryxx.h). Producers
// queue statement items; the thread executes them in one transaction per batch on its own
// connection (see sql_writer.h for the batch, queue and back-pressure rules).
//
// Item kinds: 0 = statement item, any other value = end of batch (commit).
// Failures: a failing update (the second statement of an item) is logged as "执行更新失败："
// with the head and tail of the statement and the command's error text, and the batch goes on.
// Any other failing statement, a transaction that cannot begin and a failed commit end the batch
// with nothing of it stored; WaitForIdle then raises "保存数据库失败！" (with the reason after it
// in the debug log).
//
// Busy flag: ModuleBusy() is true while any TAsynExecSql of the module has work queued or a
// batch open. Thread-safety: every public member may be called from any thread.
#pragma once

#include <atomic>
#include <string>

#include "store/background/sql_writer.h"

namespace velmor {

inline constexpr const char* kSaveDbFailed = "保存数据库失败！";

class TAsynExecSql final : public SqlWriter {
 public:
  // Starts the thread, which idles until the first item.
  explicit TAsynExecSql(Ref<IDBMechanism> db);
  ~TAsynExecSql() override { StopThread(); }

  // Queues a statement item (the three statements, any of them empty).
  void AddSql(std::string first, std::string second = {}, std::string third = {});
  void AddSql(SqlItem item);
  // Queues the end-of-batch item; returns its ticket.
  uint64_t Finish();
  // Finish, then waits until the batch is committed: true when it was within `timeoutMs`
  // (negative: one pass only), false on time-out. Raises Exception(kSaveDbFailed) when a batch
  // failed since the last wait. On the host's main thread the host processes its messages
  // between passes.
  bool WaitForIdle(int64_t timeoutMs);

  static bool ModuleBusy() { return moduleBusy_.load() > 0; }

 protected:
  ItemKind Classify(const SqlItem& item) const override {
    return item.kind == 0 ? ItemKind::kStatement : ItemKind::kEnd;
  }
  bool Commits(const SqlItem&) const override { return true; }
  void RunItem(IDBCommand& cmd, SqlItem& item) override;
  std::string LogName() const override { return "TAsynExecSql.Execute"; }

 private:
  static std::atomic<int> moduleBusy_;
};

}  // namespace velmor
