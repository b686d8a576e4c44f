// The employee service's requests answered later under their serial, and the operations that
// store what they learn, through the loaded plug-in against the simulator.
#include "employee_ops_fixture.h"
#include "velmor/dict_mgr.h"

namespace velmor::testing {
namespace {

class EmployeeExchanges : public EmployeeOpsFixture {
 protected:
  void UpdateRules() {
    Ref<IDictMgr> dict = env_->plugin().CreateService<IDictMgr>();
    ASSERT_TRUE(dict->Update(kPayer, true)) << dict->GetErrorMessage();
  }
};

TEST_F(EmployeeExchanges, BatchRegistrationQueryRefusalsThenRequestAndFeedback) {
  const taxsim::Person known = SimPersonAt(2);
  const Json persons = {{"ryList",
                         {{{"xm", known.xm}, {"zjlx", known.zjlxDm}, {"zjhm", known.zjhm}},
                          {{"xm", "王小二"}, {"zjlx", "201"}, {"zjhm", "110101200001010000"}}}}};
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCx_4403, {{"ryList", Json::array()}}),
            "城乡居民申报缴费状态查询名单为空");
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCx_4403, Json::object()), "城乡居民申报缴费状态查询名单为空");
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCx_4403, persons), "当前虚拟户不存在有效社保经办机构")
      << "no scheme account downloaded yet";
  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCx_4403, persons), "城乡居民社保经办机构征收品目对照表缺少配置")
      << "no rule file yet";
  EXPECT_EQ(CallsOf("0212"), 0u) << "no refusal reaches the server";

  UpdateRules();
  Json request = Ok(&IEmployeeService::synPlCbryJfDjxxCx_4403, persons);
  const std::string yblsh = request["yblsh"];
  ASSERT_FALSE(yblsh.empty());
  EXPECT_EQ(LastCall().documentType, "SbfPlCbryJfDjxxCxRequest");
  EXPECT_NE(LastCall().documentText.find("<zspmList><zspmDm>"), std::string::npos) << LastCall().documentText;

  Json feedback = Ok(&IEmployeeService::synPlCbryJfDjxxCxFk_4403, {{"yblsh", yblsh}});
  ASSERT_GE(feedback["jfdjxxList"].size(), 2u);
  EXPECT_EQ(feedback["jfdjxxList"][0]["djzt"], "1");
  EXPECT_EQ(feedback["jfdjxxList"][0]["rydjxh"], known.rydjxh);
  EXPECT_EQ(feedback["jfdjxxList"][1]["djzt"], "0");
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCxFk_4403, Json::object()), "缺少请求流水号（yblsh）。");
  EXPECT_EQ(Fails(&IEmployeeService::synPlCbryJfDjxxCxFk_4403, {{"yblsh", "NO-SUCH"}}),
            "反馈数据异常：【30001】未找到该请求");
}

TEST_F(EmployeeExchanges, ChangedResidentsCountAndDataInTwoSteps) {
  Json count = Ok(&IEmployeeService::synQueryCxjmRyUpdateCount, {{"gxsj", "2024-01-01 00:00:00"}});
  EXPECT_EQ(Ok(&IEmployeeService::synQueryCxjmRyUpdateCountFk, {{"yblsh", count["yblsh"]}})["zs"],
            std::to_string(SimPersons()));
  Json data = Ok(&IEmployeeService::synQueryCxjmRyUpdateData, {{"gxsj", "2024-01-01 00:00:00"}});
  Json rows = Ok(&IEmployeeService::synQueryCxjmRyUpdateDataFk, {{"yblsh", data["yblsh"]}});
  ASSERT_EQ(rows["cxjmxxList"].size(), SimPersons());
  EXPECT_EQ(rows["cxjmxxList"][0]["rydjxh"], SimPerson(0));

  // A later time sees nothing; a count's serial is no data request.
  Json later = Ok(&IEmployeeService::synQueryCxjmRyUpdateCount, {{"gxsj", "2099-01-01 00:00:00"}});
  EXPECT_EQ(Ok(&IEmployeeService::synQueryCxjmRyUpdateCountFk, {{"yblsh", later["yblsh"]}})["zs"], "0");
  EXPECT_EQ(Fails(&IEmployeeService::synQueryCxjmRyUpdateDataFk, {{"yblsh", later["yblsh"]}}),
            "反馈数据异常：【30001】未找到该请求");
  Fault(R"({"kind":"drop-list","serviceCode":"0207","list":"cxjmxxList"})");
  EXPECT_EQ(Fails(&IEmployeeService::synQueryCxjmRyUpdateDataFk, {{"yblsh", data["yblsh"]}}),
            "反馈数据异常：反馈报文缺少<cxjmxxList>节点。");
}

