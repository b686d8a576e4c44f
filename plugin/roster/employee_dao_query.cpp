// TEmployeeDaoImpl: the reads of the roster.
#include <map>

#include <nlohmann/json.hpp>

#include "business/date_time.h"
#include "roster/employee_dao.h"
#include "roster/employee_dao_guard.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_filters.h"

namespace velmor {
namespace {

// Persons with their group's full name, under the table's own name, so that the roster's
// filter fragments (unqualified columns, "sb_ryjbxxb.rydjxh") apply unchanged.
constexpr char kPersonsWithGroup[] =
    "(select a.*, f.fullname from sb_ryjbxxb a left join sb_fzxxb f on a.fzid = f.id) sb_ryjbxxb";

SqlFragment GroupFilter(const SqlFragment& prefix, int32_t fzid) {
  SqlFilters f;
  if (fzid != -1) f.AddQuoted(prefix, "%," + std::to_string(fzid) + ",%");
  return f.Build();
}

SqlFragment ValidityFilter(XmValidity v, const std::string& month, bool byPrefix) {
  const std::string m = month.empty() ? CurrentMonth() : month;
  SqlFilters f;
  if (v == XmValidity::kValid && byPrefix) {
    f.AddValue(" and c.yxbz ='Y' and b.yxbz ='Y' and substr(c.tzjfyf, 1, 7) >= '%s' ", m);
  } else if (v == XmValidity::kValid) {
    f.AddValue(" and c.yxbz ='Y' and b.yxbz ='Y' and c.tzjfyf >= '%s' ", m);
  } else if (v == XmValidity::kInvalid && byPrefix) {
    f.AddValue("  and (c.yxbz='N' or c.yxbz is null or substr(c.tzjfyf, 1, 7) < '%s' ) ", m);
  } else if (v == XmValidity::kInvalid) {
    f.AddValue("  and (c.yxbz='N' or c.yxbz is null or c.tzjfyf < '%s' ) ", m);
  }
  return f.Build();
}

// Persons x enrolments x items, by the filters of getCount_V2 / getData_V2.
PagedSelect CbxmSelect(const std::string& djxh, const CbxmFilter& q, bool byPmlx) {
  SqlFilters f;
  f.AddValue(" and c.xzjddm = '%s'", q.xzjddm)
      .AddValue(" and c.sqhczdm = '%s'", q.sqhczdm)
      .AddValue(" and c.zsxmdm = '%s'", q.zsxmdm)
      .AddValue(" and c.zspmdm = '%s'", q.zspmdm)
      .AddValue(" and c.zszmdm = '%s'", q.zszmdm)
      .AddLike(" and a.xm like ", q.xm)
      .AddValue(" and a.zjlx = '%s'", q.zjlx)
      .AddLike(" and a.zjhm like ", q.zjhm)
      .Add(ValidityFilter(q.validity, q.month, byPmlx));
  if (byPmlx) f.AddValue(" and d.pmlx = '%s'", q.pmlx);
  return PagedSelect(byPmlx ? "select %s from sb_ryjbxxb a, sb_rycbjgxxb b, sb_rycbxmb c, sb_pmlxb d where a.djxh = "
                              "'%s' and b.djxh = a.djxh and b.rydjxh = a.rydjxh and c.djxh = b.djxh and c.rydjxh = "
                              "b.rydjxh and c.sbjbjgdm = b.sbjbjgdm and c.rybh = b.rybh and d.zspmdm = c.zspmdm %s"
                            : "select %s from sb_ryjbxxb a, sb_rycbjgxxb b, sb_rycbxmb c where a.djxh = '%s' and "
                              "b.djxh = a.djxh and b.rydjxh = a.rydjxh and c.djxh = b.djxh and c.rydjxh = b.rydjxh "
                              "and c.sbjbjgdm = b.sbjbjgdm and c.rybh = b.rybh %s",
                     {V(djxh), f.Build()});
}

constexpr char kCbxmColumns[] =
    "a.id, a.rydjxh, a.xm, a.zjlx, a.zjhm, a.phonenumber, a.fzid, a.fullpath, a.ly, a.cbzt, b.sbjbjgdm, b.rybh, "
    "b.sbhm, b.yxbz as cbjgyxbz, c.xzid, c.zsxmdm, c.zspmdm, c.zszmdm, c.xzjddm, c.sqhczdm, c.cbrytslbdm, c.ksjfyf, "
    "c.tzjfyf, c.yxbz, c.pmlx, c.djnd, c.yjfe";

// "xm|zjlx|zjhm=value" lines from a query of xm, zjlx, zjhm and v.
std::string HashLines(IDBDataSet& ds, bool joinValues) {
  std::vector<std::string> order;
  std::map<std::string, std::string> values;
  std::string out;
  for (; !ds.Eof(); ds.Next()) {
    std::string name = FieldText(ds, "xm") + "|" + FieldText(ds, "zjlx") + "|" + FieldText(ds, "zjhm");
    std::string v = FieldText(ds, "v");
    if (!joinValues) {
      out += name + "=" + v + "\n";
      continue;
    }
    auto [it, added] = values.try_emplace(name, v);
    if (added)
      order.push_back(name);
    else
      it->second += "," + v;
  }
  for (const std::string& name : order) out += name + "=" + values[name] + "\n";
  return out;
}

}  // namespace

std::string TEmployeeDaoImpl::getData(const std::string& sql) { return QueryJson("getData", sql); }

std::string TEmployeeDaoImpl::getDataPage(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                          const std::string& zjhm, int32_t page, int32_t pageSize) {
  return Guard<std::string>("getData", LogForm::kBracketed, kQueryException, "[]", [&] {
    SqlFilters f;
    f.AddLike(" and a.xm like ", xm).AddValue(" and a.zjlx = '%s'", zjlx).AddLike(" and a.zjhm like ", zjhm);
    PagedSelect q("select %s from sb_ryjbxxb a, sb_rycbjgxxb b where a.djxh = b.djxh and a.rydjxh = b.rydjxh and "
                  "a.djxh = '%s' %s",
                  {V(djxh), f.Build()});
    Ref<IDBMechanism> db = OpenMainConnection();
    return RowsJson(
        *db, q.Page("a.*, b.sbjbjgdm, b.rybh, b.sbhm, b.yxbz as cbjgyxbz", page, pageSize, " order by a.id, b.id"));
  });
}

int32_t TEmployeeDaoImpl::getRyCount(const std::string& djxh, RyOrigin ly, const std::string& cbzt) {
  return Guard("getRyCount", LogForm::kBracketed, kQueryException, -1, [&] {
    SqlFilters f;
    f.Add(OriginFilter(ly)).AddValue(" and cbzt = '%s'", cbzt);
    Ref<IDBMechanism> db = OpenMainConnection();
    // A person without a registration number (added locally, not yet known to the server) is
    // one person per row; the others once per registration number.
    return QueryCount(*db, FormatSql(" select count(*) as zrs from (select distinct case when ifnull(rydjxh, '') "
                                     "= '' then 'row:' || id else rydjxh end as ryid from sb_ryjbxxb where "
                                     "djxh = '%s' %s ) a ",
                                     {V(djxh), f.Build()}));
  });
}

int32_t TEmployeeDaoImpl::getCountByZsxmdm(const std::string& djxh, const std::string& pmlx, const std::string& month) {
  return Guard("getCountByZsxmdm", LogForm::kBracketed, kQueryException, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql("select count(distinct a.rydjxh) as zs from sb_rycbxmb a, sb_pmlxb b where "
                                     "a.djxh = '%s' and a.zspmdm = b.zspmdm and b.pmlx = '%s' and "
                                     "Upper(a.yxbz) = 'Y' and a.tzjfyf >= '%s'",
                                     {V(djxh), V(pmlx), V(month)}));
  });
}

