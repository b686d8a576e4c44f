#include "framework/log.h"

#include <gtest/gtest.h>

#include "framework/fake_host.h"
#include "framework/recording_debugger.h"
#include "framework/registry.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using testing::DebugCall;
using testing::FakeHost;
using testing::RecordingDebugger;

void CallEveryLogFunction() {
  LogEnter("TDictMgr.Update", "d");
  LogLeave("TDictMgr.Update", "d");
  LogText("text", "cat", kLevelWarning);
  LogTextFmt("%d rows in %s", {3, "sb_dmmcb"}, kLevelInfo, "cat");
  LogMessage("[TDictMgr.Update]异常：x", "cat", kLevelError);
  LogMessage("plain", "cat", kLevelInfo);
  LogException("TPaymentMgr.GetQfxxLb", "boom");
}

TEST(LogWithoutHost, EveryFunctionReturnsWithoutEffect) {
  // No service-library window class is registered: nothing to call, and nothing formatted, so a
  // format that does not fit its arguments does not raise either.
  ASSERT_FALSE(IsServiceFactoryAvailable());
  EXPECT_NO_THROW(CallEveryLogFunction());
  EXPECT_NO_THROW(LogTextFmt("%d", {"not a number"}));
  { LogScope scope("TJSONDictionary.Load"); }
}

TEST(LogWithoutDebugger, FactoryWithoutDebuggerIsNoOp) {
  FakeHost host;  // factory.debugger stays null
  EXPECT_NO_THROW(CallEveryLogFunction());
}

TEST(LogInactive, OnlyIsActiveIsCalled) {
  FakeHost host;
  auto dbg = Make<RecordingDebugger>();
  dbg->active = false;
  host.factory().debugger = dbg;
  CallEveryLogFunction();
  EXPECT_NO_THROW(LogTextFmt("%d", {"mismatch is never formatted"}));
  EXPECT_TRUE(dbg->calls.empty());
  EXPECT_EQ(dbg->isActiveCalls, 8);  // once per call, nothing cached
}

class LogActive : public ::testing::Test {
 protected:
  void SetUp() override { host_.factory().debugger = dbg_; }
  FakeHost host_;
  Ref<RecordingDebugger> dbg_ = Make<RecordingDebugger>();
};

TEST_F(LogActive, EachFunctionCallsItsOperationWithItsArguments) {
  CallEveryLogFunction();
  std::vector<DebugCall> expected = {
      {"EnterProc", "TDictMgr.Update", "d", 0},
      {"LeaveProc", "TDictMgr.Update", "d", 0},
      {"WriteLog", "text", "cat", kLevelWarning},
      {"WriteLog", "3 rows in sb_dmmcb", "cat", kLevelInfo},
      {"WriteWideText", "[TDictMgr.Update]异常：x", "cat", kLevelError},
      {"WriteText", "plain", "cat", kLevelInfo},
      {"WriteWideText", "[TPaymentMgr.GetQfxxLb]异常：boom", "", kLevelError},
  };
  EXPECT_EQ(dbg_->calls, expected);
}

TEST_F(LogActive, BracketRuleLooksOnlyAtTheFirstCharacter) {
  LogMessage("[");
  LogMessage(" [TDictMgr.Update]异常：x");
  LogMessage("");
  LogMessage("x[y]");
  LogMessage("【10042】拒绝");  // a full-width bracket is not "["
  ASSERT_EQ(dbg_->calls.size(), 5u);
  EXPECT_EQ(dbg_->calls[0].op, "WriteWideText");
  for (size_t i = 1; i < 5; ++i) EXPECT_EQ(dbg_->calls[i].op, "WriteText") << i;
}

TEST_F(LogActive, WideTextSurvivesTheRoundTrip) {
  const std::string line = "[TJfpjService.Import]异常：文件“缴费票据.xls”不存在";
  LogMessage(line, "类别");
  ASSERT_EQ(dbg_->calls.size(), 1u);
  EXPECT_EQ(dbg_->calls[0].text, line);
  EXPECT_EQ(dbg_->calls[0].extra, "类别");
}

TEST_F(LogActive, FormatErrorReachesTheCaller) {
  try {
    LogTextFmt("%d", {"x"});
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
  }
  EXPECT_TRUE(dbg_->calls.empty());
}

TEST_F(LogActive, DebuggerIsObtainedAfreshForEveryCall) {
  LogText("one");
  auto second = Make<RecordingDebugger>();
  host_.factory().debugger = second;
  LogText("two");
  EXPECT_EQ(dbg_->Messages(), std::vector<std::string>{"one"});
  EXPECT_EQ(second->Messages(), std::vector<std::string>{"two"});
  host_.factory().debugger = nullptr;
  EXPECT_NO_THROW(LogText("three"));
  // Only the factory and this test hold references: nothing was kept by the log functions.
  EXPECT_EQ(dbg_->RefCountForTest(), 1);
  EXPECT_EQ(second->RefCountForTest(), 1);
}

TEST_F(LogActive, DebuggerExceptionsReachTheCaller) {
  dbg_->throwOnRecord = true;
  EXPECT_THROW(LogEnter("X.Y"), std::runtime_error);
  EXPECT_THROW(LogMessage("[X.Y]异常：z"), std::runtime_error);
  EXPECT_THROW(LogTextFmt("%s", {"a"}), std::runtime_error);
}

TEST_F(LogActive, ScopeEntersAndLeavesAndSwallowsAFailingLeave) {
  {
    LogScope scope("TDictMgr.ParseGzwj");
    EXPECT_EQ(dbg_->calls.size(), 1u);
    dbg_->throwOnRecord = true;  // the leave fails: the destructor must not throw
  }
  dbg_->throwOnRecord = false;
  {
    LogScope scope("TDictMgr.Update", "全部");
  }
  ASSERT_EQ(dbg_->calls.size(), 3u);
  EXPECT_EQ(dbg_->calls[1], (DebugCall{"EnterProc", "TDictMgr.Update", "全部", 0}));
  EXPECT_EQ(dbg_->calls[2], (DebugCall{"LeaveProc", "TDictMgr.Update", "全部", 0}));
}

}  // namespace
}  // namespace velmor
