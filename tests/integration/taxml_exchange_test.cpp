// Each status path of an exchange, the encodings of request documents as the simulator decodes
// them, and every failure text a service shows, through the reference host.
#include <gtest/gtest.h>

#include "codec/taxml_encoded_ahead.h"
#include "codec/taxml_request_types.h"
#include "support/raw_server.h"
#include "taxml_fixture.h"
#include "velmor/response_taker.h"

namespace velmor::testing {
namespace {

using TaxmlExchange = TaxmlFixture;

TEST_F(TaxmlExchange, AnsweredWithStatusTwoAndEverythingArrivesIntact) {
  taxml::RequestDocument doc("SbfDjXnhDjdxCxRequest");  // GBK
  doc.Add("xm", "张三&<李四>").Add("yjfe", 380.5);
  doc.Open("sbfJfsbbmxList").Open("sbfJfsbbmxDTO").Add("jfmxxh", "01").Close().Close();
  taxml::Call call = Diagnose(&doc);
  call.keys["bz"] = "引号\"和\\反斜杠";
  taxml::Reply reply = taxml::Send(call);
  ASSERT_TRUE(reply.Succeeded()) << reply.error;
  EXPECT_EQ(reply.status, 2);
  EXPECT_EQ(reply.yblsh.size(), 30u) << "a fresh serial of the host";

  taxml::Response r = taxml::Response::Read(reply);
  ASSERT_TRUE(r.Succeeded());
  EXPECT_EQ(r.Value("bodyKeys"), "yblsh,bz,djxh,data");
  EXPECT_EQ(r.Value("yblsh"), reply.yblsh);
  EXPECT_EQ(r.Value("serial"), reply.yblsh) << "the request carries the serial too";
  EXPECT_EQ(r.Value("djxh"), kDjxh) << "the current payer from the portal agent";
  EXPECT_EQ(EchoedKey(r, "bz"), "引号\"和\\反斜杠");
  EXPECT_EQ(r.Value("requestType"), "SbfDjXnhDjdxCxRequest");
  EXPECT_EQ(r.Value("encoding"), "GBK");
  EXPECT_EQ(r.Value("gzip"), "N");
  EXPECT_EQ(Echoed(r, "xm"), "张三&<李四>");
  EXPECT_EQ(Echoed(r, "yjfe"), "380.5");
  EXPECT_EQ(Echoed(r, "sbfJfsbbmxList"), "1");
  ASSERT_FALSE(sim_.RecentCalls().empty());
  EXPECT_EQ(sim_.RecentCalls().back().documentText, doc.Text()) << "decoded byte for byte";
}

TEST_F(TaxmlExchange, Utf8AndGzipDocumentsAreDecodedByTheSimulator) {
  taxml::RequestDocument utf8("SbfXhnCxDjdxRequest");
  utf8.Add("xm", "王五");
  taxml::Response u = taxml::Response::Read(taxml::Send(Diagnose(&utf8)));
  EXPECT_EQ(u.Value("encoding"), "UTF-8");
  EXPECT_EQ(Echoed(u, "xm"), "王五");

  taxml::RequestDocument gz("SbfCxjmxnhRcSbYzxxBcRequest");
  gz.Add("cxjmxnhdjxh", kDjxh).Add("xm", "赵六");
  taxml::Reply reply = taxml::Send(Diagnose(&gz));
  ASSERT_TRUE(reply.Succeeded()) << reply.error;
  taxml::Response g = taxml::Response::Read(reply);
  EXPECT_EQ(g.Value("encoding"), "GBK");
  EXPECT_EQ(g.Value("gzip"), "Y");
  EXPECT_EQ(Echoed(g, "xm"), "赵六");
  EXPECT_TRUE(sim_.RecentCalls().back().gzip);
}

TEST_F(TaxmlExchange, EveryRequestTypeOfTheTableIsAcceptedAsEncoded) {
  for (const auto& type : taxml::AllRequestTypes()) {
    taxml::RequestDocument doc(type.name);
    doc.Add("bz", "备注");
    taxml::Reply reply = taxml::Send(Diagnose(&doc));
    ASSERT_TRUE(reply.Succeeded()) << type.name << ": " << reply.error;
    taxml::Response r = taxml::Response::Read(reply);
    EXPECT_EQ(r.Value("requestType"), type.name);
    EXPECT_EQ(r.Value("encoding"), type.utf8 ? "UTF-8" : "GBK") << type.name;
    EXPECT_EQ(r.Value("gzip"), type.gzip ? "Y" : "N") << type.name;
  }
}

TEST_F(TaxmlExchange, AnswersInGbkAndGzipAreRead) {
  taxml::Call call = Diagnose();
  call.keys["answerEncoding"] = "GBK";
  call.keys["answerGzip"] = "Y";
  taxml::Reply reply = taxml::Send(call);
  ASSERT_TRUE(reply.Succeeded()) << reply.error;
  taxml::Response r = taxml::Response::Read(reply, {.gzip = true});
  EXPECT_EQ(r.Message(), "诊断成功");
}

TEST_F(TaxmlExchange, StatusOneCallsAndStatusMismatches) {
  taxml::Call call = Diagnose();
  call.keys["answerStatus"] = "1";
  call.successStatus = 1;
  EXPECT_TRUE(taxml::Send(call).Succeeded());
  call.successStatus = 2;
  taxml::Reply wrong = taxml::Send(call);
  EXPECT_FALSE(wrong.Succeeded());
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.error, "服务端应答状态异常：1");
}

TEST_F(TaxmlExchange, RefusalIsMinusTwoWithTheServersCodeAndMessage) {
  Fault(R"({"kind":"refuse","code":"10042","message":"该申报已受理，请获取反馈"})");
  taxml::Reply reply = taxml::Send(Diagnose());
  EXPECT_EQ(reply.status, -2);
  EXPECT_TRUE(reply.Refused());
  EXPECT_EQ(reply.RefusalCode(), "10042");
  EXPECT_EQ(reply.error, "该申报已受理，请获取反馈");
}

TEST_F(TaxmlExchange, RefusedPortAndTimeOutAreMinusOneWithTheNetworksText) {
  std::string down = "http://127.0.0.1:" + std::to_string(FreePort());
  Restart(down);
  taxml::Reply refused = taxml::Send(Diagnose());
  EXPECT_EQ(refused.status, -1);
  EXPECT_EQ(refused.error, "无法连接服务器" + down + "/service/9001");

  Restart(sim_.Url(), "timeout_ms = 300\n");
  Fault(R"({"kind":"delay","delayMs":5000})");
  taxml::Reply late = taxml::Send(Diagnose());
  EXPECT_EQ(late.status, -1);
  EXPECT_EQ(late.error, "请求服务器超时（300毫秒）：" + sim_.Url() + "/service/9001");

  Fault(R"({"kind":"delay","delayMs":5000})");
  std::string error;
  EXPECT_FALSE(
      taxml::Guard("TTest.Send", "系统异常，请稍后再试。", error, [&] { taxml::Send(Diagnose()).RequireSuccess(); }));
  EXPECT_EQ(error, "请求服务器超时（300毫秒）：" + sim_.Url() + "/service/9001")
      << "the network's text reaches the user";
}

TEST_F(TaxmlExchange, ACodeOtherThanSuccessGivesTheBracketedRenderedMessage) {
  std::string error;
  auto call = [&] {
    return taxml::Guard("TTest.Void", "服务端反馈报文异常", error, [&] {
      taxml::Reply reply = taxml::Send(Diagnose());
      reply.RequireSuccess();
      taxml::Response::Read(reply).RequireSuccess();
    });
  };
  Fault(R"({"kind":"code","code":"30035","message":"服务端原文"})");
  EXPECT_FALSE(call());
  EXPECT_EQ(error, "【30035】该凭证已作废") << "rendered through the host's return-code messages";
  Fault(R"({"kind":"code","code":"40001","message":"缴费人不存在"})");
  EXPECT_FALSE(call());
  EXPECT_EQ(error, "【40001】缴费人不存在") << "an unmapped code keeps the server's text";
  EXPECT_TRUE(call());
}

TEST_F(TaxmlExchange, AMissingRequiredListGivesTheMissingNodeMessage) {
  Fault(R"({"kind":"drop-list","list":"elementList"})");
  taxml::RequestDocument doc("SbfXhnCxDjdxRequest");
  std::string error;
  EXPECT_FALSE(taxml::Guard("TTest.Query", "服务端反馈报文异常", error, [&] {
    taxml::Reply reply = taxml::Send(Diagnose(&doc));
    reply.RequireSuccess();
    taxml::Response r = taxml::Response::Read(reply);
    r.RequireSuccess();
    r.RequireList("elementList");
  }));
  EXPECT_EQ(error, "反馈报文缺少<elementList>节点。");
  EXPECT_NE(host_->LogText().find("[TTest.Query]异常：反馈报文缺少<elementList>节点。"), std::string::npos)
      << host_->LogText();
}

TEST_F(TaxmlExchange, MalformedBase64InAnAnswerIsAResponseFailure) {
  Fault(R"({"kind":"bad-base64"})");
  std::string error;
  EXPECT_FALSE(taxml::Guard("TTest.Read", "服务端反馈报文异常", error, [&] {
    taxml::Reply reply = taxml::Send(Diagnose());
    reply.RequireSuccess();
    taxml::Response::Read(reply);
  }));
  EXPECT_EQ(error, "服务端反馈报文异常") << "the call's own message";
  EXPECT_NE(host_->LogText().find("[TTest.Read]异常：反馈报文不是有效的Base64编码"), std::string::npos)
      << host_->LogText();
}

TEST_F(TaxmlExchange, GivenSerialsAndBodiesWithoutPayerOrSerial) {
  taxml::Call feedback = Diagnose();
  feedback.serial = taxml::Call::Serial::kGiven;
  feedback.yblsh = "EARLIER-1";
  feedback.djxh = false;
  taxml::Reply reply = taxml::Send(feedback);
  taxml::Response r = taxml::Response::Read(reply);
  EXPECT_EQ(r.Value("bodyKeys"), "yblsh");
  EXPECT_EQ(r.Value("yblsh"), "EARLIER-1");
  EXPECT_EQ(r.Value("serial"), "") << "not a new submission: no serial of its own";

  taxml::Call bare = Diagnose();
  bare.serial = taxml::Call::Serial::kNone;
  bare.keys["orderId"] = "O1";
  taxml::Response b = taxml::Response::Read(taxml::Send(bare));
  EXPECT_EQ(b.Value("bodyKeys"), "orderId,djxh");
}

TEST_F(TaxmlExchange, SerialsNeverRepeatAcrossHostRestarts) {
  std::set<std::string> serials;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(serials.insert(taxml::Send(Diagnose()).yblsh).second);
    std::string data = host_->dataDir();
    ReleaseHostComponents();
    host_->host().Stop();
    host_->host().Start();  // the same data directory, a new common-functions component
  }
  EXPECT_EQ(serials.size(), 6u);
}

