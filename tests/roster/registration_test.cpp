// The registration download (addOrUpdateYgcbxx) and outside persons (saveWbry).
#include <gtest/gtest.h>

#include "business/date_time.h"
#include "host/db/fault_injection.h"
#include "roster/employee_dao.h"
#include "roster/roster_fixture.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

struct XItem {
  std::string id, yxbz, tzjfyf;
};
struct XEnrol {
  std::string sbjbjgDm, rybh, yxbz;
  std::vector<XItem> items;
};
struct XPerson {
  std::string djxh, xm, zjhm;
  std::vector<XEnrol> enrols;
};

std::string Doc(const std::vector<XPerson>& persons, const std::string& code = "00000") {
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><taxML><body><code>" + code +
                  "</code><message>处理失败</message><cxjmDjxxList>";
  for (const XPerson& p : persons) {
    x += "<cxjmDjxxDTO><djxh>" + p.djxh + "</djxh><xm>" + p.xm + "</xm><sfzjlx>201</sfzjlx><sfzjhm>" + p.zjhm +
         "</sfzjhm><gjDm>156</gjDm><csrq>1990-01-02</csrq><sex>1</sex><jfrsbh>N" + p.djxh + "</jfrsbh><cxjmCbxxList>";
    for (const XEnrol& e : p.enrols) {
      x += "<cxjmCbxxDTO><sbjbjgDm>" + e.sbjbjgDm + "</sbjbjgDm><rybh>" + e.rybh + "</rybh><sbhm>S</sbhm><ssxzqhDm>Q" +
           "</ssxzqhDm><sqczDm>C</sqczDm><gxsj>2024-01-01</gxsj><yxbz>" + e.yxbz + "</yxbz><cxjmCbxzList>";
      for (const XItem& i : e.items) {
        x += "<cxjmCbxzDTO><id>" + i.id + "</id><zsxmDm>X1</zsxmDm><zspmDm>P1</zspmDm><zszmDm>Z1</zszmDm><yxbz>" +
             i.yxbz + "</yxbz><tcqBm>T</tcqBm><jdxzDm>J</jdxzDm><sqczDm>C</sqczDm><cbrytslbDm>K</cbrytslbDm>" +
             "<ksjfyf>2024-01</ksjfyf><tzjfyf>" + i.tzjfyf + "</tzjfyf><gxsj>2024-02-02</gxsj></cxjmCbxzDTO>";
      }
      x += "</cxjmCbxzList></cxjmCbxxDTO>";
    }
    x += "</cxjmCbxxList></cxjmDjxxDTO>";
  }
  return x + "</cxjmDjxxList><gxsj>2024-05-06 07:08:09</gxsj><maxid>77</maxid></body></taxML>";
}

XPerson Running(const std::string& djxh, const std::string& n) {
  return {djxh, "人" + n, "ID" + n, {{"J01", "RB" + n, "Y", {{"x" + n, "Y", "2099-12"}}}}};
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    dao_ = env_.Create<IEmployeeDao>();
    ASSERT_TRUE(db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('P1', '01')"));
  }
  bool Store(const std::string& djxh, const std::string& xml) { return dao_->addOrUpdateYgcbxx(djxh, xml, message_); }
  std::string Q(const std::string& sql) { return Rows(*db_, sql); }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
  Ref<IEmployeeDao> dao_;
  std::string message_;
};

TEST_F(Registration, KeepsPhoneAndGroupAndDropsWhatEnded) {
  ASSERT_TRUE(Store("D1", Doc({Running("R1", "1"), Running("R2", "2"), Running("R3", "3")}))) << message_;
  ASSERT_TRUE(dao_->UpdatePhoneNumber("D1", "R1", "13900000000"));
  ASSERT_TRUE(dao_->UpdateGroupInfo("D1", "R1", 8, ",2,8,"));
  SeedPerson(*db_, "D1", "R2", "本地", "LOCAL", "1");  // a local person with a server person's number

  XPerson r1 = Running("R1", "1");
  r1.enrols[0].items.push_back({"x1b", "Y", MonthFromNow(-1)});  // ended last month
  r1.enrols[0].items.push_back({"x1c", "N", "2099-12"});         // not valid
  r1.enrols[0].items.push_back({"x1d", "Y", MonthFromNow(0)});   // ends this month: still running
  r1.enrols.push_back({"J02", "RBX", "N", {{"x1e", "Y", "2099-12"}}});  // an invalid enrolment
  XPerson r2 = Running("R2", "2");
  r2.enrols[0].yxbz = "N";  // every enrolment invalid: leaves the roster
  XPerson r3 = Running("R3", "3");
  r3.enrols[0].items[0].tzjfyf = "2001-01";  // every item ended: leaves the roster
  ASSERT_TRUE(Store("D1", Doc({r1, r2, r3}))) << message_;

  EXPECT_EQ(Q("select rydjxh, xm, zjlx, zjhm, gjdqdm, csrq, xb, rynsrsbh, phonenumber, fzid, fullpath, ly, cbzt from "
              "sb_ryjbxxb order by id"),
            "R2,本地,201,LOCAL,,,,,,-1,,1,;R1,人1,201,ID1,156,1990-01-02,1,NR1,13900000000,8,,2,8,,0,1;")
      << "R1 kept phone and group; R2 and R3 left; the local person was not touched";
  EXPECT_EQ(Q("select rydjxh, sbjbjgdm, rybh, sbhm, xzqhdm, sqhczdm, yxbz from sb_rycbjgxxb"), "R1,J01,RB1,S,Q,C,Y;");
  EXPECT_EQ(Q("select xzid, pmlx, tcqdm, xzjddm, ksjfyf, tzjfyf from sb_rycbxmb order by xzid"),
            "x1,01,T,J,2024-01,2099-12;x1d,01,T,J,2024-01," + MonthFromNow(0) + ";");
  EXPECT_EQ(Q("select key, value from sb_xtcsb where djxh = 'D1' order by key"),
            "ygcbxx_gxsj,2024-05-06 07:08:09;ygcbxx_maxid,77;");
  EXPECT_EQ(message_, "");
}

