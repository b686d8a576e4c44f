// The roster store's queries and writes on the host's real database.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/db/fault_injection.h"
#include "roster/employee_dao.h"
#include "roster/roster_fixture.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;
using nlohmann::json;

class Dao : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    dao_ = env_.Create<IEmployeeDao>();
    ASSERT_TRUE(dao_);
  }
  // 45 persons of payer D1: odd ones local, every third in group 5 (path ",1,5,"), names with
  // an apostrophe every tenth; one enrolment and item each.
  void Seed45() {
    ASSERT_TRUE(db_->BeginTrans());
    for (int i = 1; i <= 45; ++i) {
      std::string n = std::to_string(i);
      SeedPerson(*db_, "D1", "R" + n, (i % 10 == 0 ? "O'Neil" : "name") + n, "ID" + n, i % 2 ? "1" : "0",
                 i % 3 == 0 ? "fzid = 5, fullpath = ',1,5,', cbzt = '1'" : "cbzt = '3'");
      SeedEnrolment(*db_, "D1", "R" + n, "J01", "B" + n);
      SeedItem(*db_, "D1", "R" + n, "J01", "B" + n, "X" + n, i % 4 == 0 ? "2000-01" : "2099-12");
    }
    SeedPerson(*db_, "D2", "OTHER", "name1", "ID1", "0");
    ASSERT_TRUE(db_->CommitTrans());
    ASSERT_TRUE(db_->ExecSQL("insert into sb_fzxxb (id, djxh, fzmc, fullname) values (5, 'D1', 'g', '一组/五组')"));
  }
  static size_t Size(const std::string& rows) { return json::parse(rows).size(); }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
  Ref<IEmployeeDao> dao_;
};

TEST_F(Dao, RosterPagesAllRowsAndCountAgreeingWithThePages) {
  Seed45();
  int32_t zs = 0;
  RyListFilter all;
  std::string rows = dao_->queryRyList("D1", all, -1, 20, zs);
  EXPECT_EQ(Size(rows), 45u) << "page -1 is everything";
  EXPECT_EQ(zs, 45);
  EXPECT_EQ(json::parse(rows)[0]["rydjxh"], "R45") << "newest first";
  EXPECT_EQ(json::parse(dao_->queryRyList("D1", all, 3, 20, zs)).size(), 5u);

  // For several filter sets the pages add up to the count.
  std::vector<RyListFilter> filters(6);
  filters[0].xm = "O'Neil";
  filters[1].fzid = 5;
  filters[2].ly = RyOrigin::kLocal;
  filters[3].ly = RyOrigin::kServer;
  filters[3].cbzt = "1";
  filters[4].zjhm = "ID1";
  filters[5].djnd = "2024";
  const int expected[] = {4, 15, 23, 7, 11, 45};
  for (size_t k = 0; k < filters.size(); ++k) {
    size_t total = 0;
    for (int page = 1; page <= 12; ++page) total += Size(dao_->queryRyList("D1", filters[k], page, 4, zs));
    EXPECT_EQ(static_cast<int>(total), zs) << "filter " << k;
    EXPECT_EQ(zs, expected[k]) << "filter " << k;
  }
  json grouped = json::parse(dao_->queryRyList("D1", filters[1], 1, 1, zs));
  EXPECT_EQ(grouped[0]["fullname"], "一组/五组");

  RyListFilter none;
  none.djzt = RyDjzt::kUnregistered;
  EXPECT_EQ(dao_->queryRyList("D1", none, -1, 20, zs), "[]");
  EXPECT_EQ(zs, 0);
}

