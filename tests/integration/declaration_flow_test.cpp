// The daily declaration through the real plug-in: the reference host loads libVelmorService.so
// through its exports, the declaration manager and store are created from the classes it
// registered, the server is the simulator on loopback and the database a temporary SQLite file.
#include "declaration_fixture.h"

#include <algorithm>

namespace velmor::testing {
namespace {

// ---- Submission ------------------------------------------------------------------------------

TEST_F(DeclarationFlow, EachOutcomeOfASubmission) {
  ASSERT_TRUE(mgr_ && dao_);
  // Declared at once: the voucher is stored; residents' rows ("00") send what is actually payable.
  const int32_t declared = Send(Declaration(), 2);
  EXPECT_EQ(Master(declared), "2|1100000001||0");
  EXPECT_EQ(LastCode(), "0004");
  EXPECT_NE(LastDocument().find("<jfmxxh>1</jfmxxh><sbjbjgDm>A01</sbjbjgDm>"), std::string::npos);
  EXPECT_NE(LastDocument().find("<jfnd>2026</jfnd><yjfe>250</yjfe>"), std::string::npos) << LastDocument();
  EXPECT_NE(LastDocument().find("<jfnd>2026</jfnd><yjfe>380</yjfe>"), std::string::npos);
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(declared)), "2");
  EXPECT_EQ(Get("select jywyid = (select jywyid from ds_sbzb where id = 1) and length(jywyid) > 0 from ds_sbzb "
                "where id = 1"), "1");

  // Refused with "10042": stored in state 1 without voucher, completed later by "0005".
  const int32_t queued = Send(Declaration("QUEUE"), 1);
  EXPECT_EQ(Master(queued), "1|||0");
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->GetSbFk(queued, nullptr, state, error)) << error;
  EXPECT_EQ(LastCode(), "0005");
  EXPECT_EQ(state, 2);
  EXPECT_EQ(Master(queued), "2|1100000002||0");

  // Accepted without a final result: state 9, completed by "0103" under the business id.
  const int32_t pending = Send(Declaration("ASYNC"), 9);
  ASSERT_TRUE(mgr_->GetSbFk(pending, nullptr, state, error)) << error;
  EXPECT_EQ(LastCode(), "0103");
  EXPECT_EQ(state, 2);
  // A declared master needs no feedback.
  EXPECT_FALSE(mgr_->GetSbFk(pending, nullptr, state, error));
  EXPECT_EQ(error, "系统异常，请稍后再试");

  // Failed for a named person: state 3, the reason, and that person marked.
  const int32_t failed = Send(Declaration("", "ERR9"), 3);
  EXPECT_EQ(Get("select sbyy from ds_sbzb where id = " + std::to_string(failed)), "【20001】申报校验不通过");
  EXPECT_EQ(Get("select group_concat(mxxh || ':' || jyzt || ':' || ifnull(sbyy, ''), ',') from ds_sbrymxb "
                "where mxbid = " + std::to_string(failed)),
            "1:0:,2:1:证件号码校验不通过");
}

TEST_F(DeclarationFlow, AFailedCallStoresNothing) {
  taxsim::Fault refuse;
  refuse.serviceCode = "0004";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  sim.Faults().Add(refuse);
  int32_t id = 0, state = 0;
  std::string error;
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(error, "服务暂停") << "a refusal shows the server's message alone";
  EXPECT_EQ(mgr_->GetErrorMessage(), error);
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.SbSend]异常：服务暂停"), std::string::npos);

  taxsim::Fault drop;
  drop.kind = taxsim::FaultKind::kDrop;
  drop.serviceCode = "0004";
  sim.Faults().Add(drop);
  EXPECT_FALSE(mgr_->SbSend(Declaration().dump(), nullptr, id, state, error));
  EXPECT_EQ(error.rfind("发送申报异常：", 0), 0u) << error;
  EXPECT_NE(error.find("；服务器可能已受理，请先同步申报清单"), std::string::npos) << error;
  EXPECT_NE(env_.LogText().find("[TRcsbMgr.SbSend]异常：" + error.substr(std::string("发送申报异常：").size())),
            std::string::npos);
  // The connection dropped before the server took it: the feedback under its serial finds
  // nothing, so the journal is settled as failed.
  const int32_t dropped = LastId();
  ASSERT_EQ(Master(dropped), "10|||0");
  ASSERT_TRUE(mgr_->GetSbFk(dropped, nullptr, state, error)) << error;
  EXPECT_EQ(state, 3);
  EXPECT_EQ(Master(dropped), "3||【30001】未找到该流水号的申报|0");

  // A feedback whose code is not "00000" without a final result fails the call.
  taxsim::Fault code;
  code.kind = taxsim::FaultKind::kCode;
  code.serviceCode = "0004";
  code.code = "30001";
  code.message = "纳税人状态异常";
  sim.Faults().Add(code);
  EXPECT_FALSE(mgr_->SbSend(Declaration("ASYNC").dump(), nullptr, id, state, error));
  EXPECT_EQ(error.rfind("发送申报异常：【30001】", 0), 0u) << error;
  EXPECT_EQ(Counts(), "1/1/2") << "only the one settled as failed";

  EXPECT_FALSE(mgr_->SbSend("{not json", nullptr, id, state, error));
  EXPECT_EQ(error.rfind("发送申报异常：申报数据无效", 0), 0u) << error;
}

