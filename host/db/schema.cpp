// The schema of the host database. Columns are text unless the stores treat them as numbers:
// INTEGER for identities, counts, states and flags written with %d, REAL for amounts written
// with %f. `id` is an INTEGER PRIMARY KEY AUTOINCREMENT wherever a table has one, so an id is
// never reused and rows that point at a removed parent cannot attach to a new one.
#include "host/db/schema.h"

#include <sqlite3.h>

namespace velmor::host::db {
namespace {

// Version 1: the tables of every store of the plug-in, with indexes on the keys they query by.
constexpr std::string_view kVersion1 = R"sql(
-- System parameters and code/name pairs.
CREATE TABLE sb_xtcsb (djxh TEXT NOT NULL, "key" TEXT NOT NULL, "value" TEXT);
CREATE UNIQUE INDEX ux_sb_xtcsb ON sb_xtcsb(djxh, "key");
CREATE TABLE sb_dmmcb (lb INTEGER NOT NULL, dm TEXT NOT NULL, mc TEXT);
CREATE UNIQUE INDEX ux_sb_dmmcb ON sb_dmmcb(lb, dm);

-- The roster: persons, enrolments with agencies, insured items, states, groups.
CREATE TABLE sb_ryjbxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, gjdqdm TEXT, csrq TEXT, xb TEXT, rynsrsbh TEXT, phonenumber TEXT, fzid INTEGER DEFAULT -1,
  fullpath TEXT, bzxx TEXT, drrq TEXT, ly TEXT, djzt TEXT, cbzt TEXT, hh TEXT, updateFlag INTEGER,
  hjxzDm TEXT, hjszdxzqhDm TEXT, hjdz TEXT, czdz TEXT, jdxzDm TEXT, sqczDm TEXT, yzbm TEXT, lxdzyj TEXT,
  lxdh TEXT, rysfDm TEXT, tsrylbDm TEXT, shbzhm TEXT);
CREATE INDEX ix_sb_ryjbxxb_1 ON sb_ryjbxxb(djxh, rydjxh);
CREATE INDEX ix_sb_ryjbxxb_2 ON sb_ryjbxxb(djxh, xm, zjlx, zjhm);
CREATE INDEX ix_sb_ryjbxxb_3 ON sb_ryjbxxb(djxh, zjhm);
CREATE TABLE sb_rycbjgxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, sbjbjgdm TEXT,
  rybh TEXT, sbhm TEXT, xzqhdm TEXT, sqhczdm TEXT, gxsj TEXT, yxbz TEXT, swjgDm TEXT, updateFlag INTEGER);
CREATE INDEX ix_sb_rycbjgxxb_1 ON sb_rycbjgxxb(djxh, rydjxh, sbjbjgdm, rybh);
CREATE TABLE sb_rycbxmb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, sbjbjgdm TEXT,
  rybh TEXT, xzid TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, tcqdm TEXT, xzjddm TEXT, sqhczdm TEXT,
  cbrytslbdm TEXT, ksjfyf TEXT, tzjfyf TEXT, gxsj TEXT, pmlx TEXT, xzlxdm TEXT, yxbz TEXT, djnd TEXT,
  yjfe TEXT, swjgDm TEXT, updateFlag INTEGER, jfdxzqhDm TEXT, dwbh TEXT, sbzt INTEGER, xzsj TEXT, jfnd TEXT);
CREATE INDEX ix_sb_rycbxmb_1 ON sb_rycbxmb(djxh, xzid);
CREATE INDEX ix_sb_rycbxmb_2 ON sb_rycbxmb(djxh, rydjxh, sbjbjgdm, rybh);
CREATE TABLE sb_rycbztb (djxh TEXT, rydjxh TEXT, swjgdm TEXT, zt TEXT, updateFlag INTEGER);
CREATE INDEX ix_sb_rycbztb_1 ON sb_rycbztb(djxh, rydjxh, swjgdm);
CREATE TABLE ds_ryjfztb (djxh TEXT, rydjxh TEXT, jfnd TEXT, xzid TEXT, sbsj TEXT, jfzt TEXT, sbjbjgdm TEXT,
  rybh TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, xzjddm TEXT, sqczdm TEXT, cbrytslbdm TEXT);
CREATE INDEX ix_ds_ryjfztb_1 ON ds_ryjfztb(djxh, jfnd, xzid);
CREATE TABLE sb_fzxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, pid INTEGER DEFAULT -1, fzmc TEXT,
  fullname TEXT, fullpath TEXT);
