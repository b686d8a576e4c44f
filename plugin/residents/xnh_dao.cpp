#include "residents/xnh_dao.h"

#include <nlohmann/json.hpp>

#include "framework/log.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "residents/xnh_dao_guard.h"
#include "store/json_text.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

SqlFragment Eq(const char* head, const std::string& value) {
  return value.empty() ? SqlFragment() : SqlFragment::Trusted(head + QuotedStr(value));
}

// The marks' parts joined: "5" reads the units, "8" and "9" the group accounts (each once).
std::vector<std::string> DistinctMarks(const std::vector<std::string>& marks) {
  std::vector<std::string> out;
  bool unit = false, group = false;
  for (const auto& m : marks) {
    if (m == kJfrlxUnit && !unit) {
      unit = true;
      out.push_back(m);
    } else if ((m == "8" || m == "9") && !group) {
      group = true;
      out.push_back(m);
    }
  }
  return out;
}

}  // namespace

std::string TXnhDAO::Rows(std::string_view op, const std::string& sql, const char* failText) {
  return Guard<std::string>(op, failText, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return RowsJson(*db, sql, {}, failText);
  });
}

std::string TXnhDAO::Column(std::string_view op, const std::string& sql, const char* failText) {
  return Guard<std::string>(op, failText, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(*db, sql, failText);
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    Ref<IDBField> f = ds->Fields() ? ds->Fields()->FieldByIndex(0) : Ref<IDBField>();
    for (; f && !ds->Eof(); ds->Next()) out.push_back(f->AsString());
    return JsonText(out);
  });
}

int32_t TXnhDAO::Count(std::string_view op, const std::string& sql) {
  return Guard<int32_t>(op, kDbQueryFailed, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, sql);
  });
}

bool TXnhDAO::HasXnhDjxx(const std::string& djxh) {
  return Count("HasXnhDjxx", FormatSql("select count(1) from (select 1 from sb_xnhjbxxb where djxh = '%s' limit 1)",
                                       {V(djxh)})) > 0;
}

std::string TXnhDAO::GetXnhJbxx(const std::string& djxh) {
  return Rows("GetXnhJbxx", FormatSql("select * from sb_xnhjbxxb where djxh = '%s' order by id", {V(djxh)}));
}

std::string TXnhDAO::getZgswksDmLb(const std::string& djxh) {
  return Rows("getZgswksDmLb", FormatSql("select DISTINCT zgswksDm, zgswksMc from sb_xnhjbxxb where djxh='%s'", {V(djxh)}));
}

std::string TXnhDAO::getSqhczData(const std::string& djxh, const std::string& xzjddm) {
  SqlFragment street = xzjddm.empty() ? SqlFragment() : SqlFragment::Trusted(FormatSql(" and xzjddm = '%s' ", {V(xzjddm)}));
  return Column("getSqhczData",
                FormatSql(" select distinct(sqhczdm) from sb_xnhcbxmb where djxh = '%s' and not (sqhczdm = '' or "
                          "sqhczdm is null) %s ",
                          {V(djxh), street}));
}

std::string TXnhDAO::getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page, int32_t pageSize) {
  SqlFragment extra = Eq(" and a.sbjbjgdm = ", sbjbjgdm);
  if (page > 0 && pageSize > 0)
    extra += SqlFragment::Trusted(FormatSql(" LIMIT %d, %d", {(page - 1) * pageSize, pageSize}));
  return Rows("getCbxxData", FormatSql(" select a.*, b.*, zb.flbsdm from sb_xnhjbxxb zb, sb_xnhcbjgxxb a, sb_xnhcbxmb b "
                                       " where a.djxh = '%s' and a.yxbz = 'Y' and a.id = b.zbid and a.zbid = zb.id %s ",
                                       {V(djxh), extra}));
}

std::string TXnhDAO::GetSwjgList(const std::string& djxh) {
  return Column("GetSwjgList",
                FormatSql("SELECT distinct swjgdm FROM sb_xnhcbjgxxb WHERE djxh = '%s' and upper(yxbz) = 'Y'", {V(djxh)}));
}

std::string TXnhDAO::GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) {
  return Column("GetXzjdData",
                FormatSql("select distinct xzjddm from sb_xnhcbxmb where djxh=%s and not (xzjddm = '' or xzjddm is null) "
                          "and sbjbjgdm = '%s' ",
                          {Q(djxh), V(sbjbjgdm)}),
                kXnhXzjdFailed);
}

namespace {
constexpr const char* kItemJoin =
    "select  distinct %s from sb_xnhcbjgxxb a left JOIN sb_xnhcbxmb b on a.djxh = b.djxh and a.sbjbjgdm = "
    "b.sbjbjgdm and a.dwbh = b.dwbh where a.djxh =%s and Upper(a.yxbz)='Y'  and a.sbjbjgdm=%s%s";
}

std::string TXnhDAO::GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) {
  return Column("GetZsxmDmList", FormatSql(kItemJoin, {SqlFragment("zsxmdm"), Q(djxh), Q(sbjbjgdm), SqlFragment()}));
}

