#include "framework/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "velmor/platform.h"

namespace velmor {
namespace {

class RecordingView : public Object<IProgressView> {
 public:
  explicit RecordingView(std::vector<std::string>* events) : events_(events) {}
  int32_t GetPosition() override { return position; }
  void SetPosition(int32_t p) override {
    position = p;
    events_->push_back("SetPosition " + std::to_string(p));
  }
  void StartProgress(const std::string&, int32_t, const std::string&) override {}
  void EndProgress() override {}
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 100; }
  int32_t GetHandle() override { return 1; }
  bool IsCancelled() override { return false; }
  int32_t position = 10;

 private:
  std::vector<std::string>* events_;
};

class Progress : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProcessMessagesHook([this] { events_.push_back("ProcessMessages"); });
  }
  void TearDown() override { platform::SetProcessMessagesHook({}); }
  std::vector<std::string> events_;
};

TEST_F(Progress, StepMovesTheViewThenProcessesMessages) {
  auto view = Make<RecordingView>(&events_);
  StepProgress(view.get(), 5);
  StepProgress(view.get(), -3);
  EXPECT_EQ(view->position, 12);
  EXPECT_EQ(events_, (std::vector<std::string>{"SetPosition 15", "ProcessMessages", "SetPosition 12",
                                               "ProcessMessages"}));
}

TEST_F(Progress, StepWithoutViewStillKeepsTheHostResponsive) {
  StepProgress(nullptr, 1);
  EXPECT_EQ(events_, std::vector<std::string>{"ProcessMessages"});
}

TEST_F(Progress, NullViewShowsNothingAndAnswersNeutrally) {
  Ref<IProgressView> view = ProgressOrDefault(nullptr);
  ASSERT_TRUE(view);
  view->StartProgress("正在处理，请稍等", 100, "进度");
  for (int i = 0; i < 100; ++i) StepProgress(view.get(), 1);
  view->SetMessage("x");
  view->EndProgress();
  EXPECT_EQ(view->GetPosition(), 0);
  EXPECT_EQ(view->GetMaximum(), 0);
  EXPECT_EQ(view->GetHandle(), -1);
  EXPECT_FALSE(view->IsCancelled());
  EXPECT_EQ(events_.size(), 100u);
}

}  // namespace
}  // namespace velmor
