// The employee service through the loaded plug-in against the simulator: the enrolment download
// (full and incremental), registrations, the summary states, declaration states, outside
// persons, the background start and the name rules.
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "host/db/fault_injection.h"
#include "scheme_fixture.h"
#include "velmor/platform_manager.h"

namespace velmor::testing {
namespace {

using RosterDownload = SchemeFixture;

// A short polling bound for one test (the plug-in reads it when a job set is made).
class ShortPollBound {
 public:
  ShortPollBound() { ::setenv("VELMOR_JOB_POLL", "3,20", 1); }
  ~ShortPollBound() { ::unsetenv("VELMOR_JOB_POLL"); }
};

std::string PersonsOf(const std::string& extra = "") {
  return "select count(*) as n from sb_ryjbxxb where djxh = '" + kPayer + "'" + extra;
}

TEST_F(RosterDownload, AFullDownloadStoresEveryPersonItemAndState) {
  FullSync();
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()));
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where djxh = '" + kPayer + "'"), static_cast<int>(SimItems()));
  EXPECT_EQ(Count(PersonsOf(" and cbzt = '1'")), static_cast<int>(SimPersons()));
  EXPECT_EQ(Param("IsUpdatedAllCbxx"), "1");
  EXPECT_EQ(Param("ygcbxx_force_update"), "1");
  EXPECT_EQ(Param("110_gxsj"), "2024-03-01 10:00:00");
  EXPECT_FALSE(Param("last_cxjmry_gxsj").empty());
  EXPECT_FALSE(Param("updatedCbztSj").empty());
  const std::string log = env_->LogText();
  EXPECT_NE(log.find("数据全部下载并解析完成：耗时："), std::string::npos);
  EXPECT_NE(log.find("人员条数：" + std::to_string(SimPersons())), std::string::npos);
}

TEST_F(RosterDownload, AFullDownloadRemovesServerPersonsNoAnswerMentionsAndKeepsLocalOnes) {
  FullSync();
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, ly, fzid) values ('" + kPayer +
                            "', '', '本地人员', '201', '110101199001010011', '1', -1), ('" + kPayer +
                            "', 'GONE', '已注销', '201', '110101199001010022', null, -1)"));
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, yxbz) values ('" + kPayer +
                            "', 'GONE', 'A', 'R', 'Y')"));
  const std::string removed = SimPerson(3);
  Control({{"op", "remove"}, {"rydjxh", removed}});
  std::string message;
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = 'GONE'")), 0);
  EXPECT_EQ(Count("select count(*) as n from sb_rycbjgxxb where rydjxh = 'GONE'"), 0);
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = '" + removed + "'")), 0);
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb where rydjxh = '" + removed + "'"), 0);
  EXPECT_EQ(Count(PersonsOf(" and ly = '1'")), 1) << "the locally added person stays";
  EXPECT_EQ(Count(PersonsOf(" and ifnull(ly, '0') <> '1'")), static_cast<int>(SimPersons()));
}

TEST_F(RosterDownload, AnIncrementalDownloadNeitherMarksNorSweeps) {
  FullSync();
  const std::string removed = SimPerson(1), changed = SimPerson(2);
  Control({{"op", "remove"}, {"rydjxh", removed}});
  Control({{"op", "change"}, {"rydjxh", changed}, {"xm", "改名后"}});
  nlohmann::json added = Control({{"op", "add"}, {"djxh", kPayer}, {"xm", "新来的"}, {"xzlxDm", "310"}});
  const std::string before310 = Param("310_gxsj");
  std::string message;
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, true, nullptr, message)) << message;
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = '" + removed + "'")), 1) << "no sweep";
  EXPECT_EQ(Scalar("select xm from sb_ryjbxxb where rydjxh = '" + changed + "'"), "改名后");
  EXPECT_EQ(Scalar("select cbzt from sb_ryjbxxb where rydjxh = '" + added["rydjxh"].get<std::string>() + "'"), "1");
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where updateFlag = 0"), 0) << "no marking";
  EXPECT_GT(Param("310_gxsj"), before310) << "the newest change time of the answers";
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()) + 1);

  // Ending a person arrives as an ended enrolment; the person stays with its ended items.
  Control({{"op", "end"}, {"rydjxh", changed}});
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, true, nullptr, message)) << message;
  EXPECT_EQ(Scalar("select cbzt from sb_ryjbxxb where rydjxh = '" + changed + "'"), "2");
}

