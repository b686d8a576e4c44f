// Payable information through the loaded plug-in against the simulator on loopback: "0027"
// downloads (synchronous and one-request batch) stored once however often they run, matched to
// the roster, refusals and broken answers storing nothing, listings and the export, and "0238".
#include "payable_fixture.h"

namespace velmor::testing {
namespace {

TEST_F(Payable, ADownloadDoneTwiceKeepsOneCopyAndMatchesTheRoster) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download("", count, message)) << message;
  ASSERT_GT(count, 1);
  EXPECT_EQ(Rows(), count);
  ASSERT_TRUE(Download(R"({"batch":true})", count, message)) << message;
  EXPECT_EQ(Rows(), count) << "the second download replaces the first: one copy";
  EXPECT_EQ(Get("select count(distinct djxh) || ':' || djxh from sb_dzzjxxb"), "1:" + kPayer);
  EXPECT_EQ(Get("select count(*) from sb_dzzjxxb where ifnull(zjyxrq, '') <> ''"), "0")
      << "without zjyxrq_enabled the validity date is not kept";

  EXPECT_EQ(svc_->getCount(""), count);
  Json page = Json::parse(svc_->getData("", 1, 100));
  ASSERT_EQ(static_cast<int32_t>(page.size()), count);
  int matched = 0;
  for (const Json& r : page) matched += r["xm"] == xm_ ? 1 : 0;
  EXPECT_EQ(static_cast<size_t>(matched), items_) << "the roster's person is named on each of its items";
  bool mismatch = false;
  ASSERT_TRUE(dao_->hasMismatchData(kPayer, mismatch));
  EXPECT_TRUE(mismatch);
  Json stats = Json::parse(svc_->getStatistics());
  EXPECT_EQ(stats["zs"], std::to_string(count));
  EXPECT_EQ(Json::parse(svc_->getJfnd()), Json::array({"2026"}));
}

TEST_F(Payable, TheValidityDateIsKeptOnlyWhenAskedAndTheTownshipFilterTakesEmptyOnes) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download(R"({"zjyxrq_enabled":"Y"})", count, message)) << message;
  const std::string withDate = Get("select count(*) from sb_dzzjxxb where zjyxrq <> ''");
  EXPECT_NE(withDate, "0");
  EXPECT_NE(withDate, std::to_string(count)) << "the simulator leaves some rows without one";
  const std::string township = Get("select xzjddm from sb_dzzjxxb where xzjddm <> '' limit 1");
  const int32_t all = svc_->getCount("");
  EXPECT_EQ(svc_->getCount(Json{{"xzjddm", township}}.dump()), all) << "a row with an empty township matches too";
  EXPECT_EQ(svc_->getCount(R"({"xzjddm":"no-such"})"),
            std::stoi(Get("select count(*) from sb_dzzjxxb where xzjddm = ''")));
  EXPECT_EQ(svc_->getCount(R"({"zjtzlshList":["ZJ2026-1"]})"),
            std::stoi(Get("select count(*) from sb_dzzjxxb where zjtzlsh = 'ZJ2026-1'")));
  EXPECT_EQ(svc_->getCount(R"({"xm":"x' or '1'='1"})"), 0) << "a quote in a filter is only text";
}

TEST_F(Payable, RefusalsAndBrokenAnswersStoreNothingAndKeepTheRows) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download("", count, message)) << message;
  const int before = Rows();

  Fault(R"({"kind":"code","serviceCode":"0027","code":"30001","message":"无征集信息"})");
  EXPECT_FALSE(Download("", count, message));
  EXPECT_EQ(message, "【30001】无征集信息");
  Fault(R"({"kind":"refuse","serviceCode":"0027","code":"10042","message":"系统繁忙"})");
  EXPECT_FALSE(Download("", count, message));
  EXPECT_NE(message.find("[10042]"), std::string::npos) << message;
  Fault(R"({"kind":"bad-base64","serviceCode":"0027"})");
  EXPECT_FALSE(Download(R"({"batch":true})", count, message));
  EXPECT_FALSE(message.empty());
  Fault(R"({"kind":"drop-list","serviceCode":"0027","list":"sbfWsbZjxxDetailList"})");
  EXPECT_FALSE(Download("", count, message));
  EXPECT_EQ(message, "反馈报文缺少<sbfWsbZjxxDetailList>节点。");
  Fault(R"({"kind":"drop","serviceCode":"0027"})");
  EXPECT_FALSE(Download("", count, message));
  EXPECT_NE(message.find("请求失败："), std::string::npos) << message;
  EXPECT_EQ(Rows(), before) << "a failed download leaves the stored rows as they were";

  // A failure while storing rolls the delete back with the inserts.
  FaultInjection::FailStatement(3);
  EXPECT_FALSE(Download("", count, message));
  EXPECT_EQ(message, "保存城乡居民征集信息失败");
  EXPECT_EQ(Rows(), before);
}

