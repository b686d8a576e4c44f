// `velmor pay` from a fresh data directory against the simulator: arrears paid by deduction and
// by voucher, the voucher workbook, a voided voucher, the status of a levy document, the
// home-page notices, and the ways a call fails.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/cli_on_simulator.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::json;

const std::string& kPayer = kCliDjxh;

taxsim::SimulatorOptions TwoPersons() {
  taxsim::SimulatorOptions o;
  o.generate.persons = 2;
  return o;
}

class PayCli : public CliOnSimulator {
 protected:
  PayCli() : CliOnSimulator(TwoPersons(), {}) {}
  // A declared levy document of the payer, one line per amount, due ten days ago.
  void Declared(const std::string& yzpzxh, std::initializer_list<double> amounts) {
    sim_.WithState([&](taxsim::State& s) {
      Json persons = Json::array();
      double total = 0;
      for (double a : amounts) {
        persons.push_back({{"zsxmDm", "10210"}, {"zspmDm", "102101000"}, {"yjfe", a}, {"jfnd", "2026"}});
        total += a;
      }
      s.declarations.push_back({{"djxh", kPayer}, {"yzpzxh", yzpzxh}, {"state", "declared"}, {"yjfe", total},
                                {"paid", 0.0}, {"persons", persons}, {"jkqx", "2020-01-01"}});
    });
  }
};

TEST_F(PayCli, DeductVoucherExportVoidAndStatus) {
  Declared("Y1", {100, 200});
  Declared("Y2", {50});
  ProcessResult agreements = Run({"pay", "agreements"});
  ASSERT_EQ(agreements.exitCode, 0) << agreements.err;
  EXPECT_EQ(Json::parse(agreements.out).size(), 1u);
  ProcessResult arrears = Run({"pay", "arrears"});
  ASSERT_EQ(arrears.exitCode, 0) << arrears.err;
  EXPECT_EQ(Json::parse(arrears.out).size(), 3u) << arrears.out;

  ProcessResult deduct = Run({"pay", "deduct", "--yzpzxh", "Y1"});
  ASSERT_EQ(deduct.exitCode, 0) << deduct.err;
  EXPECT_EQ(Json::parse(deduct.out)["lines"], 2);
  ProcessResult voucher = Run({"pay", "voucher"});
  ASSERT_EQ(voucher.exitCode, 0) << voucher.err;
  EXPECT_EQ(Json::parse(voucher.out)["result"], "done");
  ProcessResult none = Run({"pay", "deduct"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("没有可缴纳的欠费信息。"), std::string::npos) << none.err;

  ProcessResult list = Run({"pay", "list"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  Json stored = Json::parse(list.out);
  ASSERT_EQ(stored["payments"].size(), 3u);
  ASSERT_EQ(stored["vouchers"].size(), 1u);
  const std::string dzsphm = stored["vouchers"][0]["dzsphm"], swjg = stored["vouchers"][0]["zsjgDm"];

  // Without a preview program the workbook is written all the same, and the user told.
  ProcessResult exported = Run({"pay", "export"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(exported.err.find("您未安装Excel，无法预览"), std::string::npos) << exported.err;
  ASSERT_EQ(exported.out.rfind("已导出：", 0), 0u) << exported.out;
  const size_t mark = std::string("已导出：").size();
  const std::string file = exported.out.substr(mark, exported.out.size() - mark - 1);
  EXPECT_TRUE(std::filesystem::exists(file)) << file;
  EXPECT_NE(file.find("/M8/Temp/银行端缴税凭证_"), std::string::npos) << file;
  ProcessResult unknown = Run({"pay", "export", "--dzsphm", "nope"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("未找到指定的缴款凭证。"), std::string::npos) << unknown.err;

  ASSERT_EQ(Run({"pay", "void", dzsphm, "--swjg", swjg}).exitCode, 0);
  ProcessResult again = Run({"pay", "void", dzsphm, "--swjg", swjg});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("缴款凭证已作废"), std::string::npos) << again.err;
  ProcessResult noValid = Run({"pay", "export"});
  EXPECT_EQ(noValid.exitCode, 1);
  EXPECT_NE(noValid.err.find("没有有效的银行端缴税凭证。"), std::string::npos) << noValid.err;

  ProcessResult status = Run({"pay", "status", "Y1"});
  ASSERT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(Json::parse(status.out)["wjkje"], "0.00") << status.out;
  EXPECT_NE(Run({"pay", "void", dzsphm}).exitCode, 0) << "--swjg is required";
}

TEST_F(PayCli, NoticesAreRaisedAndWithdrawn) {
  Declared("Y1", {100});
  ProcessResult raised = Run({"pay", "notices"});
  ASSERT_EQ(raised.exitCode, 0) << raised.err;
  EXPECT_NE(raised.out.find("0x8511 add 社保费欠费信息已生成，请及时缴费。"), std::string::npos) << raised.out;
  EXPECT_NE(raised.out.find("0x8512 add 存在已超出缴费期限的社保费欠费信息，请及时缴费。"), std::string::npos)
      << raised.out;
  ASSERT_EQ(Run({"pay", "deduct"}).exitCode, 0);
  ProcessResult withdrawn = Run({"pay", "notices"});
  ASSERT_EQ(withdrawn.exitCode, 0) << withdrawn.err;
  EXPECT_NE(withdrawn.out.find("0x8511 delete"), std::string::npos) << withdrawn.out;
  EXPECT_NE(withdrawn.out.find("0x8512 delete"), std::string::npos) << withdrawn.out;
}

TEST_F(PayCli, FailuresEndTheCommandWithTheirMessage) {
  sim_.Faults().Add(taxsim::ParseFault(Json::parse(R"({"kind":"refuse","code":"10009","message":"欠费查询暂停","serviceCode":"0007"})")));
  ProcessResult refused = Run({"pay", "arrears"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("欠费查询暂停"), std::string::npos) << refused.err;
  ProcessResult missing = RunProcess({kVelmor, "--data", dir_.File("nowhere"), "pay", "list"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("not a data directory"), std::string::npos) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.File("nowhere"))) << "a read-only command creates no directory";
  EXPECT_NE(Run({"pay"}).exitCode, 0) << "a subcommand is required";
}

}  // namespace
}  // namespace velmor::testing
