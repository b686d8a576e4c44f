#include "taxsim/faults.h"

#include <gtest/gtest.h>

namespace velmor::taxsim {
namespace {

std::string ParseError(const nlohmann::json& j) {
  try {
    ParseFault(j);
  } catch (const FaultError& e) {
    return e.what();
  }
  return "parsed";
}

TEST(TaxsimFaults, JsonFormWithDefaults) {
  Fault f = ParseFault({{"kind", "refuse"}, {"serviceCode", "0053"}});
  EXPECT_EQ(f.kind, FaultKind::kRefuse);
  EXPECT_EQ(f.code, "10042");
  EXPECT_EQ(f.message, "服务端拒绝请求");
  EXPECT_EQ(f.count, 1);
  EXPECT_EQ(f.endpoint, Endpoint::kAny);

  Fault g = ParseFault({{"kind", "delay"}, {"delayMs", 250}, {"endpoint", "poll"}, {"count", -1}});
  EXPECT_EQ(g.delayMs, 250);
  EXPECT_EQ(g.endpoint, Endpoint::kPoll);
  EXPECT_EQ(g.count, -1);
}

TEST(TaxsimFaults, MalformedFaultsNameTheirProblem) {
  EXPECT_EQ(ParseError({{"code", "1"}}), "故障缺少kind");
  EXPECT_EQ(ParseError({{"kind", "explode"}}), "未知的故障类型：explode");
  EXPECT_EQ(ParseError({{"kind", "code"}}), "code故障缺少code");
  EXPECT_EQ(ParseError({{"kind", "drop-list"}}), "drop-list故障缺少list");
  EXPECT_EQ(ParseError({{"kind", "delay"}, {"delayMs", 60001}}), "delayMs超出范围0-60000");
  EXPECT_EQ(ParseError({{"kind", "refuse"}, {"count", 0}}), "count必须为正数或-1");
  EXPECT_EQ(ParseError({{"kind", "refuse"}, {"colour", "red"}}), "未知的故障成员：colour");
  EXPECT_EQ(ParseError({{"kind", "refuse"}, {"code", 10042}}), "code不是字符串");
  EXPECT_EQ(ParseError({{"kind", "http-error"}, {"httpStatus", 200}}), "httpStatus超出范围400-599");
  EXPECT_EQ(ParseError({{"kind", "refuse"}, {"endpoint", "side"}}), "未知的故障端点：side");
  EXPECT_EQ(ParseError(nlohmann::json::array()), "故障不是JSON对象");
}

TEST(TaxsimFaults, HeaderForm) {
  auto faults = ParseFaultHeader("kind=refuse;code=30035 , kind=delay; delayMs=10,kind=drop-list;list=sbqkxxList");
  ASSERT_EQ(faults.size(), 3u);
  EXPECT_EQ(faults[0].code, "30035");
  EXPECT_EQ(faults[1].delayMs, 10);
  EXPECT_EQ(faults[2].list, "sbqkxxList");
  EXPECT_THROW(ParseFaultHeader("kind=delay;delayMs=soon"), FaultError);
  EXPECT_THROW(ParseFaultHeader("refuse"), FaultError);
  EXPECT_TRUE(ParseFaultHeader("").empty());
}

TEST(TaxsimFaults, BookMatchesAndUsesUpCounts) {
  FaultBook book;
  Fault once = ParseFault({{"kind", "refuse"}, {"serviceCode", "0053"}});
  Fault twiceForSerial = ParseFault({{"kind", "bad-base64"}, {"serial", "S2"}, {"count", 2}});
  Fault always = ParseFault({{"kind", "delay"}, {"delayMs", 1}, {"endpoint", "poll"}, {"count", -1}});
  book.Add(once);
  book.Add(twiceForSerial);
  book.Add(always);

  EXPECT_TRUE(book.Take(Endpoint::kService, "0054", "S1").empty());
  auto first = book.Take(Endpoint::kService, "0053", "S2");
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].kind, FaultKind::kRefuse) << "in the order queued";
  EXPECT_EQ(first[1].kind, FaultKind::kBadBase64);
  EXPECT_TRUE(book.Take(Endpoint::kService, "0053", "S1").empty()) << "the refusal was used up";
  EXPECT_EQ(book.Take(Endpoint::kSubmit, "0001", "S2").size(), 1u);
  EXPECT_TRUE(book.Take(Endpoint::kService, "0001", "S2").empty());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(book.Take(Endpoint::kPoll, "0001", "").size(), 1u);
  EXPECT_EQ(book.Size(), 1u);
  book.Clear();
  EXPECT_EQ(book.Size(), 0u);
}

TEST(TaxsimFaults, AnswerShapingKindsAndSkip) {
  Fault empty = ParseFault({{"kind", "empty-answer"}, {"text", "null"}});
  EXPECT_EQ(empty.kind, FaultKind::kEmptyAnswer);
  EXPECT_EQ(empty.text, "null");
  Fault pending = ParseFault({{"kind", "pending"}, {"polls", -1}});
  EXPECT_EQ(pending.polls, -1);
  EXPECT_EQ(ParseFault({{"kind", "instruction"}}).kind, FaultKind::kInstruction);
  Fault omit = ParseFault({{"kind", "omit-rows"}, {"list", "sbztList"}});
  EXPECT_EQ(omit.every, 2);
  EXPECT_EQ(ParseError({{"kind", "omit-rows"}}), "omit-rows故障缺少list");
  EXPECT_EQ(ParseError({{"kind", "omit-rows"}, {"list", "x"}, {"every", 0}}), "every必须为正数");
  EXPECT_EQ(ParseError({{"kind", "pending"}, {"polls", -2}}), "polls必须为非负数或-1");
  EXPECT_EQ(ParseError({{"kind", "empty-answer"}, {"text", "[]"}}), "empty-answer故障的text只能为空或null");
  EXPECT_EQ(ParseError({{"kind", "refuse"}, {"skip", -1}}), "skip必须为非负数");
  auto header = ParseFaultHeader("kind=omit-rows;list=a;every=3;skip=1");
  ASSERT_EQ(header.size(), 1u);
  EXPECT_EQ(header[0].every, 3);
  EXPECT_EQ(header[0].skip, 1);

  // skip: the first matching requests pass untouched, the next one gets the fault.
  FaultBook book;
  book.Add(ParseFault({{"kind", "refuse"}, {"serviceCode", "0056"}, {"skip", 2}}));
  EXPECT_TRUE(book.Take(Endpoint::kSubmit, "0001", "").empty());
  EXPECT_TRUE(book.Take(Endpoint::kSubmit, "0056", "").empty());
  EXPECT_TRUE(book.Take(Endpoint::kSubmit, "0056", "").empty());
  EXPECT_EQ(book.Take(Endpoint::kSubmit, "0056", "").size(), 1u);
  EXPECT_EQ(book.Size(), 0u);
}

}  // namespace
}  // namespace velmor::taxsim
