// Long commands as an operator sees them: the progress lines when the output is piped, and Ctrl-C
// during a 20,000-person roster download.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <set>
#include <sstream>

#include "support/cli_on_simulator.h"
#include "support/running_program.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

class LongCommandCli : public CliOnSimulator {
 protected:
  explicit LongCommandCli(int64_t persons = 20000) : CliOnSimulator(Generated(persons), {}) {}
  std::string Persons() {
    ProcessResult count = Run({"roster", "count", "--fields", "persons"});
    EXPECT_EQ(count.exitCode, 0) << count.err;
    return count.out;
  }
  static taxsim::SimulatorOptions Generated(int64_t persons) {
    taxsim::SimulatorOptions o;
    o.threads = 4;
    o.asyncPendingPolls = 1;
    o.generate = {.persons = persons, .payers = 1, .seed = 9};
    return o;
  }
};

// "caption: N%" lines of a piped display, per caption in order of appearance.
std::vector<std::pair<std::string, std::vector<int>>> PercentLines(const std::string& err) {
  std::vector<std::pair<std::string, std::vector<int>>> steps;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);) {
    size_t colon = line.rfind(": ");
    if (colon == std::string::npos || line.empty() || line.back() != '%') continue;
    std::string label = line.substr(0, colon);
    int value = std::stoi(line.substr(colon + 2));
    if (steps.empty() || value <= (steps.back().second.empty() ? -1 : steps.back().second.back()) ||
        steps.back().first != label)
      steps.push_back({label, {}});
    steps.back().second.push_back(value);
  }
  return steps;
}

TEST_F(LongCommandCli, PipedProgressRisesToAHundredInEveryStepAndCtrlCRollsBack) {
  ProcessResult first = Run({"roster", "sync", "--full"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out.rfind("花名册已保存：20000人，", 0), 0u) << first.out;
  // Every step's percentages rise and end at 100; a step restarting at a lower value would show
  // here as an extra step that does not end at 100.
  auto steps = PercentLines(first.err);
  ASSERT_GE(steps.size(), 2u) << first.err;  // the scheme account, then the persons
  for (const auto& [label, values] : steps) {
    EXPECT_FALSE(label.empty());
    for (size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]) << first.err;
    EXPECT_EQ(values.back(), 100) << label << "\n" << first.err;
  }
  EXPECT_EQ(first.err.find("\n: "), std::string::npos) << "an empty label:\n" << first.err;
  ASSERT_EQ(Persons(), "persons\n20000\n");
  // The whole roster as one page, read from the store in chunks: every person once.
  ProcessResult all = Run({"roster", "list", "--size", "20000", "--fields", "id"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  std::istringstream ids(all.out);
  std::set<std::string> seen;
  for (std::string line; std::getline(ids, line);) seen.insert(line);
  EXPECT_EQ(seen.size(), 20001u) << "the head and 20,000 distinct persons";
  // The log holds the command and every exchange with its status and time.
  const std::string log = ReadFile(dir_.File("data/velmor.log"));
  EXPECT_NE(log.find("[cli] command: " + kVelmor + " --data " + dir_.File("data") + " roster sync --full\n"),
            std::string::npos);
  std::regex exchange(R"(\[net\] exchange /\S+(?: serial \S+)?: HTTP 200, \d+ ms, \d+ bytes sent, \d+ received)");
  EXPECT_GE(std::distance(std::sregex_iterator(log.begin(), log.end(), exchange), std::sregex_iterator()), 3) << log;

  // The server now holds half the persons: a full download that went through would drop the rest.
  sim_.WithState([](taxsim::State& s) {
    std::set<std::string> kept;
    s.persons.resize(s.persons.size() / 2);
    for (const auto& p : s.persons) kept.insert(p.rydjxh);
    std::erase_if(s.enrolments, [&](const auto& e) { return !kept.count(e.rydjxh); });
    std::erase_if(s.items, [&](const auto& i) { return !kept.count(i.rydjxh); });
    s.Reindex();
    return 0;
  });
  {
    taxsim::Fault slow;
    slow.kind = taxsim::FaultKind::kDelay;
    slow.delayMs = 300;
    slow.count = -1;
    sim_.Faults().Add(slow);
    taxsim::testing::RunningProgram sync(Argv({"roster", "sync", "--full"}), 2);
    ASSERT_NE(sync.LineWith("全量下载参保人员", 30), "");
    EXPECT_EQ(sync.Signal(SIGINT, 30), 130);
    EXPECT_NE(sync.RemainingOutput().find("已取消（roster sync）"), std::string::npos);
    sim_.Faults().Clear();
  }
  EXPECT_EQ(Persons(), "persons\n20000\n") << "the interrupted download changed the roster";

  ProcessResult again = Run({"roster", "sync", "--full"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(Persons(), "persons\n10000\n");
}

class WaitingCommandCli : public LongCommandCli {
 protected:
  WaitingCommandCli() : LongCommandCli(40) {}
};

TEST_F(WaitingCommandCli, QuietRunsShowNoProgressAndTheLogLevelCanBeSetPerRun) {
  ProcessResult quiet = Run({"-q", "roster", "sync", "--full", "--log-level", "0"});
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out.rfind("花名册已保存：40人", 0), 0u) << quiet.out;
  EXPECT_EQ(ReadFile(dir_.File("data/velmor.log")).find("roster sync --full"), std::string::npos)
      << "level 0 keeps errors only";
  ASSERT_EQ(Run({"roster", "count", "--log-level", "2"}).exitCode, 0);
  EXPECT_NE(ReadFile(dir_.File("data/velmor.log")).find("roster count"), std::string::npos);
  EXPECT_EQ(Run({"roster", "count", "--log-level", "x"}).exitCode, 2);
}

TEST_F(WaitingCommandCli, CtrlCWhileTheServerDoesNotAnswerEndsAtOnce) {
  taxsim::Fault stuck;
  stuck.kind = taxsim::FaultKind::kDelay;
  stuck.delayMs = taxsim::kMaxDelayMs;
  stuck.count = -1;
  sim_.Faults().Add(stuck);
  taxsim::testing::RunningProgram sync(Argv({"scheme", "sync"}), 2);
  ASSERT_NE(sync.LineWith("scheme sync", 30), "");
  ::usleep(300000);
  EXPECT_EQ(sync.Signal(SIGINT, 5), 130);
  EXPECT_NE(sync.RemainingOutput().find("已取消（scheme sync）"), std::string::npos);
  sim_.Faults().Clear();
  EXPECT_EQ(Persons(), "persons\n0\n");
}

}  // namespace
}  // namespace velmor::testing