CREATE INDEX ix_sb_fzxxb_1 ON sb_fzxxb(djxh);
CREATE TABLE sb_pmlxb (zspmdm TEXT, pmlx TEXT);
CREATE INDEX ix_sb_pmlxb_1 ON sb_pmlxb(zspmdm);
CREATE INDEX ix_sb_pmlxb_2 ON sb_pmlxb(pmlx);

-- Declarations: masters, details, declared persons, payer-person registrations.
CREATE TABLE ds_sbzb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, yblsh TEXT, sblx TEXT, swjgdm TEXT,
  zrs INTEGER, zje REAL, sbsj TEXT, sbzt INTEGER, jkzt INTEGER, jywyid TEXT, bz TEXT, yjfjeHj REAL,
  ybtfeHJ REAL, yzpzxh TEXT, sbyy TEXT, zfsj TEXT, sbxz TEXT, swjgslrDm TEXT, slswjgDm TEXT);
CREATE INDEX ix_ds_sbzb_1 ON ds_sbzb(djxh, sbsj);
CREATE INDEX ix_ds_sbzb_2 ON ds_sbzb(yzpzxh);
CREATE TABLE ds_sbmxb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, zrs INTEGER, zje REAL, jfnd TEXT,
  zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, sjly TEXT, dwbh TEXT, sbjbjgdm TEXT, sfyrymx INTEGER,
  sfyxzrymx INTEGER, fkssqq TEXT, fkssqz TEXT, yjfjeHj REAL, ybtfeHJ REAL, sblsh TEXT, xxh TEXT, bz TEXT,
  hzmxxh TEXT);
CREATE INDEX ix_ds_sbmxb_1 ON ds_sbmxb(zbid);
CREATE TABLE ds_sbrymxb (id INTEGER PRIMARY KEY AUTOINCREMENT, mxbid INTEGER, mxxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, sbjbjgdm TEXT, rybh TEXT, xz_xzjddm TEXT, xz_sqhczdm TEXT, jfnd TEXT, zsxmdm TEXT, zspmdm TEXT,
  zszmdm TEXT, jfje REAL, jffs TEXT, jflx TEXT, sbyy TEXT, pmlx TEXT, cbrytslbdm TEXT, cxjmhdid TEXT,
  zjtzlsh TEXT, sblsh TEXT, fkssqq TEXT, fkssqz TEXT, sjscrq TEXT, jyzt INTEGER, bz TEXT, yjfje REAL,
  ybtfe REAL, sjyjfe REAL, jmfe REAL);
CREATE INDEX ix_ds_sbrymxb_1 ON ds_sbrymxb(mxbid);
CREATE TABLE ds_sbjfrydjxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, sbjbjgdm TEXT, rybh TEXT, jfnd TEXT, xz_xzjddm TEXT, xz_sqhczdm TEXT, zsxmdm TEXT, zspmdm TEXT,
  zszmdm TEXT, xzlxdm TEXT, jfje REAL, yjfje REAL, ybtfe REAL, sjyjfe REAL);
CREATE INDEX ix_ds_sbjfrydjxxb_1 ON ds_sbjfrydjxxb(djxh, rydjxh, jfnd);
CREATE TABLE sb_sbjfrydjxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, sbjbjgdm TEXT, rybh TEXT, jfnd TEXT, xz_xzjddm TEXT, xz_sqhczdm TEXT, zsxmdm TEXT, zspmdm TEXT,
  zszmdm TEXT, xzlxdm TEXT, pmlx TEXT, sbzt INTEGER, jfje REAL, yjfje REAL, ybtfe REAL, sjyjfe REAL);
CREATE INDEX ix_sb_sbjfrydjxxb_1 ON sb_sbjfrydjxxb(djxh, pmlx, sbzt);

-- Payable (collected) information.
CREATE TABLE sb_dzzjxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, cxjmhdid TEXT, sjly TEXT, jhsx TEXT,
  zjtzlsh TEXT, sblsh TEXT, xxh TEXT, sbjbjgDm TEXT, cxjmsbbm TEXT, tcqBm TEXT, fkssqq TEXT, fkssqz TEXT,
  zsxmDm TEXT, zspmDm TEXT, zszmDm TEXT, sjscrq TEXT, yjfe REAL, zjyxrq TEXT, bz TEXT, rydjxh TEXT, xm TEXT,
  zjlx TEXT, zjhm TEXT, xzjddm TEXT, sqczdm TEXT, sqhczdm TEXT);
CREATE INDEX ix_sb_dzzjxxb_1 ON sb_dzzjxxb(djxh, zjtzlsh);

