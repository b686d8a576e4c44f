#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string_view>
#include <thread>
#include <vector>

#include "host/file_debugger.h"
#include "host/host_error.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The part after time stamp and thread: "L<level> [category] message".
std::string Body(const std::string& line) {
  static constexpr std::string_view kStamp = "dddd-dd-dd dd:dd:dd.ddd ";
  bool ok = line.size() > kStamp.size();
  for (size_t i = 0; ok && i < kStamp.size(); ++i)
    ok = kStamp[i] == 'd' ? (line[i] >= '0' && line[i] <= '9') : line[i] == kStamp[i];
  std::string_view rest = ok ? std::string_view(line).substr(kStamp.size()) : std::string_view();
  size_t levelEnd = rest.find(' ');
  size_t threadEnd = levelEnd == std::string_view::npos ? levelEnd : rest.find(' ', levelEnd + 1);
  if (!ok || threadEnd == std::string_view::npos || rest[0] != 'L' ||
      !AllDigits(rest.substr(1, levelEnd - 1)) || !AllDigits(rest.substr(levelEnd + 1, threadEnd - levelEnd - 1)))
    return "malformed: " + line;
  return std::string(rest.substr(0, levelEnd)) + " " + std::string(rest.substr(threadEnd + 1));
}

class FileDebuggerTest : public ::testing::Test {
 protected:
  Ref<host::FileDebugger> Open(int32_t threshold = host::FileDebugger::kAllLevels) {
    host::FileDebugger::Options o;
    o.path = dir.File("velmor.log");
    o.threshold = threshold;
    return Make<host::FileDebugger>(o);
  }
  std::vector<std::string> Bodies() {
    std::vector<std::string> out;
    for (const auto& l : Lines(ReadFile(dir.File("velmor.log")))) out.push_back(Body(l));
    return out;
  }
  TempDir dir;
};

TEST_F(FileDebuggerTest, WritesEveryKindOfRecordAsOneLine) {
  auto d = Open();
  EXPECT_TRUE(d->IsActive());
  d->EnterProc("TDictMgr.Update", "");
  d->WriteLog("downloaded 3 rules", "dict", 2);
  d->WriteText("plain text", "", 1);
  d->WriteWideText(u"[TDictMgr.Update]异常：磁盘已满", u"异常", 0);
  d->WriteLog("first\nsecond\r\n", "multi", 2);
  d->WriteLog(nullptr, nullptr, 2);
  d->LeaveProc("TDictMgr.Update", "3 rules");
  EXPECT_EQ(Bodies(), (std::vector<std::string>{
                          "L3 [proc] Enter TDictMgr.Update",
                          "L2 [dict] downloaded 3 rules",
                          "L1 [] plain text",
                          "L0 [异常] [TDictMgr.Update]异常：磁盘已满",
                          "L2 [multi] first\\nsecond\\r\\n",
                          "L2 [] ",
                          "L3 [proc] Leave TDictMgr.Update (3 rules)",
                      }));
}

TEST_F(FileDebuggerTest, ActiveSwitchAndThreshold) {
  auto d = Open(1);
  d->WriteLog("error", "c", 0);
  d->WriteLog("warning", "c", 1);
  d->WriteLog("info", "c", 2);
  d->EnterProc("TX.Y", "");  // level 3: above the threshold
  d->SetActive(false);
  EXPECT_FALSE(d->IsActive());
  d->WriteLog("while inactive", "c", 0);
  d->EnterProc("TX.Z", "");
  d->SetActive(true);
  d->SetThreshold(host::FileDebugger::kAllLevels);
  d->WriteLog("verbose", "c", 9);
  EXPECT_EQ(Bodies(), (std::vector<std::string>{"L0 [c] error", "L1 [c] warning", "L9 [c] verbose"}));
}