TEST_F(EmployeeExchanges, ResidentsSubmittedAndTheirResult) {
  Json submitted =
      Ok(&IEmployeeService::synCxjmxxbc, {{"cxjmxxList",
                                           {{{"xm", "张三"}, {"sfzjlx", "201"}, {"sfzjhm", "110101199001011234"}},
                                            {{"xm", "李四"}, {"sfzjlx", "201"}, {"sfzjhm", "12345"}}}}});
  EXPECT_EQ(LastCall().documentType, "SbfCxjmxnhDrCxjmxxBcGzRequest");
  const std::string drpch = submitted["drpch"];
  Json result = Ok(&IEmployeeService::synCxjmxxjghq, {{"drpch", drpch}});
  ASSERT_EQ(result["jgList"].size(), 2u);
  EXPECT_EQ(result["jgList"][0]["cljg"], "1");
  EXPECT_EQ(result["jgList"][1]["cljg"], "2");
  EXPECT_EQ(result["jgList"][1]["sbyy"], "证件号码格式错误");
  EXPECT_EQ(Fails(&IEmployeeService::synCxjmxxjghq, {{"drpch", "DR-NONE"}}), "反馈报文异常：【30001】导入批次不存在");
  EXPECT_EQ(Fails(&IEmployeeService::synCxjmxxbc, Json::object()), "添加异常：导入人员为空");
}

TEST_F(EmployeeExchanges, ChangedPaymentRecordsAndAccountRegistrations) {
  Json request = Ok(&IEmployeeService::synGxjfjlCx, {{"gxsj", "2024-01-01 00:00:00"}});
  EXPECT_EQ(Ok(&IEmployeeService::synGxjfjlCxFk, {{"yblsh", request["yblsh"]}})["jfjlList"].size(), SimItems());
  EXPECT_EQ(Fails(&IEmployeeService::synGxjfjlCxFk, {{"yblsh", "NO-SUCH"}}), "反馈数据异常：【30001】未找到该请求");

  // The one layout of "0187": the count with sftj "Y", the pages with pagenum and pagesize.
  Json counted = Ok(&IEmployeeService::synYbgrzhdjcxjmrsCx, {{"gxsjq", ""}, {"gxsjz", "2099-01-01 00:00:00"}});
  EXPECT_EQ(counted["cxjmrs"], std::to_string(SimPersons()));
  EXPECT_EQ(counted["gxsjz"], "2099-01-01 00:00:00");
  EXPECT_NE(LastCall().documentText.find("<sftj>Y</sftj>"), std::string::npos);
  EXPECT_EQ(Ok(&IEmployeeService::synYbgrzhdjcxjmrsCx, {{"gxsjq", "2099-01-01 00:00:00"}})["cxjmrs"], "0")
      << "nothing changed after the window's start";
  Json page = Ok(&IEmployeeService::synYbgrzhdjcxjmxxCx, {{"pagenum", "2"}, {"pagesize", "4"}, {"sftj", "Y"}});
  ASSERT_EQ(page["cxjmDjxxList"].size(), 4u);
  EXPECT_EQ(page["cxjmDjxxList"][0]["djxh"], SimPerson(4));
  EXPECT_EQ(page["cxjmDjxxList"][0]["cxjmCbDjxxList"].size(), SimItemsOf(SimPerson(4)).size());
  EXPECT_NE(LastCall().documentText.find("<sftj>N</sftj>"), std::string::npos)
      << "the operation decides, not the parameters";
  EXPECT_NE(LastCall().documentText.find("<pagenum>2</pagenum>"), std::string::npos);
  EXPECT_EQ(Fails(&IEmployeeService::synYbgrzhdjcxjmxxCx, {{"pagenum", "x"}}), "分页参数无效");
  EXPECT_EQ(Fails(&IEmployeeService::synYbgrzhdjcxjmxxCx, {{"pagesize", "0"}}), "分页参数无效");
}

TEST_F(EmployeeExchanges, UpdateTimesAreStoredOnlyOnceTheServerHasThem) {
  Json saved = Ok(&IEmployeeService::saveCxjmcbxzgxsj, {{"gxsj", "2024-06-01 08:00:00"}});
  EXPECT_EQ(saved["gxsj"], "2024-06-01 08:00:00");
  EXPECT_EQ(Param("cxjmcbxzgxsj"), "2024-06-01 08:00:00");
  Fault(R"({"kind":"refuse","serviceCode":"0271","code":"10042","message":"系统繁忙"})");
  EXPECT_EQ(Fails(&IEmployeeService::saveCxjmcbxzgxsj, {{"gxsj", "2024-07-01 08:00:00"}}), "同步异常：系统繁忙");
  EXPECT_EQ(Param("cxjmcbxzgxsj"), "2024-06-01 08:00:00");
  EXPECT_FALSE(Ok(&IEmployeeService::saveCxjmcbxzgxsj, Json::object())["gxsj"].get<std::string>().empty())
      << "without a time the current one is sent";

  EXPECT_EQ(Ok(&IEmployeeService::synYbgrzhdjcxjmgxsjCx, Json())["gxsj"], "2024-03-01 10:00:00");
  EXPECT_EQ(Fails(&IEmployeeService::synYbgrzhdjcxjmgxsjbc, Json::object()), "更新时间不能为空。");
  Fault(R"({"kind":"code","serviceCode":"0360","code":"30035","message":"保存失败"})");
  EXPECT_EQ(Fails(&IEmployeeService::synYbgrzhdjcxjmgxsjbc, {{"gxsj", "2024-05-05 05:05:05"}}),
            "同步异常：【30035】保存失败");
  EXPECT_EQ(Param("ybgrzhdjcxjm_gxsj"), "");
  Ok(&IEmployeeService::synYbgrzhdjcxjmgxsjbc, {{"gxsj", "2024-05-05 05:05:05"}});
  EXPECT_EQ(Param("ybgrzhdjcxjm_gxsj"), "2024-05-05 05:05:05");
  EXPECT_EQ(Ok(&IEmployeeService::synYbgrzhdjcxjmgxsjCx, Json())["gxsj"], "2024-05-05 05:05:05");
}