-- Payments: paid lines, timed-out deductions, certificate print records.
CREATE TABLE sb_fkjnxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, hsjg TEXT, yzpzxh TEXT,
  yzpzmxxh TEXT, sbbm TEXT, sbjbjgDm TEXT, skssqq TEXT, skssqz TEXT, zsxmDm TEXT, zspmDm TEXT, zszmDm TEXT,
  yskmDm TEXT, ysfpblDm TEXT, yjjcDm TEXT, skgkDm TEXT, qfje TEXT, zsjgDm TEXT, zsuuid TEXT, jkqx TEXT,
  jkzt INTEGER, jksj TEXT, sjje REAL, dyzt INTEGER, dysj TEXT, dzsphm TEXT, jkfs INTEGER, jkzh TEXT,
  yhyywdMc TEXT, skgkMc TEXT, zsswjgMc TEXT, zhmc TEXT, yhhbmc TEXT, jfrlx INTEGER, xm TEXT, zjlx TEXT,
  zjhm TEXT, dzjfpzdyID INTEGER, sbyy TEXT);
CREATE INDEX ix_sb_fkjnxxb_1 ON sb_fkjnxxb(djxh, yzpzxh);
CREATE INDEX ix_sb_fkjnxxb_2 ON sb_fkjnxxb(dzsphm);
CREATE INDEX ix_sb_fkjnxxb_3 ON sb_fkjnxxb(zsuuid);
CREATE INDEX ix_sb_fkjnxxb_4 ON sb_fkjnxxb(dzjfpzdyID);
CREATE TABLE sb_jkcslsb (djxh TEXT, hsjg TEXT, yzpzxh TEXT, yzpzmxxh TEXT, sbbm TEXT, sbjbjgDm TEXT,
  skssqq TEXT, skssqz TEXT, zsxmDm TEXT, zspmDm TEXT, zszmDm TEXT, yskmDm TEXT, ysfpblDm TEXT, yjjcDm TEXT,
  skgkDm TEXT, qfje TEXT, zsjgDm TEXT, zsuuid TEXT, jkqx TEXT, jkzt INTEGER, jksj TEXT, sjje REAL,
  dyzt INTEGER, dysj TEXT, yblsh TEXT, jkfs INTEGER, jkzh TEXT, yhyywdMc TEXT, zhmc TEXT, yhhbmc TEXT,
  jfrlx INTEGER, xm TEXT, zjlx TEXT, zjhm TEXT);
CREATE INDEX ix_sb_jkcslsb_1 ON sb_jkcslsb(djxh);
CREATE INDEX ix_sb_jkcslsb_2 ON sb_jkcslsb(yblsh);
CREATE TABLE sb_dzjfpzdyjl (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, dysj TEXT, dycs INTEGER,
  "no" TEXT, "sign" TEXT);
CREATE INDEX ix_sb_dzjfpzdyjl_1 ON sb_dzjfpzdyjl(djxh, "no");

-- Payment amount confirmation, deduction authorisations, online-signed agreements.
CREATE TABLE sb_grjfjeqrb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, sbjbjgdm TEXT, cxjmsbbm TEXT, pmlx TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, jffsdm TEXT,
  sxnd TEXT, yjfedc TEXT, yjfe REAL, tjsj TEXT);
CREATE INDEX ix_sb_grjfjeqrb_1 ON sb_grjfjeqrb(djxh);
CREATE TABLE sb_grsbfkfsqb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, yhdm TEXT, yhzldm TEXT, khyhdm TEXT, khyhmc TEXT, fkzh TEXT, xysh TEXT, wtrq TEXT, zt INTEGER);
CREATE INDEX ix_sb_grsbfkfsqb_1 ON sb_grsbfkfsqb(djxh, rydjxh);
CREATE TABLE sb_jmylwqsfxyb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, yhhbdm TEXT, yhhbmc TEXT, xzqhdm TEXT, xzhmc TEXT, yhyywddm TEXT, yhyywdmc TEXT, jkzh TEXT,
  sfxyh TEXT, sfxyyztgrq TEXT, sfxyztdm TEXT, sfxyJsonStr TEXT, last_opertat_time TEXT);
CREATE INDEX ix_sb_jmylwqsfxyb_1 ON sb_jmylwqsfxyb(djxh, rydjxh, sfxyh);

-- Payment receipts.
CREATE TABLE ds_jfpj (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, xm TEXT, zjlx TEXT, zjhm TEXT,
  sbjbjgmc TEXT, zsxmmc TEXT, zspmmc TEXT, zszmmc TEXT, fkssqq TEXT, fkssqz TEXT, jfje REAL, jfrq TEXT,
  drrq TEXT, drsj TEXT);
CREATE INDEX ix_ds_jfpj_1 ON ds_jfpj(djxh, xm, zjlx, zjhm);

