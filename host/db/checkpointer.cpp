#include "host/db/checkpointer.h"

#include <system_error>

namespace velmor::host::db {

std::shared_ptr<Checkpointer> Checkpointer::Start(std::string path) {
  std::shared_ptr<Checkpointer> self(new Checkpointer(std::move(path)));
  try {
    self->thread_ = std::thread([raw = self.get()] { raw->Main(); });
  } catch (const std::system_error&) {
    return nullptr;  // no thread to be had: connections keep checkpointing as they commit
  }
  return self;
}

Checkpointer::Checkpointer(std::string path) : path_(std::move(path)) {}

Checkpointer::~Checkpointer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void Checkpointer::Adopt(const std::shared_ptr<Checkpointer>& self, Connection& conn) {
  // Replaces the engine's automatic checkpoint of this connection.
  sqlite3_wal_hook(conn.Handle(), &Checkpointer::AfterCommit, self.get());
  conn.KeepCheckpointer(self);
}

size_t Checkpointer::Completed() const {
  std::lock_guard lock(mutex_);
  return completed_;
}

int Checkpointer::AfterCommit(void* self, sqlite3*, const char*, int pages) {
  if (pages >= kPagesPerCheckpoint) static_cast<Checkpointer*>(self)->Request();
  return SQLITE_OK;
}

void Checkpointer::Request() {
  {
    std::lock_guard lock(mutex_);
    requested_ = true;
  }
  wake_.notify_one();
}

void Checkpointer::Main() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return requested_ || stopping_; });
    // A request left at the stop is not run: the file's last connection checkpoints as it closes.
    if (stopping_) return;
    requested_ = false;
    lock.unlock();
    RunOne();
    lock.lock();
    ++completed_;
  }
}

void Checkpointer::RunOne() {
  if (!conn_) {
    std::string error;
    // No busy wait: a passive checkpoint never waits for a lock, and the next request retries.
    conn_ = Connection::Open(path_, "checkpoint", 0, &error);
    // One read opens the connection's view of the log, which a checkpoint works through.
    if (conn_ && !conn_->ExecInternal("SELECT 1 FROM sqlite_master LIMIT 1", &error)) conn_.reset();
    if (!conn_) return;
  }
  // A failure (the file busy or gone) leaves the log as it is for the next request.
  sqlite3_wal_checkpoint_v2(conn_->Handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

}  // namespace velmor::host::db
