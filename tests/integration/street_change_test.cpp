// Street and community changes through the loaded plug-in against the simulator.
#include "residents_fixture.h"

namespace velmor::testing {
namespace {

using StreetChange = ResidentsFixture;

const std::string kFrom = "2025-03-01", kTo = "2025-03-31";

JdczbgEntity Change(const taxsim::Person& p, const std::string& street) {
  JdczbgEntity e;
  e.xm = p.xm;
  e.zjlx = p.zjlxDm;
  e.zjhm = p.zjhm;
  e.xzjddm = street;
  e.sqhczdm = street + "001";
  e.xzlxdm = "110";
  e.lxdz = "O'Brien路&<1>号";  // free text with a quote and markup characters
  e.hh = "H9";
  return e;
}

TEST_F(StreetChange, ADownloadOfSeveralPagesKeepsEveryEntry) {
  int32_t total = 0;
  ASSERT_TRUE(jdczbg_->queryBGData(kFrom, kTo, 2, nullptr, total)) << jdczbg_->GetErrorMessage();
  EXPECT_EQ(total, 5) << "three pages of two";
  JdczbgFilter downloaded;
  downloaded.sjlx = kJdczbgDownloaded;
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, downloaded), 5);
  std::vector<JdczbgEntity> rows;
  ASSERT_TRUE(jdczbgDao_->getData(kPayer, downloaded, 1, 2, rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].bgsj.substr(0, 10), "2025-03-05") << "newest first";
  EXPECT_FALSE(rows[0].bgid.empty());
  EXPECT_EQ(rows[0].hh, "H5");

  // Downloading again replaces the period's rows instead of adding to them; a local row and a
  // row of another payer stay.
  int64_t id = 0;
  JdczbgEntity local = Change(SimPersonAt(0), "X1");
  local.djxh = kPayer;
  local.bgsj = "2025-03-02 09:00:00";
  ASSERT_TRUE(jdczbgDao_->insertData(local, id)) << jdczbgDao_->GetErrorMessage();
  EXPECT_GT(id, 0);
  ASSERT_TRUE(jdczbg_->queryBGData(kFrom, kTo, 3, nullptr, total)) << jdczbg_->GetErrorMessage();
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, downloaded), 5);
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, {}), 6);
  EXPECT_EQ(Count("select count(*) from sb_jdczbgb where lxdz = 'O''Brien路&<1>号'"), 1) << "free text stored as given";

  // A narrower period touches only its own days.
  ASSERT_TRUE(jdczbg_->queryBGData("2025-03-01", "2025-03-02", 2, nullptr, total));
  EXPECT_EQ(total, 2);
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, downloaded), 5);
}

TEST_F(StreetChange, AFailedPageLeavesThePreviousDownloadIntact) {
  int32_t total = 0;
  ASSERT_TRUE(jdczbg_->queryBGData(kFrom, kTo, 2, nullptr, total));
  Fault(R"({"kind": "refuse", "code": "10009", "message": "系统繁忙", "serviceCode": "0072", "count": 1})");
  EXPECT_FALSE(jdczbg_->queryBGData(kFrom, kTo, 2, nullptr, total));
  EXPECT_NE(jdczbg_->GetErrorMessage().find("系统繁忙"), std::string::npos) << jdczbg_->GetErrorMessage();
  JdczbgFilter downloaded;
  downloaded.sjlx = kJdczbgDownloaded;
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, downloaded), 5);

  Garble("0072");
  EXPECT_FALSE(jdczbg_->queryBGData(kFrom, kTo, 2, nullptr, total));
  EXPECT_EQ(jdczbg_->GetErrorMessage().rfind("反馈报文异常.", 0), 0u) << jdczbg_->GetErrorMessage();
  EXPECT_FALSE(jdczbg_->queryBGData(kTo, kFrom, 2, nullptr, total)) << "reversed period";
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, downloaded), 5);
}