TEST_F(DeclarationFlow, AValueTheDocumentCannotCarryIsNamedAndNothingIsSentOrStored) {
  struct Case {
    const char* field;
    std::string value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"xz_xzjddm", std::string("1101\0", 5), "第2行人员张三的xzjdDm含NUL字符"},
      {"zspmdm", "102100100\t", "第2行人员张三的zspmDm含控制字符"},
      {"cxjmsbbm", "R\xf0\x9f\x98\x80", "第2行人员张三的cxjmsbbm含GBK无法表示的字符"},
  };
  const size_t calls = sim.RecentCalls().size();
  int32_t id = 0, state = 0;
  std::string error;
  for (const Case& c : cases) {
    Json sb = Declaration();
    sb["details"][0]["persons"][1][c.field] = c.value;
    EXPECT_FALSE(mgr_->SbSend(sb.dump(), nullptr, id, state, error)) << c.field;
    EXPECT_EQ(error, "发送申报异常：创建报文异常：" + c.expected) << c.field;
  }
  // Bytes that are not UTF-8 do not even make a declaration.
  std::string text = Declaration().dump();
  text.replace(text.find("\"jfnd\":\"2026\""), 13, "\"jfnd\":\"20\xff\"");
  EXPECT_FALSE(mgr_->SbSend(text, nullptr, id, state, error));
  EXPECT_EQ(error.rfind("发送申报异常：申报数据无效", 0), 0u) << error;
  EXPECT_EQ(sim.RecentCalls().size(), calls) << "nothing sent";
  EXPECT_EQ(Counts(), "0/0/0") << "nothing stored";

  // The second form's document is UTF-8: a character GBK lacks travels there.
  Json sb = Declaration();
  sb["details"][0]["persons"][1]["cxjmsbbm"] = "R\xf0\x9f\x98\x80";
  EXPECT_TRUE(mgr_->SbSend_61(sb.dump(), nullptr, id, state, error)) << error;
}

// A declaration of a shape the plug-in's reader leaves to the general parser ("details" given
// twice: the last counts) is built before its journal rather than beside it, and its document is
// the one of the same declaration in the usual shape.
TEST_F(DeclarationFlow, ADeclarationHeldAsATreeSendsTheSameDocument) {
  const std::string plain = Declaration().dump();
  std::string twice = plain;
  twice.insert(1, "\"details\":[],");
  int32_t id = 0, state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->SbSend(plain, nullptr, id, state, error)) << error;
  const std::string usual = sim.RecentCalls().back().documentText;
  ASSERT_FALSE(usual.empty());
  const size_t calls = sim.RecentCalls().size();
  mgr_->SbSend(twice, nullptr, id, state, error);  // the server may take it as filed twice
  ASSERT_EQ(sim.RecentCalls().size(), calls + 1) << error;
  EXPECT_EQ(sim.RecentCalls().back().documentText, usual);
}

TEST_F(DeclarationFlow, ADeclaredMasterWithoutAmountNeedsNoPayment) {
  const int32_t id = Send(Declaration("", "R2", 0), 2);
  EXPECT_EQ(Master(id), "2|1100000001||8");
  const int32_t paid = Send(Declaration(), 2);
  EXPECT_EQ(Master(paid), "2|1100000002||0");
}

// ---- Store failures --------------------------------------------------------------------------

