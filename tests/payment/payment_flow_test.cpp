// The payment manager end to end: agreements and arrears per office, deduction outcomes and the
// resulting jkzt, a deduction that timed out and its settlement, vouchers issued, partly
// returned and voided, the payment lists, and the store passed through.
#include "host/db/fault_injection.h"
#include "payment/payment_flow_fixture.h"

namespace velmor::testing {
namespace {

// ---- Agreements and arrears --------------------------------------------------------------------

TEST_F(PaymentFlow, ArrearsKeepResidentsItemsInOfficeAndDocumentOrder) {
  Declared("Y2", {380}, "13201000000");
  Declared("Y1", {300, 120}, "13201000000");
  Declared("Y3", {99}, "13201000000", "", "999999999");  // not a residents' item
  std::string agreements;
  ASSERT_TRUE(jk_->GetSfxyLb(kPayPayer, "1", nullptr, agreements)) << jk_->GetErrorMessage();
  ASSERT_EQ(Json::parse(agreements).size(), 1u);
  EXPECT_FALSE(Json::parse(agreements)[0]["sfxyh"].get<std::string>().empty());

  Json arrears = Arrears();
  ASSERT_EQ(arrears.size(), 3u) << arrears.dump();
  EXPECT_EQ(arrears[0]["zsuuid"], "Y1-1");
  EXPECT_EQ(arrears[1]["zsuuid"], "Y1-2");
  EXPECT_EQ(arrears[2]["zsuuid"], "Y2-1");
  EXPECT_EQ(jk_->GetErrorMessage(), "");
  bool seen = false;
  for (const auto& c : sim_.RecentCalls())
    if (c.serviceCode == "0007") {
      Json body = Json::parse(c.body);
      seen = body["isbhykpwjk"] == "N" && body["djxh"] == kPayPayer && !body.contains("skssqq");
    }
  EXPECT_TRUE(seen);
}

TEST_F(PaymentFlow, AFailingOfficeIsReportedWhileTheOthersAnswer) {
  Declared("Y1", {300}, "A1");
  Declared("Y2", {200}, "B2");
  sim_.WithState([](taxsim::State& s) { s.payments["failOffices"]["B2"] = " 系统维护 "; });
  const std::string offices = R"([{"zgswksDm": "A1", "zgswksMc": "第一所"}, {"zgswksDm": "B2", "zgswksMc": "第二所"},
                                  {"zgswksDm": "C3", "zgswksMc": "第三所"}])";
  std::string text;
  ASSERT_TRUE(jk_->GetQfxxLb(1, "", R"({"zsxmDm": "10210", "sbbm": ""})", offices, nullptr, text));
  Json lines = Json::parse(text);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["yzpzxh"], "Y1");
  EXPECT_EQ(jk_->GetErrorMessage(), "第二所欠费信息获取失败，原因：系统维护");

  Fault(R"({"kind":"refuse","code":"10009","message":"拒绝","serviceCode":"0007"})");
  EXPECT_FALSE(jk_->GetQfxxLb(1, "", "", offices, nullptr, text));
  EXPECT_EQ(jk_->GetErrorMessage(), "拒绝");
}

// ---- Deduction -------------------------------------------------------------------------------

TEST_F(PaymentFlow, EachDeductionOutcomeSetsItsPaymentState) {
  Declared("Y1", {100, 200, 300, 400, 500});
  Steer("Y1-2", "FFF");
  Steer("Y1-3", "999");
  Steer("Y1-4", "E01");
  Steer("Y1-5", "OMIT");
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(Arrears().dump(), kAgreement, "{}", 0, nullptr, result)) << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkDone);
  Json stored = Stored();
  ASSERT_EQ(stored.size(), 3u) << "only submitted lines (3, 5, 6) are stored";
  EXPECT_EQ(ByZsuuid(stored, "Y1-1")["jkzt"], "3");
  EXPECT_EQ(ByZsuuid(stored, "Y1-2")["jkzt"], "5");
  EXPECT_EQ(ByZsuuid(stored, "Y1-3")["jkzt"], "6");
  EXPECT_EQ(ByZsuuid(stored, "Y1-1")["jkfs"], "1");
  EXPECT_EQ(ByZsuuid(stored, "Y1-1")["dyzt"], "0");
  EXPECT_EQ(ByZsuuid(stored, "Y1-1")["jkzh"], "6217000012345678");
  EXPECT_FALSE(ByZsuuid(stored, "Y1-1")["jksj"].get<std::string>().empty());

  // The server now sees 100 paid of 1500: part paid.
  std::string answer;
  ASSERT_TRUE(jk_->Kkqkcx("", "Y1", nullptr, answer)) << jk_->GetErrorMessage();
  EXPECT_EQ(Json::parse(answer)["yjkje"], "100.00");
  ASSERT_TRUE(jk_->SaveKkqkcxResult("", "Y1", answer));
  EXPECT_EQ(ByZsuuid(Stored(), "Y1-2")["jkzt"], "2");
  EXPECT_FALSE(jk_->SaveKkqkcxResult("", "Y1", ""));
  EXPECT_EQ(jk_->GetErrorMessage(), "扣款结果对象为空");
}

