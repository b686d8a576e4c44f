// The electronic declaration through the loaded plug-in against the simulator on loopback:
// downloaded payable rows declared ("0031") and stored with their persons under the serial, the
// feedback ("0029") declaring them or marking the person the server names, and every refusal.
#include "payable_fixture.h"

namespace velmor::testing {
namespace {

class ElectronicDeclaration : public Payable {
 protected:
  void SetUp() override {
    int32_t count = 0;
    std::string message;
    ASSERT_TRUE(Download("", count, message)) << message;
    rows_ = Json::parse(svc_->getData("", 1, 3));
    ASSERT_EQ(rows_.size(), 3u);
  }
  bool Send(const std::string& bz, std::string& yblsh, int32_t& id, std::string& message) {
    return dzsb_->SbSend(rows_.dump(), bz, nullptr, yblsh, id, message);
  }
  Json rows_;
};

TEST_F(ElectronicDeclaration, AnAcceptedDeclarationIsStoredAndItsFeedbackDeclaresIt) {
  std::string yblsh, message, result;
  int32_t id = 0;
  ASSERT_TRUE(Send("电子申报", yblsh, id, message)) << message;
  ASSERT_GT(id, 0);
  EXPECT_EQ(Get("select sbzt || '|' || yblsh || '|' || zrs from ds_sbzb where id = " + std::to_string(id)),
            "9|" + yblsh + "|3");
  // The persons are stored under the document's names: line numbers and codes as sent.
  EXPECT_EQ(Get("select group_concat(mxxh, ',') from ds_sbrymxb where mxbid = " + std::to_string(id)),
            rows_[0]["xxh"].get<std::string>() + "," + rows_[1]["xxh"].get<std::string>() + "," +
                rows_[2]["xxh"].get<std::string>());
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(id) +
                " and (sbjbjgdm = '' or zspmdm = '' or rybh = '')"),
            "0");
  auto seen = sim_.RecentCalls();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().serviceCode, "0031");
  EXPECT_NE(seen.back().documentText.find("<yzpzzlDm>BDA0611049</yzpzzlDm>"), std::string::npos);
  EXPECT_NE(seen.back().documentText.find("<bz>电子申报</bz>"), std::string::npos);

  ASSERT_TRUE(dzsb_->GetSbFk(yblsh, nullptr, result, message)) << message;
  const Json r = Json::parse(result);
  EXPECT_EQ(r["sbzt"], 2);
  EXPECT_FALSE(r["yzpzxh"].get<std::string>().empty());
  EXPECT_EQ(Get("select sbzt || '|' || yzpzxh from ds_sbzb where id = " + std::to_string(id)),
            "2|" + r["yzpzxh"].get<std::string>());
  const std::string body = sim_.RecentCalls().back().body;
  EXPECT_EQ(Json::parse(body), Json({{"yblsh", yblsh}})) << "the feedback body holds only the serial";
}

TEST_F(ElectronicDeclaration, AFeedbackWithoutSuccessKeepsTheReasonAndMarksThePerson) {
  std::string yblsh, message, result;
  int32_t id = 0;
  ASSERT_TRUE(Send("FAIL", yblsh, id, message)) << message;
  EXPECT_FALSE(dzsb_->GetSbFk(yblsh, nullptr, result, message));
  EXPECT_EQ(message, "[20001]申报数据有误");
  EXPECT_EQ(Get("select sbzt || '|' || sbyy from ds_sbzb where id = " + std::to_string(id)), "9|申报数据有误");
  EXPECT_EQ(Get("select group_concat(jyzt, ',') from ds_sbrymxb where mxbid = " + std::to_string(id)), "1,0,0")
      << "the person named by its line number is marked";
}

TEST_F(ElectronicDeclaration, PendingAndMalformedFeedbackChangeNothing) {
  std::string yblsh, message, result;
  int32_t id = 0;
  ASSERT_TRUE(Send("PENDING", yblsh, id, message)) << message;
  EXPECT_FALSE(dzsb_->GetSbFk(yblsh, nullptr, result, message));
  EXPECT_EQ(message.rfind("[null]", 0), 0u) << message;
  EXPECT_EQ(Get("select sbzt from ds_sbzb where id = " + std::to_string(id)), "9");
  ASSERT_TRUE(dzsb_->GetSbFk(yblsh, nullptr, result, message)) << message;
  EXPECT_EQ(Get("select sbzt from ds_sbzb where id = " + std::to_string(id)), "2");

  ASSERT_TRUE(Send("BAD", yblsh, id, message)) << message;
  EXPECT_FALSE(dzsb_->GetSbFk(yblsh, nullptr, result, message));
  EXPECT_EQ(message, "服务端反馈报文异常");
  EXPECT_EQ(Get("select sbzt from ds_sbzb where id = " + std::to_string(id)), "9");
  EXPECT_FALSE(dzsb_->GetSbFk("NO-SUCH", nullptr, result, message));
  EXPECT_FALSE(dzsb_->GetSbFk("", nullptr, result, message));
}

TEST_F(ElectronicDeclaration, RefusedOrFailedSubmissionsStoreNothing) {
  std::string yblsh, message;
  int32_t id = 0;
  const std::string before = Get("select count(*) from ds_sbzb");
  EXPECT_FALSE(dzsb_->SbSend("[]", "", nullptr, yblsh, id, message));
  EXPECT_EQ(message, "待申报明细列表为空。");
  EXPECT_FALSE(dzsb_->SbSend("not json", "", nullptr, yblsh, id, message));
  EXPECT_EQ(message, "系统异常，请稍后再试。");
  EXPECT_FALSE(dzsb_->SbSend("[1]", "", nullptr, yblsh, id, message));
  EXPECT_EQ(message, "创建报文异常");
  EXPECT_FALSE(Send("REJECT", yblsh, id, message));
  EXPECT_EQ(message, "[30012]征集信息已失效");
  Fault(R"({"kind":"refuse","serviceCode":"0031","code":"10042","message":"系统繁忙"})");
  EXPECT_FALSE(Send("", yblsh, id, message));
  EXPECT_NE(message.find("系统繁忙"), std::string::npos) << message;
  Fault(R"({"kind":"drop","serviceCode":"0031"})");
  EXPECT_FALSE(Send("", yblsh, id, message));
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(Get("select count(*) from ds_sbzb"), before);
}

TEST_F(ElectronicDeclaration, ALocalSaveFailureAfterAcceptanceSaysSoWithTheSerial) {
  std::string yblsh, message;
  int32_t id = 0;
  FaultInjection::FailStatement(1);  // the master's insert, after the server accepted
  EXPECT_FALSE(Send("", yblsh, id, message));
  ASSERT_FALSE(yblsh.empty());
  EXPECT_NE(message.find("申报已被服务器受理（流水号：" + yblsh + "）"), std::string::npos) << message;
  EXPECT_NE(message.find("请勿重复申报"), std::string::npos);
  EXPECT_EQ(Get("select count(*) from ds_sbzb"), "0") << "one transaction: nothing half-written";
}

}  // namespace
}  // namespace velmor::testing