TEST_F(RosterDownload, APayerWithoutInsuranceTypesEndsAtOnce) {
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx("10000000000000000999", false, nullptr, message));
  EXPECT_EQ(message, "未获取到险种信息。");
  EXPECT_EQ(svc_->GetErrorMessage(), "未获取到险种信息。");
  EXPECT_TRUE(sim_.RecentCalls().empty()) << "nothing was sent";
  EXPECT_NE(env_->LogText().find("[异常]TEmployeeServiceImpl.updateCbryxx：[未获取到险种信息。]"), std::string::npos);
}

TEST_F(RosterDownload, PhoneNumbersAndGroupsAreKeptAcrossDownloads) {
  FullSync();
  const std::string p = SimPerson(4), q = SimPerson(5);
  ASSERT_TRUE(dao_->UpdateGroupInfo(kPayer, p, 7, "/一组/"));
  ASSERT_TRUE(dao_->UpdatePhoneNumber(kPayer, q, "13900000000"));
  Control({{"op", "change"}, {"rydjxh", q}, {"lxdh", ""}});
  std::string message;
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  EXPECT_EQ(Scalar("select fzid from sb_ryjbxxb where rydjxh = '" + p + "'"), "7");
  EXPECT_EQ(Scalar("select fullpath from sb_ryjbxxb where rydjxh = '" + p + "'"), "/一组/");
  EXPECT_EQ(Scalar("select phonenumber from sb_ryjbxxb where rydjxh = '" + q + "'"), "13900000000")
      << "the server sent no phone number";
}

TEST_F(RosterDownload, AFailureMidDownloadLeavesThePreviousRosterIntact) {
  FullSync();
  const std::string removed = SimPerson(0);
  Control({{"op", "remove"}, {"rydjxh", removed}});
  Control({{"op", "change"}, {"rydjxh", SimPerson(1)}, {"xm", "不该出现"}});
  const int persons = Count(PersonsOf()), items = Count("select count(*) as n from sb_rycbxmb");
  const std::string gxsj = Param("110_gxsj"), last = Param("last_cxjmry_gxsj");
  Fault(R"({"kind":"refuse","serviceCode":"0059","endpoint":"submit","code":"10042","message":"系统繁忙"})");
  std::string message;
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_EQ(message, "同步异常：人员信息异步请求失败！服务器拒绝请求：[10042]系统繁忙");
  EXPECT_EQ(Count(PersonsOf()), persons);
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb"), items);
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = '" + removed + "'")), 1) << "nothing swept";
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where updateFlag = 0"), 0) << "the marking rolled back";
  EXPECT_EQ(Count(PersonsOf(" and xm = '不该出现'")), 0);
  EXPECT_EQ(Param("110_gxsj"), gxsj) << "the next incremental run starts where the last good one ended";
  EXPECT_EQ(Param("last_cxjmry_gxsj"), last);

  // A job that fails while polled ends the download the same way.
  Fault(R"({"kind":"refuse","serviceCode":"0058","endpoint":"poll","code":"10099","message":"作业失败"})");
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, true, nullptr, message));
  EXPECT_NE(message.find("（丢失1个任务：0058 任务 "), std::string::npos) << message;
  EXPECT_NE(message.find("作业失败"), std::string::npos) << message;
  EXPECT_EQ(Count(PersonsOf()), persons);
  // An enrolment job refused at submission.
  Fault(R"({"kind":"refuse","serviceCode":"0058","endpoint":"submit","code":"10042","message":"拒绝"})");
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, true, nullptr, message));
  EXPECT_EQ(message, "同步异常：参保信息异步请求失败！服务器拒绝请求：[10042]拒绝");
  // And the next good run completes.
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  EXPECT_EQ(Count(PersonsOf(" and rydjxh = '" + removed + "'")), 0);
}

