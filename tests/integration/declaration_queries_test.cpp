// The residents' and co-operative medical queries, the enrolment years, the refill of missing fee
// periods and the persons' exports, through the loaded plug-in against the simulator.
#include "declaration_fixture.h"

#include <ctime>

namespace velmor::testing {
namespace {

// The payer 10011 with two persons on the server, one item each in 2026 and one more in 2025.
void SeedRoster(taxsim::Simulator& sim) {
  sim.WithState([](taxsim::State& s) {
    s.payers.push_back({"10011", "91440000000000001X", "测试单位", "14401", "A01", "440100"});
    s.persons.push_back({"10011", "P1", "张三", "201", "110101199001010011", "1", "1990-01-01", "156", "", ""});
    s.persons.push_back({"10011", "P2", "李四", "201", "110101199202020022", "2", "1992-02-02", "156", "", ""});
    taxsim::Item a{"10011", "P1", "A01", "R1", "X1", "01", "10210", "102100100", "1", "2026-01", "", "2026", "Y", 380};
    taxsim::Item b = a;
    b.rydjxh = "P2";
    b.rybh = "R2";
    b.yjfe = 250;
    taxsim::Item c = a;
    c.jfnd = "2025";
    c.yjfe = 350;
    s.items = {a, b, c};
    s.Reindex();
    return 0;
  });
}

class Queries : public DeclarationFlow {
 protected:
  Queries() { SeedRoster(sim); }
  using QueryFn = bool (IRcsbMgr::*)(const std::string&, IProgressView*, std::string&, std::string&);
  Json Ask(QueryFn fn, const Json& params) {
    std::string result, error;
    EXPECT_TRUE(((*mgr_).*fn)(params.dump(), nullptr, result, error)) << error;
    return result.empty() ? Json() : Json::parse(result);
  }
  std::string Fails(QueryFn fn, const std::string& params) {
    std::string result, error;
    EXPECT_FALSE(((*mgr_).*fn)(params, nullptr, result, error));
    EXPECT_EQ(mgr_->GetErrorMessage(), error);
    return error;
  }
  // The body of the last submitted job.
  Json LastSubmitted() {
    for (const auto& c : sim.RecentCalls()) {
      if (c.endpoint == "submit") last_ = Json::parse(c.body);
    }
    return last_;
  }
  Json last_;
};

TEST_F(Queries, EachQueryHandsBackTheServersAnswer) {
  Send(Declaration(), 2);
  Pay("1100000001", 100);
  Json r = Ask(&IRcsbMgr::synCxjmsbfsbecjfCx, Json::object());
  EXPECT_EQ(LastCode(), "0296");
  EXPECT_EQ(r["code"], "00000");
  EXPECT_EQ(r["sbfEcjfList"], Json::parse(R"([{"yzpzxh":"1100000001","yjfe":"630.00","yjkje":"100.00",
                                               "wjkje":"530.00"}])"));

  r = Ask(&IRcsbMgr::synSzgzdjylxnhsfCx, {{"jfnd", "2025"}});
  EXPECT_EQ(LastCode(), "0297");
  ASSERT_EQ(r["xnhsfList"].size(), 1u) << "a list of one row stays a list";
  EXPECT_EQ(r["xnhsfList"][0]["yjfe"], "350.00");

  r = Ask(&IRcsbMgr::synSzgjxnhcxdjdx, Json::object());
  EXPECT_EQ(LastCode(), "0298");
  ASSERT_EQ(r["djdxList"].size(), 2u);
  EXPECT_EQ(r["djdxList"][1]["xm"], "李四");

  r = Ask(&IRcsbMgr::synCxjmjbylbxyjfjeCx, {{"jfnd", "2026"}});
  EXPECT_EQ(LastCode(), "0361");
  EXPECT_EQ(r["rs"], "2");
  EXPECT_EQ(r["yjfje"], "630.00");

