// The simulator over real HTTP on loopback, driven with a plain HTTP client.
#include "taxsim/simulator.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "documents.h"
#include "host/net/wire.h"
#include "taxsim/codec.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {
namespace {

using namespace testing;

SimulatorOptions Options(int port = 0, std::string scenario = "") {
  SimulatorOptions o;
  o.port = port;
  o.scenarioPath = std::move(scenario);
  o.generate = {.persons = 20, .payers = 2, .seed = 5};
  return o;
}

class SimulatorTest : public ::testing::Test {
 protected:
  SimulatorTest() : sim_(Options()) {
    sim_.Start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", sim_.Port());
    client_->set_read_timeout(20, 0);
  }

  // Posts and decodes the envelope (fails the test when it is not one).
  wire::Envelope Post(const std::string& path, const std::string& body, const httplib::Headers& headers = {}) {
    auto res = client_->Post(path.c_str(), headers, body, "application/json");
    wire::Envelope e;
    if (!res) {
      ADD_FAILURE() << "no answer: " << httplib::to_string(res.error());
      return e;
    }
    EXPECT_EQ(res->status, 200) << res->body;
    std::string problem;
    EXPECT_TRUE(wire::DecodeEnvelope(res->body, e, problem)) << problem << ": " << res->body;
    return e;
  }
  void AddFault(const std::string& json) {
    auto res = client_->Post("/_taxsim/faults", json, "application/json");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
  }
  // The decoded taxML answer of an envelope.
  static pugi::xml_document Answer(const wire::Envelope& e, bool gzip = false) {
    std::string bytes = Base64Decode(e.response);
    if (gzip) bytes = Gunzip(bytes);
    pugi::xml_document d;
    EXPECT_TRUE(d.load_buffer(bytes.data(), bytes.size())) << bytes;
    return d;
  }