TEST_F(TaxmlExchange, BuildingFailuresReachTheUserAsSuchBeforeAnythingIsSent) {
  taxml::RequestDocument doc("SbfDjXnhDjdxCxRequest");
  doc.Add("xm", "\xF0\x9F\x98\x80");  // no GBK form
  std::string error;
  EXPECT_FALSE(taxml::Guard("TTest.Build", "系统异常，请稍后再试", error, [&] { taxml::Send(Diagnose(&doc)); }));
  EXPECT_EQ(error, "创建报文异常") << "not the call's own message";
  EXPECT_EQ(sim_.RequestCount(), 0u);
  EXPECT_NE(host_->LogText().find("[TTest.Build]异常：字符“"), std::string::npos) << "the cause is logged";

  // Text that is not UTF-8 in a body key is a building failure too.
  taxml::Call call = Diagnose();
  call.keys["xm"] = std::string("\xC3");
  EXPECT_FALSE(taxml::Guard("TTest.Body", "系统异常，请稍后再试", error, [&] { taxml::Send(call); }));
  EXPECT_EQ(error, "创建报文异常");
  EXPECT_EQ(sim_.RequestCount(), 0u);
  EXPECT_NE(host_->LogText().find("[TTest.Body]异常：请求报文含无效的UTF-8文本"), std::string::npos);
}

