// SqlItem: one entry of a writer's queue (asyn_exec_sql.h, base_asyn_exec_sql.h), and the rules
// by which a statement item is executed.
//
// A statement item carries up to three prebuilt statements: `first` (a plain statement, or the
// delete of an upsert), `second` (the update), `third` (the insert). ExecuteSqlItem runs them:
//   only first:            run it;
//   second (the update):   run it; with a third: fewer than 1 row changed -> run the insert;
//                          more than 1 row changed and a first -> run the delete, then the
//                          insert (the copies collapse into one row); exactly 1 -> an update;
//   only third:            run it (an insert);
//   first and third only:  run the delete, then the insert.
// Pure functions over the caller's command; no state of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

#include "velmor/db_command.h"

namespace velmor {

struct SqlItem {
  int32_t kind = 0;  // 0: a statement item; other kinds are the writer's control items
  uint8_t flag = 0;  // handed to the code that executes the item (TBaseAsynExecSql)
  std::string first, second, third;
  // When not empty, bound to the numbered parameters (?1, ?2, ...) of the three statements, each
  // taking the ones it names: the statements are then the same text for every row and are
  // prepared once (store/bound_sql.h).
  std::vector<std::string> values;
  uint64_t ticket = 0;  // end-of-batch items: the waiter's ticket (set by the writer)
};

struct ItemCounts {
  int64_t inserted = 0;
  int64_t updated = 0;
  int64_t executed = 0;  // statements run
};

enum class ItemStage { kNone, kFirst, kUpdate, kInsert };

struct ItemResult {
  ItemStage failedAt = ItemStage::kNone;  // kNone: every statement ran
  std::string statement;                  // the failing statement
  std::string error;                      // the command's error text
  bool ok() const { return failedAt == ItemStage::kNone; }
};

// Runs the item by the rules above; stops at the first statement that fails and says which.
// The counts grow by what ran.
ItemResult ExecuteSqlItem(IDBCommand& cmd, const SqlItem& item, ItemCounts& counts);

// The first and the last `n` characters (code points) of a statement, for log lines:
// "<head> ... <tail>", or the whole text when it is short.
std::string StatementExcerpt(std::string_view sql, size_t n = 20);

}  // namespace velmor
