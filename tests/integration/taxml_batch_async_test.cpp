// Batch and asynchronous calls as a service makes them: bodies from the taxML exchange, the
// module's network interface, tags through a batch, submit then poll.
#include <gtest/gtest.h>

#include <thread>

#include "taxml_fixture.h"
#include "velmor/object.h"

namespace velmor::testing {
namespace {

class Item : public Object<IInterface> {
 public:
  explicit Item(std::string yzpzxh) : yzpzxh(std::move(yzpzxh)) {}
  std::string yzpzxh;
};

using TaxmlBatch = TaxmlFixture;

TEST_F(TaxmlBatch, OneRequestPerItemWithTheItemAttached) {
  Fault(R"({"kind":"refuse","serial":"","serviceCode":"9001","code":"10042","count":1,"endpoint":"service"})");
  Ref<INetCommIntf> net = GetNetComm();
  int32_t batch = net->BeginBatch();
  ASSERT_GT(batch, 0);
  std::vector<std::string> vouchers = {"Y001", "Y002", "Y003", "Y004", "Y005"};
  for (const auto& v : vouchers) {
    taxml::Call call = Diagnose();
    call.keys["yzpzxh"] = v;
    Ref<IRequest> r = net->CreateRequest();
    r->SetServiceCode("9001");
    r->SetSerialNo(NewSerialNo());
    r->SetBody(taxml::BodyText(call, r->GetSerialNo(), CurrentDjxh()));
    Ref<Item> item = Make<Item>(v);
    r->SetTag(item.get());
    ASSERT_TRUE(net->AddToBatch(batch, r.get())) << "参保信息异步请求失败！" << net->GetLastErrorText();
  }
  int answered = 0, refused = 0;
  Ref<IRequest> r;
  bool more = true;
  for (size_t i = 0; i < vouchers.size() && more && net->NextBatchResult(batch, r, 0, more); ++i) {
    auto* item = dynamic_cast<Item*>(r->GetTag().get());
    ASSERT_NE(item, nullptr);
    if (r->GetStatus() == -2) {
      ++refused;
      EXPECT_EQ(r->GetResponseData(), "10042");
      continue;
    }
    ASSERT_EQ(r->GetReturnCode(), "SUCCESS");
    taxml::Response answer = taxml::Response::Read(*r);
    EXPECT_EQ(EchoedKey(answer, "yzpzxh"), item->yzpzxh) << "each answer belongs to its own item";
    ++answered;
  }
  net->EndBatch(batch);
  EXPECT_FALSE(more);
  EXPECT_EQ(answered, 4);
  EXPECT_EQ(refused, 1);
}

TEST_F(TaxmlBatch, SubmitThenPollUntilEveryAnswerIsIn) {
  Ref<INetCommIntf> net = GetNetComm();
  std::vector<std::string> serials;
  for (const char* xzlx : {"110", "310", "410"}) {
    taxml::Call call = Diagnose();
    call.keys["xzlxDm"] = xzlx;
    call.keys["answerJson"] = "Y";
    std::string serial = NewSerialNo();
    ASSERT_TRUE(net->SubmitAsync("9001", taxml::BodyText(call, serial, CurrentDjxh())))
        << "参保信息异步请求失败！" << net->GetLastErrorText();
    serials.push_back(serial);
  }
  std::map<std::string, nlohmann::json> answers;
  for (int pass = 0; pass < 150 && !serials.empty(); ++pass) {
    for (int i = static_cast<int>(serials.size()) - 1; i >= 0; --i) {
      std::string response, second;
      int32_t s = net->PollAsync("9001", serials[size_t(i)], response, second);
      ASSERT_NE(s, -1) << net->GetLastErrorText();
      if (s == 1) {
        answers[serials[size_t(i)]] = nlohmann::json::parse(response);
        serials.erase(serials.begin() + i);
      }
    }
    if (!serials.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(serials.empty()) << "answered within the passes";
  ASSERT_EQ(answers.size(), 3u);
  for (auto& [serial, json] : answers) {
    EXPECT_EQ(json["status"], "SUCCESS");
    EXPECT_EQ(json["yblsh"], serial);
    EXPECT_EQ(json["bodyKeys"], "yblsh,xzlxDm,answerJson,djxh");
  }
}

}  // namespace
}  // namespace velmor::testing
