// `velmor declare` from a fresh data directory against the simulator: submit the example
// declaration, follow it, void it, list and download, payment states, export; and its errors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";
const std::string kExample = std::string(VELMOR_SOURCE_DIR) + "/examples/declaration.json";

class DeclareCli : public ::testing::Test {
 protected:
  DeclareCli() {
    sim_.Start();
    ProcessResult init = Run({"init", "--server", sim_.Url(), "--djxh", "10011"});
    EXPECT_EQ(init.exitCode, 0) << init.err;
  }
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {kVelmor, "--data", dir_.File("data")});
    return RunProcess(args);
  }
  // The example with the first person's jhsx set, which steers the simulator's answer.
  std::string Example(const std::string& jhsx) {
    std::ifstream in(kExample);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const std::string at = "\"rybh\": \"R0001\",";
    text.replace(text.find(at), at.size(), at + " \"jhsx\": \"" + jhsx + "\",");
    const std::string path = dir_.File(jhsx + ".json");
    std::ofstream(path) << text;
    return path;
  }
  // The state column of the line of master `id` in `declare list`.
  std::string ListedState(const std::string& id) {
    std::istringstream lines(Run({"declare", "list"}).out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(id + " ", 0) == 0) {
        std::istringstream words(line);
        std::string w, day, time, state;
        words >> w >> day >> time >> state;
        return state;
      }
    }
    return "<not listed>";
  }

  taxsim::Simulator sim_;
  TempDir dir_;
};

TEST_F(DeclareCli, SubmitFollowVoidAndSync) {
  ProcessResult sync = Run({"declare", "sync"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已同步申报清单，本地共 0 条申报记录\n");

  ProcessResult submit = Run({"declare", "submit", kExample});
  ASSERT_EQ(submit.exitCode, 0) << submit.err;
  EXPECT_EQ(submit.out, "申报已提交：ID 1，状态 2 申报成功\n");
  EXPECT_NE(submit.err.find("发送申报"), std::string::npos) << "progress on stderr";
  EXPECT_EQ(ListedState("1"), "2");

  ProcessResult queued = Run({"declare", "submit", Example("QUEUE")});
  ASSERT_EQ(queued.exitCode, 0) << queued.err;
  EXPECT_EQ(queued.out, "申报已提交：ID 2，状态 1 已受理待反馈\n");
  ProcessResult feedback = Run({"declare", "feedback", "2"});
  ASSERT_EQ(feedback.exitCode, 0) << feedback.err;
  EXPECT_EQ(feedback.out, "申报 2：状态 2 申报成功\n");

  ProcessResult voided = Run({"declare", "void", "1"});
  ASSERT_EQ(voided.exitCode, 0) << voided.err;
  EXPECT_EQ(voided.out, "申报 1：状态 5 已作废\n");
  EXPECT_EQ(ListedState("1"), "5");

  sync = Run({"declare", "sync", "--from", "2026-01", "--to", "2026-12"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已同步申报清单，本地共 2 条申报记录\n");
  EXPECT_EQ(ListedState("1"), "5") << "a voided declaration is not revived by the list";

  ProcessResult show = Run({"declare", "show", "2"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_NE(show.out.find("张三"), std::string::npos);
  EXPECT_NE(show.out.find("630.00"), std::string::npos);
}

TEST_F(DeclareCli, PaymentStateAndExport) {
  ASSERT_EQ(Run({"declare", "payment-state"}).out, "没有未缴款的申报\n");
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  sim_.WithState([](taxsim::State& s) {
    s.declarations[1]["paid"] = 630.0;
    return 0;
  });
  ProcessResult states = Run({"declare", "payment-state"});
  ASSERT_EQ(states.exitCode, 0) << states.err;
  EXPECT_EQ(states.out, "应征凭证序号  缴款状态\n1100000001    0 未缴款\n1100000002    3 已缴款\n");
  EXPECT_EQ(Run({"declare", "payment-state"}).out, "应征凭证序号  缴款状态\n1100000001    0 未缴款\n");

  const std::string file = dir_.File("sbmx.xlsx");
  ProcessResult exported = Run({"declare", "export", "1", file});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(exported.out, "已导出申报 1 的明细：" + file + "\n");
  std::ifstream in(file, std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "PK");
}

TEST_F(DeclareCli, SecondFormAndTheExportForms) {
  ProcessResult submit = Run({"declare", "submit", kExample, "--second-form"});
  ASSERT_EQ(submit.exitCode, 0) << submit.err;
  EXPECT_EQ(submit.out, "申报已提交：ID 1，状态 2 申报成功\n");
  EXPECT_EQ(sim_.RecentCalls().back().serviceCode, "0084");
  ProcessResult pending = Run({"declare", "submit", Example("ASYNC"), "--second-form"});
  ASSERT_EQ(pending.exitCode, 0) << pending.err;
  EXPECT_EQ(pending.out, "申报已提交：ID 2，状态 9 待确认\n");
  ProcessResult feedback = Run({"declare", "feedback", "2", "--second-form"});
  ASSERT_EQ(feedback.exitCode, 0) << feedback.err;
  EXPECT_EQ(feedback.out, "申报 2：状态 2 申报成功\n");
  EXPECT_EQ(sim_.RecentCalls().back().serviceCode, "0085");

  for (const char* form : {"2", "3"}) {
    const std::string file = dir_.File(std::string("form") + form + ".xlsx");
    ProcessResult exported = Run({"declare", "export", "1", file, "--form", form});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, std::string("已导出申报 1 的") + (form[0] == '2' ? "人员明细" : "人员校验结果") + "：" +
                                file + "\n");
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");
  }
  EXPECT_EQ(Run({"declare", "export", "1", dir_.File("x.xlsx"), "--form", "4"}).exitCode, 2);
  ProcessResult missing = Run({"declare", "export", "9", dir_.File("x.xlsx"), "--form", "3"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("velmor: 导出申报明细异常：申报记录[9]不存在 (see ", 0), 0u) << missing.err;

  // A declaration the server refuses is stored, but the command fails.
  ProcessResult refused = Run({"declare", "submit", Example("REJECT"), "--second-form"});
  EXPECT_EQ(refused.exitCode, 1) << refused.out;
  EXPECT_NE(refused.out.find("状态 3 申报失败"), std::string::npos) << refused.out;
  EXPECT_NE(refused.err.find("服务器未通过申报"), std::string::npos) << refused.err;
  ProcessResult help = Run({"declare", "--help"});
  for (const char* example : {"declare submit examples/declaration.json --second-form",
                              "declare feedback 2 --second-form", "--form 2", "--form 3"}) {
    EXPECT_NE(help.out.find(example), std::string::npos) << example;
  }
}

TEST_F(DeclareCli, ErrorsEndWithOneLine) {
  ProcessResult r = Run({"declare", "show", "9"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: 申报记录[9]不存在 (see ", 0), 0u) << r.err;
  r = Run({"declare", "void", "9"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: 作废申报异常：申报记录[9]不存在 (see ", 0), 0u) << r.err;
  r = Run({"declare", "submit", dir_.File("missing.json")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: cannot read " + dir_.File("missing.json") + "\n");
  std::ofstream(dir_.File("bad.json")) << "{";
  r = Run({"declare", "submit", dir_.File("bad.json")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: " + dir_.File("bad.json") + " is not a JSON document\n");
  r = Run({"declare", "sync", "--from", "2026"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: month must be yyyy-mm: 2026\n");
  r = Run({"declare", "export", "1"});
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
}  // namespace velmor::testing
