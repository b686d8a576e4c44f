// Tax-server orders ("0049"-"0052") through the loaded plug-in, and the order store itself.
#include "integration/onlinepay_fixture.h"

namespace velmor::testing {
namespace {

using nlohmann::json;

class OnlineServer : public OnlinePayFixture {
 protected:
  json Xd(double jfje) {
    std::string result, message;
    EXPECT_TRUE(mgr_->Xd(json{{"xm", "李四"}, {"zjhm", "110101199001011234"}, {"jfje", jfje}}.dump(), result, message))
        << message;
    return json::parse(result);
  }
};

TEST_F(OnlineServer, AnOrderIsPlacedStoredAndFollowed) {
  json o = Xd(360);
  ASSERT_FALSE(o["orderId"].get<std::string>().empty());
  EXPECT_EQ(o["zffsDm"], "02");
  json stored = json::parse(mgr_->GetDdZfData(o["orderId"], o["queryId"]));
  EXPECT_EQ(stored["zfUrl"], o["zfUrl"]) << "ids and the URL are stored quoted";
  EXPECT_EQ(stored["ddscsj"], o["ddscsj"]);
  EXPECT_EQ(mgr_->GetDdZfData(o["orderId"], "Q-OTHER"), "{}");

  std::string result, message;
  ASSERT_TRUE(mgr_->ddmxCx(o["orderId"], o["queryId"], result, message)) << message;
  EXPECT_EQ(json::parse(result)["jfje"], "360.00");
  ASSERT_TRUE(mgr_->ddztCx(o["orderId"], o["queryId"], result, message)) << message;
  EXPECT_EQ(json::parse(result), json::parse(R"({"ddztDm":"0","sbyy":""})"));
  sim_.WithState([&](taxsim::State& s) {
    s.residents["grjf"][o["orderId"].get<std::string>()]["ddztDm"] = "3";
    s.residents["grjf"][o["orderId"].get<std::string>()]["sbyy"] = "银行扣款失败";
    return 0;
  });
  ASSERT_TRUE(mgr_->ddztCx(o["orderId"], o["queryId"], result, message)) << message;
  EXPECT_EQ(json::parse(result), json::parse(R"({"ddztDm":"3","sbyy":"银行扣款失败"})"));
}

TEST_F(OnlineServer, TheListIsPagedNewestFirst) {
  Xd(1);
  Xd(2);
  json third = Xd(3);
  std::string result, message;
  ASSERT_TRUE(mgr_->ddCx(R"({"pageNumber":1,"pageSize":2})", result, message)) << message;
  json page = json::parse(result);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0]["orderId"], third["orderId"]);
  ASSERT_TRUE(mgr_->ddCx(R"({"pageNumber":"2","pageSize":"2"})", result, message)) << message;
  EXPECT_EQ(json::parse(result).size(), 1u);
  ASSERT_TRUE(mgr_->ddCx(R"({"ddscsjq":"2999-01-01"})", result, message)) << message;
  EXPECT_EQ(result, "[]");
  EXPECT_FALSE(mgr_->ddCx(R"({"pageNumber":"x"})", result, message));
  EXPECT_EQ(message, "查询条件pageNumber[x]不是正整数。");
}

TEST_F(OnlineServer, TheServersRefusalsCarryTheOperationsPrefix) {
  std::string result, message;
  EXPECT_FALSE(mgr_->Xd(R"({"jfje":0})", result, message));
  EXPECT_EQ(message, "下单异常：[PARAM_ERROR]缴费金额必须大于0");
  EXPECT_FALSE(mgr_->ddztCx("OD-NONE", "Q", result, message));
  EXPECT_EQ(message, "订单状态查询异常：[NOT_FOUND]订单不存在");
  EXPECT_FALSE(mgr_->ddmxCx("OD-NONE", "Q", result, message));
  EXPECT_EQ(message, "订单明细查询异常：[NOT_FOUND]订单不存在");
  sim_.Faults().Add(taxsim::ParseFault(json{{"kind", "refuse"}, {"serviceCode", "0051"}, {"message", "系统繁忙"}}));
  EXPECT_FALSE(mgr_->ddCx("", result, message));
  EXPECT_EQ(message.rfind("订单查询异常：", 0), 0u) << message;
  EXPECT_NE(env_->LogText().find("[TGrsbfjn.Xd]异常："), std::string::npos);
}

// The store on its own: every value quoted, one transaction per order, strict filters.
TEST_F(OnlineServer, TheStoreQuotesEveryValueAndSavesAnOrderWhole) {
  json line = {{"djxh", kOnlinePayer}, {"spddh", "SP'1"}, {"zfddh", "PY1"},   {"ddscrq", "2026-03-05 10:00:00"},
               {"ddzt", 0},            {"jfje", "10"},    {"xm", "A'B"},      {"syturl", "https://x/?a='1'&b=2"}};
  json bad = line;
  bad["ddzt"] = "unpaid";
  EXPECT_FALSE(dao_->SaveJfxx(json::array({line, bad}).dump()));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库保存失败。");
  EXPECT_EQ(dao_->GetCount(kOnlinePayer, ""), 0) << "a failed line leaves nothing of its order";
  ASSERT_TRUE(dao_->SaveJfxx(json::array({line, line}).dump())) << dao_->GetErrorMessage();
  json rows = json::parse(dao_->GetData(kOnlinePayer, R"({"xm":"A'B","ddscrqq":"2026-03","ddscrqz":"2026-03"})", 1, 10));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["syturl"], "https://x/?a='1'&b=2");
  EXPECT_EQ(dao_->GetCount(kOnlinePayer, R"({"ddscrqq":"2026-04"})"), 0);
  ASSERT_TRUE(dao_->UpdateDdzt(kOnlinePayer, "SP'1", "PY1", 1));
  EXPECT_EQ(dao_->GetCount(kOnlinePayer, R"({"ddzt":"1, 2"})"), 2);
  EXPECT_EQ(dao_->GetCount(kOnlinePayer, R"({"ddzt":"1) or (1=1"})"), -1);
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询失败。");
  EXPECT_TRUE(dao_->SaveDdZfData(R"({"orderId":"OD'7","queryId":"Q7","zfUrl":"https://p/?q='x'"})"));
  EXPECT_EQ(json::parse(dao_->GetDdZfData("OD'7", "Q7"))["zfUrl"], "https://p/?q='x'");
}

}  // namespace
}  // namespace velmor::testing
