// The collective and government payers through the loaded plug-in: the registration download,
// one payer never seeing another's rows, and a declaration's life (submission, verdicts, void,
// deduction result) against the simulator.
#include "integration/groups_fixture.h"

namespace velmor::testing {
namespace {

// ---- Registration ----------------------------------------------------------------------------

TEST_F(GroupsFixture, DownloadReplacesThePayersRegistrationAndLeavesOthersAlone) {
  ASSERT_TRUE(zf_->synCxjmjtbzhjfdjxxCx(nullptr)) << zf_->GetErrorMessage();
  // A stale unit of the collective account, as an earlier download may have left it.
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jtbzhcbxxb(djxh, dwbh, yxbz) values ('" + kCollective + "', 'OLD', 'Y')"));
  ASSERT_EQ(Count("select count(*) from ds_jtbzhcbxxb where djxh = '" + kCollective + "'"), 1);
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr)) << jt_->GetErrorMessage();
  EXPECT_EQ(Json::parse(jt_->getDwbhs("")), (Json{"JT801", "JT802"})) << "the stale unit is gone";
  EXPECT_EQ(Json::parse(zf_->getDwbhs("")), (Json{"JT901", "JT902"})) << "the other payer's units stay";
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  EXPECT_EQ(Count("select count(*) from ds_jtbzhcbxxb where djxh = '" + kCollective + "'"), 2) << "replaced, not added";
  BzDjFilter valid;
  valid.yxbz = "Y";
  const int32_t lines = jt_->getCbxzCount(valid);
  EXPECT_GT(lines, 0);
  EXPECT_EQ(jt_->getCbxzCount({}), lines) << "the closed unit has no insured lines";
  EXPECT_EQ(Count("select count(*) from ds_jtbzhcbxzb"), 2 * lines) << "no orphan insured lines";
  EXPECT_EQ(Json::parse(jt_->getXnhflbs("11101000001")), (Json{"0101"}));
  EXPECT_EQ(Json::parse(jt_->getXzlxdms("11101000001")).size(), static_cast<size_t>(lines));
}

TEST_F(GroupsFixture, TheOfficesOfEachAccountForThePaymentManager) {
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  ASSERT_TRUE(zf_->synCxjmjtbzhjfdjxxCx(nullptr));
  for (IBzDjIntf* svc : {static_cast<IBzDjIntf*>(jt_.get()), static_cast<IBzDjIntf*>(zf_.get())}) {
    EXPECT_EQ(Json::parse(svc->getSwksdms("Y")), (Json{"1110100000101"})) << "valid units only";
    EXPECT_EQ(Json::parse(svc->getSwksdms("")).size(), 2u);
    EXPECT_EQ(Json::parse(svc->getSwjgdms("Y")), (Json{"11101000001"}));
  }
}

TEST_F(GroupsFixture, DownloadFailuresLeaveTheStoredRegistration) {
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jtbzhcbxxb(djxh, dwbh, yxbz) values ('" + kCollective + "', 'OLD', 'Y')"));
  const std::string before = Tables();
  int failures = 0;
  for (int n = 1; n < 40; ++n) {
    FaultInjection::FailStatement(n);
    const bool ok = jt_->synCxjmjtbzhjfdjxxCx(nullptr);
    FaultInjection::Clear();
    if (ok) break;
    ++failures;
    EXPECT_EQ(Tables(), before) << "statement " << n;
    EXPECT_EQ(jt_->GetErrorMessage().rfind("保存数据异常：", 0), 0u) << jt_->GetErrorMessage();
  }
  EXPECT_GE(failures, 6) << "two deletes, two units with their ids, the insured lines";
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jtbzhcbxxb(djxh, dwbh, yxbz) values ('" + kCollective + "', 'OLD', 'Y')"));
  const std::string stale = Tables();
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  EXPECT_EQ(Tables(), stale) << "a failed commit stores nothing";
  Fault(R"({"kind":"code","code":"20001","message":"登记信息不存在"})");
  EXPECT_FALSE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  EXPECT_EQ(jt_->GetErrorMessage(), "【20001】登记信息不存在");
  EXPECT_NE(env_->LogText().find("[TBzDjImpl.synCxjmjtbzhjfdjxxCx]异常：【20001】登记信息不存在"), std::string::npos);
  Fault(R"({"kind":"drop-list","list":"jtbzhCbxxList"})");
  EXPECT_FALSE(jt_->synCxjmjtbzhjfdjxxCx(nullptr));
  EXPECT_EQ(Tables(), stale);
}