  r = Ask(&IRcsbMgr::synCxjmjfxxCx, Json::object());
  EXPECT_EQ(LastCode(), "0300");
  EXPECT_EQ(LastSubmitted()["cxlx"], "1");
  EXPECT_EQ(r["jfxxList"].size(), 3u) << "two years of 张三, one of 李四";
  r = Ask(&IRcsbMgr::synCxjmjfxxCxGr, {{"zjhm", "110101199202020022"}});
  EXPECT_EQ(LastSubmitted()["cxlx"], "2");
  EXPECT_EQ(r["jfxxList"], Json::parse(R"([{"xm":"李四","zjhm":"110101199202020022","jfnd":"2026",
                                           "yjfe":"250.00"}])"));
}

TEST_F(Queries, TheParametersBecomeTheBodyWithTheCallsOwnSerialAndPayer) {
  Ask(&IRcsbMgr::synCxjmjbylbxyjfjeCx, {{"djxh", "99999"}, {"jfnd", "2026"}, {"yblsh", "MINE"}, {"bz", "a\"b"}});
  const Json body = LastSubmitted();
  std::string keys;
  for (const auto& [k, v] : body.items()) keys += k + ",";
  EXPECT_EQ(keys, "yblsh,jfnd,bz,djxh,");
  EXPECT_EQ(body["djxh"], "10011");
  EXPECT_NE(body["yblsh"], "MINE");
  EXPECT_EQ(body["bz"], "a\"b");
  // Another call gets another serial.
  Ask(&IRcsbMgr::synCxjmjbylbxyjfjeCx, {{"jfnd", "2026"}});
  EXPECT_NE(LastSubmitted()["yblsh"], body["yblsh"]);
  // No parameters at all is an empty object.
  std::string result, error;
  EXPECT_TRUE(mgr_->synSzgjxnhcxdjdx("", nullptr, result, error)) << error;
}

TEST_F(Queries, FailuresCarryThePrefixAndAreLogged) {
  EXPECT_EQ(Fails(&IRcsbMgr::synSzgjxnhcxdjdx, "[1,2]"), "查询异常：查询参数不是JSON对象");
  EXPECT_EQ(Fails(&IRcsbMgr::synSzgjxnhcxdjdx, "{bad"), "查询异常：查询参数不是JSON对象");
  // The server's own refusal of the request's content.
  EXPECT_EQ(Fails(&IRcsbMgr::synCxjmjbylbxyjfjeCx, "{}"), "查询异常：【30001】缺少查询条件[jfnd]");
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.synCxjmjbylbxyjfjeCx]异常：【30001】缺少查询条件[jfnd]"), std::string::npos);
  EXPECT_EQ(Fails(&IRcsbMgr::synCxjmjfxxCxGr, "{}"), "查询异常：缺少证件号码[zjhm]");
  EXPECT_EQ(Fails(&IRcsbMgr::synCxjmjfxxCxGr, R"({"zjhm":"000"})"), "查询异常：【30062】未查询到缴费信息");

  taxsim::Fault refuse;
  refuse.serviceCode = "0296";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  sim.Faults().Add(refuse);
  const std::string refused = Fails(&IRcsbMgr::synCxjmsbfsbecjfCx, "{}");
  EXPECT_EQ(refused.rfind("查询异常：", 0), 0u);
  EXPECT_NE(refused.find("服务暂停"), std::string::npos) << refused;

  taxsim::Fault code;
  code.kind = taxsim::FaultKind::kCode;
  code.serviceCode = "0297";
  code.code = "30005";
  code.message = "系统繁忙";
  sim.Faults().Add(code);
  EXPECT_EQ(Fails(&IRcsbMgr::synSzgzdjylxnhsfCx, "{}").rfind("查询异常：【30005】", 0), 0u);

  taxsim::Fault garbled;
  garbled.kind = taxsim::FaultKind::kBadBase64;
  garbled.serviceCode = "0298";
  sim.Faults().Add(garbled);
  const std::string bad = Fails(&IRcsbMgr::synSzgjxnhcxdjdx, "{}");
  EXPECT_EQ(bad.rfind("查询异常：", 0), 0u);
  EXPECT_GT(bad.size(), std::string("查询异常：").size());

  taxsim::Fault drop;
  drop.kind = taxsim::FaultKind::kDrop;
  drop.serviceCode = "0300";
  sim.Faults().Add(drop);
  EXPECT_EQ(Fails(&IRcsbMgr::synCxjmjfxxCx, "{}").rfind("查询异常：", 0), 0u);
  // The next call is served again.
  EXPECT_EQ(Ask(&IRcsbMgr::synCxjmjfxxCx, Json::object())["code"], "00000");
}

