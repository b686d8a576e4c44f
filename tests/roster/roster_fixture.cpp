#include "roster/roster_fixture.h"

#include <ctime>

#include <gtest/gtest.h>

namespace velmor::testing {

std::string MonthFromNow(int delta) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  int months = tm.tm_year * 12 + tm.tm_mon + delta;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d", 1900 + months / 12, months % 12 + 1);
  return buf;
}

std::string PersonRecord(const std::string& cbxxId, const std::string& rydjxh, const std::string& xm,
                         const std::string& zjhm, const std::string& lxdh, const std::string& yxbz,
                         const std::string& sbjbjgDm, const std::string& sbbm) {
  return R"({"cbxxID":")" + cbxxId + R"(","djxh":")" + rydjxh + R"(","xm":")" + xm + R"(","zjlxDm":"201","zjhm":")" +
         zjhm + R"(","sbjbjgDm":")" + sbjbjgDm + R"(","sbbm":")" + (sbbm.empty() ? "B" + rydjxh : sbbm) +
         R"(","lxdh":")" + lxdh + R"(","xgrq":"2024-01-01 00:00:00","yxbz":")" + yxbz + R"("})";
}

std::string EnrolRecord(const std::string& cbxxId, const std::string& cbxzId, const std::string& ksjfrq,
                        const std::string& tzjfrq, const std::string& yxbz, const std::string& zspmDm) {
  return R"({"cbxxID":")" + cbxxId + R"(","djxh":"x","cbxzID":")" + cbxzId +
         R"(","zsxmDm":"X1","zspmDm":")" + zspmDm +
         R"(","zszmDm":"Z1","xzlxDm":"L1","xzjdDm":"T1","xzjdMc":"镇一","sqczDm":"C1","sqczMc":"村一",)"
         R"("rycbtslbDm":"K1","rycbtslbMc":"类一","ksjfrq":")" +
         ksjfrq + R"(","tzjfrq":")" + tzjfrq + R"(","xgrq":"2024-02-03 04:05:06","yxbz":")" + yxbz + R"("})";
}

std::string JsonList(const std::vector<std::string>& records) {
  std::string out = "[";
  for (size_t i = 0; i < records.size(); ++i) out += (i ? "," : "") + records[i];
  return out + "]";
}

void SeedPerson(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& xm,
                const std::string& zjhm, const std::string& ly, const std::string& extra) {
  ASSERT_TRUE(db.ExecSQL(FormatSql("insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, ly, fzid) values ('%s', "
                                   "'%s', '%s', '201', '%s', '%s', -1)",
                                   {V(djxh), V(rydjxh), V(xm), V(zjhm), V(ly)})))
      << db.GetErrorText();
  if (!extra.empty()) {
    ASSERT_TRUE(db.ExecSQL("update sb_ryjbxxb set " + extra + " where id = last_insert_rowid()")) << db.GetErrorText();
  }
}

void SeedEnrolment(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& sbjbjgdm,
                   const std::string& rybh, const std::string& yxbz) {
  ASSERT_TRUE(db.ExecSQL(FormatSql("insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, yxbz) values ('%s', '%s', "
                                   "'%s', '%s', '%s')",
                                   {V(djxh), V(rydjxh), V(sbjbjgdm), V(rybh), V(yxbz)})))
      << db.GetErrorText();
}

void SeedItem(IDBMechanism& db, const std::string& djxh, const std::string& rydjxh, const std::string& sbjbjgdm,
              const std::string& rybh, const std::string& xzid, const std::string& tzjfyf, const std::string& yxbz,
              const std::string& zspmdm) {
  ASSERT_TRUE(db.ExecSQL(FormatSql("insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, rybh, xzid, zsxmdm, zspmdm, "
                                   "zszmdm, ksjfyf, tzjfyf, yxbz, djnd, pmlx) values ('%s', '%s', '%s', '%s', '%s', "
                                   "'X1', '%s', 'Z1', '2020-01', '%s', '%s', '2024', '00')",
                                   {V(djxh), V(rydjxh), V(sbjbjgdm), V(rybh), V(xzid), V(zspmdm), V(tzjfyf), V(yxbz)})))
      << db.GetErrorText();
}

std::string Rows(IDBMechanism& db, const std::string& sql) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(sql, ds)) return "<error: " + db.GetErrorText() + ">";
  std::string out;
  Ref<IDBFields> f = ds->Fields();
  for (; !ds->Eof(); ds->Next()) {
    for (int32_t i = 0; i < f->Count(); ++i) out += (i ? "," : "") + f->FieldByIndex(i)->AsString();
    out += ";";
  }
  return out;
}

}  // namespace velmor::testing