std::string TEmployeeDaoImpl::getAllCbxmList(const std::string& djxh, const std::string& pmlx) {
  return QueryJson("getAllCbxmList",
                   FormatSql("select distinct a.sbjbjgdm, a.zsxmdm, a.zspmdm, a.zszmdm from sb_rycbxmb a, sb_pmlxb b "
                             "where a.djxh = '%s' and a.zspmdm = b.zspmdm and b.pmlx = '%s' order by 1, 2, 3, 4",
                             {V(djxh), V(pmlx)}));
}

std::string TEmployeeDaoImpl::GetHashList(const std::string& djxh, const std::string& valueColumn) {
  return Guard<std::string>("GetHashList", LogForm::kBracketed, kQueryException, "", [&] {
    static const char* const kColumns[] = {"rydjxh", "id", "phonenumber", "fzid", "fullpath",
                                           "cbzt",   "ly", "djzt",        "hh",   "bzxx"};
    const char* column = nullptr;
    for (const char* c : kColumns)
      if (valueColumn == c) column = c;
    if (!column) throw Exception("无效的字段名：" + valueColumn);
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select xm, zjlx, zjhm, %s as v from sb_ryjbxxb where djxh = '%s' order by id",
                       {SqlFragment::Trusted(column), V(djxh)}));
    return HashLines(*ds, false);
  });
}