// ---- Enrolment years -------------------------------------------------------------------------

class EnrolmentYears : public DeclarationFlow {
 protected:
  EnrolmentYears() : DeclarationFlow("[differ]\ncbxzDjNf_YANGL = 2019\n") {}
};

TEST_F(EnrolmentYears, RegionalSettingThenSystemParameterThenTheCurrentYear) {
  std::string year, error;
  ASSERT_TRUE(mgr_->GetCbxzDjNfYangl(year, error)) << error;
  EXPECT_EQ(year, "2019");
  ASSERT_TRUE(mgr_->GetCbxzDjNfYil(year, error)) << error;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  EXPECT_EQ(year, std::to_string(tm.tm_year + 1900)) << "nothing configured";

  Ref<ISysParamIntf> params = env_.plugin().CreateService<ISysParamIntf>();
  ASSERT_TRUE(params);
  params->SetDjxh("10011");
  ASSERT_TRUE(params->SetValue("cbxzDjNf_YIL", " 2024 "));
  ASSERT_TRUE(mgr_->GetCbxzDjNfYil(year, error)) << error;
  EXPECT_EQ(year, "2024");
  ASSERT_TRUE(params->SetValue("cbxzDjNf_YANGL", "2030"));
  ASSERT_TRUE(mgr_->GetCbxzDjNfYangl(year, error)) << error;
  EXPECT_EQ(year, "2019") << "the regional setting wins";

  ASSERT_TRUE(params->SetValue("cbxzDjNf_YIL", "20x4"));
  year = "unchanged";
  EXPECT_FALSE(mgr_->GetCbxzDjNfYil(year, error));
  EXPECT_EQ(error, "参保登记年度[cbxzDjNf_YIL]配置无效：20x4");
  EXPECT_EQ(year, "unchanged");
}

// ---- Fee periods and store forwards ----------------------------------------------------------

TEST_F(DeclarationFlow, MissingFeePeriodsAreRefilledFromThePersons) {
  const int32_t id = Send(Declaration(), 2);
  const int32_t failed = Send(Declaration("", "ERR1"), 3);
  Exec("update ds_sbmxb set fkssqq = '', fkssqz = null");
  Exec("update ds_sbrymxb set fkssqq = '2026-01-01', fkssqz = '2026-06-30' where mxxh = '1'");
  Exec("update ds_sbrymxb set fkssqq = '2026-03-01', fkssqz = '2026-12-31' where mxxh = '2'");
  int32_t filled = -1;
  ASSERT_TRUE(mgr_->handleSbcgNullFkssq(filled)) << mgr_->GetErrorMessage();
  EXPECT_EQ(filled, 1) << "only declared masters";
  EXPECT_EQ(Get("select fkssqq || '~' || fkssqz from ds_sbmxb where zbid = " + std::to_string(id)),
            "2026-01-01~2026-12-31");
  EXPECT_EQ(Get("select ifnull(fkssqz, 'null') from ds_sbmxb where zbid = " + std::to_string(failed)), "null");
  ASSERT_TRUE(mgr_->handleSbcgNullFkssq(filled));
  EXPECT_EQ(filled, 0);

  // A store failure is reported with the store's text.
  FaultInjection::FailStatement(1);
  EXPECT_FALSE(mgr_->handleSbcgNullFkssq(filled));
  FaultInjection::Clear();
  EXPECT_EQ(mgr_->GetErrorMessage(), "数据库执行失败");
}

