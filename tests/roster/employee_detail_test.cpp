// The person detail and unpaid services on the plug-in's objects in an in-process reference host.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "host/db/fault_injection.h"
#include "roster/employee_detail_service.h"
#include "roster/employee_unpaid_dao.h"
#include "roster/roster_fixture.h"
#include "velmor/employee_detail_dao.h"
#include "velmor/employee_detail_service.h"
#include "velmor/employee_unpaid.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class Detail : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    // R1: two person numbers at J01 (B1 registered 2024, B2 2023) and one at J02; R2 another
    // person of the payer; D2 another payer with the same rydjxh.
    SeedPerson(*db_, "D1", "R1", "张三", "ID1", "0");
    SeedEnrolment(*db_, "D1", "R1", "J01", "B1");
    SeedEnrolment(*db_, "D1", "R1", "J01", "B2", "N");
    SeedEnrolment(*db_, "D1", "R1", "J02", "B3");
    SeedItem(*db_, "D1", "R1", "J01", "B1", "X1", MonthFromNow(0));        // stops this month: valid
    SeedItem(*db_, "D1", "R1", "J01", "B2", "X2", MonthFromNow(12));       // enrolment "N": invalid
    SeedItem(*db_, "D1", "R1", "J02", "B3", "X3", MonthFromNow(-1));       // stopped last month
    SeedItem(*db_, "D1", "R1", "J02", "B3", "X4", MonthFromNow(12), "N");  // item "N"
    ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set djnd = '2023' where xzid = 'X2'"));
    ASSERT_TRUE(db_->ExecSQL("update sb_rycbjgxxb set sbhm = 'S1', xzqhdm = '440300' where rybh = 'B1'"));
    SeedPerson(*db_, "D2", "R1", "other", "ID9", "0");
    SeedEnrolment(*db_, "D2", "R1", "J09", "B9");
  }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
};

TEST_F(Detail, StoreReadsNumbersAgenciesAndEnrolmentsOfOnePerson) {
  Ref<IEmployeeDetailDao> dao = env_.Create<IEmployeeDetailDao>();
  ASSERT_TRUE(dao);
  EXPECT_EQ(dao->getRybhData("D1", "R1", ""), (std::vector<std::string>{"B1", "B2", "B3"}));
  EXPECT_EQ(dao->getRybhData("D1", "R1", "2023"), (std::vector<std::string>{"B2"}));
  EXPECT_EQ(dao->getSbjbjgData("D1", "R1", "", ""), (std::vector<std::string>{"J01", "J02"}));
  EXPECT_EQ(dao->getSbjbjgData("D1", "R1", "B3", ""), (std::vector<std::string>{"J02"}));
  EXPECT_EQ(dao->getSbjbjgData("D1", "R1", "", "2023"), (std::vector<std::string>{"J01"}));
  std::vector<TRycbmxEntity> e = dao->getData("D1", "R1", "B1", "J01");
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].sbhm, "S1");
  EXPECT_EQ(e[0].xzqhdm, "440300");
  EXPECT_TRUE(dao->getData("D1", "R1", "B1", "J02").empty());
  // Quotes in values are data, not SQL.
  EXPECT_TRUE(dao->getRybhData("D1", "R1' or '1'='1", "").empty());
  EXPECT_EQ(dao->GetErrorMessage(), "");
}