std::string TEmployeeDaoImpl::queryRyList(const std::string& djxh, const RyListFilter& q, int32_t page,
                                          int32_t pageSize, int32_t& zs) {
  zs = 0;
  return Guard<std::string>("queryRyList", LogForm::kBracketed, kQueryException, "[]", [&] {
    SqlFilters f;
    f.AddLike(" and xm like ", q.xm)
        .AddValue(" and zjlx = '%s'", q.zjlx)
        .AddLike(" and zjhm like ", q.zjhm)
        .AddLike(" and hh like ", q.hh)
        .Add(GroupFilter(" and fullpath like", q.fzid))
        .Add(OriginFilter(q.ly))
        .AddIf(q.djzt == RyDjzt::kUnregistered, " and djzt = '0' ")
        .AddIf(q.djzt == RyDjzt::kRegistered, " and (djzt = '1' or djzt is null) ")
        .AddValue(" and cbzt = '%s'", q.cbzt)
        .AddValue(" and rydjxh in (select rydjxh from sb_rycbxmb  where sb_rycbxmb.rydjxh = sb_ryjbxxb.rydjxh and "
                  "sb_rycbxmb.djnd = '%s') ",
                  q.djnd);
    PagedSelect select(std::string("select %s from ") + kPersonsWithGroup + " where djxh = '%s' %s",
                       {V(djxh), f.Build()});
    Ref<IDBMechanism> db = OpenMainConnection();
    std::string rows = RowsJson(*db, select.Page(" *", page, pageSize, " order by id desc"));
    zs = QueryCount(*db, select.Count("count(*) as zs"));
    return rows;
  });
}

std::string TEmployeeDaoImpl::getUpdateData(const std::string& djxh, const RyUpdateFilter& q, int32_t page,
                                            int32_t pageSize) {
  return Guard<std::string>("getUpdateData", LogForm::kBracketed, kQueryException, "[]", [&] {
    SqlFilters f;
    if (!q.month.empty())
      f.Add(SqlFragment::Trusted(
          FormatSql(" and c.ksjfyf <= '%0:s' and c.tzjfyf >= '%0:s' ", {V(q.month)})));
    f.AddValue(" and c.pmlx = '%s'", q.pmlx)
        .Add(GroupFilter(" and sb_ryjbxxb.fullpath like", q.fzid))
        .Add(OriginFilter(q.ly))
        .AddValue(" and sb_ryjbxxb.cbzt = '%s'", q.cbzt)
        .AddValue(" and c.djnd = '%s'", q.djnd);
    PagedSelect select(std::string("select %s from ") + kPersonsWithGroup +
                           ", sb_rycbjgxxb b, sb_rycbxmb c where sb_ryjbxxb.djxh = '%s' and b.djxh = sb_ryjbxxb.djxh "
                           "and b.rydjxh = sb_ryjbxxb.rydjxh and c.djxh = b.djxh and c.rydjxh = b.rydjxh and "
                           "c.sbjbjgdm = b.sbjbjgdm and c.rybh = b.rybh %s",
                       {V(djxh), f.Build()});
    Ref<IDBMechanism> db = OpenMainConnection();
    // Read row by row from the engine: the declaration's listing at 100,000 persons is 200,000 rows.
    return RowsJson(
        *db, select.Page("sb_ryjbxxb.*, b.sbjbjgdm, b.rybh, b.sbhm, b.yxbz as cbjgyxbz, c.xzid, c.zsxmdm, c.zspmdm, "
                         "c.zszmdm, c.xzjddm, c.sqhczdm, c.ksjfyf, c.tzjfyf, c.yxbz as xmyxbz, c.pmlx, c.djnd, c.yjfe",
                         page, pageSize, " order by sb_ryjbxxb.id desc, c.xzid"));
  });
}