std::string TXnhDAO::GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm) {
  SqlFragment f = SqlFragment::Trusted(" and b.zsxmdm=" + QuotedStr(zsxmdm));
  return Column("GetZspmDmList", FormatSql(kItemJoin, {SqlFragment("zspmdm"), Q(djxh), Q(sbjbjgdm), f}));
}

std::string TXnhDAO::GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                                   const std::string& zspmdm) {
  SqlFragment f = SqlFragment::Trusted(" and b.zsxmdm=" + QuotedStr(zsxmdm) + " and b.zspmdm=" + QuotedStr(zspmdm) +
                                       " and not (b.zszmdm = '' or b.zszmdm is null)");
  return Column("GetZszmDmList", FormatSql(kItemJoin, {SqlFragment("zszmdm"), Q(djxh), Q(sbjbjgdm), f}));
}

bool TXnhDAO::getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) {
  return Guard(std::string_view("getZjms"), kDbQueryFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const char* base = " select count(*) as itemCount from sb_xnhcbxmb where djxh = '%s' %s";
    total = QueryCount(*db, FormatSql(base, {V(djxh), SqlFragment()}));
    mode01 = QueryCount(*db, FormatSql(base, {V(djxh), SqlFragment(" and zjms = '01' ")}));
    mode02 = QueryCount(*db, FormatSql(base, {V(djxh), SqlFragment(" and zjms = '02' ")}));
    return true;
  });
}

std::string TXnhDAO::GetSbjbjgList(const std::string& djxh, const std::string& dwbh) {
  return Column("GetSwjgList", FormatSql(" select distinct sbjbjgdm from sb_xnhcbjgxxb WHERE djxh = '%s' and yxbz = 'Y' %s",
                                         {V(djxh), Eq(" and dwbh = ", dwbh)}));
}

std::string TXnhDAO::getXzjdZspm(const std::string& djxh) {
  return Rows("getXzjdZspm", FormatSql(" select distinct xzjddm, zspmdm from sb_xnhcbxmb where djxh = '%s' ", {V(djxh)}));
}

std::string TXnhDAO::GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) {
  return Column("GetDwbhList",
                FormatSql("select dwbh from sb_xnhcbjgxxb where djxh=%s and upper(yxbz) = '%s'  and sbjbjgdm = '%s' ",
                          {Q(djxh), V(yxbz), V(sbjbjgdm)}),
                kXnhDwbhFailed);
}

std::string TXnhDAO::GetSbjbjgText(const std::string& djxh) {
  nlohmann::json list = ParseOutsideJson<nlohmann::json>(GetSbjbjgList(djxh, ""), false);
  std::string text;
  if (!list.is_array()) return text;
  for (const auto& v : list) {
    if (!text.empty()) text += "\r\n";
    text += v.get<std::string>();
  }
  return text;
}

std::string TXnhDAO::getYxCbxx(const std::string& djxh, const std::string& month) {
  return Rows("getYxCbxx",
              FormatSql(" select * from sb_xnhcbjgxxb a, sb_xnhcbxmb b where a.djxh = '%s'  and a.djxh = b.djxh and "
                        "a.sbjbjgdm = b.sbjbjgdm and a.dwbh = b.dwbh and ifnull(a.yxbz, 'Y') = 'Y'  and "
                        "ifnull(nullif(b.tzjfyf, ''), '9999-12') >= '%s' ",
                        {V(djxh), V(month)}));
}

std::string TXnhDAO::getJtbzhSwjgDmList(const std::string& djxh) {
  return Column("getJtbzhSwjgDmList",
                FormatSql("select distinct zgswjgDm from ds_jtbzhcbxxb where djxh = %s and upper(yxbz) = 'Y'", {Q(djxh)}));
}

std::string TXnhDAO::getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                       const std::string& dwbh, const std::string& sbjbjgdm) {
  return Guard<std::string>("getAllJfrZsxmList", kDbQueryFailed, "[]", [&] {
    std::string sql;
    for (const auto& m : DistinctMarks(marks)) {
      if (!sql.empty()) sql += " union ";
      if (m == kJfrlxUnit) {
        SqlFragment f = Eq(" and a.dwbh = ", dwbh) + Eq(" and a.sbjbjgdm = ", sbjbjgdm);
        sql += FormatSql("select distinct b.zsxmdm from sb_xnhcbjgxxb a, sb_xnhcbxmb b where a.djxh = %s  and a.djxh = "
                         "b.djxh and a.sbjbjgdm = b.sbjbjgdm and a.dwbh = b.dwbh and upper(a.yxbz) = 'Y' %s ",
                         {Q(djxh), f});
      } else {
        SqlFragment f = Eq(" and a.dwbh = ", dwbh);
        sql += FormatSql("select distinct b.zsxmdm  from ds_jtbzhcbxxb a, ds_jtbzhcbxzb b  where a.djxh = %s and a.id = "
                         "b.zbid and upper(a.yxbz) = 'Y' %s ",
                         {Q(djxh), f});
      }
    }
    if (sql.empty()) return std::string("[]");
    LogTextFmt("费款缴纳查询征收项目：%s", {Variant(sql)});
    return Column("getAllJfrZsxmList", sql);
  });
}

