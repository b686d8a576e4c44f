// The state store of residents' declaration states (TRysbztDAOImpl) through the exports: the
// year replaced as a whole, amounts that do not convert, a failed save, and the listing's
// filters joined with the roster and its groups.
#include <ctime>

#include "residents_status_fixture.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;
using Json = nlohmann::json;

class RysbztDaoTest : public SbztFixture {
 protected:
  RysbztDaoTest() : SbztFixture(12) {}

  void SetUp() override {
    FullSync();
    for (const auto& r : Json::parse(dao_->getData("select xzid from sb_rycbxmb order by xzid")))
      xzids_.push_back(r["xzid"]);
    ASSERT_GE(xzids_.size(), 6u);
  }
  // One line of the save's array.
  Json Line(size_t k, Json jfzt = "10", Json ybtfe = "12.50", Json sbzt = "Y") {
    return {{"xzid", xzids_[k]}, {"sbrq", "2024-03-01"}, {"ybtfe", ybtfe}, {"sbzt", sbzt}, {"jfzt", jfzt}};
  }
  int Rows(const std::string& jfnd) {
    return Count("select count(*) from ds_rysbztb where djxh = '" + kPayer + "' and jfnd = '" + jfnd + "'");
  }
  size_t Listed(const Json& query) { return Json::parse(store_->getData(kPayer, query.dump(), -1, 0)).size(); }
  static std::string LastMonth() {
    std::time_t t = std::time(nullptr);
    std::tm tm = *std::localtime(&t);
    tm.tm_mday = 1;
    tm.tm_mon -= 1;
    std::mktime(&tm);
    char buf[8];
    std::strftime(buf, sizeof buf, "%Y-%m", &tm);
    return buf;
  }

  std::vector<std::string> xzids_;
};

TEST_F(RysbztDaoTest, SaveReplacesTheYearAndNeverDoublesIt) {
  const std::string lines = Json::array({Line(0), Line(1), Line(2)}).dump();
  ASSERT_TRUE(store_->saveData(kPayer, "2024", lines)) << store_->GetErrorMessage();
  ASSERT_TRUE(store_->saveData(kPayer, "2024", lines)) << store_->GetErrorMessage();
  EXPECT_EQ(Rows("2024"), 3);
  ASSERT_TRUE(store_->saveData(kPayer, "2023", Json::array({Line(3)}).dump()));
  ASSERT_TRUE(store_->clearData(kPayer, "2024"));
  EXPECT_EQ(Rows("2024"), 0);
  EXPECT_EQ(Rows("2023"), 1);
  EXPECT_FALSE(store_->saveData(kPayer, "2023", "{}"));
  EXPECT_EQ(Rows("2023"), 1);
}

TEST_F(RysbztDaoTest, AFailedInsertLeavesTheYearAsItWas) {
  ASSERT_TRUE(store_->saveData(kPayer, "2024", Json::array({Line(0), Line(1)}).dump()));
  const std::string before = Scalar("select group_concat(xzid || ybtfe, ',') from ds_rysbztb");
  // The delete, the first insert, then the second insert fails.
  FaultInjection::FailStatement(3);
  EXPECT_FALSE(store_->saveData(kPayer, "2024", Json::array({Line(2), Line(3), Line(4)}).dump()));
  FaultInjection::Clear();
  EXPECT_EQ(store_->GetErrorMessage().rfind("数据库更新失败", 0), 0u) << store_->GetErrorMessage();
  EXPECT_EQ(Scalar("select group_concat(xzid || ybtfe, ',') from ds_rysbztb"), before);
  EXPECT_NE(env_->LogText().find("[异常]TRysbztDAOImpl.saveData：["), std::string::npos);
  // A failed commit too.
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(store_->saveData(kPayer, "2024", "[]"));
  FaultInjection::Clear();
  EXPECT_EQ(Rows("2024"), 2);
}

TEST_F(RysbztDaoTest, AmountsThatDoNotConvertAreStoredAsNullAndNullDatesAsEmpty) {
  Json a = Line(0, "10", "abc"), b = Line(1, "10", 7.25), c = Line(2, "10", ""), d = Line(3, "10", "1e3");
  a["sbrq"] = "null";
  ASSERT_TRUE(store_->saveData(kPayer, "2024", Json::array({a, b, c, d}).dump()));
  EXPECT_EQ(Scalar("select ifnull(ybtfe, 'NULL') || '|' || sbrq from ds_rysbztb where xzid = '" + xzids_[0] + "'"),
            "NULL|");
  EXPECT_EQ(Scalar("select ybtfe from ds_rysbztb where xzid = '" + xzids_[1] + "'"), "7.25");
  EXPECT_EQ(Scalar("select ifnull(ybtfe, 'NULL') from ds_rysbztb where xzid = '" + xzids_[2] + "'"), "NULL");
  EXPECT_EQ(Scalar("select ybtfe from ds_rysbztb where xzid = '" + xzids_[3] + "'"), "1000.0");
  EXPECT_EQ(Count("select count(*) from ds_rysbztb where ybtfe < 0"), 0);
}

