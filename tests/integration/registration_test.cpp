// The residents' payment registration through the loaded plug-in against the simulator: the
// scheme account from either download, the pending list, submissions and their verdicts.
#include "host/db/fault_injection.h"
#include "residents_fixture.h"
#include "velmor/cxjmjfdjxxgl.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class Registration : public ResidentsFixture {
 protected:
  Registration() { reg_ = env_->plugin().CreateService<ICxjmjfdjxxgl>(); }
  ~Registration() override {
    FaultInjection::Clear();
    reg_ = nullptr;
  }

  std::string Error() { return reg_->GetErrorInfo()->GetErrorMsg(); }

  // A pending person of the first simulated person, in `office`, with one line to open and one
  // left unchanged.
  Ref<IJfdjItem> SavePerson(size_t k, const std::string& office, const std::string& name = "") {
    taxsim::Person sp = SimPersonAt(k);
    Ref<IJfdjItem> p = reg_->NewJfdj_Ry_Item();
    p->Set("swjgDm", office);
    p->Set("czlx", "1");
    p->Set("xm", name.empty() ? sp.xm : name);
    p->Set("zjlxDm", sp.zjlxDm);
    p->Set("zjhm", sp.zjhm);
    p->Set("sjgghdqDm", "156");
    p->Set("hjszd", "O'Neil街<1>号");
    Ref<IJfdjItems> lines = reg_->NewJfdj_Xz_Items();
    for (const char* czlx : {"1", "0"}) {
      Ref<IJfdjItem> l = reg_->NewJfdj_Xz_Item();
      l->Set("czlx", czlx);
      l->Set("xzlxDm", czlx == std::string("1") ? "110" : "310");
      l->Set("jfdXzqhDm", "110101");
      l->Set("jfbz", "380.5");
      lines->Add(l.get());
    }
    EXPECT_TRUE(reg_->saveJfdj_RyItem_XzItems(p.get(), lines.get())) << Error();
    return p;
  }

  Ref<IJfdjItems> Pending() {
    Ref<IJfdjItems> all = reg_->NewJfdj_Ry_Items();
    EXPECT_TRUE(reg_->getJfdj_Ry_Data(nullptr, -1, 0, all.get())) << Error();
    return all;
  }
  Ref<IJfdjItems> Submissions() {
    Ref<IJfdjItems> all = reg_->NewJfdjjl_Items();
    EXPECT_TRUE(reg_->getJfdjjl_Data(nullptr, -1, 0, all.get())) << Error();
    return all;
  }

  // After either download: the scheme lookups, the roster sync and the region filter work.
  void ExpectWorkingAccount() {
    std::vector<std::string> types;
    ASSERT_TRUE(mgr_->GetXzlxList(kPayer, types)) << mgr_->GetErrorMessage();
    EXPECT_EQ(types, (std::vector<std::string>{"110", "310", "410"}));
    Ref<IXnhCbxxItems> items;
    ASSERT_TRUE(mgr_->queryXnhCbxxItems(nullptr, items)) << mgr_->GetErrorMessage();
    EXPECT_EQ(items->GetCount(), 3);
    std::string message;
    EXPECT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
    Ref<IJfdjQueryCondition> qc = reg_->NewXnhcbxm_QueryCondition();
    qc->SetField("dsXzqhDm", Scalar("select xzqhdm from sb_xnhcbjgxxb limit 1"));
    EXPECT_EQ(reg_->getXnhcbxm_Count(qc.get()), 3) << "the region filter finds the items";
    qc->SetField("xzlxDm", "110");
    Ref<IJfdjItems> one = reg_->NewXnhcbxm_Items();
    ASSERT_TRUE(reg_->getXnhcbxm_Data(qc.get(), 1, 10, one.get()));
    ASSERT_EQ(one->GetCount(), 1);
    EXPECT_EQ(one->GetRecord(0)->Get("xzlxDm"), "110");
  }

  Ref<ICxjmjfdjxxgl> reg_;
};

// ---- One scheme account from either download --------------------------------------------