std::string TXnhDAO::getSbjbjgDwbhList(const std::string& djxh) {
  return Rows("getSbjbjgDwbhList",
              FormatSql(" select distinct sbjbjgdm, dwbh from sb_xnhcbjgxxb where djxh = '%s' and upper(yxbz) = 'Y' ",
                        {V(djxh)}));
}

std::string TXnhDAO::getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                                    const std::string& yxbz) {
  std::string sql;
  SqlFragment flag = Eq(" and yxbz = ", yxbz);
  for (const auto& m : DistinctMarks(marks)) {
    if (!sql.empty()) sql += " union all ";
    sql += m == kJfrlxUnit ? FormatSql("select dwbh as dm, 5 as jfrlx from sb_xnhcbjgxxb where djxh = %s %s", {Q(djxh), flag})
                           : FormatSql("select dwbh as dm, jfrlx from ds_jtbzhcbxxb where djxh = %s %s ", {Q(djxh), flag});
  }
  if (sql.empty()) return "[]";
  return Rows("getAllDwbhList", sql);
}

std::string TXnhDAO::getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) {
  if (units.empty()) return "[]";
  std::string in;
  for (const auto& u : units) in += (in.empty() ? "" : ", ") + QuotedStr(u);
  return Rows("getJtbzhZspmZszmList",
              FormatSql("select distinct xz.zsxmDm, xz.zspmDm, xz.zszmDm from ds_jtbzhcbxxb cbxx, ds_jtbzhcbxzb xz where "
                        "cbxx.id = xz.zbid and cbxx.djxh = %s and cbxx.dwbh in (%s)",
                        {Q(djxh), SqlFragment::Trusted(in)}));
}

std::string TXnhDAO::queryXnhCbxx(const std::string& djxh, const XnhCbxxFilter& q) {
  SqlFragment f = Eq(" and a.swjgdm = ", q.swjgdm) + Eq(" and c.sbjbjgdm = ", q.sbjbjgdm) +
                  Eq(" and c.xzjddm = ", q.xzjddm);
  if (q.sqhczdmGiven) f += SqlFragment::Trusted(" and ifnull(c.sqhczdm, '') = " + QuotedStr(q.sqhczdm));
  f += Eq(" and c.zsxmdm = ", q.zsxmdm) + Eq(" and c.zspmdm = ", q.zspmdm) + Eq(" and c.zszmdm = ", q.zszmdm);
  return Rows("queryXnhCbxxItems",
              FormatSql(" select distinct a.swjgdm, c.sbjbjgdm, c.dwbh, c.xzjddm, c.sqhczdm,  c.zsxmdm, c.zspmdm, c.zszmdm "
                        " from sb_xnhjbxxb a, sb_xnhcbjgxxb b, sb_xnhcbxmb c  where a.djxh = '%s' and a.id = b.zbid and "
                        "b.id = c.zbid  and upper(b.yxbz)= 'Y' %s ",
                        {V(djxh), f}));
}

std::vector<std::string> TXnhDAO::GetXzlxList(const std::string& djxh) {
  std::string text = Column("GetXzlxList",
                            FormatSql("select distinct b.xzlxDm from sb_xnhcbjgxxb a, sb_xnhcbxmb b where a.djxh = '%s' "
                                      "and a.id = b.zbid and upper(a.yxbz) = 'Y' and ifnull(b.xzlxDm, '') <> '' "
                                      "order by b.xzlxDm",
                                      {V(djxh)}));
  std::vector<std::string> out;
  nlohmann::json list = ParseOutsideJson<nlohmann::json>(text, false);
  if (list.is_array())
    for (const auto& v : list) out.push_back(v.get<std::string>());
  return out;
}

int32_t TXnhDAO::CountGlbz(const std::string& djxh) {
  return Count("isYjgl", FormatSql(" select count(1) as zs from sb_xnhjbxxb where glbz = '1' and djxh = '%s' ", {V(djxh)}));
}

int32_t TXnhDAO::CountYbgzdj(const std::string& djxh) {
  return Count("isYbgzdjXnh",
               FormatSql(" select count(1) as zs from sb_xnhjbxxb where flbsdm = '0107' and djxh = '%s' ", {V(djxh)}));
}

std::string TXnhDAO::getAllCbxm(const std::string& djxh) {
  return Rows("getAllCbxm", FormatSql(" select * from sb_xnhcbxmb where djxh = '%s' ", {V(djxh)}));
}

namespace {
void RegisterXnhDao() { RegisterServiceClass(ServiceRowAt(kRowTXnhDAO).iid, &ClassOf<TXnhDAO>::Instance()); }
void UnregisterXnhDao() { UnregisterServiceClass(ServiceRowAt(kRowTXnhDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(5, velmor::RegisterXnhDao, velmor::UnregisterXnhDao)
