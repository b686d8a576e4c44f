#include "store/store_behind.h"

#include <system_error>
#include <utility>

namespace velmor {

StoreBehind::StoreBehind(size_t depth) : depth_(depth == 0 ? 1 : depth) {
  try {
    worker_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: Post runs each store itself.
  }
}

StoreBehind::~StoreBehind() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    cv_.notify_all();
  }
  worker_.join();
}

void StoreBehind::Post(std::function<void()> store) {
  std::unique_lock lock(mutex_);
  RaiseFailure();
  if (!worker_.joinable()) {
    if (failure_) return;  // dropped after a failure, as the worker drops it
    lock.unlock();
    try {
      store();
    } catch (...) {
      lock.lock();
      failure_ = std::current_exception();
      RaiseFailure();
    }
    return;
  }
  cv_.wait(lock, [&] { return queue_.size() < depth_ || failure_; });
  RaiseFailure();
  queue_.push_back(std::move(store));
  cv_.notify_all();
}

void StoreBehind::Finish() {
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [&] { return (queue_.empty() && !running_) || !worker_.joinable(); });
  RaiseFailure();
}

// A failure is raised once: after it the caller is unwinding, and its Finish on the way out
// must not raise it a second time over the first.
void StoreBehind::RaiseFailure() {
  if (!failure_ || failureRaised_) return;
  failureRaised_ = true;
  std::rethrow_exception(failure_);
}

void StoreBehind::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    cv_.wait(lock, [&] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    std::function<void()> store = std::move(queue_.front());
    queue_.pop_front();
    cv_.notify_all();  // room for a waiting Post
    // After a failure the stores still queued are dropped.
    if (failure_) {
      lock.unlock();
      store = nullptr;
      lock.lock();
      continue;
    }
    running_ = true;
    lock.unlock();
    std::exception_ptr failed;
    try {
      store();
    } catch (...) {
      failed = std::current_exception();
    }
    store = nullptr;
    lock.lock();
    running_ = false;
    if (failed) failure_ = std::move(failed);
    cv_.notify_all();
  }
}

void WithStoresBehind(const std::function<void(StoreBehind&)>& body, size_t depth) {
  StoreBehind behind(depth);
  try {
    body(behind);
  } catch (...) {
    behind.Finish();
    throw;
  }
  behind.Finish();
}

}  // namespace velmor