TEST_F(Detail, ItemsFilteredByValidityAndLabelledByTheService) {
  Ref<IEmployeeDetailDao> dao = env_.Create<IEmployeeDetailDao>();
  auto ids = [](const std::vector<TRycbxmEntity>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.xzid);
    std::sort(out.begin(), out.end());
    return out;
  };
  CbxmDetailFilter f;
  EXPECT_EQ(ids(dao->getCbxmData("D1", "R1", f)), (std::vector<std::string>{"X1", "X2", "X3", "X4"}));
  f.validity = CbxmValidity::kValid;
  EXPECT_EQ(ids(dao->getCbxmData("D1", "R1", f)), (std::vector<std::string>{"X1"}));
  f.validity = CbxmValidity::kInvalid;
  // X2 is invalid only through its enrolment, which the invalid filter does not look at.
  EXPECT_EQ(ids(dao->getCbxmData("D1", "R1", f)), (std::vector<std::string>{"X3", "X4"}));
  f = {};
  f.rybh = "B3";
  EXPECT_EQ(ids(dao->getCbxmData("D1", "R1", f)), (std::vector<std::string>{"X3", "X4"}));
  f = {};
  f.djnd = "2023";
  EXPECT_EQ(ids(dao->getCbxmData("D1", "R1", f)), (std::vector<std::string>{"X2"}));

  Ref<IEmployeeDetailService> service = env_.Create<IEmployeeDetailService>();
  ASSERT_TRUE(service);
  std::map<std::string, std::string> labels;
  for (const auto& i : service->getCbxmData("D1", "R1", {})) labels[i.xzid] = i.yxbzmc;
  EXPECT_EQ(labels["X1"], "有效") << "stopping this month is still valid";
  EXPECT_EQ(labels["X2"], "无效") << "valid item under an invalid enrolment";
  EXPECT_EQ(labels["X3"], "无效");
  EXPECT_EQ(labels["X4"], "无效");
  EXPECT_EQ(service->getRybhData("D1", "R1", "2023"), (std::vector<std::string>{"B2"}));
}

TEST(DetailLabel, ValidOnlyWithBothFlagsAndAStopMonthNotPassed) {
  TRycbxmEntity i;
  i.yxbz = "Y";
  i.cbjgYxbz = "Y";
  i.tzjfyf = "2024-05";
  EXPECT_EQ(CbxmValidityLabel(i, "2024-05"), "有效");
  EXPECT_EQ(CbxmValidityLabel(i, "2024-06"), "无效");
  i.tzjfyf = "2024-05-31";
  EXPECT_EQ(CbxmValidityLabel(i, "2024-05"), "有效") << "a stop day counts by its month";
  i.cbjgYxbz = "";
  EXPECT_EQ(CbxmValidityLabel(i, "2024-01"), "无效");
}

TEST_F(Detail, StoreFailureIsLoggedAndReported) {
  Ref<IEmployeeDetailService> service = env_.Create<IEmployeeDetailService>();
  FaultInjection::FailStatement(1);
  EXPECT_TRUE(service->getCbxmData("D1", "R1", {}).empty());
  FaultInjection::Clear();
  EXPECT_EQ(service->GetErrorMessage(), "数据库查询失败。");
  EXPECT_NE(env_.Log().find("[异常]TEmployeeDetailDaoImpl.getCbxmData：["), std::string::npos);
}

class Unpaid : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    // R1 pays X1 (sub-item P1) and X2 (P2); R2 had X3 stopped in 2019; R3 starts X4 in 2030.
    SeedPerson(*db_, "D1", "R1", "Alice", "ID1", "0", "fzid = 7, fullpath = ',3,7,', phonenumber = '13800000000'");
    SeedEnrolment(*db_, "D1", "R1", "J01", "B1");
    SeedItem(*db_, "D1", "R1", "J01", "B1", "X1", "2099-12", "Y", "P1");
    SeedItem(*db_, "D1", "R1", "J01", "B1", "X2", "2099-12", "Y", "P2");
    SeedPerson(*db_, "D1", "R2", "Bob", "ID2", "0");
    SeedEnrolment(*db_, "D1", "R2", "J01", "B2");
    SeedItem(*db_, "D1", "R2", "J01", "B2", "X3", "2019-06", "Y", "P1");
    SeedPerson(*db_, "D1", "R3", "Carol", "ID3", "0");
    SeedEnrolment(*db_, "D1", "R3", "J01", "B3");
    SeedItem(*db_, "D1", "R3", "J01", "B3", "X4", "2099-12", "Y", "P1");
    ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set ksjfyf = '2015-01'"));
    ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set ksjfyf = '2030-01' where xzid = 'X4'"));
    SeedPerson(*db_, "D1", "R4", "Dan", "ID4", "0");
    SeedEnrolment(*db_, "D1", "R4", "J01", "B4");
    SeedItem(*db_, "D1", "R4", "J01", "B4", "X5", "2099-12", "N", "P1");
    ASSERT_TRUE(db_->ExecSQL("insert into sb_fzxxb (id, djxh, fzmc, fullname) values (7, 'D1', 'g', '一组/七组')"));
    // R1 registered for P1 in 2024.
    ASSERT_TRUE(db_->ExecSQL("insert into ds_sbjfrydjxxb (djxh, rydjxh, zsxmdm, zspmdm, zszmdm, jfnd) values "
                             "('D1', 'R1', 'X1', 'P1', 'Z1', '2024')"));
  }
  std::vector<std::string> Keys(const UnpaidFilter& f, int32_t page = -1, int32_t size = 0) {
    Ref<IEmployeeUnpaidService> s = env_.Create<IEmployeeUnpaidService>();
    std::vector<TEmployeeUnpaidEntity> rows;
    EXPECT_TRUE(s->getData("D1", f, page, size, rows)) << s->GetErrorMessage();
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.xm + ":" + r.zspmdm);
    return out;
  }
  static UnpaidFilter Year(const std::string& y) {
    UnpaidFilter f;
    f.jfnd = y;
    return f;
  }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
};