// The rows are stored as the answer is read; a text that reader leaves to the whole document
// (here an instruction inside the root) is stored from the document instead, the same rows once.
TEST_F(Payable, AnAnswerLeftToTheDocumentStoresTheSameRows) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download("", count, message)) << message;
  const int32_t plain = count;
  const std::string sum = Get("select count(*) || ':' || sum(yjfe) || ':' || group_concat(xm) from sb_dzzjxxb");
  Fault(R"({"kind":"instruction","serviceCode":"0027"})");
  ASSERT_TRUE(Download("", count, message)) << message;
  EXPECT_EQ(count, plain);
  EXPECT_EQ(Get("select count(*) || ':' || sum(yjfe) || ':' || group_concat(xm) from sb_dzzjxxb"), sum);
  // Refused at the end of such an answer: the rows stay as they were.
  Fault(R"({"kind":"instruction","serviceCode":"0027"})");
  Fault(R"({"kind":"code","serviceCode":"0027","code":"30001","message":"无征集信息"})");
  EXPECT_FALSE(Download("", count, message));
  EXPECT_EQ(message, "【30001】无征集信息");
  EXPECT_EQ(Get("select count(*) || ':' || sum(yjfe) || ':' || group_concat(xm) from sb_dzzjxxb"), sum);
}

TEST_F(Payable, StoreOperationsByThemselves) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download("", count, message)) << message;
  std::string list, hash, rows;
  ASSERT_TRUE(dao_->GetZjtzlshList(kPayer, list));
  Json serials = Json::parse(list);
  ASSERT_FALSE(serials.empty());
  ASSERT_TRUE(dao_->GetHashDataByZjtzlsh(kPayer, hash));
  EXPECT_EQ(Json::parse(hash).size(), serials.size());
  ASSERT_TRUE(dao_->getJsonData(kPayer, Json::array({serials[0]}).dump(), rows));
  EXPECT_EQ(Json::parse(rows).size(), Json::parse(hash)[serials[0].get<std::string>()].size());
  ASSERT_TRUE(dao_->getZs3mData(kPayer, rows));
  EXPECT_FALSE(Json::parse(rows).empty());
  ASSERT_TRUE(dao_->getXzdj_SqczData(kPayer, rows));
  EXPECT_GE(Json::parse(rows).size(), 2u) << "an empty township and a named one";
  const std::string id = Get("select min(id) from sb_dzzjxxb");
  ASSERT_TRUE(dao_->updateBz(std::stoi(id), "O'Brien说明"));
  EXPECT_EQ(Get("select bz from sb_dzzjxxb where id = " + id), "O'Brien说明");
  ASSERT_TRUE(dao_->DeleteData(std::stoi(id)));
  EXPECT_EQ(Rows(), count - 1);
  EXPECT_FALSE(dao_->updateData(kPayer, "not json", false));
  EXPECT_FALSE(dao_->updateData(kPayer, R"([{"yjfe":"abc"}])", false));
  EXPECT_EQ(Rows(), count - 1) << "a row that is no number fails the whole save";
  ASSERT_TRUE(dao_->clearData(kPayer));
  EXPECT_EQ(Rows(), 0);
}

TEST_F(Payable, ExportWritesTheRowsAndRefusesNoPath) {
  int32_t count = 0;
  std::string message;
  ASSERT_TRUE(Download("", count, message)) << message;
  const std::string path = env_->dataDir() + "/应缴信息.xlsx";
  ASSERT_TRUE(svc_->exportData(R"({"zjyxrq_enabled":"Y"})", path, message)) << message;
  EXPECT_GT(std::filesystem::file_size(path), 0u);
  EXPECT_FALSE(svc_->exportData("", "", message));
  EXPECT_EQ(message, "导出文件名为空");
}

TEST_F(Payable, CollectedInformationQueryMatchesWhatWasAsked) {
  auto item = sim_.WithState([](taxsim::State& s) { return s.items.front(); });
  std::string rows, message;
  const Json params = {{"cxjmList", Json::array()}, {"cxjmDjxhList", Json::array()},
                       {"sbjbjgDmList", {item.sbjbjgDm}}};
  ASSERT_TRUE(svc_->synCxjmzjxxCx(params.dump(), rows, message)) << message;
  EXPECT_FALSE(Json::parse(rows).empty());
  const Json wanted = {{{"sbjbjgDm", item.sbjbjgDm}, {"zsxmDm", item.zsxmDm}, {"zspmDm", item.zspmDm},
                        {"zszmDm", item.zszmDm}},
                       {{"sbjbjgDm", "none"}, {"zsxmDm", ""}, {"zspmDm", ""}, {"zszmDm", ""}}};
  ASSERT_TRUE(svc_->synCxjmzjxxCxFk(params.dump(), wanted.dump(), rows, message)) << message;
  Json matched = Json::parse(rows);
  ASSERT_EQ(matched.size(), 2u);
  EXPECT_NE(matched[0]["cxjmsbbm"], "");
  EXPECT_EQ(matched[1]["cxjmsbbm"], "");
  Fault(R"({"kind":"refuse","serviceCode":"0238","endpoint":"submit","code":"10042","message":"系统繁忙"})");
  EXPECT_FALSE(svc_->synCxjmzjxxCx(params.dump(), rows, message));
  EXPECT_NE(message.find("10042"), std::string::npos) << message;
  EXPECT_FALSE(svc_->synCxjmzjxxCx("[1]", rows, message));
}

}  // namespace
}  // namespace velmor::testing
