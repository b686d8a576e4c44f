// Connection: one open SQLite connection, shared by the connection object handed to a caller
// (IDBMechanism) and the commands and datasets it hands out; closed when the last of them goes.
//
// Every public member locks the connection's mutex, so one connection may be touched from several
// threads without corrupting it (callers still get one connection per operation). Nothing here
// throws: failures answer false with the engine's message in *error.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "velmor/db_value.h"
#include "velmor/text_hash.h"

namespace velmor::host::db {

class Checkpointer;

class Connection {
 public:
  // Opens (creating when missing) the file at `path` with the busy timeout; null with *error set
  // when SQLite cannot open it.
  static std::unique_ptr<Connection> Open(const std::string& path, std::string connectionName, int busyTimeoutMs,
                                          std::string* error);
  ~Connection();  // rolls back an open transaction, then closes
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& Name() const { return name_; }
  std::recursive_mutex& Mutex() { return mutex_; }
  sqlite3* Handle() { return db_; }

  // The members below expect the caller to hold Mutex().

  // Runs one or several statements; *changes receives the rows they changed together. Several
  // statements run inside a savepoint, so a failure undoes the earlier ones of the same call.
  bool Exec(std::string_view sql, int64_t* changes, std::string* error);
  // Runs one statement with `values` bound to its parameters, reusing the statement prepared
  // for the same text by an earlier call (kept until the connection closes; at most
  // kCachedStatements texts). Counted and traced like Exec.
  bool ExecBound(std::string_view sql, std::span<const DBValue> values, int64_t* changes, std::string* error);
  static constexpr size_t kCachedStatements = 32;
  // Like Exec, but outside fault injection and tracing: the host's own statements.
  bool ExecInternal(const char* sql, std::string* error);

  // Prepares exactly one statement (trailing semicolons, blanks and comments allowed). *stmt is
  // null for a text holding no statement; that is reported as an error.
  bool PrepareOne(std::string_view sql, sqlite3_stmt** stmt, std::string* error);
  // Steps a prepared statement for the first time, counting it for fault injection. Returns the
  // step result, or SQLITE_ERROR with *error set (also for an injected failure).
  int FirstStep(sqlite3_stmt* stmt, std::string* error);
  // Steps further (rows after the first); SQLITE_ROW, SQLITE_DONE, or an error with *error set.
  int NextStep(sqlite3_stmt* stmt, std::string* error);

  bool Begin(std::string* error);
  bool Commit(std::string* error);
  bool Rollback(std::string* error);
  bool InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

  // Keeps the checkpointer this connection leaves its checkpoints to (Checkpointer::Adopt) alive
  // until the connection has closed.
  void KeepCheckpointer(std::shared_ptr<Checkpointer> checkpointer) { checkpointer_ = std::move(checkpointer); }

  // The engine's message for the last failure on this connection; a damaged database file is
  // named after it (" [<file>]"), so the user learns which file to restore.
  std::string EngineMessage() const;

 private:
  Connection(sqlite3* db, std::string name) : db_(db), name_(std::move(name)) {}

  // The statement of a text for ExecBound, prepared on first use.
  sqlite3_stmt* Cached(std::string_view sql, std::string* error);

  sqlite3* db_;
  std::string name_;
  // ExecBound's statements by text, looked up by the caller's text without a copy of it (a bulk
  // write looks up once per row).
  TextMap<sqlite3_stmt*> cache_;
  std::recursive_mutex mutex_;  // recursive: a dataset may die while its owner holds the lock
  std::shared_ptr<Checkpointer> checkpointer_;  // let go after the handle has closed
};

// False, with *error, for statement text the engine cannot take as it is: a NUL (the engine
// would end the statement there, cutting a value) or bytes that are not UTF-8 (stored raw, they
// read back as other text). Such a statement is refused whole.
bool AcceptableSqlText(std::string_view text, std::string* error);
// The bytes of a column of the row a statement stands on, as every reader hands them out (a
// dataset's AsString, IDBRowReader): a blob's bytes, the engine's text of anything else, none for
// NULL. `type` is the column's sqlite3_column_type. Valid until the statement moves.
std::string_view CellBytes(sqlite3_stmt* stmt, int column, int type);
// A file the host creates gets pages of 8 KB: its large tables are written a hundred thousand
// rows at a time, and fewer, larger pages made the demo's day at 100,000 persons a few percent
// cheaper in processor time (the cache below stays 16 MB). Pages of 16 KB were no faster and
// raised the roster download's peak by a fifth. A file that already has pages keeps their size
// (the engine changes it only when the file is rebuilt). (The day benchmark's floors create their
// files the same way.)
inline constexpr const char* kNewFilePragmas = "PRAGMA page_size = 8192";
// The settings of every connection. A roster download writes ~100 MB in one transaction; with the
// default 2 MB page cache the pages spill to the WAL and are read back page by page. 16 MB is as
// fast as 128 MB was and holds 110 MB less (measured at 100,000 persons). The cache grows only as
// pages are used. The WAL file is deleted when the file's last connection closes; a host that
// keeps connections open (the pool) would otherwise keep it the size of the largest transaction
// (about 116 MB after a roster download of 100,000 persons): it is cut back to 64 MB when it
// starts over after a checkpoint. (The day benchmark's floors open their files with the same
// settings.)
inline constexpr const char* kConnectionPragmas =
    "PRAGMA cache_size = -16384; PRAGMA temp_store = MEMORY; PRAGMA journal_size_limit = 67108864";
inline constexpr const char* kSqlHoldsNul = "SQL text holds a NUL character";
inline constexpr const char* kSqlNotUtf8 = "SQL text is not valid UTF-8";

// True when `text` holds nothing but blanks, semicolons and SQL comments.
bool IsBlankSql(std::string_view text);

}  // namespace velmor::host::db