TEST_F(Dao, PersonsWithEnrolmentsAndTheItemRowsPageAndCount) {
  Seed45();
  EXPECT_EQ(Size(dao_->getDataPage("D1", "", "", "", -1, 10)), 45u);
  EXPECT_EQ(Size(dao_->getDataPage("D1", "O'N", "", "", 1, 10)), 4u);
  json page2 = json::parse(dao_->getDataPage("D1", "", "201", "", 2, 10));
  ASSERT_EQ(page2.size(), 10u);
  EXPECT_EQ(page2[0]["rydjxh"], "R11");
  EXPECT_EQ(page2[0]["rybh"], "B11");

  CbxmFilter valid;
  valid.validity = XmValidity::kValid;
  CbxmFilter invalid;
  invalid.validity = XmValidity::kInvalid;
  EXPECT_EQ(dao_->getCount_V2("D1", valid), 34);
  EXPECT_EQ(dao_->getCount_V2("D1", invalid), 11);
  EXPECT_EQ(Size(dao_->getData_V2("D1", valid, -1, 10)), 34u);
  size_t total = 0;
  for (int page = 1; page <= 4; ++page) total += Size(dao_->getData_V2("D1", valid, page, 10));
  EXPECT_EQ(total, 34u);
  ASSERT_TRUE(db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('P1', '00')"));
  valid.pmlx = "00";
  EXPECT_EQ(dao_->getCount_V2ByPmlx("D1", valid), 34);
  valid.pmlx = "01";
  EXPECT_EQ(dao_->getCount_V2ByPmlx("D1", valid), 0);
  EXPECT_EQ(dao_->getData_V2ByPmlx("D1", valid, 1, 10), "[]");
}

TEST_F(Dao, CountsAndHashLists) {
  Seed45();
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kAll, ""), 45);
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kServer, "1"), 7);
  EXPECT_EQ(dao_->getRyCountBy4Elements("D1", "name1", "201", "ID1", RyOrigin::kLocal), 1);
  EXPECT_EQ(dao_->getRyCountBy4Elements("D1", "name1", "201", "ID1", RyOrigin::kServer), 0);
  ASSERT_TRUE(db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('P1', '00')"));
  EXPECT_EQ(dao_->getCountByZsxmdm("D1", "00", MonthFromNow(0)), 34);
  EXPECT_EQ(dao_->getCountByPmlx("D1", MonthFromNow(0)), R"({"00":34,"01":0})");
  // Items without a validity flag do not count as valid.
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set yxbz = null where yxbz = 'Y'"));
  EXPECT_EQ(dao_->getCountByZsxmdm("D1", "00", MonthFromNow(0)), 0);
  EXPECT_EQ(dao_->getCountByPmlx("D1", MonthFromNow(0)), R"({"00":0,"01":0})");
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set yxbz = 'Y' where yxbz is null"));
  EXPECT_EQ(Size(dao_->getAllCbxmList("D1", "00")), 1u);

  SeedPerson(*db_, "D1", "R99", "name1", "ID1", "1");  // a duplicate of person 1
  std::string hash = dao_->getRy3ElementHashData("D1", RyOrigin::kLocal);
  EXPECT_EQ(hash.substr(0, hash.find('\n')), "name1|201|ID1=1,47");
  EXPECT_NE(dao_->GetHashList("D1", "rydjxh").find("name2|201|ID2=R2\n"), std::string::npos);
  EXPECT_EQ(dao_->GetHashList("D1", "xm; drop table sb_ryjbxxb"), "");
  EXPECT_EQ(dao_->GetErrorMessage(), "查询异常：无效的字段名：xm; drop table sb_ryjbxxb");
  EXPECT_TRUE(dao_->delBy4Elements("D1", "name1", "201", "ID1", RyOrigin::kLocal));
  EXPECT_EQ(dao_->getRyCountBy4Elements("D1", "name1", "201", "ID1", RyOrigin::kAll), 0);
}

TEST_F(Dao, LocalPersonsWithoutARegistrationNumberCountOneEach) {
  Seed45();
  for (const char* n : {"L1", "L2", "L3"}) SeedPerson(*db_, "D1", "", n, n, "1");
  ASSERT_TRUE(db_->ExecSQL("update sb_ryjbxxb set rydjxh = null where xm = 'L3'"));
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kAll, ""), 48);
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kLocal, ""), 26);
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kServer, ""), 22);
  // Server persons are still counted once per registration number.
  SeedPerson(*db_, "D1", "R2", "name2", "ID2", "0");
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kServer, ""), 22);
}

