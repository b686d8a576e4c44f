// Two-party agreements through the loaded plug-in: save ("0106") and query ("0105"), the card
// holder check ("0111") with each of its answers, and the bank and region lists.
#include "integration/fees_fixture.h"

namespace velmor::testing {
namespace {

using json = nlohmann::json;

json Llxy() {
  return {{"pkbz", "1"},        {"djxh", kFeePayer},       {"skssswjgDm", "11101000000"}, {"yhhbDm", "105"},
          {"qsyhhh", "105100000017"}, {"khyhhh", "105110101002"}, {"jkzh", "6217000000001234"}, {"jkzhmc", "某公司"},
          {"sfzjlxDm", "201"},  {"sfzjhm", "110101198001011234"}, {"ckrxm1", "李四"},
          {"syxz", json::array({{{"dm", "10210"}}, {{"dm", "10212"}}})}};
}

TEST_F(FeesFixture, TwoPartyAgreementSavedAndFoundAgain) {
  std::string uuid, yzxx, message;
  ASSERT_TRUE(llxy_->synLlxyBc(Llxy().dump(), "01", uuid, yzxx, message)) << message;
  EXPECT_EQ(uuid.rfind("LLXY", 0), 0u);
  EXPECT_EQ(yzxx, "验证通过");
  std::string found;
  ASSERT_TRUE(llxy_->synLlxyCx(found, message)) << message;
  json rows = json::parse(found);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["sfxydjuuid"], uuid);
  EXPECT_EQ(rows[0]["syxz"], "10210,10212");
  EXPECT_EQ(rows[0]["czlxDm"], "01");

  // The request document: xmlbh first among the literal attributes; an empty syxz element when
  // the object has none.
  json plain = Llxy();
  plain.erase("syxz");
  ASSERT_TRUE(llxy_->synLlxyBc(plain.dump(), "01", uuid, yzxx, message)) << message;
  std::string doc;
  for (const auto& call : sim_.RecentCalls())
    if (call.serviceCode == "0106") doc = call.documentText;
  EXPECT_NE(doc.find("xmlbh=\"String\" bbh=\"String\" xmlmc=\"String\""), std::string::npos) << doc;
  EXPECT_NE(doc.find("<syxz></syxz>"), std::string::npos) << doc;
}

TEST_F(FeesFixture, ARefusedTwoPartySaveFails) {
  json a = Llxy();
  a["jkzh"] = "";
  std::string uuid = "stale", yzxx, message;
  EXPECT_FALSE(llxy_->synLlxyBc(a.dump(), "01", uuid, yzxx, message));
  EXPECT_EQ(message, "【30106】缴款账号不能为空");
  EXPECT_TRUE(uuid.empty());
  Fault(R"({"kind":"bad-base64","serviceCode":"0106"})");
  EXPECT_FALSE(llxy_->synLlxyBc(Llxy().dump(), "01", uuid, yzxx, message));
  EXPECT_EQ(message, "两两协议保存反馈报文异常。");
  Fault(R"({"kind":"refuse","code":"10042","message":"忙","serviceCode":"0105"})");
  std::string found;
  EXPECT_FALSE(llxy_->synLlxyCx(found, message));
  EXPECT_EQ(message, "忙");
  EXPECT_EQ(found, "[]");
  // The save whose answer was unreadable was stored by the server all the same.
  EXPECT_TRUE(llxy_->synLlxyCx(found, message)) << message;
  EXPECT_EQ(json::parse(found).size(), 1u);
}

TEST_F(FeesFixture, CardHolderCheckAnswers) {
  std::string message;
  EXPECT_TRUE(llxy_->dzswjCheckCaptcha("6217000000001234", "201", "110101198001011234", "李四", "13800000000", message))
      << message;
  EXPECT_FALSE(llxy_->dzswjCheckCaptcha("12", "201", "1", "李四", "13800000000", message));
  EXPECT_EQ(message, "卡号无效，卡号长度不正确");
  EXPECT_FALSE(llxy_->dzswjCheckCaptcha("6217000000001234", "201", "1", "无此人", "13800000000", message));
  EXPECT_EQ(message, "户名与证件不符");
  EXPECT_FALSE(llxy_->dzswjCheckCaptcha("6217000000001234", "201", "1", "李四", "", message));
  EXPECT_EQ(message, "[PARAM_ERROR]手机号不能为空");
  Fault(R"({"kind":"refuse","code":"10042","message":"忙","serviceCode":"0111"})");
  EXPECT_FALSE(llxy_->dzswjCheckCaptcha("6217000000001234", "201", "1", "李四", "1", message));
  EXPECT_EQ(message, "忙");
  Fault(R"({"kind":"not-json","serviceCode":"0111"})");
  EXPECT_FALSE(llxy_->dzswjCheckCaptcha("6217000000001234", "201", "1", "李四", "1", message));
  EXPECT_EQ(message.rfind("服务器应答格式错误", 0), 0u) << message;
}

TEST_F(FeesFixture, BankAndRegionLists) {
  llxy_->LoadData();
  EXPECT_EQ(llxy_->GetYhhbList(), "[]");  // no file yet: logged, lists empty
  InstallDataFiles();
  llxy_->LoadData();
  EXPECT_EQ(json::parse(llxy_->GetYhhbList())[3], "105=中国建设银行");
  EXPECT_EQ(json::parse(llxy_->GetXzqhList()), json::parse(R"(["110000=第一市"])"));
  EXPECT_EQ(json::parse(llxy_->GetXjXzqhList("110000")).size(), 2u);
  EXPECT_EQ(json::parse(llxy_->GetYhwdList("110101"))[1]["yhyywdmc"], "建设银行第一行政区支行");
  EXPECT_EQ(llxy_->GetYhwdList("999999"), "[]");
}

}  // namespace
}  // namespace velmor::testing
