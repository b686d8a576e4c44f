// ConnectionPool: connections to one database file, handed out one per caller and taken back
// when the caller's last reference (the IDBMechanism and every command and dataset it handed out)
// goes.
//
// Opening a connection reads the whole schema (some two milliseconds); a plug-in asks for one
// per store call, thousands in a day. A connection taken back is kept for the next caller when it
// is as a new one would be: no transaction open, no statement half-run, no attached file, no
// temporary table (settings a caller changed with PRAGMA stay: the host's callers change none).
// It first hands back its page cache, so an idle connection holds little beyond its schema.
// The pool's connections leave the copying of the write-ahead log back into the file to the
// pool's checkpointer thread (host/db/checkpointer.h), so a large commit returns without it.
// At most `maxIdle` are kept; the others close. Connections still out when the pool goes close
// when their caller lets them go.
//
// Thread-safety: Acquire may be called from any thread; each connection it hands out is the
// caller's alone until let go.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "host/db/database.h"
#include "velmor/db_mechanism.h"
#include "velmor/ref.h"

namespace velmor::host::db {

class ConnectionPool {
 public:
  static constexpr size_t kDefaultMaxIdle = 4;

  ConnectionPool(std::string path, std::string connectionName, DatabaseOptions options = {},
                 size_t maxIdle = kDefaultMaxIdle);
  ~ConnectionPool();
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  // A connection kept idle, or a new one (OpenConnection). Null with *error set when a new one
  // cannot be opened.
  Ref<IDBMechanism> Acquire(std::string* error);

  // Connections kept for the next caller.
  size_t IdleCount() const;
  // Connections opened since the pool was made (the ones reused are not counted).
  size_t OpenedCount() const;
  // Checkpoints the pool's checkpointer has finished.
  size_t CheckpointsRun() const;

 private:
  struct Shared;
  struct GiveBack;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velmor::host::db
