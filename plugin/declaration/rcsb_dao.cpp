// TRcsbDAO: state updates, queries and registration of the class. The saves are in
// rcsb_dao_save.cpp, the downloaded lists in rcsb_dao_list_save.cpp.
#include "declaration/rcsb_dao.h"

#include "business/date_time.h"
#include "declaration/dao_support.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql.h"
#include "store/sql_filters.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kExecFailed = "数据库执行失败";
constexpr const char* kQueryFailedText = "数据库查询失败";
constexpr const char* kExecException = "数据库执行异常";
constexpr const char* kQueryExceptionText = "数据库查询异常";

// The declared states: 2 (declared) and 6.
bool IsDeclared(int32_t sbzt) { return sbzt == 2 || sbzt == 6; }
constexpr int32_t kJkztNothingToPay = 8;
constexpr int32_t kJkztPaid = 3;

PagedSelect SbzbSelect(const Json& f) {
  const std::string djxh = Text(f, "djxh");
  if (djxh.empty()) throw StoreError(kQueryFailedText, "：缺少djxh");
  SqlFilters states;
  if (!Text(f, "sbzt").empty()) {
    states.Add(SqlFragment::Trusted("AND sbzt in(" + StateList(Text(f, "sbzt"), kQueryFailedText) + ") "));
  }
  SqlFilters dates;
  dates.AddValue("AND substr(sbsj, 1, 10) >= '%s' ", Text(f, "sbrqq"));
  dates.AddValue("AND substr(sbsj, 1, 10) <= '%s' ", Text(f, "sbrqz"));
  SqlFilters keys;
  keys.AddQuoted("AND yzpzxh = ", Text(f, "yzpzxh"));
  if (!Text(f, "id").empty()) keys.AddNumber(true, " AND id = %d ", Int(f, "id"));
  return PagedSelect("SELECT %s FROM ds_sbzb WHERE djxh = %s %s %s %s ",
                     {Q(djxh), states.Build(), dates.Build(), keys.Build()});
}

PagedSelect JfrydjxxSelect(const Json& f) {
  const std::string djxh = Text(f, "djxh");
  if (djxh.empty()) throw StoreError(kQueryFailedText, "：缺少djxh");
  SqlFilters a;
  a.AddQuoted(" and rydjxh = ", Text(f, "rydjxh"))
      .AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx = ", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and sbjbjgdm = ", Text(f, "sbjbjgdm"))
      .AddQuoted(" and rybh = ", Text(f, "rybh"));
  SqlFilters b;
  b.AddQuoted(" and jfnd = ", Text(f, "jfnd"))
      .AddQuoted(" and xz_xzjddm = ", Text(f, "xz_xzjddm"))
      .AddQuoted(" and xz_sqhczdm = ", Text(f, "xz_sqhczdm"));
  SqlFilters c;
  c.AddQuoted(" and zsxmdm = ", Text(f, "zsxmdm"))
      .AddQuoted(" and zspmdm = ", Text(f, "zspmdm"))
      .AddQuoted(" and zszmdm = ", Text(f, "zszmdm"))
      .AddQuoted(" and xzlxdm = ", Text(f, "xzlxdm"));
  return PagedSelect("SELECT %s FROM ds_sbjfrydjxxb WHERE djxh = '%s' %s %s %s ",
                     {V(djxh), a.Build(), b.Build(), c.Build()});
}

PagedSelect SbrymxSelect(int32_t mxbid, const std::string& zspmdm, int32_t jyzt) {
  SqlFilters f;
  f.AddQuoted(" and ryb.zspmdm = ", zspmdm).AddNumber(jyzt == 0 || jyzt == 1, " and ryb.jyzt = %d ", jyzt);
  return PagedSelect(
      "select %s from ds_sbrymxb ryb inner join ds_sbzb zb on zb.id = ryb.mxbid where ryb.mxbid = %d %s ",
      {mxbid, f.Build()});
}
}  // namespace

bool TRcsbDAO::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) {
  return GuardDao("UpdateJkzt", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("UPDATE ds_sbzb SET jkzt=%d where djxh=%s and yzpzxh=%s", {jkzt, Q(djxh), Q(yzpzxh)}),
                kExecFailed);
    return true;
  });
}