TEST_F(RosterDownload, JobsKeptPendingForeverEndWithinTheBoundAndKeepTheRoster) {
  FullSync();
  const int persons = Count(PersonsOf()), items = Count("select count(*) as n from sb_rycbxmb");
  const std::string gxsj = Param("110_gxsj");
  ShortPollBound bound;
  sim_.SetAsyncPendingPolls(taxsim::AsyncJobs::kPendingForever);
  std::string message;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(svc_->updateCbryxx(kPayer, false, nullptr, message));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  EXPECT_EQ(message.rfind("同步异常：等待服务器处理超时：0058 任务 ", 0), 0u) << message;
  EXPECT_EQ(Count(PersonsOf()), persons);
  EXPECT_EQ(Count("select count(*) as n from sb_rycbxmb"), items);
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where updateFlag = 0"), 0) << "the marking rolled back";
  EXPECT_EQ(Param("110_gxsj"), gxsj);

  // The declaration-state query is bounded the same way.
  int32_t stored = 0;
  EXPECT_FALSE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message));
  EXPECT_NE(message.find("等待服务器处理超时：0108 任务 "), std::string::npos) << message;
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), 0);

  // Once the server answers again, the download completes.
  sim_.SetAsyncPendingPolls(0);
  ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
}

TEST_F(RosterDownload, RegistrationsFullThenIncremental) {
  std::string message;
  ASSERT_TRUE(svc_->updateYgcbxx(kPayer, message, false)) << message;
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()));
  EXPECT_FALSE(Param("ygcbxx_gxsj").empty());
  EXPECT_EQ(Param("ygcbxx_maxid"), std::to_string(SimPersons()));
  EXPECT_EQ(Param("ygcbxx_xtgxsj").size(), 8u);
  Ref<IPlatformManager> platform =
      Query<IPlatformManager>(env_->factory().FindNamedService(IPlatformManager::kIid, "Default"));
  const std::filesystem::path dump = std::filesystem::path(platform->GetModuleDataDir("M8")) / "Dump";
  ASSERT_TRUE(std::filesystem::exists(dump));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dump), {}), 1);
  // Nothing new: the server answers "10042"; nothing is stored and it is no failure.
  ASSERT_TRUE(svc_->updateYgcbxx(kPayer, message, true)) << message;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dump), {}), 1);
  nlohmann::json added = Control({{"op", "add"}, {"djxh", kPayer}, {"xm", "登记新人"}});
  ASSERT_TRUE(svc_->updateYgcbxx(kPayer, message, true)) << message;
  EXPECT_EQ(Count(PersonsOf(" and xm = '登记新人'")), 1);
  const std::string log = env_->LogText();
  for (const char* line : {"开始下载人员登记信息。", "开始[批量城乡居民缴费登记信息查询]请求",
                           "结束[批量城乡居民缴费登记信息查询]请求", "完成文件转储", "结束下载人员登记信息。"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  Fault(R"({"kind":"http-error","serviceCode":"0040","httpStatus":503})");
  EXPECT_FALSE(svc_->updateYgcbxx(kPayer, message, true));
  EXPECT_EQ(message, "同步异常：服务器应答异常：HTTP 503");
}

TEST_F(RosterDownload, TheBackgroundStartRunsOnAPoolThread) {
  ASSERT_TRUE(svc_->StartUpdateYgcbxx(kPayer)) << svc_->GetErrorMessage();
  std::string message = "unset";
  ASSERT_TRUE(svc_->WaitUpdateYgcbxx(20000, message));
  EXPECT_EQ(message, "");
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()));
}

TEST_F(RosterDownload, RefreshOfTheSummaryStates) {
  ASSERT_TRUE(mgr_->DjxxXz(nullptr));
  std::string message;
  EXPECT_EQ(svc_->refreshCbzt(kPayer, true, false, nullptr, message), 1) << message;
  EXPECT_EQ(Count(PersonsOf()), static_cast<int>(SimPersons()));
  EXPECT_EQ(svc_->refreshCbzt(kPayer, true, false, nullptr, message), 0) << "done today";
  ASSERT_TRUE(dao_->ExecSQL("update sb_ryjbxxb set cbzt = '9'"));
  EXPECT_EQ(svc_->refreshCbzt(kPayer, false, true, nullptr, message), 2) << message;
  EXPECT_EQ(Count(PersonsOf(" and cbzt = '9'")), 0);
}

