// Special-group declarations through the exports: every server code with its failures, the
// queued declaration completed by its late verdict, and the store's list and updates.
#include "integration/special_fixture.h"

namespace velmor::testing {
namespace {

using nlohmann::json;

const std::string kItem = R"({"zsxmDm":"10210","zspmDm":"102100100","zszmDm":"null"})";
const std::string kYears = R"({"jfndq":"2020","jfndz":"2025"})";
const std::string kContent = "<sbxxList><sbxxDTO><xm>张三</xm><jfje>300.00</jfje></sbxxDTO>"
                             "<sbxxDTO><xm>李四</xm><jfje>200.50</jfje></sbxxDTO></sbxxList>";

std::string WithMode(const std::string& mode) { return kContent + "<bz>" + mode + "</bz>"; }

TEST_F(SpecialFixture, GradesSendTheAgenciesAsAJsonArrayAndNullAsEmpty) {
  std::string grades, message;
  ASSERT_TRUE(mgr_->GetJfdcList(kItem, kYears, "[]", grades, message)) << message;
  EXPECT_EQ(json::parse(grades).size(), 5u);
  EXPECT_EQ(json::parse(grades)[0]["dcje"], "100.00");
  json body = json::parse(LastBody("0136"));
  EXPECT_EQ(body["sbjbjgDm"], json::array());
  EXPECT_EQ(body["zszmDm"], "");
  EXPECT_EQ(body["djxh"], kSpecialPayer);

  ASSERT_TRUE(mgr_->GetJfdcList(kItem, kYears, R"(["S01","S\"02"])", grades, message)) << message;
  EXPECT_EQ(json::parse(LastBody("0136"))["sbjbjgDm"], json::array({"S01", "S\"02"}));
}

TEST_F(SpecialFixture, GradesFailures) {
  std::string grades, message;
  EXPECT_FALSE(mgr_->GetJfdcList(kItem, R"({"jfndq":"2026","jfndz":"2020"})", "[]", grades, message));
  EXPECT_EQ(message, "【30136】缴费年度起止不正确");
  EXPECT_EQ(grades, "[]");
  EXPECT_FALSE(mgr_->GetJfdcList(R"({"zsxmDm":""})", kYears, "[]", grades, message));
  EXPECT_EQ(message, "反馈报文缺少<jfdcList>节点。");
  EXPECT_FALSE(mgr_->GetJfdcList(kItem, kYears, R"({"a":1})", grades, message));
  EXPECT_EQ(message, "社保经办机构列表不是JSON数组。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0136"})");
  EXPECT_FALSE(mgr_->GetJfdcList(kItem, kYears, "[]", grades, message));
  EXPECT_FALSE(message.empty());
  Fault(R"({"kind":"refuse","code":"10009","message":"服务忙","serviceCode":"0136"})");
  EXPECT_FALSE(mgr_->GetJfdcList(kItem, kYears, "[]", grades, message));
  EXPECT_NE(message.find("服务忙"), std::string::npos) << message;
}

TEST_F(SpecialFixture, HistoryOfAPersonAndTheServersEmptyAnswers) {
  std::string history, message;
  ASSERT_TRUE(mgr_->YlycxtjCx(json{{"djxh", FirstRydjxh()}}.dump(), history, message)) << message;
  json rows = json::parse(history);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0]["jfnd"], "2024");
  EXPECT_EQ(rows[0]["jfys"], "12");

  // "3C010": nothing on record, which is no failure.
  ASSERT_TRUE(mgr_->YlycxtjCx(R"({"djxh":"999"})", history, message)) << message;
  EXPECT_EQ(history, "[]");
  // A missing list counts as empty.
  Fault(R"({"kind":"drop-list","list":"hisJfxxResList","serviceCode":"0135"})");
  ASSERT_TRUE(mgr_->YlycxtjCx(json{{"djxh", FirstRydjxh()}}.dump(), history, message)) << message;
  EXPECT_EQ(history, "[]");

  Fault(R"({"kind":"code","code":"30135","message":"查询失败","serviceCode":"0135"})");
  EXPECT_FALSE(mgr_->YlycxtjCx(json{{"djxh", FirstRydjxh()}}.dump(), history, message));
  EXPECT_EQ(message, "【30135】查询失败");
  Fault(R"({"kind":"bad-base64","serviceCode":"0135"})");
  EXPECT_FALSE(mgr_->YlycxtjCx(json{{"djxh", FirstRydjxh()}}.dump(), history, message));
  EXPECT_EQ(message.rfind("反馈报文异常：", 0), 0u) << message;
}

