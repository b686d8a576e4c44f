// BulkRows: the rows of one table that a bulk write hands to its writer (sql_writer.h) as bulk
// items (sql_item.h): rows run by the same statements, added back to back, share one queue item
// of up to `rowsPerItem` rows, so that the writer prepares each statement once, binds each row's
// values, and the queue carries one item per hundred rows instead of one per row.
//
//   BulkRows items(17, 100, [&](SqlItem item) { writer.AddSql(std::move(item)); });
//   SqlValues& row = items.Row({}, {}, kItemInsert);   // then exactly 17 values
//   row.Add(djxh).Add(rydjxh) ...;
//   items.Flush();                                      // before anything that must see them
//
// The statement texts are the caller's constants: a row of other texts (compared by where they
// lie, not by content) first hands over the rows waiting, so the order of the rows is kept.
// Ownership: the sink is called on the caller's thread. One thread at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "store/background/sql_item.h"

namespace velmor {

class BulkRows {
 public:
  using Sink = std::function<void(SqlItem)>;

  BulkRows(size_t width, size_t rowsPerItem, Sink sink);

  // Begins a row run by these statements (any of them empty, by the statement-item rules); the
  // caller then adds exactly `width` values to the answer. Raises velmor::Exception when the
  // row before it was left incomplete.
  SqlValues& Row(std::string_view first, std::string_view second, std::string_view third);
  // Hands over the rows waiting, if any (raises as Row for an incomplete last row).
  void Flush();
  // Forgets the rows waiting.
  void Drop();
  // How many rows share an item (at least 1).
  void SetRowsPerItem(size_t rows) { rowsPerItem_ = rows < 1 ? 1 : rows; }
  size_t Waiting() const { return rows_; }

 private:
  static bool Same(std::string_view a, std::string_view b) { return a.data() == b.data() && a.size() == b.size(); }
  void CheckComplete() const;

  size_t width_;
  size_t rowsPerItem_;
  Sink sink_;
  std::string_view first_, second_, third_;
  SqlItem item_;
  size_t rows_ = 0;
};

}  // namespace velmor
