#include "groups/bzdj_store.h"

#include <cmath>

#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/paging.h"
#include "store/sql_toolkit.h"

namespace velmor::groups {

namespace {

using service::Text;

// " and <column> = '<value>'" when the value is given.
SqlFragment Eq(const char* column, const std::string& value) {
  if (value.empty()) return {};
  return SqlFragment::Trusted(FormatSql(" and %s = '%s' ", {SqlFragment::Trusted(column), V(value)}));
}

SqlFragment Like(const char* column, const std::string& value) {
  if (value.empty()) return {};
  return SqlFragment::Trusted(std::string(" and ") + column + " like " + QuotedStr("%" + value + "%"));
}

double Amount(const Json& v, bool& ok) {
  ok = true;
  if (v.is_number()) return v.get<double>();
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    try {
      size_t used = 0;
      double d = std::stod(s, &used);
      if (used == s.size()) return d;
    } catch (const std::exception&) {
    }
  }
  ok = false;
  return 0;
}

}  // namespace

double NumberOf(const std::string& text) {
  bool ok = false;
  const double d = Amount(Json(text), ok);
  return ok && std::isfinite(d) ? d : 0;
}

void ReplaceRegistration(IDBMechanism& db, const std::string& djxh, const Json& units) {
  ExecOrThrow(db,
              FormatSql(" delete from ds_jtbzhcbxzb where zbid in (select id from ds_jtbzhcbxxb where djxh = '%s'); ",
                        {V(djxh)}),
              kDbDeleteFailed);
  ExecOrThrow(db, FormatSql(" delete from ds_jtbzhcbxxb where djxh = '%s'; ", {V(djxh)}), kDbDeleteFailed);
  for (const Json& u : units) {
    ExecOrThrow(db, FormatSql(" insert into ds_jtbzhcbxxb(djxh, zgswjgDm, zgswksDm, jfrztDm, xnhflbs, yxbz, sbjbjgDm, "
                              "dwbh,  jfrlx, ssxzqhdm, lxrxm, lxdh, lxdz)  values('%s', '%s', '%s', '%s', '%s', '%s', "
                              "'%s', '%s',  '%s', '%s', %s, %s, %s) ",
                              {V(djxh), V(Text(u, "zgswjgDm")), V(Text(u, "zgswksDm")), V(Text(u, "jfrztDm")),
                               V(Text(u, "xnhflbs")), V(Text(u, "yxbz")), V(Text(u, "sbjbjgDm")), V(Text(u, "dwbh")),
                               V(Text(u, "jfrlx")), V(Text(u, "ssxzqhdm")), Q(Text(u, "lxrxm")), Q(Text(u, "lxdh")),
                               Q(Text(u, "lxdz"))}));
    const int32_t zbid = QueryCount(db, " select max(id) as zbid from ds_jtbzhcbxxb");
    const Json lines = u.contains("cbxzList") && u["cbxzList"].is_array() ? u["cbxzList"] : Json::array();
    for (const Json& x : lines) {
      ExecOrThrow(db, FormatSql(" insert into ds_jtbzhcbxzb(zbid, cbxzId, zsxmDm, zspmDm, zszmDm, xzlxdm, jdxzdm, "
                                "sqczdm)  values(%d, '%s', '%s', '%s', '%s', '%s', '%s', '%s')",
                                {zbid, V(Text(x, "cbxzId")), V(Text(x, "zsxmDm")), V(Text(x, "zspmDm")),
                                 V(Text(x, "zszmDm")), V(Text(x, "xzlxdm")), V(Text(x, "jdxzdm")),
                                 V(Text(x, "sqczdm"))}));
    }
  }
}

SqlFragment LineFilters(const std::string& djxh, const BzDjFilter& qc) {
  return SqlFragment::Trusted(FormatSql(" and djxh = '%s' ", {V(djxh)})) + Eq("jfnd", qc.jfnd) +
         Eq("sbjbjgdm", qc.sbjbjgdm) + Eq("xzlxdm", qc.xzlxdm) + Like("xm", qc.xm) + Eq("zjlx", qc.zjlx) +
         Like("zjhm", qc.zjhm);
}

std::string LinesSelect(const std::string& djxh, const BzDjFilter& qc, bool paged) {
  return FormatSql(" select * from ds_jtbz where 1 = 1 %s %s ",
                   {LineFilters(djxh, qc), paged ? PagingSuffix(qc.page, qc.pageSize) : SqlFragment()});
}

std::string LinesCount(const std::string& djxh, const BzDjFilter& qc) {
  return " select count(1) as zs from ( " + LinesSelect(djxh, qc, false) + " )";
}

