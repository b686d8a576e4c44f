// The stores' SQL toolkit beside ExecOrThrow/QueryOrThrow (db_access.h): a transaction that rolls
// back unless committed, rows as JSON, the first column of every row, and a count or integer
// read from a query. Every failure raises StoreError(user text, engine text), which the store's
// operation boundary turns into its message and log line.
//
//   Transaction tx(*db);                                   // kDbUpdateFailed when it fails
//   ExecOrThrow(*db, "delete from ...");
//   int32_t n = QueryCount(*db, "select count(*) from ...");
//   tx.Commit();                                           // otherwise rolled back on leaving
//
// Stateless apart from the Transaction object, which belongs to the thread using its connection.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "store/db_access.h"
#include "velmor/db.h"

namespace velmor {

// Every row of the dataset as a JSON array of objects keyed by column name (values as text).
nlohmann::ordered_json Rows(IDBDataSet& ds);
// How RowsJson changes each row's object before writing it: members renamed, in order, as
// erasing a member of the object and setting the new name does (the member moves to the end, or
// its value goes to the member of that name already there); then members left out of a row
// where their text is empty.
struct RowShape {
  std::vector<std::pair<std::string, std::string>> renamed;  // {from, to}
  std::vector<std::string> omittedWhenEmpty;
};
// The same as compact text (bytes that are not UTF-8 replaced), each row changed as `shape` says:
// JsonText of the (shaped) rows, written row by row without a tree of them all.
std::string RowsJson(IDBDataSet& ds, const RowShape& shape = {});
// The same for the rows of a query, read one at a time (store/row_reading.h) rather than held in
// a dataset; raises StoreError(userText, engine text) when the query fails.
std::string RowsJson(IDBMechanism& db, const std::string& sql, const RowShape& shape = {},
                     const char* userText = kDbQueryFailed);
// Runs the query first (StoreError(userText, engine text) when it fails).
nlohmann::ordered_json Rows(IDBMechanism& db, const std::string& sql, const char* userText = kDbQueryFailed);

// The first column of every row as a JSON array of texts.
nlohmann::ordered_json FirstColumn(IDBMechanism& db, const std::string& sql, const char* userText = kDbQueryFailed);

// The first column of the first row as an integer; 0 when there is no row.
int32_t QueryCount(IDBMechanism& db, const std::string& sql, const char* userText = kDbQueryFailed);

// BeginTrans now; RollbackTrans on destruction unless Commit ran. Begin and Commit raise
// StoreError(userText, engine text) when they fail (a failed commit is rolled back by the host,
// so nothing of it is stored).
class Transaction {
 public:
  explicit Transaction(IDBMechanism& db, const char* userText = kDbUpdateFailed);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();
  // Commit, then begin the next transaction (long writes committed in chunks).
  void CommitAndReopen();

 private:
  IDBMechanism& db_;
  const char* userText_;
  bool open_ = false;
};

}  // namespace velmor