// A line selected twice (the same document and line number) is fed as its last copy, as a scan
// from the front finds it; the first copy gets no row and is not stored.
TEST_F(PaymentFlow, ALineSelectedTwiceIsStoredAsItsLastCopy) {
  Declared("Y1", {100, 200});
  Json lines = Arrears();
  ASSERT_EQ(lines.size(), 2u);
  Json first = lines[0], last = lines[0];
  first["jkqx"] = "2026-01-31";
  last["jkqx"] = "2026-11-30";
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(Json::array({first, lines[1], last}).dump(), kAgreement, "{}", 0, nullptr, result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkDone);
  const Json stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(ByZsuuid(stored, lines[0]["zsuuid"].get<std::string>())["jkqx"], "2026-11-30");
  EXPECT_EQ(ByZsuuid(stored, lines[1]["zsuuid"].get<std::string>())["jkzt"], "3");
}

// The lines of a deduction or a voucher are written on the store's worker while the rows before
// them are stored: a store that fails half-way keeps none of them, and the call fails with the
// store's text.
TEST_F(PaymentFlow, ADeductionOrVoucherWhoseStoreFailsHalfWayStoresNothing) {
  Declared("Y1", std::vector<double>(600, 100));
  Declared("Y2", std::vector<double>(600, 50));
  const Json arrears = Arrears();
  int32_t result = -9;
  host::db::FaultInjection::FailStatement(700);  // of some 1,200: a delete and an insert a line
  EXPECT_FALSE(jk_->SfyxJk(LinesOf(arrears, "Y1").dump(), kAgreement, "{}", 0, nullptr, result));
  EXPECT_EQ(jk_->GetErrorMessage(), "数据库执行失败");
  EXPECT_EQ(Stored().size(), 0u);
  host::db::FaultInjection::FailStatement(700);
  EXPECT_FALSE(jk_->PrintJkpz(LinesOf(arrears, "Y2").dump(), R"({"yhzh": "6217", "zhmc": "甲"})", nullptr, result));
  EXPECT_EQ(jk_->GetErrorMessage(), "数据库执行失败");
  host::db::FaultInjection::Clear();
  EXPECT_EQ(Stored().size(), 0u);
  // Without the fault every line of another such request is stored, in the order written.
  Declared("Y3", std::vector<double>(600, 20));
  ASSERT_TRUE(jk_->PrintJkpz(LinesOf(Arrears(), "Y3").dump(), R"({"yhzh": "6217", "zhmc": "甲"})", nullptr, result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(Stored().size(), 600u);
  EXPECT_EQ(Json::parse(sql_->getData("select count(distinct zsuuid) as n from sb_fkjnxxb where jkfs = 3"))[0]["n"],
            "600");
}

TEST_F(PaymentFlow, ATimedOutDeductionIsKeptUntilItsStatusIsKnown) {
  Declared("Y1", {100, 200});
  sim_.WithState([](taxsim::State& s) { s.payments["timeoutNext"] = true; });
  const std::string lines = Arrears().dump();
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(lines, kAgreement, "{}", 0, nullptr, result)) << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkUnknown);
  EXPECT_TRUE(Stored().empty());
  std::string groups;
  ASSERT_TRUE(jk_->GetCsjkxx("", 0, groups));
  ASSERT_EQ(Json::parse(groups).size(), 1u);
  EXPECT_EQ(Json::parse(groups)[0]["mxlb"].size(), 2u);

  // No second deduction of the same lines meanwhile.
  const size_t sent = CallsOf("0008");
  EXPECT_FALSE(jk_->SfyxJk(lines, kAgreement, "{}", 0, nullptr, result));
  EXPECT_EQ(result, kJkFailed);
  EXPECT_NE(jk_->GetErrorMessage().find("请先查询扣款结果"), std::string::npos) << jk_->GetErrorMessage();
  EXPECT_EQ(CallsOf("0008"), sent);

  // The bank did deduct: the status query settles the trace.
  std::string answer;
  ASSERT_TRUE(jk_->Kkqkcx("", "Y1", nullptr, answer));
  ASSERT_TRUE(jk_->SaveKkqkcxResult("", "Y1", answer)) << jk_->GetErrorMessage();
  Json stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0]["jkzt"], "3");
  ASSERT_TRUE(jk_->GetCsjkxx("", 0, groups));
  EXPECT_TRUE(Json::parse(groups).empty());
  EXPECT_TRUE(Arrears().empty());
}

