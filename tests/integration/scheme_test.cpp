// The scheme-account manager through the loaded plug-in against the simulator.
#include "scheme_fixture.h"

namespace velmor::testing {
namespace {

using SchemeManager = SchemeFixture;

TEST_F(SchemeManager, DownloadReplacesTheAccountAndRecordsTheTime) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  EXPECT_EQ(Count("select count(*) as n from sb_xnhjbxxb where djxh = '" + kPayer + "'"), 1);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbjgxxb where djxh = '" + kPayer + "'"), 1);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where djxh = '" + kPayer + "'"), 3);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb b, sb_xnhcbjgxxb a where b.zbid = a.id and a.zbid in "
                  "(select id from sb_xnhjbxxb)"),
            3)
      << "each child names its parent";
  EXPECT_FALSE(Param("xnhdjxx_gxsj").empty());
  std::vector<std::string> types;
  ASSERT_TRUE(mgr_->GetXzlxList(kPayer, types));
  EXPECT_EQ(types, (std::vector<std::string>{"110", "310", "410"}));

  // A stale item and an item of another payer: the first is gone after the next download.
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_xnhcbxmb (djxh, xzid) values ('" + kPayer + "', 'STALE'), ('OTHER', 'KEEP')"));
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where xzid = 'STALE'"), 0);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where xzid = 'KEEP'"), 1);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhjbxxb where djxh = '" + kPayer + "'"), 1) << "replaced, not merged";
}

TEST_F(SchemeManager, ANullCommunityIsStoredEmptyAndMatchedByAnEmptyCondition) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where sqhczdm = ''"), 1);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where sqhczdm = 'null'"), 0);

  Ref<IXnhCbxxItems> all, empty;
  ASSERT_TRUE(mgr_->queryXnhCbxxItems(nullptr, all)) << mgr_->GetErrorMessage();
  EXPECT_EQ(all->GetCount(), 3);
  Ref<IXnhCbxxQc> qc = mgr_->NewCbxxQc();
  qc->SetSqhczdm("");
  ASSERT_TRUE(mgr_->queryXnhCbxxItems(qc.get(), empty)) << mgr_->GetErrorMessage();
  ASSERT_EQ(empty->GetCount(), 1);
  EXPECT_EQ(empty->GetCbxxItem(0)->GetSqhczdm(), "");
  EXPECT_EQ(empty->GetCbxxItem(0)->GetZsxmdm(), "10212");
  qc->SetZsxmdm("10210");
  ASSERT_TRUE(mgr_->queryXnhCbxxItems(qc.get(), empty));
  EXPECT_EQ(empty->GetCount(), 0) << "both filters apply";
}

TEST_F(SchemeManager, CollectionModesAreAskedForEveryItemAndLeaveNoneWithoutAMode) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  // An item whose unit is not in the account is asked about too.
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_xnhcbxmb (djxh, xzid, sbjbjgdm, zsxmdm, zspmdm, zszmdm) values ('" +
                            kPayer + "', 'LOOSE', 'X', 'Y', '', '')"));
  ASSERT_TRUE(mgr_->downloadZjms(nullptr)) << mgr_->GetErrorMessage();
  int32_t total = 0, m01 = 0, m02 = 0;
  ASSERT_TRUE(mgr_->getZjms(kPayer, total, m01, m02)) << mgr_->GetErrorMessage();
  EXPECT_EQ(total, 4);
  EXPECT_EQ(m01, 2) << "the server's 00, twice";
  EXPECT_EQ(m02, 1) << "the server's 01";
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where djxh = '" + kPayer + "' and zjms = '00'"), 1)
      << "an unknown code gets 00";
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where zjms = '01' and xzid = 'LOOSE'"), 1);
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where ifnull(zjms, '') = ''"), 0);
}