  Simulator sim_;
  std::unique_ptr<httplib::Client> client_;
};

std::string DiagBody(const std::string& extra = "") {
  return R"({"yblsh":"S1","xm":"a\"b",)" + extra + R"("djxh":"D1","data":")" +
         EncodeGbk(GbkDocument("<xm>张三&amp;&lt;</xm><rows><r/><r/></rows>")) + "\"}";
}

TEST_F(SimulatorTest, HealthReportsTheState) {
  auto res = client_->Get("/_taxsim/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, R"({"ok":true,"payers":2,"persons":20})");
}

// An answer of a megabyte or more goes out in pieces as it is escaped into the envelope: the
// client reads the same envelope, and the connection serves the next call.
TEST_F(SimulatorTest, ALargeAnswerArrivesWholeAndTheConnectionGoesOn) {
  std::string big;
  for (int i = 0; i < 150000; ++i) big += "税\"" + std::to_string(i);
  const std::string body = R"({"yblsh":"S1","xm":)" + nlohmann::json(big).dump() + R"(,"djxh":"D1","data":")" +
                           EncodeGbk(GbkDocument("<xm>a</xm>")) + "\"}";
  for (int round = 0; round < 2; ++round) {
    wire::Envelope e = Post("/service/9001", body);
    ASSERT_GT(e.response.size(), size_t{1} << 20);
    pugi::xml_document d = Answer(e);
    pugi::xml_node xm = d.child("taxML").child("keyList").child("keyDTO").next_sibling();
    EXPECT_EQ(std::string(xm.child_value("value")), big) << "round " << round;
    EXPECT_EQ(Post("/service/9001", DiagBody()).status, wire::kAnswered);
  }
}

TEST_F(SimulatorTest, DiagnosticsEchoesWhatWasDecoded) {
  wire::Envelope e = Post("/service/9001", DiagBody(), {{wire::kSerialHeader, "SERIAL-9"}});
  EXPECT_EQ(e.status, wire::kAnswered);
  EXPECT_EQ(e.returnCode, "SUCCESS");
  EXPECT_EQ(e.responseData, "null");
  pugi::xml_document d = Answer(e);
  pugi::xml_node root = d.child("taxML");
  EXPECT_STREQ(root.child_value("code"), "00000");
  EXPECT_STREQ(root.child_value("message"), "诊断成功");
  EXPECT_STREQ(root.child_value("serial"), "SERIAL-9");
  EXPECT_STREQ(root.child_value("bodyKeys"), "yblsh,xm,djxh,data");
  EXPECT_STREQ(root.child_value("requestType"), "SbfDjXnhDjdxCxRequest");
  EXPECT_STREQ(root.child_value("encoding"), "GBK");
  EXPECT_STREQ(root.child_value("gzip"), "N");
  pugi::xml_node xm = root.child("keyList").child("keyDTO").next_sibling();
  EXPECT_STREQ(xm.child_value("value"), "a\"b");
  pugi::xml_node el = root.child("elementList").first_child();
  EXPECT_STREQ(el.child_value("value"), "张三&<");
  EXPECT_STREQ(el.next_sibling().child_value("rows"), "2");

  ASSERT_EQ(sim_.RecentCalls().size(), 1u);
  SeenCall seen = sim_.RecentCalls()[0];
  EXPECT_EQ(seen.serial, "SERIAL-9");
  EXPECT_TRUE(seen.gbk);
  EXPECT_NE(seen.documentText.find("<xm>张三&amp;&lt;</xm>"), std::string::npos);
  // The text as sent, whole (the handler's tree was parsed in a text of its own, cut up by it).
  EXPECT_EQ(seen.documentText.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  EXPECT_EQ(sim_.RecentCalls()[0].documentText, seen.documentText) << "read again";
}

TEST_F(SimulatorTest, UnknownCodesAndPaths) {
  wire::Envelope e = Post("/service/0999", "{}");
  EXPECT_EQ(e.status, wire::kRefused);
  EXPECT_EQ(e.responseData, "10003");
  EXPECT_EQ(e.returnMessage, "服务代码0999未实现");
  auto res = client_->Post("/service/99", "{}", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  wire::Envelope bad = Post("/service/9001", "{nope");
  EXPECT_EQ(bad.responseData, "10001");
}

TEST_F(SimulatorTest, HandlerExceptionsBecomeRefusals) {
  sim_.Handlers().Add("0100", [](const Call&, State&) -> taxsim::Answer { throw std::runtime_error("boom"); });
  sim_.Handlers().Add("0101", [](const Call&, State&) -> taxsim::Answer { throw Refusal("10042", "已申报"); });
  wire::Envelope e = Post("/service/0100", "{}");
  EXPECT_EQ(e.responseData, "10009");
  EXPECT_EQ(e.returnMessage, "服务端处理异常：boom");
  wire::Envelope r = Post("/service/0101", "{}");
  EXPECT_EQ(r.status, wire::kRefused);
  EXPECT_EQ(r.responseData, "10042");
  EXPECT_EQ(r.returnMessage, "已申报");
}

TEST_F(SimulatorTest, HandlersSeeTheState) {
  sim_.Handlers().Add("0102", [](const Call& c, State& s) {
    auto [first, last] = s.PersonsOf(c.Djxh());
    TaxmlAnswer a;
    a.Add("count", std::to_string(last - first));
    return taxsim::Answer::Taxml(std::move(a));
  });
  wire::Envelope e = Post("/service/0102", R"({"djxh":"10000000000000000002"})");
  EXPECT_STREQ(Answer(e).child("taxML").child_value("count"), "10");
}

TEST(TaxsimAnswer, AGzippedAnswerUnpacksToTheTextOfItsDocument) {
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("rows");
  for (int i = 0; i < 5000; ++i)
    TaxmlAnswer::AddValue(TaxmlAnswer::AddRow(list, "row"), "xm", "张三&<" + std::to_string(i) + ">\"");
  const std::string text = doc.Text();
  taxsim::Answer packed = taxsim::Answer::Taxml(std::move(doc), AnswerEncoding{.gbk = false, .gzip = true});
  const wire::Envelope copied = packed.Encode();
  const wire::Envelope moved = std::move(packed).Encode();
  EXPECT_EQ(Gunzip(Base64Decode(copied.response)), text);
  EXPECT_EQ(moved.response, copied.response);
}

TEST_F(SimulatorTest, RefuseAndCodeFaults) {
  AddFault(R"({"kind":"refuse","serviceCode":"9001","count":2})");
  EXPECT_EQ(Post("/service/9001", DiagBody()).responseData, "10042");
  EXPECT_EQ(Post("/service/9001", DiagBody()).returnMessage, "服务端拒绝请求");
  EXPECT_EQ(Post("/service/9001", DiagBody()).status, wire::kAnswered) << "count used up";

  AddFault(R"({"kind":"code","code":"30035","message":"已作废"})");
  wire::Envelope e = Post("/service/9001", DiagBody());
  EXPECT_EQ(e.status, wire::kAnswered);
  pugi::xml_document d = Answer(e);
  EXPECT_STREQ(d.child("taxML").child_value("code"), "30035");
  EXPECT_STREQ(d.child("taxML").child_value("message"), "已作废");

  // Only the request with the named serial is hit.
  AddFault(R"({"kind":"refuse","code":"10001","serial":"S2"})");
  EXPECT_EQ(Post("/service/9001", DiagBody()).status, wire::kAnswered);
  EXPECT_EQ(Post("/service/9001", DiagBody(), {{wire::kSerialHeader, "S2"}}).responseData, "10001");
}

TEST_F(SimulatorTest, TransportFaults) {
  auto res = client_->Post("/service/9001", {{wire::kFaultHeader, "kind=http-error;httpStatus=503"}}, "{}",
                           "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 503);
  res = client_->Post("/service/9001", {{wire::kFaultHeader, "kind=not-json"}}, "{}", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "taxsim: this is not an envelope");
  res = client_->Post("/service/9001", {{wire::kFaultHeader, "kind=drop"}}, "{}", "application/json");
  EXPECT_FALSE(res) << "the connection closes before the answer is complete";
  res = client_->Post("/service/9001", {{wire::kFaultHeader, "kind=bogus"}}, "{}", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body, "taxsim: 未知的故障类型：bogus");

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Post("/service/9001", DiagBody(), {{wire::kFaultHeader, "kind=delay;delayMs=150"}}).status, wire::kAnswered);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}

TEST_F(SimulatorTest, ControlEndpointRejectsBadFaults) {
  auto res = client_->Post("/_taxsim/faults", R"({"kind":"code"})", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body, R"({"message":"code故障缺少code","ok":false})");
  res = client_->Post("/_taxsim/faults", R"([{"kind":"refuse"},{"kind":"nope"}])", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(sim_.Faults().Size(), 0u) << "a bad array queues nothing";
  AddFault(R"([{"kind":"refuse"},{"kind":"delay","delayMs":1}])");
  EXPECT_EQ(sim_.Faults().Size(), 2u);
  res = client_->Delete("/_taxsim/faults");
  ASSERT_TRUE(res);
  EXPECT_EQ(sim_.Faults().Size(), 0u);
}

TEST_F(SimulatorTest, AsyncJobsArePendingThenAnsweredOnce) {
  auto cfg = client_->Post("/_taxsim/config", R"({"asyncPendingPolls":3})", "application/json");
  ASSERT_TRUE(cfg);
  ASSERT_EQ(cfg->status, 200);
  wire::Envelope s = Post("/async/9001", DiagBody());
  EXPECT_EQ(s.status, wire::kAnsweredOne);
  EXPECT_EQ(Post("/async/9001", DiagBody()).responseData, "10005") << "the serial is already pending";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Post("/async/9001/poll", R"({"yblsh":"S1"})").status, wire::kPending);
  wire::Envelope done = Post("/async/9001/poll", R"({"yblsh":"S1"})");
  EXPECT_EQ(done.status, wire::kAnsweredOne);
  EXPECT_STREQ(Answer(done).child("taxML").child_value("bodyKeys"), "yblsh,xm,djxh,data");
  wire::Envelope gone = Post("/async/9001/poll", R"({"yblsh":"S1"})");
  EXPECT_EQ(gone.status, wire::kFailed);
  EXPECT_EQ(gone.returnMessage, "异步任务不存在：S1");
  EXPECT_EQ(Post("/async/9001/poll", R"({"yblsh":"S1"})").returnMessage, "异步任务不存在：S1");
  EXPECT_EQ(Post("/async/9001/poll", "{}").returnMessage, "查询请求缺少yblsh");
  EXPECT_EQ(Post("/async/9001", "{}").returnMessage, "异步请求缺少yblsh");
  auto bad = client_->Post("/_taxsim/config", R"({"asyncPendingPolls":-2})", "application/json");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 400);

  // -1 keeps a job pending however often it is polled.
  cfg = client_->Post("/_taxsim/config", R"({"asyncPendingPolls":-1})", "application/json");
  ASSERT_TRUE(cfg);
  ASSERT_EQ(cfg->status, 200);
  EXPECT_EQ(Post("/async/9001", DiagBody()).status, wire::kAnsweredOne);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(Post("/async/9001/poll", R"({"yblsh":"S1"})").status, wire::kPending);
}

TEST_F(SimulatorTest, AsyncFailuresAndFaults) {
  sim_.SetAsyncPendingPolls(0);
  sim_.Handlers().Add("0103", [](const Call&, State&) { return taxsim::Answer::Refuse("10042", "重复申报"); });
  EXPECT_EQ(Post("/async/0103", R"({"yblsh":"J1"})").status, wire::kAnsweredOne);
  wire::Envelope f = Post("/async/0103/poll", R"({"yblsh":"J1"})");
  EXPECT_EQ(f.status, wire::kFailed);
  EXPECT_EQ(f.responseData, "10042");
  EXPECT_EQ(f.returnMessage, "重复申报");

  AddFault(R"({"kind":"refuse","endpoint":"submit"})");
  EXPECT_EQ(Post("/async/9001", DiagBody()).status, wire::kRefused);
  EXPECT_EQ(Post("/async/9001", DiagBody()).status, wire::kAnsweredOne);
  AddFault(R"({"kind":"refuse","endpoint":"poll","code":"10077","message":"查询失败"})");
  wire::Envelope p = Post("/async/9001/poll", R"({"yblsh":"S1"})");
  EXPECT_EQ(p.status, wire::kFailed);
  EXPECT_EQ(p.returnMessage, "查询失败");
  AddFault(R"({"kind":"drop-list","list":"keyList","endpoint":"poll"})");
  wire::Envelope ok = Post("/async/9001/poll", R"({"yblsh":"S1"})");
  EXPECT_EQ(ok.status, wire::kAnsweredOne);
  EXPECT_FALSE(Answer(ok).child("taxML").child("keyList"));
}

// Jobs are worked out in the background: a submission is accepted while the handler of an earlier
// one still runs and answers are made in the order of submission. As a real server (the
// program's default), a poll past the pending polls answers "pending" until the answer is made.
TEST(SimulatorJobs, WorkedOutAfterTheSubmissionInOrderAndPendingUntilReady) {
  SimulatorOptions o = Options();
  o.asyncPendingPolls = 0;
  o.pollWaitsForAnswer = false;
  Simulator sim(o);
  sim.Start();
  httplib::Client client("127.0.0.1", sim.Port());
  auto post = [&](const std::string& path, const std::string& serial) {
    auto res = client.Post(path.c_str(), R"({"yblsh":")" + serial + R"("})", "application/json");
    wire::Envelope e;
    std::string problem;
    EXPECT_TRUE(res && wire::DecodeEnvelope(res->body, e, problem)) << problem;
    return e;
  };
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  std::vector<std::string> order;
  sim.Handlers().Add("0058", [&](const Call& call, State&) {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return release; });
    order.push_back(call.Yblsh());
    return taxsim::Answer::Json(nlohmann::json{{"yblsh", call.Yblsh()}});
  });
  for (const char* serial : {"A1", "A2", "A3"})
    ASSERT_EQ(post("/async/0058", serial).status, wire::kAnsweredOne) << "accepted while the first job's handler waits";
  for (int i = 0; i < 5; ++i) ASSERT_EQ(post("/async/0058/poll", "A3").status, wire::kPending);
  {
    std::lock_guard lock(m);
    release = true;
  }
  cv.notify_all();
  sim.WaitForAsyncWork();
  for (const char* serial : {"A3", "A1", "A2"}) {
    wire::Envelope e = post("/async/0058/poll", serial);
    EXPECT_EQ(e.status, wire::kAnsweredOne) << serial;
    EXPECT_NE(e.response.find(serial), std::string::npos) << e.response;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"A1", "A2", "A3"}));
}

