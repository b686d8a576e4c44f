// Bank orders that must not be recorded: refusals and misbehaving replies of the bank, a bad
// signature, a missing or damaged key file, a plain-HTTP address, bad input.
#include "integration/onlinepay_fixture.h"

namespace velmor::testing {
namespace {

using nlohmann::json;

class OnlineBankFaults : public OnlinePayFixture {
 protected:
  // Places an order that must fail; nothing may be stored.
  std::string Refused(const json& order = Order()) {
    std::string result, message;
    EXPECT_FALSE(mgr_->Sbfjn(order.dump(), result, message));
    EXPECT_EQ(result, "{}");
    EXPECT_EQ(mgr_->GetErrorMessage(), message);
    EXPECT_EQ(mgr_->GetCount(""), 0) << message;
    return message;
  }
  void Fault(const std::string& kind, int delayMs = 0) { bank_.AddFault({kind, 1, delayMs, "账户余额不足"}); }
};

TEST_F(OnlineBankFaults, ABankFailureOrAnIncompleteReplyIsRefused) {
  Fault("reject");
  EXPECT_EQ(Refused(), "账户余额不足") << "the bank's Rsp_Inf";
  Fault("no-url");
  EXPECT_EQ(Refused(), "返回数据异常。") << "success without the cashier page";
  Fault("tamper");
  EXPECT_EQ(Refused(), "返回数据异常。") << "a reply about another order";
  Fault("not-json");
  EXPECT_EQ(Refused(), "返回数据异常。");
  Fault("http-error");
  EXPECT_EQ(Refused(), "发送请求异常：HTTP 500");
  EXPECT_NE(env_->LogText().find("[TGrsbfjn.Sbfjn]异常：发送请求异常：HTTP 500"), std::string::npos);
}

TEST_F(OnlineBankFaults, ADuplicateOrderNumberIsTheBanksRefusal) {
  std::string message;
  Place(Order("SP-DUP-1"), message);
  ASSERT_EQ(message, "");
  std::string result;
  EXPECT_FALSE(mgr_->Sbfjn(Order("SP-DUP-1").dump(), result, message));
  EXPECT_EQ(message, "商户订单号重复：SP-DUP-1");
  EXPECT_EQ(mgr_->GetCount(""), 2) << "only the first order's lines";
}

TEST_F(OnlineBankFaults, ASignatureByAnotherKeyIsRefusedByTheBank) {
  SealKey(GetTestKeys().otherSignKey);
  EXPECT_EQ(Refused(), "验签失败");
  EXPECT_TRUE(bank_.Orders().empty());
}

TEST_F(OnlineBankFaults, AMissingOrDamagedKeyFileStopsBeforeSending) {
  std::filesystem::remove(KeyPath());
  EXPECT_EQ(Refused(), "缺少文件：" + KeyPath());
  ASSERT_TRUE(WriteFile(KeyPath(), "not an envelope"));
  EXPECT_EQ(Refused(), "解密建行密钥配置文件失败。");
  EXPECT_TRUE(bank_.RecentBodies().empty()) << "nothing went to the bank";
}

TEST_F(OnlineBankFaults, APlainHttpAddressIsRefusedUnlessAllowed) {
  SetParam("ccb_zrzfpt_host", sim_.Url());
  EXPECT_EQ(Refused(), "发送请求异常：不允许以明文HTTP访问：" + sim_.Url() + "/online/socialorder");
  Reload("allow_http = yes\n");
  SetParam("ccb_zrzfpt_host", sim_.Url());
  EXPECT_EQ(Refused(), "发送请求异常：HTTP 404") << "allowed, it reached the (plain) server";
}

TEST_F(OnlineBankFaults, AReplyPastTheTimeOutIsASendFailure) {
  Reload("timeout_ms = 300\n");
  Fault("delay", 2000);
  const std::string message = Refused();
  EXPECT_EQ(message.rfind("发送请求异常：请求服务器超时（300毫秒）", 0), 0u) << message;
}

TEST_F(OnlineBankFaults, BadOrdersAndMissingSettingsAreNamed) {
  json o = Order();
  o["lines"] = json::array();
  EXPECT_EQ(Refused(o), "缴费明细为空。");
  o = Order();
  o["lines"][1]["jfje"] = "-1";
  EXPECT_EQ(Refused(o), "缴费金额必须大于0。");
  o = Order();
  o["lines"][0]["jfje"] = "12元";
  EXPECT_EQ(Refused(o), "生成缴费订单异常：jfje[12元]不是数字。");
  o = Order();
  o.erase("rybh");
  EXPECT_EQ(Refused(o), "缺少参数：rybh");
  std::string result, message;
  EXPECT_FALSE(mgr_->Sbfjn("[1]", result, message));
  EXPECT_EQ(message, "参数不是JSON对象。");
  SetParam("ccb_zrzfpt_host", "");
  EXPECT_EQ(Refused(), "未配置银行支付平台地址（ccb_zrzfpt_host）。");
  EXPECT_TRUE(bank_.Orders().empty());
}

TEST_F(OnlineBankFaults, AStateReplyMustEchoTheOrder) {
  std::string message, state;
  json r = Place(Order(), message);
  ASSERT_EQ(message, "");
  Fault("tamper");
  EXPECT_FALSE(mgr_->DoZfztCx(r["spddh"], r["zfddh"], state, message));
  EXPECT_EQ(message, "返回数据异常。");
  EXPECT_FALSE(mgr_->DoZfztCx(r["spddh"], "", state, message));
  EXPECT_EQ(message, "商户订单号或支付订单号为空。");
  EXPECT_FALSE(mgr_->DoZfztCx(r["spddh"], "PY-OTHER", state, message));
  EXPECT_EQ(message, "订单不存在：" + r["spddh"].get<std::string>() + "/PY-OTHER");
  EXPECT_EQ(mgr_->GetCount("{\"ddzt\":\"0\"}"), 2);
}

}  // namespace
}  // namespace velmor::testing