TEST_F(GroupsFixture, TheSharedClassDeclaresUnderTheTypeOfTheDownloadedRegistration) {
  Ref<IBzDjIntf> any = env_->plugin().CreateService<IBzDjIntf>();
  ASSERT_TRUE(any);
  any->SetDjxh(kGovernment);
  ASSERT_TRUE(any->synCxjmjtbzhjfdjxxCx(nullptr)) << any->GetErrorMessage();
  Add(*any, Json{Line("RY0001", 100)});
  Declare(*any);
  EXPECT_NE(sim_.RecentCalls().back().documentText.find("<jfrlxDm>9</jfrlxDm>"), std::string::npos);
  EXPECT_EQ(zf_->getCount({}), 1) << "the same payer's lines, whichever class reads them";
}

TEST_F(GroupsFixture, ResidentsAreAskedPerAgency) {
  const auto [xm, zjhm] = sim_.WithState([](taxsim::State& s) { return std::pair{s.persons[0].xm, s.persons[0].zjhm}; });
  const Json persons = {{{"sbjbjgDm", "A1"}, {"xm", xm}, {"sfzjlx", "201"}, {"sfzjhm", zjhm}},
                        {{"sbjbjgDm", "A2"}, {"xm", "无此人"}, {"sfzjlx", "201"}, {"sfzjhm", "1"}}};
  std::string result;
  ASSERT_TRUE(jt_->synPlCbryJfDjxxCx(persons.dump(), nullptr, result)) << jt_->GetErrorMessage();
  const Json answer = Json::parse(result);
  ASSERT_EQ(answer["cgryXxList"].size(), 1u);
  EXPECT_EQ(answer["cgryXxList"][0]["sfzjhm"], zjhm);
  ASSERT_EQ(answer["sbryXxList"].size(), 1u);
  const std::string doc = sim_.RecentCalls().back().documentText;
  EXPECT_NE(doc.find("<sbjgjgDTO><sbjbjgDm>A2</sbjbjgDm><cxjmXxList><cxjmXxDTO><xm>无此人</xm>"), std::string::npos)
      << doc;
  EXPECT_FALSE(jt_->synPlCbryJfDjxxCx("[]", nullptr, result));
  EXPECT_EQ(jt_->GetErrorMessage(), "人员列表为空。");
}

// ---- One payer, one set of rows ---------------------------------------------------------------

TEST_F(GroupsFixture, TwoPayersNeverSeeOrRemoveEachOthersLines) {
  Add(*jt_, Json{Line("RY0001", 100), Line("RY0002", 50, "李四")});
  Add(*zf_, Json{Line("RY0003", 30)});
  EXPECT_EQ(jt_->getCount({}), 2);
  EXPECT_EQ(zf_->getCount({}), 1);
  double sum = 0;
  ASSERT_TRUE(jt_->getYjfehj({}, sum));
  EXPECT_DOUBLE_EQ(sum, 150);
  ASSERT_TRUE(zf_->getYjfehj({}, sum));
  EXPECT_DOUBLE_EQ(sum, 30);
  BzDjFilter byName;
  byName.xm = "李";
  EXPECT_EQ(Json::parse(jt_->getData(byName)).size(), 1u);
  EXPECT_EQ(Json::parse(zf_->getData(byName)).size(), 0u);
  BzDjFilter page;
  page.page = 2;
  page.pageSize = 1;
  EXPECT_EQ(Json::parse(jt_->getData(page))[0]["rybh"], "RY0002");
  int32_t deleted = 0;
  ASSERT_TRUE(zf_->delData({}, deleted));
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(jt_->getCount({}), 2) << "deleting everything of one payer keeps the other's";
}

TEST_F(GroupsFixture, TwoPayersNeverSeeEachOthersRecordsLinesOrListEntries) {
  Add(*jt_, Json{Line("RY0001", 100)});
  Add(*zf_, Json{Line("RY0003", 30)});
  const int32_t mine = Declare(*jt_), theirs = Declare(*zf_);
  ASSERT_GT(mine, 0);
  ASSERT_GT(theirs, 0);
  Verdict(*jt_, mine);
  Verdict(*zf_, theirs);
  ASSERT_TRUE(jt_->synSbqdCx("2026-01-01", "2026-12-31", nullptr)) << jt_->GetErrorMessage();
  ASSERT_TRUE(zf_->synSbqdCx("2026-01-01", "2026-12-31", nullptr)) << zf_->GetErrorMessage();
  EXPECT_EQ(jt_->getJlCount({}), 1) << "the list download matched the declared record";
  EXPECT_EQ(Json::parse(jt_->getJlData({}))[0]["id"], std::to_string(mine));
  EXPECT_EQ(Json::parse(jt_->getJlmxData(mine)).size(), 1u);
  EXPECT_EQ(Json::parse(jt_->getJlmxData(theirs)).size(), 0u);
  EXPECT_EQ(Json::parse(jt_->getQdData(mine)).size(), 1u);
  EXPECT_EQ(Json::parse(jt_->getQdData(theirs)).size(), 0u);
  BzDjFilter other;
  other.zbid = theirs;
  EXPECT_EQ(jt_->getJlrymxCount(other), 0);
  std::string sbzt;
  EXPECT_FALSE(jt_->synCxjmjtbzsbjgCx(theirs, nullptr, sbzt)) << "another payer's record is no record";
  EXPECT_FALSE(jt_->synSbZf(theirs, nullptr));
  EXPECT_EQ(Json::parse(zf_->getYzpzxhLb()).size(), 1u);
}

