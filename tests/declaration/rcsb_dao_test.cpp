// TRcsbDAO on the host database: saving declarations (and that a failure at any statement leaves
// nothing behind), state updates, feedback, queries, person replacement and clean-up.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "framework/service_table.h"
#include "store_env.h"
#include "velmor/rcsb_dao.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;
using Json = nlohmann::ordered_json;

Json Person(const std::string& mxxh, const std::string& xm, double jfje) {
  return {{"mxxh", mxxh}, {"xm", xm},        {"zjlx", "201"},  {"zjhm", "11010119900101" + mxxh},
          {"jfnd", "2026"}, {"zsxmdm", "10210"}, {"zspmdm", "102100100"}, {"jfje", jfje},
          {"pmlx", "00"},  {"yjfje", jfje},    {"sjyjfe", jfje}};
}

Json Declaration(double zje = 700) {
  return {{"djxh", "10011"},
          {"swjgdm", "14401"},
          {"sblx", "00"},
          {"zrs", 2},
          {"zje", zje},
          {"yjfjeHj", zje},
          {"ybtfeHJ", zje},
          {"yblsh", "YB1"},
          {"jywyid", "T1"},
          {"sbzt", 0},
          {"details",
           {{{"zrs", 2},
             {"zje", zje},
             {"jfnd", "2026"},
             {"zsxmdm", "10210"},
             {"zspmdm", "102100100"},
             {"sjly", "00"},
             {"sbjbjgdm", "A01"},
             {"sfyrymx", 1},
             {"fkssqq", "2026-01-01"},
             {"fkssqz", "2026-12-31"},
             {"persons", {Person("1", "张三", 300), Person("2", "O'Neil", 400)}}}}}};
}

class RcsbDao : public ::testing::Test {
 protected:
  int32_t Save(const Json& sb = Declaration()) {
    int32_t id = 0;
    EXPECT_TRUE(dao_->SaveSbData(sb.dump(), id)) << dao_->GetErrorMessage();
    return id;
  }
  std::string Counts() {
    Ref<IDBMechanism> db = env_.Db();
    return Scalar(*db, "select (select count(*) from ds_sbzb) || '/' || (select count(*) from ds_sbmxb) || '/' || "
                       "(select count(*) from ds_sbrymxb)");
  }
  std::string Get(const std::string& sql) {
    Ref<IDBMechanism> db = env_.Db();
    return Scalar(*db, sql);
  }

  StoreEnv env_;
  Ref<IRcsbDAO> dao_ = env_.Create<IRcsbDAO>();
};

TEST_F(RcsbDao, RegisteredAsRowSix) {
  ASSERT_TRUE(dao_);
  EXPECT_EQ(ServiceRowAt(kRowTRcsbDAO).iid, IRcsbDAO::kIid);
  const ClassRef* cls = env_.factory().ServiceClasses()->FindClass("{3E1ABB01-CF38-4BC6-88B4-495CD927FC70}");
  ASSERT_TRUE(cls);
  EXPECT_EQ(cls->ClassName(), "TRcsbDAO");
}

TEST_F(RcsbDao, SavesMasterDetailsAndPersonsUnderTheMasterId) {
  const int32_t first = Save();
  const int32_t id = Save();
  EXPECT_GT(id, first);
  EXPECT_EQ(Counts(), "2/2/4");
  EXPECT_EQ(Get("select count(*) from ds_sbrymxb where mxbid = " + std::to_string(id)), "2");
  EXPECT_EQ(Get("select djxh || '|' || zje || '|' || jywyid || '|' || length(sbsj) from ds_sbzb where id = " +
                std::to_string(id)),
            "10011|700.0|T1|19");
  EXPECT_EQ(Get("select xm from ds_sbrymxb where mxxh = '2' and mxbid = " + std::to_string(id)), "O'Neil");
  std::string rows;
  ASSERT_TRUE(dao_->GetSbRymxData(id, rows));
  EXPECT_EQ(Json::parse(rows).size(), 2u);
}

