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
// A bulk item (values of several rows, SqlValues::SetWidth) runs these rules once per row, each
// row binding its own values, so that the rows of a bulk write share one queue item.
// SqlValues is a value of one thread; the functions are pure over the caller's command.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "velmor/db_command.h"

namespace velmor {

// The texts bound to an item's numbered parameters, packed in one buffer (a bulk write adds
// hundreds of thousands of values: one allocation per item, not per value). Width 0: all the
// values are one row; otherwise rows of `width` values each.
class SqlValues {
 public:
  SqlValues() = default;
  SqlValues(std::initializer_list<std::string_view> values);
  SqlValues& Add(std::string_view v);
  // Values per row (0: one row of all of them).
  void SetWidth(size_t width) { width_ = width; }
  size_t Width() const { return width_; }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  size_t Rows() const;
  std::string_view operator[](size_t i) const;
  // Room for `values` more values of `bytes` bytes in all.
  void Reserve(size_t values, size_t bytes);

 private:
  std::string text_;
  std::vector<uint32_t> ends_;  // where each value ends in text_
  size_t width_ = 0;
};

struct SqlItem {
  int32_t kind = 0;  // 0: a statement item; other kinds are the writer's control items
  uint8_t flag = 0;  // handed to the code that executes the item (TBaseAsynExecSql)
  std::string first, second, third;
  // When not empty, bound to the numbered parameters (?1, ?2, ...) of the three statements, each
  // taking the ones it names: the statements are then the same text for every row and are
  // prepared once (store/bound_sql.h). With a width, one row at a time.
  SqlValues values{};
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

// The rows an item runs for: 1, or its values' rows for a bulk item.
size_t ItemRows(const SqlItem& item);

// Runs row `row` of the item by the rules above; stops at the first statement that fails and
// says which. The counts grow by what ran.
ItemResult ExecuteSqlItem(IDBCommand& cmd, const SqlItem& item, ItemCounts& counts, size_t row = 0);

// The first and the last `n` characters (code points) of a statement, for log lines:
// "<head> ... <tail>", or the whole text when it is short.
std::string StatementExcerpt(std::string_view sql, size_t n = 20);

}  // namespace velmor
