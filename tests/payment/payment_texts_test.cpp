// The texts of the payment path pinned byte for byte: the arrears list handed out, the requests
// sent for a deduction and for vouchers, and the rows stored from them. The selections given are
// written by hand with blanks, escapes, numbers, nested values and names given twice, so that a
// reader of these texts must read them exactly as the general JSON parser does.
#include "payment/payment_flow_fixture.h"

namespace velmor::testing {
namespace {

class PaymentTexts : public PaymentFlow {
 protected:
  // The last request body of `code`, without its serial (fresh on every run).
  std::string BodyOf(const std::string& code) {
    std::string body;
    for (const auto& c : sim_.RecentCalls())
      if (c.serviceCode == code) body = c.body;
    Json j = Json::parse(body);
    j.erase("yblsh");
    return j.dump();
  }
  // The stored lines with the times of payment and printing masked (they are "now").
  std::string StoredText() {
    Json rows = Stored();
    for (Json& r : rows)
      for (const char* k : {"jksj", "dysj"})
        if (r.contains(k) && !r[k].get<std::string>().empty()) r[k] = "<now>";
    return rows.dump();
  }
};

TEST_F(PaymentTexts, TheArrearsListIsTheAnswersLinesAsWritten) {
  Declared("Y2", {380}, "13201000000", "2026-04-01");
  Declared("Y1", {300, 120}, "13201000000", "2026-03-01");
  sim_.WithState([](taxsim::State& s) {
    s.payments["sbfjnLines"] = nlohmann::json::parse(R"([
      {"yzpzxh": "Y1", "yzpzmxxh": "7", "zsuuid": "Y1-7", "qfje": 1.50, "hsjg": "13201000000", "zspmDm": "102101000",
       "jkqx": "2026-01-01", "bz": "引号\"反斜杠\\换行\n制表\t\u0001é", "n": 12345678901234567890, "m": -0,
       "k": 1e2,
       "nested": {"b": [1, 2.5, "x"], "a": null}, "t": true, "f": false, "z": null},
      {"yzpzxh": "Y2", "yzpzmxxh": "9", "zsuuid": "Y2-9", "qfje": "7.00", "hsjg": "13201000000", "zspmDm": 102101000,
       "jkqx": "2026-01-01"}])");
  });
  std::string text;
  ASSERT_TRUE(jk_->GetQfxxLb(0, "", "", "", nullptr, text)) << jk_->GetErrorMessage();
  EXPECT_EQ(text, R"([{"bz":"引号\"反斜杠\\换行\n制表\t\u0001é","f":false,"hsjg":"13201000000","jkqx":"2026-01-01",)"
                  R"("k":100.0,"m":0,"n":12345678901234567890,"nested":{"a":null,"b":[1,2.5,"x"]},)"
                  R"("qfje":1.5,"t":true,"yzpzmxxh":"7","yzpzxh":"Y1","z":null,"zspmDm":"102101000","zsuuid":"Y1-7"},)"
                  R"({"hsjg":"13201000000","jkqx":"2026-03-01","qfje":"300.00","sbbm":"B0","sbjbjgDm":"",)"
                  R"("skgkDm":"GK13201000000","skgkMc":"国库13201000000","skssqq":"2026-01-01","skssqz":"2026-12-31",)"
                  R"("yzpzmxxh":"1","yzpzxh":"Y1","zsjgDm":"13201000000","zspmDm":"102101000",)"
                  R"("zsswjgMc":"税务所13201000000","zsuuid":"Y1-1","zsxmDm":"10210","zszmDm":""},{"hsjg":"13201000000",)"
                  R"("jkqx":"2026-03-01","qfje":"120.00","sbbm":"B1","sbjbjgDm":"","skgkDm":"GK13201000000",)"
                  R"("skgkMc":"国库13201000000","skssqq":"2026-01-01","skssqz":"2026-12-31","yzpzmxxh":"2",)"
                  R"("yzpzxh":"Y1","zsjgDm":"13201000000","zspmDm":"102101000","zsswjgMc":"税务所13201000000",)"
                  R"("zsuuid":"Y1-2","zsxmDm":"10210","zszmDm":""},{"hsjg":"13201000000","jkqx":"2026-01-01",)"
                  R"("qfje":"7.00","yzpzmxxh":"9","yzpzxh":"Y2","zspmDm":102101000,"zsuuid":"Y2-9"},)"
                  R"({"hsjg":"13201000000","jkqx":"2026-04-01","qfje":"380.00","sbbm":"B0","sbjbjgDm":"",)"
                  R"("skgkDm":"GK13201000000","skgkMc":"国库13201000000","skssqq":"2026-01-01","skssqz":"2026-12-31",)"
                  R"("yzpzmxxh":"1","yzpzxh":"Y2","zsjgDm":"13201000000","zspmDm":"102101000",)"
                  R"("zsswjgMc":"税务所13201000000","zsuuid":"Y2-1","zsxmDm":"10210","zszmDm":""}])");
}

