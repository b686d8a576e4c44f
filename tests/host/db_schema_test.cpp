// The schema: created once, migrated forward, refused when newer; and every store's statements
// run against it.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>

#include "db_test_util.h"

namespace velmor::testing {
namespace {

using host::db::DatabaseOptions;
using host::db::Migration;

const std::vector<std::string> kTables = {
    "ds_cxjmjcxxcjryb", "ds_cxjmjcxxcjxzb", "ds_jfdjjlb", "ds_jfdjjlryb", "ds_jfdjjlxzb", "ds_jfdjryb",
    "ds_jfdjxzb", "ds_jfpj", "ds_jtbz", "ds_jtbzhcbxxb", "ds_jtbzhcbxzb", "ds_jtbzhsbjlb", "ds_jtbzhsbjlmxb",
    "ds_jtbzhsbjlqdb", "ds_ryjfztb", "ds_rysbztb", "ds_sbjfrydjxxb", "ds_sbmxb", "ds_sbrymxb", "ds_sbzb",
    "ds_tsrqsbjlb", "ds_ybgrzh_cxjmcbdjxx", "ds_ybgrzh_cxjmdjxx", "sb_dmmcb", "sb_dzjfpzdyjl", "sb_dzzjxxb",
    "sb_fkjnxxb", "sb_fzxxb", "sb_grjfjeqrb", "sb_grjfzfxxb", "sb_grsbfjfjl", "sb_grsbfkfsqb",
    "sb_hngrsbfjfjl", "sb_hngrsbfjfjlmxb", "sb_jdczbgb", "sb_jffsb", "sb_jfdcb", "sb_jfsxxb", "sb_jkcslsb",
    "sb_jmylwqsfxyb", "sb_pmlxb", "sb_rycbjgxxb", "sb_rycbxmb", "sb_rycbztb", "sb_ryjbxxb", "sb_sbjfrydjxxb",
    "sb_xnhcbjgxxb", "sb_xnhcbxmb", "sb_xnhjbxxb", "sb_xtcsb"};

TEST(HostDbSchema, FreshFileGetsEveryTableAndTheVersion) {
  TempDatabase file;
  Ref<IDBMechanism> db = file.Connect();
  std::vector<std::string> expected = kTables;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Column(*db, "select name from sqlite_master where type = 'table' and name not like 'sqlite%' order by name"),
            expected);
  EXPECT_EQ(Scalar(*db, "pragma user_version"), std::to_string(host::db::LatestSchemaVersion()));
  EXPECT_EQ(Scalar(*db, "pragma journal_mode"), "wal");
}

// A new file gets the host's large pages; a file that already holds data keeps its own page size
// and its rows (the engine could only change it by rebuilding the file).
TEST(HostDbSchema, NewFilesGetLargePagesAndOlderFilesKeepTheirs) {
  TempDatabase fresh, older;
  EXPECT_EQ(Scalar(*fresh.Connect(), "pragma page_size"), "8192");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(older.path().c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "PRAGMA page_size = 4096; create table kept(v text); insert into kept values ('x');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  Ref<IDBMechanism> db = older.Connect();
  ASSERT_TRUE(db);
  EXPECT_EQ(Scalar(*db, "pragma page_size"), "4096");
  EXPECT_EQ(Scalar(*db, "pragma journal_mode"), "wal");
  EXPECT_EQ(Scalar(*db, "select v from kept"), "x");
  EXPECT_EQ(Scalar(*db, "pragma user_version"), std::to_string(host::db::LatestSchemaVersion()));
  ASSERT_TRUE(db->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', 'k', 'v')"));
  EXPECT_EQ(Scalar(*older.Connect(), "select value from sb_xtcsb"), "v");
}

TEST(HostDbSchema, ReopeningKeepsTheData) {
  TempDatabase file;
  ASSERT_TRUE(file.Connect()->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', 'k', 'v')"));
  Ref<IDBMechanism> again = file.Connect();
  EXPECT_EQ(Scalar(*again, "select value from sb_xtcsb"), "v");
}

TEST(HostDbSchema, IntegerAndRealColumnsWhereTheStoresWriteNumbers) {
  TempDatabase file;
  Ref<IDBMechanism> db = file.Connect();
  ASSERT_TRUE(db->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values ('12', '01', 'x');"
                          "insert into sb_jfdcb(dcdm, dcje) values ('a', '1000'), ('b', '200.5')"));
  EXPECT_EQ(Scalar(*db, "select typeof(lb) from sb_dmmcb"), "integer");
  EXPECT_EQ(Column(*db, "select dcdm from sb_jfdcb order by dcje"), (std::vector<std::string>{"b", "a"}))
      << "grades order by amount, not by text";
  ASSERT_TRUE(db->ExecSQL("insert into ds_sbzb(djxh) values ('1'); insert into ds_sbzb(djxh) values ('1')"));
  ASSERT_TRUE(db->ExecSQL("delete from ds_sbzb where id = 2; insert into ds_sbzb(djxh) values ('1')"));
  EXPECT_EQ(Scalar(*db, "select max(id) as max_id from ds_sbzb"), "3") << "ids are never reused";
  ASSERT_TRUE(db->ExecSQL("insert into sb_ryjbxxb(djxh, xm) values ('1', 'x')"));
  EXPECT_EQ(Scalar(*db, "select fzid from sb_ryjbxxb"), "-1") << "a new person is in no group";
}

// The steps of the engine's plan for `sql`, read on a connection of the test's own.
std::string Plan(const TempDatabase& file, const std::string& sql) {
  sqlite3* raw = nullptr;
  std::string plan;
  if (sqlite3_open_v2(file.path().c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) plan = "<cannot open>";
  sqlite3_stmt* stmt = nullptr;
  if (plan.empty() && sqlite3_prepare_v2(raw, ("explain query plan " + sql).c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    plan = std::string("<") + sqlite3_errmsg(raw) + ">";
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
    plan += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)) + std::string("; ");
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
  return plan;
}

// The payment lines are replaced and updated one at a time while thousands of lines share one
// voucher and one payer: each such statement must find its line by an index on all of its keys,
// or paying the lines takes time in the square of their number.
TEST(HostDbSchema, PaymentLinesAreFoundByAllTheirKeys) {
  TempDatabase file;
  Ref<IDBMechanism> db = file.Connect();
  const std::pair<const char*, const char*> plans[] = {
      {"delete from sb_fkjnxxb where djxh='1' and yzpzxh='2' and yzpzmxxh='3'",
       "ix_sb_fkjnxxb_5 (djxh=? AND yzpzxh=? AND yzpzmxxh=?)"},
      {"delete from sb_fkjnxxb where djxh='1' and zsuuid='2'", "ix_sb_fkjnxxb_6 (djxh=? AND zsuuid=?)"},
      {"update sb_fkjnxxb set dyzt=1 where djxh='1' and dzsphm='2' and zsjgDm='3'",
       "ix_sb_fkjnxxb_7 (djxh=? AND dzsphm=?)"},
      {"update sb_fkjnxxb set jkzt=1 where djxh='1' and yzpzxh='2'", "ix_sb_fkjnxxb_5 (djxh=? AND yzpzxh=?)"},
  };
  for (const auto& [sql, index] : plans) {
    const std::string plan = Plan(file, sql);
    EXPECT_NE(plan.find(index), std::string::npos) << sql << " -> " << plan;
  }
}

// Each index of the payment lines is written by every line stored, so none is kept that no
// statement reads: the index by levy alone goes, also from a file made with it.
TEST(HostDbSchema, PaymentLinesKeepOnlyTheIndexesTheirStatementsRead) {
  const std::vector<std::string> expected = {"ix_sb_fkjnxxb_2", "ix_sb_fkjnxxb_4", "ix_sb_fkjnxxb_5", "ix_sb_fkjnxxb_6",
                                             "ix_sb_fkjnxxb_7"};
  const std::string indexes =
      "select name from sqlite_master where type = 'index' and tbl_name = 'sb_fkjnxxb' order by name";
  TempDatabase fresh, older;
  DatabaseOptions withLevyIndex;
  withLevyIndex.migrations = host::db::SchemaMigrations().first(3);
  {
    Ref<IDBMechanism> db = older.Connect(withLevyIndex);
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->ExecSQL("insert into sb_fkjnxxb(djxh, zsuuid) values ('1', 'u1')"));
    EXPECT_EQ(Column(*db, indexes).size(), expected.size() + 1);
  }
  for (const TempDatabase* file : {&fresh, &older}) {
    Ref<IDBMechanism> db = file->Connect();
    ASSERT_TRUE(db);
    EXPECT_EQ(Column(*db, indexes), expected);
  }
  Ref<IDBMechanism> db = older.Connect();
  EXPECT_EQ(Column(*db, "select zsuuid from sb_fkjnxxb where djxh = '1'"), std::vector<std::string>{"u1"});
}

// A payer's persons are read in table order (the roster's clearing statements and its listing
// walked them by ID number through an index, one random page per person), and updated all at once
// through the index by person number (the order they are stored in), while a lookup by person or
// by key still uses its index. Also for a file made before the statistics.
TEST(HostDbSchema, RosterTablesAreScannedForAPayerAndSearchedByPerson) {
  const char* const clearPersons =
      "delete from sb_ryjbxxb where djxh = '1' and (ly = '0' or ly is null)  and not exists(select 1 from "
      "sb_rycbjgxxb where sb_rycbjgxxb.djxh=sb_ryjbxxb.djxh and  sb_rycbjgxxb.rydjxh=sb_ryjbxxb.rydjxh) ";
  const std::pair<const char*, const char*> plans[] = {
      {clearPersons, "SCAN sb_ryjbxxb"},
      {clearPersons, "ix_sb_rycbjgxxb_1 (djxh=? AND rydjxh=?)"},
      {"select * from sb_ryjbxxb where djxh = '1' and rydjxh = '2'", "ix_sb_ryjbxxb_1 (djxh=? AND rydjxh=?)"},
      {" update sb_ryjbxxb  set cbzt = '3' where djxh = '1'  ", "ix_sb_ryjbxxb_1 (djxh=?)"},
      {"select count(*) from sb_ryjbxxb where djxh = '1'", "ix_sb_ryjbxxb_1 (djxh=?)"},
      {"select * from sb_ryjbxxb where djxh = '1' and zjhm = '2'", "ix_sb_ryjbxxb_3 (djxh=? AND zjhm=?)"},
      {"select * from sb_ryjbxxb where djxh = '1' and xm = '2' and zjlx = '3' and zjhm = '4'",
       "ix_sb_ryjbxxb_2 (djxh=? AND xm=? AND zjlx=? AND zjhm=?)"},
      {"delete from sb_rycbxmb where djxh = '1' and xzid = '2'", "ix_sb_rycbxmb_1 (djxh=? AND xzid=?)"},
      {"select * from sb_rycbxmb where djxh = '1' and rydjxh = '2'", "ix_sb_rycbxmb_2 (djxh=? AND rydjxh=?)"},
  };
  TempDatabase fresh, older;
  DatabaseOptions beforeStatistics;
  beforeStatistics.migrations = host::db::SchemaMigrations().first(2);
  ASSERT_TRUE(older.Connect(beforeStatistics));
  ASSERT_TRUE(older.Connect());
  ASSERT_TRUE(fresh.Connect());
  for (const TempDatabase* file : {&fresh, &older}) {
    for (const auto& [sql, step] : plans) {
      const std::string plan = Plan(*file, sql);
      EXPECT_NE(plan.find(step), std::string::npos) << sql << " -> " << plan;
    }
  }
}

constexpr std::string_view kOldV1 = "create table t (a text); create index ix_t on t(a);";
constexpr std::string_view kV2 = "alter table t add column b integer default 0; create table u (c text);";

TEST(HostDbSchema, OlderFileIsMigratedForwardWithoutLosingData) {
  TempDatabase file;
  const Migration v1Only[] = {{1, "t", kOldV1}};
  const Migration v1v2[] = {{1, "t", kOldV1}, {2, "b and u", kV2}};
  DatabaseOptions old;
  old.migrations = v1Only;
  ASSERT_TRUE(file.Connect(old)->ExecSQL("insert into t(a) values ('kept')"));

  DatabaseOptions current;
  current.migrations = v1v2;
  Ref<IDBMechanism> db = file.Connect(current);
  EXPECT_EQ(Scalar(*db, "pragma user_version"), "2");
  EXPECT_EQ(Scalar(*db, "select a || ':' || b from t"), "kept:0");
  EXPECT_TRUE(db->ExecSQL("insert into u(c) values ('new')"));
  // Opening again changes nothing more.
  EXPECT_EQ(Scalar(*file.Connect(current), "select count(*) from t"), "1");
}

TEST(HostDbSchema, FailedMigrationLeavesTheFileAsItWas) {
  TempDatabase file;
  const Migration v1Only[] = {{1, "t", kOldV1}};
  const Migration broken[] = {{1, "t", kOldV1}, {2, "u", "create table u (c text); alter table nope add x"}};
  DatabaseOptions old;
  old.migrations = v1Only;
  ASSERT_TRUE(file.Connect(old)->ExecSQL("insert into t(a) values ('kept')"));
  DatabaseOptions bad;
  bad.migrations = broken;
  std::string error;
  EXPECT_FALSE(host::db::OpenDatabase(file.path(), "VELMORMainCon", &error, bad));
  EXPECT_EQ(error, "cannot prepare the schema of " + file.path() +
                       ": schema migration to version 2 (u) failed: no such table: nope");
  Ref<IDBMechanism> db = file.Connect(old);
  EXPECT_EQ(Scalar(*db, "pragma user_version"), "1");
  EXPECT_EQ(Scalar(*db, "select count(*) from sqlite_master where name = 'u'"), "0");
  EXPECT_EQ(Scalar(*db, "select a from t"), "kept");
}

TEST(HostDbSchema, NewerFileIsRefusedUntouched) {
  TempDatabase file;
  const Migration v1v2[] = {{1, "t", kOldV1}, {2, "b and u", kV2}};
  const Migration v1Only[] = {{1, "t", kOldV1}};
  DatabaseOptions newer;
  newer.migrations = v1v2;
  file.Connect(newer);
  DatabaseOptions older;
  older.migrations = v1Only;
  std::string error;
  EXPECT_FALSE(host::db::OpenDatabase(file.path(), "VELMORMainCon", &error, older));
  EXPECT_EQ(error, "cannot prepare the schema of " + file.path() +
                       ": the database has schema version 2, newer than this program's 1");
}

TEST(HostDbSchema, MigrationsMustBeNumberedWithoutGaps) {
  TempDatabase file;
  const Migration gap[] = {{1, "t", kOldV1}, {3, "b and u", kV2}};
  DatabaseOptions options;
  options.migrations = gap;
  std::string error;
  EXPECT_FALSE(host::db::OpenDatabase(file.path(), "VELMORMainCon", &error, options));
  EXPECT_EQ(error, "cannot prepare the schema of " + file.path() + ": schema migrations are not numbered 1, 2, 3 ...");
}

TEST(HostDbSchema, UnopenableFileIsAClearError) {
  TempDatabase file;
  std::string error;
  EXPECT_FALSE(host::db::OpenDatabase(file.dir().File("missing/dir/velmor.db"), "VELMORMainCon", &error));
  EXPECT_EQ(error, "cannot open database " + file.dir().File("missing/dir/velmor.db") + ": unable to open database file");
}

// Statements of the stores, with their placeholders filled: each must run against the schema.
const char* const kStoreStatements[] = {
    " select * from sb_xtcsb where djxh = '1' and key = 'k' ",
    "select * from sb_dmmcb where lb=6",
    " update sb_dmmcb set mc = 'x' where lb = 6 and dm = 'y' ",
    " update sb_ryjbxxb set updateflag = 0 where djxh = '1';  update sb_rycbjgxxb set updateflag = 0 where djxh = '1';  "
    "update sb_rycbxmb set updateflag = 0 where djxh = '1';  update sb_rycbztb set updateflag = 0 where djxh = '1'; ",
    " delete from sb_ryjbxxb where djxh = '1' and updateflag = 0;  delete from sb_rycbjgxxb where djxh = '1' and updateflag = 0;  "
    "delete from sb_rycbxmb where djxh = '1' and updateflag = 0;  delete from sb_rycbztb where djxh = '1' and updateflag = 0; ",
    " select count(*) as zrs from (select distinct rydjxh from sb_ryjbxxb where djxh = '1'  and ly = '1'  ) a ",
    " insert into sb_ryjbxxb (djxh, xm, zjlx, zjhm, ly, djzt, fzid, fullpath, drrq, bzxx, cbzt, hh) values ('1', 'x', "
    "'201', '1', '1', '0', -1, '', '2024-01-01', 'b', '3', '' ) ",
    " select distinct a.rydjxh, a.rybh, a.sbjbjgdm, a.xzid, a.zsxmdm, a.zspmdm, a.zszmdm, a.tcqdm, a.xzjddm,     "
    "a.sqhczdm, a.cbrytslbdm, a.ksjfyf, a.tzjfyf, a.yxbz, a.gxsj, a.xzlxdm, b.yxbz as cbjgYxbz, a.djnd, a.yjfe  from "
    "sb_rycbxmb a left outer join sb_rycbjgxxb b on a.djxh = b.djxh and a.rydjxh = b.rydjxh  and a.rybh = b.rybh and "
    "a.sbjbjgdm = b.sbjbjgdm  where a.djxh = '1' and a.rydjxh = '2' and a.rybh <> '' ",
    "SELECT ryb.*,djb.jfnd FROM  (SELECT e.*,f.fullname FROM  (SELECT c.*,d.zsxmdm,d.zspmdm,d.zszmdm,d.pmlx,d.xzjddm,"
    "d.sqhczdm,d.cbrytslbdm FROM  (SELECT a.*,b.sbjbjgdm,b.rybh FROM sb_ryjbxxb a INNER JOIN sb_rycbjgxxb b on "
    "a.djxh=b.djxh and a.rydjxh=b.rydjxh)  c INNER JOIN sb_rycbxmb d on c.djxh=d.djxh and c.rydjxh=d.rydjxh and c.rybh = "
    "d.rybh and c.sbjbjgdm=d.sbjbjgdm) e  LEFT JOIN sb_fzxxb f on e.fzid=f.id) ryb  LEFT JOIN (SELECT djxh, rydjxh, "
    "zsxmdm, zspmdm, zszmdm, jfnd from ds_sbjfrydjxxb  where jfnd = '2024') djb  on ryb.djxh=djb.djxh and "
    "ryb.rydjxh=djb.rydjxh and ryb.zsxmdm=djb.zsxmdm and ryb.zspmdm=djb.zspmdm and ryb.zszmdm=djb.zszmdm  WHERE "
    "ryb.djxh='1' and djb.jfnd is null  ORDER BY ryb.xm asc,ryb.zspmdm asc  limit 0, 20",
    "INSERT INTO ds_sbzb(djxh, yblsh, sblx, swjgdm, zrs, zje, sbsj, sbzt, jkzt, jywyid, bz, yjfjeHj, ybtfeHJ) VALUES "
    "('1', '2', '00', '3', 1, 2.00, '2024-01-01 00:00:00', 2, 0, '4', '', 2.00, 2.00)",
    "SELECT MAX(ID) AS max_id FROM ds_sbzb",
    "INSERT INTO ds_sbmxb(zbid, zrs, zje, jfnd, zsxmdm, zspmdm, zszmdm,sjly, dwbh, sbjbjgdm, sfyrymx, sfyxzrymx, "
    "fkssqq, fkssqz, yjfjeHj, ybtfeHJ) VALUES (1, 1, 2.00, '2024', 'a', 'b', 'c', '00', '', '', 1, 0, '', '', 2.00, 2.00)",
    "insert into ds_sbrymxb(mxbid, mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, zspmdm, "
    "zszmdm, jfje, jffs, jflx, sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, jyzt, bz, yjfje, "
    "ybtfe, sjyjfe) values (1,'1','x','201','1','','','','','2024','','','',1.00,'','','','','','','','','','','',0,'',"
    "1.00,1.00,1.00)",
    " update ds_sbzb set sbzt = 2, sbsj = '2024-01-01', sbxz = '', swjgslrDm = '', slswjgDm = '',  zje = 1.00, "
    "yjfjeHj = 1.00, ybtfeHJ = 1.00 where id = 1 ",
    "update ds_sbjfrydjxxb set jfje = 1.00, yjfje = 1.00, ybtfe = 1.00, sjyjfe = 1.00 where id = 1",
    "SELECT DISTINCT jfnd FROM sb_sbjfrydjxxb WHERE djxh = '1' AND pmlx = '00' AND sbzt in (1, 2, 3)",
    " insert into sb_dzzjxxb (djxh, cxjmhdid, sjly, jhsx, zjtzlsh, sblsh, xxh, sbjbjgDm, cxjmsbbm, tcqBm,  fkssqq, "
    "fkssqz, zsxmDm, zspmDm, zszmDm, sjscrq, yjfe, zjyxrq, bz)  values ('1', '', '01', '', '', '', '', '', '', '', '', "
    "'', '', '', '', '', 1.00, '', '') ",
    " select distinct(substr(fkssqq, 1, 4)) as jfnd from sb_dzzjxxb where djxh = '1'  order by fkssqq",
    "INSERT INTO sb_fkjnxxb(djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,ysfpblDm,"
    "yjjcDm,skgkDm,qfje,zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,dzsphm,jkfs,jkzh,yhyywdMc,skgkMc,zsswjgMc,zhmc,"
    "yhhbmc,jfrlx,xm,zjlx,zjhm ,dzjfpzdyID) VALUES('1','','','','','','','','','','','','','','','','','','',3,'',"
    "1.00,0,'','',1,'','','','','','',0,'','','' ,5)",
    "INSERT INTO sb_jkcslsb(djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,ysfpblDm,"
    "yjjcDm,skgkDm,qfje,zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,yblsh,jkfs,jkzh,yhyywdMc,zhmc,yhhbmc,jfrlx,xm,zjlx,"
    "zjhm) VALUES('1','','','','','','','','','','','','','','','','','','',0,'',1.00,0,'','',1,'','','','',0,'','','')",
    "SELECT %s FROM (SELECT dzsphm, sum(round(abs(sjje),2)) as zje, min(skssqq) AS min_skssqq, max(skssqz) AS "
    "max_skssqz   FROM sb_fkjnxxb where  djxh='1' AND jkfs = 3 GROUP BY dzsphm) A INNER JOIN (SELECT DISTINCT zsjgdm, "
    "dzsphm, dysj, dyzt, jkzt FROM sb_fkjnxxb where  djxh='1' AND jkfs = 3) B ON A.dzsphm=B.dzsphm  and 1=1  ORDER BY "
    "dysj DESC ",
    "insert into sb_dzjfpzdyjl(djxh,dysj,dycs,no,sign) values('1','2024-01-01 00:00:00',1,'2024010100000001','s')",
    "select substr(max(no),9,8) as maxno FROM sb_dzjfpzdyjl WHERE djxh='1' and substr(no, 1, 8)='20240101'",
    "update sb_dzjfpzdyjl set dysj='2024-01-01', dycs=dycs+1 where id=1",
    "insert into sb_grjfjeqrb(djxh,rydjxh,xm,zjlx,zjhm,sbjbjgdm,cxjmsbbm,pmlx,zsxmdm,zspmdm,zszmdm,jffsdm,sxnd,yjfedc,"
    "yjfe,tjsj) values ('1', '', '', '', '', '', '', '', '', '', '', '', '','', 1.00, '')",
    "insert into sb_grsbfkfsqb(djxh,rydjxh,xm,zjlx,zjhm,yhdm,yhzldm,khyhdm,khyhmc,fkzh,xysh,wtrq,zt) values('1','','',"
    "'','','','','','','','','',0)",
    "select id, sfxyztdm, sfxyJsonStr from sb_jmylwqsfxyb where djxh='1' and rydjxh='2' and sfxyh='3'",
    "select * from ds_jfpj where djxh='1' and xm='x' and zjlx='201' and zjhm='1' and sbjbjgmc='' and zsxmmc='' and "
    "zspmmc='' and fkssqq='' and fkssqz='' and jfje=1 and jfrq=''",
    "select * from sb_jfdcb where zsxmdm = 'a' and zspmdm = 'b' and yxqq <= '2024-01-01' and yxqz >= '2024-01-01' and "
    "1=1  and (sbjbjgdm isnull or lower(sbjbjgdm) = 'null' or sbjbjgdm='') and nldq <= 30 and (nldz >= 30 or nldz < 0) "
    "and xb = '1' order by dcje",
    "SELECT DISTINCT * FROM(SELECT zspmdm from sb_pmlxb where pmlx = '01') A INNER JOIN (SELECT zsxmdm, zspmdm as pmdm, "
    "zszmdm, jffs from sb_jffsb where sbjbjgdm = 'x' and (jffs = '05' or jffs = '04')) B on A.zspmdm = B.pmdm",
    " insert into ds_tsrqsbjlb (djxh, rydjxh, xm, zjlx, zjhm, sbjbjgdm, rybh,  zsxmdm, zspmdm, zszmdm, cbrytslbDm, "
    "cbrytslbMc, fkssqq, fkssqz, sbrq, yzpzxh, sblx, sbzt, jfzt, jfje, jfdc, jfns, jfys) values ('1', '', '', '', '', "
    "'', '', '', '', '', '', '', '', '', '', '', 1, 2, 0, 1.00, 1.00, 1.00, 1.00) ",
    " update ds_tsrqsbjlb set jfzt = 1 where yzpzxh in  (select yzpzxh from  (select yzpzxh, sum(jfje) jfje from "
    "ds_tsrqsbjlb where yzpzxh = 'y' and sbzt in (2, 6)  group by yzpzxh) where jfje = 0) ",
    "insert into sb_grsbfjfjl(djxh,spddh,zfddh,ddscrq,ddcssj,syturl,ddzt,lsh,rydjxh,sbjbjgdm,rybh,xz_xzjddm,xz_sqhczdm,"
    "jfnd,pmlx,zsxmdm,zspmdm,zszmdm,jfje,xm,zjlx,zjhm) values('1','','','','','',0,'','','','','','','','','','','',"
    "1.00,'', '','')",
    "insert into sb_grjfzfxxb(orderId, queryId, ddscsj, zfUrl, qrcodeStr, zffsDm)  values('1', '2', '', '', '', '')",
    "insert into sb_hngrsbfjfjl(djxh,ddh,swjgDm,ddscrq,ddzfsj,ddsxsj,ddzt,zfqd,rybh,xzlx,jfnd,jfje,xm,zjlx,zjhm) "
    "values('1','','','','','','1','','','','',1.00,'','','')",
    "insert into sb_hngrsbfjfjlmxb(djxh,ddh,sbjbjgdm,ksjfrq,zzjfrq,zsxmdm,zspmdm,zszmdm,xzlxdm,jfje) values('1','','',"
    "'','','','','','',1.00)",
    " insert into ds_jfdjryb(djxh, swjgDm, czlx, jcrq, jcyyDm, rydjxh, xm,  sjgghdqDm, zjlxDm, zjhm, xbDm, csrq, hjxzDm, "
    "hjszdXzqhDm, hjszd, czddz,  czdJdxzDm, czdSqczDm, yzbm, lxrDzyj, lxdh, sjhm, grsfDm, tsrylbDm, jfrsbh, shbzhm, "
    "sfydj)  values('1', '', '', '', '', '', '',  '', '', '', '', '', '', '', '', '',  '', '', '', '', '', '', '', '', "
    "'', '', '') ",
    " insert into ds_jfdjxzb(zbid, czlx, xzId, xzlxDm, jfdXzqhDm, zzbh, cbrytslbDm,  jfdJdxzDm, jfdSqczDm, ksjfyf, jcrq, "
    "jfbz, sbjbjgdm)  values(1, '', '', '', '', '', '',  '', '', '', '', 1.00, '') ",
    " delete from ds_jfdjryb where djxh = '1' and xm = ''  and zjlxDm = '' and zjhm = '' and sjgghdqDm = '' and swjgdm = "
    "'' ;  delete from ds_jfdjxzb where zbID not in (select id from ds_jfdjryb); ",
    " insert into ds_jfdjjlb (djxh, yblsh, tjsj, swjgDm, jmzs, zt) values ('1', '', '', '', 1, '1') ",
    " select id from ds_jfdjjlxzb where zbid = 1 and xzlxDm = '' and jfdXzqhDm = '' ",
    " update ds_jfdjjlryb set code = '00000', sbyy = '' where id = 1 ",
    "INSERT INTO sb_xnhjbxxb(id, djxh, swjgdm, jfrztdm, zgswksDm, zgswksMc, glbz, flbsdm) VALUES ('7', '1', '', '', '', "
    "'', '', '')",
    "INSERT INTO sb_xnhcbjgxxb(id, djxh, swjgdm, yxbz, sbjbjgdm, dwbh, xzqhdm, lxrxm, lxdh, lxdz, dwcbztdm, tsdwlbdm, "
    "djzclxdm, zbid) VALUES ('8', '1', '', 'Y', '', '', '', '', '', '', '','', '', '7')",
    "INSERT INTO sb_xnhcbxmb(id, djxh, sbjbjgdm, xzid, xzlxDm, zsxmdm, zspmdm, zszmdm, tcqdm, xzjddm, sqhczdm, "
    "dwcbtslbdm, ksjfyf, tzjfyf, dwbh, zbid) VALUES ('9', '1', '', '', '', '', '', '', '', '', '', '', '', '', '', '8')",
    " insert into sb_xnhcbjgxxb(djxh, swjgdm, yxbz, sbjbjgdm, dwbh,  xzqhdm, lxrxm, lxdh, djzclxdm, sshydlDm, lxdzyx, "
    "jdxzDm)  values('1', '', 'Y', '', '', '', '', '',  '', '', '', '') ",
    " insert into sb_xnhcbxmb(djxh, sbjbjgdm, zsxmdm,  zspmdm, zszmdm, xzjddm, sqhczdm, dwbh, dsXzqhDm, xzlxDm)  "
    "values('1', '', '', '', '', '', '',  '', '', '') ",
    " select distinct a.swjgdm, c.sbjbjgdm, c.dwbh, c.xzjddm, c.sqhczdm,  c.zsxmdm, c.zspmdm, c.zszmdm  from "
    "sb_xnhjbxxb a, sb_xnhcbjgxxb b, sb_xnhcbxmb c  where a.djxh = '1' and a.id = b.zbid and b.id = c.zbid  and "
    "upper(b.yxbz)= 'Y'  and ifnull(c.sqhczdm, '') = '' ",
    " select count(*) as itemCount from sb_xnhcbxmb where djxh = '1'  and zjms = '01' ",
    " insert into ds_cxjmjcxxcjryb(djxh, czlx, rydjxh, xm, sjgghdqDm, zjlxDm, zjhm, xbDm,  csrq, mzDm, cbdxzqhDm, hjszd, "
    "czddz, cbdJdxzDm, cbdSqczDm, yzbm, lxrDzyj, lxdh,  sjhm, grsfDm, grztDm, ygxsDm, hjlxDm, hjszdxzqhDm, tzsj, tzyyDm, "
    "tjsj, rycode, rymessage) values  ('1', '', '', 'x', '', '', '1', '',  '', '', '', '', '', '', '', '', '', '',  '', "
    "'', '', '', '', '', '', '', '', '', '') ",
    " insert into ds_cxjmjcxxcjxzb(zbid, czlx, sbjbjgDm, rybh, xzlxDm, cbsf, ksjfny, tzjfny,  jfje, jdxzDm, sqczDm, "
    "bccbsj, sccbsj, cbrytslbDm, xzcode, xzmessage) values  (1, '', '', '', '', '', '', '',  '', '', '', '', '', '', '', "
    "'') ",
    " delete from ds_jtbzhcbxzb where zbid in (select id from ds_jtbzhcbxxb where djxh = '1');  delete from "
    "ds_jtbzhcbxxb where djxh = '1'; ",
    " insert into ds_jtbzhcbxxb(djxh, zgswjgDm, zgswksDm, jfrztDm, xnhflbs, yxbz, sbjbjgDm, dwbh,  jfrlx, ssxzqhdm, "
    "lxrxm, lxdh, lxdz)  values('1', '', '', '', '', 'Y', '', '',  '8', '', '', '', '') ",
    " insert into ds_jtbzhsbjlb(jylsh, djxh, zgswjgDm, xnhflbs, jfrlxDm,  sbfsDm, sbsxDm, yzpzzlDm, sbrq, drsj, sbjbjgDm, "
    "jfnd, jfrshj, jfjehj, sbzt, jkzt)  values('', '1', '', '', '',  '', '', '', '', '', '', '', '', '', '1', '0') ",
    " insert into ds_jtbzhsbjlmxb(zbid, jfmxxh, sbjbjgDm, rybh, jfnd,  yjfe, sbjg, xm, zjlx, zjhm, xzlxdm)  values(1, '', "
    "'', '', '',  '', 'Y', '', '', '', '') ",
    "update ds_jtbzhsbjlqdb set hzmxxh = '' where zbid = 1 and sblsh = '' and xxh = ''",
    " select ifnull(sum(yjfe), 0) as hj from (  select * from ds_jtbz where 1 = 1  and jfnd = '2024'  )",
    " select * from ds_jtbzhsbjlb where djxh = '1'  order by rowid desc ",
    " update ds_ybgrzh_cxjmcbdjxx set sbjbjgDm = '', rybh = '', dwbh = '',  djnd = '', sbhm = '', ssxzqhDm = '', sqczDm = "
    "'', xzlxDm = '',  zsxmdm = '', zspmdm = '', zszmdm = '', tcqBm = '', jdxzDm = '', xzSqczDm = '',  cbrytslbDm = '', "
    "ksjfyf = '', tzjfyf = '', gxsj = '', yjfe = 1.00, updateFlag = 1  where djxh = '1' and rydjxh = '' and swjgDm = '' ",
    " select a.xm, a.sfzjlx, a.sfzjhm, a.gjDm, a.csrq, a.xb, a.nsrsbh , b.*  from ds_ybgrzh_cxjmdjxx a, "
    "ds_ybgrzh_cxjmcbdjxx b  where a.djxh = '1' and a.djxh = b.djxh and a.rydjxh = b.rydjxh and a.swjgDm = b.swjgDm   "
    "order by a.id desc ",
    " insert into sb_jdczbgb (djxh, xm, zjlx, zjhm, xzjddm, sqhczdm, xzlxdm, sbjbjgdm, rybh, lxdh, lxdz,  hjszd, bgid, "
    "bgsj, bgzt, cxbz, sjlx, hh) values ( '1','','','','','','','','','','','','','','','',1,'')",
    " select count(id) as zs  from sb_jdczbgb where djxh = '1'  and sjlx = 1  ",
    " insert into ds_rysbztb (djxh, jfnd, xzid, sbrq, ybtfe, sbzt, jfzt) values ('1', '2024', 'x', '', 1.00, 'Y', '10') ",
    " select  count(1) as zs  from  (select a.jfnd, a.xzid, a.sbrq, a.ybtfe, a.sbzt, a.jfzt, b.rydjxh, b.rybh, "
    "b.sbjbjgdm, b.zsxmdm, b.zspmdm,  b.zszmdm, b.xzjddm, b.sqhczdm, b.cbrytslbdm  from ds_rysbztb a inner join "
    "sb_rycbxmb b on a.djxh = '1' and a.djxh = b.djxh  and a.xzid = b.xzid and not ((a.jfzt is null or a.jfzt = 'null' "
    "or a.jfzt = '' or a.jfzt = '31') and b.tzjfyf < '2024-01')  ) a  inner join  (select rydjxh, xm, zjlx, zjhm, fzid, "
    "phonenumber from sb_ryjbxxb where djxh = '1'  ) b  on a.rydjxh = b.rydjxh  left join  (select id, fullname from "
    "sb_fzxxb where djxh = '1') c on b.fzid = c.id   ",
    "select a.*, b.fullname from  (select a.rydjxh, a.xm, a.zjlx, a.zjhm, c.rybh, c.sbjbjgdm, c.zsxmdm, c.zspmdm,  "
    "c.zszmdm, c.xzjddm, c.sqhczdm, c.sbzt, c.cbrytslbdm, a.fzid from sb_ryjbxxb a, sb_rycbjgxxb b,  sb_rycbxmb c where "
    "a.djxh = '1' and a.djxh = b.djxh and a.rydjxh = b.rydjxh and  b.djxh = c.djxh and b.rydjxh = c.rydjxh and b.rybh = "
    "c.rybh and b.sbjbjgdm = c.sbjbjgdm ) a  left join  (select id, fullname from sb_fzxxb where djxh = '1') b on "
    "a.fzid = b.id ",
    "update sb_rycbxmb set sbzt=1, xzsj='2024-01-01', jfnd='2024' where id=1",
};

TEST(HostDbSchema, EveryStoreStatementRunsAgainstTheSchema) {
  TempDatabase file;
  Ref<IDBMechanism> db = file.Connect();
  for (const char* sql : kStoreStatements) {
    std::string text(sql);
    if (text.find("%s") != std::string::npos) text.replace(text.find("%s"), 2, "count(*) as zs");
    EXPECT_TRUE(db->ExecSQL(text)) << db->GetErrorText() << "\n  in: " << text;
  }
}

}  // namespace
}  // namespace velmor::testing