bool TRcsbDAO::UpdateSbzt(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& zfsj) {
  return GuardDao("UpdateSbzt", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("UPDATE ds_sbzb set sbzt=%d, sbyy=%s, zfsj=%s WHERE ID=%d", {sbzt, Q(sbyy), Q(zfsj), id}),
                kExecFailed);
    if (IsDeclared(sbzt)) {
      // Nothing to pay on a declared master of total 0; a failure here leaves the state set.
      db->ExecSQL(FormatSql("UPDATE ds_sbzb set jkzt=%d WHERE ID=%d and zje=0", {kJkztNothingToPay, id}));
    }
    return true;
  });
}

bool TRcsbDAO::UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) {
  bool ok = UpdateSbzt(id, sbzt, sbyy, NowText());
  return ok;
}

bool TRcsbDAO::UpdateZfFk(int32_t id, const std::string& sbyy) {
  constexpr int32_t kSbztVoided = 5;
  return UpdateSbzt(id, kSbztVoided, sbyy, NowText());
}

bool TRcsbDAO::GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) {
  return GuardDao("GetSbmxData", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    std::string sql = FormatSql("select * from ds_sbmxb where zbid=%d", {id});
    if (!zspmdm.empty()) sql += FormatSql(" and zspmdm = %s", {Q(zspmdm)});
    rows = JsonText(Rows(*db, sql + " order by id", kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetExistsJfndLb(const std::string& djxh, std::string& years) {
  return GuardDao("GetExistsJfndLb", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    years = JsonText(FirstColumn(
        *db,
        FormatSql("SELECT DISTINCT jfnd FROM ds_sbmxb A INNER JOIN ds_sbzb B ON A.zbid=B.ID  WHERE djxh='%s' order by jfnd",
                  {V(djxh)}),
        kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::DelJfrydjxx(int32_t id) {
  return GuardDao("DelJfrydjxx", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("DELETE FROM ds_sbjfrydjxxb WHERE id=%d", {id}), kExecFailed);
    return true;
  });
}

bool TRcsbDAO::GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) {
  return GuardDao("GetSbzbData", &ErrorMessage, kQueryExceptionText, false, [&] {
    PagedSelect select = SbzbSelect(ParseObject(filter, kQueryFailedText));
    Ref<IDBMechanism> db = OpenMainConnection();
    // id breaks ties of declarations made within the same second.
    rows = JsonText(Rows(*db, select.Page("*", page, pageSize, " ORDER BY sbsj DESC, id DESC ", true), kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetSbzbCount(const std::string& filter, int32_t& count) {
  return GuardDao("GetSbzbCount", &ErrorMessage, kQueryExceptionText, false, [&] {
    PagedSelect select = SbzbSelect(ParseObject(filter, kQueryFailedText));
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, select.Count(), kQueryFailedText);
    return true;
  });
}

bool TRcsbDAO::GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                            std::string& stats) {
  return GuardDao("GetStatsData", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    std::string sql = FormatSql(
        "select count(*) as zs, ifnull(sum(jfje), 0) as zje from sb_sbjfrydjxxb where djxh = '%s' and pmlx = '%s' "
        "and sbzt in (%s)",
        {V(djxh), V(pmlx), SqlFragment::Trusted(StateList(states, kQueryFailedText))});
    Json rows = Rows(*db, sql, kQueryFailedText);
    stats = JsonText(rows.empty() ? Json::object() : rows.front());
    return true;
  });
}

bool TRcsbDAO::GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) {
  return GuardDao("GetWjkDataLb", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    vouchers = JsonText(FirstColumn(
        *db,
        FormatSql("SELECT yzpzxh FROM ds_sbzb WHERE djxh = %s AND sbzt in(%s) and jkzt <> %d and jkzt <> %d",
                  {Q(djxh), SqlFragment::Trusted(StateList(states, kQueryFailedText)), kJkztPaid, kJkztNothingToPay}),
        kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) {
  return GuardDao("GetJfrydjxxData", &ErrorMessage, kQueryExceptionText, false, [&] {
    PagedSelect select = JfrydjxxSelect(ParseObject(filter, kQueryFailedText));
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db, select.Page("*", page, pageSize, "ORDER BY id DESC", true), kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetJfrydjxxCount(const std::string& filter, int32_t& count) {
  return GuardDao("GetJfrydjxxCount", &ErrorMessage, kQueryExceptionText, false, [&] {
    PagedSelect select = JfrydjxxSelect(ParseObject(filter, kQueryFailedText));
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, select.Count(), kQueryFailedText);
    return true;
  });
}

bool TRcsbDAO::GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) {
  return GuardDao("GetDtjJfndLb", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    years = JsonText(FirstColumn(
        *db,
        FormatSql("SELECT DISTINCT jfnd FROM sb_sbjfrydjxxb WHERE djxh = '%s' AND pmlx = '%s' AND sbzt in (%d, %d, %d)"
                  " order by jfnd",
                  {V(djxh), V(pmlx), 0, 1, 3}),
        kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                           std::string& rows) {
  return GuardDao("GetSbrymxLb", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db,
                         SbrymxSelect(mxbid, zspmdm, jyzt)
                             .Page("ryb.*, (select mxb.sjly from ds_sbmxb mxb where mxb.zbid = ryb.mxbid and "
                                   "mxb.zspmdm = ryb.zspmdm order by mxb.id limit 1) as sjly",
                                   page, pageSize, " order by ryb.id ", true),
                         kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) {
  return GuardDao("GetSbrymxCount", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, SbrymxSelect(mxbid, zspmdm, jyzt).Count(), kQueryFailedText);
    return true;
  });
}

bool TRcsbDAO::GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) {
  return GetSbrymxLb(mxbid, "", -1, page, pageSize, rows);
}

bool TRcsbDAO::GetSbrymxCount(int32_t mxbid, int32_t& count) { return GetSbrymxCount(mxbid, "", -1, count); }

bool TRcsbDAO::GetSbzbByYblsh(const std::string& djxh, const std::string& yblsh, std::string& row) {
  return GuardDao("GetSbzbByYblsh", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select * from ds_sbzb where djxh = %s and yblsh = %s order by id desc limit 1",
                               {Q(djxh), Q(yblsh)}),
                     kQueryFailedText);
    row = rows.empty() ? "{}" : rows.front().dump();
    return true;
  });
}

bool TRcsbDAO::GetJfdjStatistics(const std::string& djxh, std::string& stats) {
  return GuardDao("GetJfdjStatistics", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select count(*) as zs, ifnull(sum(jfje), 0) as zje FROM ds_sbjfrydjxxb where djxh=%s",
                               {Q(djxh)}),
                     kQueryFailedText);
    stats = JsonText(rows.empty() ? Json::object() : rows.front());
    return true;
  });
}

bool TRcsbDAO::GetYzpzxhLb(const std::string& djxh, std::string& rows) {
  return GuardDao("GetYzpzxhLb", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db, FormatSql("select id, yzpzxh from ds_sbzb where djxh='%s' order by id", {V(djxh)}),
                         kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::UpdateSbxmbMisc(int32_t zbid, int32_t zrs, int32_t sfyrymx, int32_t sfyxzrymx) {
  return GuardDao("UpdateSbxmbMisc", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql(" update ds_sbmxb set zrs = %d, sfyrymx = %d, sfyxzrymx = %d where zbid = %d and zrs <= %d ",
                          {zrs, sfyrymx, sfyxzrymx, zbid, zrs}),
                kExecFailed);
    return true;
  });
}

bool TRcsbDAO::GetWxzrymxData(const std::string& djxh, std::string& rows) {
  return GuardDao("GetWxzrymxData", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db,
                         FormatSql("select mxb.*, zb.yzpzxh from ds_sbmxb mxb inner join ds_sbzb zb on zb.id = mxb.zbid "
                                   "where zb.djxh = %s and zb.sbzt in (2, 6) and mxb.sfyrymx = 1 and "
                                   "mxb.sfyxzrymx = 0 order by mxb.id",
                                   {Q(djxh)}),
                         kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::GetSbRymxData(int32_t id, std::string& rows) {
  return GuardDao("GetSbRymxData", &ErrorMessage, kQueryExceptionText, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db, FormatSql("SELECT * FROM ds_sbrymxb WHERE mxbid = %d order by id", {id}), kQueryFailedText));
    return true;
  });
}

bool TRcsbDAO::UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) {
  return GuardDao("UpdateZzsbJfje", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("update ds_sbjfrydjxxb set jfje = %f, yjfje = %f, ybtfe = %f, sjyjfe = %f where id = %d",
                          {jfje, yjfje, ybtfe, sjyjfe, id}),
                kExecFailed);
    return true;
  });
}

namespace {
void RegisterRcsbDAO() { RegisterServiceClass(ServiceRowAt(kRowTRcsbDAO).iid, &ClassOf<TRcsbDAO>::Instance()); }
void UnregisterRcsbDAO() { UnregisterServiceClass(ServiceRowAt(kRowTRcsbDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(6, velmor::RegisterRcsbDAO, velmor::UnregisterRcsbDAO)
