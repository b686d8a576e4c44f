// Failed commands name the plug-in's own cause and where the log is, whatever the command.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";
const std::string kExample = std::string(VELMOR_SOURCE_DIR) + "/examples/declaration.json";

class FailureCli : public ::testing::Test {
 protected:
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {kVelmor, "--data", data_});
    return RunProcess(args);
  }
  void Configure(const std::string& server) {
    std::filesystem::create_directories(data_);
    ASSERT_TRUE(WriteFile(data_ + "/velmor.conf",
                          "[server]\nurl = " + server + "\ntimeout_ms = 300\n[portal]\ndjxh = 10011\n"));
  }
  // The command failed with exit 1, its one line names `cause` and the log.
  void ExpectCause(const ProcessResult& r, const std::string& cause) {
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const size_t line = r.err.rfind("velmor: ");
    ASSERT_NE(line, std::string::npos) << r.err;
    const std::string last = r.err.substr(line);
    EXPECT_NE(last.find(cause), std::string::npos) << last;
    EXPECT_NE(last.find("(see " + data_ + "/velmor.log)\n"), std::string::npos) << last;
    EXPECT_EQ(last.find("系统异常，请稍后再试"), std::string::npos) << last;
  }

  TempDir dir_;
  std::string data_ = dir_.File("data");
};

TEST_F(FailureCli, NoServerConfigured) {
  ASSERT_EQ(Run({"init", "--djxh", "10011"}).exitCode, 0);
  ExpectCause(Run({"declare", "submit", kExample}), "未配置服务器地址");
  ExpectCause(Run({"dict", "update"}), "未配置服务器地址");
  ExpectCause(Run({"roster", "sync"}), "未配置服务器地址");
}

TEST_F(FailureCli, ServerNotListening) {
  Configure("http://127.0.0.1:1");
  ExpectCause(Run({"declare", "sync"}), "无法连接服务器");
  ExpectCause(Run({"declare", "submit", kExample}), "无法连接服务器");
}

TEST_F(FailureCli, SlowServerAndUnreadableAnswer) {
  taxsim::Simulator sim;
  sim.Start();
  Configure(sim.Url());
  sim.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(R"({"kind":"delay","delayMs":1500})")));
  ExpectCause(Run({"dict", "update"}), "请求服务器超时（300毫秒）");
  sim.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(R"({"kind":"not-json","count":-1})")));
  ProcessResult r = Run({"dict", "update"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.find("系统异常，请稍后再试"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(see " + data_ + "/velmor.log)"), std::string::npos) << r.err;
}

TEST_F(FailureCli, FeedbackOfADeclarationThatNeedsNone) {
  taxsim::Simulator sim;
  sim.Start();
  Configure(sim.Url());
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  ExpectCause(Run({"declare", "feedback", "1"}), "不需要获取反馈");
  ExpectCause(Run({"declare", "feedback", "99"}), "申报记录[99]不存在");
}

}  // namespace
}  // namespace velmor::testing
