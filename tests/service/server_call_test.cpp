// The call helper of the services (service/server_call.h) on the plug-in's objects inside a
// started reference host, against the simulator on loopback: how requests are built, how
// answers become JSON, and how each kind of failure reaches the user.
#include "service/server_call.h"

#include <gtest/gtest.h>

#include "codec/taxml_response.h"
#include "host/net_test_support.h"
#include "integration/taxml_fixture.h"
#include "roster/employee_ops.h"

namespace velmor::testing {
namespace {

using service::Json;

constexpr service::OpRow kTestRow{"TTestService", "TestOp", "0032", "测试异常：", "", "zrrDjxxList"};
constexpr service::OpRow kDocRow{"TTestService", "TestDoc", "0082", "作废异常：", "SbfCxjmYjfeZfRequest", "zfjgList"};

class ServerOp : public TaxmlFixture {
 protected:
  std::string Zjhm(size_t k) {
    return sim_.WithState([&](taxsim::State& s) { return s.persons[k].zjhm; });
  }
  // Runs one exchange of kTestRow under RunOp; the message.
  std::string Failing(const service::OpRow& row = kTestRow) {
    std::string message;
    EXPECT_FALSE(service::RunOp(row, message, [&] {
      service::OpCall call{kDjxh, Json{{"zjhm", Zjhm(0)}}, nullptr, {}, nullptr};
      service::Exchange(row, call);
    }));
    return message;
  }
};

TEST(ServerOpParams, EmptyTextIsAnEmptyObjectAnythingButAnObjectIsRefused) {
  EXPECT_EQ(service::ParseParams(""), Json::object());
  EXPECT_EQ(service::ParseParams("  \n"), Json::object());
  EXPECT_EQ(service::ParseParams(R"({"b":"1","a":2})").dump(), R"({"b":"1","a":2})") << "key order is kept";
  for (const char* bad : {"[1,2]", "\"text\"", "{\"a\":", "12", "null"})
    EXPECT_THROW(service::ParseParams(bad), service::OpRefusal) << bad;
}

TEST(ServerOpAnswer, ListsAreArraysEvenWhenEmptyRowsAreObjects) {
  taxml::Response r = taxml::Response::Parse(
      "<taxML><code>00000</code><message>ok</message><zs>2</zs><aList/>"
      "<bList><bDTO><x>1</x><subList><subDTO><y>&amp;</y></subDTO></subList></bDTO><bDTO><x/></bDTO></bList>"
      "<obj><k>v</k></obj></taxML>");
  Json j = service::AnswerJson(r.Root());
  EXPECT_FALSE(j.contains("code"));
  EXPECT_FALSE(j.contains("message"));
  EXPECT_EQ(j["zs"], "2");
  EXPECT_EQ(j["aList"], Json::array());
  ASSERT_EQ(j["bList"].size(), 2u);
  EXPECT_EQ(j["bList"][0]["x"], "1");
  EXPECT_EQ(j["bList"][0]["subList"][0]["y"], "&");
  EXPECT_EQ(j["bList"][1]["x"], "");
  EXPECT_EQ(j["obj"]["k"], "v");
}

TEST(ServerOpDocument, ScalarRowsNumbersFlagsAndNestedObjects) {
  taxml::RequestDocument doc("SbfCxjmYjfeZfRequest");
  service::AddJson(doc, Json{{"n", 380},
                             {"yes", true},
                             {"none", nullptr},
                             {"rybhList", {"R1", "R2"}},
                             {"qt", {{"a", "1"}}},
                             {"ids", {"7"}}});
  const std::string text = doc.Text();
  EXPECT_NE(text.find("<n>380</n><yes>Y</yes><none></none>"), std::string::npos) << text;
  EXPECT_NE(text.find("<rybhList><rybhDTO>R1</rybhDTO><rybhDTO>R2</rybhDTO></rybhList>"), std::string::npos) << text;
  EXPECT_NE(text.find("<qt><a>1</a></qt>"), std::string::npos) << text;
  EXPECT_NE(text.find("<ids><idsDTO>7</idsDTO></ids>"), std::string::npos) << "a list not named ...List" << text;
  EXPECT_NO_THROW(service::AddJson(doc, Json::array({1})));
  for (const char* bad : {"a><b", "", "1x", "x y", "名"})
    EXPECT_THROW(service::AddJson(doc, Json{{bad, "v"}}), service::OpRefusal) << bad;
}

TEST_F(ServerOp, ParametersTravelAsBodyKeysInOrderWithAFreshSerialAndThePayer) {
  Ref<RecordingProgress> progress = Make<RecordingProgress>();
  service::OpCall call{
      kDjxh, Json{{"zjlx", "201"}, {"zjhm", Zjhm(0)}, {"djxh", "forged"}}, progress.get(), {}, nullptr};
  Json answer = service::Exchange(kTestRow, call);
  ASSERT_EQ(answer["zrrDjxxList"].size(), 1u);
  EXPECT_EQ(answer["zrrDjxxList"][0]["sfzjhm"], Zjhm(0));
  EXPECT_FALSE(answer.value("yblsh", "").empty());
  EXPECT_GT(progress->position, 0) << "the progress view advances";
  taxsim::SeenCall seen = sim_.RecentCalls().back();
  Json body = Json::parse(seen.body);
  std::vector<std::string> keys;
  for (auto it = body.begin(); it != body.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"yblsh", "zjlx", "zjhm", "djxh"}));
  EXPECT_EQ(body["djxh"], kDjxh) << "the payer is the operation's, never a parameter";
  EXPECT_EQ(body["yblsh"], answer["yblsh"]);
}