std::string LinesSum(const std::string& djxh, const BzDjFilter& qc) {
  return " select ifnull(sum(yjfe), 0) as hj from ( " + LinesSelect(djxh, qc, false) + " )";
}

std::string LinesDelete(const std::string& djxh, const BzDjFilter& qc) {
  return FormatSql(" delete from ds_jtbz where 1 = 1 %s ", {LineFilters(djxh, qc)});
}

std::string LineProblem(const Json& line) {
  if (!line.is_object()) return "不是数据行";
  for (const char* key : {"jfnd", "sbjbjgdm", "rybh", "xzlxdm", "xm", "zjhm"})
    if (Text(line, key).empty()) return std::string("缺少") + key;
  bool ok = false;
  const double yjfe = Amount(line.contains("yjfe") ? line["yjfe"] : Json(), ok);
  if (!ok || !std::isfinite(yjfe)) return "应缴费额不是数字";
  if (yjfe <= 0) return "应缴费额须大于0";
  return "";
}

std::string LineInsert(const std::string& djxh, const Json& line) {
  const std::string problem = LineProblem(line);
  if (!problem.empty()) throw service::OpRefusal(problem);
  bool ok = false;
  const double yjfe = Amount(line["yjfe"], ok);
  return FormatSql(" insert into ds_jtbz(djxh, jfnd, sbjbjgdm, dwbh, rybh, xzlxdm, xm, zjlx, zjhm, yjfe) "
                   " values('%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', %f) ",
                   {V(djxh), V(Text(line, "jfnd")), V(Text(line, "sbjbjgdm")), V(Text(line, "dwbh")),
                    V(Text(line, "rybh")), V(Text(line, "xzlxdm")), V(Text(line, "xm")), V(Text(line, "zjlx")),
                    V(Text(line, "zjhm")), yjfe});
}

int32_t SaveRecord(IDBMechanism& db, const Json& r, const Json& lines) {
  ExecOrThrow(db,
              FormatSql(" insert into ds_jtbzhsbjlb(jylsh, djxh, zgswjgDm, xnhflbs, jfrlxDm,  sbfsDm, sbsxDm, yzpzzlDm, "
                        "sbrq, drsj, sbjbjgDm, jfnd, jfrshj, jfjehj, sbzt, jkzt)  values('%s', '%s', '%s', '%s', '%s',  "
                        "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '1', '0') ",
                        {V(Text(r, "jylsh")), V(Text(r, "djxh")), V(Text(r, "zgswjgDm")), V(Text(r, "xnhflbs")),
                         V(Text(r, "jfrlxDm")), V(Text(r, "sbfsDm")), V(Text(r, "sbsxDm")), V(Text(r, "yzpzzlDm")),
                         V(Text(r, "sbrq")), V(Text(r, "drsj")), V(Text(r, "sbjbjgDm")), V(Text(r, "jfnd")),
                         V(Text(r, "jfrshj")), V(Text(r, "jfjehj"))}));
  const int32_t id = QueryCount(db, " select max(id) as zbid from ds_jtbzhsbjlb");
  for (const Json& l : lines) {
    ExecOrThrow(db, FormatSql(" insert into ds_jtbzhsbjlmxb(zbid, jfmxxh, sbjbjgDm, rybh, jfnd,  yjfe, sbjg, xm, zjlx, "
                              "zjhm, xzlxdm)  values(%d, '%s', '%s', '%s', '%s',  '%s', 'Y', %s, '%s', %s, '%s') ",
                              {id, V(Text(l, "jfmxxh")), V(Text(l, "sbjbjgdm")), V(Text(l, "rybh")),
                               V(Text(l, "jfnd")), V(Text(l, "yjfe")), Q(Text(l, "xm")), V(Text(l, "zjlx")),
                               Q(Text(l, "zjhm")), V(Text(l, "xzlxdm"))}));
  }
  return id;
}

Json RecordOf(IDBMechanism& db, const std::string& djxh, int32_t id) {
  Json rows = Rows(db, FormatSql(" select * from ds_jtbzhsbjlb where djxh = '%s' and id = %d ", {V(djxh), id}));
  return rows.empty() ? Json::object() : rows[0];
}

namespace {
SqlFragment RecordFilters(const BzDjFilter& qc) {
  SqlFragment f = Eq("sbzt", qc.sbzt) + Eq("jkzt", qc.jkzt) + Eq("sbjbjgDm", qc.sbjbjgdm) + Eq("jfnd", qc.jfnd);
  if (!qc.sbrqq.empty()) f += SqlFragment::Trusted(FormatSql(" and substr(sbrq, 1, 10) >= '%s' ", {V(qc.sbrqq)}));
  if (!qc.sbrqz.empty()) f += SqlFragment::Trusted(FormatSql(" and substr(sbrq, 1, 10) <= '%s' ", {V(qc.sbrqz)}));
  return f;
}

// The record lines of one of the payer's records: the record must be the payer's.
SqlFragment OwnRecord(const std::string& djxh, int32_t zbid) {
  return SqlFragment::Trusted(
      FormatSql(" and zbid = %d and zbid in (select id from ds_jtbzhsbjlb where djxh = '%s') ", {zbid, V(djxh)}));
}
}  // namespace