TEST_F(DeclarationFlow, AFailureAtAnyStatementOfTheSaveLeavesTheTablesAsTheyWere) {
  const Json sb = Declaration();
  int32_t id = 0;
  ASSERT_TRUE(dao_->SaveSbData(sb.dump(), id)) << dao_->GetErrorMessage();
  const std::string before = Counts();
  ASSERT_EQ(before, "1/1/2");
  const std::vector<std::string> texts = {"保存申报主表失败。", "获取主表ID失败。", "保存申报明细表失败。",
                                          "获取明细表ID失败。", "保存申报人员明细表失败。", "数据库执行异常"};
  int failures = 0;
  for (int n = 1; n < 20; ++n) {
    FaultInjection::FailStatement(n);
    const bool ok = dao_->SaveSbData(sb.dump(), id);
    FaultInjection::Clear();
    if (ok) break;
    ++failures;
    EXPECT_EQ(Counts(), before) << "statement " << n;
    EXPECT_NE(std::find(texts.begin(), texts.end(), dao_->GetErrorMessage()), texts.end())
        << n << ": " << dao_->GetErrorMessage();
  }
  EXPECT_EQ(failures, 6) << "master, its id, detail, its id, two persons";
  EXPECT_EQ(Counts(), "2/2/4");
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(dao_->SaveSbData(sb.dump(), id));
  EXPECT_EQ(Counts(), "2/2/4");
}

// ---- Void ------------------------------------------------------------------------------------

TEST_F(DeclarationFlow, VoidingKeepsTheReasonTheServerGives) {
  const int32_t id = Send(Declaration(), 2);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->Sbzf(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 5);
  EXPECT_EQ(Master(id), "5|1100000001||0");
  EXPECT_EQ(Get("select length(zfsj) from ds_sbzb where id = " + std::to_string(id)), "19");
  // Voided before: "30035" also gives 5, with the server's message kept as reason.
  ASSERT_TRUE(mgr_->Sbzf(id, nullptr, state, error)) << error;
  EXPECT_EQ(state, 5);
  EXPECT_EQ(Master(id), "5|1100000001|该申报已作废|0");
  // A voucher the server does not know: still declared, with the code and message as reason.
  const int32_t other = Send(Declaration(), 2);
  Exec("update ds_sbzb set yzpzxh = 'X404' where id = " + std::to_string(other));
  ASSERT_TRUE(mgr_->Sbzf(other, nullptr, state, error)) << error;
  EXPECT_EQ(state, 2);
  EXPECT_EQ(Get("select substr(sbyy, 1, 7) from ds_sbzb where id = " + std::to_string(other)), "【30036】");
  // Nothing to void without a voucher, and an unknown id.
  const int32_t queued = Send(Declaration("QUEUE"), 1);
  EXPECT_FALSE(mgr_->Sbzf(queued, nullptr, state, error));
  EXPECT_EQ(error, "作废申报异常：申报记录没有应征凭证序号，不能作废");
  EXPECT_FALSE(mgr_->Sbzf(999, nullptr, state, error));
  EXPECT_EQ(error, "作废申报异常：申报记录[999]不存在");
}

// ---- Payment state ---------------------------------------------------------------------------

TEST_F(DeclarationFlow, PaymentStatesFromTheUnpaidAndPaidAmounts) {
  Send(Declaration(), 2);
  Send(Declaration(), 2);
  Send(Declaration(), 2);
  Pay("1100000002", 100);
  Pay("1100000003", 630);
  std::string vouchers, states, error;
  ASSERT_TRUE(mgr_->GetWjkDataLb("10011", "2,6", vouchers));
  EXPECT_EQ(vouchers, R"(["1100000001","1100000002","1100000003"])");
  ASSERT_TRUE(mgr_->BatGetJkzt(vouchers, nullptr, 30, states, error)) << error;
  EXPECT_EQ(Json::parse(states), Json::parse(R"({"1100000001":0,"1100000002":2,"1100000003":3})"));
  EXPECT_EQ(Get("select group_concat(jkzt, ',') from (select jkzt from ds_sbzb order by id)"), "0,2,3");
  ASSERT_TRUE(mgr_->GetWjkDataLb("10011", "2,6", vouchers));
  EXPECT_EQ(vouchers, R"(["1100000001","1100000002"])") << "paid vouchers are not asked again";

  EXPECT_FALSE(mgr_->BatGetJkzt("[]", nullptr, 0, states, error));
  EXPECT_EQ(error, "应征凭证序号列表为空。");
  EXPECT_FALSE(mgr_->BatGetJkzt(R"(["UNKNOWN"])", nullptr, 0, states, error));
  EXPECT_EQ(error, "扣款结果对象为空");
  taxsim::Fault refuse;
  refuse.serviceCode = "0014";
  refuse.code = "10009";
  refuse.message = "服务暂停";
  sim.Faults().Add(refuse);
  EXPECT_FALSE(mgr_->BatGetJkzt(R"(["1100000001"])", nullptr, 0, states, error));
  EXPECT_EQ(error, "服务暂停");
}

