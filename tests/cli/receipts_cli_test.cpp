// `velmor receipts`, `velmor special` and `velmor certificate` from a fresh data directory against
// the simulator, as a user would run them: the import twice, a queued special declaration and its
// verdict, the paid lines and a certificate.
#include <gtest/gtest.h>

#include <fstream>

#include "support/cli_on_simulator.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kFixtures = std::string(VELMOR_SOURCE_DIR) + "/tests/receipts/fixtures/";
const std::string& kPayer = kCliDjxh;

taxsim::SimulatorOptions TwoPersons() {
  taxsim::SimulatorOptions o;
  o.generate.persons = 2;
  return o;
}

class ReceiptsCli : public CliOnSimulator {
 protected:
  ReceiptsCli() : CliOnSimulator(TwoPersons(), {}) {}
};

TEST_F(ReceiptsCli, ImportTwiceListAndDelete) {
  ProcessResult first = Run({"receipts", "import", kFixtures + "receipts.xlsx"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find("第5行未导入（Tom 110101199303033456）：姓名请输入汉字或特殊字符-中间符·"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("导入成功 3 条（新增 3 条），失败 8 条"), std::string::npos) << first.out;
  ProcessResult again = Run({"receipts", "import", kFixtures + "receipts_again.xls"});
  EXPECT_NE(again.out.find("导入成功 3 条（新增 0 条），失败 8 条"), std::string::npos) << again.out;
  ProcessResult list = Run({"receipts", "list"});
  EXPECT_EQ(list.err, "共 3 条缴费凭证\n");
  ProcessResult missing = Run({"receipts", "import", dir_.File("none.xlsx")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("不存在。"), std::string::npos) << missing.err;
  ASSERT_EQ(Run({"receipts", "template", dir_.File("t.xlsx")}).exitCode, 0);
  EXPECT_EQ(Run({"receipts", "delete", "1"}).exitCode, 0);
  EXPECT_EQ(Run({"receipts", "list"}).err, "共 2 条缴费凭证\n");
}

TEST_F(ReceiptsCli, QueuedSpecialDeclarationAndItsVerdict) {
  sim_.WithState([](taxsim::State& s) { s.queueDeclarations = true; });
  std::ofstream(dir_.File("body.xml")) << "<sbxxList><sbxxDTO><xm>张三</xm><jfje>300</jfje></sbxxDTO></sbxxList>";
  std::ofstream(dir_.File("lines.json")) << R"([{"xm":"张三","zjlx":"201","zjhm":"110101199001011234","jfje":300}])";
  ProcessResult declared = Run({"special", "declare", dir_.File("body.xml"), "--lines", dir_.File("lines.json")});
  ASSERT_EQ(declared.exitCode, 0) << declared.err;
  EXPECT_NE(declared.out.find("申报状态 1"), std::string::npos) << declared.out;
  const std::string mark = "流水号 ";
  const std::string serial = declared.out.substr(mark.size(), declared.out.find("，") - mark.size());
  ProcessResult verdict = Run({"special", "verdict", serial});
  ASSERT_EQ(verdict.exitCode, 0) << verdict.err;
  EXPECT_NE(verdict.out.find("申报状态 2"), std::string::npos) << verdict.out;
  ProcessResult list = Run({"special", "list", "--state", "2"});
  EXPECT_EQ(list.err, "共 1 条\n");
  EXPECT_EQ(Run({"special", "list", "--state", "x"}).exitCode, 1);
}

TEST_F(ReceiptsCli, PaidLinesAndACertificate) {
  ProcessResult lines = Run({"certificate", "lines"});
  ASSERT_EQ(lines.exitCode, 0) << lines.err;
  EXPECT_NE(lines.out.find("已开具"), std::string::npos) << lines.out;
  const size_t at = lines.out.find("\nY");
  ASSERT_NE(at, std::string::npos) << lines.out;
  const std::string yzpzxh = lines.out.substr(at + 1, lines.out.find_first_of(" \t", at) - at - 1);
  ProcessResult issued = Run({"certificate", "issue", yzpzxh});
  ASSERT_EQ(issued.exitCode, 0) << issued.err;
  EXPECT_NE(issued.out.find("已开具 ZM"), std::string::npos) << issued.out;
  ProcessResult again = Run({"certificate", "issue", yzpzxh});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("30175"), std::string::npos) << again.err;
  EXPECT_EQ(Run({"certificate", "void", "ZM-NONE"}).exitCode, 1);
}

}  // namespace
}  // namespace velmor::testing