TEST_F(DeclarationFlow, StoreForwardsCopyTheStoresErrorText) {
  const int32_t id = Send(Declaration("", "ERR1"), 3);
  int32_t count = 0;
  std::string rows;
  ASSERT_TRUE(mgr_->GetSbrymxCount(id, count));
  EXPECT_EQ(count, 2);
  ASSERT_TRUE(mgr_->GetSbrymxCount(id, "", 1, count));
  EXPECT_EQ(count, 1);
  ASSERT_TRUE(mgr_->GetSbrymxLb(id, 1, 1, rows));
  EXPECT_EQ(Json::parse(rows).size(), 1u);
  ASSERT_TRUE(mgr_->GetYzpzxhLb("10011", rows));
  EXPECT_EQ(Json::parse(rows)[0]["id"], std::to_string(id));
  ASSERT_TRUE(mgr_->GetJfdjStatistics("10011", rows));
  EXPECT_EQ(Json::parse(rows)["zs"], "0");

  EXPECT_FALSE(mgr_->GetSbzbData("not json", 1, 10, rows));
  EXPECT_EQ(mgr_->GetErrorMessage(), "数据库查询失败");
  EXPECT_FALSE(mgr_->GetStatsData("10011", "00", "2;6", rows));
  EXPECT_EQ(mgr_->GetErrorMessage(), "数据库查询失败");
  FaultInjection::FailStatement(1);
  EXPECT_FALSE(mgr_->DelJfrydjxx(1));
  FaultInjection::Clear();
  EXPECT_EQ(mgr_->GetErrorMessage(), "数据库执行失败");
  EXPECT_TRUE(mgr_->DelJfrydjxx(1));
  EXPECT_EQ(mgr_->GetErrorMessage(), "") << "a success clears the last error";
}

// ---- Exports of the persons ------------------------------------------------------------------

TEST_F(DeclarationFlow, ThePersonsExportsMarkTheCheckResult) {
  const int32_t id = Send(Declaration("", "ERR1"), 3);
  const std::string plain = env_.dir().File("ry.xlsx"), checked = env_.dir().File("jyjg.xlsx");
  std::string error;
  ASSERT_TRUE(mgr_->ExportSbrymx(id, plain, error)) << error;
  std::string text = XlsxText(plain);
  for (const char* expected : {"申报人员明细", "张三", "110101199001010011", "社保编码"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(text.find("校验结果"), std::string::npos);

  ASSERT_TRUE(mgr_->ExportSbrymxJyjg(id, checked, error)) << error;
  text = XlsxText(checked);
  for (const char* expected : {"申报人员校验结果", "校验结果", "校验通过", "校验不通过", "证件号码校验不通过"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  // A declared one: every person passed.
  const int32_t declared = Send(Declaration(), 2);
  ASSERT_TRUE(mgr_->ExportSbrymxJyjg(declared, checked, error)) << error;
  EXPECT_EQ(XlsxText(checked).find("校验不通过"), std::string::npos);

  EXPECT_FALSE(mgr_->ExportSbrymx(999, plain, error));
  EXPECT_EQ(error, "导出申报明细异常：申报记录[999]不存在");
  EXPECT_FALSE(mgr_->ExportSbrymxJyjg(id, "", error));
  EXPECT_EQ(error, "导出申报明细异常：导出文件名为空");
  // A failed export leaves the earlier file whole.
  EXPECT_FALSE(mgr_->ExportSbrymxJyjg(id, env_.dir().File("no/such/dir.xlsx"), error));
  EXPECT_NE(XlsxText(checked).find("申报人员校验结果"), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