std::string TEmployeeDaoImpl::getCbxzData(const std::string& djxh) {
  return QueryJson("getCbxzData", FormatSql("select distinct sbjbjgdm, zsxmdm, zspmdm, zszmdm from sb_rycbxmb where "
                                            "djxh = '%s' order by 1, 2, 3, 4",
                                            {V(djxh)}));
}

std::string TEmployeeDaoImpl::getXzdj_SqczData(const std::string& djxh) {
  return QueryJson("getXzdj_SqczData",
                   FormatSql("select distinct xzjddm, sqhczdm from sb_rycbxmb where djxh = '%s' order by 1, 2", {V(djxh)}));
}

int32_t TEmployeeDaoImpl::getCount_V2(const std::string& djxh, const CbxmFilter& filter) {
  return Guard("getCount_V2", LogForm::kBracketed, kQueryException, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, CbxmSelect(djxh, filter, false).Count());
  });
}

std::string TEmployeeDaoImpl::getData_V2(const std::string& djxh, const CbxmFilter& filter, int32_t page,
                                         int32_t pageSize) {
  return Guard<std::string>("getData_V2", LogForm::kBracketed, kQueryException, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return RowsJson(*db, CbxmSelect(djxh, filter, false).Page(kCbxmColumns, page, pageSize, " order by a.id, c.xzid"));
  });
}

int32_t TEmployeeDaoImpl::getCount_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter) {
  return Guard("getCount_V2", LogForm::kBracketed, kQueryException, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, CbxmSelect(djxh, filter, true).Count());
  });
}

std::string TEmployeeDaoImpl::getData_V2ByPmlx(const std::string& djxh, const CbxmFilter& filter, int32_t page,
                                               int32_t pageSize) {
  return Guard<std::string>("getData_V2", LogForm::kBracketed, kQueryException, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return RowsJson(*db, CbxmSelect(djxh, filter, true).Page(kCbxmColumns, page, pageSize, " order by a.id, c.xzid"));
  });
}

std::string TEmployeeDaoImpl::getDataBy5Elements(const std::string& djxh, const std::string& xm,
                                                 const std::string& zjlx, const std::string& zjhm,
                                                 const std::string& zsxmdm, const std::string& zspmdm) {
  return QueryJson("getDataBy5Elements",
                   FormatSql("select a.id, a.rydjxh, a.xm, a.zjlx, a.zjhm, c.sbjbjgdm, c.rybh, c.xzid, c.zsxmdm, "
                             "c.zspmdm, c.zszmdm, c.ksjfyf, c.tzjfyf, c.yxbz, c.pmlx, c.djnd from sb_ryjbxxb a, "
                             "sb_rycbxmb c where a.djxh = '%s' and a.xm = '%s' and a.zjlx = '%s' and a.zjhm = '%s' and "
                             "c.djxh = a.djxh and c.rydjxh = a.rydjxh and c.zsxmdm = '%s' and c.zspmdm = '%s' order "
                             "by c.xzid",
                             {V(djxh), V(xm), V(zjlx), V(zjhm), V(zsxmdm), V(zspmdm)}));
}

std::string TEmployeeDaoImpl::getSbjbjgList(const std::string& djxh) {
  return QueryJson("getSbjbjgList", FormatSql("select distinct sbjbjgdm from sb_rycbxmb where djxh = '%s' and "
                                              "ifnull(sbjbjgdm, '') <> '' order by sbjbjgdm",
                                              {V(djxh)}));
}