TEST_F(FileDebuggerTest, AppendsToAnExistingLog) {
  ASSERT_TRUE(WriteFile(dir.File("velmor.log"), "earlier line\n"));
  Open()->WriteLog("later", "c", 2);
  auto lines = Lines(ReadFile(dir.File("velmor.log")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "earlier line");
  EXPECT_EQ(Body(lines[1]), "L2 [c] later");
}

TEST_F(FileDebuggerTest, UnopenableFileIsReportedClearly) {
  host::FileDebugger::Options o;
  o.path = dir.File("missing/velmor.log");
  try {
    Make<host::FileDebugger>(o);
    FAIL() << "no exception";
  } catch (const host::HostError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot open log file " + o.path + ": No such file or directory");
  }
}

TEST_F(FileDebuggerTest, AnUnopenableFileMayFallBackToStderr) {
  host::FileDebugger::Options o;
  o.path = dir.File("missing/velmor.log");
  o.stderrWhenUnwritable = true;
  ::testing::internal::CaptureStderr();
  {
    auto d = Make<host::FileDebugger>(o);
    EXPECT_FALSE(d->HasFile());
    d->WriteLog("detail", "c", 3);
    d->WriteLog("broken", "c", 0);
    EXPECT_EQ(d->LastError(), "broken");
  }
  std::string err = ::testing::internal::GetCapturedStderr();
  auto lines = Lines(err);
  ASSERT_EQ(lines.size(), 2u) << err;
  EXPECT_EQ(lines[0], "velmor: cannot open log file " + o.path + ": No such file or directory; warnings and errors "
                      "go to stderr");
  EXPECT_EQ(Body(lines[1]), "L0 [c] broken") << "only warnings and errors";
}

TEST_F(FileDebuggerTest, AFullLogIsRotated) {
  host::FileDebugger::Options o;
  o.path = dir.File("velmor.log");
  o.maxBytes = 1000;
  {
    auto d = Make<host::FileDebugger>(o);
    for (int i = 0; i < 30; ++i) d->WriteLog(("record " + std::to_string(i)).c_str(), "c", 2);
  }
  const std::string current = ReadFile(dir.File("velmor.log")), older = ReadFile(dir.File("velmor.log.1"));
  EXPECT_LE(current.size(), 1000u);
  EXPECT_LE(older.size(), 1000u);
  EXPECT_NE(older, "");
  // Nothing lost at the seam: the newest records are in order across the two files.
  auto lines = Lines(older + current);
  EXPECT_EQ(Body(lines.back()), "L2 [c] record 29");
  EXPECT_EQ(Body(lines[lines.size() - 2]), "L2 [c] record 28");
  for (const auto& l : lines) EXPECT_EQ(Body(l).rfind("L2 [c] record ", 0), 0u) << l;

  // A log already over the limit when opened starts anew.
  ASSERT_TRUE(WriteFile(dir.File("velmor.log"), std::string(2000, 'x') + "\n"));
  Make<host::FileDebugger>(o)->WriteLog("fresh", "c", 2);
  EXPECT_EQ(Lines(ReadFile(dir.File("velmor.log"))).size(), 1u);
  EXPECT_EQ(ReadFile(dir.File("velmor.log.1")).size(), 2001u);
}

TEST_F(FileDebuggerTest, RecordsFromManyThreadsStayWhole) {
  auto d = Open();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) d->WriteLog(("thread " + std::to_string(t) + " record " + std::to_string(i)).c_str(), "mt", 2);
    });
  for (auto& t : threads) t.join();
  auto bodies = Bodies();
  ASSERT_EQ(bodies.size(), 800u);
  std::set<std::string> distinct(bodies.begin(), bodies.end());
  EXPECT_EQ(distinct.size(), 800u);
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 200; i += 37)
      EXPECT_TRUE(distinct.count("L2 [mt] thread " + std::to_string(t) + " record " + std::to_string(i))) << t << " " << i;
}

}  // namespace
}  // namespace velmor::testing
