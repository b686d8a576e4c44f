// The second form of submission through the loaded plug-in against the simulator: each outcome
// of SbSend_61 and its later feedback (GetSbFk_61), the failures that store nothing, and the
// declaration stored with its outcome in one transaction.
#include <algorithm>

#include "declaration_fixture.h"

namespace velmor::testing {
namespace {

class SecondForm : public DeclarationFlow {
 protected:
  int32_t Send61(const Json& sb, int32_t expectedState) {
    int32_t id = 0, state = -1;
    std::string error;
    EXPECT_TRUE(mgr_->SbSend_61(sb.dump(), nullptr, id, state, error)) << error;
    EXPECT_EQ(state, expectedState);
    return id;
  }
  bool Fail61(const Json& sb, std::string& error) {
    int32_t id = 0, state = 0;
    return mgr_->SbSend_61(sb.dump(), nullptr, id, state, error);
  }
  std::vector<std::string> Codes() {
    std::vector<std::string> out;
    for (const auto& c : sim.RecentCalls()) out.push_back(c.serviceCode);
    return out;
  }
  // The body's keys in the order sent.
  static std::string Keys(const std::string& body) {
    std::string out;
    const Json parsed = Json::parse(body);
    for (const auto& [k, v] : parsed.items()) out += (out.empty() ? "" : ",") + k;
    return out;
  }
};

TEST_F(SecondForm, DeclaredAtOnceThroughTheResultCall) {
  const int32_t id = Send61(Declaration(), 2);
  EXPECT_EQ(Master(id), "2|1100000001||0");
  EXPECT_EQ(Codes(), (std::vector<std::string>{"0083", "0084"}));
  const auto calls = sim.RecentCalls();
  EXPECT_EQ(calls[0].documentType, "SbfCxjmxnhRcSbYzxxBcSnRequest");
  EXPECT_FALSE(calls[0].gbk) << "the second form's document is UTF-8";
  EXPECT_FALSE(calls[0].gzip) << "the second form's document is Base64 of its bytes, not compressed";
  EXPECT_EQ(Keys(calls[0].body), "yblsh,yzpzzlDm,tranSeq,djxh,data");
  EXPECT_NE(calls[0].documentText.find("<jfnd>2026</jfnd><yjfe>250</yjfe>"), std::string::npos)
      << "a residents' row sends what is actually payable";
  // The result call names the submission by its serial and business id.
  EXPECT_EQ(Keys(calls[1].body), "yblsh,djxh,jywyid");
  EXPECT_EQ(Json::parse(calls[1].body)["yblsh"], Json::parse(calls[0].body)["yblsh"]);
  EXPECT_EQ(Json::parse(calls[1].body)["jywyid"], Json::parse(calls[0].body)["tranSeq"]);
  EXPECT_EQ(Get("select jywyid from ds_sbzb where id = " + std::to_string(id)),
            Json::parse(calls[0].body)["tranSeq"].get<std::string>());
}

TEST_F(SecondForm, AcceptedWithoutResultIsCompletedByTheFeedbackFetch) {
  const int32_t id = Send61(Declaration("ASYNC"), 9);
  EXPECT_EQ(Master(id), "9|||0");
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(id)), "2");
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk_61(id, nullptr, state, error)) << error;
  EXPECT_EQ(LastCode(), "0085");
  EXPECT_EQ(Keys(sim.RecentCalls().back().body), "yblsh,djxh,jywyid");
  EXPECT_EQ(state, 2);
  EXPECT_EQ(Master(id), "2|1100000001||0");
  // Declared: nothing more to fetch.
  EXPECT_FALSE(mgr_->GetSbFk_61(id, nullptr, state, error));
  EXPECT_EQ(error, "系统异常，请稍后再试");
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.GetSbFk_61]异常：申报状态[2]不需要获取反馈"), std::string::npos);
  EXPECT_FALSE(mgr_->GetSbFk_61(999, nullptr, state, error));
}

TEST_F(SecondForm, RefusedDeclarationsAndQueuedOnes) {
  // "60002": refused, stored as failed with the code and message as reason.
  const int32_t rejected = Send61(Declaration("REJECT"), 3);
  EXPECT_EQ(Master(rejected), "3||【60002】申报数据不符合要求，不予受理|0");
  // A person in error: failed, that person marked.
  const int32_t failed = Send61(Declaration("", "ERR7"), 3);
  EXPECT_EQ(Get("select group_concat(mxxh || ':' || jyzt, ',') from ds_sbrymxb where mxbid = " +
                std::to_string(failed)),
            "1:0,2:1");
  // "10042": stored in state 1, completed later by "0085".
  const int32_t queued = Send61(Declaration("QUEUE"), 1);
  EXPECT_EQ(Codes().back(), "0083") << "no result call for a queued submission";
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk_61(queued, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);
  EXPECT_EQ(Master(queued), "2|1100000001||0");
}

