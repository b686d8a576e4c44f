#include "store/background/sql_writer.h"

#include <algorithm>
#include <exception>

#include "framework/log.h"
#include "store/background/host_thread.h"

namespace velmor {

using Clock = std::chrono::steady_clock;

SqlWriter::SqlWriter(std::string className, Ref<IDBMechanism> db, std::atomic<int>& moduleBusy)
    : TEPThread(std::move(className), false), db_(std::move(db)), moduleBusy_(moduleBusy) {}

SqlWriter::~SqlWriter() {
  StopThread();
  std::lock_guard<std::mutex> lock(mutex_);
  if (busy_) moduleBusy_.fetch_sub(1);
  busy_ = false;
}

void SqlWriter::OnTerminate() {
  std::lock_guard<std::mutex> lock(mutex_);
  itemsCv_.notify_all();
  roomCv_.notify_all();
  doneCv_.notify_all();
}

void SqlWriter::UpdateBusyLocked() {
  bool now = statements_ > 0 || batchOpen_;
  if (now == busy_) return;
  busy_ = now;
  moduleBusy_.fetch_add(now ? 1 : -1);
}

size_t SqlWriter::QueueSize() {
  std::lock_guard<std::mutex> lock(mutex_);
  return statements_;
}

size_t SqlWriter::QueueHighWater() {
  std::lock_guard<std::mutex> lock(mutex_);
  return highWater_;
}

bool SqlWriter::Busy() {
  std::lock_guard<std::mutex> lock(mutex_);
  return busy_;
}

void SqlWriter::TEST_SetBeforeItem(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  beforeItem_ = std::move(hook);
  hasHook_.store(static_cast<bool>(beforeItem_), std::memory_order_release);
}

size_t SqlWriter::ClearQueue() {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t before = queue_.size();
  std::erase_if(queue_, [this](const SqlItem& i) { return KindOf(i) == ItemKind::kStatement; });
  size_t dropped = before - queue_.size();
  queuedRows_ = queue_.size();  // markers weigh one row each
  statements_ = 0;
  UpdateBusyLocked();
  roomCv_.notify_all();
  return dropped;
}

void SqlWriter::AbortBatch() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!batchOpen_) return;
  abortRequested_ = true;
  itemsCv_.notify_all();
  // The writer notices between two items; a running statement is not interrupted.
  doneCv_.wait(lock, [this] { return !batchOpen_ || Finished(); });
}

void SqlWriter::Enqueue(SqlItem item) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (Full()) {
    // Back-pressure: let the writer bring the queue down to kQueueLow first.
    while (!HasRoom() && !Terminated()) {
      if (roomCv_.wait_for(lock, std::chrono::milliseconds(kBackPressureStepMs),
                           [this] { return HasRoom() || Terminated(); }))
        break;
      lock.unlock();
      ProcessHostMessagesIfMain();
      lock.lock();
    }
  }
  queuedRows_ += RowsOf(item);
  queue_.push_back(std::move(item));
  ++statements_;
  highWater_ = std::max(highWater_, queue_.size());
  UpdateBusyLocked();
  itemsCv_.notify_one();
}

uint64_t SqlWriter::EnqueueMarker(int32_t kind) {
  SqlItem marker;
  marker.kind = kind;
  std::lock_guard<std::mutex> lock(mutex_);
  marker.ticket = ++nextTicket_;
  queuedRows_ += 1;
  queue_.push_back(std::move(marker));
  highWater_ = std::max(highWater_, queue_.size());
  itemsCv_.notify_one();
  return nextTicket_;
}

SqlWriter::ItemKind SqlWriter::KindOf(const SqlItem& item) const {
  if (item.kind == kBarrierKind || item.kind == kOpeningBarrierKind) return ItemKind::kControl;
  return Classify(item);
}

bool SqlWriter::Barrier(bool openBatch, int64_t timeoutMs) {
  return WaitTicket(EnqueueMarker(openBatch ? kOpeningBarrierKind : kBarrierKind), timeoutMs, {});
}

bool SqlWriter::WaitTicket(uint64_t ticket, int64_t timeoutMs, const std::function<void(int64_t)>& onPass) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (doneTicket_ >= ticket) return true;
      if (doneCv_.wait_for(lock, std::chrono::milliseconds(kWaitStepMs),
                           [&] { return doneTicket_ >= ticket || Finished(); }) &&
          doneTicket_ >= ticket)
        return true;
      if (Finished()) return false;  // the thread is gone; nothing will deal with the marker
    }
    ProcessHostMessagesIfMain();
    const int64_t elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    if (onPass) onPass(elapsed);
    if (timeoutMs < 0 || elapsed > timeoutMs) return false;
  }
}

std::string SqlWriter::TakeFailure() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(failure_, std::string());
}