// ---- A declaration's life ---------------------------------------------------------------------

TEST_F(GroupsFixture, AnAcceptedDeclarationBringsItsVoucherAmountAndDate) {
  Add(*jt_, Json{Line("RY0001", 100), Line("RY0002", 80.5)});
  const int32_t id = Declare(*jt_);
  const std::string doc = sim_.RecentCalls().back().documentText;
  EXPECT_NE(doc.find("<jfrlxDm>8</jfrlxDm>"), std::string::npos) << doc;
  EXPECT_NE(doc.find("<sbmxDTO><jfmxxh>2</jfmxxh><sbjbjgDm>11101000001</sbjbjgDm><rybh>RY0002</rybh><xzlx>1</xzlx>"
                     "<jfnd>2024</jfnd><yjfe>80.50</yjfe></sbmxDTO>"),
            std::string::npos)
      << doc;
  EXPECT_EQ(Record(id).substr(0, 4), "1|0|") << "a new record waits, unpaid";
  EXPECT_EQ(Scalar("select jfjehj || '/' || jfrshj from ds_jtbzhsbjlb where id = " + std::to_string(id)), "180.50/2");
  EXPECT_EQ(Verdict(*jt_, id), "2");
  const std::string r = Record(id);
  EXPECT_EQ(r.substr(0, 10), "2|0|00000|") << r;
  EXPECT_NE(r.find("|180.50|2026-01-15"), std::string::npos) << r;
  EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlmxb where sbjg = 'Y' and zbid = " + std::to_string(id)), 2);
}

TEST_F(GroupsFixture, AWaitingVerdictKeepsTheDateThenAccepts) {
  Add(*jt_, Json{Line("WAIT0001", 100)});
  const int32_t id = Declare(*jt_);
  const std::string submitted = Record(id);
  EXPECT_EQ(Verdict(*jt_, id), "1");
  const std::string waiting = Record(id);
  EXPECT_EQ(waiting.substr(0, 10), "1|0|30015|");
  EXPECT_EQ(waiting.substr(waiting.rfind('|')), submitted.substr(submitted.rfind('|'))) << "the date is kept";
  EXPECT_FALSE(submitted.substr(submitted.rfind('|') + 1).empty());
  EXPECT_EQ(Verdict(*jt_, id), "2");
  EXPECT_EQ(Record(id).substr(0, 10), "2|0|00000|");
}

TEST_F(GroupsFixture, AFailedVerdictKeepsTheDateAndARejectedLineIsMarked) {
  Add(*zf_, Json{Line("FAIL0001", 100)});
  const int32_t failed = Declare(*zf_);
  const std::string submitted = Record(failed);
  EXPECT_EQ(Verdict(*zf_, failed), "3");
  EXPECT_EQ(Record(failed), "3|0|20001|||" + submitted.substr(submitted.rfind('|') + 1));
  EXPECT_EQ(Scalar("select sbyy from ds_jtbzhsbjlb where id = " + std::to_string(failed)), "缴费人参保信息校验不通过");

  int32_t deleted = 0;
  ASSERT_TRUE(zf_->delData({}, deleted));
  Add(*zf_, Json{Line("RY0001", 100), Line("ERR0002", 50)});
  const int32_t id = Declare(*zf_);
  EXPECT_EQ(Verdict(*zf_, id), "2");
  EXPECT_EQ(Scalar("select group_concat(jfmxxh || sbjg || ifnull(sbyy, ''), ',') from ds_jtbzhsbjlmxb where zbid = " +
                   std::to_string(id)),
            "1Y,2N人员编号不存在");
}

