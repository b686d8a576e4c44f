#include "host/terminal_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/cancel.h"
#include "host/host_error.h"
#include "host/message_pump.h"
#include "velmor/platform.h"

namespace velmor::host {
namespace {

using namespace std::chrono_literals;

// Captures what the view writes, with a clock the test moves by hand.
class Capture {
 public:
  Capture() { file_ = open_memstream(&buf_, &size_); }
  ~Capture() {
    std::fclose(file_);
    std::free(buf_);
  }
  std::string Text() {
    std::fflush(file_);
    return std::string(buf_, size_);
  }
  // The successive in-place drawings ("\r..." up to the clear-to-end sequence).
  std::vector<std::string> Frames() {
    std::vector<std::string> frames;
    std::string t = Text();
    for (size_t i = t.find('\r'); i != std::string::npos; i = t.find('\r', i + 1)) {
      size_t end = t.find("\x1b[K", i);
      frames.push_back(t.substr(i + 1, end - i - 1));
    }
    return frames;
  }
  TerminalProgressView::Options Options(int terminal, int columns = 80) {
    TerminalProgressView::Options o;
    o.out = file_;
    o.terminal = terminal;
    o.columns = columns;
    o.now = [this] { return now; };
    return o;
  }
  TerminalProgressView::Clock::time_point now{};

 private:
  std::FILE* file_ = nullptr;
  char* buf_ = nullptr;
  size_t size_ = 0;
};

TEST(TerminalProgress, PlainLinesWhenNotATerminal) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(0));
  EXPECT_FALSE(view->IsTerminal());
  view->StartProgress("正在处理，请稍等", 100, "进度");
  for (int p = 1; p <= 100; ++p) view->SetPosition(p);
  view->SetPosition(100);
  view->SetMessage("正在写入");
  view->EndProgress();
  std::string expected = "进度: 正在处理，请稍等\n";
  for (int t = 10; t <= 100; t += 10) expected += "进度: " + std::to_string(t) + "%\n";
  expected += "进度: 正在写入\n";
  EXPECT_EQ(out.Text(), expected);
}

TEST(TerminalProgress, PlainLinesSkipStepsThatWereJumpedOver) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(0));
  view->StartProgress("导入", 1000, "");
  view->SetPosition(5);
  view->SetPosition(570);
  view->SetPosition(1000);
  EXPECT_EQ(out.Text(), "导入\n导入: 50%\n导入: 100%\n");
}

TEST(TerminalProgress, RedrawsAtMostOncePerInterval) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1));
  view->StartProgress("下载", 1000, "进度");
  for (int p = 1; p < 1000; ++p) {
    out.now += 1ms;  // a thousand steps in one second
    view->SetPosition(p);
  }
  // The start, then one frame per 200 ms at most.
  EXPECT_LE(out.Frames().size(), 6u);
  EXPECT_GE(out.Frames().size(), 5u);
  view->SetPosition(1000);  // the maximum is drawn at once
  EXPECT_NE(out.Frames().back().find("100%"), std::string::npos);
}

TEST(TerminalProgress, RefreshDrawsWhatTheIntervalHeldBack) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1, 60));
  view->StartProgress("下载", 100, "进度");
  view->SetPosition(30);  // within the interval: held back
  ASSERT_EQ(out.Frames().size(), 1u);
  view->Refresh();
  EXPECT_EQ(out.Frames().size(), 1u);
  out.now += 250ms;
  view->Refresh();
  ASSERT_EQ(out.Frames().size(), 2u);
  EXPECT_NE(out.Frames()[1].find(" 30%"), std::string::npos);
  view->Refresh();  // nothing new
  EXPECT_EQ(out.Frames().size(), 2u);
}

TEST(TerminalProgress, FramesShowCaptionMessageBarAndPercent) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1, 40));
  view->StartProgress("msg", 4, "cap");
  out.now += 1s;
  view->SetPosition(1);
  std::vector<std::string> frames = out.Frames();
  ASSERT_EQ(frames.size(), 2u);
  // 40 columns, the last kept free so the cursor never wraps: "cap: msg" (8), " [", "]" and
  // "  25% | 1.0s" leave 16 for the bar.
  EXPECT_EQ(frames[1], "cap: msg [####------------]  25% | 1.0s");
  view->EndProgress();
  EXPECT_EQ(out.Text().back(), '\n');
}

TEST(TerminalProgress, LongWideMessagesAreCutToTheWidth) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1, 50));
  std::string message;
  for (int i = 0; i < 40; ++i) message += "缴费";
  view->StartProgress(message, 100, "进度");
  for (const std::string& f : out.Frames()) {
    EXPECT_LE(TerminalProgressView::DisplayWidth(f), 50) << f;
    EXPECT_NE(f.find("..."), std::string::npos);
  }
  EXPECT_EQ(TerminalProgressView::DisplayWidth("ab缴费"), 6);
}