TEST_F(PaymentTexts, ADeductionSendsAndStoresTheSelectionAsWritten) {
  Declared("Y1", {100, 200, 300}, "", "2026-04-01");
  Steer("Y1-2", "FFF");
  Steer("Y1-3", "E01");
  const std::string lines = R"( [
    {"yzpzxh" : "Y1", "yzpzmxxh": "1", "zsuuid": "Y1-1", "qfje": "100.00", "hsjg": "13201\u0030",
     "bz": "a\"b\\c\u00e9\n\/", "nested": {"b": 1, "a": [1.50, true, null]}, "yzpzmxxh": "1", "sjje": "12.5x",
     "jkzt": 9, "yhhbmc": "小写"},
    {"yzpzxh": "Y1", "yzpzmxxh": "2", "zsuuid": "Y1-2", "qfje": 2E2, "sjje": 1.5e1, "yhhbMc": "大写"},
    {"yzpzxh": "Y1", "yzpzmxxh": "3", "zsuuid": "Y1-3", "qfje": "300.00", "djxh": "20000000000000000002"}
  ] )";
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(lines, kAgreement, R"({"djxh": "ignored", "xm": "甲"})", 0, nullptr, result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkDone);
  EXPECT_EQ(BodyOf("0008"), R"({"zzdjxh":"10000000000000000001","sfxyh":"SFXY00000001",)"
                            R"("yzpzxhGridlb":[{"yzpzxh":"Y1","yzpzmxxhGridlb":[{"yzpzmxxh":"1","zsuuid":"Y1-1",)"
                            R"("kkje":"100.00"},{"yzpzmxxh":"2","zsuuid":"Y1-2","kkje":"200.0"},{"yzpzmxxh":"3",)"
                            R"("zsuuid":"Y1-3","kkje":"300.00"}]}]})");
  EXPECT_EQ(StoredText(), R"([{"id":"2","djxh":"10000000000000000001","hsjg":"","yzpzxh":"Y1","yzpzmxxh":"2",)"
                          R"("sbbm":"","sbjbjgDm":"","skssqq":"2026-01-01","skssqz":"2026-12-31","zsxmDm":"10210",)"
                          R"("zspmDm":"102101000","zszmDm":"","yskmDm":"","ysfpblDm":"","yjjcDm":"",)"
                          R"("skgkDm":"GK11101000001","qfje":"200.00","zsjgDm":"11101000001","zsuuid":"Y1-2",)"
                          R"("jkqx":"","jkzt":"5","jksj":"<now>","sjje":"15.0","dyzt":"0","dysj":"","dzsphm":"",)"
                          R"("jkfs":"1","jkzh":"6217000012345678","yhyywdMc":"建设银行第一支行","skgkMc":"国库11101000001",)"
                          R"("zsswjgMc":"税务所11101000001","zhmc":"","jfrlx":"0","xm":"","zjlx":"","zjhm":"","sbyy":"",)"
                          R"("yhhbMc":"大写"},{"id":"1","djxh":"10000000000000000001","hsjg":"132010","yzpzxh":"Y1",)"
                          R"("yzpzmxxh":"1","sbbm":"","sbjbjgDm":"","skssqq":"2026-01-01","skssqz":"2026-12-31",)"
                          R"("zsxmDm":"10210","zspmDm":"102101000","zszmDm":"","yskmDm":"","ysfpblDm":"","yjjcDm":"",)"
                          R"("skgkDm":"GK11101000001","qfje":"100.00","zsjgDm":"11101000001","zsuuid":"Y1-1",)"
                          R"("jkqx":"","jkzt":"3","jksj":"<now>","sjje":"12.5","dyzt":"0","dysj":"",)"
                          R"("dzsphm":"4000000000001","jkfs":"1","jkzh":"6217000012345678","yhyywdMc":"建设银行第一支行",)"
                          R"("skgkMc":"国库11101000001","zsswjgMc":"税务所11101000001","zhmc":"","jfrlx":"0","xm":"",)"
                          R"("zjlx":"","zjhm":"","sbyy":"","yhhbMc":"小写"}])");
}