-- Fee standards (sb_pmlxb above holds the item types).
CREATE TABLE sb_jffsb (zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, sbjbjgdm TEXT, jffs TEXT);
CREATE INDEX ix_sb_jffsb_1 ON sb_jffsb(zsxmdm, zspmdm);
CREATE TABLE sb_jfsxxb (zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, sbjbjgdm TEXT, yxqq TEXT, yxqz TEXT,
  nldq INTEGER, nldz INTEGER, xb TEXT, xxje REAL, sxje REAL);
CREATE INDEX ix_sb_jfsxxb_1 ON sb_jfsxxb(zsxmdm, zspmdm);
CREATE TABLE sb_jfdcb (zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, sbjbjgdm TEXT, yxqq TEXT, yxqz TEXT,
  nldq INTEGER, nldz INTEGER, xb TEXT, dcdm TEXT, dcje REAL);
CREATE INDEX ix_sb_jfdcb_1 ON sb_jfdcb(zsxmdm, zspmdm);

-- Special-group declarations.
CREATE TABLE ds_tsrqsbjlb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, xm TEXT, zjlx TEXT,
  zjhm TEXT, sbjbjgdm TEXT, rybh TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, cbrytslbDm TEXT,
  cbrytslbMc TEXT, fkssqq TEXT, fkssqz TEXT, sbrq TEXT, yzpzxh TEXT, sblx INTEGER, sbzt INTEGER,
  jfzt INTEGER, jfje REAL, jfdc REAL, jfns REAL, jfys REAL, cwxx TEXT);
CREATE INDEX ix_ds_tsrqsbjlb_1 ON ds_tsrqsbjlb(djxh);
CREATE INDEX ix_ds_tsrqsbjlb_2 ON ds_tsrqsbjlb(yzpzxh);

-- Individual online payment orders.
CREATE TABLE sb_grsbfjfjl (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, spddh TEXT, zfddh TEXT,
  ddscrq TEXT, ddcssj TEXT, syturl TEXT, ddzt INTEGER, lsh TEXT, rydjxh TEXT, sbjbjgdm TEXT, rybh TEXT,
  xz_xzjddm TEXT, xz_sqhczdm TEXT, jfnd TEXT, pmlx TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, jfje REAL,
  xm TEXT, zjlx TEXT, zjhm TEXT);
CREATE INDEX ix_sb_grsbfjfjl_1 ON sb_grsbfjfjl(djxh, spddh, zfddh);
CREATE TABLE sb_grjfzfxxb (orderId TEXT, queryId TEXT, ddscsj TEXT, zfUrl TEXT, qrcodeStr TEXT, zffsDm TEXT);
CREATE INDEX ix_sb_grjfzfxxb_1 ON sb_grjfzfxxb(orderId, queryId);
CREATE TABLE sb_hngrsbfjfjl (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, ddh TEXT, swjgDm TEXT,
  ddscrq TEXT, ddzfsj TEXT, ddsxsj TEXT, ddzt TEXT, zfqd TEXT, rybh TEXT, xzlx TEXT, jfnd TEXT, jfje REAL,
  xm TEXT, zjlx TEXT, zjhm TEXT);
CREATE INDEX ix_sb_hngrsbfjfjl_1 ON sb_hngrsbfjfjl(djxh, ddh);
CREATE TABLE sb_hngrsbfjfjlmxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, ddh TEXT, sbjbjgdm TEXT,
  ksjfrq TEXT, zzjfrq TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, xzlxdm TEXT, jfje REAL);
CREATE INDEX ix_sb_hngrsbfjfjlmxb_1 ON sb_hngrsbfjfjlmxb(djxh, ddh);

-- Residents' payment registration: pending persons and lines, submissions.
CREATE TABLE ds_jfdjryb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, swjgDm TEXT, czlx TEXT, jcrq TEXT,
  jcyyDm TEXT, rydjxh TEXT, xm TEXT, sjgghdqDm TEXT, zjlxDm TEXT, zjhm TEXT, xbDm TEXT, csrq TEXT,
  hjxzDm TEXT, hjszdXzqhDm TEXT, hjszd TEXT, czddz TEXT, czdJdxzDm TEXT, czdSqczDm TEXT, yzbm TEXT,
  lxrDzyj TEXT, lxdh TEXT, sjhm TEXT, grsfDm TEXT, tsrylbDm TEXT, jfrsbh TEXT, shbzhm TEXT, sfydj TEXT);
