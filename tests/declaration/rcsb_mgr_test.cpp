// TRcsbMgr against the simulated server on loopback, in an in-process reference host whose
// database is a temporary SQLite file: each outcome of a submission, both feedback paths, voids,
// refused calls storing nothing, and the list download.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "framework/module.h"
#include "framework/host_access.h"
#include "host/db/fault_injection.h"
#include "store_env.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/platform_manager.h"
#include "velmor/rcsb_mgr.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::ordered_json;

struct Server {
  Server() { sim.Start(); }
  taxsim::Simulator sim;
};

class MgrEnv : public Server, public StartedHost {
 public:
  MgrEnv() : StartedHost("[server]\nurl = " + sim.Url() + "\n[portal]\ndjxh = 10011\n") {
    TEST_ResetRegistryCaches();
    RunServiceInitProcs();
  }
  ~MgrEnv() {
    RunServiceFinalProcs();
    TEST_ResetRegistryCaches();
    host::db::FaultInjection::Clear();
  }
  Ref<IDBMechanism> Db() { return GetPlatformManager()->GetDBMechanism(kMainConnection); }
};

Json Person(const std::string& mxxh, const std::string& pmlx, const std::string& cxjmsbbm, const std::string& jhsx) {
  return {{"mxxh", mxxh},     {"xm", "张三"},        {"zjlx", "201"},       {"zjhm", "110101199001010011"},
          {"cxjmsbbm", cxjmsbbm}, {"jhsx", jhsx},    {"sbjbjgdm", "A01"},   {"jfnd", "2026"},
          {"zsxmdm", "10210"}, {"zspmdm", "102100100"}, {"zszmdm", "1"},   {"pmlx", pmlx},
          {"jfje", 380},      {"sjyjfe", 250},       {"yjfje", 380},        {"ybtfe", 380}};
}

Json Declaration(const std::string& jhsx = "", const std::string& secondSbbm = "R2") {
  return {{"swjgdm", "14401"}, {"sblx", "00"}, {"zrs", 2}, {"zje", 630}, {"yjfjeHj", 630}, {"ybtfeHJ", 630},
          {"details",
           {{{"zrs", 2}, {"zje", 630}, {"jfnd", "2026"}, {"zsxmdm", "10210"}, {"zspmdm", "102100100"},
             {"sjly", "00"}, {"fkssqq", "2026-01-01"}, {"fkssqz", "2026-12-31"}, {"sfyrymx", 1},
             {"persons", {Person("1", "00", "R1", jhsx), Person("2", "01", secondSbbm, jhsx)}}}}}};
}

class RcsbMgr : public ::testing::Test {
 protected:
  std::string Get(const std::string& sql) {
    Ref<IDBMechanism> db = env_.Db();
    return Scalar(*db, sql);
  }
  int32_t Send(const Json& sb, int32_t expectedState) {
    int32_t id = 0, state = -1;
    std::string error;
    EXPECT_TRUE(mgr_->SbSend(sb.dump(), nullptr, id, state, error)) << error;
    EXPECT_EQ(state, expectedState);
    return id;
  }
  std::string Master(int32_t id) {
    return Get("select sbzt || '|' || ifnull(yzpzxh, '') || '|' || ifnull(sbyy, '') from ds_sbzb where id = " +
               std::to_string(id));
  }
  std::string LastDocument() {
    auto calls = env_.sim.RecentCalls();
    return calls.empty() ? "" : calls.back().documentText;
  }

  MgrEnv env_;
  Ref<IRcsbMgr> mgr_ = [this] {
    Ref<IInterface> out;
    env_.factory().CreateService(IRcsbMgr::kIid.ToString(), IRcsbMgr::kIid, out);
    return Query<IRcsbMgr>(out);
  }();
};

TEST_F(RcsbMgr, ADeclaredSubmissionStoresTheVoucherAndSendsActuallyPayableForResidents) {
  ASSERT_TRUE(mgr_);
  const int32_t id = Send(Declaration(), 2);
  EXPECT_EQ(Master(id), "2|1100000001|");
  const std::string doc = LastDocument();
  EXPECT_NE(doc.find("<jfmxxh>1</jfmxxh>"), std::string::npos);
  EXPECT_NE(doc.find("<yjfe>250</yjfe>"), std::string::npos) << doc;  // pmlx "00": sjyjfe
  EXPECT_NE(doc.find("<yjfe>380</yjfe>"), std::string::npos) << doc;  // otherwise jfje
  EXPECT_NE(doc.find("<yzpzzlDm>BDA0611049</yzpzzlDm>"), std::string::npos);
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(id)), "2");
  EXPECT_EQ(Get("select length(jywyid) > 0 and length(yblsh) > 0 from ds_sbzb"), "1");
}

