#include "store/background/base_asyn_exec_sql.h"

#include <algorithm>

#include "framework/log.h"
#include "store/db_access.h"
#include "velmor/exceptions.h"

namespace velmor {

std::atomic<int> TBaseAsynExecSql::moduleBusy_{0};

TBaseAsynExecSql::TBaseAsynExecSql(Ref<IDBMechanism> db) : TBaseAsynExecSql("TBaseAsynExecSql", std::move(db)) {}

TBaseAsynExecSql::TBaseAsynExecSql(std::string className, Ref<IDBMechanism> db)
    : SqlWriter(std::move(className), std::move(db), moduleBusy_) {}  // MakeWriter starts it

void TBaseAsynExecSql::AddSql(std::string first, std::string second, uint8_t flag, std::string third) {
  SqlItem item;
  item.flag = flag;
  item.first = std::move(first);
  item.second = std::move(second);
  item.third = std::move(third);
  Enqueue(std::move(item));
}

void TBaseAsynExecSql::AddSql(SqlItem item) {
  item.kind = 0;
  Enqueue(std::move(item));
}

bool TBaseAsynExecSql::WaitForIdle(bool commit, IProgressView* progress, int64_t timeoutMs, int32_t span) {
  const uint64_t ticket = commit ? FinishCommit() : FinishRollback();
  const int32_t startPos = progress ? progress->GetPosition() : 0;
  bool idle = WaitTicket(ticket, timeoutMs, [&](int64_t elapsed) {
    if (!progress || span <= 0) return;
    int64_t step = static_cast<int64_t>(static_cast<double>(elapsed) / kWaitProgressFullMs * span);
    progress->SetPosition(startPos + static_cast<int32_t>(std::min<int64_t>(span, step)));
  });
  if (const std::string failure = TakeFailure(); !failure.empty()) {
    throw Exception(WithStorageCause("保存数据库失败！", failure));
  }
  return idle;
}

SqlWriter::ItemKind TBaseAsynExecSql::Classify(const SqlItem& item) const {
  switch (item.kind) {
    case 0:
      return ItemKind::kStatement;
    case 3:
    case 4:
      return ItemKind::kControl;
    default:
      return ItemKind::kEnd;
  }
}

void TBaseAsynExecSql::OnControl(const SqlItem& item) {
  const bool on = item.kind == 3;
  counting_.store(on);
  try {
    LogText(on ? " TBaseAsynExecSql.Execute 已开启计数" : " TBaseAsynExecSql.Execute 已关闭计数");
  } catch (...) {
  }
}

void TBaseAsynExecSql::Count(const ItemCounts& counts) {
  if (!counting_.load()) return;
  inserted_ += counts.inserted;
  updated_ += counts.updated;
  executed_ += counts.executed;
}

void TBaseAsynExecSql::ProcessItem(IDBCommand& cmd, const SqlItem& item) {
  ItemCounts counts;
  for (size_t row = 0, rows = ItemRows(item); row < rows; ++row) {
    ItemResult r = ExecuteSqlItem(cmd, item, counts, row);
    if (!r.ok()) {
      Count(counts);
      throw Exception("执行语句失败：" + StatementExcerpt(r.statement) + " " + r.error);
    }
  }
  Count(counts);
}

void TBaseAsynExecSql::RunItem(IDBCommand& cmd, SqlItem& item) {
  currentFlag_ = item.flag;
  ProcessItem(cmd, item);
}

}  // namespace velmor
