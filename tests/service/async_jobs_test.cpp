// Sets of asynchronous jobs (service/async_jobs.h), inside a started reference host against the
// simulator on loopback: every job handed over to the background is polled once, a refusal fails
// the set without submitting what follows, and a set dropped early stops submitting; a pass that
// hands each answer over as it is polled does so before polling the next, and a caller that fails
// on one answer leaves the others to the next pass.
#include "service/async_jobs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <stdexcept>
#include <thread>

#include "integration/taxml_fixture.h"

namespace velmor::testing {
namespace {

class BackgroundJobs : public TaxmlFixture {
 protected:
  // A diagnostics job whose answer echoes its keys.
  static std::string Body(const std::string& serial, int n) {
    taxml::Call call;
    call.serviceCode = "9001";
    call.keys["n"] = std::to_string(n);
    call.keys["answerJson"] = "Y";
    return taxml::BodyText(call, serial, kDjxh);
  }
  // Hands over `count` jobs tagged 0, 1, ...; their serials.
  static std::vector<std::string> HandOver(AsyncJobSet& set, int count) {
    std::vector<std::string> serials;
    for (int n = 0; n < count; ++n) {
      serials.push_back(NewSerialNo());
      set.SubmitInBackground(serials.back(), Body(serials.back(), n), n, "提交失败：");
    }
    return serials;
  }
  size_t SubmissionsSeen() {
    size_t n = 0;
    for (const taxsim::SeenCall& c : sim_.RecentCalls()) n += c.endpoint == "submit" && c.serviceCode == "9001";
    return n;
  }
};

TEST_F(BackgroundJobs, EveryJobHandedOverIsAnsweredOnceWithItsTag) {
  AsyncJobSet set("9001", GetNetComm());
  const std::vector<std::string> serials = HandOver(set, 12);
  EXPECT_EQ(set.Submitted(), 12u) << "counted as submitted when handed over";
  EXPECT_EQ(set.Outstanding(), 12u) << "and outstanding until answered";
  std::set<int32_t> tags;
  for (int pass = 0; set.Outstanding() > 0 && pass < 200; ++pass) {
    for (const AsyncJobSet::Done& d : set.Poll(50)) {
      EXPECT_TRUE(tags.insert(d.tag).second) << "tag " << d.tag << " answered twice";
      ASSERT_LT(d.tag, 12);
      EXPECT_EQ(d.serial, serials[static_cast<size_t>(d.tag)]);
      EXPECT_EQ(nlohmann::json::parse(d.response)["yblsh"], d.serial) << "the answer of its own job";
    }
  }
  EXPECT_EQ(tags.size(), 12u);
  EXPECT_TRUE(set.Lost().empty());
  EXPECT_EQ(SubmissionsSeen(), 12u);
}

TEST_F(BackgroundJobs, ARefusalFailsTheNextPollAndWhatFollowsItIsNeverSubmitted) {
  Fault(R"({"kind":"refuse","serviceCode":"9001","endpoint":"submit","skip":3,"code":"10042","message":"系统繁忙"})");
  AsyncJobSet set("9001", GetNetComm());
  HandOver(set, 8);
  std::string failure;
  size_t answered = 0;
  try {
    for (int pass = 0; set.Outstanding() > 0 && pass < 200; ++pass) answered += set.Poll(50).size();
  } catch (const AsyncJobSet::SubmitRefused& e) {
    failure = e.what();
  }
  EXPECT_EQ(failure.rfind("提交失败：", 0), 0u) << failure;
  EXPECT_NE(failure.find("10042"), std::string::npos) << "with the host's text: " << failure;
  EXPECT_EQ(answered + set.Outstanding(), 3u) << "the refused job and those after it are dropped";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SubmissionsSeen(), 3u) << "the three before the refusal reached the server, none after it";
}

TEST_F(BackgroundJobs, ASetDroppedEarlySubmitsNoMore) {
  size_t seen = 0;
  {
    AsyncJobSet set("9001", GetNetComm());
    HandOver(set, 40);
  }
  seen = SubmissionsSeen();
  EXPECT_LE(seen, 40u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SubmissionsSeen(), seen) << "nothing is submitted once the set is gone";
}

class AnswersAsPolled : public BackgroundJobs {
 protected:
  // `count` jobs submitted one by one, each answered by the server before this returns.
  std::vector<std::string> SubmitAnswered(AsyncJobSet& set, int count) {
    sim_.SetAsyncPendingPolls(0);
    std::vector<std::string> serials;
    for (int n = 0; n < count; ++n) {
      serials.push_back(NewSerialNo());
      std::string error;
      EXPECT_TRUE(set.Submit(serials.back(), Body(serials.back(), n), n, error)) << error;
    }
    sim_.WaitForAsyncWork();
    return serials;
  }
};

TEST_F(AnswersAsPolled, EachAnswerIsHandedOverBeforeTheNextJobIsPolled) {
  AsyncJobSet set("9001", GetNetComm());
  const std::vector<std::string> serials = SubmitAnswered(set, 6);
  std::vector<size_t> leftAtServer;
  std::set<int32_t> tags;
  const size_t answered = set.Poll(0, [&](AsyncJobSet::Done& d) {
    leftAtServer.push_back(sim_.Jobs().Size());
    tags.insert(d.tag);
    EXPECT_EQ(d.serial, serials[static_cast<size_t>(d.tag)]);
    EXPECT_EQ(nlohmann::json::parse(d.response)["yblsh"], d.serial);
  });
  EXPECT_EQ(answered, 6u);
  EXPECT_EQ(leftAtServer, (std::vector<size_t>{5, 4, 3, 2, 1, 0})) << "one answer fetched per hand-over";
  EXPECT_EQ(tags.size(), 6u);
  EXPECT_EQ(set.Outstanding(), 0u);
}

TEST_F(AnswersAsPolled, ACallerFailingOnOneAnswerLeavesTheRestToTheNextPass) {
  AsyncJobSet set("9001", GetNetComm());
  SubmitAnswered(set, 5);
  std::set<int32_t> first;
  EXPECT_THROW(set.Poll(0,
                        [&](AsyncJobSet::Done& d) {
                          first.insert(d.tag);
                          if (first.size() == 2) throw std::runtime_error("解析失败");
                        }),
               std::runtime_error);
  EXPECT_EQ(set.Outstanding(), 3u) << "the two handed over are no longer outstanding, the rest are";
  std::set<int32_t> rest;
  for (const AsyncJobSet::Done& d : set.Poll(0)) {
    EXPECT_EQ(first.count(d.tag), 0u) << "tag " << d.tag << " handed over twice";
    rest.insert(d.tag);
  }
  EXPECT_EQ(rest.size(), 3u);
  EXPECT_TRUE(set.Lost().empty());
}

}  // namespace
}  // namespace velmor::testing