// A document encoded ahead (while a declaration is journaled) is sent as Send would have encoded
// it; a failure to encode comes out of that Send, before anything is sent.
TEST_F(TaxmlExchange, ADocumentEncodedAheadIsSentAsItWouldHaveBeen) {
  for (const char* type : {"SbfDjXnhDjdxCxRequest", "SbfCxjmxnhRcSbYzxxBcRequest"}) {  // GBK; GBK and gzip
    taxml::RequestDocument doc(type);
    doc.Add("xm", "张三&<李四>").Add("yjfe", 380.5);
    taxml::Call call = Diagnose(&doc);
    call.keys["bz"] = "备注";
    taxml::EncodedAhead encoded(call);
    taxml::Reply reply = taxml::Send(call, encoded);
    ASSERT_TRUE(reply.Succeeded()) << type << ": " << reply.error;
    taxml::Response r = taxml::Response::Read(reply);
    EXPECT_EQ(r.Value("bodyKeys"), "yblsh,bz,djxh,data") << type;
    EXPECT_EQ(r.Value("requestType"), type);
    EXPECT_EQ(sim_.RecentCalls().back().documentText, doc.Text()) << type << ": decoded byte for byte";
  }

  taxml::RequestDocument bad("SbfDjXnhDjdxCxRequest");
  bad.Add("xm", "\xF0\x9F\x98\x80");  // no GBK form
  const size_t before = sim_.RequestCount();
  taxml::Call call = Diagnose(&bad);
  taxml::EncodedAhead encoded(call);
  std::string error;
  EXPECT_FALSE(taxml::Guard("TTest.Ahead", "系统异常，请稍后再试", error, [&] { taxml::Send(call, encoded); }));
  EXPECT_EQ(error, "创建报文异常");
  EXPECT_EQ(sim_.RequestCount(), before);

  taxml::Call other = Diagnose(&bad);
  taxml::EncodedAhead elsewhere(call);
  EXPECT_THROW(taxml::Send(other, elsewhere), Exception) << "encoded for another call";
}