TEST_F(Registration, ARefusedOrUnreadableAnswerStoresNothing) {
  EXPECT_FALSE(Store("D1", Doc({Running("R1", "1")}, "10042")));
  EXPECT_EQ(message_, "【10042】处理失败");
  EXPECT_FALSE(Store("D1", "<taxML><code>00000</code>"));
  EXPECT_EQ(message_.rfind("反馈报文异常：", 0), 0u) << message_;
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb"), "0;");
  EXPECT_EQ(Q("select count(*) from sb_xtcsb"), "0;");
  EXPECT_NE(env_.Log().find("[TEmployeeDaoImpl.addOrUpdateYgcbxx]异常：反馈报文异常："), std::string::npos);
}

TEST_F(Registration, CommitsEvery2000PersonsAndRollsBackTheOpenChunk) {
  // Statements per person, measured: one person and two persons on payers of their own.
  const int64_t s0 = FaultInjection::StatementCount();
  ASSERT_TRUE(Store("P1", Doc({Running("A", "a")})));
  const int64_t s1 = FaultInjection::StatementCount();
  ASSERT_TRUE(Store("P2", Doc({Running("B", "b"), Running("C", "c")})));
  const int64_t perPerson = (FaultInjection::StatementCount() - s1) - (s1 - s0);
  ASSERT_GT(perPerson, 0);

  std::vector<XPerson> persons;
  for (int i = 0; i < 4500; ++i) persons.push_back(Running("R" + std::to_string(i), std::to_string(i)));
  // The first statement of person 2501 fails (one statement, the sub-item table, comes first).
  FaultInjection::FailStatement(1 + 2500 * perPerson + 1);
  EXPECT_FALSE(Store("D1", Doc(persons)));
  EXPECT_EQ(message_, "数据库查询失败。");
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb where djxh = 'D1'"), "2000;") << "the first chunk was committed";
  EXPECT_EQ(Q("select count(*) from sb_rycbxmb where djxh = 'D1'"), "2000;");
  EXPECT_EQ(Q("select count(*) from sb_xtcsb where djxh = 'D1'"), "0;") << "no update time after a failure";

  ASSERT_TRUE(Store("D1", Doc(persons))) << message_;
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb where djxh = 'D1'"), "4500;");
  EXPECT_EQ(Q("select count(distinct rydjxh) from sb_ryjbxxb where djxh = 'D1'"), "4500;");
}

TEST_F(Registration, OutsidePersonsCarryTheirEarlierValuesOver) {
  SeedPerson(*db_, "D1", "OLD", "张三", "110", "1", "phonenumber = '135', bzxx = '老备注', fzid = 2, fullpath = ',2,'");
  SeedPerson(*db_, "D1", "SRV", "张三", "110", "0");  // a server person with the same elements: not touched
  std::vector<WbryEntry> entries(4);
  entries[0] = {"张三", "201", "110", 3, ",3,", "", "H1", "1", ""};
  entries[1] = {"李'四", "201", "220", -1, "", "新'备注", "", "2", ""};
  entries[2] = {"王五", "201", "330", -1, "", "", "", "3", ""};  // still waiting for the server: skipped
  entries[3] = {"", "", "", -1, "", "", "", "", Doc({Running("R9", "9")})};
  std::string message;
  ASSERT_TRUE(dao_->saveWbry("D1", entries, message)) << message;
  EXPECT_EQ(Q("select rydjxh, xm, ly, djzt, fzid, fullpath, drrq, bzxx, cbzt, hh, phonenumber from sb_ryjbxxb where "
              "ly = '1' order by xm"),
            "OLD,张三,1,0,3,,3,," + Today() + ",老备注,3,H1,135;," + "李'四,1,0,-1,," + Today() + ",新'备注,3,,;");
  EXPECT_EQ(Q("select rydjxh from sb_ryjbxxb where ly = '0' order by rydjxh"), "R9;SRV;");

  FaultInjection::FailStatement(2);
  EXPECT_FALSE(dao_->saveWbry("D1", {entries[1]}, message));
  EXPECT_EQ(message, "数据库删除失败。");
  EXPECT_EQ(Q("select count(*) from sb_ryjbxxb where xm = '李''四'"), "1;");
}

}  // namespace
}  // namespace velmor::testing