TEST_F(RcsbDao, AFailureAtAnyStatementOfTheSaveLeavesTheTablesAsTheyWere) {
  Save();
  ASSERT_EQ(Counts(), "1/1/2");
  // master, its id, detail, detail id, two persons
  const char* expected[] = {"保存申报主表失败。", "获取主表ID失败。", "保存申报明细表失败。", "获取明细表ID失败。",
                            "保存申报人员明细表失败。", "保存申报人员明细表失败。"};
  for (int n = 1; n <= 6; ++n) {
    FaultInjection::FailStatement(n);
    int32_t id = -7;
    EXPECT_FALSE(dao_->SaveSbData(Declaration().dump(), id)) << "statement " << n;
    EXPECT_EQ(dao_->GetErrorMessage(), expected[n - 1]) << "statement " << n;
    EXPECT_EQ(id, -7);
    FaultInjection::Clear();
    EXPECT_EQ(Counts(), "1/1/2") << "statement " << n;
  }
  FaultInjection::FailCommit(1);
  int32_t id = 0;
  EXPECT_FALSE(dao_->SaveSbData(Declaration().dump(), id));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行异常");
  EXPECT_EQ(Counts(), "1/1/2");
  EXPECT_NE(env_.Log().find("[TRcsbDAO.SaveSbData]异常：数据库执行异常injected fault: commit failed"),
            std::string::npos);
  Save();
  EXPECT_EQ(Counts(), "2/2/4") << "a failed save leaves no transaction open";
}

TEST_F(RcsbDao, RefusesADeclarationThatIsNotUsable) {
  int32_t id = 0;
  EXPECT_FALSE(dao_->SaveSbData("not json", id));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行异常");
  Json bad = Declaration();
  bad["zrs"] = "two";
  EXPECT_FALSE(dao_->SaveSbData(bad.dump(), id));
  EXPECT_NE(env_.Log().find("[TRcsbDAO.SaveSbData]异常：字段[zrs]不是数值：two"), std::string::npos);
  EXPECT_EQ(Counts(), "0/0/0");
}

TEST_F(RcsbDao, DeclaredStateOnAZeroTotalSetsNothingToPay) {
  const int32_t zero = Save(Declaration(0));
  const int32_t paid = Save(Declaration(10));
  const int32_t failed = Save(Declaration(0));
  ASSERT_TRUE(dao_->UpdateSbzt(zero, 2, "", ""));
  ASSERT_TRUE(dao_->UpdateSbzt(paid, 6, "", ""));
  ASSERT_TRUE(dao_->UpdateSbzt(failed, 3, "【E1】bad", ""));
  EXPECT_EQ(Get("select group_concat(sbzt || ':' || jkzt || ':' || sbyy, ',') from (select * from ds_sbzb order by id)"),
            "2:8:,6:0:,3:0:【E1】bad");
  ASSERT_TRUE(dao_->UpdateZfFk(paid, 5, "it's void"));
  EXPECT_EQ(Get("select sbyy || '|' || length(zfsj) from ds_sbzb where id = " + std::to_string(paid)), "it's void|19");
}

TEST_F(RcsbDao, FeedbackSetsTheVoucherDropsItsOlderCopyAndMarksPersons) {
  const int32_t older = Save();
  const int32_t other = Save();
  ASSERT_TRUE(dao_->UpdateSbFk(older, "V100", "[]"));
  const int32_t id = Save();
  ASSERT_TRUE(dao_->UpdateSbFk(id, "V100", R"([{"jfmxxh":"2","sbyy":"身份证号码有误"}])")) << dao_->GetErrorMessage();
  EXPECT_EQ(Get("select group_concat(id) from ds_sbzb"), std::to_string(other) + "," + std::to_string(id));
  EXPECT_EQ(Counts(), "2/2/4");
  EXPECT_EQ(Get("select group_concat(mxxh || ':' || jyzt || ':' || ifnull(sbyy, '')) from ds_sbrymxb where mxbid = " +
                std::to_string(id)),
            "1:0:,2:1:身份证号码有误");
  FaultInjection::FailStatement(3);
  EXPECT_FALSE(dao_->UpdateSbFk(other, "V200", R"([{"jfmxxh":"1","sbyy":"x"}])"));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行失败");
  FaultInjection::Clear();
  EXPECT_EQ(Get("select ifnull(yzpzxh, '') from ds_sbzb where id = " + std::to_string(other)), "");
}

