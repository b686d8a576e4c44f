// SqliteMechanism: IDBMechanism over one SQLite connection, and SqliteCommand, the IDBCommand it
// hands out. Both share the Connection (and so its transaction); each call locks it.
#pragma once

#include <memory>
#include <string>

#include "host/db/connection.h"
#include "velmor/db_bound_exec.h"
#include "velmor/db_command.h"
#include "velmor/db_mechanism.h"
#include "velmor/db_row_reader.h"
#include "velmor/object.h"

namespace velmor::host::db {

class SqliteMechanism final : public Object<IDBMechanism, IDBBoundExec, IDBRowReader> {
 public:
  explicit SqliteMechanism(std::shared_ptr<Connection> conn) : conn_(std::move(conn)) {}

  std::string GetErrorText() override;
  std::string GetConnectionName() override { return conn_->Name(); }
  Ref<IDBCommand> GetCommand(int32_t kind) override;
  bool ExecSQL(const std::string& sql) override;
  bool OpenQuery(const std::string& sql, Ref<IDBDataSet>& out) override;
  bool BeginTrans() override;
  bool CommitTrans() override;
  bool RollbackTrans() override;
  bool InTransaction() override;
  bool ExecBound(const std::string& sql, std::span<const DBValue> values, int64_t& changes) override;
  bool ReadRows(const std::string& sql, IDBRowSink& sink) override;

  Connection& ConnectionForTest() { return *conn_; }

 private:
  bool Done(bool ok, std::string error);

  std::shared_ptr<Connection> conn_;
  std::string error_;
};

class SqliteCommand final : public Object<IDBCommand, IDBBoundExec> {
 public:
  explicit SqliteCommand(std::shared_ptr<Connection> conn) : conn_(std::move(conn)) {}

  std::string GetErrorText() override;
  bool Execute(const std::string& sql) override;
  int32_t RowsAffected() override;
  // Also sets RowsAffected and the command's error text.
  bool ExecBound(const std::string& sql, std::span<const DBValue> values, int64_t& changes) override;

 private:
  std::shared_ptr<Connection> conn_;
  std::string error_;
  int64_t rowsAffected_ = 0;
};

}  // namespace velmor::host::db
