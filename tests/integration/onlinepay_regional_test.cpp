// Regional payment orders ("0189"-"0191") through the loaded plug-in: placed and stored with
// their lines in one transaction, state changes mapped, lists stored.
#include "integration/onlinepay_fixture.h"

#include "velmor/hn_grsbfjn.h"
#include "velmor/hn_grsbfjn_dao.h"

namespace velmor::testing {
namespace {

using nlohmann::json;

class Regional : public OnlinePayFixture {
 protected:
  Regional() {
    hn_ = env_->plugin().CreateService<IHnGrsbfjn>();
    hnDao_ = env_->plugin().CreateService<IHnGrsbfjnDAO>();
  }
  ~Regional() override {
    hn_ = nullptr;
    hnDao_ = nullptr;
  }
  static json Order(const std::string& secondAmount = "80") {
    return {{"rybh", "RB9"}, {"xm", "王'五"}, {"zjlx", "201"}, {"zjhm", "110101199001019999"}, {"xzlx", "01"},
            {"jfnd", "2026"},
            {"payDetail",
             {{{"sbjbjgdm", "S01"}, {"beginDate", "2026-01-01"}, {"endDate", "2026-06-30"}, {"zsxmdm", "10210"},
               {"zspmdm", "102100100"}, {"zszmdm", ""}, {"xzlxdm", "01"}, {"amount", "100"}},
              {{"sbjbjgdm", "S01"}, {"beginDate", "2026-07-01"}, {"endDate", "2026-12-31"}, {"zsxmdm", "10210"},
               {"zspmdm", "102100100"}, {"zszmdm", ""}, {"xzlxdm", "01"}, {"amount", secondAmount}}}}};
  }
  void ServerStatus(const std::string& ddh, const std::string& status) {
    sim_.WithState([&](taxsim::State& s) {
      s.residents["hngrjf"][ddh]["orderStatus"] = status;
      s.residents["hngrjf"][ddh]["payTime"] = "2026-03-01 10:00:00";
      s.residents["hngrjf"][ddh]["payChannelName"] = "手机银行";
      return 0;
    });
  }
  Ref<IHnGrsbfjn> hn_;
  Ref<IHnGrsbfjnDAO> hnDao_;
};

TEST_F(Regional, AnOrderIsStoredWithItsLinesAndFollowed) {
  std::string result, message;
  ASSERT_TRUE(hn_->Xd(Order().dump(), result, message)) << message;
  const json placed = json::parse(result);
  ASSERT_EQ(placed.size(), 1u);
  const std::string ddh = placed[0]["ddh"];
  EXPECT_EQ(placed[0]["ddzt"], "0");
  json rows = json::parse(hn_->GetData("", -1, 10));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["xm"], "王'五");
  EXPECT_EQ(rows[0]["jfje"], "180.0") << rows.dump();
  EXPECT_EQ(json::parse(hn_->GetMxData(ddh)).size(), 2u);
  EXPECT_EQ(json::parse(hn_->GetDjfDataLb()).size(), 1u);

  for (const auto& [server, stored] : {std::pair{"6", "1"}, std::pair{"4", "4"}, std::pair{"7", "98"},
                                       std::pair{"99", "99"}, std::pair{"5", "5"}}) {
    ServerStatus(ddh, server);
    ASSERT_TRUE(hn_->ddztCx(ddh, result, message)) << message;
    EXPECT_EQ(json::parse(result)["ddzt"], stored) << server;
    EXPECT_EQ(json::parse(hn_->GetData("", -1, 10))[0]["ddzt"], stored);
  }
  EXPECT_EQ(json::parse(hn_->GetData("", -1, 10))[0]["zfqd"], "手机银行");
  EXPECT_EQ(hn_->GetCount(R"({"ddzt":"5, 0"})"), 1);
  EXPECT_EQ(hn_->GetCount(R"({"ddzt":"1') or ('1"})"), 0) << "a state list is quoted, never SQL";
  EXPECT_EQ(json::parse(hn_->GetMxData(ddh)).size(), 2u) << "a known order is updated, not stored twice";
}

TEST_F(Regional, AnOrderWhoseLineCannotBeStoredLeavesNothing) {
  std::string result, message;
  EXPECT_FALSE(hn_->Xd(Order("80元").dump(), result, message));
  EXPECT_EQ(message, "数据库保存失败。");
  EXPECT_EQ(hn_->GetCount(""), 0) << "the order went with its failed line";
  EXPECT_NE(env_->LogText().find("[THnGrsbfjnDAO.SaveJfxx]异常："), std::string::npos);
}

TEST_F(Regional, TheListStoresEveryOrderItNames) {
  std::string result, message;
  ASSERT_TRUE(hn_->Xd(Order().dump(), result, message)) << message;
  ASSERT_TRUE(hn_->Xd(Order().dump(), result, message)) << message;
  // A third order the client never placed itself (another device): the list brings it in.
  sim_.WithState([](taxsim::State& s) {
    json copy = s.residents["hngrjf"]["HN200001"];
    copy["orderId"] = "HN200003";
    s.residents["hngrjf"]["HN200003"] = copy;
    return 0;
  });
  ASSERT_TRUE(hn_->ddCx(R"({"pageNumber":1,"pageSize":2})", result, message)) << message;
  json page = json::parse(result);
  EXPECT_EQ(page["total"], "3");
  ASSERT_EQ(page["orders"].size(), 2u);
  EXPECT_EQ(page["orders"][0]["ddh"], "HN200003");
  EXPECT_EQ(hn_->GetCount(""), 3);
  EXPECT_EQ(hn_->GetCount(R"({"ddh":"HN200003"})"), 1);
}

TEST_F(Regional, FailuresNameTheirCause) {
  std::string result, message;
  json o = Order();
  o["payDetail"] = json::array();
  EXPECT_FALSE(hn_->Xd(o.dump(), result, message));
  EXPECT_EQ(message, "缴费明细为空。");
  EXPECT_FALSE(hn_->Xd(Order("-500").dump(), result, message));
  EXPECT_EQ(message, "下单异常：[PARAM_ERROR]缴费金额必须大于0");
  EXPECT_FALSE(hn_->ddztCx("HN-NONE", result, message));
  EXPECT_EQ(message, "订单状态查询异常：[NOT_FOUND]订单不存在");
  EXPECT_FALSE(hn_->ddCx(R"({"pageSize":"0"})", result, message));
  EXPECT_EQ(message, "查询条件pageSize[0]不是正整数。");
  sim_.Faults().Add(taxsim::ParseFault(json{{"kind", "refuse"}, {"serviceCode", "0191"}, {"code", "30191"}, {"message", "查询失败"}}));
  EXPECT_FALSE(hn_->ddCx("", result, message));
  EXPECT_EQ(message.rfind("批量个人缴款记录查询失败：", 0), 0u) << message;
  EXPECT_NE(env_->LogText().find("[THnGrsbfjn.Xd]异常："), std::string::npos);
  EXPECT_EQ(hnDao_->GetCount(kOnlinePayer, ""), 0);
}

}  // namespace
}  // namespace velmor::testing
