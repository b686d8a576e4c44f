// The host's network interface against the simulator on loopback: every status of Execute and
// the text of every failure.
#include "host/net/net_comm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>

#include "host/net/wire.h"
#include "net_test_support.h"
#include "support/raw_server.h"
#include "taxsim/codec.h"
#include "velmor/platform.h"
#include "velmor/response_taker.h"

namespace velmor::testing {
namespace {

using host::net::NetComm;

const std::string kBody = R"({"yblsh":"S1","xm":"张\"三","djxh":"D1"})";

std::string Url(const std::string& base, const std::string& code = "9001") { return base + "/service/" + code; }

// The decoded taxML answer of a request.
pugi::xml_node AnswerRoot(pugi::xml_document& doc, IRequest& r) {
  std::string bytes = taxsim::Base64Decode(r.GetResponse());
  EXPECT_TRUE(doc.load_buffer(bytes.data(), bytes.size()));
  return doc.child("taxML");
}

using NetCommTest = NetFixture;

TEST_F(NetCommTest, AnsweredCallCarriesTheAnswerAndAdvancesProgress) {
  Ref<IRequest> r = NewRequest("9001", kBody, "SER-1");
  Ref<RecordingProgress> progress = Make<RecordingProgress>();
  progress->position = 10;
  EXPECT_EQ(net_->Execute(r.get(), progress.get(), 50, 0, 0), 2);
  EXPECT_EQ(progress->position, 60);
  EXPECT_EQ(r->GetStatus(), 2);
  EXPECT_EQ(r->GetReturnCode(), "SUCCESS");
  EXPECT_EQ(r->GetResponseData(), "null");
  EXPECT_EQ(r->GetReturnMessage(), "");
  EXPECT_EQ(r->GetErrorText(), "");
  pugi::xml_document doc;
  pugi::xml_node root = AnswerRoot(doc, *r);
  EXPECT_STREQ(root.child_value("serial"), "SER-1") << "the serial travels in its header";
  EXPECT_STREQ(root.child_value("bodyKeys"), "yblsh,xm,djxh");
  ASSERT_EQ(sim_.RecentCalls().size(), 1u);
  EXPECT_EQ(sim_.RecentCalls()[0].body, kBody) << "the body arrives byte for byte";

  EXPECT_EQ(net_->Execute(r.get(), nullptr, 100, 0, 0), 2) << "no progress view is fine";
}

// The response moved out: the same text GetResponse gave, then empty until the next answer; the
// rest of the answer stays.
TEST_F(NetCommTest, TheResponseIsTakenOnce) {
  Ref<IRequest> r = NewRequest("9001", kBody, "SER-1");
  ASSERT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), 2);
  const std::string copied = r->GetResponse();
  ASSERT_FALSE(copied.empty());
  Ref<IResponseTaker> taker = Query<IResponseTaker>(r);
  ASSERT_TRUE(taker);
  EXPECT_EQ(taker->TakeResponse(), copied);
  EXPECT_EQ(r->GetResponse(), "");
  EXPECT_EQ(taker->TakeResponse(), "");
  EXPECT_EQ(r->GetReturnCode(), "SUCCESS");
  EXPECT_EQ(r->GetResponseData(), "null");
  EXPECT_EQ(r->GetStatus(), 2);
  ASSERT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), 2);  // answered again: a response again
  EXPECT_EQ(taker->TakeResponse(), copied);
}

TEST_F(NetCommTest, StatusOneIsPassedOn) {
  Ref<IRequest> r = NewRequest("9001", R"({"yblsh":"S1","answerStatus":"1"})");
  EXPECT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), 1);
  EXPECT_EQ(r->GetReturnCode(), "SUCCESS");
}

TEST_F(NetCommTest, RefusalIsMinusTwoWithCodeAndMessage) {
  Fault(R"({"kind":"refuse","code":"10042","message":"该申报已受理"})");
  Ref<IRequest> r = NewRequest("9001", kBody);
  EXPECT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), -2);
  EXPECT_EQ(r->GetResponseData(), "10042");
  EXPECT_EQ(r->GetReturnMessage(), "该申报已受理");
  EXPECT_EQ(r->GetReturnCode(), "FAIL");
  EXPECT_EQ(net_->GetLastErrorText(), "服务器拒绝请求：[10042]该申报已受理");
}