// The fixtures' default: past its pending polls a poll waits for the answer, however slow.
TEST_F(SimulatorTest, APollPastThePendingPollsWaitsForTheAnswer) {
  sim_.SetAsyncPendingPolls(1);
  sim_.Handlers().Add("0058", [](const Call& call, State&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return taxsim::Answer::Json(nlohmann::json{{"yblsh", call.Yblsh()}});
  });
  EXPECT_EQ(Post("/async/0058", R"({"yblsh":"W1"})").status, wire::kAnsweredOne);
  EXPECT_EQ(Post("/async/0058/poll", R"({"yblsh":"W1"})").status, wire::kPending);
  wire::Envelope e = Post("/async/0058/poll", R"({"yblsh":"W1"})");
  EXPECT_EQ(e.status, wire::kAnsweredOne);
  EXPECT_NE(e.response.find("W1"), std::string::npos);
}

// An answer written in the envelope's form arrives as the same JSON, small or streamed, and the
// faults that change its text (the first byte, the whole of it) act on that JSON.
TEST_F(SimulatorTest, AnAnswerInEnvelopeFormArrivesAsItsJson) {
  auto written = [](size_t rows) {
    JsonWriter w(JsonWriter::Form::kInEnvelope);
    w.BeginArray();
    for (size_t i = 0; i < rows; ++i) {
      w.BeginObject();
      w.Member("v", "税\"\\" + std::to_string(i), "\n");
      w.EndObject();
    }
    w.EndArray();
    return w;
  };
  const std::string small = JsonFromEnvelopeForm(written(3).Text());
  const std::string large = JsonFromEnvelopeForm(written(200000).Text());
  ASSERT_GT(large.size(), size_t{1} << 20);
  sim_.Handlers().Add("0060", [&](const Call& call, State&) {
    return Answer::JsonText(written(call.Key("rows") == "many" ? 200000 : 3));
  });
  sim_.SetAsyncPendingPolls(0);
  for (const char* rows : {"few", "many"}) {
    const std::string expected = std::string(rows) == "many" ? large : small;
    const std::string body = std::string(R"({"yblsh":"E)") + rows + R"(","rows":")" + rows + "\"}";
    EXPECT_EQ(Post("/service/0060", body).response, expected) << rows;
    wire::Envelope bad = Post("/service/0060", body, {{wire::kFaultHeader, "kind=bad-base64"}});
    EXPECT_EQ(bad.response, "*" + expected.substr(1)) << rows;
    wire::Envelope empty = Post("/service/0060", body, {{wire::kFaultHeader, "kind=empty-answer;text=null"}});
    EXPECT_EQ(empty.response, "null") << rows;
    // Made in the background, corrupted there, polled later.
    AddFault(R"({"kind":"bad-base64","endpoint":"submit","serviceCode":"0060"})");
    EXPECT_EQ(Post("/async/0060", body).status, wire::kAnsweredOne);
    sim_.WaitForAsyncWork();
    EXPECT_EQ(Post("/async/0060/poll", body).response, "*" + expected.substr(1)) << rows;
  }
}

