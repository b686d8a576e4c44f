// The fee standards through the loaded plug-in: the rule set stored as a whole, the per-person
// standard on a table with catch-all agency, detail and sex rows, the grade match, the rules and
// grades of the simulator ("0002", "0042" in two steps) and their failures.
#include "integration/fees_fixture.h"

namespace velmor::testing {
namespace {

using json = nlohmann::json;

json Ranged(const char* zspm, const char* agency, const char* zszm, int nldq, int nldz, const char* xb) {
  return {{"zsxmdm", "X1"}, {"zspmdm", zspm}, {"zszmdm", zszm}, {"sbjbjgdm", agency}, {"yxqq", "20200101"},
          {"yxqz", "2099-12-31"}, {"nldq", nldq}, {"nldz", nldz}, {"xb", xb}};
}
json Grade(json row, const char* dcdm, double dcje) {
  row["dcdm"] = dcdm;
  row["dcje"] = dcje;
  return row;
}
json Limit(json row, double xx, double sx) {
  row["xxje"] = xx;
  row["sxje"] = sx;
  return row;
}

// P01 is paid by grades by age and sex, except at agency A9 (limits); P00 within limits.
json RuleSet() {
  json pmlx = json::array({{{"zspmDm", "P01"}, {"pmlx", "01"}}, {{"zspmdm", "P00"}, {"pmlx", "00"}}});
  json jffs = json::array({{{"zsxmdm", "X1"}, {"zspmdm", "P01"}, {"zszmdm", "null"}, {"sbjbjgdm", ""}, {"jffs", "05"}},
                           {{"zsxmdm", "X1"}, {"zspmdm", "P01"}, {"zszmdm", ""}, {"sbjbjgdm", "A9"}, {"jffs", "04"}},
                           {{"zsxmdm", "X1"}, {"zspmdm", "P00"}, {"zszmdm", nullptr}, {"sbjbjgdm", "NULL"}, {"jffs", "04"}}});
  json jfdc = json::array({Grade(Ranged("P01", "", "", 16, 59, ""), "03", 880),
                           Grade(Ranged("P01", "null", "", 16, 59, "0"), "01", 380),
                           Grade(Ranged("P01", "", "null", 16, 59, ""), "02", 580),
                           Grade(Ranged("P01", "A1", "", 16, 59, ""), "02", 700),
                           Grade(Ranged("P01", "A1", "", 16, 59, ""), "01", 400),
                           Grade(Ranged("P01", "", "", 60, -1, "1"), "01", 200),
                           Grade(Ranged("P01", "", "", 60, -1, "2"), "01", 180),
                           Grade(Ranged("P01", "", "", 0, 15, ""), "01", 100)});
  json jfsxx = json::array({Limit(Ranged("P00", "", "", -1, -1, ""), 320, 1000),
                            Limit(Ranged("P00", "A1", "", -1, -1, ""), 350, 900),
                            Limit(Ranged("P00", "", "", 18, 60, ""), 1, 2),
                            Limit(Ranged("P01", "A9", "", 16, 59, ""), 500, 2000)});
  return {{"gzLb", {{"pmlxLb", pmlx}, {"jffsLb", jffs}, {"jfsxxLb", jfsxx}, {"jfdcLb", jfdc}}}};
}

json Line(const char* zspm, const char* agency, const char* csrq, const char* xb) {
  return {{"rybh", "R1"}, {"sbjbjgdm", agency}, {"zsxmdm", "X1"}, {"zspmdm", zspm}, {"zszmdm", "Z1"},
          {"jfrq", "2024-05-01"}, {"csrq", csrq}, {"xb", xb}};
}

class FeeStandardTest : public FeesFixture {
 protected:
  void SetUp() override {
    std::string message;
    ASSERT_TRUE(jfbz_->SaveJfbz(RuleSet().dump(), message)) << message;
  }
  json Standard(const json& line, std::string* failure = nullptr) {
    std::string result, message;
    bool ok = jfbz_->GetGrJfbz(line.dump(), result, message);
    if (failure) *failure = message;
    EXPECT_EQ(ok, failure == nullptr) << message;
    return json::parse(result);
  }
  static std::vector<std::string> Amounts(const json& standard) {
    std::vector<std::string> out;
    for (const json& g : standard["dcList"]) out.push_back(g["dcje"]);
    return out;
  }
};

TEST_F(FeeStandardTest, CatchAllAgencyDetailAndSexRowsApplyToEveryone) {
  json s = Standard(Line("P01", "A2", "1964-01-02", "2"));
  EXPECT_EQ(s["pmlx"], "01");
  EXPECT_EQ(s["jffs"], "05");
  EXPECT_EQ(Amounts(s), (std::vector<std::string>{"380.00", "580.00", "880.00"}));
  EXPECT_EQ(s["yjfedcList"], s["dcList"]);
}

TEST_F(FeeStandardTest, TheAgencysOwnRowsArePreferred) {
  EXPECT_EQ(Amounts(Standard(Line("P01", "A1", "1990-06-30", "1"))), (std::vector<std::string>{"400.00", "700.00"}));
  json limits = Standard(Line("P01", "A9", "1990-06-30", "1"));
  EXPECT_EQ(limits["jffs"], "04");
  EXPECT_EQ(limits["jfsxx"], json({{"xxje", "500.00"}, {"sxje", "2000.00"}}));
}

TEST_F(FeeStandardTest, BornOnFirstJanuaryCrossesTheBandEdgeInThatYear) {
  // 60 on 1 January 2024: the band from 60 by sex.
  EXPECT_EQ(Amounts(Standard(Line("P01", "A2", "1964-01-01", "1"))), (std::vector<std::string>{"200.00"}));
  EXPECT_EQ(Amounts(Standard(Line("P01", "A2", "1964-01-01", "2"))), (std::vector<std::string>{"180.00"}));
  // Without a sex only rows for both sexes qualify: none in this band.
  std::string failure;
  Standard(Line("P01", "A2", "1964-01-01", ""), &failure);
  EXPECT_EQ(failure,
            "人员登记序号[R1]、社保经办机构[A2]、征收项目代码[X1]、征收品目代码[P01]、征收子目代码[Z1]、缴费日期："
            "2024-05-01：无法获取缴费金额档次列表");
  // Born in July of the year before: age 0.
  EXPECT_EQ(Amounts(Standard(Line("P01", "A2", "2023-07-01", "1"))), (std::vector<std::string>{"100.00"}));
}

TEST_F(FeeStandardTest, ItemTypeZeroFindsOnlyAgeFreeLimits) {
  EXPECT_EQ(Standard(Line("P00", "A3", "1990-01-01", "1"))["jfsxx"], json({{"xxje", "320.00"}, {"sxje", "1000.00"}}));
  EXPECT_EQ(Standard(Line("P00", "A1", "1990-01-01", "1"))["jfsxx"], json({{"xxje", "350.00"}, {"sxje", "900.00"}}));
}

TEST_F(FeeStandardTest, LinesWithoutTypeOrMethodAreNamed) {
  std::string result, message;
  json lines = json::array({Line("P01", "A2", "1990-01-01", "1"), Line("PX", "A2", "1990-01-01", "1")});
  EXPECT_FALSE(jfbz_->CheckGrJfbz(lines.dump(), result, message));
  EXPECT_EQ(message, "人员登记序号[R1]、征收品目代码[PX]无法确定品目类型");
  json checked = json::parse(result);
  ASSERT_EQ(checked.size(), 2u);
  EXPECT_TRUE(checked[0]["valid"].get<bool>());
  EXPECT_FALSE(checked[1]["valid"].get<bool>());
  EXPECT_EQ(jfbz_->GetErrorMessage(), message);

  json noMethod = Line("P01", "A2", "1990-01-01", "1");
  noMethod["zsxmdm"] = "X2";
  std::string failure;
  Standard(noMethod, &failure);
  EXPECT_EQ(failure, "人员登记序号[R1]、社保经办机构[A2]、征收项目代码[X2]、征收品目代码[P01]、征收子目代码[Z1]无法确定缴费方式");

  json badBirth = Line("P01", "A2", "1990-02-30", "1");
  Standard(badBirth, &failure);
  EXPECT_EQ(failure, "出生日期[1990-02-30]格式错误");
}

TEST_F(FeeStandardTest, GradeMatchToTheCent) {
  json line = Line("P01", "A2", "1980-03-03", "1");
  line["jfje"] = "580.001";
  json limited = Line("P00", "A1", "1980-03-03", "1");
  std::string result, message;
  ASSERT_TRUE(jfbz_->MatchJfdc(json::array({line, limited}).dump(), result, message)) << message;
  json matched = json::parse(result);
  EXPECT_EQ(matched[0]["jfdcxx"], json({{"dcdm", "02"}, {"dcje", "580.00"}}));
  EXPECT_EQ(matched[1]["jfdcxx"], json({{"xxje", "350.00"}, {"sxje", "900.00"}}));

  line["jfje"] = 580.01;
  EXPECT_FALSE(jfbz_->MatchJfdc(json::array({line}).dump(), result, message));
  EXPECT_EQ(message, "未匹配到该险种缴费档次");
  EXPECT_FALSE(jfbz_->MatchJfdc("[]", result, message));
  EXPECT_EQ(message, "险种列表为空");
}

TEST_F(FeeStandardTest, ScreenOptionsAndConfigurationReads) {
  std::string result, message;
  json key = {{"pmlx", "01"}, {"sbjbjgdm", "A2"}, {"zsxmdm", "X1"}, {"zspmdm", "P01"}, {"zszmdm", "Z1"}, {"rq", "option_all"}};
  ASSERT_TRUE(jfbz_->GetJfbzOptions(key.dump(), result, message)) << message;
  json options = json::parse(result);
  EXPECT_EQ(options["jffs"], "05");
  EXPECT_EQ(options["dcList"].size(), 6u);  // every age band and sex of the catch-all rows
  key["zspmdm"] = "P02";
  EXPECT_FALSE(jfbz_->GetJfbzOptions(key.dump(), result, message));
  EXPECT_EQ(message, "品目类型：01、社保经办机构：A2、征收项目：X1、征收品目：P02，无法获取缴费方式");

  json read = {{"zsxmdm", "X1"}, {"zspmdm", "P01"}, {"sbjbjgdm", "option_all"}, {"zszmdm", "option_all"},
               {"rq", "2024-01-01"}, {"pmlx", "01"}, {"csrq", "option_all"}, {"xb", "option_all"}};
  ASSERT_TRUE(jfbz_->GetJfdcPz(read.dump(), result, message)) << message;
  EXPECT_EQ(json::parse(result).size(), 2u);  // the agency's own rows rank first
  read["rq"] = "someday";
  EXPECT_FALSE(jfbz_->GetJfdcPz(read.dump(), result, message));
  EXPECT_EQ(message, "缴费档次配置异常。日期[someday]格式错误");
  ASSERT_TRUE(jfbz_->GetZspmPz("01", "A9", result, message)) << message;
  EXPECT_EQ(json::parse(result).size(), 2u);
}

TEST_F(FeeStandardTest, ARuleSetIsStoredWholeOrNotAtAll) {
  const size_t grades = Count("select * from sb_jfdcb");
  json bad = RuleSet();
  bad["gzLb"]["pmlxLb"] = json::array({{{"zspmdm", "P'9"}, {"pmlx", "01"}}});
  bad["gzLb"]["jfdcLb"].push_back(Grade(Ranged("P01", "", "", 0, 1, ""), "09", 1));
  bad["gzLb"]["jfdcLb"].back()["yxqq"] = "2024-13-01";
  std::string message;
  EXPECT_FALSE(jfbz_->SaveJfbz(bad.dump(), message));
  EXPECT_EQ(message, "缴费档次规则第9行：yxqq[2024-13-01]不是日期");
  EXPECT_EQ(Count("select * from sb_jfdcb"), grades);
  EXPECT_EQ(Count("select * from sb_pmlxb where zspmdm = 'P01'"), 1u);

  EXPECT_FALSE(jfbz_->SaveJfbz("[]", message));
  EXPECT_EQ(message, "缴费标准规则对象为null。");
  EXPECT_FALSE(jfbz_->SaveJfbz(R"({"gzLb": {"pmlxLb": []}})", message));
  EXPECT_EQ(message, "品目类型规则对象为空。");

  // Only the lists given are replaced; codes with quotes are stored as they are.
  ASSERT_TRUE(jfbz_->SaveJfbz(R"({"gzLb": {"pmlxLb": [{"zspmdm": "P'9", "pmlx": "00"}]}})", message)) << message;
  EXPECT_EQ(Count("select * from sb_pmlxb"), 1u);
  EXPECT_EQ(Count("select * from sb_pmlxb where zspmdm = 'P''9'"), 1u);
  EXPECT_EQ(Count("select * from sb_jfdcb"), grades);
}

TEST_F(FeesFixture, TheSimulatorsRulesAndGradesAgree) {
  std::string counts, message;
  ASSERT_TRUE(jfbz_->synJfbzGz(counts, message)) << message;
  EXPECT_GT(json::parse(counts)["jfdcLb"].get<int>(), 5);
  json own = Rows("select sbjbjgdm from sb_jfdcb where zspmdm = '102190100' and sbjbjgdm <> ''");
  ASSERT_EQ(own.size(), 1u);
  const std::string agency = own[0]["sbjbjgdm"];
  json line = {{"rybh", "R1"}, {"sbjbjgdm", agency}, {"zsxmdm", "10219"}, {"zspmdm", "102190100"}, {"zszmdm", "102190101"},
               {"jfrq", "2024-05-01"}, {"csrq", "1980-01-01"}, {"xb", "1"}};
  std::string result;
  ASSERT_TRUE(jfbz_->GetGrJfbz(line.dump(), result, message)) << message;
  EXPECT_EQ(json::parse(result)["dcList"], json::parse(R"([{"dcdm":"01","dcje":"400.00"}])"));

  // The server's grades of the same line ("0042", two steps).
  json other = line;
  other["sbjbjgdm"] = "OTHER";
  json params = {{"sxyf", "2024-05"}, {"czlx", "1"}, {"xzYjfeQrList", json::array({line, other})}};
  std::string yblsh;
  ASSERT_TRUE(jfbz_->synHqjfdcxx(params.dump(), yblsh, message)) << message;
  EXPECT_FALSE(yblsh.empty());
  bool ready = true;
  ASSERT_TRUE(jfbz_->synHqjfdcxxFk(yblsh, result, ready, message)) << message;
  EXPECT_FALSE(ready);
  ASSERT_TRUE(jfbz_->synHqjfdcxxFk(yblsh, result, ready, message)) << message;
  ASSERT_TRUE(ready);
  json answer = json::parse(result);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0]["yjfedcList"], json::parse(R"([{"dcdm":"01","dcje":"400.00"}])"));
  EXPECT_EQ(answer[1]["yjfedcList"].size(), 3u);
  EXPECT_EQ(answer[1]["rybh"], "R1");
}

TEST_F(FeesFixture, ServerGradeFailures) {
  json line = {{"rybh", "R1"}, {"sbjbjgdm", "A"}, {"zsxmdm", "10219"}, {"zspmdm", "102190100"}, {"zszmdm", ""}};
  json params = {{"sxyf", "2024-05"}, {"czlx", "1"}, {"xnhbz", "1"}, {"xnhsbdjxh", "S1"},
                 {"xzYjfeQrList", json::array({line})}};
  std::string yblsh, result, message;
  bool ready = false;
  auto collect = [&] {
    EXPECT_TRUE(jfbz_->synHqjfdcxx(params.dump(), yblsh, message)) << message;
    jfbz_->synHqjfdcxxFk(yblsh, result, ready, message);
    return jfbz_->synHqjfdcxxFk(yblsh, result, ready, message);
  };
  Fault(R"({"kind":"code","code":"30001","message":"档次未配置","serviceCode":"0042"})");
  EXPECT_FALSE(collect());
  EXPECT_EQ(message, "档次未配置");
  Fault(R"({"kind":"drop-list","list":"xzFhList","serviceCode":"0042"})");
  EXPECT_FALSE(collect());
  EXPECT_EQ(message, "反馈报文缺少<xzFhList>节点。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0042"})");
  EXPECT_FALSE(collect());
  EXPECT_EQ(message.rfind("反馈报文解析异常：", 0), 0u) << message;
  Fault(R"({"kind":"refuse","code":"10042","message":"忙","serviceCode":"0042"})");
  EXPECT_FALSE(jfbz_->synHqjfdcxx(params.dump(), yblsh, message));
  EXPECT_EQ(message, "获取缴费档次信息异常：服务器拒绝请求：[10042]忙");
  params["xzYjfeQrList"] = json::array();
  EXPECT_FALSE(jfbz_->synHqjfdcxx(params.dump(), yblsh, message));
  EXPECT_EQ(message, "险种列表为空");

  // The scheme marks travel in the document.
  bool seen = false;
  for (const auto& call : sim_.RecentCalls())
    if (call.serviceCode == "0042" && call.documentText.find("<xnhbz>0000</xnhbz><xnhsbdjxh>S1</xnhsbdjxh>") != std::string::npos)
      seen = true;
  EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace velmor::testing