TEST_F(SecondForm, AFailedSubmissionStoresNothing) {
  std::string error;
  taxsim::Fault refuse;
  refuse.serviceCode = "0083";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  sim.Faults().Add(refuse);
  EXPECT_FALSE(Fail61(Declaration(), error));
  EXPECT_EQ(error, "服务暂停") << "a refusal shows the server's message alone";
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.SbSend_61]异常：服务暂停"), std::string::npos);

  taxsim::Fault drop;
  drop.kind = taxsim::FaultKind::kDrop;
  drop.serviceCode = "0083";
  sim.Faults().Add(drop);
  EXPECT_FALSE(Fail61(Declaration(), error));
  EXPECT_EQ(error.rfind("发送申报异常：", 0), 0u) << error;
  EXPECT_NE(error.find("服务器可能已受理，请先同步申报清单"), std::string::npos) << error;
  // Never reached the server: asking under its serial settles it as failed, and the next goes.
  const int32_t dropped = LastId();
  EXPECT_EQ(Master(dropped), "11|||0");
  int32_t state = 0;
  ASSERT_TRUE(mgr_->GetSbFk_61(dropped, nullptr, state, error)) << error;
  EXPECT_EQ(Master(dropped), "3||【30001】未找到该流水号的申报|0");

  taxsim::Fault code;
  code.kind = taxsim::FaultKind::kCode;
  code.serviceCode = "0083";
  code.code = "30001";
  code.message = "纳税人状态异常";
  sim.Faults().Add(code);
  EXPECT_FALSE(Fail61(Declaration(), error));
  EXPECT_EQ(error.rfind("发送申报异常：【30001】", 0), 0u) << error;

  taxsim::Fault garbled;
  garbled.kind = taxsim::FaultKind::kBadBase64;
  garbled.serviceCode = "0083";
  sim.Faults().Add(garbled);
  EXPECT_FALSE(Fail61(Declaration(), error));
  EXPECT_NE(error.find("服务器可能已受理"), std::string::npos) << "an unreadable answer may hide a filing";
  EXPECT_EQ(Counts(), "2/2/4") << "the one never sent, settled as failed, and the one the server may hold";
  EXPECT_EQ(Master(LastId()), "11|||0");
  EXPECT_FALSE(Fail61(Json::array(), error));
  EXPECT_EQ(error.rfind("发送申报异常：申报数据无效", 0), 0u) << error;
}

TEST_F(SecondForm, AnAcceptedSubmissionWhoseResultCannotBeReadIsKeptPending) {
  // The server holds the declaration once "0083" accepted it, so it must not be lost.
  taxsim::Fault drop;
  drop.kind = taxsim::FaultKind::kDrop;
  drop.serviceCode = "0084";
  sim.Faults().Add(drop);
  const int32_t id = Send61(Declaration(), 9);
  EXPECT_EQ(Master(id), "9|||0");
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.SbSend_61]异常：获取申报结果失败："), std::string::npos);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk_61(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);
}

// ---- One transaction -------------------------------------------------------------------------

TEST_F(SecondForm, TheDeclarationAndItsOutcomeAreStoredTogether) {
  // An earlier copy of the voucher (from a list download) that the feedback replaces.
  Json copy = Declaration();
  copy["yblsh"] = "OLD";
  int32_t oldId = 0;
  ASSERT_TRUE(dao_->SaveSbData(copy.dump(), oldId));
  Exec("update ds_sbzb set yzpzxh = 'V1', sbzt = 2 where id = " + std::to_string(oldId));
  const std::string before = Counts();
  ASSERT_EQ(before, "1/1/2");

  Json sb = Declaration();
  sb["sbzt"] = 3;
  const std::string errors = R"([{"jfmxxh": "2", "sbyy": "证件号码校验不通过"}])";
  int id = 0, failures = 0;
  for (int n = 1; n < 40; ++n) {
    FaultInjection::FailStatement(n);
    const bool ok = dao_->SaveSbDataFk(sb.dump(), "【20001】申报校验不通过", "V1", errors, id);
    FaultInjection::Clear();
    if (ok) break;
    ++failures;
    EXPECT_EQ(Counts(), before) << "statement " << n;
    EXPECT_EQ(Get("select yzpzxh from ds_sbzb where id = " + std::to_string(oldId)), "V1") << n;
  }
  EXPECT_GE(failures, 9) << "six of the save, state, voucher, other copies, their removal, the person";
  EXPECT_EQ(Counts(), "1/1/2") << "the earlier copy went with its rows";
  EXPECT_EQ(Master(id), "3|V1|【20001】申报校验不通过|0");
  EXPECT_EQ(Get("select jyzt || sbyy from ds_sbrymxb where mxxh = '2'"), "1证件号码校验不通过");

  FaultInjection::FailCommit(1);
  EXPECT_FALSE(dao_->SaveSbDataFk(sb.dump(), "", "V2", "[]", id));
  EXPECT_EQ(Counts(), "1/1/2");
  EXPECT_FALSE(dao_->SaveSbDataFk(sb.dump(), "", "", "not json", id));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行异常");
}

}  // namespace
}  // namespace velmor::testing
