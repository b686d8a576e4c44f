// The status query of a year ("0056") through the exports: batches, the stored states, what a
// failed, empty or abandoned batch leaves, the question asked while waiting, the listing.
#include <algorithm>
#include <filesystem>

#include "residents_status_fixture.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;
using Json = nlohmann::json;

constexpr const char* kNoData = "申报状态查询失败，失败原因：系统未返回数据。";
constexpr const char* kQuestion = "申报状态查询超时，是否继续等待？";

class SbztQueryTest : public SbztFixture {};

TEST_F(SbztQueryTest, RefusesAPayerWithoutLinesAndAQueryWithoutYear) {
  int32_t n = -1;
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage(),
            "本地不存在城乡居民参保登记信息，请在城乡居民参保信息更新菜单下载更新城乡居民信息；或在外部参保城乡居民导入菜单，"
            "导入城乡居民参保信息。");
  EXPECT_EQ(n, 0);
  FullSync();
  EXPECT_FALSE(status_->synSbztCx(kPayer, "{}", nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage(), "缴费年度为空。");
  EXPECT_FALSE(status_->synSbztCx(kPayer, "[1]", nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage(), "城乡居民申报状态查询异常：查询条件不是JSON对象。");
}

TEST_F(SbztQueryTest, StoresTheAnsweredStatesAndSkipsLinesAskedToday) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb where djxh = '" + kPayer + "'");
  ASSERT_GT(lines, 0);
  EXPECT_EQ(Json::parse(status_->xzidList(kPayer, Query())).size(), static_cast<size_t>(lines));

  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines);
  const Json xzids = Json::parse(dao_->getData("select xzid, sbzt, xzsj, jfnd from sb_rycbxmb"));
  for (const auto& r : xzids) {
    EXPECT_EQ(r["sbzt"], SimDeclared(r["xzid"]) ? "1" : "0") << r.dump();
    EXPECT_EQ(r["jfnd"], "2024");
    EXPECT_EQ(r["xzsj"].get<std::string>().size(), 10u);
  }
  // The request names the year, the payer and the lines, and asks without the payment state.
  bool seen = false;
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0056") continue;
    const Json body = Json::parse(c.body);
    EXPECT_EQ(body["jfnd"], "2024");
    EXPECT_EQ(body["djxh"], kPayer);
    EXPECT_EQ(body["xzidList"].size(), static_cast<size_t>(lines));
    EXPECT_EQ(body["noJfzt"], "Y");
    EXPECT_FALSE(body.contains("jfzt"));
    seen = true;
  }
  EXPECT_TRUE(seen);

  // Asked today for 2024: nothing left to ask for that year; another year asks again.
  EXPECT_EQ(status_->xzidList(kPayer, Query()), "[]");
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Json::parse(status_->xzidList(kPayer, Query("2025"))).size(), static_cast<size_t>(lines));
}

// The server forgets a person between two queries: its items are no longer answered, so the
// second query marks them "not declared" (the server's lookup of items follows the roster).
TEST_F(SbztQueryTest, ItemsTheServerNoLongerHasAreNotDeclaredAtTheNextQuery) {
  FullSync();
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  const Json lines = Json::parse(dao_->getData("select rydjxh, xzid from sb_rycbxmb where sbzt = 1 order by id"));
  ASSERT_FALSE(lines.empty());
  const std::string gone = lines[0]["rydjxh"];
  const int goneLines = Count("select count(*) from sb_rycbxmb where rydjxh = '" + gone + "'");
  Control({{"op", "remove"}, {"rydjxh", gone}});
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query("2025"), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, Count("select count(*) from sb_rycbxmb") - goneLines);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where rydjxh = '" + gone + "' and sbzt = 0 and jfnd = '2025'"),
            goneLines);
}