bool SqlWriter::Pop(SqlItem& out, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (!queue_.empty()) {
      SqlItem& front = queue_.front();
      const ItemKind kind = KindOf(front);
      if (kind == ItemKind::kStatement) --statements_;
      queuedRows_ -= RowsOf(front);
      if (discarding_ && kind == ItemKind::kStatement) {
        queue_.pop_front();
        UpdateBusyLocked();
        continue;
      }
      if (discarding_ && kind == ItemKind::kEnd) discarding_ = false;
      // A statement opens a batch (or continues the open one) as it leaves the queue, so the
      // writer never looks idle between taking an item and running it.
      if (kind == ItemKind::kStatement || front.kind == kOpeningBarrierKind) batchOpen_ = true;
      out = std::move(front);
      queue_.pop_front();
      if (HasRoom()) roomCv_.notify_all();
      UpdateBusyLocked();
      return true;
    }
    if (HasRoom()) roomCv_.notify_all();
    if (Terminated()) return false;
    if (!itemsCv_.wait_for(lock, wait, [this] { return !queue_.empty() || Terminated(); })) return false;
  }
}

void SqlWriter::CompleteTicket(uint64_t ticket) {
  std::lock_guard<std::mutex> lock(mutex_);
  doneTicket_ = std::max(doneTicket_, ticket);
  doneCv_.notify_all();
}

void SqlWriter::Fail(const std::string& why, bool dropRestOfBatch) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_.empty()) failure_ = why;
    if (dropRestOfBatch) discarding_ = true;
  }
  try {
    LogException(LogName(), why);
  } catch (...) {
  }
}

void SqlWriter::EndBatch(bool commit, bool failed, const std::string& why) {
  if (commit) {
    // A failed commit: the host has rolled the transaction back; the end item is already taken.
    if (!db_->CommitTrans()) Fail("提交事务失败：" + db_->GetErrorText(), false);
  } else {
    db_->RollbackTrans();
    if (failed) Fail(why, true);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  batchOpen_ = false;
  abortRequested_ = false;
  UpdateBusyLocked();
  doneCv_.notify_all();
}

void SqlWriter::Execute() {
  while (!Terminated()) {
    SqlItem item;
    if (!Pop(item, std::chrono::milliseconds(10))) continue;
    if (item.kind == kOpeningBarrierKind) {
      RunBatch(std::move(item));
      continue;
    }
    if (item.kind == kBarrierKind) {
      CompleteTicket(item.ticket);
      continue;
    }
    switch (Classify(item)) {
      case ItemKind::kEnd:  // an end-of-batch item with no batch open
        CompleteTicket(item.ticket);
        break;
      case ItemKind::kControl:
        OnControl(item);
        break;
      case ItemKind::kStatement:
        RunBatch(std::move(item));
        break;
    }
  }
}

bool SqlWriter::NextInBatch(SqlItem& item) {
  for (;;) {
    if (Terminated()) {
      EndBatch(false, false, {});  // stopped half-way: nothing of the batch is kept
      return false;
    }
    bool aborted = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (abortRequested_) {
        discarding_ = true;  // the rest of this batch goes with it
        aborted = true;
      }
    }
    if (aborted) {
      EndBatch(false, false, {});
      return false;
    }
    if (!Pop(item, std::chrono::milliseconds(50))) continue;
    if (item.kind == kBarrierKind || item.kind == kOpeningBarrierKind) {
      CompleteTicket(item.ticket);
      continue;
    }
    const ItemKind kind = Classify(item);
    if (kind == ItemKind::kStatement) return true;
    if (kind == ItemKind::kControl) {
      OnControl(item);
      continue;
    }
    EndBatch(Commits(item), false, {});
    CompleteTicket(item.ticket);
    return false;
  }
}

void SqlWriter::RunBatch(SqlItem item) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batchOpen_ = true;
    abortRequested_ = false;
    UpdateBusyLocked();
  }
  Ref<IDBCommand> cmd = db_->GetCommand(0);
  if (!cmd || !db_->BeginTrans()) {
    std::string why = "开启事务失败：" + db_->GetErrorText();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      batchOpen_ = false;
      UpdateBusyLocked();
      doneCv_.notify_all();
    }
    Fail(why, true);
    if (item.kind == kOpeningBarrierKind) CompleteTicket(item.ticket);
    return;
  }
  if (item.kind == kOpeningBarrierKind) {
    CompleteTicket(item.ticket);
    if (!NextInBatch(item)) return;
  }
  do {
    if (hasHook_.load(std::memory_order_acquire)) {
      std::function<void()> hook;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = beforeItem_;
      }
      if (hook) hook();
    }
    try {
      RunItem(*cmd, item);
    } catch (const std::exception& e) {
      EndBatch(false, true, e.what());
      return;
    } catch (...) {
      EndBatch(false, true, "unknown exception");
      return;
    }
  } while (NextInBatch(item));
}

}  // namespace velmor
