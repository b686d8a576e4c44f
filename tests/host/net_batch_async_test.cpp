// Batches (concurrent requests with tags) and asynchronous jobs (submit, then poll) of the host's
// network interface against the simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "net_test_support.h"
#include "support/raw_server.h"
#include "taxsim/codec.h"

namespace velmor::testing {
namespace {

// Waits (bounded) until the simulator has received n requests.
void AwaitRequests(taxsim::Simulator& sim, uint64_t n) {
  for (int i = 0; i < 1000 && sim.RequestCount() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GE(sim.RequestCount(), n);
}

class Tag : public Object<IInterface> {
 public:
  explicit Tag(std::string serial) : serial(std::move(serial)) {}
  std::string serial;
};

using NetBatchTest = NetFixture;

// Every request of a batch until NextBatchResult says none is left (bounded by the count).
std::vector<Ref<IRequest>> Drain(INetCommIntf& net, int32_t batch, size_t expected) {
  std::vector<Ref<IRequest>> out;
  Ref<IRequest> r;
  bool more = true;
  for (size_t i = 0; i <= expected && more; ++i) {
    if (!net.NextBatchResult(batch, r, 0, more)) break;
    out.push_back(r);
  }
  return out;
}

TEST_F(NetBatchTest, RequestsRunConcurrentlyAndComeBackWithTheirTags) {
  Fault(R"({"kind":"delay","delayMs":200,"count":6})");
  int32_t batch = net_->BeginBatch();
  ASSERT_GT(batch, 0);
  for (int i = 0; i < 6; ++i) {
    std::string serial = "B" + std::to_string(i);
    Ref<IRequest> r = NewRequest("9001", R"({"yblsh":")" + serial + R"("})", serial);
    Ref<Tag> tag = Make<Tag>(serial);
    r->SetTag(tag.get());
    ASSERT_TRUE(net_->AddToBatch(batch, r.get()));
  }
  std::vector<Ref<IRequest>> done = Drain(*net_, batch, 6);
  net_->EndBatch(batch);
  ASSERT_EQ(done.size(), 6u);
  std::set<std::string> serials;
  for (auto& r : done) {
    EXPECT_EQ(r->GetStatus(), 2);
    auto* tag = dynamic_cast<Tag*>(r->GetTag().get());
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->serial, r->GetSerialNo()) << "the tag comes back with its own request";
    pugi::xml_document doc;
    std::string xml = taxsim::Base64Decode(r->GetResponse());
    ASSERT_TRUE(doc.load_buffer(xml.data(), xml.size()));
    EXPECT_EQ(doc.child("taxML").child_value("yblsh"), r->GetSerialNo());
    serials.insert(r->GetSerialNo());
  }
  EXPECT_EQ(serials.size(), 6u);
  EXPECT_GE(sim_.MaxConcurrentRequests(), 2) << "the delayed requests overlapped";
  EXPECT_LE(sim_.MaxConcurrentRequests(), 4) << "no more at once than the batch threads";
}

TEST_F(NetBatchTest, EachRequestKeepsItsOwnOutcome) {
  Fault(R"({"kind":"refuse","serial":"R","code":"10042"})");
  int32_t batch = net_->BeginBatch();
  Ref<IRequest> ok = NewRequest("9001", R"({"yblsh":"O"})", "O");
  Ref<IRequest> refused = NewRequest("9001", R"({"yblsh":"R"})", "R");
  Ref<IRequest> unknown = NewRequest("0998", "{}", "U");
  for (auto* r : {ok.get(), refused.get(), unknown.get()}) ASSERT_TRUE(net_->AddToBatch(batch, r));
  Ref<IRequest> badCode = NewRequest("99", "{}");
  EXPECT_FALSE(net_->AddToBatch(batch, badCode.get()));
  EXPECT_EQ(net_->GetLastErrorText(), "服务代码无效：99");
  EXPECT_EQ(Drain(*net_, batch, 3).size(), 3u);
  net_->EndBatch(batch);
  EXPECT_EQ(ok->GetStatus(), 2);
  EXPECT_EQ(refused->GetStatus(), -2);
  EXPECT_EQ(refused->GetResponseData(), "10042");
  EXPECT_EQ(unknown->GetStatus(), -2);
  EXPECT_EQ(unknown->GetResponseData(), "10003");
}

TEST_F(NetBatchTest, FailedRequestsOfABatchCarryTheirReason) {
  int port = FreePort();
  Ref<host::net::NetComm> net = Make<host::net::NetComm>(NetTo("http://127.0.0.1:" + std::to_string(port)));
  int32_t batch = net->BeginBatch();
  Ref<IRequest> r = NewRequest("9001", "{}");
  ASSERT_TRUE(net->AddToBatch(batch, r.get()));
  ASSERT_EQ(Drain(*net, batch, 1).size(), 1u);
  net->EndBatch(batch);
  EXPECT_EQ(r->GetStatus(), -1);
  EXPECT_EQ(r->GetReturnCode(), "ERROR");
  EXPECT_EQ(r->GetErrorText(), "无法连接服务器http://127.0.0.1:" + std::to_string(port) + "/service/9001");
}

TEST_F(NetBatchTest, EmptyUnknownAndEndedBatches) {
  int32_t batch = net_->BeginBatch();
  Ref<IRequest> r;
  bool more = true;
  EXPECT_FALSE(net_->NextBatchResult(batch, r, 0, more));
  EXPECT_FALSE(more);
  EXPECT_FALSE(r);
  net_->EndBatch(batch);
  EXPECT_FALSE(net_->NextBatchResult(batch, r, 0, more));
  EXPECT_EQ(net_->GetLastErrorText(), "批次不存在：" + std::to_string(batch));
  Ref<IRequest> q = NewRequest("9001", "{}");
  EXPECT_FALSE(net_->AddToBatch(batch, q.get()));
  net_->EndBatch(batch);  // twice: nothing happens
  EXPECT_NE(net_->BeginBatch(), batch) << "handles are not reused";
}

TEST_F(NetBatchTest, WaitingWithALimitAndEndingWhileRunning) {
  Fault(R"({"kind":"delay","delayMs":30000,"serial":"SLOW"})");
  int32_t batch = net_->BeginBatch();
  Ref<IRequest> slow = NewRequest("9001", "{}", "SLOW");
  Ref<IRequest> quick = NewRequest("9001", "{}", "QUICK");
  ASSERT_TRUE(net_->AddToBatch(batch, slow.get()));
  ASSERT_TRUE(net_->AddToBatch(batch, quick.get()));
  Ref<IRequest> r;
  bool more = false;
  ASSERT_TRUE(net_->NextBatchResult(batch, r, 0, more));
  EXPECT_EQ(r->GetSerialNo(), "QUICK");
  EXPECT_TRUE(more);
  EXPECT_FALSE(net_->NextBatchResult(batch, r, 50, more)) << "the slow one is not done within 50 ms";
  EXPECT_TRUE(more);
  AwaitRequests(sim_, 2);
  auto start = std::chrono::steady_clock::now();
  net_->EndBatch(batch);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "the running request is cancelled";
  EXPECT_EQ(slow->GetStatus(), -1);
  EXPECT_EQ(slow->GetErrorText(), "请求已取消");
}

TEST_F(NetBatchTest, ReleasingTheNetworkEndsOpenBatches) {
  Fault(R"({"kind":"delay","delayMs":30000})");
  Ref<host::net::NetComm> net = Make<host::net::NetComm>(NetTo(sim_.Url()));
  int32_t batch = net->BeginBatch();
  Ref<IRequest> r = NewRequest("9001", "{}");
  ASSERT_TRUE(net->AddToBatch(batch, r.get()));
  AwaitRequests(sim_, 1);
  net = nullptr;  // the destructor closes the batch and joins its worker
  EXPECT_EQ(r->GetStatus(), -1);
}

using NetAsyncTest = NetFixture;

TEST_F(NetAsyncTest, SubmitThenPollUntilAnswered) {
  sim_.SetAsyncPendingPolls(2);
  ASSERT_TRUE(net_->SubmitAsync("9001", R"({"yblsh":"A1","answerJson":"Y"})")) << net_->GetLastErrorText();
  ASSERT_TRUE(net_->SubmitAsync("9001", R"({"yblsh":"A2","answerJson":"Y"})"));
  std::vector<std::string> pending = {"A1", "A2"};
  std::map<std::string, std::string> answers;
  std::string response, second;
  int pendingReplies = 0;
  for (int pass = 0; pass < 10 && !pending.empty(); ++pass) {
    for (int i = static_cast<int>(pending.size()) - 1; i >= 0; --i) {  // last first
      int32_t s = net_->PollAsync("9001", pending[size_t(i)], response, second);
      ASSERT_NE(s, -1) << net_->GetLastErrorText();
      if (s == 0) {
        ++pendingReplies;
        continue;
      }
      answers[pending[size_t(i)]] = response;
      EXPECT_EQ(second, "null");
      pending.erase(pending.begin() + i);
    }
  }
  EXPECT_TRUE(pending.empty());
  EXPECT_EQ(pendingReplies, 4);
  EXPECT_EQ(answers["A1"], R"({"bodyKeys":"yblsh,answerJson","status":"SUCCESS","yblsh":"A1"})");
  EXPECT_EQ(answers["A2"], R"({"bodyKeys":"yblsh,answerJson","status":"SUCCESS","yblsh":"A2"})");
}

TEST_F(NetAsyncTest, RefusalsAndFailures) {
  Fault(R"({"kind":"refuse","endpoint":"submit","code":"10042","message":"请求过于频繁"})");
  EXPECT_FALSE(net_->SubmitAsync("9001", R"({"yblsh":"A1"})"));
  EXPECT_EQ(net_->GetLastErrorText(), "服务器拒绝请求：[10042]请求过于频繁");
  EXPECT_FALSE(net_->SubmitAsync("9001", "{}"));
  EXPECT_EQ(net_->GetLastErrorText(), "服务器拒绝请求：[10005]异步请求缺少yblsh");
  EXPECT_FALSE(net_->SubmitAsync("x1", "{}"));
  EXPECT_EQ(net_->GetLastErrorText(), "服务代码无效：x1");

  std::string response = "untouched", second = "untouched";
  EXPECT_EQ(net_->PollAsync("9001", "NEVER", response, second), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "异步请求失败：异步任务不存在：NEVER");
  EXPECT_EQ(response, "untouched");

  sim_.SetAsyncPendingPolls(0);
  ASSERT_TRUE(net_->SubmitAsync("9001", R"({"yblsh":"A3"})"));
  Fault(R"({"kind":"refuse","endpoint":"poll","code":"10077","message":"查询失败"})");
  EXPECT_EQ(net_->PollAsync("9001", "A3", response, second), -1);
  EXPECT_EQ(net_->GetLastErrorText(), "异步请求失败：[10077]查询失败");
  EXPECT_EQ(net_->PollAsync("9001", "A3", response, second), 1) << "the job survived the failed poll";

  int port = FreePort();
  Ref<host::net::NetComm> down = Make<host::net::NetComm>(NetTo("http://127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(down->PollAsync("9001", "A3", response, second), -1);
  EXPECT_EQ(down->GetLastErrorText(), "无法连接服务器http://127.0.0.1:" + std::to_string(port) + "/async/9001/poll");
  EXPECT_FALSE(down->SubmitAsync("9001", "{}"));
}

}  // namespace
}  // namespace velmor::testing
