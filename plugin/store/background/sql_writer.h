// SqlWriter: the engine shared by the two asynchronous SQL writers (TAsynExecSql and
// TBaseAsynExecSql): a thread that executes queued statement items inside one transaction per
// batch on the connection it was given, which it holds for its life.
//
// A batch runs from the first statement item to the next end-of-batch item; the end item
// commits it (or rolls it back when the writer class says so). An item that fails in a way the
// writer class treats as fatal ends the batch at once: it is rolled back, the statements queued
// after it up to its end-of-batch item are dropped, and the failure is kept for the next waiter.
// Telling the thread to stop in the middle of a batch rolls the batch back.
//
// Producers queue from any thread. The queue lock is held only to push or pop, never while a
// statement runs. Back-pressure: a producer that would make the queue hold more than kQueueHigh
// items, or kQueueHighRows rows (an item of bulk rows weighs its rows, any other item one), first
// waits (in kBackPressureStepMs steps, letting the host process its messages on its main thread)
// until it holds kQueueLow items and kQueueLowRows rows or fewer.
//
// Waiting: each end-of-batch item carries a ticket; WaitTicket waits until the writer has dealt
// with that item (committed, rolled back, or dropped as idle).
//
// Ownership: the owner destroys the writer, which stops and joins its thread (own writers
// through WriterPtr so that a class overriding the item hooks is stopped before its destructor
// runs). Busy flags: one counter per writer class, module-wide, of the writers of that class
// that have work queued or a batch open.
#pragma once

#include <algorithm>
#include <atomic>
#include <climits>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "store/background/ep_thread.h"
#include "store/background/sql_item.h"
#include "velmor/db_mechanism.h"
#include "velmor/ref.h"

namespace velmor {

inline constexpr size_t kQueueHigh = 4000;  // a push that would reach 4001 items waits first
inline constexpr size_t kQueueLow = 2000;
inline constexpr size_t kQueueHighRows = 20000;  // or one onto 20,000 rows of bulk items
inline constexpr size_t kQueueLowRows = 10000;
inline constexpr int kBackPressureStepMs = 300;
inline constexpr int kWaitStepMs = 100;

class SqlWriter : public TEPThread {
 public:
  ~SqlWriter() override;

  // Statement items queued and not yet taken.
  size_t QueueSize();
  // The most items the queue held at once.
  size_t QueueHighWater();
  // Drops every queued statement item (end-of-batch and control items stay, so waiters still
  // get their answer); returns how many were dropped. An open batch stays open.
  size_t ClearQueue();
  // Rolls the open batch back as soon as the running item has finished, and drops its statement
  // items up to its end-of-batch item. Returns at once.
  void AbortBatch();
  // Queued work or an open batch.
  bool Busy();
  // The connection (the writer's own).
  IDBMechanism& Connection() { return *db_; }

  // A barrier: waits until the writer has run everything queued before it. With openBatch, the
  // writer also begins its transaction if none is open, so that what the caller reads on the
  // writer's connection afterwards cannot change under it (the writer holds the write lock)
  // except by what is queued later. False on time-out; true when the writer reached it (a
  // batch that failed to begin has reached it too: its failure awaits the next waiter).
  bool Barrier(bool openBatch, int64_t timeoutMs);

  // Test hook: runs before each statement item, on the writer thread.
  void TEST_SetBeforeItem(std::function<void()> hook);

 protected:
  enum class ItemKind { kStatement, kEnd, kControl };

  SqlWriter(std::string className, Ref<IDBMechanism> db, std::atomic<int>& moduleBusy);

  // Producer side.
  void Enqueue(SqlItem item);
  // Queues an end-of-batch (or control) item and returns its ticket.
  uint64_t EnqueueMarker(int32_t kind);
  // Waits until the marker of `ticket` has been dealt with; `onPass` runs after each pass of
  // kWaitStepMs (elapsed milliseconds). A negative timeout stops after the first pass. True when
  // the marker was dealt with.
  bool WaitTicket(uint64_t ticket, int64_t timeoutMs, const std::function<void(int64_t)>& onPass);
  // The failure kept since the last call (empty when none), cleared.
  std::string TakeFailure();

  // Writer side: what an item is; whether an end item commits; control items; one statement
  // item inside a batch (raise to end the batch as failed).
  virtual ItemKind Classify(const SqlItem& item) const = 0;
  virtual bool Commits(const SqlItem& endItem) const = 0;
  virtual void OnControl(const SqlItem&) {}
  virtual void RunItem(IDBCommand& cmd, SqlItem& item) = 0;
  // Logged failures: the writer class's prefix for log lines ("TAsynExecSql.Execute").
  virtual std::string LogName() const = 0;

  void Execute() override;
  void OnTerminate() override;

 private:
  static constexpr int32_t kBarrierKind = INT32_MIN;
  static constexpr int32_t kOpeningBarrierKind = INT32_MIN + 1;
  ItemKind KindOf(const SqlItem& item) const;  // barriers count as control items
  bool Pop(SqlItem& out, std::chrono::milliseconds wait);
  void RunBatch(SqlItem first);
  // Takes the batch's next statement item into `item`; false when the batch has ended.
  bool NextInBatch(SqlItem& item);
  void EndBatch(bool commit, bool failed, const std::string& why);
  void CompleteTicket(uint64_t ticket);
  void Fail(const std::string& why, bool dropRestOfBatch);
  void UpdateBusyLocked();

  Ref<IDBMechanism> db_;
  std::atomic<int>& moduleBusy_;

  std::mutex mutex_;  // guards everything below
  std::condition_variable itemsCv_, roomCv_, doneCv_;
  std::deque<SqlItem> queue_;
  size_t statements_ = 0;  // statement items in queue_
  // The rows queue_ holds (a bulk item weighs its rows, any other item one): back-pressure
  // counts rows, so that a queue of bulk items holds no more of the roster than one of rows.
  size_t queuedRows_ = 0;
  static size_t RowsOf(const SqlItem& item) { return std::max<size_t>(1, item.values.Rows()); }
  bool Full() const { return queue_.size() >= kQueueHigh || queuedRows_ >= kQueueHighRows; }
  bool HasRoom() const { return queue_.size() <= kQueueLow && queuedRows_ <= kQueueLowRows; }
  size_t highWater_ = 0;
  uint64_t nextTicket_ = 0;
  uint64_t doneTicket_ = 0;
  bool batchOpen_ = false;
  bool discarding_ = false;   // dropping statements up to the next end item
  bool abortRequested_ = false;
  bool busy_ = false;
  std::string failure_;
  std::function<void()> beforeItem_;
  std::atomic<bool> hasHook_{false};
};

// Owning handle of a writer: MakeWriter starts the thread after the whole object is built, and
// the deleter stops it before the writer's destructors run.
struct WriterDeleter {
  void operator()(SqlWriter* w) const {
    w->StopThread();
    delete w;
  }
};
template <class W>
using WriterPtr = std::unique_ptr<W, WriterDeleter>;
template <class W, class... Args>
WriterPtr<W> MakeWriter(Args&&... args) {
  WriterPtr<W> w(new W(std::forward<Args>(args)...));
  w->Start();  // a writer that started itself answers false here
  return w;
}

}  // namespace velmor
