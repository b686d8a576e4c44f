#include "host/db/database.h"

#include <cstring>

#include "host/db/mechanism.h"

namespace velmor::host::db {
namespace {

// WAL is a property of the file: set once, it stays. Only the first opener switches it. The limit
// of the journal's size is each connection's own.
bool EnsureWal(Connection& conn, std::string* error) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(conn.Handle(), "PRAGMA journal_mode", -1, &stmt, nullptr) != SQLITE_OK) {
    *error = conn.EngineMessage();
    return false;
  }
  bool wal = sqlite3_step(stmt) == SQLITE_ROW &&
             std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal") == 0;
  sqlite3_finalize(stmt);
  if (!wal && !conn.ExecInternal("PRAGMA journal_mode = WAL", error)) return false;
  // The journal is deleted when the file's last connection closes; a host that keeps connections
  // open (the pool) would otherwise keep it at its largest, the size of the largest transaction
  // (about 116 MB after a roster download of 100,000 persons). It is cut back to this when it
  // starts over after a checkpoint.
  return conn.ExecInternal("PRAGMA journal_size_limit = 67108864", error);
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