TEST_F(NetCommTest, RefusedConnectionIsMinusOne) {
  int port = FreePort();
  std::string base = "http://127.0.0.1:" + std::to_string(port);
  Ref<NetComm> net = Make<NetComm>(NetTo(base));
  Ref<IRequest> r = net->CreateRequest();
  r->SetServiceCode("9001");
  r->SetBody(kBody);
  EXPECT_EQ(net->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net->GetLastErrorText(), "无法连接服务器" + Url(base));
  EXPECT_EQ(r->GetErrorText(), "无法连接服务器" + Url(base));
  EXPECT_EQ(r->GetReturnCode(), "ERROR");
  EXPECT_EQ(r->GetReturnMessage(), r->GetErrorText());
  EXPECT_EQ(r->GetResponse(), "");
}

TEST_F(NetCommTest, TimeOutIsMinusOne) {
  Ref<NetComm> net = Make<NetComm>(NetTo(sim_.Url(), 300));
  Fault(R"({"kind":"delay","delayMs":5000})");
  Ref<IRequest> r = net->CreateRequest();
  r->SetServiceCode("9001");
  r->SetBody(kBody);
  EXPECT_EQ(net->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net->GetLastErrorText(), "请求服务器超时（300毫秒）：" + Url(sim_.Url()));
}

TEST_F(NetCommTest, AnswersThatAreNotTheEnvelopeAreMinusOne) {
  struct Case {
    const char* fault;
    std::string text;
  } cases[] = {
      {R"({"kind":"http-error","httpStatus":503})", "服务器应答异常：HTTP 503"},
      {R"({"kind":"not-json"})", "服务器应答格式错误：应答不是JSON"},
      {R"({"kind":"drop"})", "网络通讯失败：transfer closed with 4086 bytes remaining to read"},
  };
  for (const auto& c : cases) {
    Fault(c.fault);
    Ref<IRequest> r = NewRequest("9001", kBody);
    EXPECT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), -1) << c.fault;
    EXPECT_EQ(net_->GetLastErrorText(), c.text) << c.fault;
  }
  sim_.Handlers().Add("0104", [](const taxsim::Call&, taxsim::State&) {
    taxsim::Answer a;
    a.envelope.status = 0;  // not a status of the service path
    return a;
  });
  Ref<IRequest> r = NewRequest("0104", "{}");
  EXPECT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "服务器应答状态无效：0");

  wire::Envelope e;
  std::string problem;
  EXPECT_FALSE(wire::DecodeEnvelope(R"({"status":2,"x":)" + std::string(70000, '[') + std::string(70000, ']') + "}", e,
                                    problem));
  EXPECT_EQ(problem, "应答JSON嵌套超过512层");
}

// Envelopes of every shape read as the general parser reads them: the same values, or refused.
TEST(WireEnvelope, ReadAsTheGeneralParserReadsThem) {
  const std::string m = R"("returnCode":"SUCCESS","returnMessage":"","responseData":"null")";
  const std::vector<std::string> texts = {
      "{\"status\":2," + m + ",\"response\":\"{\\\"a\\\":[1,\\\"x\\\"]}\"}",
      "{\"response\":\"a\\nb\\u00e9\\\"c\\\\\\/\",\"x\":[{\"y\":null}]," + m + ",\"status\":-2}",
      "{\"status\":1," + m + ",\"response\":\"first\",\"response\":\"last\",\"status\":-0}",
      " {\"status\" : 2 , " + m + " , \"response\" : \"\" } ",
      "\xEF\xBB\xBF{\"status\":2," + m + ",\"response\":\"bom\"}",
      "{\"status\":2.0," + m + ",\"response\":\"\"}",
      "{\"status\":3000000000," + m + ",\"response\":\"\"}",
      "{\"status\":\"2\"," + m + ",\"response\":\"\"}",
      "{\"status\":2," + m + ",\"response\":7}",
      "{\"status\":2," + m + "}",
      "{\"status\":2," + m + ",\"response\":\"\"} x",
      "[{\"status\":2}]",
      // responses that do not decode, first, last, or twice with the first one bad
      "{\"status\":2," + m + ",\"response\":\"bad \\x escape\"}",
      "{\"response\":\"tab\there\"," + m + ",\"status\":2}",
      "{\"status\":2," + m + ",\"response\":\"\xC3(\"}",
      "{\"status\":2," + m + ",\"response\":\"\\ud800 alone\"}",
      "{\"status\":2," + m + ",\"response\":\"\\u12\"}",
      "{\"status\":2," + m + ",\"response\":\"bad \\q\",\"response\":\"good\"}",
      "{\"status\":2," + m + ",\"response\":\"unterminated\\\"}",
      "{\"status\":2," + m + ",\"response\":\"unterminated",
      // escaped quotes and backslashes right before the closing quote, and members after it
      "{\"status\":2," + m + ",\"response\":\"a\\\\\\\"\\\\\"}",
      "{\"response\":\"\\\\\",\"status\":2," + m + "}",
      "{\"status\":2,\"response\":\"\\ud83d\\ude00 \xE5\xBC\xA0\"," + m + ",\"status\":\"x\"}",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    const bool valid = j.is_object() && j.contains("status") && j["status"].is_number_integer() &&
                       j["status"].get<int64_t>() >= INT32_MIN && j["status"].get<int64_t>() <= INT32_MAX &&
                       j.value("returnCode", nlohmann::json()).is_string() &&
                       j.value("returnMessage", nlohmann::json()).is_string() &&
                       j.value("responseData", nlohmann::json()).is_string() &&
                       j.value("response", nlohmann::json()).is_string();
    wire::Envelope e, taken;
    std::string problem, takenProblem;
    ASSERT_EQ(wire::DecodeEnvelope(text, e, problem), valid) << problem;
    // Decoded in its own buffer, the same answer or the same problem.
    ASSERT_EQ(wire::DecodeEnvelopeInPlace(std::string(text), taken, takenProblem), valid) << takenProblem;
    EXPECT_EQ(takenProblem, problem);
    if (!valid) {
      EXPECT_FALSE(problem.empty());
      continue;
    }
    EXPECT_EQ(taken.status, e.status);
    EXPECT_EQ(taken.returnCode, e.returnCode);
    EXPECT_EQ(taken.returnMessage, e.returnMessage);
    EXPECT_EQ(taken.responseData, e.responseData);
    EXPECT_EQ(taken.response, e.response);
    EXPECT_EQ(e.status, j["status"].get<int32_t>());
    EXPECT_EQ(e.returnCode, j["returnCode"]);
    EXPECT_EQ(e.returnMessage, j["returnMessage"]);
    EXPECT_EQ(e.responseData, j["responseData"]);
    EXPECT_EQ(e.response, j["response"]);
  }
}

