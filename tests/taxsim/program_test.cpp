// The velmor-taxsim program as people run it.
#include <gtest/gtest.h>
#include <httplib.h>

#include "support/running_program.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/state.h"

namespace velmor::taxsim {
namespace {

using testing::kTaxsimProgram;
using testing::RunningProgram;

TEST(TaxsimProgram, PrintsOneLineWithItsAddressAndAnswersUntilTerminated) {
  RunningProgram p({kTaxsimProgram, "--port", "0", "--persons", "1000"});
  std::string line = p.FirstLine();
  const std::string prefix = "listening on http://127.0.0.1:";
  ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
  std::string port = line.substr(prefix.size());
  ASSERT_FALSE(port.empty());
  ASSERT_EQ(port.find_first_not_of("0123456789"), std::string::npos) << line;
  httplib::Client client("127.0.0.1", std::stoi(port));
  auto res = client.Get("/_taxsim/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, R"({"ok":true,"payers":1,"persons":1000})");
  EXPECT_EQ(p.Terminate(), 0);
  EXPECT_EQ(p.RemainingOutput(), "") << "one line, nothing else on standard output";
}

TEST(TaxsimProgram, WritesAndReadsScenarios) {
  ::velmor::testing::TempDir dir;
  std::string file = dir.File("s.json");
  auto w = ::velmor::testing::RunProcess(
      {kTaxsimProgram, "--persons", "30", "--payers", "2", "--seed", "9", "--write-scenario", file});
  ASSERT_EQ(w.exitCode, 0) << w.err;
  State written = LoadScenario(file);
  EXPECT_EQ(ToScenario(written), ToScenario(Generate({.persons = 30, .payers = 2, .seed = 9})));

  RunningProgram p({kTaxsimProgram, "--scenario", file});
  std::string line = p.FirstLine();
  ASSERT_EQ(line.rfind("listening on http://127.0.0.1:", 0), 0u) << line;
  httplib::Client client("127.0.0.1", std::stoi(line.substr(line.rfind(':') + 1)));
  auto res = client.Get("/_taxsim/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, R"({"ok":true,"payers":2,"persons":30})");
}

TEST(TaxsimProgram, BadArgumentsAndScenariosFailWithAMessage) {
  ::velmor::testing::TempDir dir;
  ASSERT_TRUE(::velmor::testing::WriteFile(dir.File("bad.json"), R"({"payers":[{}]})"));
  auto r = ::velmor::testing::RunProcess({kTaxsimProgram, "--scenario", dir.File("bad.json")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor-taxsim: " + dir.File("bad.json") + ": payers[0] 缺少 djxh\n");
  r = ::velmor::testing::RunProcess({kTaxsimProgram, "--port", "70000"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("--port"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace velmor::taxsim
