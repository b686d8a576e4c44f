#include "store/background/asyn_exec_sql.h"

#include "framework/log.h"
#include "store/db_access.h"
#include "velmor/exceptions.h"

namespace velmor {

std::atomic<int> TAsynExecSql::moduleBusy_{0};

TAsynExecSql::TAsynExecSql(Ref<IDBMechanism> db) : SqlWriter("TAsynExecSql", std::move(db), moduleBusy_) {
  Start();
}

void TAsynExecSql::AddSql(std::string first, std::string second, std::string third) {
  SqlItem item;
  item.first = std::move(first);
  item.second = std::move(second);
  item.third = std::move(third);
  Enqueue(std::move(item));
}

void TAsynExecSql::AddSql(SqlItem item) {
  item.kind = 0;
  Enqueue(std::move(item));
}

uint64_t TAsynExecSql::Finish() { return EnqueueMarker(1); }

bool TAsynExecSql::WaitForIdle(int64_t timeoutMs) {
  bool idle = WaitTicket(Finish(), timeoutMs, {});
  if (const std::string failure = TakeFailure(); !failure.empty()) {
    throw Exception(WithStorageCause(kSaveDbFailed, failure));
  }
  return idle;
}

void TAsynExecSql::RunItem(IDBCommand& cmd, SqlItem& item) {
  ItemCounts counts;
  for (size_t row = 0, rows = ItemRows(item); row < rows; ++row) {
    ItemResult r = ExecuteSqlItem(cmd, item, counts, row);
    if (r.ok()) continue;
    if (r.failedAt == ItemStage::kUpdate) {
      // Logged and skipped: the rest of the batch still commits.
      try {
        LogText("执行更新失败：" + StatementExcerpt(r.statement) + " " + r.error, {}, kLevelError);
      } catch (...) {
      }
      continue;
    }
    throw Exception("执行语句失败：" + StatementExcerpt(r.statement) + " " + r.error);
  }
}

}  // namespace velmor