TEST_F(Dao, ItemQueriesByMonth) {
  SeedPerson(*db_, "D1", "A", "a", "1", "0");
  SeedEnrolment(*db_, "D1", "A", "J01", "RA");
  SeedItem(*db_, "D1", "A", "J01", "RA", "x1", "2024-06");
  SeedItem(*db_, "D1", "A", "J01", "RA", "x2", "2024-03");
  SeedItem(*db_, "D1", "A", "J01", "RA", "x3", "2024-06", "N");
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set ksjfyf = '2024-02-01' where xzid = 'x2'"));
  EXPECT_EQ(dao_->getXzidLis("D1", "2024-03"), R"(["x1","x2"])");
  EXPECT_EQ(dao_->getXzidLis("D1", "2024-04"), R"(["x1"])");
  EXPECT_EQ(dao_->getXzidLisByMonth("D1", "2024-02-15"), R"(["x1","x2"])");
  // An item without a validity flag is not valid; a lower-case "y" is.
  SeedItem(*db_, "D1", "A", "J01", "RA", "x4", "2024-06");
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set yxbz = null where xzid = 'x4'"));
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set yxbz = 'y' where xzid = 'x1'"));
  EXPECT_EQ(dao_->getXzidLis("D1", "2024-04"), R"(["x1"])");
  EXPECT_EQ(dao_->getXzidLisByMonth("D1", "2024-04"), R"(["x1"])");
  ASSERT_TRUE(db_->ExecSQL("delete from sb_rycbxmb where xzid = 'x4'"));
  ASSERT_TRUE(db_->ExecSQL("update sb_rycbxmb set yxbz = 'Y' where xzid = 'x1'"));
  EXPECT_EQ(Size(dao_->getHashRyXzData("D1")), 2u);
  EXPECT_EQ(Size(dao_->getHashRyXzDataEx("D1", "2024-04")), 1u);
  EXPECT_EQ(dao_->getSbjbjgList("D1"), R"([{"sbjbjgdm":"J01"}])");
  EXPECT_EQ(dao_->getXzdj_SqczData("D1"), R"([{"xzjddm":"","sqhczdm":""}])");
  EXPECT_TRUE(dao_->delInvalidData("D1", "A", "2024-04"));
  EXPECT_EQ(Rows(*db_, "select xzid from sb_rycbxmb order by xzid"), "x1;x3;");
  EXPECT_TRUE(dao_->delInvalidData("D1", "A", "2025-01"));
  EXPECT_EQ(Rows(*db_, "select count(*) from sb_ryjbxxb"), "0;") << "no item left: the person goes";
  EXPECT_EQ(Rows(*db_, "select count(*) from sb_rycbjgxxb"), "0;");
}

TEST_F(Dao, ClearInvalidFzxxResetsPersonsOfDeletedGroups) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_fzxxb (id, djxh, fzmc, fullname) values (5, 'D1', 'g', 'g')"));
  SeedPerson(*db_, "D1", "A", "a", "1", "1", "fzid = 5, fullpath = ',5,'");
  SeedPerson(*db_, "D1", "B", "b", "2", "1", "fzid = 6, fullpath = ',6,'");
  SeedPerson(*db_, "D2", "C", "c", "3", "1", "fzid = 6, fullpath = ',6,'");
  EXPECT_TRUE(dao_->ClearInvalidFzxx("D1"));
  EXPECT_EQ(Rows(*db_, "select rydjxh, fzid, fullpath from sb_ryjbxxb order by rydjxh"), "A,5,,5,;B,-1,;C,6,,6,;");
}

TEST_F(Dao, UpdatesByKeyAndById) {
  SeedPerson(*db_, "D1", "A", "a", "1", "1");
  EXPECT_TRUE(dao_->UpdatePhoneNumber("D1", "A", "139'0"));
  EXPECT_TRUE(dao_->UpdateGroupInfo("D1", "A", 3, ",1,3,"));
  EXPECT_TRUE(dao_->UpdateBzxx("D1", "A", "备注'1"));
  EXPECT_EQ(Rows(*db_, "select phonenumber, fzid, fullpath, bzxx from sb_ryjbxxb"), "139'0,3,,1,3,,备注'1;");
  const int id = std::stoi(Rows(*db_, "select id from sb_ryjbxxb"));
  EXPECT_TRUE(dao_->UpdatePhoneNumberById(id, "1"));
  EXPECT_TRUE(dao_->UpdateGroupInfoById(id, -1, ""));
  EXPECT_TRUE(dao_->UpdateBzxxById(id, ""));
  EXPECT_EQ(Rows(*db_, "select phonenumber, fzid, fullpath, bzxx from sb_ryjbxxb"), "1,-1,,;");
  EXPECT_TRUE(dao_->ExecSQL("update sb_ryjbxxb set hh = 'H1'"));
  EXPECT_EQ(Rows(*db_, "select hh from sb_ryjbxxb"), "H1;");
  EXPECT_FALSE(dao_->ExecSQL("update nosuch set a = 1"));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库更新失败。");
  EXPECT_EQ(dao_->GetStoreVersion(), "IEmployeeDao/1");
}

