#include "taxsim/job_worker.h"

namespace velmor::taxsim {

JobWorker::~JobWorker() { Stop(); }

void JobWorker::Post(std::packaged_task<Answer()> job) {
  std::lock_guard lock(mutex_);
  if (stopping_) return;  // `job` is dropped: its future reports a broken promise
  if (!thread_.joinable()) thread_ = std::thread([this] { Main(); });
  queue_.push_back(std::move(job));
  wake_.notify_one();
}

void JobWorker::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [&] { return (queue_.empty() || stopping_) && !busy_; });
}

void JobWorker::Stop() {
  std::deque<std::packaged_task<Answer()>> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(queue_);
    wake_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  idle_.notify_all();
  // `dropped` goes here, outside the lock: its futures report a broken promise.
}

void JobWorker::Main() {
  for (;;) {
    std::packaged_task<Answer()> job;
    {
      std::unique_lock lock(mutex_);
      busy_ = false;
      idle_.notify_all();
      wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
    }
    job();  // a packaged task keeps what the job throws in its future
  }
}

}  // namespace velmor::taxsim
