// One-off background calls on the module's pool.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "store/background/async_call.h"
#include "store/background/sync_event.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

using namespace std::chrono_literals;

TEST(AsyncCalls, RunOnPoolThreadsAndReportTheirEnd) {
  std::atomic<int> ran{0};
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> otherThread{false};
  std::vector<std::shared_ptr<AsyncCall>> calls;
  for (int i = 0; i < 8; ++i) {
    calls.push_back(RunAsyncCall("count", [&] {
      otherThread = std::this_thread::get_id() != caller;
      ++ran;
    }));
  }
  for (auto& c : calls) EXPECT_TRUE(c->Wait(10s));
  EXPECT_EQ(ran.load(), 8);
  EXPECT_TRUE(otherThread.load());
  EXPECT_EQ(calls[0]->GetState(), AsyncCall::State::kFinished);
  EXPECT_EQ(calls[0]->ErrorText(), "");

  auto failing = RunAsyncCall("fail", [] { throw Exception("创建EmployeeService接口失败！"); });
  EXPECT_TRUE(failing->Wait(10s));
  EXPECT_EQ(failing->ErrorText(), "创建EmployeeService接口失败！");
  ShutdownAsyncCalls();
}

TEST(AsyncCalls, AHandleMayBeDroppedTheListKeepsTheCallAlive) {
  SyncEvent done;
  auto payload = std::make_shared<int>(42);
  std::weak_ptr<int> watch = payload;
  RunAsyncCall("detached", [p = std::move(payload), &done] {
    std::this_thread::sleep_for(20ms);
    if (*p == 42) done.Set();
  });
  EXPECT_TRUE(done.WaitFor(10s));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (PendingAsyncCalls() > 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(PendingAsyncCalls(), 0u);
  EXPECT_TRUE(watch.expired()) << "what the call captured is freed once it has run";
  ShutdownAsyncCalls();
}

TEST(AsyncCalls, ShutdownWaitsForRunningCallsAndCancelsQueuedOnes) {
  SyncEvent release(true);
  std::atomic<int> started{0};
  std::vector<std::shared_ptr<AsyncCall>> blockers;
  for (int i = 0; i < kMaxPoolThreads; ++i) {
    blockers.push_back(RunAsyncCall("block", [&] {
      ++started;
      release.WaitFor(10s);
    }));
  }
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (started.load() < kMaxPoolThreads && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  ASSERT_EQ(started.load(), kMaxPoolThreads) << "the pool grows to its limit";
  std::atomic<bool> queuedRan{false};
  auto queued = RunAsyncCall("queued", [&] { queuedRan = true; });
  std::thread releaser([&] {
    std::this_thread::sleep_for(100ms);
    release.Set();
  });
  // Every pool thread is busy, so `queued` may still be waiting when the shut-down starts.
  ShutdownAsyncCalls();
  releaser.join();
  for (auto& b : blockers) EXPECT_EQ(b->GetState(), AsyncCall::State::kFinished);
  EXPECT_TRUE(queued->Done());
  EXPECT_EQ(queued->GetState() == AsyncCall::State::kCancelled, !queuedRan.load());
  EXPECT_EQ(PendingAsyncCalls(), 0u);
  // The pool starts afresh afterwards.
  auto after = RunAsyncCall("after", [] {});
  EXPECT_TRUE(after->Wait(10s));
  ShutdownAsyncCalls();
}

}  // namespace
}  // namespace velmor::testing