TEST_F(Registration, AccountDownloadThenRegistrationDownload) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  ASSERT_TRUE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr)) << Error();
  ExpectWorkingAccount();
  EXPECT_EQ(Count("select count(*) from sb_xnhjbxxb where djxh = '" + kPayer + "'"), 1) << "the closed office is left out";
  EXPECT_EQ(Scalar("select zgswksMc from sb_xnhjbxxb"), "第一税务所") << "kept from the account download";
  EXPECT_EQ(Scalar("select glbz from sb_xnhjbxxb"), "1");
  EXPECT_EQ(Scalar("select sshydlDm from sb_xnhcbjgxxb"), "S") << "brought by the registration download";
  EXPECT_EQ(Count("select count(*) from sb_xnhcbxmb where tzjfyf = '9999-12'"), 2) << "item months kept";
  EXPECT_EQ(Count("select count(*) from sb_xnhcbxmb where xzid like 'XZ%'"), 3);
  EXPECT_EQ(Count("select count(*) from sb_xnhcbxmb where sqhczdm = 'null'"), 0);
}

TEST_F(Registration, RegistrationDownloadThenAccountDownload) {
  ASSERT_TRUE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr)) << Error();
  ExpectWorkingAccount();
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  ExpectWorkingAccount();
  EXPECT_EQ(Scalar("select sshydlDm from sb_xnhcbjgxxb"), "S") << "kept from the registration download";
  EXPECT_EQ(Scalar("select lxdzyx from sb_xnhcbjgxxb"), "sim@example.com");
  EXPECT_EQ(Count("select count(*) from sb_xnhcbjgxxb"), 1) << "one unit, not one per download";
}

TEST_F(Registration, AFailedDownloadKeepsTheAccount) {
  ASSERT_TRUE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr)) << Error();
  Fault(R"({"kind": "code", "code": "30009", "message": "查询失败", "serviceCode": "0160"})");
  EXPECT_FALSE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr));
  EXPECT_EQ(Error(), "反馈报文异常：查询失败");
  Garble("0160");
  EXPECT_FALSE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr));
  EXPECT_EQ(Error().rfind("反馈报文异常：", 0), 0u) << Error();
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(reg_->synCxjmxnhshbxfjfdjxxCx(nullptr));
  FaultInjection::Clear();
  EXPECT_EQ(Count("select count(*) from sb_xnhcbxmb"), 3) << "replaced in one transaction or not at all";
}

// ---- The pending list -----------------------------------------------------------------

TEST_F(Registration, PendingPersonsAreSavedFoundUpdatedAndDeleted) {
  Ref<IJfdjItem> p = SavePerson(0, "OFFICE1");
  ASSERT_GT(p->GetId(), 0);
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1);
  Ref<IJfdjQueryCondition> lines = reg_->NewJfdj_Xz_QueryCondition();
  lines->SetField("zbid", std::to_string(p->GetId()));
  EXPECT_EQ(reg_->getJfdj_Xz_Count(lines.get()), 2);
  EXPECT_EQ(Scalar("select hjszd from ds_jfdjryb"), "O'Neil街<1>号");

  Ref<IJfdjItem> existing;
  ASSERT_TRUE(reg_->ry5JfdjExits(p.get(), existing)) << Error();
  EXPECT_EQ(existing->GetId(), p->GetId());
  p->Set("czlx", "2");
  ASSERT_TRUE(reg_->saveJfdj_RyItem_XzItems(p.get(), reg_->NewJfdj_Xz_Items().get())) << Error();
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1) << "rewritten, not added";
  EXPECT_EQ(reg_->getJfdj_Xz_Count(lines.get()), 0) << "lines replaced";
  Ref<IJfdjQueryCondition> qc = reg_->NewJfdj_Ry_QueryCondition();
  qc->SetXm(p->Get("xm").substr(0, 3));
  qc->SetField("czlx", "2");
  EXPECT_EQ(reg_->getJfdj_Ry_Count(qc.get()), 1);
  qc->SetXm("x' or '1'='1");
  EXPECT_EQ(reg_->getJfdj_Ry_Count(qc.get()), 0);

  ASSERT_TRUE(reg_->delJfdj_Ry_Data(p->GetId())) << Error();
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 0);
  EXPECT_FALSE(reg_->ry5JfdjExits(p.get(), existing));
  EXPECT_FALSE(existing);
}

TEST_F(Registration, BadArgumentsAreRefusedWithTheirReason) {
  Ref<IJfdjItems> wrong = reg_->NewJfdjjl_Items();
  EXPECT_FALSE(reg_->getJfdj_Ry_Data(nullptr, 1, 10, wrong.get()));
  EXPECT_EQ(Error(), "参数不是TJfdj_Ry_Items对象。");
  EXPECT_FALSE(reg_->saveJfdj_RyItem_XzItems(reg_->NewJfdj_Xz_Item().get(), nullptr));
  EXPECT_EQ(Error(), "参数不是TJfdj_Ry_Item对象。");
  Ref<IJfdjQueryCondition> qc = reg_->NewJfdj_Xz_QueryCondition();
  qc->SetField("zbid", "1 or 1=1");
  EXPECT_EQ(reg_->getJfdj_Xz_Count(qc.get()), -1);
  EXPECT_FALSE(qc->SetField("nosuch", "1"));
  EXPECT_FALSE(reg_->NewJfdj_Ry_Item()->Set("nosuch", "1"));
  EXPECT_FALSE(reg_->getJfdj_Ry_Data(nullptr, 0, 10, reg_->NewJfdj_Ry_Items().get())) << "page 0";
}

