#include "host/db/mechanism.h"

#include <climits>
#include <mutex>

#include "host/db/dataset.h"
#include "host/db/row_reading.h"

namespace velmor::host::db {

using Lock = std::lock_guard<std::recursive_mutex>;

bool SqliteMechanism::Done(bool ok, std::string error) {
  error_ = ok ? std::string() : std::move(error);
  return ok;
}

std::string SqliteMechanism::GetErrorText() {
  Lock lock(conn_->Mutex());
  return error_;
}

Ref<IDBCommand> SqliteMechanism::GetCommand(int32_t kind) {
  Lock lock(conn_->Mutex());
  if (kind != 0) {
    Done(false, "unknown command kind " + std::to_string(kind));
    return nullptr;
  }
  Done(true, {});
  return Ref<IDBCommand>(new SqliteCommand(conn_));
}

bool SqliteMechanism::ExecSQL(const std::string& sql) {
  Lock lock(conn_->Mutex());
  int64_t changes = 0;
  std::string error;
  bool ok = conn_->Exec(sql, &changes, &error);
  return Done(ok, std::move(error));
}

bool SqliteMechanism::OpenQuery(const std::string& sql, Ref<IDBDataSet>& out) {
  Lock lock(conn_->Mutex());
  out = nullptr;
  std::string error;
  Ref<SqliteDataSet> ds = SqliteDataSet::Open(conn_, sql, &error);
  if (!ds) return Done(false, std::move(error));
  out = std::move(ds);
  return Done(true, {});
}

bool SqliteMechanism::BeginTrans() {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = conn_->Begin(&error);
  return Done(ok, std::move(error));
}

bool SqliteMechanism::CommitTrans() {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = conn_->Commit(&error);
  return Done(ok, std::move(error));
}

bool SqliteMechanism::RollbackTrans() {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = conn_->Rollback(&error);
  return Done(ok, std::move(error));
}

bool SqliteMechanism::InTransaction() {
  Lock lock(conn_->Mutex());
  return conn_->InTransaction();
}

bool SqliteMechanism::ExecBound(const std::string& sql, std::span<const DBValue> values, int64_t& changes) {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = conn_->ExecBound(sql, values, &changes, &error);
  return Done(ok, std::move(error));
}

bool SqliteMechanism::ReadRows(const std::string& sql, IDBRowSink& sink) {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = db::ReadRows(*conn_, sql, sink, &error);
  return Done(ok, std::move(error));
}

std::string SqliteCommand::GetErrorText() {
  Lock lock(conn_->Mutex());
  return error_;
}

bool SqliteCommand::Execute(const std::string& sql) {
  Lock lock(conn_->Mutex());
  int64_t changes = 0;
  std::string error;
  bool ok = conn_->Exec(sql, &changes, &error);
  rowsAffected_ = ok ? changes : 0;
  error_ = ok ? std::string() : std::move(error);
  return ok;
}

bool SqliteCommand::ExecBound(const std::string& sql, std::span<const DBValue> values, int64_t& changes) {
  Lock lock(conn_->Mutex());
  std::string error;
  bool ok = conn_->ExecBound(sql, values, &changes, &error);
  rowsAffected_ = ok ? changes : 0;
  error_ = ok ? std::string() : std::move(error);
  return ok;
}

int32_t SqliteCommand::RowsAffected() {
  Lock lock(conn_->Mutex());
  return rowsAffected_ > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rowsAffected_);
}

}  // namespace velmor::host::db
