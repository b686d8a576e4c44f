// The failure boundary: the two log forms, the user-text rule (prefix + text, prefix alone, own
// refusals as they stand), unknown exceptions, the fallback result, and a failing debugger.
#include "framework/boundary.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/fake_host.h"
#include "framework/recording_debugger.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using testing::FakeHost;
using testing::RecordingDebugger;

// A refusal carrying a text for the user apart from the logged one.
class Refused : public Exception {
 public:
  Refused(std::string user, const std::string& detail) : Exception(user + detail), user_(std::move(user)) {}
  const std::string& UserText() const { return user_; }

 private:
  std::string user_;
};

class OtherRefusal : public Exception {
 public:
  using Exception::Exception;
};

class Boundary : public ::testing::Test {
 protected:
  void SetUp() override { host_.factory().debugger = dbg_; }
  std::vector<std::string> Lines() const { return dbg_->Messages(); }
  FakeHost host_;
  Ref<RecordingDebugger> dbg_ = Make<RecordingDebugger>();
};

TEST_F(Boundary, SuccessAnswersTheBodysResultAndLeavesTheTextAlone) {
  std::string text = "earlier";
  EXPECT_EQ(Guarded<>({"TCls", "Op"}, {"前缀："}, &text, -1, [] { return 7; }), 7);
  EXPECT_EQ(text, "earlier");
  EXPECT_TRUE(Attempt<>({"TCls", "Op"}, {"前缀："}, &text, [] {}));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(Boundary, TrailingAndBracketedLogForms) {
  std::string text;
  EXPECT_EQ(Guarded<>({"TCls", "Op"}, {"查询异常："}, &text, std::string("[]"),
                      []() -> std::string { throw std::runtime_error("磁盘已满"); }),
            "[]");
  EXPECT_EQ(text, "查询异常：磁盘已满");
  EXPECT_FALSE(Attempt<>({"TDao", "getData", LogForm::kBracketed}, {}, nullptr, [] { throw std::runtime_error("x"); }));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"[TCls.Op]异常：磁盘已满", "[异常]TDao.getData：[x]"}));
}

TEST_F(Boundary, ClassNameAloneWhenItAlreadyNamesTheOperation) {
  Attempt<>({"TCodeNameDAO.AddCodeName"}, {}, nullptr, [] { throw std::runtime_error("e"); });
  EXPECT_EQ(Lines(), (std::vector<std::string>{"[TCodeNameDAO.AddCodeName]异常：e"}));
}

TEST_F(Boundary, PrefixAloneWhenTextsAreNotAppended) {
  std::string text;
  Attempt<>({"TXnhMgr", "DjxxXz"}, {"系统异常，请稍后再试", false}, &text, [] { throw std::runtime_error("内部"); });
  EXPECT_EQ(text, "系统异常，请稍后再试");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"[TXnhMgr.DjxxXz]异常：内部"})) << "the log keeps the detail";
}

TEST_F(Boundary, OwnRefusalsStandAsTheyAreUsingTheirUserText) {
  std::string text;
  Attempt<Refused, OtherRefusal>({"TDao", "Save"}, {"保存失败：", false}, &text,
                                 [] { throw Refused("数据库更新失败。", "disk I/O error"); });
  EXPECT_EQ(text, "数据库更新失败。");
  Attempt<Refused, OtherRefusal>({"TDao", "Save"}, {"保存失败：", false}, &text,
                                 [] { throw OtherRefusal("人员编号列表为空。"); });
  EXPECT_EQ(text, "人员编号列表为空。") << "without UserText the whole text";
  Attempt<Refused>({"TDao", "Save"}, {"保存失败："}, &text, [] { throw OtherRefusal("x"); });
  EXPECT_EQ(text, "保存失败：x") << "a type not named is no own refusal";
  EXPECT_EQ(Lines()[0], "[TDao.Save]异常：数据库更新失败。disk I/O error") << "the log has the engine's text";
}

TEST_F(Boundary, UnknownExceptionsAreLoggedAndShownAsTheRuleSays) {
  std::string text;
  Attempt<>({"TStore", "Op"}, {"数据库查询失败。"}, &text, [] { throw 42; });
  EXPECT_EQ(text, "数据库查询失败。") << "stores never show the placeholder";
  Attempt<>({"TService", "Op"}, {"查询异常：", true, UnknownText::kShown}, &text, [] { throw 42; });
  EXPECT_EQ(text, "查询异常：未知异常");
  Attempt<>({"TMgr", "Op"}, {"系统异常", false, UnknownText::kShown}, &text, [] { throw 42; });
  EXPECT_EQ(text, "系统异常");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"[TStore.Op]异常：unknown exception", "[TService.Op]异常：未知异常",
                                               "[TMgr.Op]异常：未知异常"}));
}

TEST_F(Boundary, AFailingDebuggerDoesNotHideTheFailure) {
  dbg_->throwOnRecord = true;
  std::string text;
  EXPECT_EQ(Guarded<>({"TCls", "Op"}, {"前缀："}, &text, 0, []() -> int { throw std::runtime_error("e"); }), 0);
  EXPECT_EQ(text, "前缀：e");
}

TEST(BoundaryWithoutHost, LogsNothingAndStillAnswers) {
  std::string text;
  EXPECT_FALSE(Attempt<>({"TCls", "Op"}, {"前缀："}, &text, [] { throw std::runtime_error("e"); }));
  EXPECT_EQ(text, "前缀：e");
}

}  // namespace
}  // namespace velmor