CREATE INDEX ix_ds_jfdjryb_1 ON ds_jfdjryb(djxh, xm, zjlxDm, zjhm);
CREATE TABLE ds_jfdjxzb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, czlx TEXT, xzId TEXT,
  xzlxDm TEXT, jfdXzqhDm TEXT, jfdJdxzDm TEXT, jfdSqczDm TEXT, zzbh TEXT, cbrytslbDm TEXT, ksjfyf TEXT,
  jcrq TEXT, jfbz REAL, sbjbjgdm TEXT);
CREATE INDEX ix_ds_jfdjxzb_1 ON ds_jfdjxzb(zbid);
CREATE TABLE ds_jfdjjlb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, yblsh TEXT, tjsj TEXT, swjgDm TEXT,
  jmzs INTEGER, zt TEXT, sbyy TEXT);
CREATE INDEX ix_ds_jfdjjlb_1 ON ds_jfdjjlb(djxh);
CREATE TABLE ds_jfdjjlryb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, djxh TEXT, swjgDm TEXT,
  czlx TEXT, jcrq TEXT, jcyyDm TEXT, rydjxh TEXT, xm TEXT, sjgghdqDm TEXT, zjlxDm TEXT, zjhm TEXT, xbDm TEXT,
  csrq TEXT, hjxzDm TEXT, hjszdXzqhDm TEXT, hjszd TEXT, czddz TEXT, czdJdxzDm TEXT, czdSqczDm TEXT,
  yzbm TEXT, lxrDzyj TEXT, lxdh TEXT, sjhm TEXT, grsfDm TEXT, tsrylbDm TEXT, jfrsbh TEXT, shbzhm TEXT,
  code TEXT, sbyy TEXT);
CREATE INDEX ix_ds_jfdjjlryb_1 ON ds_jfdjjlryb(zbid);
CREATE INDEX ix_ds_jfdjjlryb_2 ON ds_jfdjjlryb(djxh);
CREATE TABLE ds_jfdjjlxzb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, czlx TEXT, xzId TEXT,
  xzlxDm TEXT, jfdXzqhDm TEXT, jfdJdxzDm TEXT, jfdSqczDm TEXT, zzbh TEXT, cbrytslbDm TEXT, ksjfyf TEXT,
  jcrq TEXT, jfbz REAL, sbjbjgdm TEXT, code TEXT, sbyy TEXT);
CREATE INDEX ix_ds_jfdjjlxzb_1 ON ds_jfdjjlxzb(zbid);

-- The payer's scheme account: offices, participating units, insured items. The writer chooses
-- the ids (integer text) to keep the parent links in zbid.
CREATE TABLE sb_xnhjbxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, swjgdm TEXT, jfrztdm TEXT,
  zgswksDm TEXT, zgswksMc TEXT, glbz TEXT, flbsdm TEXT);
CREATE INDEX ix_sb_xnhjbxxb_1 ON sb_xnhjbxxb(djxh);
CREATE TABLE sb_xnhcbjgxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, swjgdm TEXT, yxbz TEXT,
  sbjbjgdm TEXT, dwbh TEXT, xzqhdm TEXT, lxrxm TEXT, lxdh TEXT, lxdz TEXT, dwcbztdm TEXT, tsdwlbdm TEXT,
  djzclxdm TEXT, zbid INTEGER, sshydlDm TEXT, lxdzyx TEXT, jdxzDm TEXT);
CREATE INDEX ix_sb_xnhcbjgxxb_1 ON sb_xnhcbjgxxb(djxh, sbjbjgdm, dwbh);
CREATE INDEX ix_sb_xnhcbjgxxb_2 ON sb_xnhcbjgxxb(zbid);
CREATE TABLE sb_xnhcbxmb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, sbjbjgdm TEXT, xzid TEXT,
  xzlxDm TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, tcqdm TEXT, xzjddm TEXT, sqhczdm TEXT,
  dwcbtslbdm TEXT, ksjfyf TEXT, tzjfyf TEXT, dwbh TEXT, zbid INTEGER, zjms TEXT, dsXzqhDm TEXT);
CREATE INDEX ix_sb_xnhcbxmb_1 ON sb_xnhcbxmb(djxh, sbjbjgdm, dwbh);
CREATE INDEX ix_sb_xnhcbxmb_2 ON sb_xnhcbxmb(zbid);

-- Residents' basic information collection.
CREATE TABLE ds_cxjmjcxxcjryb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, czlx TEXT, rydjxh TEXT,
  xm TEXT, sjgghdqDm TEXT, zjlxDm TEXT, zjhm TEXT, xbDm TEXT, csrq TEXT, mzDm TEXT, cbdxzqhDm TEXT,
  cbdJdxzDm TEXT, cbdSqczDm TEXT, hjszd TEXT, czddz TEXT, yzbm TEXT, lxrDzyj TEXT, lxdh TEXT, sjhm TEXT,
  grsfDm TEXT, grztDm TEXT, ygxsDm TEXT, hjlxDm TEXT, hjszdxzqhDm TEXT, tzsj TEXT, tzyyDm TEXT, tjsj TEXT,
  rycode TEXT, rymessage TEXT);