TEST_F(RysbztDaoTest, PaymentStateGroupsAndTheStoppedUnpaidRule) {
  ASSERT_TRUE(store_->saveData(kPayer, "2024",
                               Json::array({Line(0, nullptr), Line(1, "null"), Line(2, ""), Line(3, "31"),
                                            Line(4, "10"), Line(5, "21")})
                                   .dump()));
  EXPECT_EQ(Listed({{"jfzt", "0"}}), 4u);
  EXPECT_EQ(Listed({{"jfzt", "1"}}), 2u);
  EXPECT_EQ(Listed(Json::object()), 6u);
  EXPECT_EQ(static_cast<size_t>(store_->getCount(kPayer, "{}")), Listed(Json::object()));
  EXPECT_EQ(store_->getCount(kPayer, R"({"jfzt": "0", "jfnd": "2024", "sbzt": "Y"})"), 4);
  EXPECT_EQ(store_->getCount(kPayer, R"({"jfnd": "2023"})"), 0);

  // An unpaid line whose item stopped last month is not listed; a paid one is.
  Exec("update sb_rycbxmb set tzjfyf = '" + LastMonth() + "' where xzid in ('" + xzids_[3] + "', '" + xzids_[4] +
       "')");
  EXPECT_EQ(Listed(Json::object()), 5u);
  const Json rows = Json::parse(store_->getData(kPayer, "{}", -1, 0));
  for (const auto& r : rows) EXPECT_NE(r["xzid"], xzids_[3]);
  // Paging agrees with the count.
  EXPECT_EQ(Json::parse(store_->getData(kPayer, "{}", 2, 3)).size(), 2u);
  EXPECT_EQ(store_->getData(kPayer, "{}", 0, 3), "[]");
  EXPECT_NE(env_->LogText().find("[异常]TRysbztDAOImpl.getData：["), std::string::npos);
}

TEST_F(RysbztDaoTest, ListsWithThePersonItsGroupAndTheStateTexts) {
  const std::string person0 = Scalar("select rydjxh from sb_rycbxmb where xzid = '" + xzids_[0] + "'");
  // The second line belongs to someone else (a person may hold several consecutive lines).
  const std::string other =
      Scalar("select xzid from sb_rycbxmb where rydjxh <> '" + person0 + "' order by xzid limit 1");
  Json second = Line(1, "31", "1", "N");
  second["xzid"] = other;
  ASSERT_TRUE(store_->saveData(kPayer, "2024", Json::array({Line(0), second}).dump()));
  Exec("insert into sb_fzxxb (id, djxh, pid, fzmc, fullname, fullpath) values (5, '" + kPayer +
       "', -1, 'A', 'A', ',5,'), (7, '" + kPayer + "', 5, 'B', 'A/B', ',5,7,'), (15, '" + kPayer +
       "', -1, 'C', 'C', ',15,')");
  Exec("update sb_ryjbxxb set fzid = 7, fullpath = ',5,7,' where rydjxh = '" + person0 + "'");
  Exec("update sb_ryjbxxb set fzid = 15, fullpath = ',15,' where rydjxh <> '" + person0 + "'");
  const Json rows = Json::parse(store_->getData(kPayer, R"({"fzid": "5"})", -1, 0));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["rydjxh"], person0);
  EXPECT_EQ(rows[0]["fullname"], "A/B");
  EXPECT_EQ(rows[0]["sbztName"], "已申报");
  EXPECT_EQ(rows[0]["ybtfe"], "12.5");
  for (const char* key : {"xm", "zjlx", "zjhm", "phonenumber", "rybh", "sbjbjgdm", "zsxmdm", "zspmdm", "zszmdm",
                          "xzjddm", "sqhczdm", "cbrytslbdm", "jfzt", "jdxzMc", "sqczMc", "cbrytslbMc"})
    EXPECT_TRUE(rows[0].contains(key)) << key;
  EXPECT_EQ(Listed({{"fzid", "15"}}), Listed(Json::object()) - 1);
  const Json undeclared = Json::parse(store_->getData(kPayer, R"({"sbzt": "N"})", -1, 0));
  ASSERT_EQ(undeclared.size(), 1u);
  EXPECT_EQ(undeclared[0]["sbztName"], "未申报");
  // Filters are values: a quote in a name finds nothing and breaks nothing.
  EXPECT_EQ(store_->getCount(kPayer, R"({"xm": "x' or '1'='1"})"), 0);
  EXPECT_EQ(store_->getCount(kPayer, "not json"), 0);
  EXPECT_NE(store_->GetErrorMessage(), "");
}

}  // namespace
}  // namespace velmor::testing