TEST_F(Registration, TwoPayersNeverSeeEachOthersPendingOrSubmittedLines) {
  Ref<IJfdjItem> mine = SavePerson(0, "OFFICE1");
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jfdjryb (djxh, xm, swjgDm) values ('OTHER', '别人', 'OFFICE1')"));
  const std::string other = Scalar("select id from ds_jfdjryb where djxh = 'OTHER'");
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jfdjxzb (zbid, czlx, xzlxDm) values (" + other + ", '1', '999')"));
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jfdjjlryb (zbid, djxh, xm) values (77, 'OTHER', '别人')"));
  const std::string otherJl = Scalar("select id from ds_jfdjjlryb where djxh = 'OTHER'");
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_jfdjjlxzb (zbid, xzlxDm, code) values (" + otherJl + ", '999', '1')"));

  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1);
  EXPECT_EQ(reg_->getJfdj_Xz_Count(nullptr), 2) << "only my person's lines";
  Ref<IJfdjQueryCondition> qc = reg_->NewJfdj_Xz_QueryCondition();
  qc->SetField("zbid", other);
  EXPECT_EQ(reg_->getJfdj_Xz_Count(qc.get()), 0) << "another payer's person by id";
  EXPECT_EQ(reg_->getJfdjjl_Xz_Count(nullptr), 0);
  Ref<IJfdjQueryCondition> jl = reg_->NewJfdjjl_Xz_QueryCondition();
  jl->SetField("zbid", otherJl);
  Ref<IJfdjItems> rows = reg_->NewJfdjjl_Xz_Items();
  ASSERT_TRUE(reg_->getJfdjjl_Xz_Data(jl.get(), -1, 0, rows.get()));
  EXPECT_EQ(rows->GetCount(), 0);

  ASSERT_TRUE(reg_->delJfdj_Ry_Data(std::stoll(other)));
  EXPECT_EQ(Count("select count(*) from ds_jfdjryb where djxh = 'OTHER'"), 1) << "not mine to delete";
  EXPECT_EQ(Count("select count(*) from ds_jfdjxzb where zbid = " + other), 1);
}

TEST_F(Registration, RosterPersonsConvertIntoPendingRecords) {
  FullSync();
  Ref<IJfdjItems> roster = reg_->NewRyjbxx_Items();
  ASSERT_TRUE(reg_->getRyjbxx_Data(nullptr, 1, 3, roster.get())) << Error();
  ASSERT_EQ(roster->GetCount(), 3);
  EXPECT_EQ(reg_->getRyjbxx_Count(nullptr), static_cast<int32_t>(SimPersons()));
  Ref<IJfdjItem> first = roster->GetRecord(0);
  EXPECT_NE(first->Get("id"), "") << "the person's own id, not the group's";
  Ref<IJfdjItems> pending = reg_->NewJfdj_Ry_Items();
  ASSERT_TRUE(reg_->RyjbxxItemsToJfdjRyItems(roster.get(), pending.get())) << Error();
  ASSERT_EQ(pending->GetCount(), 3);
  EXPECT_EQ(pending->GetRecord(0)->Get("zjhm"), first->Get("zjhm"));
  EXPECT_EQ(pending->GetRecord(0)->Get("sfydj"), "Y");

  Ref<IJfdjQueryCondition> qc = reg_->NewRycbxm_QueryCondition();
  qc->SetField("rydjxh", first->Get("rydjxh"));
  Ref<IJfdjItems> lines = reg_->NewRycbxm_Items();
  ASSERT_TRUE(reg_->getRycbxm_Data(qc.get(), -1, 0, lines.get())) << Error();
  ASSERT_GT(lines->GetCount(), 0);
  EXPECT_EQ(reg_->getRycbxm_Count(qc.get()), lines->GetCount());
  Ref<IJfdjItems> xz = reg_->NewJfdj_Xz_Items();
  ASSERT_TRUE(reg_->RycbxmItemsToJfdjXzItems(lines.get(), xz.get())) << Error();
  EXPECT_EQ(xz->GetRecord(0)->Get("xzlxDm"), lines->GetRecord(0)->Get("xzlxdm"));
  EXPECT_EQ(xz->GetRecord(0)->Get("czlx"), "0");
  EXPECT_FALSE(reg_->RyjbxxItemToJfdjRyItem(lines->GetRecord(0).get(), pending->GetRecord(0).get()));

  // The person is enrolled under its office; a stranger is not.
  Ref<IJfdjItem> p = pending->GetRecord(0);
  p->Set("swjgDm", Scalar("select swjgDm from sb_rycbjgxxb where rydjxh = '" + first->Get("rydjxh") + "'"));
  p->Set("sjgghdqDm", first->Get("gjdqdm"));
  EXPECT_TRUE(reg_->ry5JbxxExits(p.get())) << Error();
  p->Set("zjhm", "000");
  EXPECT_FALSE(reg_->ry5JbxxExits(p.get()));
}