TEST_F(PaymentTexts, VouchersSendAndStoreTheSelectionAsWritten) {
  Declared("Y1", {100, 200}, "", "2026-04-01");
  Declared("Y2", {50}, "", "2026-04-02");
  Steer("Y2-1", "NOVOUCHER");
  const std::string lines = R"([
    {"yzpzxh": "Y2", "yzpzmxxh": "1", "zsuuid": "Y2-1", "qfje": "50.00", "hsjg": "H\u00e9", "zsjgDm": "Z1"},
    {"yzpzxh": "Y1", "yzpzmxxh": "1", "zsuuid": "Y1-1", "qfje": "100.00", "jkqx": "old", "dyzt": 2, "x": [1, {}]},
    {"yzpzxh": "Y1", "yzpzmxxh": "2", "zsuuid": "Y1-2", "qfje": 200, "sjje": "9"},
    {"yzpzxh": "Y1", "yzpzmxxh": "2", "zsuuid": "Y1-2", "qfje": "200.00", "bz": "second copy"},
    {"yzpzxh": "Y9", "yzpzmxxh": "1", "zsuuid": "Y9-1", "dyzt": "1", "qfje": "1.00"}
  ])";
  int32_t result = -9;
  ASSERT_TRUE(jk_->PrintJkpz(lines, R"({"yhzh": "6217", "zhmc": "甲\"乙", "yhhbMc": "建设银行"})", nullptr, result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(result, kJkDone);
  EXPECT_EQ(BodyOf("0010"), R"({"zzdjxh":"10000000000000000001","hsjg":"Hé","swjgdm":"Z1","mxlb":[{"yzpzxh":"Y2"},)"
                            R"({"yzpzxh":"Y1"},{"yzpzxh":"Y9"}]})");
  EXPECT_EQ(StoredText(), R"([{"id":"4","djxh":"10000000000000000001","hsjg":"","yzpzxh":"Y1","yzpzmxxh":"1",)"
                          R"("sbbm":"","sbjbjgDm":"","skssqq":"","skssqz":"","zsxmDm":"","zspmDm":"","zszmDm":"",)"
                          R"("yskmDm":"","ysfpblDm":"","yjjcDm":"","skgkDm":"","qfje":"100.00",)"
                          R"("zsjgDm":"11101000001","zsuuid":"Y1-1","jkqx":"2026-04-01","jkzt":"0","jksj":"",)"
                          R"("sjje":"100.0","dyzt":"1","dysj":"<now>","dzsphm":"3000000000001","jkfs":"3",)"
                          R"("jkzh":"6217","yhyywdMc":"","skgkMc":"","zsswjgMc":"","zhmc":"甲\"乙","jfrlx":"0","xm":"",)"
                          R"("zjlx":"","zjhm":"","sbyy":"","yhhbMc":"建设银行"},{"id":"3","djxh":"10000000000000000001",)"
                          R"("hsjg":"","yzpzxh":"Y1","yzpzmxxh":"2","sbbm":"","sbjbjgDm":"","skssqq":"","skssqz":"",)"
                          R"("zsxmDm":"","zspmDm":"","zszmDm":"","yskmDm":"","ysfpblDm":"","yjjcDm":"","skgkDm":"",)"
                          R"("qfje":"200","zsjgDm":"11101000001","zsuuid":"Y1-2","jkqx":"2026-04-01","jkzt":"0",)"
                          R"("jksj":"","sjje":"200.0","dyzt":"1","dysj":"<now>","dzsphm":"3000000000001","jkfs":"3",)"
                          R"("jkzh":"6217","yhyywdMc":"","skgkMc":"","zsswjgMc":"","zhmc":"甲\"乙","jfrlx":"0","xm":"",)"
                          R"("zjlx":"","zjhm":"","sbyy":"","yhhbMc":"建设银行"},{"id":"1","djxh":"10000000000000000001",)"
                          R"("hsjg":"","yzpzxh":"Y9","yzpzmxxh":"1","sbbm":"","sbjbjgDm":"","skssqq":"","skssqz":"",)"
                          R"("zsxmDm":"","zspmDm":"","zszmDm":"","yskmDm":"","ysfpblDm":"","yjjcDm":"","skgkDm":"",)"
                          R"("qfje":"1.00","zsjgDm":"","zsuuid":"Y9-1","jkqx":"","jkzt":"0","jksj":"","sjje":"0.0",)"
                          R"("dyzt":"1","dysj":"<now>","dzsphm":"","jkfs":"3","jkzh":"6217","yhyywdMc":"",)"
                          R"("skgkMc":"","zsswjgMc":"","zhmc":"甲\"乙","jfrlx":"0","xm":"","zjlx":"","zjhm":"",)"
                          R"("sbyy":"","yhhbMc":"建设银行"}])");
}