std::string TEmployeeDaoImpl::getHashRyData(const std::string& djxh, const std::string& cbzt) {
  return QueryJson("getHashRyData",
                   FormatSql("select xm, zjlx, zjhm, rydjxh from sb_ryjbxxb where djxh = '%s' and cbzt = '%s' order by id",
                             {V(djxh), V(cbzt)}));
}

std::string TEmployeeDaoImpl::getHashRyXzData(const std::string& djxh) {
  return QueryJson("getHashRyXzData",
                   FormatSql("select a.rydjxh, a.rybh, a.sbjbjgdm, a.xzid, a.zsxmdm, a.zspmdm, a.zszmdm, a.ksjfyf, "
                             "a.tzjfyf from sb_rycbxmb a, sb_rycbjgxxb b where a.djxh = '%s' and b.djxh = a.djxh and "
                             "b.rydjxh = a.rydjxh and b.sbjbjgdm = a.sbjbjgdm and b.rybh = a.rybh and a.yxbz = 'Y' and "
                             "b.yxbz = 'Y' and ifnull(a.rybh, '') <> '' order by a.rydjxh, a.xzid",
                             {V(djxh)}));
}

std::string TEmployeeDaoImpl::getHashRyXzDataEx(const std::string& djxh, const std::string& month) {
  return QueryJson("getHashRyXzDataEx",
                   FormatSql("select p.xm, p.zjlx, p.zjhm, a.rydjxh, a.rybh, a.sbjbjgdm, a.xzid, a.zsxmdm, a.zspmdm, "
                             "a.zszmdm, a.ksjfyf, a.tzjfyf from sb_rycbxmb a, sb_rycbjgxxb b, sb_ryjbxxb p where "
                             "a.djxh = '%s' and b.djxh = a.djxh and b.rydjxh = a.rydjxh and b.sbjbjgdm = a.sbjbjgdm "
                             "and b.rybh = a.rybh and p.djxh = a.djxh and p.rydjxh = a.rydjxh and a.yxbz = 'Y' and "
                             "b.yxbz = 'Y' and ifnull(a.rybh, '') <> '' and a.tzjfyf >= '%s' order by a.rydjxh, a.xzid",
                             {V(djxh), V(month)}));
}

std::string TEmployeeDaoImpl::getCountByPmlx(const std::string& djxh, const std::string& month) {
  return Guard<std::string>("getCountByZsxmdm", LogForm::kBracketed, kQueryException, "{}", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select b.pmlx, count(distinct a.rydjxh) as zs from sb_rycbxmb a, sb_pmlxb b where a.djxh = "
                       "'%s' and a.zspmdm = b.zspmdm and Upper(a.yxbz) = 'Y' and a.tzjfyf >= '%s' group "
                       "by b.pmlx order by b.pmlx",
                       {V(djxh), V(month)}));
    nlohmann::ordered_json counts = {{"00", 0}, {"01", 0}};
    for (; !ds->Eof(); ds->Next()) counts[FieldText(*ds, "pmlx")] = FieldInt(*ds, "zs");
    return JsonText(counts);
  });
}

std::string TEmployeeDaoImpl::getXzidLis(const std::string& djxh, const std::string& month) {
  return Guard<std::string>("getXzidLis", LogForm::kBracketed, kQueryException, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select distinct xzid from sb_rycbxmb where djxh = '%0:s' and Upper(yxbz) = 'Y' "
                       "and ksjfyf <= '%1:s' and tzjfyf >= '%1:s' order by xzid",
                       {V(djxh), V(month)}));
    nlohmann::ordered_json ids = nlohmann::ordered_json::array();
    for (; !ds->Eof(); ds->Next()) ids.push_back(FieldText(*ds, "xzid"));
    return JsonText(ids);
  });
}