TEST_F(PaymentFlow, ARefusedDeductionFailsAndStoresNothing) {
  Declared("Y1", {100});
  Fault(R"({"kind":"refuse","code":"10005","message":"协议无效","serviceCode":"0008"})");
  int32_t result = 0;
  EXPECT_FALSE(jk_->SfyxJk(Arrears().dump(), kAgreement, "{}", 0, nullptr, result));
  EXPECT_EQ(result, kJkFailed);
  EXPECT_EQ(jk_->GetErrorMessage(), "协议无效");
  EXPECT_TRUE(Stored().empty());
  EXPECT_FALSE(jk_->SfyxJk("[]", kAgreement, "{}", 0, nullptr, result));
  EXPECT_FALSE(jk_->SfyxJk("not json", kAgreement, "{}", 0, nullptr, result));
}

TEST_F(PaymentFlow, HostileCodesArePaidAndStoredIntact) {
  const std::string hostile = "Y'); drop table sb_fkjnxxb; --<&>";
  Declared(hostile, {100});
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(Arrears().dump(), kAgreement, R"({"xm": "O'Hara<&>"})", 0, nullptr, result));
  Json stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0]["yzpzxh"], hostile);
  EXPECT_EQ(stored[0]["zsuuid"], hostile + "-1");
}

// ---- Vouchers --------------------------------------------------------------------------------

