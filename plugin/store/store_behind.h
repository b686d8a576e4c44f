// StoreBehind: a caller's stores run in order on a worker thread while the caller goes on.
//
// A query of many batches asks the server for the next batch while the last answer is stored.
// Storing keeps one core busy and the asking mostly waits on the network, so the stores run on a
// thread of their own, a few batches behind the caller, each in the order it was posted.
//
// `Post` queues a store; when `depth` stores are waiting it first waits for room. `Finish` waits
// until every posted store has run. The first store that raises ends the stores: the ones posted
// after it are dropped, and its exception is raised on the caller by the next `Post` or by
// `Finish`. A caller whose own work fails calls `Finish` before raising its failure, so that the
// stores posted before still run and a store's failure (which came first in order) wins; that is
// what WithStoresBehind does around the caller's work.
//
// The destructor waits for the stores still queued (their failure, if any, is dropped) and joins
// the worker. Where no thread can be started, each store runs inside its `Post`.
//
// Ownership: the caller owns the StoreBehind; each store callable is moved in and destroyed on
// the worker after it has run (or been dropped).
// Thread rule: one caller thread posts and finishes. A store may use a connection only when the
// caller leaves it alone from the first Post until Finish returns; what a store writes for the
// caller is the caller's to read once Finish has returned.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace velmor {

class StoreBehind {
 public:
  explicit StoreBehind(size_t depth = 4);
  ~StoreBehind();
  StoreBehind(const StoreBehind&) = delete;
  StoreBehind& operator=(const StoreBehind&) = delete;

  void Post(std::function<void()> store);
  void Finish();

 private:
  void Run();
  void RaiseFailure();  // with the mutex held by the caller's lock

  const size_t depth_;
  std::mutex mutex_;  // guards everything below
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false;  // the worker is running a store it has taken
  bool closing_ = false;
  std::exception_ptr failure_;
  bool failureRaised_ = false;
  std::thread worker_;  // not joinable: no thread could be started, stores run inline
};

// Runs `body` with a StoreBehind of `depth` to post to, then finishes it: when `body` raises,
// the stores posted before still run, and the first store's failure is raised instead of the
// body's (it came first in order).
void WithStoresBehind(const std::function<void(StoreBehind&)>& body, size_t depth = 4);

}  // namespace velmor