std::string TEmployeeDaoImpl::getXzidLisByMonth(const std::string& djxh, const std::string& month) {
  return Guard<std::string>("getXzidLis", LogForm::kBracketed, kQueryException, "[]", [&] {
    const std::string m = month.substr(0, 7);
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select distinct b.xzid from sb_rycbxmb b where b.djxh = '%0:s' and Upper(b.yxbz) = "
                       "'Y' and substr(b.ksjfyf,1,7) <= '%1:s' and substr(b.tzjfyf,1,7) >= '%1:s' order by "
                       "b.xzid",
                       {V(djxh), V(m)}));
    nlohmann::ordered_json ids = nlohmann::ordered_json::array();
    for (; !ds->Eof(); ds->Next()) ids.push_back(FieldText(*ds, "xzid"));
    return JsonText(ids);
  });
}

int32_t TEmployeeDaoImpl::getRyCountBy4Elements(const std::string& djxh, const std::string& xm,
                                                const std::string& zjlx, const std::string& zjhm, RyOrigin ly) {
  return Guard("getRyCountBy4Elements", LogForm::kBracketed, kQueryException, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(" select count(1) as zs from sb_ryjbxxb where djxh = '%s' and xm = '%s' and zjlx "
                                     "= '%s' and zjhm = '%s' %s ",
                                     {V(djxh), V(xm), V(zjlx), V(zjhm), OriginFilter(ly)}));
  });
}

std::string TEmployeeDaoImpl::getRy3ElementHashData(const std::string& djxh, RyOrigin ly) {
  return Guard<std::string>("getRy3ElementHashData", LogForm::kBracketed, kQueryException, "", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select xm, zjlx, zjhm, id as v from sb_ryjbxxb where djxh = '%s' %s order by id",
                       {V(djxh), OriginFilter(ly)}));
    return HashLines(*ds, true);
  });
}

std::string TEmployeeDaoImpl::GetRyjfztData(const std::string& djxh, const RyjfztFilter& q, int32_t page,
                                            int32_t pageSize, int32_t& zs) {
  zs = 0;
  return Guard<std::string>("GetRyjfztData", LogForm::kBracketed, kQueryException, "[]", [&] {
    SqlFilters f;
    f.AddValue(" and z.jfnd = '%s'", q.jfnd)
        .AddValue(" and z.zspmdm = '%s'", q.zspmdm)
        .AddValue(" and z.xzjddm = '%s'", q.xzjddm)
        .AddValue(" and z.sqczdm = '%s'", q.sqczdm)
        .AddValue(" and z.jfzt = '%s'", q.jfzt)
        .AddLike(" and sb_ryjbxxb.xm like ", q.xm)
        .AddValue(" and sb_ryjbxxb.zjlx = '%s'", q.zjlx)
        .AddLike(" and sb_ryjbxxb.zjhm like ", q.zjhm)
        .Add(GroupFilter(" and sb_ryjbxxb.fullpath like", q.fzid));
    PagedSelect select(std::string("select %s from ds_ryjfztb z left join ") + kPersonsWithGroup +
                           " on sb_ryjbxxb.djxh = z.djxh and sb_ryjbxxb.rydjxh = z.rydjxh where z.djxh = '%s' %s",
                       {V(djxh), f.Build()});
    Ref<IDBMechanism> db = OpenMainConnection();
    std::string rows =
        RowsJson(*db, select.Page("z.*, sb_ryjbxxb.xm, sb_ryjbxxb.zjlx, sb_ryjbxxb.zjhm, sb_ryjbxxb.phonenumber, "
                                  "sb_ryjbxxb.fullname",
                                  page, pageSize, " order by z.rydjxh, z.xzid"));
    zs = QueryCount(*db, select.Count());
    return rows;
  });
}

std::string TEmployeeDaoImpl::checkRyExist(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                           const std::string& zjhm, bool byNumberLike) {
  SqlFilters f;
  if (byNumberLike) {
    f.AddLike(" and zjhm like ", zjhm);
  } else {
    f.Add(SqlFragment::Trusted(FormatSql(" and xm = '%s' and zjlx = '%s' and zjhm = '%s' ", {V(xm), V(zjlx), V(zjhm)})));
  }
  return QueryJson("checkRyExist",
                   FormatSql("select * from sb_ryjbxxb where djxh = '%s' and (djzt = '1' or djzt is null or djzt = "
                             "'') %s order by id",
                             {V(djxh), f.Build()}));
}

}  // namespace velmor