CREATE INDEX ix_ds_cxjmjcxxcjryb_1 ON ds_cxjmjcxxcjryb(djxh);
CREATE TABLE ds_cxjmjcxxcjxzb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, czlx TEXT, sbjbjgDm TEXT,
  rybh TEXT, xzlxDm TEXT, cbsf TEXT, ksjfny TEXT, tzjfny TEXT, jfje TEXT, jdxzDm TEXT, sqczDm TEXT,
  bccbsj TEXT, sccbsj TEXT, cbrytslbDm TEXT, xzcode TEXT, xzmessage TEXT);
CREATE INDEX ix_ds_cxjmjcxxcjxzb_1 ON ds_cxjmjcxxcjxzb(zbid);

-- Collective and government payers: registration, prepared lines, declarations.
CREATE TABLE ds_jtbzhcbxxb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, zgswjgDm TEXT, zgswksDm TEXT,
  jfrztDm TEXT, xnhflbs TEXT, yxbz TEXT, sbjbjgDm TEXT, dwbh TEXT, jfrlx TEXT, ssxzqhdm TEXT, lxrxm TEXT,
  lxdh TEXT, lxdz TEXT);
CREATE INDEX ix_ds_jtbzhcbxxb_1 ON ds_jtbzhcbxxb(djxh);
CREATE TABLE ds_jtbzhcbxzb (id INTEGER PRIMARY KEY AUTOINCREMENT, zbid INTEGER, cbxzId TEXT, zsxmDm TEXT,
  zspmDm TEXT, zszmDm TEXT, xzlxdm TEXT, jdxzdm TEXT, sqczdm TEXT);
CREATE INDEX ix_ds_jtbzhcbxzb_1 ON ds_jtbzhcbxzb(zbid);
CREATE TABLE ds_jtbz (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, jfnd TEXT, sbjbjgdm TEXT, dwbh TEXT,
  rybh TEXT, xzlxdm TEXT, xm TEXT, zjlx TEXT, zjhm TEXT, yjfe REAL);
CREATE INDEX ix_ds_jtbz_1 ON ds_jtbz(jfnd, sbjbjgdm);
CREATE TABLE ds_jtbzhsbjlb (id INTEGER PRIMARY KEY AUTOINCREMENT, jylsh TEXT, djxh TEXT, zgswjgDm TEXT,
  xnhflbs TEXT, jfrlxDm TEXT, sbfsDm TEXT, sbsxDm TEXT, yzpzzlDm TEXT, sbrq TEXT, drsj TEXT,
  sbjbjgDm TEXT, jfnd TEXT, jfrshj TEXT, jfjehj TEXT, sbzt TEXT, jkzt TEXT, cljgDm TEXT, sbyy TEXT,
  yjfehj TEXT, yzpzxh TEXT);
CREATE INDEX ix_ds_jtbzhsbjlb_1 ON ds_jtbzhsbjlb(djxh);
CREATE INDEX ix_ds_jtbzhsbjlb_2 ON ds_jtbzhsbjlb(yzpzxh);
CREATE TABLE ds_jtbzhsbjlmxb (zbid INTEGER, jfmxxh TEXT, sbjbjgDm TEXT, rybh TEXT, jfnd TEXT, yjfe TEXT,
  sbjg TEXT, xm TEXT, zjlx TEXT, zjhm TEXT, xzlxdm TEXT, sbyy TEXT);
CREATE INDEX ix_ds_jtbzhsbjlmxb_1 ON ds_jtbzhsbjlmxb(zbid, jfmxxh);
CREATE TABLE ds_jtbzhsbjlqdb (zbid INTEGER, zgswjgDm TEXT, sbjbjgDm TEXT, sbbm TEXT, sjly TEXT, jhsx TEXT,
  sblsh TEXT, xxh TEXT, fkssqq TEXT, fkssqz TEXT, zsxmDm TEXT, zspmDm TEXT, zszmDm TEXT, jfrs TEXT,
  jfjs TEXT, jfbl TEXT, yjfe TEXT, yjfje TEXT, ybtfe TEXT, sfczmx TEXT, hzmxxh TEXT, zjtzlsh TEXT,
  zggzze TEXT, jmfe TEXT, zdl TEXT, jfbz TEXT, sbxz TEXT, swjgslrDm TEXT, slswjgDm TEXT, bz TEXT,
  xzlxdm TEXT);