// ---- Downloads -------------------------------------------------------------------------------

TEST_F(DeclarationFlow, TheListDownloadUpdatesKnownMastersInsertsNewOnesAndSkipsVoidedOnes) {
  const int32_t kept = Send(Declaration(), 2);
  const int32_t gone = Send(Declaration(), 2);
  const int32_t voided = Send(Declaration(), 2);
  int32_t state = 0;
  std::string error;
  ASSERT_TRUE(mgr_->Sbzf(voided, nullptr, state, error));
  Exec("delete from ds_sbzb where id = " + std::to_string(gone));
  ASSERT_TRUE(mgr_->synSbqdCx("5", "2026-01-01", "2026-12-31", nullptr, error)) << error;
  EXPECT_EQ(Get("select group_concat(yzpzxh || ':' || sbzt, ',') from (select * from ds_sbzb order by id)"),
            "1100000001:2,1100000003:5,1100000002:2");
  EXPECT_EQ(Get("select sbsj from ds_sbzb where id = " + std::to_string(kept)), "2026-01-15 09:30:00");

  // The download for selected payer types asks once per type, by declaration date.
  ASSERT_TRUE(mgr_->DownloadSbqdByJfrlxs("9,5", true, "2026-01-01", "2026-01-31", nullptr, error)) << error;
  auto calls = sim.RecentCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_NE(calls[calls.size() - 2].body.find(R"("jfrlx":"5","zgswjgdm":"","sbrqq":"2026-01-01")"),
            std::string::npos) << calls[calls.size() - 2].body;
  EXPECT_NE(calls.back().body.find(R"("jfrlx":"9")"), std::string::npos);
  EXPECT_FALSE(mgr_->DownloadSbqdByJfrlxs("7", true, "", "", nullptr, error));
  EXPECT_EQ(error, "下载异常。不支持的缴费人类型[7]");

  taxsim::Fault dropList;
  dropList.kind = taxsim::FaultKind::kDropList;
  dropList.list = "sbqkxxList";
  sim.Faults().Add(dropList);
  EXPECT_FALSE(mgr_->synSbqdCx("5", "", "", nullptr, error));
  EXPECT_EQ(error, "申报清单查询反馈报文异常：反馈报文缺少<sbqkxxList>节点。");
  sim.Faults().Add(dropList);
  EXPECT_FALSE(mgr_->synSbqdCxSjjk("2026-01-01", "2026-12-31", nullptr, error));
  EXPECT_EQ(error, "申报清单查询异常：反馈报文缺少<sbqkxxList>节点。");
  ASSERT_TRUE(mgr_->synSbqdCxSjjk("2026-01-01", "2026-12-31", nullptr, error)) << error;
  EXPECT_EQ(LastCode(), "0299");
}

TEST_F(DeclarationFlow, ThePersonsOfAVoucherReplaceTheStoredOnes) {
  const int32_t id = Send(Declaration(), 2);
  Exec("update ds_sbrymxb set xm = 'OLD' where mxbid = " + std::to_string(id));
  int32_t count = -1;
  std::string error;
  ASSERT_TRUE(mgr_->SbmxjlXz("1100000001", nullptr, count, error)) << error;
  EXPECT_EQ(LastCode(), "0081");
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Get("select group_concat(mxxh || ':' || rybh || ':' || jfje || ':' || fkssqq, ',') from ds_sbrymxb "
                "where mxbid = " + std::to_string(id)),
            "1:R1:250.0:2026-01-01,2:R2:380.0:2026-01-01");
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where xm = 'OLD'"), "0");
  EXPECT_EQ(Get("select sfyrymx || sfyxzrymx from ds_sbmxb where zbid = " + std::to_string(id)), "11");

  // "30062": the server holds no persons; the stored ones stay.
  Exec("update ds_sbzb set yzpzxh = 'X404' where id = " + std::to_string(id));
  ASSERT_TRUE(mgr_->SbmxjlXz("X404", nullptr, count, error)) << error;
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(id)), "2");
  EXPECT_FALSE(mgr_->SbmxjlXz("NOPE", nullptr, count, error));
  EXPECT_EQ(error, "下载申报明细异常：申报记录[NOPE]不存在");
}

