// The two-step queries of the status service ("0210"/"0211", "0108", "0270"), the background
// year check ("0223") with its home-page notice, and the reserved identities of rows 34 and 35,
// through the exports.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "residents_status_fixture.h"
#include "velmor/bg_task_service.h"
#include "velmor/cqcyhcx_service.h"
#include "velmor/cxjmdpkqc_service.h"
#include "velmor/platform_manager.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::json;

class SbztTwoStepTest : public SbztFixture {
 protected:
  // Collects until the answer is there (the simulator answers after a few polls).
  template <class F>
  Json Await(F&& collect) {
    for (int i = 0; i < 50; ++i) {
      bool ready = false;
      std::string result;
      EXPECT_TRUE(collect(ready, result)) << status_->GetErrorMessage();
      if (ready) return Json::parse(result);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no answer";
    return {};
  }
};

TEST_F(SbztTwoStepTest, SelfDeclaredStatesAreCollectedUnderTheSubmissionSerialAndStored) {
  FullSync();
  int32_t n = 0;
  ASSERT_TRUE(status_->synZzsbztCx_098(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  const int lines = Count("select count(*) from sb_rycbxmb");
  EXPECT_EQ(n, lines);
  for (const auto& r : Json::parse(dao_->getData("select xzid, sbzt from sb_rycbxmb")))
    EXPECT_EQ(r["sbzt"], SimDeclared(r["xzid"]) ? "1" : "0");
  // "0211" carried only the serial of the "0210" submission.
  std::string submitted, collected;
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode == "0210") submitted = Json::parse(c.body)["yblsh"];
    if (c.serviceCode == "0211") collected = c.body;
  }
  EXPECT_EQ(collected, (Json{{"yblsh", submitted}}.dump()));

  Refuse("30001", "0210");
  const std::string before = States();
  Exec("update sb_rycbxmb set xzsj = null");
  EXPECT_FALSE(status_->synZzsbztCx_098(kPayer, Query(), nullptr, n));
  EXPECT_NE(status_->GetErrorMessage(), "");
  EXPECT_EQ(States(), before);
  EXPECT_NE(env_->LogText().find("[TCXJMSBStatusQueryService.synZzsbztCx_098]异常："), std::string::npos);
  // A collection refused for another reason than "not ready yet" fails the same way.
  Refuse("30001", "0211");
  EXPECT_FALSE(status_->synZzsbztCx_098(kPayer, Query(), nullptr, n));
  EXPECT_EQ(States(), before);
}

TEST_F(SbztTwoStepTest, ApprovedDeclarationsOfTheNamedNaturalPersons) {
  const std::string person = SimPerson(0);
  std::string serial;
  ASSERT_TRUE(status_->synHdsbztCx(kPayer, Json{{"recBeginNo", "1"}, {"recEndNo", "100"},
                                                {"zrrDjxhList", {person}}}.dump(), serial))
      << status_->GetErrorMessage();
  ASSERT_FALSE(serial.empty());
  const Json answer = Await([&](bool& ready, std::string& r) { return status_->synHdsbztCxFk(serial, ready, r); });
  size_t items = sim_.WithState([&](taxsim::State& s) {
    size_t k = 0;
    for (const auto& it : s.items) k += it.djxh == kPayer && it.rydjxh == person;
    return k;
  });
  ASSERT_EQ(answer["sbztList"].size(), items);

  bool ready = true;
  std::string result;
  EXPECT_FALSE(status_->synHdsbztCxFk("", ready, result));
  EXPECT_EQ(status_->GetErrorMessage(), "查询流水号为空。");
  EXPECT_FALSE(ready);
  EXPECT_FALSE(status_->synHdsbztCxFk("NO-SUCH-SERIAL", ready, result));
  EXPECT_FALSE(status_->synHdsbztCx(kPayer, R"({"zrrDjxhList": "x"})", serial));
  EXPECT_EQ(status_->GetErrorMessage(), "zrrDjxhList不是JSON数组。");
  Refuse("10042", "0108");
  EXPECT_FALSE(status_->synHdsbztCx(kPayer, "{}", serial));
  EXPECT_TRUE(serial.empty());
  EXPECT_NE(env_->LogText().find("[TCXJMSBStatusQueryService.synHdsbztCx]异常："), std::string::npos);
}

TEST_F(SbztTwoStepTest, DeclarationAndPaymentStatesOfResidents) {
  const taxsim::Person p = sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[1]; });
  std::string serial;
  ASSERT_TRUE(status_->synCxjmzzSbjfztCx(
      kPayer, Json::array({{{"xm", p.xm}, {"zjlx", p.zjlxDm}, {"zjhm", p.zjhm}}, {{"zjhm", "unknown"}}}).dump(),
      serial))
      << status_->GetErrorMessage();
  const Json answer =
      Await([&](bool& ready, std::string& r) { return status_->synCxjmzzSbjfztCxFk(serial, ready, r); });
  ASSERT_FALSE(answer["sbjfztList"].empty());
  for (const auto& r : answer["sbjfztList"]) {
    EXPECT_EQ(r["zjhm"], p.zjhm);
    EXPECT_EQ(r["jfzt"], SimDeclared(r["xzid"]) ? "10" : "31");
  }
  EXPECT_FALSE(status_->synCxjmzzSbjfztCx(kPayer, "[]", serial));
  EXPECT_EQ(status_->GetErrorMessage(), "查询的城乡居民列表为空。");
  Fault(R"({"kind": "refuse", "code": "30009", "message": "系统忙", "serviceCode": "0270", "endpoint": "poll"})");
  ASSERT_TRUE(status_->synCxjmzzSbjfztCx(kPayer, Json::array({{{"zjhm", p.zjhm}}}).dump(), serial));
  bool ready = false;
  std::string result;
  for (int i = 0; i < 50 && !ready; ++i) {
    if (!status_->synCxjmzzSbjfztCxFk(serial, ready, result)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(ready);
  EXPECT_NE(status_->GetErrorMessage(), "");
  EXPECT_NE(env_->LogText().find("[TCXJMSBStatusQueryService.synCxjmzzSbjfztCxFk]异常："), std::string::npos);
}

// The year check runs as a task of the task service, loaded from the task file.
class SbztYearCheckTest : public SbztFixture {
 protected:
  std::vector<host::components::HomePage::Notice> RunCheck() {
    const std::string dir = Query<IPlatformManager>()->GetModuleDataDir("M8") + "Task";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/TaskFile.ini")
        << "[yctx]\r\nTaskType=qvlmt_task_TAsynQueryYctxData\r\nTaskData=" << kPayer << "\r\n";
    const size_t before = env_->host().HomePage().Notices().size();
    Ref<IBgTaskService> tasks = env_->plugin().CreateService<IBgTaskService>();
    EXPECT_TRUE(tasks->LoadTasks());
    EXPECT_EQ(tasks->TaskCount(), 1);
    tasks->Start();
    tasks->Wake();
    // The task takes its section out of the file once it has run.
    auto pending = [&] {
      std::ifstream in(dir + "/TaskFile.ini");
      return std::string(std::istreambuf_iterator<char>(in), {}).find("[yctx]") != std::string::npos;
    };
    for (int i = 0; i < 500 && pending(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(pending());
    tasks->Stop();
    auto all = env_->host().HomePage().Notices();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
  }
  template <class T>
  Ref<T> Query() {
    return velmor::Query<T>(env_->factory().FindNamedService(T::kIid, "Default"));
  }
};

TEST_F(SbztYearCheckTest, RaisesTheHomePageNoticeWhileResidentsRemainUndeclared) {
  ASSERT_TRUE(env_->host().PublishHomePage());
  auto notices = RunCheck();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].message, host::components::HomePage::kResidentsNotice);
  EXPECT_EQ(Json::parse(notices[0].text),
            Json::parse(R"({"funccode": "M8300-01-03-01-00","funcparam": "","message": "本年度存在未申报缴纳社保费的)"
                        R"(城乡居民，请及时催收催缴，点击可查看未申报人员明细。","action": "add"})"));
  bool asked = false;
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0223") continue;
    const Json body = Json::parse(c.body);
    EXPECT_EQ(body["sfysb"], "N");
    EXPECT_EQ(body["jfzt"], "Y");
    EXPECT_EQ(body["djxh"], kPayer);
    asked = true;
  }
  EXPECT_TRUE(asked);

  // None left undeclared: the notice is withdrawn.
  Fault(R"({"kind": "omit-rows", "list": "wsbryList", "every": 1, "serviceCode": "0223"})");
  notices = RunCheck();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(Json::parse(notices[0].text)["action"], "delete");
}

TEST_F(SbztYearCheckTest, AFailedCheckIsLoggedAndSendsNothing) {
  ASSERT_TRUE(env_->host().PublishHomePage());
  Refuse("30001", "0223");
  EXPECT_TRUE(RunCheck().empty());
  EXPECT_NE(env_->LogText().find("[TAsynQueryYctxData.queryCxjmSbzt]失败："), std::string::npos);
}

// Rows 34 and 35: registered, with nothing but the business object's operations.
TEST_F(SbztTwoStepTest, TheReservedIdentitiesAreRegistered) {
  Ref<ICxjmdpkqcServiceIntf> dpkqc = env_->plugin().CreateService<ICxjmdpkqcServiceIntf>();
  Ref<ICqcyhcxService> cqcyhcx = env_->plugin().CreateService<ICqcyhcxService>();
  ASSERT_TRUE(dpkqc);
  ASSERT_TRUE(cqcyhcx);
  dpkqc->SetErrorMessage("x");
  EXPECT_EQ(dpkqc->GetErrorMessage(), "x");
  EXPECT_EQ(cqcyhcx->GetErrorMessage(), "");
}

}  // namespace
}  // namespace velmor::testing