TEST(TerminalProgress, PositionsNeverGoBackAndStayWithinTheMaximum) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(0));
  view->StartProgress("x", 100, "");
  view->SetPosition(88);
  view->SetPosition(71);  // an operation that recounts must not move the display back
  EXPECT_EQ(view->GetPosition(), 88);
  view->SetPosition(-5);
  EXPECT_EQ(view->GetPosition(), 88);
  view->SetPosition(500);
  EXPECT_EQ(view->GetPosition(), 100);
  EXPECT_EQ(out.Text(), "x\nx: 80%\nx: 100%\n");
}

TEST(TerminalProgress, AnUnknownMaximumShowsTheCountAndCountsAreGrouped) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1, 100));
  view->StartProgress("rows", 0, "");
  out.now += 1s;
  view->SetPosition(1234);
  EXPECT_EQ(view->GetPosition(), 1234);
  std::string last = out.Frames().back();
  EXPECT_EQ(last.substr(last.size() - 14), "] 1,234 | 1.0s") << last;
  view->StartProgress("persons", 100000, "sync");
  view->ShowCounts(true);
  out.now += 2100ms;
  view->SetPosition(43000);
  last = out.Frames().back();
  EXPECT_NE(last.find("  43% 43,000 / 100,000 | 2.1s"), std::string::npos) << last;
  EXPECT_EQ(TerminalProgressView::Grouped(0), "0");
  EXPECT_EQ(TerminalProgressView::Grouped(999), "999");
  EXPECT_EQ(TerminalProgressView::Grouped(1000), "1,000");
  EXPECT_EQ(TerminalProgressView::Grouped(-1234567), "-1,234,567");
}

TEST(TerminalProgress, FinishedStepsShowAHundredAndLabelsAreNeverEmpty) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(0));
  view->StartProgress("", 100, "");
  view->SetPosition(7);
  view->StartProgress("", 1000, "sync");  // the next step: the first one went through
  view->SetPosition(120);
  view->SetMessage("");
  view->Complete();
  view->Complete();  // once only
  EXPECT_EQ(out.Text(), "处理中\n处理中: 100%\nsync\nsync: 10%\nsync: 100%\n");

  Capture tty;
  auto drawn = Make<TerminalProgressView>(tty.Options(1));
  drawn->StartProgress("下载", 10, "进度");
  drawn->SetPosition(3);
  drawn->EndProgress();  // ended by the operation, then completed by the command
  drawn->Complete();
  EXPECT_NE(tty.Frames().back().find(" 100%"), std::string::npos) << tty.Text();
  EXPECT_EQ(tty.Text().back(), '\n');
}

TEST(TerminalProgress, WhileNothingMovesRefreshTurnsTheSpinnerAndTheClock) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1));
  view->StartProgress("等待服务器", 100, "");
  view->SetPosition(10);
  for (int i = 0; i < 3; ++i) {
    out.now += 250ms;
    view->Refresh();
  }
  std::vector<std::string> frames = out.Frames();
  ASSERT_GE(frames.size(), 4u);
  EXPECT_NE(frames.back().find(" 0.8s"), std::string::npos) << frames.back();
  EXPECT_NE(frames[frames.size() - 1].substr(frames.back().size() - 6, 1),
            frames[frames.size() - 2].substr(frames[frames.size() - 2].size() - 6, 1))
      << "the spinner turns";
  out.now += 10ms;
  view->Refresh();  // within the interval: nothing drawn
  EXPECT_EQ(out.Frames().size(), frames.size());
}

TEST(TerminalProgress, DestructionEndsARunningDisplay) {
  Capture out;
  {
    auto view = Make<TerminalProgressView>(out.Options(1));
    view->StartProgress("x", 10, "");
  }
  EXPECT_EQ(out.Text().back(), '\n');
}

TEST(TerminalProgress, CancelIsVisibleToTheOperationAndOnScreen) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1));
  view->StartProgress("x", 10, "");
  EXPECT_FALSE(view->IsCancelled());
  RequestCancel();
  EXPECT_TRUE(view->IsCancelled());
  out.now += 1s;
  view->Refresh();
  EXPECT_NE(out.Frames().back().find("(正在取消)"), std::string::npos);
  ClearCancelRequest();
  EXPECT_FALSE(view->IsCancelled());
}

TEST(MessagePump, ProcessMessagesRefreshesTheWatchedView) {
  Capture out;
  auto view = Make<TerminalProgressView>(out.Options(1));
  {
    MessagePump pump(false);
    pump.Watch(view);
    view->StartProgress("x", 100, "");
    view->SetPosition(40);
    platform::ProcessMessages();
    EXPECT_EQ(out.Frames().size(), 1u);  // still within the interval
    out.now += 1s;
    platform::ProcessMessages();
    EXPECT_EQ(out.Frames().size(), 2u);
    EXPECT_EQ(pump.Calls(), 2);
    EXPECT_THROW({ MessagePump second(false); }, HostError);
  }
  view->SetPosition(50);
  out.now += 1s;
  platform::ProcessMessages();  // the hook is gone
  EXPECT_EQ(out.Frames().size(), 2u);
}

}  // namespace
}  // namespace velmor::host
