// Outside persons and the name rules through the loaded plug-in.
#include "scheme_fixture.h"

namespace velmor::testing {
namespace {

class OutsidePersons : public SchemeFixture {
 protected:
  OutsidePersons() : SchemeFixture(20, 2) {}
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST_F(OutsidePersons, KnownUnknownAndDuplicatePersons) {
  FullSync();
  // A person of the first payer (already in the roster), one of the second payer (known to the
  // server, not in this roster), and one the server has never seen.
  auto person = [&](const std::string& djxh, size_t k) {
    return sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(djxh).first[k]; });
  };
  taxsim::Person mine = person(kPayer, 0), theirs = person(taxsim::GeneratedDjxh(2), 0);
  std::vector<WbryInput> in = {{mine.xm, mine.zjlxDm, mine.zjhm, "A1", -1, "", ""},
                               {theirs.xm, theirs.zjlxDm, theirs.zjhm, "A1", 3, "/三组/", "备注"},
                               {"王小二", "201", "110101200001010000", "A2", -1, "", ""}};
  std::vector<WbryOutcome> out;
  std::string message;
  ASSERT_TRUE(svc_->addWbry(kPayer, in, nullptr, out, message)) << message;
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].reason, "与城乡居民参保信息更新菜单中数据重复");
  EXPECT_EQ(out[0].state, "");
  EXPECT_EQ(out[1].state, "1");
  EXPECT_EQ(out[1].hh.substr(0, 2), "HH");
  EXPECT_EQ(out[2].state, "2");
  EXPECT_EQ(out[2].reason, "未查询到该居民信息");
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where ly = '1'"), 2);
  EXPECT_EQ(Scalar("select hh from sb_ryjbxxb where ly = '1' and zjhm = '" + theirs.zjhm + "'"), out[1].hh);
  EXPECT_EQ(Scalar("select fzid from sb_ryjbxxb where ly = '1' and zjhm = '" + theirs.zjhm + "'"), "3");
  std::vector<taxsim::SeenCall> calls = sim_.RecentCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().documentType, "SbfPlCbryJfDjxxCxRequest");
  EXPECT_EQ(calls.back().documentText.find(mine.zjhm), std::string::npos) << "a duplicate is not sent";

  Fault(R"({"kind":"bad-base64","serviceCode":"0057"})");
  EXPECT_FALSE(svc_->addWbry(kPayer, {in[2]}, nullptr, out, message));
  EXPECT_EQ(message.rfind("反馈报文解析异常：", 0), 0u) << message;
}

TEST_F(OutsidePersons, APersonGivenTwiceGetsTheOutcomeAtBothPlacesAndIsSentOnce) {
  FullSync();
  taxsim::Person theirs = sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(taxsim::GeneratedDjxh(2)).first[1]; });
  const WbryInput twice{theirs.xm, theirs.zjlxDm, theirs.zjhm, "A1", -1, "", ""};
  const WbryInput unknown{"李小三", "201", "110101200001010011", "A1", -1, "", ""};
  std::vector<WbryOutcome> out;
  std::string message;
  ASSERT_TRUE(svc_->addWbry(kPayer, {twice, unknown, twice, unknown}, nullptr, out, message)) << message;
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].state, "1");
  EXPECT_EQ(out[2].state, "1");
  EXPECT_EQ(out[2].hh, out[0].hh);
  EXPECT_EQ(out[1].state, "2");
  EXPECT_EQ(out[3].state, "2");
  EXPECT_EQ(out[3].reason, out[1].reason);
  const std::string sent = sim_.RecentCalls().back().documentText;
  EXPECT_EQ(sent.find(theirs.zjhm), sent.rfind(theirs.zjhm)) << "sent once";
  EXPECT_EQ(Count("select count(*) as n from sb_ryjbxxb where ly = '1' and zjhm = '" + theirs.zjhm + "'"), 1);
}

TEST_F(OutsidePersons, OnlyServerPersonsOfThisPayerAreDuplicatesAndAStoreThatCannotAnswerRefuses) {
  FullSync();
  taxsim::Person mine = sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[0]; });
  taxsim::Person theirs =
      sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(taxsim::GeneratedDjxh(2)).first[2]; });
  const WbryInput outside{theirs.xm, theirs.zjlxDm, theirs.zjhm, "A1", -1, "", ""};
  std::vector<WbryOutcome> out;
  std::string message;
  ASSERT_TRUE(svc_->addWbry(kPayer, {outside}, nullptr, out, message)) << message;
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].state, "1");
  // Now a local (outside) person of this payer: asked again, it is no server duplicate.
  ASSERT_TRUE(svc_->addWbry(kPayer, {outside}, nullptr, out, message)) << message;
  EXPECT_EQ(out[0].reason, "");
  EXPECT_EQ(out[0].state, "1");
  // The same person under another ID type, and this payer's person with another name, are
  // other persons; the payer's own person as it is, is one.
  const WbryInput otherType{mine.xm, "299", mine.zjhm, "A1", -1, "", ""};
  const WbryInput otherName{mine.xm + "甲", mine.zjlxDm, mine.zjhm, "A1", -1, "", ""};
  const WbryInput same{mine.xm, mine.zjlxDm, mine.zjhm, "A1", -1, "", ""};
  ASSERT_TRUE(svc_->addWbry(kPayer, {otherType, otherName, same}, nullptr, out, message)) << message;
  ASSERT_EQ(out.size(), 3u);
  EXPECT_NE(out[0].reason, "与城乡居民参保信息更新菜单中数据重复");
  EXPECT_NE(out[1].reason, "与城乡居民参保信息更新菜单中数据重复");
  EXPECT_EQ(out[2].reason, "与城乡居民参保信息更新菜单中数据重复");

  // Without the roster's table nothing is sent and the store's failure is the message.
  const size_t callsBefore = sim_.RecentCalls().size();
  ASSERT_TRUE(dao_->ExecSQL("drop table sb_ryjbxxb"));
  EXPECT_FALSE(svc_->addWbry(kPayer, {same}, nullptr, out, message));
  EXPECT_EQ(message, "添加异常：数据库查询失败。");
  EXPECT_EQ(sim_.RecentCalls().size(), callsBefore);
}

TEST_F(OutsidePersons, NameRules) {
  std::string message;
  EXPECT_TRUE(svc_->CheckName(Repeat("张", 25), message)) << message;
  EXPECT_FALSE(svc_->CheckName(Repeat("张", 26), message));
  EXPECT_EQ(message, "姓名超过长度。");
  EXPECT_FALSE(svc_->CheckName("12345", message));
  EXPECT_EQ(message, "姓名不能是纯数字。");
  EXPECT_TRUE(svc_->CheckName("张，三", message)) << "a full-width comma is no special character";
  EXPECT_FALSE(svc_->CheckName("张《三", message));
  EXPECT_EQ(message, "姓名存在特殊字符。");
  EXPECT_EQ(svc_->GetErrorMessage(), "姓名存在特殊字符。");
}

}  // namespace
}  // namespace velmor::testing