TEST_F(ServerOp, DocumentsHoldScalarsListsAndEscapedValues) {
  service::OpCall call{kDjxh,
                       Json{{"jfnd", "2024"}, {"zfyy", "A&B<C"}, {"zfmxList", {{{"xzid", "X1"}}, {{"xzid", "X2"}}}}},
                       nullptr,
                       {},
                       nullptr};
  Json answer = service::Exchange(kDocRow, call);
  ASSERT_EQ(answer["zfjgList"].size(), 2u);
  EXPECT_EQ(answer["zfjgList"][0]["zfbz"], "N") << "an item the payer does not have";
  taxsim::SeenCall seen = sim_.RecentCalls().back();
  EXPECT_EQ(seen.documentType, "SbfCxjmYjfeZfRequest");
  EXPECT_NE(seen.documentText.find("<zfyy>A&amp;B&lt;C</zfyy>"), std::string::npos) << seen.documentText;
  EXPECT_NE(seen.documentText.find("<zfmxList><zfmxDTO><xzid>X1</xzid></zfmxDTO><zfmxDTO><xzid>X2</xzid></zfmxDTO>"
                                   "</zfmxList>"),
            std::string::npos)
      << seen.documentText;
}

TEST_F(ServerOp, EachFailureCarriesTheOperationsPrefixAndIsLogged) {
  Fault(R"({"kind":"refuse","code":"10042","message":"系统繁忙"})");
  EXPECT_EQ(Failing(), "测试异常：系统繁忙");
  Fault(R"({"kind":"code","code":"30035","message":"该凭证已作废"})");
  EXPECT_EQ(Failing(), "测试异常：【30035】该凭证已作废");
  Fault(R"({"kind":"drop-list","list":"zrrDjxxList"})");
  EXPECT_EQ(Failing(), "测试异常：反馈报文缺少<zrrDjxxList>节点。");
  Fault(R"({"kind":"bad-base64"})");
  std::string malformed = Failing();
  EXPECT_EQ(malformed.rfind("测试异常：", 0), 0u) << malformed;
  EXPECT_GT(malformed.size(), std::string("测试异常：").size()) << "the decoder's reason follows";
  Fault(R"({"kind":"drop"})");
  EXPECT_EQ(Failing().rfind("测试异常：网络通讯失败：", 0), 0u);
  EXPECT_NE(host_->LogText().find("[TTestService.TestOp]异常：【30035】该凭证已作废"), std::string::npos);
}