// A second submission of a pending serial is refused without running the handler again; faults
// that change an answer act on the answer made in the background.
TEST_F(SimulatorTest, AsyncDuplicatesRunNothingAndFaultsTravelWithTheJob) {
  sim_.SetAsyncPendingPolls(0);
  std::atomic<int> runs{0};
  sim_.Handlers().Add("0059", [&](const Call&, State&) {
    ++runs;
    return taxsim::Answer::Json(nlohmann::json::array());
  });
  EXPECT_EQ(Post("/async/0059", R"({"yblsh":"D1"})").status, wire::kAnsweredOne);
  EXPECT_EQ(Post("/async/0059", R"({"yblsh":"D1"})").responseData, "10005");
  sim_.WaitForAsyncWork();
  EXPECT_EQ(runs.load(), 1);
  EXPECT_EQ(Post("/async/0059/poll", R"({"yblsh":"D1"})").status, wire::kAnsweredOne);

  AddFault(R"({"kind":"bad-base64","endpoint":"submit","serviceCode":"0059"})");
  EXPECT_EQ(Post("/async/0059", R"({"yblsh":"D2"})").status, wire::kAnsweredOne);
  sim_.WaitForAsyncWork();
  wire::Envelope bad = Post("/async/0059/poll", R"({"yblsh":"D2"})");
  EXPECT_EQ(bad.status, wire::kAnsweredOne);
  EXPECT_EQ(bad.response.substr(0, 1), "*");
  EXPECT_EQ(runs.load(), 2);
}

