#include "host/db/connection_pool.h"

#include <mutex>
#include <vector>

#include "host/db/checkpointer.h"
#include "host/db/mechanism.h"

namespace velmor::host::db {

namespace {

bool HoldsTempObjects(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT 1 FROM temp.sqlite_master LIMIT 1", -1, &stmt, nullptr) != SQLITE_OK) return true;
  const bool any = sqlite3_step(stmt) != SQLITE_DONE;
  sqlite3_finalize(stmt);
  return any;
}

}  // namespace

struct ConnectionPool::Shared {
  std::string path;
  std::string name;
  DatabaseOptions options;
  size_t maxIdle;
  mutable std::mutex mutex;
  std::vector<std::unique_ptr<Connection>> idle;
  size_t opened = 0;
  std::shared_ptr<Checkpointer> checkpointer;  // null: the connections checkpoint as they commit

  // Keeps `conn` for the next caller when it is as a new connection would be; otherwise it is
  // handed back to be closed.
  std::unique_ptr<Connection> TakeBack(std::unique_ptr<Connection> conn) {
    {
      std::lock_guard connLock(conn->Mutex());
      if (conn->InTransaction()) return conn;
      sqlite3* db = conn->Handle();
      for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
        if (sqlite3_stmt_busy(s)) return conn;
      if (sqlite3_db_name(db, 2) || HoldsTempObjects(db)) return conn;  // an attached file, a temporary table
      sqlite3_db_release_memory(db);
    }
    std::lock_guard lock(mutex);
    if (idle.size() >= maxIdle) return conn;
    idle.push_back(std::move(conn));
    return nullptr;
  }
};

// The deleter of a connection handed out: back to the pool while the pool lives.
struct ConnectionPool::GiveBack {
  std::weak_ptr<Shared> pool;
  void operator()(Connection* raw) const {
    std::unique_ptr<Connection> conn(raw);
    if (std::shared_ptr<Shared> shared = pool.lock()) conn = shared->TakeBack(std::move(conn));
  }
};

ConnectionPool::ConnectionPool(std::string path, std::string connectionName, DatabaseOptions options, size_t maxIdle)
    : shared_(std::make_shared<Shared>()) {
  shared_->path = std::move(path);
  shared_->name = std::move(connectionName);
  shared_->options = options;
  shared_->maxIdle = maxIdle;
  shared_->checkpointer = Checkpointer::Start(shared_->path);
}

ConnectionPool::~ConnectionPool() = default;

Ref<IDBMechanism> ConnectionPool::Acquire(std::string* error) {
  std::unique_ptr<Connection> conn;
  {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->idle.empty()) {
      conn = std::move(shared_->idle.back());
      shared_->idle.pop_back();
    }
  }
  if (!conn) {
    conn = OpenConnection(shared_->path, shared_->name, error, shared_->options);
    if (!conn) return nullptr;
    if (shared_->checkpointer) Checkpointer::Adopt(shared_->checkpointer, *conn);
    std::lock_guard lock(shared_->mutex);
    ++shared_->opened;
  }
  std::shared_ptr<Connection> handed(conn.release(), GiveBack{shared_});
  return Ref<IDBMechanism>(new SqliteMechanism(std::move(handed)));
}

size_t ConnectionPool::IdleCount() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->idle.size();
}

size_t ConnectionPool::CheckpointsRun() const { return shared_->checkpointer ? shared_->checkpointer->Completed() : 0; }

size_t ConnectionPool::OpenedCount() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->opened;
}

}  // namespace velmor::host::db