TEST_F(PaymentFlow, VouchersAreIssuedPartlyReturnedAndVoided) {
  Declared("Y1", {100, 200});
  Declared("Y2", {50});
  Steer("Y2-1", "NOVOUCHER");
  int32_t result = -9;
  ASSERT_TRUE(jk_->PrintJkpz(Arrears().dump(), R"({"yhzh": "6217", "zhmc": "甲", "yhhbMc": "建设银行"})", nullptr,
                             result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkDone);
  Json stored = Stored();
  ASSERT_EQ(stored.size(), 2u) << "the line the server did not put on a voucher is not stored";
  EXPECT_EQ(stored[0]["jkfs"], "3");
  EXPECT_EQ(stored[0]["dyzt"], "1");
  EXPECT_EQ(stored[0]["jkzt"], "0");
  EXPECT_EQ(stored[0]["yhhbMc"], "建设银行");
  const std::string dzsphm = stored[0]["dzsphm"];
  EXPECT_EQ(stored[1]["dzsphm"], dzsphm);

  std::string text;
  ASSERT_TRUE(jk_->GetPrintData("", 3, 0, 0, text));
  Json vouchers = Json::parse(text);
  ASSERT_EQ(vouchers.size(), 1u);
  EXPECT_EQ(vouchers[0]["zje"], "300.00");
  EXPECT_EQ(LinesOf(Arrears(), "Y1").size(), 0u) << "a valid voucher's lines are not owed again";

  const std::string voucher = Json{{"zsjgDm", vouchers[0]["zsjgDm"]}, {"dzsphm", dzsphm}}.dump();
  ASSERT_TRUE(jk_->JkpzZf("", voucher, nullptr)) << jk_->GetErrorMessage();
  ASSERT_TRUE(jk_->GetDataByDzsphm("", dzsphm, text));
  EXPECT_EQ(Json::parse(text)[0]["dyzt"], "3");
  EXPECT_FALSE(jk_->JkpzZf("", voucher, nullptr));
  EXPECT_EQ(jk_->GetErrorMessage(), "该缴款凭证已作废");
  EXPECT_EQ(LinesOf(Arrears(), "Y1").size(), 2u) << "voided: owed again";
  EXPECT_FALSE(jk_->JkpzZf("", R"({"zsjgDm": "X", "dzsphm": "nope"})", nullptr));
  EXPECT_EQ(jk_->GetErrorMessage(), "缴款凭证不存在");
}

// ---- Payment lists ---------------------------------------------------------------------------

TEST_F(PaymentFlow, PaymentListsAtOnceAndInTwoSteps) {
  std::string list;
  ASSERT_TRUE(jk_->GetZrrSbfJfQd(kPayPayer, kPayPayer, "2026-01-01", "2026-12-31", nullptr, list))
      << jk_->GetErrorMessage();
  EXPECT_EQ(list, "[]") << "70001: none";
  Declared("Y1", {100});
  int32_t result = 0;
  ASSERT_TRUE(jk_->SfyxJk(Arrears().dump(), kAgreement, "{}", 0, nullptr, result));
  ASSERT_TRUE(jk_->GetZrrSbfJfQd(kPayPayer, kPayPayer, "2026-01-01", "2026-12-31", nullptr, list));
  ASSERT_EQ(Json::parse(list).size(), 1u);
  EXPECT_EQ(Json::parse(list)[0]["zsuuid"], "Y1-1");

  std::string yblsh;
  ASSERT_TRUE(jk_->synZrrjfqdCx(kPayPayer, kPayPayer, "2026-01-01", "2026-12-31", yblsh)) << jk_->GetErrorMessage();
  bool ready = false;
  for (int i = 0; i < 5 && !ready; ++i) ASSERT_TRUE(jk_->synZrrjfqdCxFk(yblsh, ready, list)) << jk_->GetErrorMessage();
  ASSERT_TRUE(ready);
  EXPECT_EQ(Json::parse(list).size(), 1u);

  ASSERT_TRUE(jk_->synCxjmlssbfJfqdCx(kPayPayer, kPayPayer, "2026-01-01", "2026-12-31", yblsh));
  ready = false;
  std::string answer;
  for (int i = 0; i < 5 && !ready; ++i) ASSERT_TRUE(jk_->synCxjmlssbfJfqdCxFk(yblsh, ready, answer));
  ASSERT_TRUE(ready);
  EXPECT_EQ(Json::parse(answer)["jfqdList"].size(), 1u);
  EXPECT_FALSE(jk_->synZrrjfqdCxFk("", ready, list));

  Fault(R"({"kind":"bad-base64","serviceCode":"0035"})");
  EXPECT_FALSE(jk_->GetZrrSbfJfQd(kPayPayer, kPayPayer, "2026-01-01", "2026-12-31", nullptr, list));
  EXPECT_EQ(jk_->GetErrorMessage(), "反馈报文异常。");
}

TEST_F(PaymentFlow, StoreFailuresPassThroughWithTheStoresText) {
  std::string text;
  EXPECT_FALSE(jk_->GetData("[]", 1, 1, 0, 0, text));
  EXPECT_EQ(jk_->GetErrorMessage(), "数据库查询异常");
  EXPECT_FALSE(jk_->GetZspmdmList("", 1, "[\"x\"]", 0, text));
  EXPECT_EQ(jk_->GetErrorMessage(), "查询应征凭证序号列表失败：缴费状态[x]不是整数。");
  EXPECT_FALSE(jk_->UpdateJkzt("{}", 3));
  ASSERT_TRUE(jk_->UpdateJkzt(R"([{"dzsphm": "P1", "zsjgDm": "A"}])", 3));
  EXPECT_FALSE(jk_->DzjfpzElecSeal("{}", nullptr));
  EXPECT_TRUE(jk_->CheckQfxxNotice(nullptr));
}

}  // namespace
}  // namespace velmor::testing