TEST_F(ServerOp, DocumentsOfTheOperationAreAnsweredAfterTheCodeTest) {
  taxml::RequestDocument doc("SbfCxjmYjfeZfRequest");
  doc.Add("jfnd", "2024").Open("zfmxList").Open("zfmxDTO").Add("xzid", "X1").Close().Close();
  int unreadable = 0;
  auto reason = [&](const std::exception& e) {
    ++unreadable;
    return std::string("读不懂：") + e.what();
  };
  taxml::Response answer = service::ExchangeDocument("0082", doc, nullptr, reason);
  EXPECT_TRUE(answer.List("zfjgList"));
  Fault(R"({"kind":"code","code":"30035","message":"该凭证已作废"})");
  try {
    service::ExchangeDocument("0082", doc, nullptr, reason);
    ADD_FAILURE() << "a refused answer was handed back";
  } catch (const taxml::Failure& e) {
    EXPECT_STREQ(e.what(), "【30035】该凭证已作废");
  }
  Fault(R"({"kind":"bad-base64"})");
  try {
    service::ExchangeDocument("0082", doc, nullptr, reason);
    ADD_FAILURE() << "an unreadable answer was handed back";
  } catch (const service::OpRefusal& e) {
    EXPECT_EQ(std::string(e.what()).rfind("读不懂：", 0), 0u) << e.what();
  }
  EXPECT_EQ(unreadable, 1);
}

TEST_F(ServerOp, TransportFailureWhenNoServerListens) {
  Restart("http://127.0.0.1:1");
  EXPECT_EQ(Failing().rfind("测试异常：无法连接服务器", 0), 0u);
}

TEST_F(ServerOp, RefusalsOfTheOperationItselfStandWithoutPrefix) {
  std::string message;
  EXPECT_FALSE(service::RunOp(kTestRow, message, [] { throw service::OpRefusal("人员编号列表为空。"); }));
  EXPECT_EQ(message, "人员编号列表为空。");
  EXPECT_TRUE(service::RunOp(kTestRow, message, [] {}));
  EXPECT_EQ(message, "");
  EXPECT_FALSE(service::RunOp(kTestRow, message, [] { throw 42; }));
  EXPECT_EQ(message, "测试异常：未知异常");
}

TEST_F(ServerOp, AnyCodeKeepsTheCodeOfTaxmlAndJsonAnswersAndSendsNoSerialWhenAsked) {
  Fault(R"({"kind":"code","code":"30015","message":"处理中"})");
  service::OpCall call{kDjxh, Json{{"zjhm", Zjhm(0)}}, nullptr, {}, nullptr};
  Json answer = service::ExchangeAnyCode(kTestRow, call);
  EXPECT_EQ(answer["code"], "30015");
  EXPECT_EQ(answer["message"], "处理中");
  constexpr service::OpRow kJsonRow{"TTestService", "Json", "0099", "", "", "", service::AnswerKind::kJson};
  sim_.Handlers().Add("0099", [](const taxsim::Call&, taxsim::State&) {
    return taxsim::Answer::Json({{"code", "30035"}, {"message", "已作废"}});
  });
  service::OpCall bare{kDjxh, Json::object(), nullptr, {}, nullptr, false};
  answer = service::ExchangeAnyCode(kJsonRow, bare);
  EXPECT_EQ(answer["code"], "30035");
  EXPECT_EQ(Json::parse(sim_.RecentCalls().back().body), (Json{{"djxh", kDjxh}})) << "no serial in the body";
  sim_.Handlers().Add("0099", [](const taxsim::Call&, taxsim::State&) { return taxsim::Answer::Json("[1]"); });
  EXPECT_THROW(service::ExchangeAnyCode(kJsonRow, bare), taxml::Failure) << "an answer that is no object";
  Fault(R"({"kind":"refuse","code":"10042","message":"系统繁忙"})");
  EXPECT_THROW(service::ExchangeAnyCode(kTestRow, call), taxml::Failure);
}