TEST_F(Dao, DeletingPersonsTakesTheirEnrolmentsAndItems) {
  for (const char* r : {"A", "B", "C"}) {
    SeedPerson(*db_, "D1", r, r, r, "0");
    SeedEnrolment(*db_, "D1", r, "J01", r);
    SeedItem(*db_, "D1", r, "J01", r, std::string("x") + r, "2099-12");
  }
  SeedEnrolment(*db_, "D1", "GONE", "J01", "G");  // an orphan from before
  EXPECT_TRUE(dao_->delData("D1", {"A"}));
  EXPECT_EQ(Rows(*db_, "select rydjxh from sb_rycbjgxxb order by rydjxh"), "B;C;GONE;");
  std::string message = "unchanged";
  const int idB = std::stoi(Rows(*db_, "select id from sb_ryjbxxb where rydjxh = 'B'"));
  EXPECT_TRUE(dao_->DelDataById("D1", {idB}, message));
  EXPECT_EQ(message, "");
  EXPECT_EQ(Rows(*db_, "select rydjxh from sb_ryjbxxb"), "C;");
  EXPECT_EQ(Rows(*db_, "select rydjxh from sb_rycbjgxxb"), "C;");
  EXPECT_EQ(Rows(*db_, "select rydjxh from sb_rycbxmb"), "C;");

  // The second delete fails: nothing of the call stays, and the message names the step.
  const int idC = std::stoi(Rows(*db_, "select id from sb_ryjbxxb where rydjxh = 'C'"));
  FaultInjection::FailStatement(2);
  EXPECT_FALSE(dao_->DelDataById("D1", {idC}, message));
  EXPECT_EQ(message, "删除人员参保机构信息失败。");
  EXPECT_EQ(Rows(*db_, "select rydjxh from sb_ryjbxxb"), "C;");
  EXPECT_NE(env_.Log().find("[TEmployeeDaoImpl.DelDataById]异常：删除人员参保机构信息失败。injected fault"),
            std::string::npos)
      << env_.Log();
}

TEST_F(Dao, AFailingQueryIsLoggedAndAnswersEmpty) {
  Seed45();
  FaultInjection::FailStatement(1);
  int32_t zs = 7;
  EXPECT_EQ(dao_->queryRyList("D1", RyListFilter{}, 1, 20, zs), "[]");
  EXPECT_EQ(zs, 0);
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询失败。");
  EXPECT_NE(env_.Log().find("[异常]TEmployeeDaoImpl.queryRyList：[数据库查询失败。injected fault: statement failed]"),
            std::string::npos)
      << env_.Log();
  FaultInjection::FailStatement(1);
  EXPECT_EQ(dao_->getRyCount("D1", RyOrigin::kAll, ""), -1);
  EXPECT_EQ(dao_->queryRyList("D1", RyListFilter{}, 0, 20, zs), "[]") << "page 0 is refused";
  EXPECT_EQ(dao_->GetErrorMessage(), "查询异常：无效的分页参数：第0页，每页20行");
}

