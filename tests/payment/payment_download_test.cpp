// Lines downloaded from the server (SaveJfmxList): states derived from the payment kind, the
// refreshed range, pending deductions and certificate links kept, whole or nothing.
#include "payment/payment_store_fixture.h"

namespace velmor::testing {
namespace {

// A line as the server's payment list gives it.
Json Downloaded(const std::string& zsuuid, const std::string& skjnfsDm, const std::string& sjrq,
                const std::string& tzlxDm = "", const std::string& dzsphm = "") {
  return {{"hsjg", "13201000000"}, {"yzpzxh", "Y" + zsuuid}, {"yzpzmxxh", "1"}, {"zsuuid", zsuuid},
          {"skssqq", "2024-01-01 00:00:00"}, {"skssqz", "2024-01-31 00:00:00"}, {"jkqx", "2024-02-15 00:00:00"},
          {"zsxmDm", "10210"}, {"zspmDm", "102100100"}, {"zsjgDm", "13201000000"}, {"qfje", "88.00"},
          {"sjje", "88.00"}, {"skjnfsDm", skjnfsDm}, {"sjrq", sjrq}, {"tzlxDm", tzlxDm}, {"kjrq", "2024-02-01 08:00:00"},
          {"dzsphm", dzsphm}, {"jkzh", "null"}, {"skgkMc", "null"}};
}

Json ByZsuuid(const Json& rows, const std::string& zsuuid) {
  for (const Json& r : rows)
    if (r["zsuuid"] == zsuuid) return r;
  return Json();
}

TEST_F(PaymentStore, DownloadedLinesTakeTheirStatesFromThePaymentKind) {
  Json lines = Json::array({Downloaded("D1", "51", "null"), Downloaded("D2", "51", "2024-02-03 10:00:00"),
                            Downloaded("V1", "11", "", "4", "P9"), Downloaded("V2", "11", "", "2", "P8")});
  ASSERT_TRUE(pay_->SaveJfmxList(lines.dump(), "", "", "", "", "")) << pay_->GetErrorMessage();
  std::string text;
  Json rows = Out(pay_->GetData("", 1, 3, 0, 0, text), text);
  ASSERT_EQ(rows.size(), 4u);
  Json d1 = ByZsuuid(rows, "D1");
  EXPECT_EQ(d1["jkzt"], "7");
  EXPECT_EQ(d1["jkfs"], "1");
  EXPECT_EQ(d1["dyzt"], "0");
  EXPECT_EQ(d1["jksj"], "");
  EXPECT_EQ(d1["skssqq"], "2024-01-01");
  EXPECT_EQ(d1["jkqx"], "2024-02-15");
  EXPECT_EQ(d1["jkzh"], "") << "the text null is no account";
  EXPECT_EQ(ByZsuuid(rows, "D2")["jkzt"], "3");
  EXPECT_EQ(ByZsuuid(rows, "D2")["jksj"], "2024-02-03 10:00:00");
  Json v1 = ByZsuuid(rows, "V1");
  EXPECT_EQ(v1["jkfs"], "3");
  EXPECT_EQ(v1["jkzt"], "0");
  EXPECT_EQ(v1["dyzt"], "1");
  EXPECT_EQ(v1["dysj"], "2024-02-01 08:00:00");
  EXPECT_EQ(ByZsuuid(rows, "V2")["dyzt"], "3");
}

TEST_F(PaymentStore, ADownloadReplacesOnlyWhatItStandsFor) {
  Json pending = Line("Y5", "1", "PENDING", 5);
  Json other = Line("Y6", "1", "OTHER", 3);
  Json printed = Line("Y7", "1", "D1", 3);
  ASSERT_TRUE(pay_->CommitData(Json::array({pending, other, printed}).dump(), 1, 0, "", "", ""));
  std::string text;
  Json rows = Out(pay_->GetData("", 1, 1, 0, 0, text), text);
  Json record = {{"dycs", 1}, {"no", "2024010100000001"}, {"sign", ""},
                 {"list", Json::array({{{"id", ByZsuuid(rows, "D1")["id"]}}})}};
  ASSERT_TRUE(pay_->SaveDzjfpz(record.dump()));
  const std::string certificate = ByZsuuid(Out(pay_->GetData("", 1, 1, 0, 0, text), text), "D1")["dzjfpzdyID"];

  // Without a range only the downloaded lines are replaced.
  ASSERT_TRUE(pay_->SaveJfmxList(Json::array({Downloaded("D1", "51", "2024-02-03 10:00:00")}).dump(), "", "", "", "",
                                 ""));
  rows = Out(pay_->GetData("", 1, 3, 0, 0, text), text);
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(ByZsuuid(rows, "D1")["dzjfpzdyID"], certificate) << "the certificate link survives";
  EXPECT_EQ(ByZsuuid(rows, "D1")["yzpzxh"], "YD1");

  // A range sweeps the lines it covers, except those whose bank outcome is pending.
  ASSERT_TRUE(pay_->SaveJfmxList("[]", kPayer, "2024-01-01", "2024-01-31", "", ""));
  rows = Out(pay_->GetData("", 1, 3, 0, 0, text), text);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["zsuuid"], "PENDING");
  EXPECT_FALSE(pay_->SaveJfmxList("{}", "", "", "", "", ""));
  EXPECT_EQ(pay_->GetErrorMessage(), "保存缴费明细异常：缴费明细不是JSON数组。");
}

TEST_F(PaymentStore, AFailedDownloadLeavesTheTablesUnchanged) {
  ASSERT_TRUE(pay_->CommitData(Json::array({Line("Y0", "1", "V1")}).dump(), 1, 0, "", "", ""));
  const std::string lines =
      Json::array({Downloaded("D1", "51", "null"), Downloaded("V1", "11", "", "1", "P1")}).dump();
  // Certificates, range delete, then per line delete and insert (and the voucher's update).
  EXPECT_EQ(FailEachStatement([&] { return pay_->SaveJfmxList(lines, "", "2024-01-01", "2024-01-31", "", ""); },
                              {"初始化dzjfpzdyID列表失败。", "删除失败。", "保存缴费明细失败。",
                               "更新银行端缴费凭证状态失败。"}),
            7);
  std::string text;
  Json rows = Out(pay_->GetData("", 1, 3, 0, 0, text), text);
  EXPECT_EQ(rows.size(), 2u);
}

}  // namespace
}  // namespace velmor::testing