TEST_F(RcsbMgr, TheDeclarationReadOnceSendsAndStoresWhatItsJsonTreeDoes) {
  // Quotes, escapes, names in either spelling, amounts as numbers and as text; a byte-order mark
  // sends the same declaration through the general parser's tree.
  Json sb = Declaration();
  Json& persons = sb["details"][0]["persons"];
  persons[0]["xm"] = "O'Neil \"Jr\" 张";
  persons[0]["xzjdDm"] = "X&<1>";
  persons[0]["xz_xzjddm"] = "ignored";
  persons[1]["jfje"] = "380.5";
  persons[1]["cxjmsbbm"] = "";
  persons[1]["rybh"] = "R9";
  persons[1]["jfnd"] = 2026;
  const std::string text = sb.dump();
  std::vector<std::string> documents, rows;
  for (const std::string& sent : {text, "\xEF\xBB\xBF" + text}) {
    int32_t id = 0, state = -1;
    std::string error;
    ASSERT_TRUE(mgr_->SbSend(sent, nullptr, id, state, error)) << error;
    documents.push_back(LastDocument());
    rows.push_back(Get("select group_concat(mxxh||'|'||xm||'|'||rybh||'|'||xz_xzjddm||'|'||jfnd||'|'||jfje, ',') "
                       "from ds_sbrymxb where mxbid = " + std::to_string(id)));
  }
  EXPECT_EQ(documents[0], documents[1]);
  EXPECT_NE(documents[0].find("<xzjdDm>X&amp;&lt;1&gt;</xzjdDm>"), std::string::npos) << documents[0];
  EXPECT_NE(documents[0].find("<cxjmsbbm>R9</cxjmsbbm>"), std::string::npos) << documents[0];
  EXPECT_EQ(rows[0], rows[1]);
  EXPECT_EQ(rows[0], "1|O'Neil \"Jr\" 张|R1|X&<1>|2026|380.0,2|张三|R9||2026|380.5");
}

TEST_F(RcsbMgr, ARefusalWith10042IsFetchedLaterUnderItsSerial) {
  const int32_t id = Send(Declaration("QUEUE"), 1);
  EXPECT_EQ(Master(id), "1||");
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);
  EXPECT_EQ(env_.sim.RecentCalls().back().serviceCode, "0005");
  EXPECT_EQ(Master(id), "2|1100000001|");
}

TEST_F(RcsbMgr, AnAcceptanceWithoutResultIsCompletedByBusinessId) {
  const int32_t id = Send(Declaration("ASYNC"), 9);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);
  EXPECT_EQ(env_.sim.RecentCalls().back().serviceCode, "0103");
  EXPECT_EQ(Master(id), "2|1100000001|");
  EXPECT_FALSE(mgr_->GetSbFk(id, nullptr, state, error));
  EXPECT_EQ(error, "系统异常，请稍后再试");
}

TEST_F(RcsbMgr, AFailedDeclarationMarksThePersonsInError) {
  const int32_t id = Send(Declaration("", "ERR9"), 3);
  EXPECT_EQ(Get("select sbzt from ds_sbzb where id = " + std::to_string(id)), "3");
  EXPECT_EQ(Get("select substr(sbyy, 1, 7) from ds_sbzb"), "【20001】");
  EXPECT_EQ(Get("select group_concat(mxxh || ':' || jyzt || ':' || ifnull(sbyy, ''), ',') from ds_sbrymxb"),
            "1:0:,2:1:证件号码校验不通过");
}

TEST_F(RcsbMgr, AFailedCallStoresNothing) {
  taxsim::Fault refuse;
  refuse.serviceCode = "0004";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  env_.sim.Faults().Add(refuse);
  int32_t id = 0, state = 0;
  std::string error;
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(error, "服务暂停") << "a refusal shows the server's message alone";
  EXPECT_EQ(mgr_->GetErrorMessage(), error);
  EXPECT_EQ(Get("select count(*) from ds_sbzb"), "0");
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.SbSend]异常：服务暂停"), std::string::npos);
}

TEST_F(RcsbMgr, VoidingTwiceKeepsTheServersMessageAsReason) {
  const int32_t id = Send(Declaration(), 2);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->Sbzf(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 5);
  EXPECT_EQ(Master(id), "5|1100000001|");
  ASSERT_TRUE(mgr_->Sbzf(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 5);
  EXPECT_EQ(Master(id), "5|1100000001|该申报已作废");
  EXPECT_EQ(Get("select length(zfsj) from ds_sbzb"), "19");
  const int32_t queued = Send(Declaration("QUEUE"), 1);
  EXPECT_FALSE(mgr_->Sbzf(queued, nullptr, state, error));
  EXPECT_EQ(error, "作废申报异常：申报记录没有应征凭证序号，不能作废");
}

TEST_F(RcsbMgr, TheListDownloadUpdatesKnownMastersInsertsNewOnesAndSkipsVoidedOnes) {
  const int32_t kept = Send(Declaration(), 2);
  const int32_t gone = Send(Declaration(), 2);
  const int32_t voided = Send(Declaration(), 2);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->Sbzf(voided, nullptr, state, error));
  {
    Ref<IDBMechanism> db = env_.Db();
    ASSERT_TRUE(db->ExecSQL("delete from ds_sbzb where id = " + std::to_string(gone)));
  }
  ASSERT_TRUE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error)) << error;
  EXPECT_EQ(Get("select group_concat(yzpzxh || ':' || sbzt, ',') from (select * from ds_sbzb order by id)"),
            "1100000001:2,1100000003:5,1100000002:2");
  EXPECT_EQ(Get("select sbsj from ds_sbzb where id = " + std::to_string(kept)), "2026-01-15 09:30:00");

  taxsim::Fault drop;
  drop.kind = taxsim::FaultKind::kDropList;
  drop.list = "sbqkxxList";
  env_.sim.Faults().Add(drop);
  EXPECT_FALSE(mgr_->synSbqdCx("5", "2026-01", "2026-12", nullptr, error));
  EXPECT_EQ(error, "申报清单查询反馈报文异常：反馈报文缺少<sbqkxxList>节点。");
}

}  // namespace
}  // namespace velmor::testing
