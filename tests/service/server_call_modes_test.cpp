// The call helper's other forms against the simulator: submit/collect (the serial, "not yet"
// told apart from an answer, a job the server does not know), polling of asynchronous jobs within
// its bound, and operations whose answers are JSON.
#include <gtest/gtest.h>

#include "host/net_test_support.h"
#include "integration/taxml_fixture.h"
#include "service/server_call.h"

namespace velmor::testing {
namespace {

using service::Json;

constexpr service::OpRow kJsonRow{
    "TTestService", "JsonOp", "0097", "测试异常：", "", "rowList", service::AnswerKind::kJson};

class ServerCallModes : public TaxmlFixture {
 protected:
  void SetUp() override {
    sim_.Handlers().Add("0097", [](const taxsim::Call& c, taxsim::State&) {
      if (c.Key("n") == "bad") return taxsim::Answer::Json({{"code", "30001"}, {"message", "无此人员"}});
      if (c.Key("n") == "nolist") return taxsim::Answer::Json({{"code", "00000"}});
      return taxsim::Answer::Json({{"code", "00000"}, {"message", "ok"}, {"rowList", {{{"n", c.Key("n")}}}}});
    });
  }
  std::string Failing(const std::function<void()>& body) {
    std::string message;
    EXPECT_FALSE(service::RunOp(kJsonRow, message, body));
    return message;
  }
};

TEST_F(ServerCallModes, JsonAnswersBecomeTheObjectWithoutCodeAndMessage) {
  Json answer = service::Exchange(kJsonRow, {kDjxh, Json{{"n", "7"}}});
  EXPECT_EQ(answer["rowList"][0]["n"], "7");
  EXPECT_FALSE(answer.contains("code"));
  EXPECT_FALSE(answer.contains("message"));
  EXPECT_FALSE(answer.value("yblsh", "").empty());
  EXPECT_EQ(Failing([] { service::Exchange(kJsonRow, {kDjxh, Json{{"n", "bad"}}}); }), "测试异常：【30001】无此人员");
  EXPECT_EQ(Failing([] {
              service::Exchange(kJsonRow, {kDjxh, Json{{"n", "nolist"}}});
            }),
            "测试异常：反馈报文缺少<rowList>节点。");
}

TEST_F(ServerCallModes, SubmitReturnsTheSerialCollectSaysNotYetThenAnswers) {
  const std::string serial = service::Submit(kJsonRow, {kDjxh, Json{{"n", "3"}}});
  ASSERT_FALSE(serial.empty());
  Json body = Json::parse(sim_.RecentCalls().back().body);
  EXPECT_EQ(body["yblsh"], serial);
  EXPECT_EQ(body["n"], "3");
  EXPECT_EQ(body["djxh"], kDjxh);
  // The simulator keeps a job pending for two polls: each Collect asks exactly once.
  EXPECT_FALSE(service::CollectJson(kJsonRow, serial).has_value());
  EXPECT_FALSE(service::CollectJson(kJsonRow, serial).has_value());
  std::optional<Json> answer = service::CollectJson(kJsonRow, serial);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ((*answer)["rowList"][0]["n"], "3");
}

TEST_F(ServerCallModes, CollectOfAJobTheServerDoesNotKnowFailsWithTheHostsText) {
  try {
    service::Collect(kJsonRow, "NO-SUCH-SERIAL");
    ADD_FAILURE() << "no exception";
  } catch (const taxml::Failure& f) {
    EXPECT_NE(std::string(f.what()).find("NO-SUCH-SERIAL"), std::string::npos) << f.what();
  }
}

TEST_F(ServerCallModes, SubmitRefusedByTheServerFails) {
  Fault(R"({"kind":"refuse","serviceCode":"0097","endpoint":"submit","code":"10042","message":"忙"})");
  EXPECT_EQ(Failing([] { service::Submit(kJsonRow, {kDjxh}); }).rfind("测试异常：服务器拒绝请求：[10042]忙", 0), 0u);
}

TEST_F(ServerCallModes, JobsPollingStopsAtItsBound) {
  sim_.SetAsyncPendingPolls(1000000);
  EXPECT_EQ(Failing([] {
              service::ExchangeJobs(kJsonRow, kDjxh, {Json{{"n", "1"}}, Json{{"n", "2"}}}, nullptr,
                                    std::chrono::milliseconds(300));
            }),
            "测试异常：异步请求超时，仍有2个未反馈。");
}

}  // namespace
}  // namespace velmor::testing