TEST_F(RcsbDao, APersonInTheSubmissionsNamesIsStoredAndMarkedAsSent) {
  // The submission document's names for line number, agency, person number, township,
  // community and levy codes; a column name beside a submission name loses, as in the document.
  Json sb = Declaration();
  Json& persons = sb["details"][0]["persons"];
  persons = Json::array();
  persons.push_back({{"jfmxxh", "7"}, {"xm", "李四"}, {"zjlx", "201"}, {"zjhm", "110101199001017"},
                     {"sbjbjgDm", "A01"}, {"cxjmsbbm", "R7"}, {"xzjdDm", "440301001"}, {"sqczDm", "440301001001"},
                     {"zsxmDm", "10210"}, {"zspmDm", "102100100"}, {"zszmDm", "1021001001"},
                     {"zspmdm", "ignored"}, {"jfnd", "2026"}, {"jfje", 300}});
  persons.push_back(Person("8", "王五", 400));
  const int32_t id = Save(sb);
  EXPECT_EQ(Get("select mxxh || '|' || sbjbjgdm || '|' || rybh || '|' || xz_xzjddm || '|' || xz_sqhczdm || '|' || "
                "zsxmdm || '|' || zspmdm || '|' || zszmdm from ds_sbrymxb where xm = '李四'"),
            "7|A01|R7|440301001|440301001001|10210|102100100|1021001001");
  ASSERT_TRUE(dao_->UpdateSbFk(id, "V7", R"([{"jfmxxh":"7","sbyy":"重复缴费"}])")) << dao_->GetErrorMessage();
  EXPECT_EQ(Get("select group_concat(xm || ':' || jyzt || ':' || ifnull(sbyy, ''), ',') from ds_sbrymxb where "
                "mxbid = " + std::to_string(id)),
            "李四:1:重复缴费,王五:0:");
  // The second form of the person listing reads every person of the master.
  std::string rows;
  int32_t count = 0;
  ASSERT_TRUE(dao_->GetSbrymxLb(id, 1, 10, rows)) << dao_->GetErrorMessage();
  ASSERT_TRUE(dao_->GetSbrymxCount(id, count));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Json::parse(rows).size(), 2u);
}

TEST_F(RcsbDao, TheSecondVoidFormAndTheSerialLookupAndRefusedFeedback) {
  const int32_t id = Save();
  ASSERT_TRUE(dao_->UpdateZfFk(id, "已作废"));
  EXPECT_EQ(Get("select sbzt || ':' || sbyy || ':' || length(zfsj) from ds_sbzb where id = " + std::to_string(id)),
            "5:已作废:19");
  std::string row;
  ASSERT_TRUE(dao_->GetSbzbByYblsh("10011", "YB1", row)) << dao_->GetErrorMessage();
  EXPECT_EQ(Json::parse(row).value("id", ""), std::to_string(id));
  ASSERT_TRUE(dao_->GetSbzbByYblsh("10011", "O'none", row));
  EXPECT_EQ(row, "{}");
  ASSERT_TRUE(dao_->UpdateSbyyFk(id, "【E1】人员有误", R"([{"jfmxxh":"1","sbyy":"证件号码有误"}])"));
  EXPECT_EQ(Get("select sbzt || ':' || sbyy from ds_sbzb where id = " + std::to_string(id)), "5:【E1】人员有误");
  EXPECT_EQ(Get("select group_concat(jyzt) from ds_sbrymxb where mxbid = " + std::to_string(id)), "1,0");
  FaultInjection::FailStatement(2);
  EXPECT_FALSE(dao_->UpdateSbyyFk(id, "新原因", R"([{"jfmxxh":"2","sbyy":"x"}])"));
  FaultInjection::Clear();
  EXPECT_EQ(Get("select sbyy from ds_sbzb where id = " + std::to_string(id)), "【E1】人员有误")
      << "a failed feedback leaves the reason as it was";
  EXPECT_FALSE(dao_->UpdateSbyyFk(id, "x", "not json"));
}