CREATE INDEX ix_ds_jtbzhsbjlqdb_1 ON ds_jtbzhsbjlqdb(zbid, sblsh, xxh);

-- Medical-insurance personal account registration.
CREATE TABLE ds_ybgrzh_cxjmdjxx (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT, swjgDm TEXT,
  xm TEXT, sfzjlx TEXT, sfzjhm TEXT, gjDm TEXT, csrq TEXT, xb TEXT, nsrsbh TEXT, updateFlag INTEGER);
CREATE INDEX ix_ds_ybgrzh_cxjmdjxx_1 ON ds_ybgrzh_cxjmdjxx(djxh, rydjxh, swjgDm);
CREATE TABLE ds_ybgrzh_cxjmcbdjxx (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, rydjxh TEXT,
  swjgDm TEXT, sbjbjgdm TEXT, rybh TEXT, dwbh TEXT, djnd TEXT, sbhm TEXT, ssxzqhDm TEXT, sqczDm TEXT,
  xzlxDm TEXT, zsxmdm TEXT, zspmdm TEXT, zszmdm TEXT, tcqBm TEXT, jdxzDm TEXT, xzSqczDm TEXT,
  cbrytslbDm TEXT, ksjfyf TEXT, tzjfyf TEXT, gxsj TEXT, yjfe REAL, updateFlag INTEGER);
CREATE INDEX ix_ds_ybgrzh_cxjmcbdjxx_1 ON ds_ybgrzh_cxjmcbdjxx(djxh, rydjxh, swjgDm);

-- Street and community changes.
CREATE TABLE sb_jdczbgb (id INTEGER PRIMARY KEY AUTOINCREMENT, djxh TEXT, xm TEXT, zjlx TEXT, zjhm TEXT,
  xzjddm TEXT, sqhczdm TEXT, xzlxdm TEXT, sbjbjgdm TEXT, rybh TEXT, lxdh TEXT, lxdz TEXT, hjszd TEXT,
  bgid TEXT, bgsj TEXT, bgzt TEXT, cxbz TEXT, sjlx INTEGER, hh TEXT);
CREATE INDEX ix_sb_jdczbgb_1 ON sb_jdczbgb(djxh, bgsj);

-- Residents' declaration states per payment year.
CREATE TABLE ds_rysbztb (djxh TEXT, jfnd TEXT, xzid TEXT, sbrq TEXT, ybtfe REAL, sbzt TEXT, jfzt TEXT);
CREATE INDEX ix_ds_rysbztb_1 ON ds_rysbztb(djxh, jfnd, xzid);
)sql";

// Version 2: paid and vouchered lines are replaced and updated one at a time, by voucher line
// (djxh, yzpzxh, yzpzmxxh), by levy (djxh, zsuuid) or by voucher number (djxh, dzsphm). With an
// index on (djxh, yzpzxh) only, the planner walked every line of the payer or of a voucher that
// has thousands for each of them, and paying N lines took time in N squared. The index by voucher
// line also serves the queries by voucher, so the old one goes.
constexpr std::string_view kVersion2 = R"sql(
CREATE INDEX ix_sb_fkjnxxb_5 ON sb_fkjnxxb(djxh, yzpzxh, yzpzmxxh);
CREATE INDEX ix_sb_fkjnxxb_6 ON sb_fkjnxxb(djxh, zsuuid);
CREATE INDEX ix_sb_fkjnxxb_7 ON sb_fkjnxxb(djxh, dzsphm);
DROP INDEX ix_sb_fkjnxxb_1;
)sql";

// The query planner's statistics for the roster tables, as ANALYZE measured them for a payer of
// 100,000 persons with 200,000 items. Every index of these tables begins with the payer, and
// without statistics the planner takes "djxh = ?" as selective: it walked a payer's persons
// through the index by ID number, each row read from a random page (the roster download's
// clearing statements and the roster listing read the whole table that way, 0.3 s and 1.4 s at
// 100,000 persons). With them it scans the table in order where a payer's rows are wanted and
// keeps the indexes for lookups by person. Fixed rather than measured on each file, so a plan
// does not change with what a file happens to hold; nothing runs ANALYZE.
constexpr std::string_view kVersion3 = R"sql(
ANALYZE sqlite_master;
DELETE FROM sqlite_stat1 WHERE tbl IN ('sb_ryjbxxb', 'sb_rycbjgxxb', 'sb_rycbxmb');
INSERT INTO sqlite_stat1 (tbl, idx, stat) VALUES
  ('sb_ryjbxxb', 'ix_sb_ryjbxxb_1', '100000 100000 1'),
  ('sb_ryjbxxb', 'ix_sb_ryjbxxb_2', '100000 100000 2 1 1'),
  ('sb_ryjbxxb', 'ix_sb_ryjbxxb_3', '100000 100000 1'),
  ('sb_rycbjgxxb', 'ix_sb_rycbjgxxb_1', '100000 100000 1 1 1'),
  ('sb_rycbxmb', 'ix_sb_rycbxmb_1', '200000 200000 1'),
  ('sb_rycbxmb', 'ix_sb_rycbxmb_2', '200000 200000 2 2 2');
