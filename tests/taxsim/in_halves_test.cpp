// The handlers' split of a long answer's rows (InHalves): a long range at its middle, the second
// half on a thread of its own; a short one all on the caller's thread; a failure of either half
// raised once both have ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

TEST(InHalves, SplitsALongRangeAtItsMiddleOntoTwoThreads) {
  std::mutex m;
  std::vector<std::tuple<size_t, size_t, int, std::thread::id>> calls;
  auto note = [&](size_t from, size_t to, int half) {
    std::lock_guard lock(m);
    calls.emplace_back(from, to, half, std::this_thread::get_id());
  };
  InHalves(kHalvesFrom - 1, note);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_tuple(size_t{0}, kHalvesFrom - 1, 0, std::this_thread::get_id()));

  calls.clear();
  InHalves(kHalvesFrom + 1, note);
  ASSERT_EQ(calls.size(), 2u);
  std::sort(calls.begin(), calls.end());
  const size_t half = (kHalvesFrom + 1) / 2;
  EXPECT_EQ(calls[0], std::make_tuple(size_t{0}, half, 0, std::this_thread::get_id())) << "the first half here";
  EXPECT_EQ(std::get<0>(calls[1]), half);
  EXPECT_EQ(std::get<1>(calls[1]), kHalvesFrom + 1);
  EXPECT_EQ(std::get<2>(calls[1]), 1);
  EXPECT_NE(std::get<3>(calls[1]), std::this_thread::get_id()) << "the second on a thread of its own";
}

TEST(InHalves, AFailureOfEitherHalfIsRaisedOnceBothEnded) {
  for (int failing : {0, 1}) {
    std::atomic<bool> otherEnded{false};
    EXPECT_THROW(InHalves(kHalvesFrom,
                          [&](size_t, size_t, int h) {
                            if (h == failing) throw std::runtime_error("half");
                            std::this_thread::sleep_for(std::chrono::milliseconds(20));
                            otherEnded = true;
                          }),
                 std::runtime_error);
    EXPECT_TRUE(otherEnded) << "half " << failing << " failed; the other one ran to its end first";
  }
}

}  // namespace
}  // namespace velmor::taxsim
