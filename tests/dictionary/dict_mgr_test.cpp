// The dictionary manager in a started reference host, with the plug-in's service units linked
// in, against the in-process simulator: loading the rule file, updates, database dictionaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "dictionary/dict_access.h"
#include "dictionary/dict_mgr.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/code_name_dao.h"
#include "velmor/json_depth.h"

namespace velmor {
namespace {

using json = nlohmann::json;
constexpr const char* kDjxh = "10000000000000000001";

taxsim::SimulatorOptions SimOptions() {
  taxsim::SimulatorOptions o;
  o.threads = 2;
  o.generate = {.persons = 4, .payers = 2, .seed = 7};
  return o;
}

taxsim::Fault Refusal(const char* serviceCode, const char* code, const char* message, int count) {
  taxsim::Fault f;
  f.kind = taxsim::FaultKind::kRefuse;
  f.serviceCode = serviceCode;
  f.code = code;
  f.message = message;
  f.count = count;
  return f;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DictMgrFixture : public ::testing::Test {
 protected:
  // extraConfig: more sections of the host's configuration.
  explicit DictMgrFixture(const std::string& extraConfig)
      : host_{"[server]\nurl = " + sim_.Url() + "\n" + extraConfig} {
    TEST_ResetRegistryCaches();
    RunServiceInitProcs();
    mgr_ = GetDictMgr();
  }
  ~DictMgrFixture() override {
    mgr_ = nullptr;
    RunServiceFinalProcs();
    TEST_ResetRegistryCaches();
  }

  static taxsim::Simulator& Started(taxsim::Simulator& s) {
    s.Start();
    return s;
  }
  std::string DictDir() const { return host_.dataDir() + "/M8/Dictionary"; }
  std::string RuleFile() const { return DictDir() + "/规则文件.dat"; }
  void WriteRuleFile(const std::string& text) {
    std::filesystem::create_directories(DictDir());
    std::ofstream(RuleFile(), std::ios::binary) << text;
  }
  std::vector<json> RuleRequests() {
    std::vector<json> out;
    for (const taxsim::SeenCall& c : sim_.RecentCalls())
      if (c.serviceCode == "0002") out.push_back(json::parse(c.body));
    return out;
  }
  // The simulator's rows of one rule.
  json SimRule(const std::string& name) {
    return sim_.WithState([&](taxsim::State& s) {
      for (const json& r : s.rules)
        if (r["name"] == name) return r["gzLb"];
      return json();
    });
  }

  taxsim::Simulator sim_{SimOptions()};
  taxsim::Simulator& started_ = Started(sim_);
  testing::StartedHost host_;
  Ref<IDictMgr> mgr_;
};

class DictMgrTest : public DictMgrFixture {
 protected:
  DictMgrTest() : DictMgrFixture("") {}
};

TEST_F(DictMgrTest, OneSharedManager) {
  EXPECT_EQ(GetDictMgr().get(), mgr_.get());
}

TEST_F(DictMgrTest, AbsentRuleFileGivesEmptyTablesAndAnUpdateWithEmptyMd5) {
  ASSERT_TRUE(mgr_->LoadRules());
  Ref<IDictionary> zjlx = mgr_->GetJsonDictionary("dict_zjlx");
  ASSERT_TRUE(zjlx);
  EXPECT_EQ(zjlx->GetCodesText(), "");
  EXPECT_FALSE(mgr_->GetJsonDictionary("dict_none"));
  EXPECT_FALSE(mgr_->GetDbDictionary("dict_zjlx"));
  EXPECT_EQ(mgr_->GetXzjdSqczGz()->GetJdxzList(""), "");
  EXPECT_EQ(mgr_->GetUpdateTime(), "");

  ASSERT_TRUE(mgr_->Update(kDjxh, false)) << mgr_->GetErrorMessage();
  std::vector<json> requests = RuleRequests();
  ASSERT_EQ(requests.size(), 2u);
  // The sub-district rule goes first, by itself.
  EXPECT_EQ(requests[0]["gzwjLb"], (json::array({{{"name", "sbjbjgjdxzsqczdzGz"}, {"md5", ""}}})));
  EXPECT_EQ(requests[1]["djxh"], kDjxh);
  EXPECT_EQ(requests[1]["swjgdm"], "00000000000");
  std::vector<std::string> names;
  for (const json& r : requests[1]["gzwjLb"]) {
    EXPECT_EQ(r["md5"], "");
    names.push_back(r["name"]);
  }
  std::vector<std::string> expected = {"swjgGz",  "sbjbjgGz", "bzzzlxGz", "gjhdqGz", "hjlxGz",
                                       "djzclxGz", "rytslbGz", "swryGz",  "rsjfrylbGz", "xzGz",
                                       "pmlxGz",  "cbxzGz",   "jnfsGz",   "sbjbjgzspmdzGz", "yhhbGz",
                                       "jfbzGz"};
  EXPECT_EQ(names, expected);

  // The old dictionary keeps its rows; the manager hands out new ones.
  EXPECT_EQ(zjlx->GetNameByCode("201"), "");
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_zjlx")->GetNameByCode("201"), "居民身份证");
  EXPECT_EQ(mgr_->GetUpdateTime().size(), 19u);
  EXPECT_EQ(mgr_->GetPreviousUpdateTime(), "");
  json file = json::parse(ReadAll(RuleFile()));
  EXPECT_EQ(file["bzzzlxGz"]["gzLb"], SimRule("bzzzlxGz"));
  EXPECT_FALSE(file.contains("xnhflbsGz"));
  EXPECT_FALSE(std::filesystem::exists(RuleFile() + ".tmp"));
}

TEST_F(DictMgrTest, SecondUpdateOnTheSameDaySendsNothing) {
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  std::string first = mgr_->GetUpdateTime();
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  EXPECT_EQ(RuleRequests().size(), 2u);
  // Forced, it asks again with the md5 it holds and the server sends nothing new.
  ASSERT_TRUE(mgr_->Update(kDjxh, true));
  std::vector<json> requests = RuleRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[3]["gzwjLb"][0]["md5"], "");
  EXPECT_EQ(mgr_->GetPreviousUpdateTime(), first);
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_zjlx")->GetNameByCode("201"), "居民身份证");
}

TEST_F(DictMgrTest, UpdatedEarlierIsUpdatedAgain) {
  WriteRuleFile(R"({"gxsj": "2000-01-02 03:04:05", "bzzzlxGz": {"md5": "old", "gzLb": [{"dm": "201", "mc": "旧"}]}})");
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_zjlx")->GetNameByCode("201"), "旧");
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  EXPECT_EQ(RuleRequests()[1]["gzwjLb"][2], (json{{"name", "bzzzlxGz"}, {"md5", "old"}}));
  EXPECT_EQ(mgr_->GetPreviousUpdateTime(), "2000-01-02 03:04:05");
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_zjlx")->GetNameByCode("201"), "居民身份证");
}

TEST_F(DictMgrTest, FailedUpdateLeavesRulesAndFile) {
  const std::string text = R"({"gxsj": "2000-01-02 03:04:05", "swjgGz": {"md5": "m", "gzLb": [{"dm": "1", "mc": "局"}]}})";
  WriteRuleFile(text);
  sim_.Faults().Add(Refusal("0002", "10042", "拒绝", 2));
  EXPECT_FALSE(mgr_->Update(kDjxh, false));
  EXPECT_EQ(mgr_->GetErrorMessage(), "系统异常，请稍后再试");
  EXPECT_EQ(ReadAll(RuleFile()), text);
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_swjg")->GetNameByCode("1"), "局");
  EXPECT_EQ(mgr_->GetUpdateTime(), "2000-01-02 03:04:05");
  EXPECT_NE(host_.LogText().find("[TDictMgr.Update]异常：【10042】拒绝"), std::string::npos) << host_.LogText();
}

TEST_F(DictMgrTest, FailureOfTheSecondExchangeKeepsTheFirstOutToo) {
  int calls = 0;
  sim_.Handlers().Add("0002", [&](const taxsim::Call&, taxsim::State&) {
    return ++calls == 1 ? taxsim::Answer::Json({{"code", "00000"},
                                                {"gzwjLb", {{{"name", "sbjbjgjdxzsqczdzGz"}, {"md5", "a"}, {"gzLb", json::array()}}}}})
                        : taxsim::Answer::Json({{"code", "00000"}, {"gzwjLb", "none"}});
  });
  EXPECT_FALSE(mgr_->Update(kDjxh, true));
  EXPECT_EQ(mgr_->GetErrorMessage(), "反馈报文异常");
  EXPECT_NE(host_.LogText().find("[TDictMgr.ParseGzwj]异常："), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(RuleFile()));
  EXPECT_EQ(mgr_->GetUpdateTime(), "");
}

TEST_F(DictMgrTest, ADamagedRuleIsLeftEmptyAndTheOthersAreTaken) {
  // The answer to the second request: every rule the simulator has, one of them damaged.
  taxsim::Handler builtin = sim_.Handlers().Find("0002");
  sim_.Handlers().Add("0002", [builtin](const taxsim::Call& call, taxsim::State& state) {
    taxsim::Answer a = builtin(call, state);
    json body = json::parse(a.envelope.response);
    for (json& r : body["gzwjLb"])
      if (r["name"] == "swjgGz") r["gzLb"] = 5;
    a.envelope.response = body.dump();
    return a;
  });
  ASSERT_TRUE(mgr_->Update(kDjxh, true)) << mgr_->GetErrorMessage();
  EXPECT_EQ(mgr_->GetErrorMessage(), "规则已更新，以下规则数据有误未能取用：swjgGz");
  EXPECT_NE(host_.LogText().find("[TDictMgr.ParseGzwj]异常：规则[swjgGz]缺少gzLb"), std::string::npos);
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_swjg")->GetCodesText(), "");
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_zjlx")->GetNameByCode("201"), "居民身份证");
  // Kept without its md5, so the next update asks for it again.
  json file = json::parse(ReadAll(RuleFile()));
  EXPECT_EQ(file["swjgGz"]["md5"], "");
  EXPECT_EQ(file["swjgGz"]["gzLb"], json::array());
}

TEST_F(DictMgrTest, AnswerWithAnErrorCode) {
  sim_.Handlers().Add("0002", [](const taxsim::Call&, taxsim::State&) {
    return taxsim::Answer::Json({{"code", "10003"}, {"message", "坏请求"}});
  });
  EXPECT_FALSE(mgr_->Update(kDjxh, true));
  EXPECT_NE(host_.LogText().find("[TDictMgr.ParseGzwj]异常：【10003】坏请求"), std::string::npos);
}

TEST_F(DictMgrTest, BrokenRuleFileIsReportedAndTreatedAsEmpty) {
  WriteRuleFile("{\"swjgGz\": [1, 2");
  EXPECT_FALSE(mgr_->LoadRules());
  EXPECT_EQ(mgr_->GetErrorMessage().rfind("加载规则文件异常：规则文件格式错误：", 0), 0u) << mgr_->GetErrorMessage();
  EXPECT_TRUE(mgr_->LoadRules());  // read once
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_swjg")->GetCodesText(), "");
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  EXPECT_TRUE(json::parse(ReadAll(RuleFile())).contains("swjgGz"));
}

TEST_F(DictMgrTest, NestingBeyondTheBoundIsRefusedNotFollowedIntoTheStack) {
  // Rules nested far deeper than any rule: before the bound, walking them overflowed the stack.
  const std::string file = R"({"swjgGz": {"md5": "m", "gzLb": )" + std::string(50000, '[') + std::string(50000, ']') + "}}";
  WriteRuleFile(file);
  EXPECT_FALSE(mgr_->LoadRules());
  EXPECT_EQ(mgr_->GetErrorMessage(), "加载规则文件异常：规则文件格式错误：JSON嵌套超过512层");

  const std::string deep = std::string(80000, '[') + std::string(80000, ']');
  sim_.Handlers().Add("0002", [&](const taxsim::Call&, taxsim::State&) {
    taxsim::Answer a = taxsim::Answer::Json({{"code", "00000"}, {"gzwjLb", json::array()}});
    a.envelope.response = R"({"code":"00000","gzwjLb":[{"name":"swjgGz","md5":"a","gzLb":)" + deep + "}]}";
    return a;
  });
  EXPECT_FALSE(mgr_->Update(kDjxh, true));
  EXPECT_EQ(mgr_->GetErrorMessage(), "反馈报文异常");
  EXPECT_NE(host_.LogText().find("反馈报文JSON嵌套超过512层"), std::string::npos) << host_.LogText();
  EXPECT_EQ(ReadAll(RuleFile()), file) << "a refused answer leaves the file alone";
}

TEST_F(DictMgrTest, BracketsInsideStringsAreTextNotNesting) {
  WriteRuleFile(R"({"swjgGz": {"md5": "m", "gzLb": [{"dm": "1", "mc": ")" + std::string(2000, '[') + R"("}]}})");
  EXPECT_TRUE(mgr_->LoadRules()) << mgr_->GetErrorMessage();
  EXPECT_EQ(mgr_->GetJsonDictionary("dict_swjg")->GetNameByCode("1"), std::string(2000, '['));
}

TEST(JsonDepth, CountsArraysAndObjectsOutsideStrings) {
  EXPECT_TRUE(JsonDepthWithin("", 0));
  EXPECT_TRUE(JsonDepthWithin("[[]]", 2));
  EXPECT_FALSE(JsonDepthWithin("[[]]", 1));
  EXPECT_TRUE(JsonDepthWithin(R"({"a": "[[[[", "b": "\"[[["})", 1)) << "brackets in strings, escaped quotes";
  EXPECT_FALSE(JsonDepthWithin(R"({"a": {"b": [1]}})", 2));
  EXPECT_TRUE(JsonDepthWithin(std::string(512, '[') + std::string(512, ']')));
  EXPECT_FALSE(JsonDepthWithin(std::string(513, '[')));
  EXPECT_EQ(JsonTooDeepText(), "JSON嵌套超过512层");
}

TEST_F(DictMgrTest, RuleTablesAreRebuiltAfterAnUpdate) {
  Ref<IRS_xzjd_sqcz> before = mgr_->GetXzjdSqczGz();
  EXPECT_EQ(mgr_->GetXzjdSqczGz().get(), before.get());
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  Ref<IRS_xzjd_sqcz> after = mgr_->GetXzjdSqczGz();
  EXPECT_EQ(before->GetJdxzList(""), "");
  json row = SimRule("sbjbjgjdxzsqczdzGz")[0];
  EXPECT_TRUE(after->IsValidCombination(row["sbjbjgDm"], row["jdxzDm"], row["sqczDm"]));
  EXPECT_TRUE(mgr_->GetPmlxGz()->IsPmlx("102101000", "01"));
  EXPECT_EQ(mgr_->GetCbxzDictionary()->GetNameByCode("310"), "职工基本医疗保险");
  EXPECT_EQ(mgr_->GetQsgxDictionary()->GetNameByCode("04"), "父母");
  json summary = json::parse(mgr_->GetRuleSummary());
  ASSERT_FALSE(summary.empty());
  EXPECT_EQ(summary[0]["name"], "bzzzlxGz");  // file order: member names sorted
  EXPECT_EQ(summary[0]["rows"], 8);
}

TEST_F(DictMgrTest, SubDistrictDictionaryFallsBackToTheRule) {
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  json row = SimRule("sbjbjgjdxzsqczdzGz")[0];
  Ref<ICodeNameDAO> dao = ObtainHostComponent<ICodeNameDAO>("", "x");
  ASSERT_TRUE(dao->AddCodeName(6, "JD-LOCAL", "本地街道"));
  Ref<IDictionary> xzjd = mgr_->GetDbDictionary("dict_xzjd");
  ASSERT_TRUE(xzjd);
  EXPECT_EQ(xzjd->GetNameByCode("JD-LOCAL"), "本地街道");
  EXPECT_EQ(xzjd->GetNameByCode(row["jdxzDm"]), row["jdxzMc"]);
  EXPECT_EQ(xzjd->GetNameByCode("nothing"), "");
  EXPECT_EQ(mgr_->GetDbDictionary("dict_sqcz")->GetNameByCode(row["sqczDm"]), row["sqczMc"]);
  // A changed name is written back to the store.
  EXPECT_TRUE(xzjd->SetNameByCode("jd-local", "新街道"));
  EXPECT_EQ(json::parse(dao->GetCodeNameList(6)), (json::array({{{"code", "JD-LOCAL"}, {"name", "新街道"}}})));
}

TEST_F(DictMgrTest, RegionDictionaryFromItsOwnFile) {
  EXPECT_EQ(mgr_->GetRegionDictionary()->GetCodesText(), "");
  std::filesystem::create_directories(DictDir());
  std::ofstream(DictDir() + "/dqdmmc.dat") << R"({"gzLb": [{"dm": "110101", "mc": "东城区"}]})";
  EXPECT_EQ(mgr_->GetRegionDictionary()->GetNameByCode("110101"), "");  // cached until an update
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  EXPECT_EQ(mgr_->GetRegionDictionary()->GetNameByCode("110101"), "东城区");
}

TEST_F(DictMgrTest, BusinessFieldQuery) {
  std::string answer;
  ASSERT_TRUE(mgr_->QueryBusinessField("S1", kDjxh, "01", "a\"b", answer)) << mgr_->GetErrorMessage();
  EXPECT_EQ(json::parse(answer)["ywzdLb"][0]["zdmc"], "a\"b");
  std::string body;
  for (const taxsim::SeenCall& c : sim_.RecentCalls())
    if (c.serviceCode == "0062") body = c.body;
  EXPECT_EQ(body, R"({"yblsh":"S1","djxh":"10000000000000000001","cxlx":"01","cxcsnr":"a\"b"})");

  sim_.Faults().Add(Refusal("0062", "10009", "忙", 1));
  EXPECT_FALSE(mgr_->QueryBusinessField("S2", kDjxh, "01", "x", answer));
  EXPECT_EQ(mgr_->GetErrorMessage(), "业务字段查询异常：【10009】忙");
  EXPECT_NE(host_.LogText().find("[TDictMgr.synCxYwzd]异常：【10009】忙"), std::string::npos);
}

// The residents' business line and the basic-information function enabled, the grade and scheme
// rules switched on in the host's system configuration: every rule table answers from the
// simulator's rules after one update.
class DictMgrResidentTest : public DictMgrFixture {
 protected:
  DictMgrResidentTest()
      : DictMgrFixture("[portal]\nbusiness_lines = 1, 5\n[syspzxx]\nENABLE_CXJMCXSJYJFE = Y\n"
                       "[functions]\nM8300-01-06-18-00 = Y\nM8300-01-19-01-00 = Y\n") {}
};

// The residents' switches follow the host: the business line "5" turns on the payment
// registration's rules, the function "M8300-01-19-01-00" on top of it the basic information's.
class DictMgrResidentLineTest : public DictMgrFixture {
 protected:
  explicit DictMgrResidentLineTest(const std::string& config = "[portal]\nbusiness_lines = 5\n")
      : DictMgrFixture(config) {}
  std::vector<std::string> RequestedNames() {
    EXPECT_TRUE(mgr_->Update(kDjxh, false)) << mgr_->GetErrorMessage();
    std::vector<std::string> names;
    std::vector<json> requests = RuleRequests();
    if (requests.size() == 2)
      for (const json& r : requests[1]["gzwjLb"]) names.push_back(r["name"]);
    return names;
  }
  static bool Has(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  }
};

TEST_F(DictMgrResidentLineTest, TheResidentsLineAloneBringsThePaymentRegistrationRules) {
  std::vector<std::string> names = RequestedNames();
  EXPECT_TRUE(Has(names, "djtzyyGz"));
  EXPECT_TRUE(Has(names, "grdjxzdzGz"));
  EXPECT_FALSE(Has(names, "cbsfGz")) << "the basic-information function is off";
  EXPECT_FALSE(Has(names, "cxjmFkssqGz"));
  EXPECT_TRUE(mgr_->GetJsonDictionary("tsrylbGz"));
  EXPECT_FALSE(mgr_->GetJsonDictionary("cbsfGz"));
}

class DictMgrNoResidentsLineTest : public DictMgrResidentLineTest {
 protected:
  DictMgrNoResidentsLineTest()
      : DictMgrResidentLineTest("[portal]\nbusiness_lines = 1, 8\n[functions]\nM8300-01-19-01-00 = Y\n") {}
};

TEST_F(DictMgrNoResidentsLineTest, WithoutTheResidentsLineNoResidentsRuleIsAskedFor) {
  std::vector<std::string> names = RequestedNames();
  ASSERT_FALSE(names.empty());
  for (const char* n : {"djtzyyGz", "tsrylbGz", "cbsfGz", "ygxsGz", "grdjxzdzGz", "cxjmFkssqGz"})
    EXPECT_FALSE(Has(names, n)) << n;
  EXPECT_FALSE(mgr_->GetJsonDictionary("cbsfGz"));
}

TEST_F(DictMgrResidentTest, EveryRuleIsRequestedAndEveryTableAnswers) {
  ASSERT_TRUE(mgr_->Update(kDjxh, false)) << mgr_->GetErrorMessage();
  std::vector<std::string> names;
  std::vector<json> requests = RuleRequests();
  ASSERT_EQ(requests.size(), 2u);
  for (const json& r : requests[1]["gzwjLb"]) names.push_back(r["name"]);
  std::vector<std::string> expected = {
      "swjgGz", "sbjbjgGz", "bzzzlxGz", "gjhdqGz", "hjlxGz", "djzclxGz", "rytslbGz", "swryGz", "rsjfrylbGz",
      "djtzyyGz", "rysfGz", "tsrylbGz", "rysfGz", "ygxsGz", "cbsfGz", "xzGz", "pmlxGz", "cbxzGz", "jnfsGz",
      "sbjbjgzspmdzGz", "yhhbGz", "sfzjlxGjGz", "rsxzqhGz", "grdjxzdzGz", "grcbrytslbdzGz", "cxjmyjfedcGz",
      "sfzjlxGjGz", "rsxzqhGz", "mzGz", "ryztGz", "swryGz", "cxjmCbrytslbSyrqlxDzGz", "cxjmFkssqGz", "xzdzGz",
      "xnhflbsGz", "jfbzGz"};
  EXPECT_EQ(names, expected);

  json agencyRow = SimRule("sbjbjgzspmdzGz")[0];
  std::string jg = agencyRow["sbjbjgDm"];
  EXPECT_EQ(mgr_->GetCbxmGz()->GetCbxmList("110"), "110#102101000=企业职工基本养老保险(单位缴纳)");
  EXPECT_EQ(mgr_->GetJfbzGz()->GetJfdcByAge("10210", "102101000", jg, "2024-05-01", 30), "300");
  EXPECT_EQ(mgr_->GetXzylgxGz()->GetYlxzlxDm(jg, "310", "2024-05-01"), "310");
  EXPECT_TRUE(mgr_->GetSbjbjgZspmDzGz()->HasZszm(jg, "102121000", "102121001"));
  EXPECT_EQ(mgr_->GetYhhbGz()->GetYhhbMc("105"), "中国建设银行");
  EXPECT_EQ(mgr_->GetSfzjlxGjGz()->GetGjList("210"), "344\r\n446");
  json region = SimRule("rsxzqhGz").back();
  EXPECT_EQ(mgr_->GetXzqhGz()->GetSjxzqhDm(region["xzqhDm"]), region["sjxzqhDm"]);
  EXPECT_EQ(mgr_->GetGrdjxzdzGz()->GetXzlxList("11", "01", region["xzqhDm"]), "170");
  EXPECT_EQ(mgr_->GetGrcbrytslbdzGz()->GetCbrytslbList("12", "02", region["xzqhDm"], "170"), "00");
  Ref<ICxjmyjfedcGzItems> grades = mgr_->GetCxjmyjfedcGz()->GetYjfedcList(jg, "10219", "102190100", "102190101", "2024");
  ASSERT_EQ(grades->GetCount(), 1);
  EXPECT_EQ(grades->GetYjfedcItem(0)->GetGrsjje(), "380");
  EXPECT_TRUE(mgr_->GetRyztGz()->IsSfjf("1"));
  EXPECT_EQ(mgr_->GetSwryGz()->GetValue("02"), "因工死亡");
  EXPECT_EQ(mgr_->GetJsonDictionary("swryGz")->GetNameByCode("02"), "因工死亡");
  std::string lx, err;
  EXPECT_TRUE(mgr_->GetCxjmCbrytslbSyrqlxDzGz()->GetSyrqlxDm("02", lx, err));
  EXPECT_EQ(lx, "02");
  EXPECT_EQ(mgr_->GetXnhflbsGz()->GetXnhflbsList()->GetCount(), 2);
  std::string q, z;
  EXPECT_TRUE(mgr_->GetCxjmFkssqGz()->GetFkssq(jg, "02", "2024", q, z, err));
  EXPECT_EQ(q + "|" + z, "2024-09|2025-08");
  EXPECT_EQ(mgr_->GetMzGz()->GetNameByCode("03"), "回族");
  EXPECT_EQ(mgr_->GetJsonDictionary("cbsfGz")->GetNameByCode("3"), "大学生");
}

TEST_F(DictMgrResidentTest, TablesAreCachedAndReplacedByAnUpdate) {
  Ref<IRyztGzIntf> before = mgr_->GetRyztGz();
  EXPECT_EQ(mgr_->GetRyztGz().get(), before.get());
  EXPECT_EQ(before->GetCount(), 0);
  ASSERT_TRUE(mgr_->Update(kDjxh, false));
  EXPECT_NE(mgr_->GetRyztGz().get(), before.get());
  EXPECT_EQ(mgr_->GetRyztGz()->GetCount(), 3);
  EXPECT_EQ(before->GetCount(), 0);  // a table handed out keeps its rows
}

TEST_F(DictMgrResidentTest, DamagedRuleGivesAnEmptyTableOthersStillAnswer) {
  WriteRuleFile(R"({"gxsj": "2000-01-01 00:00:00",
                    "ryztGz": {"md5": "m", "gzLb": {"ryztDm": "1"}},
                    "yhhbGz": {"md5": "m", "gzLb": [{"yhhbDm": "102", "yhhbMc": "工行"}, "bad row", 5]},
                    "xzGz": {"md5": "m"}})");
  EXPECT_EQ(mgr_->GetRyztGz()->GetCount(), 0);
  EXPECT_EQ(mgr_->GetYhhbGz()->GetYhhbMc("102"), "工行");
  EXPECT_EQ(mgr_->GetCbxmGz()->GetCbxmList(""), "");
  EXPECT_EQ(mgr_->GetXnhflbsGz()->GetXnhflbsList()->GetCount(), 0);  // rule absent
}

}  // namespace
}  // namespace velmor
