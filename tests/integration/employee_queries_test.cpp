// The employee service's person queries and payment states through the loaded plug-in against
// the simulator, on the data directory's SQLite file.
#include "employee_ops_fixture.h"

namespace velmor::testing {
namespace {

class EmployeeQueries : public EmployeeOpsFixture {};

TEST_F(EmployeeQueries, RegistrationFoundAndNotFoundInBothForms) {
  const taxsim::Person p = SimPersonAt(3);
  Json found = Ok(&IEmployeeService::ZrrDjxxCx, {{"zjlx", p.zjlxDm}, {"zjhm", p.zjhm}});
  ASSERT_EQ(found["zrrDjxxList"].size(), 1u);
  EXPECT_EQ(found["zrrDjxxList"][0]["xm"], p.xm);
  EXPECT_EQ(found["zrrDjxxList"][0]["rydjxh"], p.rydjxh);
  EXPECT_EQ(Ok(&IEmployeeService::ZrrDjxxCxEx, {{"zjhm", p.zjhm}})["zrrDjxxList"].size(), 1u);

  const Json nobody = {{"zjlx", "201"}, {"zjhm", "110101190001010000"}};
  EXPECT_EQ(Ok(&IEmployeeService::ZrrDjxxCx, nobody)["zrrDjxxList"], Json::array()) << "the plain form answers empty";
  EXPECT_EQ(Fails(&IEmployeeService::ZrrDjxxCxEx, nobody), "未查询到该居民信息。");

  EXPECT_EQ(Fails(&IEmployeeService::ZrrDjxxCx, Json::array({1})), "参数不是JSON对象。");
  EXPECT_EQ(Fails(&IEmployeeService::ZrrDjxxCx, Json::object()), "自然人登记信息查询异常：缺少证件号码zjhm");
}

TEST_F(EmployeeQueries, ServerFailuresCarryEachOperationsPrefix) {
  const taxsim::Person p = SimPersonAt(0);
  Fault(R"({"kind":"code","serviceCode":"0061","code":"30035","message":"应缴费额不存在"})");
  EXPECT_EQ(Fails(&IEmployeeService::synYjfeCx, {{"jfnd", "2024"}}),
            "城乡居民缴费金额查询异常：【30035】应缴费额不存在");
  Fault(R"({"kind":"refuse","serviceCode":"0060","code":"10042","message":"系统繁忙"})");
  EXPECT_EQ(Fails(&IEmployeeService::synCxYhzhxx, {{"zjhm", p.zjhm}}), "银行账户信息查询异常：系统繁忙");
  Fault(R"({"kind":"drop-list","serviceCode":"0065","list":"jfztList"})");
  EXPECT_EQ(Fails(&IEmployeeService::synJfztCx, {{"rydjxh", p.rydjxh}, {"jfnd", "2024"}}),
            "城乡居民缴费状态查询异常：反馈报文缺少<jfztList>节点。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0063"})");
  EXPECT_EQ(Fails(&IEmployeeService::jfrxxYz, {{"xm", p.xm}, {"zjhm", p.zjhm}}).rfind("缴费人信息验证异常：", 0), 0u);
  EXPECT_NE(env_->LogText().find("[TEmployeeServiceImpl.synCxYhzhxx]异常：系统繁忙"), std::string::npos);
}

TEST_F(EmployeeQueries, PersonDetailsGradesAccountsAndVerification) {
  const taxsim::Person p = SimPersonAt(1);
  const std::vector<taxsim::Item> items = SimItemsOf(p.rydjxh);
  Json jfdj = Ok(&IEmployeeService::ZrrJfdjxxCx, {{"zjlx", p.zjlxDm}, {"zjhm", p.zjhm}});
  ASSERT_EQ(jfdj["jfdjxxList"].size(), items.size());
  EXPECT_EQ(jfdj["jfdjxxList"][0]["xzid"], items[0].xzid);
  Json jfdj86 = Ok(&IEmployeeService::synZrrJfdjxxcxEx, {{"sfzjlx", p.zjlxDm}, {"sfzjhm", p.zjhm}});
  EXPECT_EQ(jfdj86["jfdjxxList"], jfdj["jfdjxxList"]) << "the document form answers the same";
  EXPECT_EQ(LastCall().documentType, "SbfZrrJfDjxxCxRequest");
  EXPECT_EQ(Fails(&IEmployeeService::synZrrJfdjxxcxEx, {{"sfzjhm", "110101190001010000"}}), "未查询到该居民信息。");

  EXPECT_EQ(Ok(&IEmployeeService::DgCxjmZjxxCx, {{"zjhm", p.zjhm}, {"jfnd", "2024"}})["zjxxList"].size(), items.size());
  Json grades = Ok(&IEmployeeService::ZrrJfbzcx,
                   {{"sbjbjgDm", items[0].sbjbjgDm}, {"zspmDm", items[0].zspmDm}, {"jfnd", "2024"}});
  ASSERT_EQ(grades["jfdcList"].size(), 3u);
  EXPECT_EQ(grades["jfdcList"][0]["jfbz"], "380.00");
  EXPECT_EQ(LastCall().documentType, "SbfCxjmJfdcRequest");
  EXPECT_EQ(Fails(&IEmployeeService::ZrrJfbzcx, {{"jfnd", "2024"}}), "城乡居民缴费金额查询异常：缺少征收品目zspmDm");

  Json accounts = Ok(&IEmployeeService::synCxYhzhxx, {{"zjhm", p.zjhm}});
  ASSERT_EQ(accounts["yhzhList"].size(), 1u);
  EXPECT_EQ(accounts["yhzhList"][0]["zhmc"], p.xm);
  EXPECT_EQ(Ok(&IEmployeeService::jfrxxYz, {{"xm", p.xm}, {"zjlx", p.zjlxDm}, {"zjhm", p.zjhm}})["yzjg"], "Y");
  EXPECT_EQ(Ok(&IEmployeeService::jfrxxYz, {{"xm", "别人"}, {"zjlx", p.zjlxDm}, {"zjhm", p.zjhm}})["yzjg"], "N");
  Json hd = Ok(&IEmployeeService::synLhjyryyclxxCx, {{"zjhm", p.zjhm}, {"ssny", "2024-05"}});
  ASSERT_EQ(hd["hdxxList"].size(), 1u);
  EXPECT_EQ(hd["hdxxList"][0]["ssny"], "2024-05");
  EXPECT_EQ(LastCall().documentType, "SbfLhjyryHdxxCxRequest");
}

TEST_F(EmployeeQueries, FeesPaidRefuseAnEmptyListBeforeAskingTheServer) {
  EXPECT_EQ(Fails(&IEmployeeService::synSbfjfqdCx, {{"jfnd", "2024"}}), "人员编号列表为空。");
  EXPECT_EQ(Fails(&IEmployeeService::synSbfjfqdCx, {{"rybhList", Json::array()}}), "人员编号列表为空。");
  EXPECT_EQ(Fails(&IEmployeeService::synSbfjfqdCx, {{"rybhList", "RY1"}}), "人员编号列表为空。");
  EXPECT_EQ(CallsOf("0080"), 0u);
  std::vector<std::string> rybh;
  size_t paid = 0;
  for (size_t k = 0; k < 4; ++k) {
    for (const auto& it : SimItemsOf(SimPersonAt(k).rydjxh)) paid += (it.xzid.back() - '0') % 2;
    rybh.push_back(SimItemsOf(SimPersonAt(k).rydjxh)[0].rybh);
  }
  Json fees = Ok(&IEmployeeService::synSbfjfqdCx, {{"rybhList", rybh}, {"jfnd", "2024"}});
  EXPECT_EQ(fees["jfqdList"].size(), paid);
}

TEST_F(EmployeeQueries, AmountsDueAndTheirCancellation) {
  const size_t due = SimItems();
  Json before = Ok(&IEmployeeService::synYjfeCx, {{"jfnd", "2024"}});
  ASSERT_EQ(before["yjfeList"].size(), due);
  EXPECT_EQ(LastCall().documentType, "SbfCxjmYjfeCxRequest");
  const std::string xzid = before["yjfeList"][0]["xzid"];
  Json cancel = {{"jfnd", "2024"}, {"zfmxList", {{{"xzid", xzid}}, {{"xzid", "X-NONE"}}}}};
  Json answer = Ok(&IEmployeeService::synYjfeZf, cancel);
  ASSERT_EQ(answer["zfjgList"].size(), 2u);
  EXPECT_EQ(answer["zfjgList"][0]["zfbz"], "Y");
  EXPECT_EQ(answer["zfjgList"][1]["zfbz"], "N");
  EXPECT_EQ(Ok(&IEmployeeService::synYjfeCx, {{"jfnd", "2024"}})["yjfeList"].size(), due - 1);
  EXPECT_EQ(Ok(&IEmployeeService::synYjfeZf, cancel)["zfjgList"][0]["sbyy"], "应缴费额已作废");
  EXPECT_EQ(Fails(&IEmployeeService::synYjfeZf, {{"jfnd", "2024"}}), "城乡居民应缴费额作废异常：作废明细为空");
}

TEST_F(EmployeeQueries, BatchDeductionQueryAndCancellation) {
  Json periods = Ok(&IEmployeeService::synDpkqcCx, {{"jfnd", "2024"}});
  ASSERT_EQ(periods["plkkqcList"].size(), 1u);
  EXPECT_EQ(periods["plkkqcList"][0]["kkzt"], "1");
  EXPECT_EQ(periods["plkkqcList"][0]["kkrs"], std::to_string(SimPersons()));
  const std::string qcid = periods["plkkqcList"][0]["qcid"];
  Ok(&IEmployeeService::synDpkqcZf, {{"qcid", qcid}});
  EXPECT_EQ(LastCall().documentType, "DpkqcZfRequest");
  EXPECT_EQ(Ok(&IEmployeeService::synDpkqcCx, {{"jfnd", "2024"}})["plkkqcList"][0]["kkzt"], "9");
  EXPECT_EQ(Fails(&IEmployeeService::synDpkqcZf, {{"qcid", qcid}}), "作废异常：【30012】该期次已作废");
  EXPECT_EQ(Fails(&IEmployeeService::synDpkqcZf, {{"qcid", "QC-NONE"}}), "作废异常：【30011】批量扣款期次不存在");
}

TEST_F(EmployeeQueries, PaymentStatesOfOnePersonAndOfAList) {
  const taxsim::Person a = SimPersonAt(0), b = SimPersonAt(1);
  Json one = Ok(&IEmployeeService::synJfztCx, {{"rydjxh", a.rydjxh}, {"jfnd", "2024"}});
  EXPECT_EQ(one["jfztList"].size(), SimItemsOf(a.rydjxh).size());
  Json two = Ok(&IEmployeeService::synJfztCx_V2, {{"rydjxhList", {a.rydjxh, b.rydjxh}}, {"jfnd", "2024"}});
  EXPECT_EQ(two["jfztList"].size(), SimItemsOf(a.rydjxh).size() + SimItemsOf(b.rydjxh).size());
  EXPECT_EQ(Ok(&IEmployeeService::synJfztCx, {{"rydjxh", a.rydjxh}, {"jfnd", "2019"}})["jfztList"], Json::array());
}

// Enough persons for several jobs of 100.
class EmployeePaymentStates : public EmployeeOpsFixture {
 protected:
  EmployeePaymentStates() : EmployeeOpsFixture(460, 2) {}
};

TEST_F(EmployeePaymentStates, AllPersonsAsynchronouslyReplaceTheStoredYear) {
  FullSync();
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_ryjfztb (djxh, rydjxh, jfnd, xzid, jfzt) values ('" + kPayer +
                            "', 'OLD', '2024', 'X-OLD', '0'); insert into ds_ryjfztb (djxh, rydjxh, jfnd, xzid, jfzt) "
                            "values ('" +
                            kPayer + "', 'OLD', '2023', 'X-OLD', '1')"));
  const uint64_t requestsBefore = sim_.RequestCount();
  Json answer = Ok(&IEmployeeService::synJfztCx_All, {{"jfnd", "2024"}});
  EXPECT_EQ(answer["jobs"], 3) << "230 persons in jobs of 100";
  EXPECT_EQ(answer["zs"], SimItems());
  // Each job is submitted, answered "pending" twice, then handed out.
  EXPECT_GE(sim_.RequestCount() - requestsBefore, 3u * 4u);
  EXPECT_EQ(Count("select count(*) as n from ds_ryjfztb where jfnd = '2024'"), static_cast<int>(SimItems()));
  EXPECT_EQ(Scalar("select xzid from ds_ryjfztb where rydjxh = 'OLD' and jfnd = '2024'"), "<none>");
  EXPECT_EQ(Scalar("select xzid from ds_ryjfztb where rydjxh = 'OLD' and jfnd = '2023'"), "X-OLD")
      << "other years stay";
  bool submitted = false;
  for (const auto& c : sim_.RecentCalls()) submitted = submitted || (c.serviceCode == "0065" && c.endpoint == "submit");
  EXPECT_TRUE(submitted);

  // A failed job keeps what was stored.
  Fault(R"({"kind":"refuse","serviceCode":"0065","endpoint":"poll","code":"10042","message":"系统繁忙"})");
  const std::string message = Fails(&IEmployeeService::synJfztCx_All, {{"jfnd", "2024"}});
  EXPECT_EQ(message.rfind("城乡居民缴费状态查询异常：异步请求失败", 0), 0u) << message;
  EXPECT_EQ(Count("select count(*) as n from ds_ryjfztb where jfnd = '2024'"), static_cast<int>(SimItems()));
  EXPECT_EQ(Fails(&IEmployeeService::synJfztCx_All, Json::object()), "缴费年度不能为空。");
}

}  // namespace
}  // namespace velmor::testing