TEST_F(StreetChange, SubmitReportsTheRefusedEntriesAndTheChangesArriveInTheRecord) {
  std::vector<JdczbgRefusal> refused;
  JdczbgEntity good = Change(SimPersonAt(0), "S1");
  JdczbgEntity bad = Change(SimPersonAt(1), "S2");
  bad.zjhm.clear();
  ASSERT_TRUE(jdczbg_->submitBGData({good, bad}, refused)) << jdczbg_->GetErrorMessage();
  ASSERT_EQ(refused.size(), 1u) << "20101: partly accepted";
  EXPECT_EQ(refused[0].key, "2");
  EXPECT_EQ(refused[0].sbyy, "证件号码不能为空");

  EXPECT_FALSE(jdczbg_->submitBGData({bad}, refused)) << "none accepted";
  EXPECT_EQ(refused.size(), 1u);
  EXPECT_FALSE(jdczbg_->GetErrorMessage().empty());
  EXPECT_FALSE(jdczbg_->submitBGData({}, refused));

  int32_t total = 0;
  ASSERT_TRUE(jdczbg_->queryBGData("2020-01-01", "2099-12-31", 50, nullptr, total));
  EXPECT_EQ(total, 6);
  JdczbgFilter f;
  f.xzjddm = "S1";
  std::vector<JdczbgEntity> rows;
  ASSERT_TRUE(jdczbgDao_->getData(kPayer, f, -1, 0, rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].lxdz, good.lxdz) << "markup characters survive the request document";
  EXPECT_EQ(rows[0].hh, "H9");

  // Cancel it: then the second cancellation and an unknown id are refused.
  ASSERT_TRUE(jdczbg_->cancelBGData({rows[0].bgid}, refused)) << jdczbg_->GetErrorMessage();
  EXPECT_TRUE(refused.empty());
  EXPECT_FALSE(jdczbg_->cancelBGData({rows[0].bgid, "NOPE"}, refused));
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].sbyy, "变更记录已撤销");
  EXPECT_EQ(refused[1].key, "NOPE");
  ASSERT_TRUE(jdczbg_->queryBGData("2020-01-01", "2099-12-31", 50, nullptr, total));
  ASSERT_TRUE(jdczbgDao_->getData(kPayer, f, -1, 0, rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].cxbz, "Y");
}

TEST_F(StreetChange, ServerFailuresAndUnreadableAnswersAreReported) {
  std::vector<JdczbgRefusal> refused;
  Refuse("10042", "0070");
  EXPECT_FALSE(jdczbg_->submitBGData({Change(SimPersonAt(0), "S1")}, refused));
  EXPECT_FALSE(jdczbg_->GetErrorMessage().empty());
  Garble("0070");
  EXPECT_FALSE(jdczbg_->submitBGData({Change(SimPersonAt(0), "S1")}, refused));
  EXPECT_EQ(jdczbg_->GetErrorMessage().rfind("反馈报文解析异常：", 0), 0u) << jdczbg_->GetErrorMessage();
  Fault(R"({"kind": "code", "code": "30001", "message": "服务异常", "serviceCode": "0071"})");
  EXPECT_FALSE(jdczbg_->cancelBGData({"BG1"}, refused));
  EXPECT_NE(jdczbg_->GetErrorMessage().find("30001"), std::string::npos) << jdczbg_->GetErrorMessage();
}

TEST_F(StreetChange, ListFiltersQuoteTheirValues) {
  int32_t total = 0;
  ASSERT_TRUE(jdczbg_->queryBGData(kFrom, kTo, 2, nullptr, total));
  JdczbgFilter f;
  f.xm = "x' or '1'='1";
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, f), 0);
  f = {};
  f.bgsjq = "2025-03-02";
  f.bgsjz = "2025-03-03";
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, f), 2);
  std::vector<JdczbgEntity> rows;
  ASSERT_TRUE(jdczbgDao_->getData(kPayer, {}, 1, 10, rows));
  ASSERT_EQ(rows.size(), 5u);
  ASSERT_TRUE(jdczbgDao_->delData(rows[0].id));
  EXPECT_EQ(jdczbgDao_->getCount(kPayer, {}), 4);
  EXPECT_FALSE(jdczbgDao_->getData(kPayer, {}, 0, 10, rows)) << "page 0 is no page";
  EXPECT_EQ(jdczbgDao_->GetErrorMessage(), "数据库查询失败。");
  EXPECT_EQ(jdczbgDao_->getCount("OTHER", {}), 0);
}

}  // namespace
}  // namespace velmor::testing
