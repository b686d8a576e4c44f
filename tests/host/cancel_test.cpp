#include "host/cancel.h"

#include <gtest/gtest.h>

#include <csignal>

#include "host/host_error.h"
#include "host/message_pump.h"

namespace velmor::host {
namespace {

void (*CurrentHandler())(int) {
  struct sigaction sa {};
  sigaction(SIGINT, nullptr, &sa);
  return sa.sa_handler;
}

TEST(Cancel, FirstCtrlCIsARequestNotAnExit) {
  auto before = CurrentHandler();
  {
    CancelHandler handler;
    EXPECT_FALSE(CancelRequested());
    std::raise(SIGINT);
    EXPECT_TRUE(CancelRequested());  // and the process is still here
    ClearCancelRequest();
    EXPECT_FALSE(CancelRequested());
  }
  EXPECT_EQ(CurrentHandler(), before);
  EXPECT_FALSE(CancelRequested());
}

TEST(Cancel, OneHandlerAtATime) {
  CancelHandler handler;
  try {
    CancelHandler second;
    FAIL();
  } catch (const HostError& e) {
    EXPECT_STREQ(e.what(), "a Ctrl-C handler is already installed");
  }
  try {
    MessagePump pump;  // would install a second handler
    FAIL();
  } catch (const HostError& e) {
    EXPECT_STREQ(e.what(), "a Ctrl-C handler is already installed");
  }
  MessagePump pump(false);  // the pump itself is free again
}

TEST(CancelDeathTest, SecondCtrlCEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CancelHandler handler;
        std::raise(SIGINT);
        std::raise(SIGINT);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "正在取消…（再按一次 Ctrl-C 立即退出）");
}

}  // namespace
}  // namespace velmor::host
