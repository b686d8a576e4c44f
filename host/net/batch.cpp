#include "host/net/batch.h"

#include <chrono>

namespace velmor::host::net {

Batch::Batch(int threads, Sender send) : maxThreads_(threads < 1 ? 1 : size_t(threads)), send_(std::move(send)) {}

Batch::~Batch() { Close(); }

bool Batch::Add(Ref<Request> request) {
  std::lock_guard lock(mutex_);
  if (closing_) return false;
  queued_.push_back(std::move(request));
  // A new worker only when the idle ones cannot take every queued request, so a batch never
  // holds more threads than requests.
  if (queued_.size() > idle_ && threads_.size() < maxThreads_) {
    threads_.emplace_back([this] { Work(); });
  } else {
    workCv_.notify_one();
  }
  return true;
}

void Batch::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    ++idle_;
    workCv_.wait(lock, [&] { return closing_ || !queued_.empty(); });
    --idle_;
    if (closing_) return;
    Ref<Request> r = std::move(queued_.front());
    queued_.pop_front();
    ++running_;
    lock.unlock();
    send_(*r, cancel_);
    lock.lock();
    --running_;
    finished_.push_back(std::move(r));
    doneCv_.notify_all();
  }
}

Batch::Next Batch::Take(int waitMs, Ref<Request>& out, bool& more, const std::function<void()>& tick) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  std::unique_lock lock(mutex_);
  while (finished_.empty()) {
    if (queued_.empty() && running_ == 0) {
      more = false;
      return Next::kEmpty;
    }
    if (waitMs > 0 && Clock::now() >= deadline) {
      more = true;
      return Next::kTimeout;
    }
    doneCv_.wait_for(lock, std::chrono::milliseconds(50));
    if (tick && finished_.empty()) {
      lock.unlock();
      tick();
      lock.lock();
    }
  }
  out = std::move(finished_.front());
  finished_.pop_front();
  more = !finished_.empty() || !queued_.empty() || running_ > 0;
  return Next::kGot;
}

void Batch::Close() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    cancel_ = true;
    queued_.clear();
    threads.swap(threads_);
  }
  workCv_.notify_all();
  for (auto& t : threads) t.join();
  std::lock_guard lock(mutex_);
  finished_.clear();
}

}  // namespace velmor::host::net