TEST_F(SimulatorTest, StopCutsDelaysShort) {
  std::thread caller([&] {
    httplib::Client c("127.0.0.1", sim_.Port());
    c.set_read_timeout(30, 0);
    c.Post("/service/9001", {{wire::kFaultHeader, "kind=delay;delayMs=30000"}}, "{}", "application/json");
  });
  while (sim_.RequestCount() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  auto start = std::chrono::steady_clock::now();
  sim_.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  caller.join();
}

TEST(SimulatorStart, TwoSimulatorsGetTwoPortsAndATakenPortIsReported) {
  Simulator a, b;
  a.Start();
  b.Start();
  EXPECT_NE(a.Port(), b.Port());
  EXPECT_EQ(a.Url(), "http://127.0.0.1:" + std::to_string(a.Port()));
  Simulator c(Options(a.Port()));
  try {
    c.Start();
    ADD_FAILURE() << "bound a taken port";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "无法监听127.0.0.1:" + std::to_string(a.Port()));
  }
  EXPECT_THROW(a.Start(), std::runtime_error);
}

TEST(SimulatorStart, ScenarioFileSeedsTheState) {
  EXPECT_THROW(Simulator(Options(0, "/nonexistent/x.json")), ScenarioError);
}

}  // namespace
}  // namespace velmor::taxsim
