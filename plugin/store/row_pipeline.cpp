#include "store/row_pipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace velmor {

namespace {

// Unwinds `make` once the calling thread has stopped storing.
struct Stopped {};

// Rows stored as they are emitted, on the calling thread.
class InlineOut final : public RowOut {
 public:
  explicit InlineOut(const std::function<void(const BoundValues&)>& store) : store_(store) {}
  BoundValues& Row() override {
    row_.Clear();
    return row_;
  }
  void Emit() override { store_(row_); }

 private:
  const std::function<void(const BoundValues&)>& store_;
  BoundValues row_;
};

// Batches of rows going round between the worker (filling) and the caller (storing). A batch's
// values keep their room from one round to the next.
class Pipe final : public RowOut {
 public:
  Pipe() {
    for (Batch& b : batches_) empty_.push_back(&b);
  }

  // Worker side.
  BoundValues& Row() override {
    if (!current_) current_ = TakeEmpty();
    BoundValues& v = current_->rows[current_->used];
    v.Clear();
    return v;
  }
  void Emit() override {
    if (++current_->used == current_->rows.size()) Publish();
  }
  // Hands over the rows emitted so far, then tells the caller nothing more comes (with the
  // worker's failure, if any).
  void Finish(std::exception_ptr failure) {
    Publish();
    std::lock_guard lock(mutex_);
    failure_ = std::move(failure);
    finished_ = true;
    cv_.notify_all();
  }

  // Caller side: stores every row handed over until the worker has finished.
  void Consume(const std::function<void(const BoundValues&)>& store) {
    for (;;) {
      Batch* b = nullptr;
      {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return !full_.empty() || finished_; });
        if (full_.empty()) return;
        b = full_.front();
        full_.pop_front();
      }
      for (size_t i = 0; i < b->used; ++i) store(b->rows[i]);
      std::lock_guard lock(mutex_);
      b->used = 0;
      empty_.push_back(b);
      cv_.notify_all();
    }
  }
  void Stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    cv_.notify_all();
  }
  // The worker's failure (read once the worker has been joined).
  std::exception_ptr Failure() const { return failure_; }

 private:
  struct Batch {
    std::vector<BoundValues> rows = std::vector<BoundValues>(kPipelinedRowsPerBatch);
    size_t used = 0;
  };
  // Enough for the worker to fill one batch while the caller stores another and a third waits.
  static constexpr size_t kBatches = 4;

  Batch* TakeEmpty() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return !empty_.empty() || stopping_; });
    if (stopping_) throw Stopped{};
    Batch* b = empty_.front();
    empty_.pop_front();
    return b;
  }
  void Publish() {
    if (!current_ || current_->used == 0) return;
    std::lock_guard lock(mutex_);
    full_.push_back(current_);
    current_ = nullptr;
    cv_.notify_all();
  }

  Batch batches_[kBatches];
  Batch* current_ = nullptr;  // the worker's alone
  std::mutex mutex_;          // guards everything below
  std::condition_variable cv_;
  std::deque<Batch*> empty_, full_;
  bool finished_ = false;
  bool stopping_ = false;
  std::exception_ptr failure_;
};

}  // namespace

void PipelineRows(const std::function<void(RowOut& out)>& make, const std::function<void(const BoundValues&)>& store) {
  Pipe pipe;
  std::thread worker;
  try {
    worker = std::thread([&] {
      std::exception_ptr failure;
      try {
        make(pipe);
      } catch (const Stopped&) {
      } catch (...) {
        failure = std::current_exception();
      }
      pipe.Finish(std::move(failure));
    });
  } catch (const std::system_error&) {
    InlineOut out(store);
    make(out);
    return;
  }
  try {
    pipe.Consume(store);
  } catch (...) {
    pipe.Stop();
    worker.join();
    throw;
  }
  worker.join();
  if (std::exception_ptr failure = pipe.Failure()) std::rethrow_exception(failure);
}

}  // namespace velmor