ANALYZE sqlite_master;
)sql";

// Version 4: every statement that looks a payment line up by its levy (zsuuid) names the payer
// too and takes the index by (djxh, zsuuid); the index by levy alone was kept up by each of the
// hundreds of thousands of lines a payment day deletes and inserts (a random key each, about a
// sixth of an insert's time) and read by nothing.
constexpr std::string_view kVersion4 = R"sql(
DROP INDEX IF EXISTS ix_sb_fkjnxxb_3;
)sql";

// Version 5: to visit all of a payer's persons through an index (an update of every summary state,
// a count), the planner chose between the index by person number and the one by ID number as
// equals, and took the latter: persons are stored in about the order of their numbers, so the
// update then read one random page per person (0.13 s at 100,000 persons, against 0.05 s through
// the index by number). The index by ID number is given a larger row size than it has, so the
// planner takes the other; a lookup by ID number still takes it.
constexpr std::string_view kVersion5 = R"sql(
UPDATE sqlite_stat1 SET stat = '100000 100000 1 sz=200' WHERE tbl = 'sb_ryjbxxb' AND idx = 'ix_sb_ryjbxxb_3';
ANALYZE sqlite_master;
)sql";

constexpr Migration kMigrations[] = {
    {1, "the tables of every store", kVersion1},
    {2, "payment lines indexed by voucher line", kVersion2},
    {3, "the planner's statistics of the roster tables", kVersion3},
    {4, "no index of payment lines by levy alone", kVersion4},
    {5, "a payer's persons visited in the order they are stored", kVersion5},
};

}  // namespace

std::span<const Migration> SchemaMigrations() { return kMigrations; }

int LatestSchemaVersion(std::span<const Migration> migrations) {
  return migrations.empty() ? 0 : migrations.back().version;
}

int ReadSchemaVersion(Connection& conn, std::string* error) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(conn.Handle(), "PRAGMA user_version", -1, &stmt, nullptr) != SQLITE_OK) {
    *error = conn.EngineMessage();
    return -1;
  }
  int version = -1;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    version = sqlite3_column_int(stmt, 0);
  } else {
    *error = conn.EngineMessage();
  }
  sqlite3_finalize(stmt);
  return version;
}

namespace {
std::string NewerText(int version, int latest) {
  return "the database has schema version " + std::to_string(version) + ", newer than this program's " +
         std::to_string(latest);
}
}  // namespace

bool MigrateSchema(Connection& conn, std::span<const Migration> migrations, std::string* error) {
  for (size_t i = 0; i < migrations.size(); ++i) {
    if (migrations[i].version != static_cast<int>(i) + 1) {
      *error = "schema migrations are not numbered 1, 2, 3 ...";
      return false;
    }
  }
  const int latest = LatestSchemaVersion(migrations);
  int version = ReadSchemaVersion(conn, error);
  if (version < 0) return false;
  if (version == latest) return true;
  if (version > latest) {
    *error = NewerText(version, latest);
    return false;
  }
  // Another process may be migrating the same file: the write lock serialises us, and the
  // version is read again under it.
  if (!conn.ExecInternal("BEGIN IMMEDIATE", error)) return false;
  std::string ignored;
  auto fail = [&] {
    conn.ExecInternal("ROLLBACK", &ignored);
    return false;
  };
  version = ReadSchemaVersion(conn, error);
  if (version < 0) return fail();
  if (version > latest) {
    *error = NewerText(version, latest);
    return fail();
  }
  for (const Migration& m : migrations) {
    if (m.version <= version) continue;
    std::string sql(m.sql);
    if (!conn.ExecInternal(sql.c_str(), error)) {
      *error = "schema migration to version " + std::to_string(m.version) + " (" + std::string(m.description) +
               ") failed: " + *error;
      return fail();
    }
  }
  std::string setVersion = "PRAGMA user_version = " + std::to_string(latest);
  if (!conn.ExecInternal(setVersion.c_str(), error) || !conn.ExecInternal("COMMIT", error)) return fail();
  return true;
}

}  // namespace velmor::host::db