// A document filled on the encoding's thread (a submission's, beside its journal) is sent as the
// same document filled first would be; a failure to fill it comes out of Wait, again out of Send,
// and nothing is sent.
TEST_F(TaxmlExchange, ADocumentFilledAheadIsSentAsItWouldHaveBeen) {
  taxml::RequestDocument doc("SbfCxjmxnhRcSbYzxxBcRequest"), same("SbfCxjmxnhRcSbYzxxBcRequest");
  auto fill = [](taxml::RequestDocument& d) {
    d.Open("sbfJfsbbmxList");
    for (int i = 0; i < 3000; ++i) d.Open("sbfJfsbbmxDTO").Add("jfmxxh", std::to_string(i)).Add("yjfe", 380.5).Close();
    d.Close();
  };
  fill(same);
  taxml::Call call = Diagnose(&doc);
  taxml::EncodedAhead encoded(call, [&] { fill(doc); });
  encoded.Wait();
  taxml::Reply reply = taxml::Send(call, encoded);
  ASSERT_TRUE(reply.Succeeded()) << reply.error;
  EXPECT_EQ(sim_.RecentCalls().back().documentText, same.Text());

  taxml::RequestDocument bad("SbfCxjmxnhRcSbYzxxBcRequest");
  const size_t before = sim_.RequestCount();
  taxml::Call failing = Diagnose(&bad);
  taxml::EncodedAhead never(failing, [&] { bad.Close(); });  // nothing open: raises
  EXPECT_THROW(never.Wait(), taxml::Failure);
  std::string error;
  EXPECT_FALSE(taxml::Guard("TTest.Filled", "系统异常，请稍后再试", error, [&] { taxml::Send(failing, never); }));
  EXPECT_EQ(error, "创建报文异常");
  EXPECT_EQ(sim_.RequestCount(), before);
}

// A large answer is taken from the request rather than copied: the reply's helper gives the text
// Response::Read decodes and lets the request go; a request of a host without the extension is
// copied and left as it was.
TEST_F(TaxmlExchange, TheResponseIsTakenFromTheRequest) {
  taxml::Reply reply = taxml::Send(Diagnose(nullptr));
  ASSERT_TRUE(reply.Succeeded()) << reply.error;
  const std::string copied = reply.request->GetResponse();
  ASSERT_FALSE(copied.empty());
  EXPECT_EQ(reply.TakeResponse(), copied);
  EXPECT_FALSE(reply.request);
  EXPECT_EQ(reply.TakeResponse(), "");

  class PlainRequest final : public Object<IRequest> {
   public:
    void SetServiceCode(const std::string&) override {}
    std::string GetSerialNo() override { return {}; }
    void SetSerialNo(const std::string&) override {}
    void SetBody(const std::string&) override {}
    std::string GetReturnCode() override { return "SUCCESS"; }
    std::string GetResponse() override { return "plain"; }
    std::string GetResponseData() override { return {}; }
    std::string GetReturnMessage() override { return {}; }
    Ref<IInterface> GetTag() override { return nullptr; }
    void SetTag(IInterface*) override {}
    std::string GetServiceCode() override { return {}; }
    std::string GetBody() override { return {}; }
    int32_t GetStatus() override { return 2; }
    std::string GetErrorText() override { return {}; }
  };
  Ref<PlainRequest> plain = Make<PlainRequest>();
  EXPECT_EQ(TakeResponse(*plain), "plain");
  EXPECT_EQ(plain->GetResponse(), "plain");
}

}  // namespace
}  // namespace velmor::testing