// ---- Submissions and verdicts ----------------------------------------------------------

TEST_F(Registration, OneSubmissionPerOfficeAndUnchangedLinesLeftOut) {
  SavePerson(0, "OFFICE1");
  SavePerson(1, "OFFICE2");
  SavePerson(2, "OFFICE1");
  ASSERT_TRUE(reg_->submitData(Pending().get(), nullptr)) << Error();
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 0) << "accepted persons leave the pending list";
  EXPECT_EQ(Count("select count(*) from ds_jfdjxzb"), 0);
  EXPECT_EQ(reg_->getJfdjjl_Count(nullptr), 2);
  EXPECT_EQ(Count("select jmzs from ds_jfdjjlb where swjgDm = 'OFFICE1'"), 2);
  EXPECT_EQ(Count("select jmzs from ds_jfdjjlb where swjgDm = 'OFFICE2'"), 1);
  EXPECT_EQ(Count("select count(*) from ds_jfdjjlb where zt = '1'"), 2);
  EXPECT_EQ(reg_->getJfdjjl_Xz_Count(nullptr), 3) << "only the lines sent";
  EXPECT_EQ(Count("select count(*) from ds_jfdjjlxzb where xzlxDm = '310'"), 0);
  sim_.WithState([](taxsim::State& s) {
    for (const auto& [serial, request] : s.residents["jfdj"].items())
      for (const auto& person : request["persons"]) EXPECT_EQ(person["lines"].size(), 1u) << serial;
    return 0;
  });
}

TEST_F(Registration, VerdictsProcessingAcceptedAndRejected) {
  SavePerson(0, "OFFICE1");
  SavePerson(1, "OFFICE1", "");
  dao_->ExecSQL("update ds_jfdjryb set zjhm = '' where id = (select max(id) from ds_jfdjryb)");
  ASSERT_TRUE(reg_->submitData(Pending().get(), nullptr)) << Error();
  Ref<IJfdjItem> sub = Submissions()->GetRecord(0);

  sim_.WithState([](taxsim::State& s) {
    s.residents["jfdjProcessingPolls"] = 1;
    return 0;
  });
  ASSERT_TRUE(reg_->getRespData(sub.get(), nullptr)) << Error();
  EXPECT_EQ(sub->Get("zt"), "1") << "10001: still processing";
  ASSERT_TRUE(reg_->getRespData(sub.get(), nullptr)) << Error();
  EXPECT_EQ(sub->Get("zt"), "2");
  EXPECT_EQ(Scalar("select zt from ds_jfdjjlb"), "2");

  Ref<IJfdjQueryCondition> qc = reg_->NewJfdjjl_Ry_QueryCondition();
  qc->SetField("jgbz", "1");
  EXPECT_EQ(reg_->getJfdjjl_Ry_Count(qc.get()), 1);
  qc->SetField("jgbz", "2");
  Ref<IJfdjItems> rejected = reg_->NewJfdjjl_Ry_Items();
  ASSERT_TRUE(reg_->getJfdjjl_Ry_Data(qc.get(), 1, 10, rejected.get()));
  ASSERT_EQ(rejected->GetCount(), 1);
  EXPECT_EQ(rejected->GetRecord(0)->Get("code"), "20001");
  EXPECT_EQ(rejected->GetRecord(0)->Get("sbyy"), "姓名或证件号码为空");
  Ref<IJfdjQueryCondition> lines = reg_->NewJfdjjl_Xz_QueryCondition();
  lines->SetField("jgbz", "2");
  EXPECT_EQ(reg_->getJfdjjl_Xz_Count(lines.get()), 1);
  lines->SetField("jgbz", "1");
  EXPECT_EQ(reg_->getJfdjjl_Xz_Count(lines.get()), 1);
  ASSERT_TRUE(dao_->ExecSQL("update ds_jfdjjlryb set code = null where code = '00000'"));
  qc->SetField("jgbz", "2");
  EXPECT_EQ(reg_->getJfdjjl_Ry_Count(qc.get()), 1) << "a null code is not a rejection";
}