TEST_F(Unpaid, RegisteredItemsLeaveTheirYearOnlyAndStoppedItemsNeverShow) {
  EXPECT_EQ(Keys(Year("2024")), (std::vector<std::string>{"Alice:P2"}));
  EXPECT_EQ(Keys(Year("2025")), (std::vector<std::string>{"Alice:P1", "Alice:P2"}));
  EXPECT_EQ(Keys(Year("2019")), (std::vector<std::string>{"Alice:P1", "Alice:P2", "Bob:P1"}))
      << "the item stopped in 2019 was due in 2019";
  EXPECT_EQ(Keys(Year("2030")), (std::vector<std::string>{"Alice:P1", "Alice:P2", "Carol:P1"}));
}

TEST_F(Unpaid, FiltersAndPages) {
  UnpaidFilter f = Year("2025");
  f.fzid = 7;
  EXPECT_EQ(Keys(f), (std::vector<std::string>{"Alice:P1", "Alice:P2"}));
  f.fzid = 3;
  EXPECT_EQ(Keys(f).size(), 2u) << "a parent group holds its subgroups' persons";
  f = Year("2019");
  f.xm = "o";
  EXPECT_EQ(Keys(f), (std::vector<std::string>{"Bob:P1"}));
  f = Year("2019");
  f.zjhm = "ID1";
  f.xm = "Alice' or '1'='1";
  EXPECT_TRUE(Keys(f).empty());
  EXPECT_EQ(Keys(Year("2019"), 2, 2), (std::vector<std::string>{"Bob:P1"}));
  std::string sql = UnpaidListSql("D1", Year("2019"), 1, 10);
  EXPECT_NE(sql.find("from ds_sbjfrydjxxb  where jfnd = '2019') djb"), std::string::npos) << sql;
  EXPECT_NE(sql.find("ORDER BY ryb.xm asc,ryb.zspmdm asc  limit 0, 10"), std::string::npos) << sql;
}

TEST_F(Unpaid, ExportWritesTheListAndReadsBack) {
  Ref<IEmployeeUnpaidService> s = env_.Create<IEmployeeUnpaidService>();
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set pmlx = '' where xzid = 'X2'"));
  ASSERT_TRUE(db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('P2', '01')"));
  const std::string path = (std::filesystem::path(env_.dataDir()) / "unpaid.xlsx").string();
  int32_t count = 0;
  ASSERT_TRUE(s->exportData("D1", Year("2024"), path, count)) << s->GetErrorMessage();
  EXPECT_EQ(count, 1);
  auto rows = workbook::ReadFirstSheetRows(path);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "姓名");
  EXPECT_EQ(rows[1][0], "Alice");
  EXPECT_EQ(rows[1][3], "13800000000");
  EXPECT_EQ(rows[1][4], "一组/七组");
  EXPECT_EQ(rows[1][8], "P2");
  EXPECT_EQ(rows[1][10], "01") << "the item type from the fee standards";

  EXPECT_FALSE(s->exportData("D1", Year("2024"), "", count));
  EXPECT_EQ(s->GetErrorMessage(), "请指定导出文件。");
  EXPECT_FALSE(s->exportData("D1", Year("2024"), (std::filesystem::path(path) / "no" / "x.xlsx").string(), count));
  EXPECT_FALSE(s->GetErrorMessage().empty());
  EXPECT_NE(env_.Log().find("[异常]TEmployeeUnpaidServiceImpl.exportData：["), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
