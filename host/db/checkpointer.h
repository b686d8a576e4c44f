// Checkpointer: copies a database file's write-ahead log back into the file on a thread of its
// own, for the connections it adopts.
//
// Left to itself, a connection copies the log back (a checkpoint) inside the commit that takes
// the log past 1,000 pages: after a bulk write of 100,000 rows that is a tenth to a third of a
// second more before the commit returns, spent by the thread that waits for it. An adopted
// connection only signals this checkpointer when it commits past that size; the copy runs here
// through a connection of the checkpointer's own, in the engine's passive mode (it takes no lock
// a reader or writer waits for, and copies what no open reader still needs; a later request
// copies the rest). The log is still cut back to the connections' journal size limit by the
// first write after a complete checkpoint, and deleted when the file's last connection closes.
//
// Ownership: shared. Every adopted connection keeps the checkpointer alive, so a connection that
// outlives its pool still commits safely; the thread stops when the last owner lets it go.
// Thread-safety: any thread may commit on an adopted connection (the signal takes a mutex of the
// checkpointer's own, never the engine's); Adopt is called by the owner of the connection.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/db/connection.h"

namespace velmor::host::db {

class Checkpointer {
 public:
  // Log pages after a commit that call for a checkpoint (the engine's own automatic threshold).
  static constexpr int kPagesPerCheckpoint = 1000;

  // For the file at `path`; its connection is opened at the first checkpoint.
  static std::shared_ptr<Checkpointer> Start(std::string path);
  ~Checkpointer();  // stops the thread once the checkpoint under way (if any) has finished
  Checkpointer(const Checkpointer&) = delete;
  Checkpointer& operator=(const Checkpointer&) = delete;

  // From now on `conn` (a connection to the same file) leaves its checkpoints to `self`.
  static void Adopt(const std::shared_ptr<Checkpointer>& self, Connection& conn);

  // Checkpoints finished so far (whether or not they could copy the whole log).
  size_t Completed() const;

 private:
  explicit Checkpointer(std::string path);
  static int AfterCommit(void* self, sqlite3* db, const char* schema, int pages);
  void Request();
  void Main();
  void RunOne();

  const std::string path_;
  std::unique_ptr<Connection> conn_;  // the thread's alone
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool requested_ = false;
  bool stopping_ = false;
  size_t completed_ = 0;
  std::thread thread_;  // last: started once the members above exist
};

}  // namespace velmor::host::db
