// Helpers of the roster store's SQL: rows as JSON, the origin filters, a transaction that rolls
// back unless committed, and a count read from a query. Stateless; safe on any thread.
#pragma once

#include <string>

#include "store/db_access.h"
#include "store/sql.h"
#include "velmor/db.h"
#include "velmor/roster_types.h"

namespace velmor {

// Every row of the dataset as a JSON object keyed by column name (values as text).
std::string RowsJson(IDBDataSet& ds);

// " and ly = '1' ", " and (ly = '0' or ly is null) ", or nothing.
SqlFragment OriginFilter(RyOrigin ly);

// The first column of the first row as an integer; 0 when there is no row.
int32_t QueryCount(IDBMechanism& db, const std::string& sql);

// BeginTrans now; RollbackTrans on destruction unless Commit ran. Begin and Commit raise
// DbError(kDbUpdateFailed, engine text) when they fail (a failed commit is rolled back by the host).
class Transaction {
 public:
  explicit Transaction(IDBMechanism& db, const char* failText = kDbUpdateFailed);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();
  // Commit, then begin the next transaction (long writes committed in chunks).
  void CommitAndReopen();

 private:
  IDBMechanism& db_;
  const char* failText_;
  bool open_ = false;
};

}  // namespace velmor