TEST_F(ServerOp, AwaitingAsksAgainWhileTheServerPreparesTheAnswerThenGivesUp) {
  service::OpCall call{kDjxh, Json{{"zjhm", Zjhm(0)}}, nullptr, {}, nullptr};
  const service::PendingBound quick{3, std::chrono::milliseconds(10)};
  Fault(R"({"kind":"refuse","code":"10042","count":2})");
  EXPECT_EQ(service::ExchangeAwaiting(kTestRow, call, quick)["zrrDjxxList"].size(), 1u);
  Fault(R"({"kind":"refuse","code":"10042","count":3})");
  try {
    service::ExchangeAwaiting(kTestRow, call, quick);
    ADD_FAILURE() << "three asks at most: the fourth would have been answered";
  } catch (const taxml::Failure& f) {
    EXPECT_EQ(std::string(f.UserText()), service::kStillPending);
  }
  Fault(R"({"kind":"refuse","code":"30001","message":"系统维护"})");
  EXPECT_THROW(service::ExchangeAwaiting(kTestRow, call, quick), taxml::Failure)
      << "other refusals are not asked again (a second ask would be answered)";
}

TEST_F(ServerOp, FeedbackSendsTheGivenSerial) {
  service::OpCall call{kDjxh, Json::object(), nullptr, "FK-0001", nullptr};
  EXPECT_THROW(service::Exchange(roster::kRyUpdateCountFk, call), taxml::Failure) << "no request under that serial";
  Json body = Json::parse(sim_.RecentCalls().back().body);
  EXPECT_EQ(body["yblsh"], "FK-0001");
}

TEST_F(ServerOp, JobsAnswerInTheirOwnOrderAfterPendingPolls) {
  sim_.Handlers().Add("0099", [](const taxsim::Call& c, taxsim::State&) {
    if (c.Key("n") == "bad") return taxsim::Answer::Json({{"code", "30001"}, {"message", "无此人员"}});
    if (c.Key("n") == "nolist") return taxsim::Answer::Json({{"code", "00000"}});
    return taxsim::Answer::Json({{"code", "00000"}, {"rowList", {{{"n", c.Key("n")}}}}});
  });
  constexpr service::OpRow row{"TTestService", "TestJobs", "0099", "测试异常：", "", "rowList"};
  std::vector<Json> jobs;
  for (int i = 0; i < 5; ++i) jobs.push_back({{"n", std::to_string(i)}});
  Ref<RecordingProgress> progress = Make<RecordingProgress>();
  std::vector<Json> answers = service::ExchangeJobs(row, kDjxh, jobs, progress.get());
  ASSERT_EQ(answers.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(answers[i]["rowList"][0]["n"], std::to_string(i));
  EXPECT_EQ(progress->position, 100);
  EXPECT_TRUE(service::ExchangeJobs(row, kDjxh, {}, nullptr).empty());

  auto failure = [&](const char* n) {
    std::string message;
    service::RunOp(row, message, [&] {
      service::ExchangeJobs(row, kDjxh, {Json{{"n", "1"}}, Json{{"n", n}}}, nullptr);
    });
    return message;
  };
  EXPECT_EQ(failure("bad"), "测试异常：【30001】无此人员");
  EXPECT_EQ(failure("nolist"), "测试异常：反馈报文缺少<rowList>节点。");
  Fault(R"({"kind":"refuse","serviceCode":"0099","endpoint":"submit","code":"10042","message":"忙"})");
  EXPECT_EQ(failure("1").rfind("测试异常：异步请求失败！服务器拒绝请求：[10042]忙", 0), 0u);
}

}  // namespace
}  // namespace velmor::testing
