#include "store/background/async_call.h"

#include <deque>
#include <exception>
#include <vector>

#include "framework/log.h"
#include "store/background/ep_thread.h"

namespace velmor {

AsyncCall::State AsyncCall::GetState() {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

bool AsyncCall::Done() {
  State s = GetState();
  return s == State::kFinished || s == State::kCancelled;
}

bool AsyncCall::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return done_.wait_for(lock, timeout, [this] { return state_ == State::kFinished || state_ == State::kCancelled; });
}

std::string AsyncCall::ErrorText() {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void AsyncCall::Run() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = State::kRunning;
  }
  std::string error;
  try {
    proc_();
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown exception";
  }
  if (!error.empty()) {
    try {
      LogText("[AsyncCall." + name_ + "]异常：" + error, {}, kLevelError);
    } catch (...) {
    }
  }
  proc_ = nullptr;  // what the procedure captured goes now, on the pool thread
  {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = std::move(error);
    state_ = State::kFinished;
  }
  done_.notify_all();
}

void AsyncCall::Cancel() {
  proc_ = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = State::kCancelled;
  }
  done_.notify_all();
}

// The pool: a queue of calls, the list of calls not yet ended, and the threads.
class AsyncCallPool {
 public:
  // Freed when the module unloads; the module's shut-down has ended its threads by then (the
  // destructor ends them otherwise).
  static AsyncCallPool& Instance() {
    static AsyncCallPool pool;
    return pool;
  }
  ~AsyncCallPool() { Shutdown(); }

  std::shared_ptr<AsyncCall> Submit(std::string name, std::function<void()> proc);
  size_t Pending();
  void Shutdown();

 private:
  class Worker;
  friend class Worker;

  // Takes the next call for a pool thread; null when the thread is to end.
  std::shared_ptr<AsyncCall> Next(Worker& self);
  void Ended(const std::shared_ptr<AsyncCall>& call);

  std::mutex mutex_;
  std::condition_variable work_;
  std::deque<std::shared_ptr<AsyncCall>> queue_;
  std::vector<std::shared_ptr<AsyncCall>> running_;  // the list of calls not yet ended
  std::vector<std::unique_ptr<Worker>> workers_;
  int idle_ = 0;
  bool stopping_ = false;
};

class AsyncCallPool::Worker final : public TEPThread {
 public:
  explicit Worker(AsyncCallPool& pool) : TEPThread("TAsyncCallThread", false), pool_(pool) { Start(); }
  ~Worker() override { StopThread(); }

 protected:
  void Execute() override {
    while (std::shared_ptr<AsyncCall> call = pool_.Next(*this)) {
      call->Run();
      pool_.Ended(call);
    }
  }
  void OnTerminate() override {
    std::lock_guard<std::mutex> lock(pool_.mutex_);
    pool_.work_.notify_all();
  }

 private:
  AsyncCallPool& pool_;
};

std::shared_ptr<AsyncCall> AsyncCallPool::Submit(std::string name, std::function<void()> proc) {
  auto call = std::make_shared<AsyncCall>(std::move(name), std::move(proc));
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_) {
    // Submitted while the pool shuts down (from a call still running): it will not run.
    lock.unlock();
    call->Cancel();
    return call;
  }
  queue_.push_back(call);
  running_.push_back(call);
  if (static_cast<int>(queue_.size()) > idle_ && static_cast<int>(workers_.size()) < kMaxPoolThreads) {
    workers_.push_back(std::make_unique<Worker>(*this));
  }
  work_.notify_one();
  return call;
}

std::shared_ptr<AsyncCall> AsyncCallPool::Next(Worker& self) {
  std::unique_lock<std::mutex> lock(mutex_);
  ++idle_;
  work_.wait(lock, [&] { return !queue_.empty() || stopping_ || self.Terminated(); });
  --idle_;
  if (stopping_ || self.Terminated()) return nullptr;
  std::shared_ptr<AsyncCall> call = std::move(queue_.front());
  queue_.pop_front();
  return call;
}

void AsyncCallPool::Ended(const std::shared_ptr<AsyncCall>& call) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase(running_, call);
}

size_t AsyncCallPool::Pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_.size();
}

void AsyncCallPool::Shutdown() {
  std::deque<std::shared_ptr<AsyncCall>> cancelled;
  std::vector<std::unique_ptr<Worker>> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    cancelled.swap(queue_);
    for (const auto& c : cancelled) std::erase(running_, c);
    workers.swap(workers_);
    work_.notify_all();
  }
  for (auto& c : cancelled) c->Cancel();
  workers.clear();  // each joins after its running call has returned
  std::lock_guard<std::mutex> lock(mutex_);
  running_.clear();
  stopping_ = false;  // a later call starts a fresh pool
}

std::shared_ptr<AsyncCall> RunAsyncCall(std::string name, std::function<void()> proc) {
  return AsyncCallPool::Instance().Submit(std::move(name), std::move(proc));
}

size_t PendingAsyncCalls() { return AsyncCallPool::Instance().Pending(); }

void ShutdownAsyncCalls() { AsyncCallPool::Instance().Shutdown(); }

}  // namespace velmor
