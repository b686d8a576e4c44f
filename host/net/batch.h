// Batch: the requests of one INetCommIntf batch, run concurrently on up to `threads` worker
// threads (started as requests arrive) and handed back in the order they finish.
//
// Thread-safe: Add and Take come from the caller's thread, the workers run `send` on theirs.
// Close (and the destructor) drops what has not started, cancels what is running and joins the
// workers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "host/net/request.h"
#include "velmor/ref.h"

namespace velmor::host::net {

class Batch {
 public:
  // Sends one request and records its outcome in it; must return once `cancel` turns true.
  using Sender = std::function<void(Request& request, const std::atomic<bool>& cancel)>;

  Batch(int threads, Sender send);
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  // False once the batch is closed.
  bool Add(Ref<Request> request);

  enum class Next { kGot, kTimeout, kEmpty };
  // kGot: `out` holds a finished request, `more` whether others remain (queued, running or
  // finished). kEmpty: nothing remains. kTimeout: waitMs > 0 passed with none finished. `tick`
  // (may be empty) runs every 50 ms while waiting.
  Next Take(int waitMs, Ref<Request>& out, bool& more, const std::function<void()>& tick);

  void Close();

 private:
  void Work();

  const size_t maxThreads_;
  const Sender send_;
  std::mutex mutex_;
  std::condition_variable workCv_;  // workers: a request queued, or closing
  std::condition_variable doneCv_;  // caller: a request finished
  std::deque<Ref<Request>> queued_;
  std::deque<Ref<Request>> finished_;
  size_t running_ = 0;
  size_t idle_ = 0;
  bool closing_ = false;
  std::atomic<bool> cancel_{false};
  std::vector<std::thread> threads_;
};

}  // namespace velmor::host::net