TEST_F(Registration, VerdictFailures) {
  SavePerson(0, "OFFICE1", "拒绝者");
  ASSERT_TRUE(reg_->submitData(Pending().get(), nullptr)) << Error();
  Ref<IJfdjItem> sub = Submissions()->GetRecord(0);

  Refuse("10042", "0163");
  EXPECT_FALSE(reg_->getRespData(sub.get(), nullptr));
  EXPECT_EQ(Scalar("select zt from ds_jfdjjlb"), "1") << "the busy refusal changes nothing";
  Garble("0163");
  EXPECT_FALSE(reg_->getRespData(sub.get(), nullptr));
  EXPECT_EQ(Error().rfind("反馈报文异常：", 0), 0u) << Error();
  EXPECT_EQ(Scalar("select zt from ds_jfdjjlb"), "1");

  ASSERT_TRUE(reg_->getRespData(sub.get(), nullptr)) << Error();
  EXPECT_EQ(Scalar("select zt from ds_jfdjjlb"), "3");
  EXPECT_EQ(Scalar("select sbyy from ds_jfdjjlb"), "登记申请被拒绝");

  Refuse("30002", "0163");
  ASSERT_TRUE(reg_->getRespData(sub.get(), nullptr)) << Error();
  EXPECT_EQ(Scalar("select zt from ds_jfdjjlb"), "3");
  EXPECT_FALSE(reg_->getRespData(reg_->NewJfdjjl_Item().get(), nullptr)) << "no such submission";
}

TEST_F(Registration, AFailedGroupLeavesItsPendingPersons) {
  SavePerson(0, "OFFICE1");
  SavePerson(1, "OFFICE2");
  Fault(R"({"kind": "refuse", "code": "10009", "message": "系统繁忙", "serviceCode": "0162", "count": 1})");
  EXPECT_FALSE(reg_->submitData(Pending().get(), nullptr));
  EXPECT_NE(Error().find("系统繁忙"), std::string::npos) << Error();
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1) << "one group failed, the other went through";
  EXPECT_EQ(reg_->getJfdjjl_Count(nullptr), 1);
  Fault(R"({"kind": "code", "code": "30003", "message": "申请有误", "serviceCode": "0162"})");
  EXPECT_FALSE(reg_->submitData(Pending().get(), nullptr));
  EXPECT_NE(Error().find("申请有误"), std::string::npos) << Error();
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1);
  EXPECT_FALSE(reg_->submitData(reg_->NewJfdj_Ry_Items().get(), nullptr)) << "nothing to submit";
}

TEST_F(Registration, ALocalSaveFailureAfterAcceptanceIsNotSentTwice) {
  SavePerson(0, "OFFICE1");
  auto requests = [&] {
    return sim_.WithState([](taxsim::State& s) { return s.residents["jfdj"].size(); });
  };
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(reg_->submitData(Pending().get(), nullptr));
  FaultInjection::Clear();
  EXPECT_EQ(reg_->GetErrorInfo()->GetErrorCode(), kJfdjAcceptedNotSaved);
  EXPECT_NE(Error().find("已受理"), std::string::npos) << Error();
  EXPECT_EQ(requests(), 1u);
  EXPECT_EQ(reg_->getJfdj_Ry_Count(nullptr), 1) << "nothing half-written";
  EXPECT_EQ(reg_->getJfdjjl_Count(nullptr), 0);

  ASSERT_TRUE(reg_->submitData(Pending().get(), nullptr)) << Error();
  EXPECT_EQ(requests(), 1u) << "recorded under the kept serial, not sent again";
  EXPECT_EQ(reg_->getJfdjjl_Count(nullptr), 1);
  Ref<IJfdjItem> sub = Submissions()->GetRecord(0);
  ASSERT_TRUE(reg_->getRespData(sub.get(), nullptr)) << Error();
  EXPECT_EQ(sub->Get("zt"), "2") << "the kept serial is the server's";
}

}  // namespace
}  // namespace velmor::testing