TEST_F(RosterDownload, DeclarationStatesArePagedAndCounted) {
  int32_t stored = 0;
  std::string message;
  ASSERT_TRUE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message)) << message;
  EXPECT_EQ(stored, static_cast<int>(SimItems()));
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), static_cast<int>(SimItems()));
  // Every state is counted as written by update-else-insert (two statements a new state).
  EXPECT_NE(env_->LogText().find("更新完毕，新增" + std::to_string(SimItems()) + "条，更新0条，处理记录总数" +
                                 std::to_string(2 * SimItems()) + "条"),
            std::string::npos);
  ASSERT_TRUE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message)) << message;
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), static_cast<int>(SimItems())) << "updated, not doubled";
  EXPECT_NE(env_->LogText().find("更新完毕，新增0条，更新" + std::to_string(SimItems()) + "条"), std::string::npos);
  EXPECT_FALSE(Param("cxjmsbzt_xgrq_2024").empty());
  Fault(R"({"kind":"refuse","serviceCode":"0108","endpoint":"submit"})");
  EXPECT_FALSE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message));
  EXPECT_EQ(message, "批量请求失败！");
}

TEST_F(RosterDownload, DeclarationStatesCollapseCopiesAndAFailureHalfWayStoresNothing) {
  int32_t stored = 0;
  std::string message;
  ASSERT_TRUE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message)) << message;
  // Two copies of one state and a stale value: the next query leaves one row with the server's value.
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_rysbztb select djxh, jfnd, xzid, sbrq, ybtfe, 'X', jfzt from ds_rysbztb "
                            "where rowid = (select min(rowid) from ds_rysbztb)"));
  ASSERT_TRUE(dao_->ExecSQL("update ds_rysbztb set sbzt = 'X' where rowid = (select min(rowid) from ds_rysbztb)"));
  ASSERT_TRUE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message)) << message;
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), static_cast<int>(SimItems()));
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb where sbzt = 'X'"), 0);

  // A statement failing after some states were written: none of this query's states is kept.
  ASSERT_TRUE(dao_->ExecSQL("delete from ds_rysbztb"));
  host::db::FaultInjection::FailStatement(40);
  EXPECT_FALSE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message));
  host::db::FaultInjection::Clear();
  EXPECT_NE(message.find("保存数据库失败！"), std::string::npos) << message;
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), 0);
}

// Enough persons for the declaration states to come in several pages (of 2000).
class ManyStatePages : public SchemeFixture {
 protected:
  ManyStatePages() : SchemeFixture(6000, 1) {}
};

TEST_F(ManyStatePages, EveryPageIsStoredOnceAndARefusalOfALaterOneStoresNothing) {
  const int items = static_cast<int>(SimItems());
  ASSERT_GT(items, 5 * 2000) << "the scenario must give six pages or more";
  int32_t stored = 0;
  std::string message;
  ASSERT_TRUE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message)) << message;
  EXPECT_EQ(stored, items);
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), items);
  EXPECT_EQ(Count("select count(*) as n from (select distinct jfnd, xzid from ds_rysbztb)"), items) << "no page twice";

  // The sixth page's request refused, after the first pages' answers were read and written:
  // nothing of this query is kept, the states stored before stay as they were.
  ASSERT_TRUE(dao_->ExecSQL("update ds_rysbztb set sbzt = 'X'"));
  Fault(R"({"kind":"refuse","serviceCode":"0108","endpoint":"submit","skip":5})");
  EXPECT_FALSE(svc_->QueryHdsbztCx(kPayer, "2024-01-01", "2024-12-31", nullptr, stored, message));
  EXPECT_EQ(message, "批量请求失败！");
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb"), items);
  EXPECT_EQ(Count("select count(*) as n from ds_rysbztb where sbzt = 'X'"), items);
}

}  // namespace
}  // namespace velmor::testing
