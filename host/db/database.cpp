#include "host/db/database.h"

#include <cstring>

#include "host/db/mechanism.h"

namespace velmor::host::db {
namespace {

// WAL is a property of the file: set once, it stays. Only the first opener switches it, and
// chooses the page size of a file that has none yet.
bool EnsureWal(Connection& conn, std::string* error) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(conn.Handle(), "PRAGMA journal_mode", -1, &stmt, nullptr) != SQLITE_OK) {
    *error = conn.EngineMessage();
    return false;
  }
  bool wal = sqlite3_step(stmt) == SQLITE_ROW &&
             std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal") == 0;
  sqlite3_finalize(stmt);
  if (wal) return true;
  // Switching to WAL writes the file's first page: the page size must be chosen before.
  return conn.ExecInternal(kNewFilePragmas, error) && conn.ExecInternal("PRAGMA journal_mode = WAL", error);
}

}  // namespace

std::unique_ptr<Connection> OpenConnection(const std::string& path, const std::string& connectionName,
                                           std::string* error, const DatabaseOptions& options) {
  std::unique_ptr<Connection> conn = Connection::Open(path, connectionName, options.busyTimeoutMs, error);
  if (!conn) return nullptr;
  std::lock_guard lock(conn->Mutex());
  if (!EnsureWal(*conn, error)) {
    *error = "cannot switch " + path + " to the WAL journal: " + *error;
    return nullptr;
  }
  if (!MigrateSchema(*conn, options.migrations, error)) {
    *error = "cannot prepare the schema of " + path + ": " + *error;
    return nullptr;
  }
  return conn;
}

Ref<IDBMechanism> OpenDatabase(const std::string& path, const std::string& connectionName, std::string* error,
                               const DatabaseOptions& options) {
  std::shared_ptr<Connection> conn = OpenConnection(path, connectionName, error, options);
  if (!conn) return nullptr;
  return Ref<IDBMechanism>(new SqliteMechanism(std::move(conn)));
}

}  // namespace velmor::host::db
