// Amount confirmation ("0037"), deduction authorisations ("0038", "0039") and online-signed
// agreements ("0043"-"0048") through the loaded plug-in, with their local tables.
#include "integration/fees_fixture.h"

namespace velmor::testing {
namespace {

using json = nlohmann::json;

json ConfirmLine(const char* rybh, double jfje) {
  return {{"rydjxh", std::string("RY") + rybh}, {"xm", "张三"},     {"zjlx", "201"},      {"zjhm", "110101199001011234"},
          {"sbjbjgdm", "A1"},                   {"rybh", rybh},     {"pmlx", "01"},       {"zsxmdm", "10219"},
          {"zspmdm", "102190100"},              {"zszmdm", ""},     {"jffs", "05"},       {"jfnd", "2024"},
          {"jfjedc", "02"},                     {"jfje", jfje}};
}

json AgreementOf(const std::string& sfxyh) {
  return {{"sfxydjuuid", ""},   {"pkbz", "3"},           {"djxh", kFeePayer},  {"skssswjgDm", "11101000000"},
          {"sfxyh", sfxyh},     {"yhhbDm", "105"},       {"yhhbMc", "中国建设银行"}, {"qsyhhh", "105100000017"},
          {"khyhhh", "105110101002"}, {"jkzh", "6217000000001234"}, {"jkzhmc", "李四"}, {"sfxyyztgRq", ""},
          {"xzqhszDm", "110101"}, {"xzqhmc", "第一行政区"}, {"yhyywdDm", "105110101002"}, {"yhyywdMc", "建设银行第一行政区支行"},
          {"sfxyztDm", "01"},   {"sfzjlxDm", "201"},     {"sfzjhm", "110101198001011234"}};
}

TEST_F(FeesFixture, ConfirmedAmountsAreStoredAndFiltered) {
  std::string message;
  ASSERT_TRUE(jfjeqr_->JfjeqrSave(json::array({ConfirmLine("B1", 580), ConfirmLine("B2", 380.5)}).dump(), nullptr,
                                  message))
      << message;
  EXPECT_EQ(jfjeqr_->GetJfjeqrCount(""), 2);
  EXPECT_EQ(jfjeqr_->GetJfjeqrCount(R"({"xm": "张", "sxnd": "2024", "pmlx": "01"})"), 2);
  EXPECT_EQ(jfjeqr_->GetJfjeqrCount(R"({"zjhm": "9999"})"), 0);
  json rows = json::parse(jfjeqr_->GetJfjeqrData("", 1, 1));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["cxjmsbbm"], "B2");  // newest first
  EXPECT_EQ(rows[0]["yjfe"], "380.5");
  EXPECT_EQ(rows[0]["jffsdm"], "05");
  EXPECT_EQ(rows[0]["sxnd"], "2024");

  // The document went under "qqbw".
  bool seen = false;
  for (const auto& call : sim_.RecentCalls())
    if (call.serviceCode == "0037") seen = call.body.find("\"qqbw\"") != std::string::npos &&
                                           call.documentText.find("<cxjmsbbm>B1</cxjmsbbm>") != std::string::npos;
  EXPECT_TRUE(seen);
}

TEST_F(FeesFixture, ConfirmationFailuresStoreNothing) {
  std::string message;
  Fault(R"({"kind":"drop-list","list":"jfjsQrList","serviceCode":"0037"})");
  EXPECT_FALSE(jfjeqr_->JfjeqrSave(json::array({ConfirmLine("B1", 1)}).dump(), nullptr, message));
  EXPECT_EQ(message, "缺少<jfjsQrList>结点。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0037"})");
  EXPECT_FALSE(jfjeqr_->JfjeqrSave(json::array({ConfirmLine("B1", 1)}).dump(), nullptr, message));
  EXPECT_EQ(message.rfind("解析反馈报文异常：", 0), 0u) << message;
  Fault(R"({"kind":"refuse","code":"10042","message":"忙","serviceCode":"0037"})");
  EXPECT_FALSE(jfjeqr_->JfjeqrSave(json::array({ConfirmLine("B1", 1)}).dump(), nullptr, message));
  EXPECT_EQ(message, "保存缴费金额确认异常：忙");
  EXPECT_FALSE(jfjeqr_->JfjeqrSave(json::array({ConfirmLine("", 1)}).dump(), nullptr, message));
  EXPECT_EQ(message, "保存缴费金额确认异常：【30037】居民申报编码不能为空");
  EXPECT_FALSE(jfjeqr_->JfjeqrSave("[]", nullptr, message));
  EXPECT_EQ(message, "缴费金额确认列表为空。");
  // A list nested past the bound is refused before it is parsed (no deep recursion).
  EXPECT_FALSE(jfjeqr_->JfjeqrSave(std::string(100000, '[') + std::string(100000, ']'), nullptr, message));
  EXPECT_NE(message.find("JSON嵌套超过512层"), std::string::npos) << message;
  EXPECT_EQ(jfjeqr_->GetJfjeqrCount(""), 0);
}