TEST_F(SpecialFixture, DeclarationAnsweredAtOnce) {
  std::string result, message;
  ASSERT_TRUE(mgr_->tsrqSbfxxBc("{}", kContent, nullptr, result, message)) << message;
  json r = json::parse(result);
  EXPECT_EQ(r["sbzt"], 2);
  EXPECT_EQ(r["yjfehj"], "500.50");
  EXPECT_EQ(r["sbrq"], Today());
  EXPECT_FALSE(r["yzpzxh"].get<std::string>().empty());
  // The caller's content inside the declaration document, declared standalone.
  std::string doc;
  for (const auto& c : sim_.RecentCalls())
    if (c.serviceCode == "0134") doc = c.documentText;
  EXPECT_NE(doc.find("standalone=\"yes\""), std::string::npos);
  EXPECT_NE(doc.find("<sbxxDTO><xm>张三</xm>"), std::string::npos) << doc;

  // A JSON object is accepted as content too.
  ASSERT_TRUE(mgr_->tsrqSbfxxBc("{}", R"({"sbxxList":[{"xm":"王五","jfje":"100"}]})", nullptr, result, message))
      << message;
  EXPECT_EQ(json::parse(result)["yjfehj"], "100.00");
}

TEST_F(SpecialFixture, DeclarationFailures) {
  std::string result, message;
  EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", WithMode("FAIL"), nullptr, result, message));
  EXPECT_EQ(message, "【20001】申报校验不通过：缴费年度已申报");
  EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", "", nullptr, result, message));
  EXPECT_EQ(message, "申报内容为空。");
  EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", "<a>unclosed", nullptr, result, message));
  EXPECT_FALSE(message.empty());
  for (const char* missing : {"yjfehj", "yzpzxh", "sbrq"}) {
    Fault(std::string(R"({"kind":"drop-list","serviceCode":"0134","list":")") + missing + "\"}");
    EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", kContent, nullptr, result, message));
    EXPECT_EQ(message, std::string("反馈报文缺少<") + missing + ">节点。");
  }
  Fault(R"({"kind":"bad-base64","serviceCode":"0134"})");
  EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", kContent, nullptr, result, message));
  EXPECT_EQ(message.rfind("反馈报文异常；", 0), 0u) << message;
  // Another refusal whose text merely mentions 10042 is a failure, not a queued declaration.
  Fault(R"({"kind":"refuse","code":"10009","message":"上次请求10042未完成","serviceCode":"0134"})");
  EXPECT_FALSE(mgr_->tsrqSbfxxBc("{}", kContent, nullptr, result, message));
  EXPECT_TRUE(result.empty());
}

TEST_F(SpecialFixture, QueuedDeclarationGetsItsVerdictLaterWithTheDateRightThroughout) {
  std::string result, message;
  ASSERT_TRUE(mgr_->tsrqSbfxxBc("{}", WithMode("QUEUE_SLOW"), nullptr, result, message)) << message;
  json r = json::parse(result);
  const std::string serial = r["yblsh"];
  EXPECT_EQ(r["sbzt"], 1);
  EXPECT_EQ(r["yjfehj"], "0.0");
  EXPECT_EQ(r["sbrq"], Today());
  EXPECT_EQ(r["yzpzxh"], serial);

  ASSERT_TRUE(mgr_->SaveSbjl(json::array({Line(serial, 1, r["sbrq"], 300), Line(serial, 1, r["sbrq"], 200.5, "李四")})
                                 .dump(),
                             message))
      << message;
  json rows = Rows(serial);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["sbrq"], Today());

  // Still pending on the first ask.
  ASSERT_TRUE(mgr_->tsrqSbfxxBcGetFK(serial, nullptr, result, message)) << message;
  EXPECT_EQ(json::parse(result)["sbzt"], 1);
  EXPECT_EQ(Rows(serial)[0]["sbzt"], "1");

  ASSERT_TRUE(mgr_->tsrqSbfxxBcGetFK(serial, nullptr, result, message)) << message;
  r = json::parse(result);
  EXPECT_EQ(r["sbzt"], 2);
  EXPECT_EQ(r["yjfehj"], "500.50");
  EXPECT_EQ(r["sbrq"], Today());
  const std::string yzpzxh = r["yzpzxh"];
  EXPECT_NE(yzpzxh, serial);
  EXPECT_TRUE(Rows(serial).empty());
  rows = Rows(yzpzxh);
  ASSERT_EQ(rows.size(), 2u);
  for (const json& row : rows) {
    EXPECT_EQ(row["sbzt"], "2");
    EXPECT_EQ(row["sbrq"], Today());
    EXPECT_EQ(row["jfzt"], "0");  // something to pay
  }
}

TEST_F(SpecialFixture, QueuedDeclarationThatFailsAndUnknownSerials) {
  std::string result, message;
  ASSERT_TRUE(mgr_->tsrqSbfxxBc("{}", WithMode("QUEUE_FAIL"), nullptr, result, message)) << message;
  const std::string serial = json::parse(result)["yblsh"];
  ASSERT_TRUE(mgr_->SaveSbjl(json::array({Line(serial, 1, Today(), 300)}).dump(), message)) << message;
  ASSERT_TRUE(mgr_->tsrqSbfxxBcGetFK(serial, nullptr, result, message)) << message;
  EXPECT_EQ(json::parse(result)["sbzt"], 3);
  json rows = Rows(serial);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["sbzt"], "3");
  EXPECT_NE(rows[0]["cwxx"].get<std::string>().find("20001"), std::string::npos);

  EXPECT_FALSE(mgr_->tsrqSbfxxBcGetFK("", nullptr, result, message));
  EXPECT_EQ(message, "申报流水号为空。");
  Fault(R"({"kind":"refuse","code":"10009","message":"网关错误","serviceCode":"0137"})");
  EXPECT_FALSE(mgr_->tsrqSbfxxBcGetFK(serial, nullptr, result, message));
  EXPECT_EQ(message.rfind("获取反馈异常：", 0), 0u) << message;
}