TEST_F(SbztQueryTest, LinesTheServerLeftOutOfAnAnswerAreNotDeclared) {
  FullSync();
  Exec("update sb_rycbxmb set sbzt = 1");
  Fault(R"({"kind": "omit-rows", "list": "sbztList", "every": 2, "serviceCode": "0056", "endpoint": "submit"})");
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  const int lines = Count("select count(*) from sb_rycbxmb");
  EXPECT_EQ(n, lines / 2);  // every other row left out (the first, the third, ...)
  // Left-out lines are marked "not declared" for the year: the batch did answer.
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where xzsj is null or jfnd <> '2024'"), 0);
  EXPECT_GE(Count("select count(*) from sb_rycbxmb where sbzt = 0"), lines - lines / 2);
}

TEST_F(SbztQueryTest, AnEmptyOrNullAnswerOrARefusalChangesNoLine) {
  FullSync();
  const std::string before = States();
  int32_t n = 0;
  for (const char* text : {"", "null"}) {
    Fault(std::string(R"({"kind": "empty-answer", "serviceCode": "0056", "endpoint": "submit", "text": ")") + text +
          "\"}");
    EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
    EXPECT_EQ(status_->GetErrorMessage(), kNoData) << text;
    EXPECT_EQ(n, 0);
    EXPECT_EQ(States(), before);
  }
  Refuse("30001", "0056");
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage().rfind("申报状态查询失败：", 0), 0u) << status_->GetErrorMessage();
  EXPECT_EQ(States(), before);
  // A refused answer code inside the document.
  Fault(R"({"kind": "code", "code": "30002", "message": "查询失败", "serviceCode": "0056", "endpoint": "submit"})");
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage().rfind("申报状态查询失败：【30002】", 0), 0u) << status_->GetErrorMessage();
  EXPECT_EQ(States(), before);
  EXPECT_NE(env_->LogText().find("[异常]TCXJMSBStatusQueryService.synSbztCx：["), std::string::npos);
}

TEST_F(SbztQueryTest, AsksWhetherToGoOnWaitingAndStopsWhenTold) {
  FullSync();
  ShortWait wait;
  const std::string before = States();
  int32_t n = 0;
  answer_ = false;
  Fault(R"({"kind": "pending", "polls": -1, "serviceCode": "0056", "endpoint": "submit"})");
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage(), "申报状态查询失败：等待服务器反馈超时，已停止查询。");
  EXPECT_EQ(Asked(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(States(), before);

  // Told to go on, the query waits again until the answer comes.
  answer_ = true;
  Fault(R"({"kind": "pending", "polls": 12, "serviceCode": "0056", "endpoint": "submit"})");
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_GT(n, 0);
  EXPECT_GT(Asked().size(), 1u);
}

class SbztQueryWithJfztTest : public SbztFixture {
 protected:
  SbztQueryWithJfztTest() : SbztFixture(10, "[M8]\nsbztcxExistsJfzt = 1\n") {}
};

TEST_F(SbztQueryWithJfztTest, AsksForThePaymentStateWhenThePlatformSaysSo) {
  FullSync();
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0056") continue;
    const Json body = Json::parse(c.body);
    EXPECT_EQ(body["jfzt"], "Y");
    EXPECT_FALSE(body.contains("noJfzt"));
  }
}

// More than 1000 lines: two batches.
class SbztBatchTest : public SbztFixture {
 protected:
  SbztBatchTest() : SbztFixture(700) {}
};

TEST_F(SbztBatchTest, ASecondBatchThatFailsLeavesItsLinesAsTheyWere) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb");
  ASSERT_GT(lines, 1000);
  Exec("update sb_rycbxmb set sbzt = 1, xzsj = '2020-01-01', jfnd = '2020'");
  Fault(R"({"kind": "refuse", "code": "30001", "serviceCode": "0056", "endpoint": "submit", "skip": 1})");
  int32_t n = 0;
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage().rfind("申报状态查询失败：", 0), 0u) << status_->GetErrorMessage();
  EXPECT_EQ(n, 1000);  // the first batch answered and was stored
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2024'"), 1000);
  // The second batch's lines keep their states: not "not declared", still old, so asked again.
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2020' and sbzt = 1 and xzsj = '2020-01-01'"),
            lines - 1000);
  EXPECT_EQ(Json::parse(status_->xzidList(kPayer, Query())).size(), static_cast<size_t>(lines - 1000));
  size_t batches = 0;
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0056") continue;
    EXPECT_EQ(Json::parse(c.body)["xzidList"].size(), 1000u);
    ++batches;
  }
  EXPECT_EQ(batches, 1u);  // the refused second submission never reached the handler

  // Asked again, only the remaining lines go out, and all are stored.
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines - 1000);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2024'"), lines);
}