TEST_F(RcsbDao, PagesCountsAndFiltersMasters) {
  for (int i = 0; i < 5; ++i) Save();
  Json another = Declaration();
  another["djxh"] = "20022";
  Save(another);
  ASSERT_TRUE(dao_->UpdateSbzt(2, 2, "", ""));
  ASSERT_TRUE(dao_->UpdateSbzt(4, 6, "", ""));
  int32_t count = 0;
  ASSERT_TRUE(dao_->GetSbzbCount(R"({"djxh":"10011"})", count));
  EXPECT_EQ(count, 5);
  ASSERT_TRUE(dao_->GetSbzbCount(R"({"djxh":"10011","sbzt":"2, 6"})", count));
  EXPECT_EQ(count, 2);
  std::string rows;
  ASSERT_TRUE(dao_->GetSbzbData(R"({"djxh":"10011"})", 2, 2, rows));
  Json page = Json::parse(rows);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0]["id"], "3");
  EXPECT_EQ(page[1]["id"], "2");
  ASSERT_TRUE(dao_->GetSbzbData(R"({"djxh":"10011","id":4})", -1, 0, rows));
  EXPECT_EQ(Json::parse(rows).size(), 1u);
  ASSERT_TRUE(dao_->GetSbzbCount(R"({"djxh":"10011","sbrqq":"2000-01-01","sbrqz":"2000-12-31"})", count));
  EXPECT_EQ(count, 0);
  ASSERT_TRUE(dao_->GetSbzbCount(R"({"djxh":"x' or '1'='1"})", count));
  EXPECT_EQ(count, 0);

  EXPECT_FALSE(dao_->GetSbzbCount(R"({"djxh":"10011","sbzt":"2) or (1=1"})", count));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询失败");
  EXPECT_FALSE(dao_->GetSbzbData(R"({"sbzt":"2"})", 1, 10, rows));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询失败");
  EXPECT_FALSE(dao_->GetSbzbData(R"({"djxh":"10011"})", 0, 10, rows));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询异常");
}

TEST_F(RcsbDao, UnpaidVouchersLeaveOutPaidAndNothingToPay) {
  for (int i = 1; i <= 4; ++i) {
    Save(Declaration(i == 4 ? 0 : 100));
    ASSERT_TRUE(dao_->UpdateSbFk(i, "V" + std::to_string(i), ""));
    ASSERT_TRUE(dao_->UpdateSbzt(i, 2, "", ""));
  }
  ASSERT_TRUE(dao_->UpdateJkzt("10011", "V2", 3));
  ASSERT_TRUE(dao_->UpdateJkzt("10011", "V3", 2));
  std::string vouchers;
  ASSERT_TRUE(dao_->GetWjkDataLb("10011", "2,6", vouchers));
  EXPECT_EQ(vouchers, R"(["V1","V3"])");
  std::string years;
  ASSERT_TRUE(dao_->GetExistsJfndLb("10011", years));
  EXPECT_EQ(years, R"(["2026"])");
}

TEST_F(RcsbDao, ReplacingPersonsIsAllOrNothing) {
  const int32_t id = Save();
  Json three = Json::array({Person("1", "a", 1), Person("2", "b", 2), Person("3", "c", 3)});
  FaultInjection::FailStatement(3);
  EXPECT_FALSE(dao_->SaveSbrymxb(id, three.dump()));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行失败");
  FaultInjection::Clear();
  EXPECT_EQ(Get("select group_concat(xm) from ds_sbrymxb"), "张三,O'Neil");
  ASSERT_TRUE(dao_->SaveSbrymxb(id, three.dump()));
  ASSERT_TRUE(dao_->UpdateSbxmbMisc(id, 3, 1, 1));
  EXPECT_EQ(Get("select group_concat(xm) from ds_sbrymxb"), "a,b,c");
  EXPECT_EQ(Get("select zrs || sfyrymx || sfyxzrymx from ds_sbmxb"), "311");
  int32_t count = 0;
  ASSERT_TRUE(dao_->GetSbrymxCount(id, "102100100", -1, count));
  EXPECT_EQ(count, 3);
  std::string rows;
  ASSERT_TRUE(dao_->GetSbrymxLb(id, "", 0, 1, 2, rows));
  Json page = Json::parse(rows);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0]["sjly"], "00");
}

TEST_F(RcsbDao, CleanUpRemovesDeclaredMastersWithoutFeePeriodAndTheirRows) {
  Json noPeriod = Declaration();
  noPeriod["details"][0]["fkssqq"] = "";
  const int32_t a = Save(noPeriod);
  const int32_t b = Save();
  const int32_t c = Save(noPeriod);  // not declared: stays
  ASSERT_TRUE(dao_->UpdateSbzt(a, 2, "", ""));
  ASSERT_TRUE(dao_->UpdateSbzt(b, 2, "", ""));
  int32_t removed = 0;
  ASSERT_TRUE(dao_->CleanSbWithoutFkssq("10011", removed));
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(Get("select group_concat(id) from ds_sbzb"), std::to_string(b) + "," + std::to_string(c));
  EXPECT_EQ(Counts(), "2/2/4");
}

}  // namespace
}  // namespace velmor::testing