TEST_F(Dao, PaymentStatesOfAYear) {
  Seed45();
  std::vector<RyjfztEntry> entries;
  for (int i = 1; i <= 5; ++i) {
    RyjfztEntry e;
    e.rydjxh = "R" + std::to_string(i);
    e.xzid = "X" + std::to_string(i);
    e.jfzt = i % 2 ? "1" : "0";
    e.zspmdm = "P1";
    entries.push_back(e);
  }
  std::string message;
  ASSERT_TRUE(dao_->SaveRyjfztxx("D1", "2024", entries, message)) << message;
  entries.resize(3);
  ASSERT_TRUE(dao_->SaveRyjfztxx("D1", "2024", entries, message)) << "the year is replaced";
  ASSERT_TRUE(dao_->SaveRyjfztxx("D1", "2023", entries, message));
  int32_t zs = 0;
  RyjfztFilter f;
  f.jfnd = "2024";
  json rows = json::parse(dao_->GetRyjfztData("D1", f, -1, 10, zs));
  EXPECT_EQ(zs, 3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["xm"], "name1");
  f.jfzt = "1";
  EXPECT_EQ(Size(dao_->GetRyjfztData("D1", f, 1, 10, zs)), 2u);
  EXPECT_EQ(zs, 2);
  f = {};
  f.fzid = 5;
  EXPECT_EQ(Size(dao_->GetRyjfztData("D1", f, -1, 10, zs)), 2u) << "R3 in both years";

  EXPECT_TRUE(dao_->UpdateRyjfztData("D1", "2024", "X2", "1", "2024-05-06", message));
  EXPECT_EQ(Rows(*db_, "select jfzt, sbsj from ds_ryjfztb where jfnd = '2024' and xzid = 'X2'"), "1,2024-05-06;");
  EXPECT_FALSE(dao_->UpdateRyjfztData("D1", "2024", "X9", "1", "", message));
  EXPECT_EQ(message, "更新缴费状态失败。");

  FaultInjection::FailStatement(1);
  EXPECT_FALSE(dao_->SaveRyjfztxx("D1", "2024", entries, message));
  EXPECT_EQ(message, "删除数据失败。");
  FaultInjection::FailStatement(3);
  EXPECT_FALSE(dao_->SaveRyjfztxx("D1", "2024", entries, message));
  EXPECT_EQ(message, "保存数据失败。");
  EXPECT_EQ(Rows(*db_, "select count(*) from ds_ryjfztb where jfnd = '2024'"), "3;") << "nothing half-written";
}

TEST_F(Dao, SavedRowsKeepThePersonsPhoneAndGroup) {
  SeedPerson(*db_, "D1", "A", "a", "1", "0", "phonenumber = '138', fzid = 4, fullpath = ',4,'");
  std::string message;
  ASSERT_TRUE(dao_->saveCbryxx("D1", R"({"persons":[{"rydjxh":"A","xm":"a2","zjlx":"201","zjhm":"1"},
      {"rydjxh":"B","xm":"b","fzid":-1}],
      "enrolments":[{"rydjxh":"A","sbjbjgdm":"J01","rybh":"RA","yxbz":"Y"}],
      "items":[{"rydjxh":"A","sbjbjgdm":"J01","rybh":"RA","xzid":"x1","tzjfyf":"2099-12"},
               {"rydjxh":"A","sbjbjgdm":"J01","rybh":"RA","xzid":"x1","tzjfyf":"2099-11"}]})",
                               message))
      << message;
  EXPECT_EQ(Rows(*db_, "select rydjxh, xm, phonenumber, fzid, fullpath from sb_ryjbxxb order by rydjxh"),
            "A,a2,138,4,,4,;B,b,,-1,;");
  EXPECT_EQ(Rows(*db_, "select xzid, tzjfyf from sb_rycbxmb"), "x1,2099-11;");
  EXPECT_FALSE(dao_->saveCbryxx("D1", R"({"persons":[{"rydjxh":"C","xm); drop":"x"}]})", message));
  EXPECT_EQ(message, "数据库更新失败。未知字段：sb_ryjbxxb.xm); drop");
  EXPECT_FALSE(dao_->saveCbryxx("D1", "not json", message));
  EXPECT_EQ(Rows(*db_, "select count(*) from sb_ryjbxxb"), "2;");
}

TEST_F(Dao, RegisteredPersonsByNameAndNumber) {
  SeedPerson(*db_, "D1", "A", "a", "110101", "0");
  SeedPerson(*db_, "D1", "B", "b", "110102", "1", "djzt = '0'");
  SeedPerson(*db_, "D1", "C", "c", "220", "0", "djzt = '1'");
  EXPECT_EQ(Size(dao_->checkRyExist("D1", "a", "201", "110101", false)), 1u);
  EXPECT_EQ(Size(dao_->checkRyExist("D1", "b", "201", "110102", false)), 0u) << "not registered";
  EXPECT_EQ(Size(dao_->checkRyExist("D1", "", "", "1101", true)), 1u);
  EXPECT_EQ(Size(dao_->checkRyExist("D1", "", "", "0", true)), 2u);
}

}  // namespace
}  // namespace velmor::testing