// The batches after the first are submitted while the first is awaited; they are still stored
// in order, and only once every batch before them is.
TEST_F(SbztBatchTest, ALateFirstBatchIsStoredBeforeTheSecond) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb");
  ASSERT_GT(lines, 1000);
  Fault(R"({"kind": "pending", "polls": 6, "serviceCode": "0056", "endpoint": "submit"})");
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2024'"), lines);
}

// Batches are stored behind the queries of the next ones: a batch whose store fails still ends
// the query with the store's failure, and its lines keep the states they had.
TEST_F(SbztBatchTest, ABatchWhoseStoreFailsEndsTheQueryWithTheStoresFailure) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb");
  ASSERT_GT(lines, 1000);
  Exec("update sb_rycbxmb set sbzt = 1, xzsj = '2020-01-01', jfnd = '2020'");
  FaultInjection::FailCommit(2, "database or disk is full");
  int32_t n = 0;
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  FaultInjection::Clear();
  EXPECT_NE(status_->GetErrorMessage().find("磁盘空间不足"), std::string::npos) << status_->GetErrorMessage();
  EXPECT_EQ(n, 1000);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2024'"), 1000);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2020' and sbzt = 1 and xzsj = '2020-01-01'"),
            lines - 1000);

  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines - 1000);
}

TEST_F(SbztBatchTest, AFirstBatchRefusedStoresNothingThoughTheSecondAnswered) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb");
  Exec("update sb_rycbxmb set sbzt = 1, xzsj = '2020-01-01', jfnd = '2020'");
  // The first answer is a refusal inside the document; the second batch answers well.
  Fault(R"({"kind": "code", "code": "30002", "message": "查询失败", "serviceCode": "0056", "endpoint": "submit"})");
  int32_t n = 0;
  EXPECT_FALSE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  EXPECT_EQ(status_->GetErrorMessage().rfind("申报状态查询失败：【30002】", 0), 0u) << status_->GetErrorMessage();
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2020' and sbzt = 1 and xzsj = '2020-01-01'"), lines);

  // Asked again, every line goes out and is stored.
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines);
}

// More batches than are kept in flight: the lines are read on a thread of their own while the
// first batches are asked about and stored. Every line is asked about once, in the order read,
// and every answer stored, though stores change the lines' rows while they are still being read.
class SbztManyBatchesTest : public SbztFixture {
 protected:
  SbztManyBatchesTest() : SbztFixture(5000) {}
  static constexpr size_t kBatch = 1000, kInFlight = 8;
};

TEST_F(SbztManyBatchesTest, EveryLineIsAskedAboutOnceAndStored) {
  FullSync();
  const int lines = Count("select count(*) from sb_rycbxmb");
  ASSERT_GT(lines, static_cast<int>(kBatch * (kInFlight + 1)));
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, lines);
  EXPECT_EQ(Count("select count(*) from sb_rycbxmb where jfnd = '2024' and sbzt in (0, 1)"), lines);
  std::vector<std::string> asked;
  size_t batches = 0;
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode != "0056") continue;
    const Json list = Json::parse(c.body)["xzidList"];
    EXPECT_EQ(list.size(), std::min<size_t>(kBatch, static_cast<size_t>(lines) - asked.size()));
    for (const Json& x : list) asked.push_back(x.get<std::string>());
    ++batches;
  }
  EXPECT_EQ(batches, (static_cast<size_t>(lines) + kBatch - 1) / kBatch);
  std::vector<std::string> sorted = asked;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a line asked about twice";
  EXPECT_EQ(asked.size(), static_cast<size_t>(lines));

  // Asked again the same day, no line goes out.
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n)) << status_->GetErrorMessage();
  EXPECT_EQ(n, 0);
}