// ---- Rules and exports -----------------------------------------------------------------------

TEST_F(DeclarationFlow, ResidentsPaymentYearsComeFromTheSystemParameters) {
  std::string years, error;
  EXPECT_FALSE(mgr_->GetCxjmJfndLb("YANGLAO", years, error));
  EXPECT_EQ(error, "未配置城乡居民缴费年度[CXJMJFND_YANGLAO]");
  Ref<ISysParamIntf> params = env_.plugin().CreateService<ISysParamIntf>();
  ASSERT_TRUE(params);
  params->SetDjxh("10011");
  ASSERT_TRUE(params->SetValue("CXJMJFND_YANGLAO", "2025, 2026|2026"));
  ASSERT_TRUE(mgr_->GetCxjmJfndLb("YANGLAO", years, error)) << error;
  EXPECT_EQ(years, R"(["2025","2026"])");
  EXPECT_TRUE(mgr_->CheckCxjmJfnd("YANGLAO", "2026", error)) << error;
  EXPECT_FALSE(mgr_->CheckCxjmJfnd("YANGLAO", "2024", error));
  EXPECT_EQ(error, "缴费年度只能是 [ 2025,2026 ] 范围内的年度");
  EXPECT_FALSE(mgr_->CheckCxjmJfnd("SHIYE", "2026", error));
  EXPECT_EQ(error, "不支持的险种类型[SHIYE]");

  EXPECT_FALSE(mgr_->IsCxjmSjyjfeEnabled());
  ASSERT_TRUE(params->SetValue("ENABLE_CXJMYTB", "Y"));
  EXPECT_FALSE(mgr_->IsCxjmSjyjfeEnabled()) << "both parameters are needed";
  ASSERT_TRUE(params->SetValue("ENABLE_CXJMCXSJYJFE", "Y"));
  EXPECT_TRUE(mgr_->IsCxjmSjyjfeEnabled());
}

TEST_F(DeclarationFlow, ExportingDetailsWritesAWorkbook) {
  const int32_t id = Send(Declaration(), 2);
  const std::string path = env_.dir().File("sbmx.xlsx");
  std::string error;
  ASSERT_TRUE(mgr_->ExportSbmx(id, path, error)) << error;
  const std::string text = XlsxText(path);
  for (const char* expected : {"申报明细", "人员明细", "证件号码", "张三", "110101199001010011", "102100100"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_FALSE(mgr_->ExportSbmx(999, path, error));
  EXPECT_EQ(error, "导出申报明细异常：申报记录[999]不存在");
  EXPECT_FALSE(mgr_->ExportSbmx(id, env_.dir().File("missing/dir/x.xlsx"), error));
  EXPECT_EQ(error.rfind("导出申报明细异常：", 0), 0u) << error;
  EXPECT_GT(error.size(), std::string("导出申报明细异常：").size());
}

// The server's own person rules: basic refuses a negative amount, roster a person number it does
// not hold; each refused person comes back with its reason, the others stay unmarked.
TEST_F(DeclarationFlow, TheServersPersonRulesRefuseByPersonWithTheirReasons) {
  Json negative = Declaration();
  negative["details"][0]["persons"][1]["jfje"] = -380;
  int32_t id = Send(negative, 3);
  EXPECT_EQ(Get("select sbyy from ds_sbrymxb where mxxh = '2' and mxbid in (select id from ds_sbmxb where zbid = " +
                std::to_string(id) + ")"),
            "yjfe不能为负数");
  EXPECT_EQ(Get("select ifnull(sbyy, '') from ds_sbrymxb where mxxh = '1' and mxbid in (select id from ds_sbmxb "
                "where zbid = " + std::to_string(id) + ")"),
            "");

  sim.WithState([](taxsim::State& s) { return s.personRules = taxsim::State::PersonRules::kRoster; });
  id = Send(Declaration("", "NOSUCH"), 3);
  EXPECT_EQ(Get("select sbyy from ds_sbrymxb where mxxh = '2' and mxbid in (select id from ds_sbmxb where zbid = " +
                std::to_string(id) + ")"),
            "未找到人员编号为NOSUCH的参保登记");

  sim.WithState([](taxsim::State& s) { return s.personRules = taxsim::State::PersonRules::kNone; });
  Send(negative, 2);
}

}  // namespace
}  // namespace velmor::testing
