// OpenDatabase: the host's entry to its SQLite database file, one file per data directory.
//
// Each call opens a new connection (the platform manager hands out one per GetDBMechanism call):
// WAL journal (readers never wait for the writer), a busy timeout (writers wait for each other
// instead of failing), and the schema brought to the program's version before the connection is
// handed out. Safe to call from any thread; the connection it returns is the caller's.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "host/db/connection.h"
#include "host/db/schema.h"
#include "velmor/db_mechanism.h"
#include "velmor/ref.h"

namespace velmor::host::db {

// The database file inside a data directory.
inline constexpr const char* kDatabaseFileName = "velmor.db";

struct DatabaseOptions {
  int busyTimeoutMs = 15000;
  std::span<const Migration> migrations = SchemaMigrations();
};

// A new connection named `connectionName` to the database file at `path` (created with its
// schema when missing). Null with *error set when the file cannot be opened or brought to the
// schema version, or is newer than the program.
std::unique_ptr<Connection> OpenConnection(const std::string& path, const std::string& connectionName,
                                           std::string* error, const DatabaseOptions& options = {});
// The same connection as an IDBMechanism, the caller's alone.
Ref<IDBMechanism> OpenDatabase(const std::string& path, const std::string& connectionName, std::string* error,
                               const DatabaseOptions& options = {});

}  // namespace velmor::host::db