TEST_F(SpecialFixture, ZeroAmountDeclarationIsSettledWhenSaved) {
  std::string message;
  ASSERT_TRUE(mgr_->SaveSbjl(json::array({Line("Y0", 2, Today(), 0), Line("Y0", 2, Today(), 0, "李四"),
                                          Line("Y1", 2, Today(), 100)})
                                 .dump(),
                             message))
      << message;
  for (const json& row : Rows("Y0")) EXPECT_EQ(row["jfzt"], "1");
  EXPECT_EQ(Rows("Y1")[0]["jfzt"], "0");
  // Nothing half-written: a bad line fails the whole save.
  json bad = json::array({Line("Y2", 2, Today(), 1), Line("Y2", 2, Today(), 1)});
  bad[1]["jfje"] = "abc";
  EXPECT_FALSE(mgr_->SaveSbjl(bad.dump(), message));
  EXPECT_EQ(message, "SaveSbjl执行Sql失败！");
  EXPECT_TRUE(Rows("Y2").empty());
  EXPECT_FALSE(mgr_->SaveSbjl("{}", message));
}

TEST_F(SpecialFixture, StoreListsFiltersAndUpdates) {
  std::string message;
  ASSERT_TRUE(mgr_->SaveSbjl(json::array({Line("A1", 2, "2025-03-01", 100), Line("A2", 3, "2025-03-02", 100, "O'Neil"),
                                          Line("A3", 1, "2025-03-03", 100, "王五")})
                                 .dump(),
                             message))
      << message;
  EXPECT_EQ(dao_->GetCount(kSpecialPayer, ""), 3);
  EXPECT_EQ(dao_->GetCount(kSpecialPayer, R"({"sbzt":"2,6"})"), 1);
  EXPECT_EQ(dao_->GetCount(kSpecialPayer, R"({"xm":"O'N"})"), 1);
  EXPECT_EQ(dao_->GetCount("other", ""), 0);
  json page = json::parse(dao_->GetData(kSpecialPayer, "", 1, 2));
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0]["yzpzxh"], "A3");  // newest first
  EXPECT_EQ(dao_->GetCount(kSpecialPayer, R"({"sbzt":"2) or (1=1"})"), -1);
  EXPECT_EQ(dao_->GetErrorMessage(), "查询特殊人群申报缴费记录失败。");

  ASSERT_TRUE(dao_->UpdateJfzt("A1", "10210", "102100100", "null", 1, "已缴"));
  EXPECT_EQ(Rows("A1")[0]["jfzt"], "1");
  ASSERT_TRUE(dao_->UpdateJfzt("A1", "10210", "102100100", "OTHER", 0, ""));
  EXPECT_EQ(Rows("A1")[0]["jfzt"], "1");  // another detail: untouched
  ASSERT_TRUE(dao_->UpdateSbzt("A3", 3, "A3", "失败", ""));
  EXPECT_EQ(Rows("A3")[0]["sbrq"], "2025-03-03");  // no new date: kept
}

TEST_F(SpecialFixture, FirstYearAndBackPaymentGrades) {
  std::string year, grades, message;
  ASSERT_TRUE(mgr_->getSbjbjgSdnd("S01", year, message)) << message;
  EXPECT_EQ(year, "2014");
  EXPECT_FALSE(mgr_->getSbjbjgSdnd("", year, message));
  EXPECT_EQ(message, "未获取到试点执行年度。");
  EXPECT_FALSE(mgr_->getSbjbjgSdnd("ERR1", year, message));
  EXPECT_EQ(message, "【30152】社保经办机构不存在");

  ASSERT_TRUE(mgr_->getLnbjdc("2015", grades, message)) << message;
  EXPECT_EQ(json::parse(grades).size(), 3u);
  std::string doc;
  for (const auto& c : sim_.RecentCalls())
    if (c.serviceCode == "0151") doc = c.documentText;
  EXPECT_NE(doc.find("<jfnd>2015</jfnd>"), std::string::npos) << doc;
  EXPECT_FALSE(mgr_->getLnbjdc("1999", grades, message));
  EXPECT_EQ(message, "未获取到历年补缴应缴费额档次。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0151"})");
  EXPECT_FALSE(mgr_->getLnbjdc("2015", grades, message));
  EXPECT_FALSE(message.empty());
}

}  // namespace
}  // namespace velmor::testing
