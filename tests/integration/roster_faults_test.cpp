// The enrolment download under faults and hostile records: a record holding a value the store
// cannot hold is refused by name while the rest is stored, items the server no longer has are
// swept from persons that stay, a job refused with a code shows the server's reason, enrolment
// records without their keys fail the download, a full disk is named, and bookkeeping that cannot
// be written fails the call.
#include "scheme_fixture.h"
#include "taxsim/codec.h"

namespace velmor::testing {
namespace {

using RosterFaults = SchemeFixture;

std::string PersonsOf(const std::string& extra = "") {
  return "select count(*) as n from sb_ryjbxxb where djxh = '" + kPayer + "'" + extra;
}

TEST_F(RosterFaults, ARecordWithANulIsRefusedByNameAndTheRestIsStored) {
  FullSync();
  const std::string bad = SimPerson(2);
  const std::string rybh = sim_.WithState([&](taxsim::State& s) {
    for (const auto& e : s.enrolments)
      if (e.rydjxh == bad) return e.rybh;
    return std::string();
  });
  const int items = Count("select count(*) as n from sb_rycbxmb where rydjxh = '" + bad + "'");
  ASSERT_GT(items, 0);
  Control({{"op", "change"}, {"rydjxh", bad}, {"xm", std::string("坏\0名", 7)}});
  Control({{"op", "change"}, {"rydjxh", SimPerson(3)}, {"xm", "改名后"}});
  std::string message;
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  EXPECT_EQ(message, "部分记录未入库：人员信息1条含无法保存的字符，未入库（人员编号" + rybh + "的xm），其参保信息" +
                         std::to_string(items) + "条一并未入库");
  EXPECT_EQ(svc_->GetErrorMessage(), message);
  EXPECT_NE(env_->LogText().find("人员编号" + rybh + "的xm"), std::string::npos);
  // The others are stored; the refused person keeps what the store had, items included.
  EXPECT_EQ(Scalar("select xm from sb_ryjbxxb where rydjxh = '" + SimPerson(3) + "'"), "改名后");
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()));
  EXPECT_NE(Scalar("select xm from sb_ryjbxxb where rydjxh = '" + bad + "'"), "<none>");
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where rydjxh = '" + bad + "'"), items);
}

TEST_F(RosterFaults, AFullDownloadSweepsTheItemsTheServerNoLongerHasFromPersonsThatStay) {
  const std::string kept = SimPerson(4);
  sim_.WithState([&](taxsim::State& s) {
    for (const auto& it : s.items) {
      if (it.rydjxh != kept) continue;
      taxsim::Item extra = it;
      extra.xzid = "EXTRA-1";
      s.items.push_back(extra);
      break;
    }
    s.Reindex();
    return 0;
  });
  FullSync();
  ASSERT_EQ(Count("select count(*) as n from sb_rycbxmb where xzid = 'EXTRA-1'"), 1);
  const int before = Count("select count(*) as n from sb_rycbxmb where rydjxh = '" + kept + "'");
  sim_.WithState([&](taxsim::State& s) {
    std::erase_if(s.items, [](const taxsim::Item& it) { return it.xzid == "EXTRA-1"; });
    s.Reindex();
    return 0;
  });
  std::string message;
  // An incremental download cannot tell what went: it keeps the item.
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, true, nullptr, message)) << message;
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where xzid = 'EXTRA-1'"), 1);
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where xzid = 'EXTRA-1'"), 0);
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where rydjxh = '" + kept + "'"), before - 1);
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = '" + kept + "'")), 1) << "the person stays";
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where djxh = '" + kPayer + "'"), static_cast<int>(SimItems()));
}

TEST_F(RosterFaults, AJobRefusedWithACodeShowsTheServersReason) {
  FullSync();
  Fault(R"({"kind":"code","serviceCode":"0058","endpoint":"submit","code":"30001","message":"纳税人状态异常"})");
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_EQ(message.rfind("同步异常：【30001】", 0), 0u) << message;
  EXPECT_EQ(message.find("gzip"), std::string::npos) << message;
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons())) << "the roster as it was";
  // The declaration-state jobs the same way.
  Fault(R"({"kind":"code","serviceCode":"0108","endpoint":"submit","code":"30002","message":"查询条件有误"})");
  int32_t stored = 0;
  EXPECT_FALSE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message));
  EXPECT_NE(message.find("【30002】"), std::string::npos) << message;
}

// The enrolment records are checked as each answer comes in, before any person is stored.
TEST_F(RosterFaults, EnrolmentRecordsWithoutTheirItemKeyFailTheDownloadAndKeepTheRoster) {
  FullSync();
  const int items = Count("select count(*) as n from sb_rycbxmb");
  sim_.Handlers().Add("0058", [](const taxsim::Call&, taxsim::State&) {
    return taxsim::Answer::JsonText(taxsim::Base64Encode(taxsim::Gzip(R"([{"cbxxID":"CB1","djxh":"1"}])")),
                                    wire::kAnswered, "1");
  });
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_NE(message.find("参保信息缺少字段[cbxxID]或[cbxzID]"), std::string::npos) << message;
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons())) << "the roster as it was";
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb"), items);
}

TEST_F(RosterFaults, AFullDiskIsNamedAndLeavesTheRosterAsItWas) {
  FullSync();
  const int items = Count("select count(*) as n from sb_rycbxmb");
  // The disk fills while the download marks the persons it is about to refresh.
  ASSERT_TRUE(dao_->ExecSQL("create trigger full_disk before update on sb_ryjbxxb begin "
                            "select raise(abort, 'database or disk is full'); end"));
  Control({{"op", "end"}, {"rydjxh", SimPerson(1)}});
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_EQ(message, "同步异常：保存数据库失败！（磁盘空间不足）");
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb"), items);
}

TEST_F(RosterFaults, BookkeepingThatCannotBeWrittenFailsTheCallButKeepsTheRoster) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  ASSERT_TRUE(dao_->ExecSQL("create trigger no_bookkeeping before insert on sb_xtcsb when new.key = "
                            "'last_cxjmry_gxsj' begin select raise(abort, 'database or disk is full'); end"));
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_EQ(message, "同步异常：参保人员已保存，但下载进度参数未能保存，请重新同步：[last_cxjmry_gxsj]");
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons())) << "the roster is stored";
  EXPECT_EQ(Param("IsUpdatedAllCbxx"), "1") << "the other values are written";
  EXPECT_EQ(Param("last_cxjmry_gxsj"), "");
}

}  // namespace
}  // namespace velmor::testing