// A long response is decoded in two parts at once (here from any length on): random contents of
// plain runs, escapes, characters of every width, surrogate pairs and malformed pieces read as
// the general parser reads them, wherever the cut falls, and a bad piece in either part is found.
TEST(WireEnvelope, AResponseDecodedInTwoPartsReadsAsTheWhole) {
  const std::string m = R"("returnCode":"SUCCESS","returnMessage":"","responseData":"null")";
  const std::vector<std::string> pieces = {"abcdefghij",  "0123",    "x",     "\\n",      "\\\"", "\\\\",
                                           "\\/",         "\\u00e9", "张",    "é",        "😀",    "\\ud83d\\ude00",
                                           ",\\\"k\\\":", "\\x",     "\xC3(", "\\ud800 ", "\t"};
  std::mt19937 random(11);
  int refused = 0, decoded = 0;
  for (int t = 0; t < 3000; ++t) {
    std::string content;
    const int n = 1 + static_cast<int>(random() % 60);
    // Most contents well-formed: a bad piece (the last four) in one case of four.
    const size_t kinds = random() % 4 == 0 ? pieces.size() : pieces.size() - 4;
    for (int k = 0; k < n; ++k) content += pieces[random() % kinds];
    const std::string text = "{\"status\":2," + m + ",\"response\":\"" + content + "\"}";
    wire::Envelope whole, inTwo;
    std::string problem, twoProblem;
    const bool ok = wire::DecodeEnvelope(text, whole, problem);
    ASSERT_EQ(wire::DecodeEnvelopeInPlace(std::string(text), inTwo, twoProblem, 1), ok) << text;
    EXPECT_EQ(twoProblem, problem) << text;
    if (!ok) {
      ++refused;
      continue;
    }
    ++decoded;
    ASSERT_EQ(inTwo.response, whole.response) << text;
  }
  EXPECT_GT(refused, 300);
  EXPECT_GT(decoded, 2000);
}