TEST_F(EmployeeExchanges, StoredOutsidePersonsAreAskedAgainAndKeepTheirGroup) {
  FullSync();
  const taxsim::Person theirs = SimPersonAt(0, taxsim::GeneratedDjxh(2));
  std::vector<WbryOutcome> out;
  std::string message;
  Fault(R"({"kind":"refuse","serviceCode":"0057","code":"10042"})");
  ASSERT_FALSE(svc_->addWbry(kPayer,
                             {{theirs.xm, theirs.zjlxDm, theirs.zjhm, "A1", 3, ",3,", "备注"},
                              {"王小二", "201", "110101200001010000", "A1", -1, "", ""}},
                             nullptr, out, message));
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where ly = '1'"), 0);
  // Stored as outside persons the server has not been asked about yet.
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_ryjbxxb (djxh, xm, zjlx, zjhm, ly, djzt, fzid, fullpath, bzxx) values ('" +
                            kPayer + "', '" + theirs.xm + "', '" + theirs.zjlxDm + "', '" + theirs.zjhm +
                            "', '1', '0', 3, ',3,', '备注'); insert into sb_ryjbxxb (djxh, xm, zjlx, zjhm, ly, djzt, "
                            "fzid) values ('" +
                            kPayer + "', '王小二', '201', '110101200001010000', '1', '0', -1)"));
  Json answer = Ok(&IEmployeeService::queryWbryDataByIntf, {{"sbjbjgDm", "A1"}});
  EXPECT_EQ(answer["cgrs"], 1);
  EXPECT_EQ(answer["sbrs"], 1);
  EXPECT_EQ(LastCall().documentType, "SbfPlCbryJfDjxxCxRequest");
  const std::string where = " from sb_ryjbxxb where ly = '1' and zjhm = '" + theirs.zjhm + "'";
  EXPECT_EQ(Scalar("select hh" + where).substr(0, 2), "HH");
  EXPECT_EQ(Scalar("select fzid" + where), "3") << "the group carries over";
  EXPECT_EQ(Scalar("select bzxx" + where), "备注");
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where ly = '1'"), 2) << "replaced, not added";
  EXPECT_GT(Count("select count(*) as n from sb_ryjbxxb where ly = '0' or ly is null"), 0) << "server persons stay";

  Fault(R"({"kind":"code","serviceCode":"0057","code":"30035","message":"系统异常"})");
  EXPECT_EQ(Fails(&IEmployeeService::queryWbryDataByIntf, Json::object()), "同步异常：【30035】系统异常");
  EXPECT_EQ(Scalar("select fzid" + where), "3");
}

TEST_F(EmployeeExchanges, OutsidePersonsNowOnTheServerRosterAreMarkedRegistered) {
  FullSync();
  EXPECT_EQ(Ok(&IEmployeeService::synWbryDjzt, Json())["gxrs"], 0);
  const taxsim::Person mine = SimPersonAt(1);
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_ryjbxxb (djxh, xm, zjlx, zjhm, ly, djzt, fzid) values ('" + kPayer +
                            "', '" + mine.xm + "', '" + mine.zjlxDm + "', '" + mine.zjhm +
                            "', '1', '0', -1); insert into sb_ryjbxxb (djxh, xm, zjlx, zjhm, ly, djzt, " +
                            "fzid) values ('" + kPayer + "', 'O''Brien', '201', '110101200001010000', '1', '0', -1)"));
  EXPECT_EQ(Ok(&IEmployeeService::synWbryDjzt, Json())["gxrs"], 1);
  EXPECT_EQ(Scalar("select djzt from sb_ryjbxxb where ly = '1' and zjhm = '" + mine.zjhm + "'"), "1");
  EXPECT_EQ(Scalar("select djzt from sb_ryjbxxb where ly = '1' and xm = 'O''Brien'"), "0");
  EXPECT_EQ(Ok(&IEmployeeService::synWbryDjzt, Json())["gxrs"], 0) << "nothing left to mark";
}

}  // namespace
}  // namespace velmor::testing