TEST_F(SchemeManager, CollectionModesOfAnEndedUnitAreAskedToo) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  ASSERT_TRUE(dao_->ExecSQL("update sb_xnhcbjgxxb set yxbz = 'N' where djxh = '" + kPayer + "'"));
  ASSERT_TRUE(mgr_->downloadZjms(nullptr)) << mgr_->GetErrorMessage();
  int32_t total = 0, m01 = 0, m02 = 0;
  ASSERT_TRUE(mgr_->getZjms(kPayer, total, m01, m02));
  EXPECT_EQ(total, 3);
  EXPECT_EQ(m01, 1);
  EXPECT_EQ(m02, 1) << "the answer was stored although no unit is valid any more";
}

TEST_F(SchemeManager, StoreOperationsAnswerThroughTheManagerAsThroughTheStore) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  Ref<IXnhDAO> dao = mgr_->GetDAO();
  EXPECT_TRUE(mgr_->HasXnhDjxx(kPayer));
  EXPECT_EQ(mgr_->GetSwjgList(kPayer), dao->GetSwjgList(kPayer));
  EXPECT_EQ(mgr_->getCbxxData(kPayer, "", 1, 2), dao->getCbxxData(kPayer, "", 1, 2));
  EXPECT_EQ(mgr_->GetSbjbjgText(kPayer), dao->GetSbjbjgText(kPayer));
  EXPECT_EQ(mgr_->getAllDwbhList(kPayer, {"5"}, "Y"), dao->getAllDwbhList(kPayer, {"5"}, "Y"));
  EXPECT_TRUE(mgr_->GetErrorMessage().empty());
  // The store's failure text becomes the manager's.
  ASSERT_TRUE(dao_->ExecSQL("drop table sb_xnhcbxmb"));
  EXPECT_EQ(mgr_->getXzjdZspm(kPayer), "[]");
  const std::string viaManager = mgr_->GetErrorMessage();
  EXPECT_FALSE(viaManager.empty());
  dao->getXzjdZspm(kPayer);
  EXPECT_EQ(viaManager, dao->GetErrorMessage());
  EXPECT_TRUE(mgr_->GetSwjgList(kPayer) != "[]") << "a later call starts with a clear message";
  EXPECT_TRUE(mgr_->GetErrorMessage().empty());
}

TEST_F(SchemeManager, LookupsOfTheValidUnits) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  Ref<IXnhDAO> dao = mgr_->GetDAO();
  nlohmann::json open = nlohmann::json::parse(dao->getYxCbxx(kPayer, "2030-01"));
  EXPECT_EQ(open.size(), 3u) << "an item without a last month is still open";
  EXPECT_EQ(nlohmann::json::parse(dao->GetSwjgList(kPayer)).size(), 1u);
  EXPECT_EQ(dao->GetSbjbjgText(kPayer).find("\r\n"), std::string::npos);
  nlohmann::json agencies = nlohmann::json::parse(dao->GetSbjbjgList(kPayer, ""));
  ASSERT_EQ(agencies.size(), 1u);
  const std::string agency = agencies[0];
  EXPECT_EQ(nlohmann::json::parse(dao->GetZsxmDmList(kPayer, agency)).size(), 3u);
  EXPECT_EQ(nlohmann::json::parse(dao->GetZspmDmList(kPayer, agency, "10210")),
            nlohmann::json::parse(R"(["102101000"])"));
  EXPECT_EQ(nlohmann::json::parse(dao->GetDwbhList(kPayer, "Y", agency)).size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(dao->GetDwbhList(kPayer, "Y", "x' or '1'='1")).size(), 0u)
      << "a value is quoted, never part of the statement";
  EXPECT_TRUE(dao->GetErrorMessage().empty());
  nlohmann::json units = nlohmann::json::parse(dao->getAllDwbhList(kPayer, {"5", "8"}, "Y"));
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0]["jfrlx"], "5");
  EXPECT_EQ(dao->CountGlbz(kPayer), 1);
  EXPECT_FALSE(mgr_->isYbgzdjXnh());
  EXPECT_FALSE(mgr_->isYjgl()) << "the switch SBF_DJ_WTDZGLBZ_KG is off";
}

