// The simulator's background worker for asynchronous jobs and the job book's answers from it.
#include "taxsim/job_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "taxsim/jobs.h"

namespace velmor::taxsim {
namespace {

std::packaged_task<Answer()> Job(std::function<Answer()> fn) { return std::packaged_task<Answer()>(std::move(fn)); }

TEST(JobWorker, StopLetsTheRunningJobFinishAndDropsTheWaitingOnes) {
  JobWorker worker;
  std::atomic<bool> started{false}, release{false};
  auto first = Job([&] {
    started = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Answer::Refuse("1", "first");
  });
  auto second = Job([] { return Answer::Refuse("2", "second"); });
  std::future<Answer> a = first.get_future(), b = second.get_future();
  worker.Post(std::move(first));
  worker.Post(std::move(second));
  while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::thread stopper([&] { worker.Stop(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release = true;
  stopper.join();
  EXPECT_EQ(a.get().envelope.responseData, "1");
  EXPECT_THROW(b.get(), std::future_error);

  auto late = Job([] { return Answer::Refuse("3", "late"); });
  std::future<Answer> c = late.get_future();
  worker.Post(std::move(late));
  EXPECT_THROW(c.get(), std::future_error) << "nothing runs after Stop";
  worker.WaitIdle();  // returns at once once stopped
}

TEST(AsyncJobs, PendingUntilWorkedOutThenOnce) {
  AsyncJobs jobs;
  JobWorker worker;
  std::atomic<bool> release{false};
  auto slow = Job([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Answer::Refuse("7", "made");
  });
  ASSERT_EQ(jobs.Add("0058", "S", slow.get_future(), 1), AsyncJobs::Added::kAdded);
  worker.Post(std::move(slow));
  Answer answer;
  EXPECT_EQ(jobs.Poll("0058", "S", &answer), AsyncJobs::Polled::kPending) << "its pending poll";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(jobs.Poll("0058", "S", &answer), AsyncJobs::Polled::kPending) << "not made yet";
  release = true;
  worker.WaitIdle();
  ASSERT_EQ(jobs.Poll("0058", "S", &answer), AsyncJobs::Polled::kReady);
  EXPECT_EQ(answer.envelope.responseData, "7");
  EXPECT_EQ(jobs.Poll("0058", "S", &answer), AsyncJobs::Polled::kUnknown);

  // Told to wait, the poll past the pending ones waits for the answer.
  release = false;
  auto later = Job([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Answer::Refuse("8", "later");
  });
  ASSERT_EQ(jobs.Add("0058", "W", later.get_future(), 0), AsyncJobs::Added::kAdded);
  worker.Post(std::move(later));
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    release = true;
  });
  EXPECT_EQ(jobs.Poll("0058", "W", &answer, true), AsyncJobs::Polled::kReady);
  EXPECT_EQ(answer.envelope.responseData, "8");
  releaser.join();
}

TEST(AsyncJobs, DroppedOrFailedWorkAnswersWithARefusal) {
  AsyncJobs jobs;
  {
    auto never = Job([] { return Answer::Refuse("1", "never"); });
    ASSERT_EQ(jobs.Add("0059", "D", never.get_future(), 0), AsyncJobs::Added::kAdded);
  }  // dropped without running, as Stop drops waiting jobs
  auto throws = Job([]() -> Answer { throw std::runtime_error("坏了"); });
  ASSERT_EQ(jobs.Add("0059", "T", throws.get_future(), 0), AsyncJobs::Added::kAdded);
  throws();
  Answer answer;
  ASSERT_EQ(jobs.Poll("0059", "D", &answer), AsyncJobs::Polled::kReady);
  EXPECT_EQ(answer.envelope.responseData, "10009");
  EXPECT_EQ(answer.envelope.returnMessage, "服务端处理中断");
  ASSERT_EQ(jobs.Poll("0059", "T", &answer), AsyncJobs::Polled::kReady);
  EXPECT_EQ(answer.envelope.returnMessage, "服务端处理异常：坏了");
  auto dup = Job([] { return Answer::Refuse("1", "x"); });
  ASSERT_EQ(jobs.Add("0059", "X", dup.get_future(), 0), AsyncJobs::Added::kAdded);
  auto again = Job([] { return Answer::Refuse("1", "x"); });
  EXPECT_EQ(jobs.Add("0059", "X", again.get_future(), 0), AsyncJobs::Added::kDuplicate);
}

}  // namespace
}  // namespace velmor::taxsim
