// IDBMechanism: one connection to the host database, handed out by
// IPlatformManager::GetDBMechanism (a new connection object per call).
//
// Ownership: the caller holds the connection by Ref and drops it at the end of its operation;
// datasets and commands it hands out keep the connection alive. Closing the last reference with
// a transaction still open rolls the transaction back, so nothing half-written stays.
// Thread-safety: calls on one connection are serialised by the host; separate connections may be
// used on separate threads at once (readers never wait, writers wait up to the busy timeout).
//
// SQL is SQLite's dialect. No operation throws: a failed statement answers false and leaves the
// engine's message in GetErrorText().
#pragma once

#include <cstdint>
#include <string>

#include "velmor/db_object.h"
#include "velmor/ref.h"

namespace velmor {

class IDBCommand;
class IDBDataSet;

class IDBMechanism : public IDBObject {
 public:
  VELMOR_IID("{0A375635-B6CB-4859-8E08-AD839F88BF38}")
  using Base = IDBObject;

  VELMOR_RESERVED_SLOT(0) VELMOR_RESERVED_SLOT(1) VELMOR_RESERVED_SLOT(2) VELMOR_RESERVED_SLOT(3)
  VELMOR_RESERVED_SLOT(4) VELMOR_RESERVED_SLOT(5) VELMOR_RESERVED_SLOT(6) VELMOR_RESERVED_SLOT(7)
  VELMOR_RESERVED_SLOT(8) VELMOR_RESERVED_SLOT(9) VELMOR_RESERVED_SLOT(10) VELMOR_RESERVED_SLOT(11)
  VELMOR_RESERVED_SLOT(12) VELMOR_RESERVED_SLOT(13) VELMOR_RESERVED_SLOT(14) VELMOR_RESERVED_SLOT(15)
  VELMOR_RESERVED_SLOT(16) VELMOR_RESERVED_SLOT(17) VELMOR_RESERVED_SLOT(18) VELMOR_RESERVED_SLOT(19)
  VELMOR_RESERVED_SLOT(20) VELMOR_RESERVED_SLOT(21) VELMOR_RESERVED_SLOT(22) VELMOR_RESERVED_SLOT(23)
  VELMOR_RESERVED_SLOT(24) VELMOR_RESERVED_SLOT(25) VELMOR_RESERVED_SLOT(26) VELMOR_RESERVED_SLOT(27)
  VELMOR_RESERVED_SLOT(28) VELMOR_RESERVED_SLOT(29)
  // 30: a command on this connection (kind 0, the only kind); null for another kind.
  virtual Ref<IDBCommand> GetCommand(int32_t kind) = 0;
  VELMOR_RESERVED_SLOT(31)
  // 32: runs one statement or several separated by semicolons; true when all ran. Several
  // statements run as one unit: when one fails, the earlier ones of the same call are undone.
  virtual bool ExecSQL(const std::string& sql) = 0;
  // 33: runs one query; on success `out` is a dataset positioned on the first row (at Eof when
  // there is none). On failure `out` is null.
  virtual bool OpenQuery(const std::string& sql, Ref<IDBDataSet>& out) = 0;
  VELMOR_RESERVED_SLOT(34) VELMOR_RESERVED_SLOT(35) VELMOR_RESERVED_SLOT(36) VELMOR_RESERVED_SLOT(37)
  VELMOR_RESERVED_SLOT(38) VELMOR_RESERVED_SLOT(39) VELMOR_RESERVED_SLOT(40) VELMOR_RESERVED_SLOT(41)
  // 42: starts a transaction (taking the write lock, waiting up to the busy timeout). False when
  // one is already open on this connection.
  virtual bool BeginTrans() = 0;
  // 43: commits. On failure the transaction is rolled back: nothing of it is stored.
  virtual bool CommitTrans() = 0;
  // 44: rolls back; true (and nothing done) when no transaction is open.
  virtual bool RollbackTrans() = 0;
  // 45
  virtual bool InTransaction() = 0;

 protected:
  ~IDBMechanism() = default;
};

}  // namespace velmor