TEST_F(SchemeManager, RegistrationNumbersPerOffice) {
  std::string sbdjxh;
  ASSERT_FALSE(mgr_->synXnhsbdjxhCx(nullptr));
  EXPECT_EQ(mgr_->GetErrorMessage(), "当前虚拟户无有效税务机关。");
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  ASSERT_TRUE(mgr_->synXnhsbdjxhCx(nullptr)) << mgr_->GetErrorMessage();
  const std::string office = nlohmann::json::parse(mgr_->GetDAO()->GetSwjgList(kPayer))[0];
  ASSERT_TRUE(mgr_->getSbdjxh(office, sbdjxh)) << mgr_->GetErrorMessage();
  EXPECT_EQ(sbdjxh, "3" + kPayer.substr(1));
  EXPECT_FALSE(mgr_->getSbdjxh("99999999999", sbdjxh));
  EXPECT_EQ(mgr_->GetErrorMessage(), "税务机关[99999999999]对应社保登记序号为空");
}

TEST_F(SchemeManager, PaymentListInTwoSteps) {
  sim_.SetAsyncPendingPolls(1);
  std::string yblsh, json;
  ASSERT_TRUE(mgr_->synJfqdCx("2024-01-01", "2024-12-31", yblsh)) << mgr_->GetErrorMessage();
  ASSERT_TRUE(mgr_->synJfqdCxFk(yblsh, json)) << mgr_->GetErrorMessage();
  // The submission's body keys in the server's order.
  int submissions = 0;
  for (const taxsim::SeenCall& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0343" || c.endpoint != "submit") continue;
    ++submissions;
    const nlohmann::ordered_json body = nlohmann::ordered_json::parse(c.body);
    std::string keys;
    for (const auto& [k, v] : body.items()) keys += (keys.empty() ? "" : ",") + k;
    EXPECT_EQ(keys, "yblsh,djxh,fkssqq,fkssqz");
  }
  EXPECT_EQ(submissions, 1);
  nlohmann::json rows = nlohmann::json::parse(json);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["jfrlxDm"], "5");
  EXPECT_EQ(rows[0]["fkssqq"], "2024-01-01");
  // An empty period ("70001") is an empty list, not a failure.
  ASSERT_TRUE(mgr_->synJfqdCx("2024-12-31", "2024-01-01", yblsh));
  ASSERT_TRUE(mgr_->synJfqdCxFk(yblsh, json)) << mgr_->GetErrorMessage();
  EXPECT_EQ(json, "[]");
  // An unknown serial fails with the host's text.
  EXPECT_FALSE(mgr_->synJfqdCxFk("NO-SUCH-SERIAL", json));
  EXPECT_NE(mgr_->GetErrorMessage().find("异步请求失败"), std::string::npos) << mgr_->GetErrorMessage();
}

TEST_F(SchemeManager, ServerFailuresReachTheUserAndKeepTheStoredAccount) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  Fault(R"({"kind":"code","serviceCode":"0001","code":"30035","message":"账户已注销"})");
  EXPECT_FALSE(mgr_->DjxxXz(nullptr));
  EXPECT_EQ(mgr_->GetErrorMessage(), "【30035】账户已注销");
  Fault(R"({"kind":"drop-list","serviceCode":"0001","list":"cxjmXnhDjxxList"})");
  EXPECT_FALSE(mgr_->DjxxXz(nullptr));
  EXPECT_EQ(mgr_->GetErrorMessage(), "反馈报文缺少<cxjmXnhDjxxList>节点");
  Fault(R"({"kind":"drop-list","serviceCode":"0055","list":"xzInfoList"})");
  EXPECT_FALSE(mgr_->downloadZjms(nullptr));
  EXPECT_EQ(mgr_->GetErrorMessage(), "反馈报文缺少<xzInfoList>节点。");
  EXPECT_EQ(Count("select count(*) as n from sb_xnhcbxmb where djxh = '" + kPayer + "'"), 3);
  EXPECT_NE(env_->LogText().find("[TXnhMgr.DjxxXz]异常：【30035】账户已注销"), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
