// Stores run behind their caller: order, thread, back-pressure and which failure the caller sees.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "store/store_behind.h"

namespace velmor {
namespace {

struct Seen {
  std::mutex mutex;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  void Add(int i) {
    std::lock_guard lock(mutex);
    order.push_back(i);
    threads.push_back(std::this_thread::get_id());
  }
};

std::vector<int> Upto(int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(i);
  return v;
}

TEST(StoreBehind, EveryStoreRunsInOrderOnOneOtherThreadBeforeFinishReturns) {
  for (int n : {0, 1, 3, 4, 5, 100}) {
    Seen seen;
    WithStoresBehind([&](StoreBehind& behind) {
      for (int i = 0; i < n; ++i) behind.Post([&seen, i] { seen.Add(i); });
    });
    EXPECT_EQ(seen.order, Upto(n)) << n;
    for (std::thread::id t : seen.threads) {
      EXPECT_NE(t, std::this_thread::get_id());
      EXPECT_EQ(t, seen.threads.front());
    }
  }
}

TEST(StoreBehind, PostWaitsForRoomBeyondItsDepth) {
  std::atomic<bool> release{false};
  std::atomic<int> posted{0}, started{0}, ran{0};
  StoreBehind behind(2);
  std::thread caller([&] {
    for (int i = 0; i < 6; ++i) {
      behind.Post([&] {
        ++started;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++ran;
      });
      ++posted;
    }
  });
  // One store runs (held), two wait in the queue; the fourth Post waits for room.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((started < 1 || posted < 3) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(started.load(), 1);
  EXPECT_EQ(posted.load(), 3);
  release = true;
  caller.join();
  behind.Finish();
  EXPECT_EQ(ran.load(), 6);
}

TEST(StoreBehind, AStoresFailureDropsTheLaterStoresAndReachesTheCallerOnce) {
  Seen seen;
  int posts = 0;
  try {
    WithStoresBehind(
        [&](StoreBehind& behind) {
          for (int i = 0; i < 1000; ++i, ++posts) {
            behind.Post([&seen, i] {
              if (i == 3) throw std::runtime_error("store 3 failed");
              seen.Add(i);
            });
          }
        },
        2);
    FAIL() << "no failure came out";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "store 3 failed");
  }
  EXPECT_EQ(seen.order, Upto(3));
  EXPECT_LT(posts, 1000) << "posting went on after the failure was known";
}

TEST(StoreBehind, TheCallersFailureComesOutAfterTheStoresPostedBefore) {
  Seen seen;
  try {
    WithStoresBehind([&](StoreBehind& behind) {
      for (int i = 0; i < 5; ++i)
        behind.Post([&seen, i] {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          seen.Add(i);
        });
      throw std::logic_error("the caller failed");
    });
    FAIL() << "no failure came out";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "the caller failed");
  }
  EXPECT_EQ(seen.order, Upto(5));
}

TEST(StoreBehind, AnEarlierStoresFailureWinsOverTheCallersLaterOne) {
  std::atomic<bool> storeFailed{false};
  try {
    WithStoresBehind([&](StoreBehind& behind) {
      behind.Post([&] {
        storeFailed = true;
        throw std::runtime_error("the store failed");
      });
      while (!storeFailed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      throw std::logic_error("the caller failed");
    });
    FAIL() << "no failure came out";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "the store failed");
  } catch (const std::logic_error&) {
    FAIL() << "the caller's later failure hid the store's";
  }
}

TEST(StoreBehind, TheDestructorRunsWhatIsQueuedAndDropsItsFailure) {
  Seen seen;
  {
    std::atomic<bool> queued{false};
    StoreBehind behind(8);
    behind.Post([&] {
      while (!queued) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      throw std::runtime_error("never seen");
    });
    for (int i = 0; i < 3; ++i) behind.Post([&seen, i] { seen.Add(i); });
    queued = true;
  }
  EXPECT_TRUE(seen.order.empty()) << "stores after a failure ran";
  {
    StoreBehind behind(8);
    for (int i = 0; i < 3; ++i)
      behind.Post([&seen, i] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        seen.Add(i);
      });
  }
  EXPECT_EQ(seen.order, Upto(3));
}

}  // namespace
}  // namespace velmor