TEST_F(NetCommTest, NonHttpServersAndHalfEnvelopes) {
  RawServer garbage("HELLO THERE\r\n");
  Ref<NetComm> net = Make<NetComm>(NetTo(garbage.url()));
  Ref<IRequest> r = net->CreateRequest();
  r->SetServiceCode("9001");
  EXPECT_EQ(net->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net->GetLastErrorText(), "服务器应答不是HTTP：Received HTTP/0.9 when not allowed");

  std::string json = R"({"status":2,"returnCode":"SUCCESS"})";
  RawServer half("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                 std::to_string(json.size()) + "\r\nConnection: close\r\n\r\n" + json);
  Ref<NetComm> net2 = Make<NetComm>(NetTo(half.url()));
  EXPECT_EQ(net2->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net2->GetLastErrorText(), "服务器应答格式错误：缺少字符串成员returnMessage");
}

class ForeignRequest : public Object<IRequest> {
 public:
  void SetServiceCode(const std::string&) override {}
  std::string GetSerialNo() override { return {}; }
  void SetSerialNo(const std::string&) override {}
  void SetBody(const std::string&) override {}
  std::string GetReturnCode() override { return {}; }
  std::string GetResponse() override { return {}; }
  std::string GetResponseData() override { return {}; }
  std::string GetReturnMessage() override { return {}; }
  Ref<IInterface> GetTag() override { return nullptr; }
  void SetTag(IInterface*) override {}
  std::string GetServiceCode() override { return "9001"; }
  std::string GetBody() override { return {}; }
  int32_t GetStatus() override { return 0; }
  std::string GetErrorText() override { return {}; }
};

TEST_F(NetCommTest, BadRequestsAndSettingsAreMinusOneWithoutSending) {
  Ref<IRequest> bad = NewRequest("12a4", kBody);
  EXPECT_EQ(net_->Execute(bad.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "服务代码无效：12a4");
  EXPECT_EQ(net_->Execute(nullptr, nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "请求对象为空");
  Ref<ForeignRequest> foreign = Make<ForeignRequest>();
  EXPECT_EQ(net_->Execute(foreign.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "请求对象不是本网络组件创建的");
  EXPECT_EQ(sim_.RequestCount(), 0u);

  Ref<NetComm> none = Make<NetComm>(NetTo(""));
  Ref<IRequest> r = NewRequest("9001", kBody);
  EXPECT_EQ(none->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(none->GetLastErrorText(), "未配置服务器地址");
  Ref<NetComm> ftp = Make<NetComm>(NetTo("ftp://127.0.0.1:21"));
  EXPECT_EQ(ftp->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(ftp->GetLastErrorText(), "服务器地址不是http或https地址：ftp://127.0.0.1:21");
}

TEST_F(NetCommTest, AddressPrefixAndTrailingSlash) {
  Ref<NetComm> slash = Make<NetComm>(NetTo(sim_.Url() + "/"));
  Ref<IRequest> r = NewRequest("9001", kBody);
  EXPECT_EQ(slash->Execute(r.get(), nullptr, 0, 0, 0), 2);
  Ref<NetComm> prefixed = Make<NetComm>(NetTo(sim_.Url() + "/tax"));
  EXPECT_EQ(prefixed->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(prefixed->GetLastErrorText(), "服务器应答异常：HTTP 404") << "the prefix is kept in the path";
}

TEST_F(NetCommTest, ConnectionsKeepTheirOwnLastError) {
  Ref<INetCommIntf> other = net_->CreateConnection();
  Ref<IRequest> bad = NewRequest("x", "");
  EXPECT_EQ(other->Execute(bad.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(other->GetLastErrorText(), "服务代码无效：x");
  EXPECT_EQ(net_->GetLastErrorText(), "");
  Ref<IRequest> good = NewRequest("9001", kBody);
  EXPECT_EQ(other->Execute(good.get(), nullptr, 0, 0, 0), 2) << "same server";
}

TEST_F(NetCommTest, ACancelRequestOfTheProgressViewStopsTheCall) {
  Fault(R"({"kind":"delay","delayMs":30000})");
  Ref<RecordingProgress> progress = Make<RecordingProgress>();
  progress->cancelled = true;
  Ref<IRequest> r = NewRequest("9001", kBody);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(net_->Execute(r.get(), progress.get(), 0, 0, 0), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(net_->GetLastErrorText(), "请求已取消");
}

TEST_F(NetCommTest, WaitsOnTheOwnerThreadLetTheApplicationProcessMessages) {
  std::atomic<int> ticks{0};
  platform::SetProcessMessagesHook([&] { ++ticks; });
  Fault(R"({"kind":"delay","delayMs":400,"count":2})");
  Ref<IRequest> r = NewRequest("9001", kBody);
  EXPECT_EQ(net_->Execute(r.get(), nullptr, 0, 0, 0), 2);
  int onOwner = ticks.load();
  std::thread([&] {
    Ref<IRequest> r2 = NewRequest("9001", kBody);
    EXPECT_EQ(net_->Execute(r2.get(), nullptr, 0, 0, 0), 2);
  }).join();
  platform::SetProcessMessagesHook({});
  EXPECT_GT(onOwner, 0);
  EXPECT_EQ(ticks.load(), onOwner) << "other threads do not pump the application's messages";
}

}  // namespace
}  // namespace velmor::testing