// A row of the feedback that matches no selected line is stored as a line of its own; the
// selected line it did not match is not, even when it claims an outcome of its own.
TEST_F(PaymentTexts, FeedbackOfNoSelectedLineAddsOneAndAClaimedOutcomeCountsForNothing) {
  Declared("Y1", {100, 200}, "", "2026-04-01");
  const std::string lines = R"([{"yzpzxh": "Y1", "yzpzmxxh": "X", "zsuuid": "Y1-1", "qfje": "100.00"},
                                {"yzpzxh": "Y1", "yzpzmxxh": "Z", "zsuuid": "none", "jkzt": 3, "fed": true}])";
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(lines, kAgreement, "{}", 0, nullptr, result)) << jk_->GetErrorMessage();
  const Json stored = Stored();
  ASSERT_EQ(stored.size(), 1u) << stored.dump();
  EXPECT_EQ(stored[0]["yzpzxh"], "Y1");
  EXPECT_EQ(stored[0]["yzpzmxxh"], "1");
  EXPECT_EQ(stored[0]["zsuuid"], "");
  EXPECT_EQ(stored[0]["hsjg"], stored[0]["zsjgDm"]);
  EXPECT_EQ(stored[0]["jkzt"], "3");
  EXPECT_EQ(stored[0]["qfje"], "100.00");
}

// A selection holding a line that is no object is refused before anything is sent: it failed
// after the bank had been asked to pay, leaving the payment unrecorded. A null line reads as an
// empty one.
TEST_F(PaymentTexts, ALineThatIsNoObjectIsRefusedBeforeAnythingIsSent) {
  Declared("Y1", {100}, "", "2026-04-01");
  int32_t result = -9;
  for (const char* lines : {R"([{"yzpzxh": "Y1", "yzpzmxxh": "1", "zsuuid": "Y1-1"}, 7])", R"([["Y1"]])"}) {
    EXPECT_FALSE(jk_->SfyxJk(lines, kAgreement, "{}", 0, nullptr, result)) << lines;
    EXPECT_EQ(result, kJkFailed);
    EXPECT_EQ(jk_->GetErrorMessage(), "系统异常，请稍后再试");
    EXPECT_FALSE(jk_->PrintJkpz(lines, "{}", nullptr, result)) << lines;
    EXPECT_EQ(jk_->GetErrorMessage(), "系统异常，请稍后再试");
  }
  EXPECT_EQ(CallsOf("0008") + CallsOf("0010"), 0u);
  EXPECT_TRUE(Stored().empty());

  ASSERT_TRUE(jk_->PrintJkpz(R"([{"yzpzxh": "Y1", "yzpzmxxh": "1", "zsuuid": "Y1-1"}, null])", "{}", nullptr, result))
      << jk_->GetErrorMessage();
  EXPECT_EQ(Stored().size(), 1u);
}

}  // namespace
}  // namespace velmor::testing