TEST_F(FeesFixture, AnAuthorisationSavedTwiceLeavesOneValidRowAndKeepsItsBank) {
  json a = {{"rydjxh", "RY1"}, {"xm", "王五"}, {"sfzjlxDm", "201"}, {"sfzjhm", "110101199001011234"}, {"yhdm", "105"},
            {"yhzlDm", "105"}, {"khhyhdm", "105110101002"}, {"khhyhmc", "建设银行第一行政区支行"},
            {"fkzh", "6217000000001234"}, {"xysh", "XY-9"}, {"czlx", "1"}};
  std::string message;
  ASSERT_TRUE(jfjeqr_->Grwtkkjfxybc(a.dump(), message)) << message;
  json rows = json::parse(jfjeqr_->GetSbfkfsqData("", -1, -1));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["khyhdm"], "105110101002");
  EXPECT_EQ(rows[0]["khyhmc"], "建设银行第一行政区支行");
  ASSERT_TRUE(jfjeqr_->SbfkfsqZf(std::stoi(rows[0]["id"].get<std::string>()), message)) << message;
  ASSERT_TRUE(jfjeqr_->Grwtkkjfxybc(a.dump(), message)) << message;
  ASSERT_TRUE(jfjeqr_->Grwtkkjfxybc(a.dump(), message)) << message;
  EXPECT_EQ(jfjeqr_->GetSbfkfsqCount(R"({"zt": "0"})"), 1);
  EXPECT_EQ(jfjeqr_->GetSbfkfsqCount(R"({"zt": "1"})"), 1);

  // The server's agreements come back with the bank under the names the screen reads.
  std::string found;
  ASSERT_TRUE(jfjeqr_->GrwtkkjfxyCx("{}", found, message)) << message;
  json list = json::parse(found);
  ASSERT_EQ(list.size(), 1u);  // the agreement that is no deduction authorisation is left out
  EXPECT_EQ(list[0]["khhyhdm"], "105110101002");
  EXPECT_EQ(list[0]["xysh"], "XY-9");

  a.erase("fkzh");
  EXPECT_FALSE(jfjeqr_->Grwtkkjfxybc(a.dump(), message));
  EXPECT_EQ(message, "个人委托扣款缴费协议保存异常：【30039】付款账号不能为空");
  EXPECT_EQ(jfjeqr_->GetSbfkfsqCount(""), 2);
}