TEST_F(GroupsFixture, VoidingAcceptsTheAlreadyVoidedCodeAndReportsARefusal) {
  Add(*jt_, Json{Line("RY0001", 100)});
  const int32_t id = Declare(*jt_);
  EXPECT_FALSE(jt_->synSbZf(id, nullptr)) << "no voucher before the verdict";
  Verdict(*jt_, id);
  ASSERT_TRUE(jt_->synSbZf(id, nullptr)) << jt_->GetErrorMessage();
  EXPECT_EQ(Record(id).substr(0, 2), "5|");
  ASSERT_TRUE(dao_->ExecSQL("update ds_jtbzhsbjlb set sbzt = '2' where id = " + std::to_string(id)));
  ASSERT_TRUE(jt_->synSbZf(id, nullptr)) << "\"30035\": voided already";
  EXPECT_EQ(Record(id).substr(0, 2), "5|");
  ASSERT_TRUE(dao_->ExecSQL("update ds_jtbzhsbjlb set sbzt = '2', yzpzxh = 'UNKNOWN' where id = " + std::to_string(id)));
  EXPECT_FALSE(jt_->synSbZf(id, nullptr));
  EXPECT_EQ(jt_->GetErrorMessage(), "【30036】未找到该应征凭证");
  EXPECT_EQ(Record(id).substr(0, 2), "2|") << "a refused void changes nothing";
}

TEST_F(GroupsFixture, DeductionResultsGiveTheirPaymentStates) {
  Add(*jt_, Json{Line("RY0001", 100)});
  const int32_t id = Declare(*jt_);
  Verdict(*jt_, id);
  const std::string yzpzxh = Scalar("select yzpzxh from ds_jtbzhsbjlb where id = " + std::to_string(id));
  std::string jkzt;
  for (auto [paid, expected] : {std::pair{0.0, "0"}, {40.0, "2"}, {100.0, "3"}}) {
    Pay(yzpzxh, paid);
    ASSERT_TRUE(jt_->synKkjgCx(yzpzxh, nullptr, jkzt)) << jt_->GetErrorMessage();
    EXPECT_EQ(jkzt, expected) << paid;
    EXPECT_EQ(Scalar("select jkzt from ds_jtbzhsbjlb where id = " + std::to_string(id)), expected);
  }
  EXPECT_EQ(Json::parse(jt_->getWjkData()).size(), 0u) << "all paid";
  Pay(yzpzxh, 0);
  ASSERT_TRUE(jt_->synKkjgCx(yzpzxh, nullptr, jkzt));
  EXPECT_EQ(Json::parse(jt_->getWjkData()).size(), 1u);
  Fault(R"({"kind":"refuse","code":"10042","message":"系统繁忙"})");
  EXPECT_FALSE(jt_->synKkjgCx(yzpzxh, nullptr, jkzt));
  EXPECT_EQ(jt_->GetErrorMessage().rfind("异步请求失败！", 0), 0u) << jt_->GetErrorMessage();
}

TEST_F(GroupsFixture, TheServersRecordSummaryAndPersonsOfAVoucher) {
  Add(*jt_, Json{Line("RY0001", 100)});
  const int32_t id = Declare(*jt_);
  Verdict(*jt_, id);
  std::string yblsh, result;
  ASSERT_TRUE(jt_->synCxjmjtbzhSbcx(R"({"sbrqq":"2026-01-01","sbrqz":"2026-12-31"})", yblsh)) << jt_->GetErrorMessage();
  bool done = false;
  for (int i = 0; i < 20 && !done; ++i) done = jt_->synCxjmjtbzhSbcxFk(yblsh, result);
  ASSERT_TRUE(done) << jt_->GetErrorMessage();
  Json record = Json::parse(result);
  ASSERT_EQ(record["sbxxList"].size(), 1u);
  EXPECT_EQ(record["sbxxList"][0]["sbzt"], "2");
  ASSERT_TRUE(jt_->synJfrHzCx(result)) << jt_->GetErrorMessage();
  EXPECT_EQ(Json::parse(result)["sbs"], "1");
  EXPECT_EQ(Json::parse(sim_.RecentCalls().back().body), (Json{{"djxh", kCollective}})) << "djxh alone";
  ASSERT_TRUE(zf_->synJfrHzCx(result));
  EXPECT_EQ(Json::parse(result)["jfrlx"], "9");
  const std::string yzpzxh = Scalar("select yzpzxh from ds_jtbzhsbjlb where id = " + std::to_string(id));
  ASSERT_TRUE(jt_->synSbmxjlCx(yzpzxh, nullptr, result)) << jt_->GetErrorMessage();
  EXPECT_EQ(Json::parse(result).size(), 1u);
  ASSERT_TRUE(jt_->synSbmxjlCx("NONE", nullptr, result)) << "\"30062\": no persons";
  EXPECT_EQ(result, "[]");
}

}  // namespace
}  // namespace velmor::testing