std::string RecordsSelect(const std::string& djxh, const BzDjFilter& qc, bool paged) {
  return FormatSql(" select * from ds_jtbzhsbjlb where djxh = '%s' %s  order by rowid desc %s",
                   {V(djxh), RecordFilters(qc), paged ? PagingSuffix(qc.page, qc.pageSize) : SqlFragment()});
}

std::string RecordsCount(const std::string& djxh, const BzDjFilter& qc) {
  return FormatSql(" select count(1) as zs from ds_jtbzhsbjlb where djxh = '%s' %s ", {V(djxh), RecordFilters(qc)});
}

std::string RecordLinesSelect(const std::string& djxh, const BzDjFilter& qc, bool paged) {
  return FormatSql(" select * from ds_jtbzhsbjlmxb where 1 = 1 %s %s %s order by rowid %s",
                   {OwnRecord(djxh, qc.zbid), Like("xm", qc.xm), Like("zjhm", qc.zjhm),
                    paged ? PagingSuffix(qc.page, qc.pageSize) : SqlFragment()});
}

std::string RecordLinesCount(const std::string& djxh, const BzDjFilter& qc) {
  return FormatSql(" select count(1) as zs from ds_jtbzhsbjlmxb where 1 = 1 %s %s %s ",
                   {OwnRecord(djxh, qc.zbid), Like("xm", qc.xm), Like("zjhm", qc.zjhm)});
}

std::string ListEntriesSelect(const std::string& djxh, int32_t zbid) {
  return FormatSql(" select * from ds_jtbzhsbjlqdb where 1 = 1 %s ", {OwnRecord(djxh, zbid)});
}

std::string UnpaidSelect(const std::string& djxh) {
  return FormatSql(" select * from ds_jtbzhsbjlb where djxh = '%s'  and sbzt in ('2', '6') and jkzt not in ('3', '8') ",
                   {V(djxh)});
}

void ApplyVerdict(IDBMechanism& db, int32_t id, const Verdict& v, const Json& rejectedLines) {
  if (v.code == "00000") {
    ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlb set cljgDm = '%s', sbyy = '%s', yjfehj = '%s',  yzpzxh = '%s', "
                              "sbrq = '%s', sbzt = '%s' where id = %d ",
                              {V(v.code), V(v.reason), V(v.yjfehj), V(v.yzpzxh), V(v.sbrq), V(v.sbzt), id}));
  } else {
    // A verdict without acceptance carries no amount, voucher or date: what is stored stays.
    ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlb set cljgDm = '%s', sbyy = '%s', sbzt = '%s' where id = %d ",
                              {V(v.code), V(v.reason), V(v.sbzt), id}));
  }
  for (const Json& e : rejectedLines) {
    ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlmxb set sbjg = 'N', sbyy = '%s' where zbid = %d and jfmxxh = '%s' ",
                              {V(Text(e, "cwxx")), id, V(Text(e, "jfmxxh"))}));
  }
}

std::string DistinctSelect(const char* what, const std::string& djxh, const std::string& filter) {
  const std::string w = what;
  SqlFragment f;
  if (w == "dwbh") {
    f = Eq("sbjbjgDm", filter);
    return FormatSql(" select distinct dwbh from ds_jtbzhcbxxb where djxh = '%s' %s ", {V(djxh), f});
  }
  if (w == "xzlxdm") {
    f = Eq("a.sbjbjgDm", filter);
    return FormatSql(" select distinct b.xzlxdm from ds_jtbzhcbxxb a, ds_jtbzhcbxzb b where djxh = '%s'  and a.id = "
                     "b.zbid %s ",
                     {V(djxh), f});
  }
  f = filter == "Y" ? SqlFragment(" and upper(yxbz) = 'Y' ") : SqlFragment();
  if (w == "sbjbjgDm")
    return FormatSql(" select distinct sbjbjgDm from ds_jtbzhcbxxb where djxh = '%s' %s ", {V(djxh), f});
  if (w == "zgswjgDm")
    return FormatSql(" select distinct zgswjgDm from ds_jtbzhcbxxb where djxh = '%s' %s ", {V(djxh), f});
  return FormatSql(" select distinct zgswksDm from ds_jtbzhcbxxb where djxh = '%s' %s ", {V(djxh), f});
}

}  // namespace velmor::groups