TEST_F(FeesFixture, AgreementsThroughTheirWholeLife) {
  std::string sfxyh, uuid, text, message;
  ASSERT_TRUE(jfjeqr_->synProduceSfxy("11101000000", sfxyh, message)) << message;
  EXPECT_EQ(sfxyh.rfind("SFXY", 0), 0u);
  EXPECT_FALSE(jfjeqr_->synProduceSfxy("", sfxyh, message));
  EXPECT_EQ(message, "生成三方协议号异常：【30043】税务机关代码不能为空");

  json a = AgreementOf("SFXY1");
  ASSERT_TRUE(jfjeqr_->synSaveSfxyxx(a.dump(), uuid, message)) << message;
  EXPECT_EQ(uuid.rfind("UUID", 0), 0u);
  a["sfxydjuuid"] = uuid;
  ASSERT_TRUE(jfjeqr_->synUpdateSfxyxx(a.dump(), text, message)) << message;
  EXPECT_EQ(text, "更新成功");
  ASSERT_TRUE(jfjeqr_->synCheckSfxy(a.dump(), text, message)) << message;
  EXPECT_EQ(text, "验证通过");

  // Saved twice locally: one row, found again by the person.
  ASSERT_TRUE(jfjeqr_->SaveJmylwqsfxy("RY1", "李四", a.dump(), message)) << message;
  ASSERT_TRUE(jfjeqr_->SaveJmylwqsfxy("RY1", "李四", a.dump(), message)) << message;
  EXPECT_EQ(jfjeqr_->GetJmylwqsfxyCount(R"({"xm": "李"})"), 1);
  ASSERT_TRUE(jfjeqr_->UpdateSfyxztDm("RY1", "SFXY1", "03", message)) << message;
  ASSERT_TRUE(jfjeqr_->UpdateSfxyyztgrq("RY1", "SFXY1", "2024-05-01", message)) << message;
  json row = json::parse(jfjeqr_->GetJmylwqsfxyData(R"({"xyzt": "03"})", 1, 10));
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(row[0]["rydjxh"], "RY1");
  EXPECT_EQ(row[0]["xzhmc"], "第一行政区");
  EXPECT_EQ(row[0]["sfxyyztgrq"], "2024-05-01");
  json stored = json::parse(row[0]["sfxyJsonStr"].get<std::string>());
  EXPECT_EQ(stored["sfxyztDm"], "03");
  EXPECT_EQ(stored["sfxyyztgRq"], "2024-05-01");
  EXPECT_FALSE(jfjeqr_->UpdateSfyxztDm("RY2", "SFXY1", "03", message));
  EXPECT_EQ(message, "更新三方协议状态失败。");

  ASSERT_TRUE(jfjeqr_->synRevokeSfxy(a.dump(), text, message)) << message;
  ASSERT_TRUE(jfjeqr_->synZfSfxyh("ZFR1", uuid, message)) << message;
  EXPECT_FALSE(jfjeqr_->synZfSfxyh("ZFR1", uuid, message));
  EXPECT_EQ(message, "撤销三方协议号异常：【30048】三方协议登记不存在");
}

TEST_F(FeesFixture, ARefusedVerificationOrRevocationFails) {
  std::string text, message;
  json a = AgreementOf("FDA-1");
  EXPECT_FALSE(jfjeqr_->synCheckSfxy(a.dump(), text, message));
  EXPECT_EQ(message, "银行验证未通过，请核对账户信息");
  a["sfxyh"] = "FBD-1";
  EXPECT_FALSE(jfjeqr_->synRevokeSfxy(a.dump(), text, message));
  EXPECT_EQ(message, "银行拒绝撤销协议");
  Fault(R"({"kind":"bad-base64","serviceCode":"0046"})");
  EXPECT_FALSE(jfjeqr_->synCheckSfxy(a.dump(), text, message));
  EXPECT_EQ(message.rfind("验证三方协议信息反馈报文异常：", 0), 0u) << message;
  a["sfxyh"] = "";
  std::string uuid;
  EXPECT_FALSE(jfjeqr_->synSaveSfxyxx(a.dump(), uuid, message));
  EXPECT_EQ(message, "保存三方协议信息异常：【30044】三方协议号不能为空");
  EXPECT_TRUE(uuid.empty());
}

TEST_F(FeesFixture, BankListsOfTheDataDirectory) {
  std::string list, message;
  EXPECT_FALSE(jfjeqr_->GetBankList(list, message));
  EXPECT_NE(message.find("缺少配置文件："), std::string::npos) << message;
  InstallDataFiles();
  ASSERT_TRUE(jfjeqr_->GetXzqhYhList("110102", list, message)) << message;
  EXPECT_EQ(json::parse(list).size(), 2u);
  ASSERT_TRUE(jfjeqr_->GetXzqhYhList("999999", list, message)) << message;
  EXPECT_EQ(list, "[]");
  std::string name;
  ASSERT_TRUE(jfjeqr_->GetXzqhmc("110101", name, message)) << message;
  EXPECT_EQ(name, "第一行政区");
}

}  // namespace
}  // namespace velmor::testing