TEST_F(SbztQueryTest, ListsCountsAndExportsTheLinesByState) {
  FullSync();
  int32_t n = 0;
  ASSERT_TRUE(status_->synSbztCx(kPayer, Query(), nullptr, n));
  const int declared = Count("select count(*) from sb_rycbxmb where sbzt = 1");
  EXPECT_EQ(status_->getCount(kPayer, R"({"jfnd": "2024", "sbzt": "1"})"), declared);
  EXPECT_EQ(status_->getCount(kPayer, R"({"jfnd": "2024"})"), n);
  const Json page = Json::parse(status_->getData(kPayer, R"({"sbzt": "1"})", 1, 5));
  ASSERT_EQ(page.size(), std::min<size_t>(5, declared));
  for (const auto& r : page) EXPECT_EQ(r["sbztName"], "已申报");
  const Json all = Json::parse(status_->getData(kPayer, R"({"jfnd": "2024"})", -1, 0));
  EXPECT_EQ(all.size(), static_cast<size_t>(n));
  // Ordered by name.
  for (size_t i = 1; i < all.size(); ++i) EXPECT_LE(all[i - 1]["xm"], all[i]["xm"]);
  // A name with a quote is a value, not SQL.
  EXPECT_EQ(status_->getCount(kPayer, R"({"xm": "a' or '1'='1"})"), 0);
  EXPECT_EQ(status_->getData(kPayer, "{}", 0, 10), "[]");
  EXPECT_NE(status_->GetErrorMessage(), "");

  const std::string file = env_->dataDir() + "/申报状态.xlsx";
  ASSERT_TRUE(status_->exportData(kPayer, R"({"jfnd": "2024"})", file)) << status_->GetErrorMessage();
  EXPECT_GT(std::filesystem::file_size(file), 0u);
  EXPECT_FALSE(status_->exportData(kPayer, "{}", ""));
  EXPECT_EQ(status_->GetErrorMessage(), "导出文件名为空");
  EXPECT_FALSE(status_->exportData(kPayer, "{}", env_->dataDir() + "/no/such/dir/x.xlsx"));
  EXPECT_FALSE(std::filesystem::exists(env_->dataDir() + "/no/such/dir/x.xlsx"));
}

TEST_F(SbztQueryTest, StoresAnswersAndOtherLinesInOneTransaction) {
  FullSync();
  const Json lines = Json::parse(status_->xzidList(kPayer, Query()));
  ASSERT_GE(lines.size(), 2u);
  const std::string a = lines[0]["id"], b = lines[1]["id"];
  ASSERT_TRUE(status_->DoSaveSBZT("2024", Json::array({{{"id", a}, {"sbzt", "Y"}}}).dump()));
  ASSERT_TRUE(status_->DoSaveOtherSBZT(kPayer, "2024", Json::array({b}).dump()));
  EXPECT_EQ(Scalar("select sbzt || jfnd from sb_rycbxmb where id = " + a), "12024");
  EXPECT_EQ(Scalar("select sbzt || jfnd from sb_rycbxmb where id = " + b), "02024");
  const std::string before = States();
  FaultInjection::FailStatement(2);
  EXPECT_FALSE(status_->DoSaveOtherSBZT(kPayer, "2025", Json::array({a, b}).dump()));
  EXPECT_EQ(States(), before);
  EXPECT_FALSE(status_->DoSaveSBZT("2024", "not json"));
  EXPECT_NE(env_->LogText().find("[TCXJMSBStatusQueryService.DoSaveSBZT]异常："), std::string::npos);
  EXPECT_NE(env_->LogText().find("[异常]TCXJMSBStatusQueryService.DoSaveOtherSBZT：["), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
